#pragma once
// Texts only the window shows: its windows and notices, the sentences of its
// screens and the captions it uses in more than one place. "%1" and "%2" stand
// for the values the window fills in (QString::arg); "&" marks a shortcut key.
#include <string_view>

namespace salvex::text {

// Captions used in more than one place.
inline constexpr std::string_view kContactUs = "Contact Us";
inline constexpr std::string_view kContinue = "Continue";
inline constexpr std::string_view kOpenFolder = "&Open Folder";
inline constexpr std::string_view kSelectedDrive = "Selected drive";
inline constexpr std::string_view kWhereToSave = "Where to save the recovered files";
inline constexpr std::string_view kChooseResultFolder = "Choose a folder for the recovered files";

// The header and the screens.
inline constexpr std::string_view kTagline =
    "Brings back deleted photos, videos, documents and audio. Your card is only read, never changed.";
inline constexpr std::string_view kHelpTip = "Open the user guide (F1)";
inline constexpr std::string_view kRefreshHint =
    "Card not in the list? Connect it, wait a few seconds, then refresh the list.";
inline constexpr std::string_view kAddImageTip = "Search a copy (image file) of a card instead of the card itself";
inline constexpr std::string_view kRemoveImageTip = "Take the selected disk image off the list (the file itself stays)";
inline constexpr std::string_view kRangeInfo =
    "Drag the sliders, or type the numbers of the first and the last sector to search. "
    "A sector is 512 bytes; sector 0 is the start of the drive.";
inline constexpr std::string_view kNoFolderYet = "No folder chosen yet \u2013 click Browse to choose one";
inline constexpr std::string_view kExactFilesTip =
    "Each file is checked against its format, saved once under its real type and cut where "
    "its data ends. Untick to keep every find as whole sectors, as found on the card.";
inline constexpr std::string_view kThoroughInfo =
    "It looks for more kinds of photos in the same read of the card, so it adds "
    "little time. What it finds is kept in a folder of its own.";
inline constexpr std::string_view kStopTip = "Stop the search (Esc). Files found so far are kept.";
inline constexpr std::string_view kSectorsAllowed = "0 to %1";
inline constexpr std::string_view kInBrackets = "(%1)";
inline constexpr std::string_view kSectorFieldTip = "A sector number from %1";
inline constexpr std::string_view kOneFileFound = "1 file found";
inline constexpr std::string_view kFilesFound = "%1 files found";
inline constexpr std::string_view kSpeed = "%1 MB/s";

// Previews.
inline constexpr std::string_view kPreparingPreview = "Preparing the preview...";
inline constexpr std::string_view kNoPreviewPicture = "No preview\navailable";
inline constexpr std::string_view kPreviewNeedsPackage =
    "No preview of this kind of file here: installing the package %1 would show one.";
inline constexpr std::string_view kThumbnailsNeedPackage =
    "Some photos show no thumbnail: installing the package %1 would "
    "show them. The photos themselves are saved whole.";
// Between two package names.
inline constexpr std::string_view kAnd = " and ";

// A file, folder or address no program opened; the what is "file", "folder" or "address".
inline constexpr std::string_view kNotOpened = "\nThis %1 could not be opened.";
inline constexpr std::string_view kOpenByHand = "No program on this computer opened it. You can open it by hand:\n\n";
inline constexpr std::string_view kAddress = "address";
inline constexpr std::string_view kFolder = "folder";
inline constexpr std::string_view kFile = "file";

// Adding a disk image.
inline constexpr std::string_view kChooseDiskImage = "Choose a disk image";
inline constexpr std::string_view kDiskImageFilter = "Disk images (*.img *.dd *.raw *.bin *.dmg *.iso);;All files (*)";
inline constexpr std::string_view kNotADiskImage = "\nThis file cannot be read as a disk image.";

// The windows: where to save, about, contact, looking for drives.
inline constexpr std::string_view kBrowseInfo =
    "Please pick a folder on a different drive from the card you are recovering, for "
    "example a folder on your computer. Saving onto the same card could overwrite the "
    "very files you want back.\n\nA folder named after this program is made inside the "
    "folder you choose, and everything that is found is saved there.";
inline constexpr std::string_view kAboutTitle = "About %1";
inline constexpr std::string_view kAbout =
    "Version %1\n\nBrings back deleted photos, videos, documents and audio from memory "
    "cards and USB drives. It only reads the card and never writes to it, so trying "
    "it cannot make things worse.\n\nCopyright \u00A9 2024 Salvex Recovery.";
inline constexpr std::string_view kContactHeading = "We are here to help";
inline constexpr std::string_view kContact =
    "If something is unclear, or your files did not come back, please write to us. "
    "Tell us what kind of card or drive you used and what happened to the files; "
    "we answer every message.";
inline constexpr std::string_view kWriteUs = "Write us an e-mail";
inline constexpr std::string_view kCopyEmail = "Copy E-mail Address";
inline constexpr std::string_view kCopyWebAddress = "Copy Web Address";
inline constexpr std::string_view kOpenUserGuide = "Open the &User Guide";
inline constexpr std::string_view kLookingForDrives = "Looking for drives and memory cards\u2026";

// The end of a search.
inline constexpr std::string_view kNotAllSaved = "Not everything could be saved";
inline constexpr std::string_view kSavingStopped =
    "Saving stopped because the destination refused the data (%1). The files counted below "
    "were saved before that. Make sure the destination drive has free space and can be "
    "written to, then search again.";
inline constexpr std::string_view kLastFileCutShort = " That last file is cut short and is not counted.";
inline constexpr std::string_view kCardNotReadToEnd = "The card could not be read to its end";
inline constexpr std::string_view kReadingEnded =
    "The search ended where the card could no longer be read. What was found until then is saved.";
inline constexpr std::string_view kSearchStopped = "The search was stopped";
inline constexpr std::string_view kYouStopped = "You stopped the search. What was found until then is saved.";
inline constexpr std::string_view kSearchFinished = "The search is finished";
inline constexpr std::string_view kAllSaved = "Everything that was found is saved.";
inline constexpr std::string_view kOneSectorUnread =
    "One sector of the card could not be read, even on a second try (sector %1).";
inline constexpr std::string_view kSectorsUnread =
    "%1 sectors of the card could not be read, even on a second try (the first is sector %2).";
inline constexpr std::string_view kOneFileWithZeros = "One saved file holds zeros in their place; report.xml names it.";
inline constexpr std::string_view kFilesWithZeros = "%1 saved files hold zeros in their place; report.xml names them.";
inline constexpr std::string_view kNothingMore = "nothing more";
inline constexpr std::string_view kNoFiles = "no files";
inline constexpr std::string_view kOneMoreFile = "1 more file";
inline constexpr std::string_view kMoreFiles = "%1 more files";
inline constexpr std::string_view kOneFile = "1 file";
inline constexpr std::string_view kFiles = "%1 files";
inline constexpr std::string_view kNotRun = "not run";
inline constexpr std::string_view kGeneralSearch = "General search:";
inline constexpr std::string_view kThoroughSearch = "Thorough search:";
inline constexpr std::string_view kSavedIn = "Saved in:";
inline constexpr std::string_view kEndHelp =
    "A file whose parts were overwritten on the card may open only partly. Questions? We are glad to help:";

// Without pkexec the program cannot ask for the rights it needs, and says so before it ends.
inline constexpr std::string_view kNoElevatorTitle = "Administrator rights are needed";
inline constexpr std::string_view kNoElevator =
    "This program reads memory cards and disks directly, which needs administrator rights. "
    "They are asked for with pkexec, which is not installed.\n\n"
    "Install the package \"pkexec\" (\"policykit-1\" on older systems), for example with\n"
    "    sudo apt install pkexec\n"
    "then start the program again.";

}  // namespace salvex::text
