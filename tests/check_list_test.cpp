// The file-type check list and the selection it makes.
#include <gtest/gtest.h>

#include "app/globals.h"
#include "support/scan_harness.h"

using salvex::SignatureList;
using salvex::kSignatureStride;
using salvex::kVideoMode;

namespace {

using salvex::Outlet;
using salvex::test::record;
using salvex::test::operator+;

std::vector<std::string> extensions(const SignatureList& list) {
    std::vector<std::string> out;
    for (std::size_t r = 0; r < list.size(); r += kSignatureStride) out.push_back(list[r]);
    return out;
}

class CheckList : public ::testing::Test {
protected:
    void SetUp() override {
        Recovery_MODE = kVideoMode;
        auto& c = h.controller;
        c.Video_Array = record("AVI", 1, "52494646") + record("AVI", 2, "415649") + record("MOV", 1, "6D6F6F76") +
                        record("jpg", 1, "FFD8") + record("JPG", 1, "FFD8FF");
        c.Adv_Video_Array = record("MOV", 1, "6D646174") + record("MP4", 1, "66747970") + record("AVI", 3, "5249");
        c.Fill_Check_List();
    }
    std::vector<std::string> rows(const std::string& key) const {
        std::vector<std::string> out;
        for (const auto& row : h.controller.nsCheckedListDataObject) out.push_back(row.at(key));
        return out;
    }
    void untick(const std::string& extension) {
        auto& list = h.controller.nsCheckedListDataObject;
        for (std::size_t r = 0; r < list.size(); ++r)
            if (list[r].at("Extension") == extension) h.controller.setObjectValue(Outlet::idCheckTableView, "State", static_cast<long>(r), "0");
    }
    salvex::test::ScanHarness h;
};

TEST_F(CheckList, OneRowPerExtensionSortedIgnoringCaseAndAllTicked) {
    EXPECT_EQ(rows("Extension"), (std::vector<std::string>{"AVI", "jpg", "JPG", "MOV", "MP4"}));
    EXPECT_EQ(rows("Thoro"), (std::vector<std::string>{"", "", "", "", "YES"}));
    EXPECT_EQ(rows("State"), (std::vector<std::string>(5, "1")));
    EXPECT_EQ(rows("Description")[0], "AVI file");
    EXPECT_TRUE(h.view.state(Outlet::Thro_Mode_Chk_SIG));
    EXPECT_TRUE(h.view.state(Outlet::select_unselect_Chk));
    EXPECT_EQ(h.view.text(Outlet::help_info),
              "\nPlease select the required extension type for recovery process. Press \u2018Next\u2019 button to continue... ");
    EXPECT_EQ(h.controller.objectValueForTableColumn(Outlet::idCheckTableView, "Extension", 4), "MP4");
}

TEST_F(CheckList, UntickedTypesLeaveBothListsAndTickedOnesGetSummaryRows) {
    untick("AVI");
    untick("jpg");
    ASSERT_TRUE(h.controller.Apply_Check_List_Selection());
    EXPECT_EQ(extensions(h.controller.CheckListHeader_Array), (std::vector<std::string>{"MOV", "JPG"}));
    EXPECT_EQ(extensions(h.controller.CheckListHeader_Adv_Array), (std::vector<std::string>{"MOV", "MP4"}));
    ASSERT_EQ(h.controller.nsSIGFileInfoDataObject.size(), 3u);
    EXPECT_EQ(h.controller.nsSIGFileInfoDataObject[0].at("FileTypes_Hidden"), "JPG");
    EXPECT_EQ(h.controller.nsSIGFileInfoDataObject[0].at("NoOfFile"), "0");

    // Applying again starts from the full lists: nothing accumulates.
    untick("JPG");
    ASSERT_TRUE(h.controller.Apply_Check_List_Selection());
    EXPECT_EQ(extensions(h.controller.CheckListHeader_Array), (std::vector<std::string>{"MOV"}));
}

TEST_F(CheckList, NothingTickedIsRefusedWithTheMessage) {
    for (const char* e : {"AVI", "jpg", "JPG", "MOV", "MP4"}) untick(e);
    EXPECT_FALSE(h.controller.Check_For_One_Extension_Selection());
    EXPECT_FALSE(h.controller.Apply_Check_List_Selection());
    EXPECT_EQ(h.count_alerts("\nPlease select atleast one extension type."), 1u);
    EXPECT_EQ(h.view.focused(), Outlet::idCheckTableView);
    h.controller.setObjectValue(Outlet::idCheckTableView, "State", 3, "1");
    EXPECT_TRUE(h.controller.Apply_Check_List_Selection());
    EXPECT_EQ(extensions(h.controller.CheckListHeader_Array), (std::vector<std::string>{"MOV"}));
}

TEST_F(CheckList, SelectAllFollowsTheRowsAndSetsThemAll) {
    untick("MOV");
    h.controller.clickTable(Outlet::idCheckTableView, "Description");
    EXPECT_TRUE(h.view.state(Outlet::select_unselect_Chk));  // other columns change nothing
    h.controller.clickTable(Outlet::idCheckTableView, "State");
    EXPECT_FALSE(h.view.state(Outlet::select_unselect_Chk));
    h.controller.setObjectValue(Outlet::idCheckTableView, "State", 3, "1");
    h.controller.clickTable(Outlet::idCheckTableView, "State");
    EXPECT_TRUE(h.view.state(Outlet::select_unselect_Chk));

    h.view.set_state(Outlet::select_unselect_Chk, false);
    h.controller.Select_Unselect_Check_btn();
    EXPECT_EQ(rows("State"), (std::vector<std::string>(5, "0")));
    h.view.set_state(Outlet::select_unselect_Chk, true);
    h.controller.Select_Unselect_Check_btn();
    EXPECT_EQ(rows("State"), (std::vector<std::string>(5, "1")));
    EXPECT_EQ(rows("Extension"), (std::vector<std::string>{"AVI", "jpg", "JPG", "MOV", "MP4"}));
}

TEST_F(CheckList, EditsOutsideTheRowsAreDropped) {
    h.controller.setObjectValue(Outlet::idCheckTableView, "State", 9, "0");
    h.controller.setObjectValue(Outlet::idCheckTableView, "State", -1, "0");
    EXPECT_EQ(rows("State"), (std::vector<std::string>(5, "1")));
}

}  // namespace
