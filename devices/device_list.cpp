// The device screen's list of volumes that may be searched.
#include <algorithm>
#include <exception>

#include "app/diagnostics.h"
#include "app/globals.h"
#include "app/my_table_controller.h"
#include "app/numbers.h"
#include "app/text_helpers.h"
#include "devices/size_format.h"

using salvex::sector_count_text;
using salvex::TableRow;

using salvex::Outlet;

void MyTableController::Reload_Drive_list_Function() {
    view_.show_drive_loading_notice(true);
    nsMutaryOfDataObject.clear();
    getVolumeToFSGetInfo();
    nsMutaryOfDataObject.insert(nsMutaryOfDataObject.end(), added_images.begin(), added_images.end());
    view_.reload(Outlet::idTableView);
    view_.show_drive_loading_notice(false);
}

void MyTableController::getVolumeToFSGetInfo() {
    if (!volume_source) return;
    for (const auto& path : volume_source->mounted_paths(USE_HARD_DISK != 0)) {
        if (Find_Str(path, "/private/")) continue;
        find_disk_info(path);
    }
}

void MyTableController::find_disk_info(const std::string& mount_path) {
    const auto info = volume_source->query(mount_path);
    if (!info) return;  // a volume gone since it was listed, or one the system cannot describe
    const auto value = [&](const char* key) -> std::optional<std::string> {
        const auto it = info->find(key);
        return it == info->end() ? std::nullopt : std::optional<std::string>(it->second);
    };
    if (value("BusProtocol") == "Disk Image") return;
    if (Find_Str(value("OpticalDeviceType").value_or(""), "CD")) return;

    const std::string identifier = value("DeviceIdentifier").value_or("");
    const std::string size = std::to_string(salvex::leading_number(value("IOKitSize").value_or("0")).as_unsigned());
    std::optional<std::string> name = value("VolumeName");
    if (name && name->empty()) name = "Untitled";
    if (identifier.empty()) return;
    nsMutaryOfDataObject.push_back({identifier, name.value_or(""), value("FilesystemUserVisibleName").value_or(""),
                                    getMPSize(size), value("ParentWholeDisk").value_or(""), sector_count_text(size)});
}

void MyTableController::deleteSelectedRow() {
    const long row = view_.selected_row(Outlet::idTableView);
    if (row < 0 || static_cast<std::size_t>(row) >= nsMutaryOfDataObject.size()) return;
    nsMutaryOfDataObject.erase(nsMutaryOfDataObject.begin() + row);
    view_.reload(Outlet::idTableView);
}

void MyTableController::addRow(MyDataObject record) {
    nsMutaryOfDataObject.push_back(std::move(record));
    view_.reload(Outlet::idTableView);
}

void MyTableController::add_disk_image(MyDataObject record) {
    const auto same = [&record](const MyDataObject& r) { return r.nsStrDiskIdentifier == record.nsStrDiskIdentifier; };
    if (std::none_of(added_images.begin(), added_images.end(), same)) added_images.push_back(record);
    if (std::none_of(nsMutaryOfDataObject.begin(), nsMutaryOfDataObject.end(), same)) addRow(std::move(record));
}

bool MyTableController::is_added_image(long row) const {
    if (row < 0 || static_cast<std::size_t>(row) >= nsMutaryOfDataObject.size()) return false;
    const std::string& id = nsMutaryOfDataObject[static_cast<std::size_t>(row)].nsStrDiskIdentifier;
    return std::any_of(added_images.begin(), added_images.end(),
                       [&id](const MyDataObject& r) { return r.nsStrDiskIdentifier == id; });
}

bool MyTableController::remove_disk_image(long row) {
    if (!is_added_image(row)) return false;
    const std::string id = nsMutaryOfDataObject[static_cast<std::size_t>(row)].nsStrDiskIdentifier;
    std::erase_if(added_images, [&id](const MyDataObject& r) { return r.nsStrDiskIdentifier == id; });
    nsMutaryOfDataObject.erase(nsMutaryOfDataObject.begin() + row);
    view_.reload(Outlet::idTableView);
    return true;
}

long MyTableController::numberOfRowsInTableView(Outlet table) const {
    if (table == Outlet::idTableView) return static_cast<std::int32_t>(nsMutaryOfDataObject.size());
    if (table == Outlet::idCheckTableView) return static_cast<std::int32_t>(nsCheckedListDataObject.size());
    if (table == Outlet::idSigTableView) return static_cast<std::int32_t>(nsSIGFileInfoDataObject.size());
    return 0;
}

std::string MyTableController::objectValueForTableColumn(Outlet table, const std::string& column, long row) const {
    try {
        const auto at = static_cast<std::size_t>(row);
        if (table == Outlet::idTableView) return nsMutaryOfDataObject.at(at).column(column);
        const std::vector<TableRow>* rows = table == Outlet::idCheckTableView ? &nsCheckedListDataObject
                                            : table == Outlet::idSigTableView ? &nsSIGFileInfoDataObject
                                                                              : nullptr;
        if (rows != nullptr) {
            const auto& cells = rows->at(at);
            const auto it = cells.find(column);
            return it == cells.end() ? std::string() : it->second;
        }
    } catch (const std::exception& e) {
        Show_NSLog_Message(e.what());
    }
    return {};
}
