#include <gtest/gtest.h>

#include "app/CategoryEditor.h"

namespace velmora {
namespace {

using Side = AssignmentsOrganizer::Side;

TEST(CategoryEditor, NamesAreStoredWhenTheTabIsLeftOrOnOk) {
    Database db;
    CategoryEditor editor(db);
    editor.Open();
    ASSERT_EQ(editor.Names().size(), 256u);
    EXPECT_EQ(editor.SelectedRow(), 0);
    editor.EditName(3, "Main board");
    EXPECT_EQ(db.Categories().Markets[3].Name.Str(), "Market 3");  // pending
    editor.SetTab(CategoryKind::Groups);
    EXPECT_EQ(db.Categories().Markets[3].Name.Str(), "Main board");
    EXPECT_EQ(editor.Names()[5], "Group 5");

    editor.SetTab(CategoryKind::Sectors);
    ASSERT_EQ(editor.Names().size(), 32u);
    editor.EditName(1, std::string(50, 's'));
    editor.SetTab(CategoryKind::Industries);
    EXPECT_EQ(db.Categories().Sectors[1].Name.Str(), std::string(39, 's'));
    EXPECT_EQ(editor.SectorChoices()[1], std::string(39, 's'));

    editor.EditName(4, "Mining");
    editor.Cancel();  // the pending edit of this tab is dropped
    EXPECT_EQ(db.Categories().Industries[4].Name.Str(), "Industry 4");
    db.SetWorkspaceDirty(false);
    editor.EditName(4, "Mining");
    editor.Ok();
    EXPECT_EQ(db.Categories().Industries[4].Name.Str(), "Mining");
    EXPECT_TRUE(db.WorkspaceDirty());
}

TEST(CategoryEditor, SettingsAreStoredWhenARowLosesItsSelection) {
    Database db;
    db.AddStock("WIG")->Flags = Stock::kIndexFlag;
    db.AddStock("ACME");
    db.AddStock("MIDX")->Flags = Stock::kIndexFlag | Stock::kFavouriteFlag;
    CategoryEditor editor(db);
    editor.Open();
    EXPECT_EQ(editor.BaseTickerChoices(), (std::vector<std::string>{"MIDX", "WIG"}));
    EXPECT_TRUE(editor.ShowsMarketSettings());
    editor.SelectRow(2);
    editor.Controls().RSBase = "WIG-AND-MORE-THAN-15";
    editor.Controls().ProfileTemplate = std::string(200, 'p');
    editor.SelectRow(3);
    EXPECT_EQ(db.Categories().Markets[2].RSBase.Str(), "WIG-AND-MORE-TH");
    EXPECT_EQ(db.Categories().Markets[2].ProfileTemplate.Str(), std::string(127, 'p'));
    editor.SelectRow(2);
    EXPECT_EQ(editor.Controls().RSBase, "WIG-AND-MORE-TH");

    editor.SetTab(CategoryKind::Industries);
    EXPECT_TRUE(editor.ShowsSector());
    EXPECT_FALSE(editor.ShowsMarketSettings());
    editor.SelectRow(9);
    editor.Controls().SectorID = 4;
    editor.Ok();
    EXPECT_EQ(db.Categories().Industries[9].SectorID, 4);
}

struct OrganizerTest : ::testing::Test {
    Database db;
    AssignmentsOrganizer organizer{db};
    OrganizerTest() {
        for (const char* t : {"A1", "A2", "B1", "C1"}) db.AddStock(t);
        SetGroupID(*db.FindStock("A1"), 1);
        SetGroupID(*db.FindStock("A2"), 1);
        SetGroupID(*db.FindStock("B1"), 2);
        SetGroupID(*db.FindStock("C1"), 3);
        for (const auto& s : db.Stocks()) s->Modified = false;
        organizer.SetKind(CategoryKind::Groups);
    }
};

TEST_F(OrganizerTest, ExchangingAllSwapsTheTwoGroups) {
    organizer.Choose(Side::Left, 1);
    organizer.Choose(Side::Right, 2);
    EXPECT_EQ(organizer.List(Side::Left), (std::vector<std::string>{"A1", "A2"}));
    ASSERT_TRUE(organizer.Press(AssignmentsOrganizer::kExchangeAll));
    EXPECT_EQ(organizer.List(Side::Left), (std::vector<std::string>{"B1"}));
    EXPECT_EQ(organizer.List(Side::Right), (std::vector<std::string>{"A1", "A2"}));
    EXPECT_EQ(GetGroupID(*db.FindStock("C1")), 3);
    EXPECT_TRUE(db.FindStock("B1")->Modified);
    EXPECT_FALSE(db.FindStock("C1")->Modified);
}

TEST_F(OrganizerTest, ButtonsFollowTheListsAndSelections) {
    organizer.Choose(Side::Left, 1);
    organizer.Choose(Side::Right, 7);  // empty group
    using A = AssignmentsOrganizer;
    EXPECT_TRUE(organizer.Enabled(A::kCopyAllRight));
    EXPECT_FALSE(organizer.Enabled(A::kCopySelectedRight));
    EXPECT_FALSE(organizer.Enabled(A::kCopyAllLeft));
    EXPECT_FALSE(organizer.Enabled(A::kExchangeAll));
    EXPECT_FALSE(organizer.Press(A::kExchangeSelected));
    organizer.SetSelection(Side::Left, {1, 5});  // row 5 does not exist
    EXPECT_EQ(organizer.Selection(Side::Left), (std::set<int>{1}));
    ASSERT_TRUE(organizer.Press(A::kCopySelectedRight));
    EXPECT_EQ(organizer.List(Side::Left), (std::vector<std::string>{"A1"}));
    EXPECT_EQ(organizer.List(Side::Right), (std::vector<std::string>{"A2"}));
    EXPECT_TRUE(organizer.Selection(Side::Left).empty());  // lists are refilled
    EXPECT_TRUE(organizer.Enabled(A::kExchangeAll));
    EXPECT_FALSE(organizer.Enabled(A::kExchangeSelected));

    organizer.SetSelection(Side::Left, {0});
    organizer.SetSelection(Side::Right, {0});
    ASSERT_TRUE(organizer.ExchangeSelected());
    EXPECT_EQ(GetGroupID(*db.FindStock("A1")), 7);
    EXPECT_EQ(GetGroupID(*db.FindStock("A2")), 1);

    organizer.Choose(Side::Right, std::nullopt);  // nothing to copy into
    EXPECT_TRUE(organizer.List(Side::Right).empty());
    EXPECT_FALSE(organizer.Enabled(A::kCopyAllRight));
}

TEST_F(OrganizerTest, SameCategoryOnBothSidesStillMarksTheStocks) {
    organizer.Choose(Side::Left, 2);
    organizer.Choose(Side::Right, 2);
    ASSERT_TRUE(organizer.CopyAll(Side::Left));
    EXPECT_EQ(GetGroupID(*db.FindStock("B1")), 2);
    EXPECT_TRUE(db.FindStock("B1")->Modified);
    EXPECT_TRUE(db.WorkspaceDirty());
    EXPECT_FALSE(organizer.SetKind(CategoryKind::Sectors));
    ASSERT_TRUE(organizer.SetKind(CategoryKind::Markets));
    organizer.Choose(Side::Left, 0);
    EXPECT_EQ(organizer.List(Side::Left).size(), 4u);
    int closed = 0;
    organizer.SetClosedHandler([&] { ++closed; });
    organizer.Close();
    EXPECT_EQ(closed, 1);
}

}  // namespace
}  // namespace velmora
