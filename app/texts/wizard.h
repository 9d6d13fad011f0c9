#pragma once
// Texts of the wizard's screens and messages; the window, salvex-scan and the tests
// use them as they stand (typographic quotes, leading line feeds and trailing blanks included).
#include <cstdint>
#include <string>
#include <string_view>

namespace salvex::text {

inline constexpr std::string_view kDeviceHelp =
    "\nSelect the storage media from List from which you want to recover Data. Press \u2018Next\u2019 button to "
    "continue... ";
inline constexpr std::string_view kEntireDiskHelp =
    "If \u2018Entire Disk\u2019 option is selected, Salvex Recovery searches lost data in the entire storage of "
    "selected disk. If you want to perform within a specific sector range or in specific partition, please select "
    "other searching criteria. Else press \u2018Next\u2019 button to start searching data in Entire disk.";
inline constexpr std::string_view kRangeHelp =
    "\u2018Sector Range\u2019 option provides facility to specify the range of start and end sector of storage media "
    "within which you want to perform searching for lost data. Please drag knob of Slider to enter sector range or "
    "you can also enter these values in Start Sector and End Sector fields manually.";
inline constexpr std::string_view kFileTypeHelp =
    "\nPlease select the required extension type for recovery process. Press \u2018Next\u2019 button to continue... ";

// The tabs line the colons up under each other.
inline constexpr std::string_view kDiskCaption = "Disk\t\t\t\t:";
inline constexpr std::string_view kVolumeNameCaption = "Volume Name\t\t:";
inline constexpr std::string_view kFileSystemCaption = "File System\t\t:";
inline constexpr std::string_view kCapacityCaption = "Capacity (size)\t:";
inline constexpr std::string_view kStartSectorCaption = "Start Sector\t\t:";
inline constexpr std::string_view kEndSectorCaption = "End Sector\t\t:";
inline constexpr std::string_view kNoSectorsYet = "Sectors 0 of 0";

// The buttons of a message box.
inline constexpr std::string_view kOk = "OK";
inline constexpr std::string_view kYes = "Yes";
inline constexpr std::string_view kNo = "No";

inline constexpr std::string_view kSelectMedia = "Please select a storage media from list.";
inline constexpr std::string_view kSelectDestination = "Please select valid destination path.";
inline constexpr std::string_view kSelectFileType = "Please select atleast one extension type.";
inline constexpr std::string_view kBadStartSector = "Please enter valid Start Sector value.";
inline constexpr std::string_view kBadEndSector = "Please enter valid End Sector value.";
inline constexpr std::string_view kEndNotAfterStart = "End Sector should be greater than Start Sector.";
inline constexpr std::string_view kDestinationOnSource = "The destination folder is on the drive you are recovering from.";
inline constexpr std::string_view kDestinationOnSourceInfo =
    "Saving recovered files there can overwrite the very files you want back. Choose a folder on another drive "
    "to keep them safe.";
inline constexpr std::string_view kChooseAnotherFolder = "Choose Another Folder";
inline constexpr std::string_view kSaveThereAnyway = "Save There Anyway";
inline constexpr std::string_view kDestinationHoldsSource =
    "The destination folder holds the disk image you are recovering from.";
inline constexpr std::string_view kDestinationHoldsSourceInfo =
    "Saving recovered files there would write over the image itself. Choose a folder that does not hold it.";
// After the folder's path and ": ".
inline constexpr std::string_view kResultFolderInUse = "another search is saving into this folder right now";
inline constexpr std::string_view kResultFolderInUseInfo =
    "Wait until that search has ended, or choose another folder.";
inline constexpr std::string_view kResultFolderUnusableInfo =
    "The recovered files cannot be saved there. Choose another folder.";
inline constexpr std::string_view kNoDestinationFolder = "Destination folder does not exist!";
inline constexpr std::string_view kNoHelpFile = "\nHelp file does not exist!";
inline constexpr std::string_view kTextCopied = "Text copied successfully.";
inline constexpr std::string_view kExitQuestion = "\nDo you really want to exit from Salvex Recovery Software?";

// Window title suffixes and search-type labels, by Recovery_MODE.
std::string_view mode_title(std::int32_t recovery_mode);
std::string_view search_type_label(std::int32_t recovery_mode);

// The web-site link button of the support and end-of-search windows shows the
// address without its "https://www." part.
std::string website_link_title(std::string_view website);
// Their link buttons draw the title bold at this size, blue, underlined, on a
// grey whose red, green and blue are each this value, with the open-hand cursor.
inline constexpr double kLinkFontSize = 11;
inline constexpr double kLinkBackground = 236.0 / 255.0;

}  // namespace salvex::text
