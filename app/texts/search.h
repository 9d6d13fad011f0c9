#pragma once
// Texts of a search: what the engines show while they read, the questions and
// errors on the way, and the causes a refused file is named with. The window and
// salvex-scan show them as they stand (leading line feeds included).
#include <cstdint>
#include <string>
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
inline constexpr std::string_view kNoFileToPreview = "No file is selected to preview";
// "Sectors 1024 of 2048   ( Completed 50% )"
std::string sector_progress(std::uint64_t index, std::uint64_t end, std::uint64_t percent);

inline constexpr std::string_view kReadError = "Error in storage media reading.";
inline constexpr std::string_view unable_saving_Msg =
    "Unable to continue saving recovered data.\n\nEither Destination Drive is inaccessible or there is no free "
    "space available in drive to save recovered data.";
inline constexpr std::string_view kStopQuestion = "\nDo you want to stop searching?";
inline constexpr std::string_view kUnnamedFailure = "the search failed for a reason it could not name";
inline constexpr std::string_view kSignatureProblems =
    "\nSome signature files could not be used, so the searches that need them find nothing:\n";

// The source could not be opened.
inline constexpr std::string_view kPermissionRequired = "Permission Required";
// Below kPermissionRequired, with the program's own name.
std::string permission_guide(std::string_view program);
inline constexpr std::string_view kOpenSystemSettings = "Open System Settings";
inline constexpr std::string_view kDeviceAccessError = "Device Access Error";
// Followed by the system's own words for the error.
inline constexpr std::string_view kUnexpectedDeviceError =
    "An unexpected error occurred while trying to access the device:\n\n";
inline constexpr std::string_view kPermissionLog =
    "It appears there's a permission issue. Guiding user to System Settings.";

// Why a file or folder could not be saved, after its path and ": ".
inline constexpr std::string_view kDestinationRefused = "the destination refused the data";
inline constexpr std::string_view kLinkOrFileInTheWay = "a link or a file stands there; nothing was written through it";
inline constexpr std::string_view kLinkInTheWay = "a link stands there; nothing was written through it";
inline constexpr std::string_view kOtherInTheWay = "something other than a file stands there; nothing was written through it";
inline constexpr std::string_view kNoResultFolderOpen = "no result folder is open";
inline constexpr std::string_view kFolderMoved = "moved or removed during the search";

}  // namespace salvex::text
