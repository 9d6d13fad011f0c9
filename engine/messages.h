#pragma once
// Texts the engines show; the window and salvex-scan print them as they stand.
#include <string_view>

namespace salvex::text {

inline constexpr std::string_view kGeneralModeLabel =
    "( Currently performing Search based on: Salvex General Recovery Procedure )";
inline constexpr std::string_view kThoroughModeLabel =
    "( Currently performing Search based on: Salvex Thorough Scanning Algorithm )";
inline constexpr std::string_view kStopHelp =
    "\nTo stop recovery, click on \u2018Stop\u2019 Button or please wait for the process to be completed.";
inline constexpr std::string_view kBackHelp = "\nTo select another disk for recovery, click on \u2018Back\u2019 Button.";
inline constexpr std::string_view kThumbnailsCleared =
    "To maintain the speed of recovery, thumbnail preview window is cleared after every 2000 thumbnails.";
inline constexpr std::string_view kFilesCleared =
    "To maintain the speed of recovery, file window is cleared after every 2000 files.";
inline constexpr std::string_view kReadError = "Error in storage media reading.";
inline constexpr std::string_view unable_saving_Msg =
    "Unable to continue saving recovered data.\n\nEither Destination Drive is inaccessible or there is no free "
    "space available in drive to save recovered data.";
inline constexpr std::string_view kStopQuestion = "\nDo you want to stop searching?";
inline constexpr std::string_view kPermissionRequired = "Permission Required";
inline constexpr std::string_view kDeviceAccessError = "Device Access Error";
inline constexpr std::string_view kPermissionLog =
    "It appears there's a permission issue. Guiding user to System Settings.";

}  // namespace salvex::text
