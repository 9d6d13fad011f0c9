// Carved files of the video, raw-file and audio modes reach the file list and
// the per-type summary here, on the interface thread. The summary's counts also
// number the output files, so a hand-over completes before the next file is named.
#include <filesystem>

#include "app/my_table_controller.h"
#include "app/numbers.h"
#include "app/text_helpers.h"

using salvex::Outlet;

void MyTableController::createSignatureListTableRecord(const std::string& type, std::uint64_t count,
                                                       const std::string& name, const std::string& path,
                                                       const std::string& hidden_type) {
    nsSIGFileInfoDataObject.push_back({{"FileTypes", type},
                                       {"NoOfFile", std::to_string(count)},
                                       {"FileName", name},
                                       {"FilePath", path},
                                       {"FileTypes_Hidden", hidden_type}});
    view_.reload(Outlet::idSigTableView);
}

void MyTableController::addImageWithPath_2(const std::string& path, const std::string& name, const std::string& uid) {
    const auto admitted = preview_admits(path);
    if (!admitted) return;
    const std::string& trimmed = *admitted;

    MyImageObject item;
    item.path = trimmed;
    item.image_Name = name;
    item.image_UID = uid;
    images.push_back(std::move(item));

    std::string extension = std::filesystem::path(trimmed).extension().string();
    if (!extension.empty()) extension.erase(0, 1);
    for (auto& row : nsSIGFileInfoDataObject) {
        if (row["FileTypes_Hidden"] != extension) continue;
        const auto listed = static_cast<std::uint64_t>(salvex::leading_number(row["NoOfFile"]).as_signed()) + 1;
        row = {{"FileTypes", extension},
               {"NoOfFile", std::to_string(listed)},
               {"FileName", name},
               {"FilePath", trimmed},
               {"FileTypes_Hidden", extension}};
        break;
    }
    view_.reload(Outlet::idSigTableView);
    view_.reload(Outlet::imageBrowser_2);
    if (++Preview_Image_Count % 4 == 0) view_.scroll_to_end(Outlet::imageBrowser_2);
}
