// The destination folder: chosen only through the folder chooser, so the path
// fields always hold a folder the user picked.
#include <cerrno>
#include <filesystem>

#include "app/error_words.h"
#include "app/globals.h"
#include "app/message_box.h"
#include "app/my_table_controller.h"
#include "app/texts/wizard.h"
#include "engine/output_naming.h"
#include "engine/output_tree.h"
#include "platform/invoking_user.h"
#include "platform/raw_device.h"
#include "platform/same_device.h"
#include "wizard/wizard_helpers.h"

using salvex::kPhotoMode;

using salvex::Outlet;
namespace fs = std::filesystem;

void MyTableController::Browse_Path() {
    salvex::wizard::guarded([&] {
        view_.show_browse_info_window();
        openPanelDidEnd(view_.choose_folder(salvex::platform::chooser_start_folder()));
    });
}

// Both sets share one destination, so both Browse buttons do the same.
void MyTableController::Browse_Path_Sig() { Browse_Path(); }

void MyTableController::openPanelDidEnd(const std::optional<std::string>& folder) {
    salvex::wizard::guarded([&] {
        if (!folder) return;
        view_.set_text(Outlet::path, *folder);
        view_.set_text(Outlet::path_Sig, *folder);
    });
}

void MyTableController::Open_Folder_btn() {
    salvex::wizard::guarded([&] {
        // _path always holds the same folder as _path_Sig, so it serves both sets.
        const fs::path folder =
            fs::path(view_.text(Outlet::path)) / Rec_Folder_Name / std::string(salvex::mode_folder(Recovery_MODE));
        std::error_code ec;
        if (fs::exists(folder, ec)) view_.open_file(folder.string());
        else Show_MessageBox(salvex::text::kNoDestinationFolder);
    });
}

void MyTableController::Open_Folder_btn_Sig() { Open_Folder_btn(); }

bool MyTableController::destination_off_source() {
    const std::string folder = view_.text(Outlet::path);
    const std::string device = salvex::platform::raw_device_path(view_.text(Outlet::disk_identifier));
    const Outlet browse = salvex::in_set(Outlet::browse_path, Recovery_MODE != kPhotoMode);
    // Writing over the source itself is never offered.
    const fs::path result_folder =
        fs::path(folder) / Rec_Folder_Name / std::string(salvex::mode_folder(Recovery_MODE));
    if (salvex::platform::result_folder_holds_source(result_folder.string(), device)) {
        view_.alert({std::string(salvex::text::kDestinationHoldsSource),
                     std::string(salvex::text::kDestinationHoldsSourceInfo),
                     {std::string(salvex::text::kChooseAnotherFolder)}});
        view_.focus(browse);
        return false;
    }
    if (!salvex::platform::writes_onto_device(folder, device)) return true;
    const std::string pair = folder + '\n' + device;
    if (accepted_destination_on_source == pair) return true;
    const int answer = view_.alert({std::string(salvex::text::kDestinationOnSource),
                                    std::string(salvex::text::kDestinationOnSourceInfo),
                                    {std::string(salvex::text::kChooseAnotherFolder),
                                     std::string(salvex::text::kSaveThereAnyway)}});
    if (answer != 1) {
        view_.focus(browse);
        return false;
    }
    accepted_destination_on_source = pair;
    return true;
}

bool MyTableController::claim_result_folder() {
    join_scan_threads();  // the last search's claim went with its thread
    release_result_folder(true);
    const fs::path folder = fs::path(view_.text(Outlet::path)) / Rec_Folder_Name /
                            std::string(salvex::mode_folder(Recovery_MODE));
    std::error_code ec;
    // A link counts as there: it is neither followed nor, when the claim fails, removed.
    fs::path existing = folder;
    for (; !existing.empty() && !fs::exists(fs::symlink_status(existing, ec)) && existing != existing.root_path();
         existing = existing.parent_path())
        claim_made_folders_.push_back(existing.string());
    std::string failure;
    std::string_view advice = salvex::text::kResultFolderUnusableInfo;
    // Made and locked as the search will write there: from the destination down,
    // never through a link in the result tree.
    salvex::OutputTree tree;
    salvex::Refusal why;
    if (!fs::is_directory(existing, ec)) {
        failure = existing.string() + ": " + salvex::plain_cause(ENOTDIR);
    } else if (!tree.open(view_.text(Outlet::path), {Rec_Folder_Name, folder.filename().string()}, why)) {
        failure = why.path + ": " + why.cause;
    } else {
        result_lock_ = salvex::platform::FolderLock(tree.folder(2));
        if (!result_lock_.in_use()) return true;  // a file system without such locks cannot tell: go on
        failure = folder.string() + ": " + std::string(salvex::text::kResultFolderInUse);
        advice = salvex::text::kResultFolderInUseInfo;
    }
    release_result_folder(false);
    view_.alert({failure, std::string(advice), {std::string(salvex::text::kOk)}});
    view_.focus(salvex::in_set(Outlet::browse_path, Recovery_MODE != kPhotoMode));
    return false;
}

void MyTableController::release_result_folder(bool saved) {
    result_lock_ = {};
    // Made for a search that never saved: nothing to keep them for.
    std::error_code ec;
    if (!saved)
        for (const auto& made : claim_made_folders_) fs::remove(made, ec);  // only while empty
    claim_made_folders_.clear();
}
