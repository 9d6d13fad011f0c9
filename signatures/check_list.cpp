// The file-type check list of the video, raw-file and audio modes, and the
// signature lists it reduces to what the user ticked.
#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "app/diagnostics.h"
#include "app/globals.h"
#include "app/message_box.h"
#include "app/my_table_controller.h"
#include "app/numbers.h"
#include "app/texts/wizard.h"

using salvex::SignatureList;
using salvex::kSignatureStride;
using salvex::kVideoMode;
using salvex::kRawFileMode;
using salvex::kAudioMode;
using salvex::TableRow;
using salvex::kExtension;
using salvex::kDescription;

using salvex::Outlet;

namespace {

bool state_on(const TableRow& row) {
    const auto it = row.find("State");
    return it != row.end() && salvex::leading_number(it->second).as_signed() != 0;
}

bool less_ignoring_case(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) < std::tolower(static_cast<unsigned char>(y));
    });
}

}  // namespace

const SignatureList& MyTableController::mode_signature_list(bool general) const {
    switch (Recovery_MODE.load()) {
        case kVideoMode: return general ? Video_Array : Adv_Video_Array;
        case kRawFileMode: return general ? RawFile_Array : Adv_RawFile_Array;
        case kAudioMode: return general ? Audio_Array : Adv_Audio_Array;
        default: return general ? Ext_Array : Adv_Ext_Array;
    }
}

void MyTableController::createExtensionListTableRecord(const std::string& extension, int state,
                                                       const std::string& description, const std::string& thoro) {
    nsCheckedListDataObject.push_back({{"State", (state & 0xFF) != 0 ? "1" : "0"},
                                       {"Extension", extension},
                                       {"Description", description},
                                       {"Thoro", thoro}});
    view_.reload(Outlet::idCheckTableView);
}

void MyTableController::Fill_Check_List() {
    view_.set_state(Outlet::Thro_Mode_Chk_SIG, true);
    view_.set_state(Outlet::select_unselect_Chk, true);
    nsCheckedListDataObject.clear();
    view_.reload(Outlet::idCheckTableView);
    const auto add_rows = [this](const SignatureList& list, const std::string& thoro) {
        for (std::size_t r = 0; r + kSignatureStride <= list.size(); r += kSignatureStride) {
            const std::string& extension = list[r + kExtension];
            const bool known = std::any_of(nsCheckedListDataObject.begin(), nsCheckedListDataObject.end(),
                                           [&](const TableRow& row) { return row.at("Extension") == extension; });
            if (!known) createExtensionListTableRecord(extension, 1, list[r + kDescription], thoro);
        }
    };
    add_rows(mode_signature_list(true), "");
    add_rows(mode_signature_list(false), "YES");
    view_.set_text(Outlet::help_info, std::string(salvex::text::kFileTypeHelp));
    std::stable_sort(nsCheckedListDataObject.begin(), nsCheckedListDataObject.end(),
                     [](const TableRow& a, const TableRow& b) { return less_ignoring_case(a.at("Extension"), b.at("Extension")); });
    view_.reload(Outlet::idCheckTableView);
}

bool MyTableController::Check_For_One_Extension_Selection() const {
    return std::any_of(nsCheckedListDataObject.begin(), nsCheckedListDataObject.end(), [](const TableRow& row) {
        const auto it = row.find("State");
        return it != row.end() && salvex::leading_number(it->second).as_signed() == 1;
    });
}

bool MyTableController::Apply_Check_List_Selection() {
    CheckListHeader_Adv_Array.clear();
    CheckListHeader_Array.clear();
    nsSIGFileInfoDataObject.clear();
    CheckListHeader_Array = mode_signature_list(true);
    CheckListHeader_Adv_Array = mode_signature_list(false);
    const auto remove_type = [](SignatureList& list, const std::string& extension) {
        for (std::size_t r = 0; r + kSignatureStride <= list.size();) {
            if (list[r + kExtension] == extension)
                list.erase(list.begin() + static_cast<long>(r), list.begin() + static_cast<long>(r + kSignatureStride));
            else
                r += kSignatureStride;
        }
    };
    for (const auto& row : nsCheckedListDataObject) {
        const std::string& extension = row.at("Extension");
        if (state_on(row)) {
            createSignatureListTableRecord(extension, 0, "", "", extension);
        } else {
            remove_type(CheckListHeader_Array, extension);
            remove_type(CheckListHeader_Adv_Array, extension);
        }
    }
    if (!Check_For_One_Extension_Selection()) {
        Show_MessageBox(salvex::text::kSelectFileType);
        view_.focus(Outlet::idCheckTableView);
        return false;
    }
    return true;
}

void MyTableController::Select_Unselect_Check_btn() {
    const int state = view_.state(Outlet::select_unselect_Chk) ? 1 : 0;
    const auto rows = nsCheckedListDataObject;
    nsCheckedListDataObject.clear();
    for (const auto& row : rows) createExtensionListTableRecord(row.at("Extension"), state, row.at("Description"), row.at("Thoro"));
}

void MyTableController::clickTable(Outlet table, const std::string& column) {
    if (table != Outlet::idCheckTableView || column != "State") return;
    const bool any_off = std::any_of(nsCheckedListDataObject.begin(), nsCheckedListDataObject.end(),
                                     [](const TableRow& row) { return !state_on(row); });
    view_.set_state(Outlet::select_unselect_Chk, !any_off);
}

void MyTableController::setObjectValue(Outlet table, const std::string& column, long row, const std::string& value) {
    if (table != Outlet::idCheckTableView) return;
    if (row < 0 || static_cast<std::size_t>(row) >= nsCheckedListDataObject.size()) {
        Show_NSLog_Message("pRowIndex >= 0 && pRowIndex < [nsCheckedListDataObject count]");
        return;
    }
    nsCheckedListDataObject[static_cast<std::size_t>(row)][column] = value;
}
