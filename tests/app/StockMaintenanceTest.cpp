#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>

#include "app/StockMaintenance.h"
#include "common/TestSupport.h"
#include "database/StockFile.h"
#include "database/Workspace.h"
#include "platform/ConsoleUserInterface.h"
#include "portfolio/Portfolio.h"
#include "portfolio/PortfolioFile.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

struct RecordingWindows : ShellWindows {
    std::vector<std::string> captions;
    std::vector<int> refreshes;
    std::vector<bool> rebuilds;
    std::vector<const Stock*> selections;
    void SetChartCaption(std::string_view c) override { captions.emplace_back(c); }
    void RefreshCharts(int flags) override { refreshes.push_back(flags); }
    void RebuildStockTree(bool fromScratch) override { rebuilds.push_back(fromScratch); }
    void SelectStock(const Stock* s) override { selections.push_back(s); }
};

struct MaintenanceTest : ::testing::Test {
    test::TempDir dir;
    Preferences prefs;
    RecordingUserInterface ui;
    RecordingWindows windows;
    Database db;
    StockMaintenance maintenance{db, prefs, ui, windows};

    MaintenanceTest() { db.SetWorkspaceDir(dir.path()); }

    Stock& AddWithCloses(const std::string& ticker, const std::vector<float>& closes,
                         PackedDate first = MakeDate(2020, 3, 2)) {
        Stock* s = db.AddStock(ticker);
        PackedDate d = first;
        for (float c : closes) {
            Quotation* q = db.AddQuotation(*s, d);
            q->Close = c;
            q->Open = c;
            q->High = c + 1;
            q->Low = c - 1;
            q->Volume = 1001;
            d = AddDays(d, 1);
        }
        return *s;
    }
    void SaveAndReload() {
        Workspace(db, prefs, ui).SaveWorkspace();
        db.ReleaseAll();
        db.SetWorkspaceDir(dir.path());
        ASSERT_TRUE(Workspace(db, prefs, ui).LoadWorkspace());
    }
};

TEST_F(MaintenanceTest, TwoForOneSplitRescalesHistoryStudiesFieldsAndPositions) {
    Stock& s = AddWithCloses("ACME", {40, 40, 20, 20});  // 20-03-02 .. 20-03-05
    s.Issue = 1500;
    s.NominalValue = 1000;
    Study line;  // a trend line on the price chart across the split
    line.PaneId = 1;
    line.StartDate = MakeDate(2020, 3, 2);
    line.StartValue = 40;
    line.EndDate = MakeDate(2020, 3, 5);
    line.EndValue = 20;
    Study other = line;  // the same line in another pane
    other.PaneId = 2;
    s.Studies = {line, other};
    Portfolio portfolio;
    Position& before = portfolio.AddPosition("acme");
    before.BuyDate.Set("20-03-02");
    before.Whole = 10;
    before.BuyPrice = 40;
    Position& after = portfolio.AddPosition("ACME");
    after.BuyDate.Set("20-03-04");
    after.Whole = 7;
    after.BuyPrice = 20;
    portfolio.AddPosition("OTHER").BuyDate.Set("19-01-01");
    portfolio.Positions[2].Whole = 5;
    db.SetWorkspaceDirty(false);

    EXPECT_EQ(maintenance.Split("acme", "20-03-04", 2.0, &portfolio), 2);

    ASSERT_EQ(s.Quotations.size(), 4u);
    for (int i = 0; i < 2; ++i) {
        EXPECT_FLOAT_EQ(s.Quotations[i].Close, 20);
        EXPECT_FLOAT_EQ(s.Quotations[i].High, 20.5f);
        EXPECT_FLOAT_EQ(s.Quotations[i].Low, 19.5f);
        EXPECT_EQ(s.Quotations[i].Volume, 2002);
    }
    for (int i = 2; i < 4; ++i) {  // on and after the date: unchanged
        EXPECT_FLOAT_EQ(s.Quotations[i].Close, 20);
        EXPECT_EQ(s.Quotations[i].Volume, 1001);
    }
    EXPECT_EQ(s.Issue, 3000);
    EXPECT_EQ(s.NominalValue, 500);
    EXPECT_FLOAT_EQ(s.Studies[0].StartValue, 20);
    EXPECT_FLOAT_EQ(s.Studies[0].EndValue, 20);  // ends after the date: kept
    EXPECT_FLOAT_EQ(s.Studies[1].StartValue, 40);
    EXPECT_EQ(portfolio.Positions[0].Whole, 20);
    EXPECT_EQ(portfolio.Positions[0].Millionths, 0);
    EXPECT_DOUBLE_EQ(portfolio.Positions[0].BuyPrice, 20);
    EXPECT_EQ(portfolio.Positions[1].Whole, 7);
    EXPECT_EQ(portfolio.Positions[2].Whole, 5);
    EXPECT_TRUE(s.Modified);
    EXPECT_TRUE(db.WorkspaceDirty());

    // Without positions of the stock the result is 1.
    Portfolio empty;
    EXPECT_EQ(maintenance.Split("ACME", "20-03-04", 2.0, &empty), 1);
}

TEST_F(MaintenanceTest, SplitRefusesUnknownStockBadRatioAndBadDate) {
    Stock& s = AddWithCloses("ACME", {40, 20});
    s.Issue = 1500;
    EXPECT_EQ(maintenance.Split("NONE", "20-03-03", 2.0), 0);
    EXPECT_EQ(maintenance.Split("ACME", "20-03-03", 0.0), 0);
    EXPECT_EQ(maintenance.Split("ACME", "20-03-03", -2.0), 0);
    EXPECT_EQ(maintenance.Split("ACME", "20-03-03", std::nan("")), 0);
    EXPECT_EQ(maintenance.Split("ACME", "20-13-03", 2.0), 0);
    EXPECT_FLOAT_EQ(s.Quotations[0].Close, 40);
    EXPECT_EQ(s.Issue, 1500);

    EXPECT_FALSE(ReadSplitRatio("0"));
    EXPECT_FALSE(ReadSplitRatio("-1"));
    EXPECT_FALSE(ReadSplitRatio("abc"));
    EXPECT_FALSE(ReadSplitRatio("2x"));
    EXPECT_FALSE(ReadSplitRatio("inf"));
    EXPECT_FALSE(ReadSplitRatio(""));
    EXPECT_EQ(ReadSplitRatio("0.25"), 0.25);
}

TEST_F(MaintenanceTest, SplitVolumeThatOverflowsIsHeld) {
    Stock& s = AddWithCloses("ACME", {40, 20});
    s.Quotations[0].Volume = 2000000000;
    EXPECT_EQ(maintenance.Split("ACME", "20-03-03", 10.0), 1);
    EXPECT_EQ(s.Quotations[0].Volume, 2147483647);
}

TEST_F(MaintenanceTest, FindNextSplitThresholdReverseAndContinuation) {
    // 50 -> 10 is a 5-for-1 split, 10 -> 12 and 12 -> 10 move by exactly 20 %, 10 -> 50 is a
    // 1-for-5 reverse split.
    Stock& s = AddWithCloses("ACME", {50, 10, 12, 10, 50});
    std::string date;
    EXPECT_DOUBLE_EQ(FindNextSplit(s, date), 5.0);
    EXPECT_EQ(date, "20-03-03");
    EXPECT_DOUBLE_EQ(FindNextSplit(s, date), 0.2);
    EXPECT_EQ(date, "20-03-06");
    EXPECT_DOUBLE_EQ(FindNextSplit(s, date), 1.0);
    EXPECT_EQ(date, "20-03-06");

    Stock& calm = AddWithCloses("CALM", {10, 11.9f, 10, 0, 10});  // a zero close is no split
    std::string none;
    EXPECT_DOUBLE_EQ(FindNextSplit(calm, none), 1.0);
    EXPECT_EQ(none, "");
}

TEST_F(MaintenanceTest, SplitDialogSearchesOnAndRefusesABadRatio) {
    AddWithCloses("ACME", {50, 10, 10, 50});
    AddWithCloses("CALM", {10, 11});
    SplitDialog calm(db, "CALM", MakeDate(2024, 1, 1));
    EXPECT_EQ(calm.RatioText(), "1");
    EXPECT_EQ(calm.Date(), MakeDate(2024, 1, 1));

    SplitDialog dialog(db, "ACME", MakeDate(2024, 1, 1));
    EXPECT_EQ(dialog.RatioText(), "5");
    EXPECT_EQ(dialog.Date(), MakeDate(2020, 3, 3));
    EXPECT_TRUE(dialog.FindNext());  // after the shown date
    EXPECT_EQ(dialog.RatioText(), "0.2");
    EXPECT_EQ(dialog.Date(), MakeDate(2020, 3, 5));
    // Nothing after it: the date and the ratio stay.
    EXPECT_FALSE(dialog.FindNext());
    EXPECT_EQ(dialog.RatioText(), "0.2");
    EXPECT_EQ(dialog.Date(), MakeDate(2020, 3, 5));
    // A date set back (typed) starts the search there: the day before the split finds it.
    dialog.SetDate(MakeDate(2020, 3, 2));
    EXPECT_TRUE(dialog.FindNext());
    EXPECT_EQ(dialog.RatioText(), "5");
    EXPECT_EQ(dialog.Date(), MakeDate(2020, 3, 3));
    dialog.SetDate(MakeDate(2020, 3, 5));

    dialog.SetRatioText("zero");
    EXPECT_EQ(dialog.Ok(maintenance, ui), 0);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0], kBadSplitRatio);
    dialog.SetRatioText("5");
    EXPECT_EQ(dialog.Ok(maintenance, ui), 1);
    EXPECT_FLOAT_EQ(db.FindStock("ACME")->Quotations[0].Close, 10);
    EXPECT_FLOAT_EQ(db.FindStock("ACME")->Quotations[3].Close, 50);
}

TEST_F(MaintenanceTest, SplitCommandSearchesTheWholeHistory) {
    EXPECT_FALSE(maintenance.OpenSplitDialog(MakeDate(2024, 1, 1)));  // no current stock
    AddWithCloses("ACME", {50, 10, 10, 10, 10});
    SaveAndReload();
    Stock* s = db.FindStock("ACME");
    DropQuotationsBefore(*s, MakeDate(2020, 3, 4));  // the split lies on disk only
    maintenance.MakeCurrent(s, 0);
    auto dialog = maintenance.OpenSplitDialog(MakeDate(2024, 1, 1));
    ASSERT_TRUE(dialog);
    EXPECT_EQ(s->Quotations.size(), 5u);
    EXPECT_EQ(dialog->RatioText(), "5");
    EXPECT_EQ(dialog->FoundDate(), "20-03-03");
}

TEST_F(MaintenanceTest, NewStockRefusesAnExistingTickerAndKeepsTheCurrentStock) {
    Stock* a = db.AddStock("AAA");
    maintenance.MakeCurrent(a, 0);
    EXPECT_EQ(maintenance.NewStock("aaa"), nullptr);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0], kStockExists);
    EXPECT_EQ(db.StockCount(), 1);
    Stock* b = maintenance.NewStock("BBB");
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(db.StockCount(), 2);
    EXPECT_EQ(maintenance.Current(), a);
    EXPECT_EQ(windows.refreshes.back(), 17);
    EXPECT_EQ(windows.rebuilds.back(), false);
    EXPECT_EQ(maintenance.NewStock(""), nullptr);
}

TEST_F(MaintenanceTest, NewStockAndRenameRefuseATickerWhoseFileIsTakenOrSetAside) {
    AddWithCloses("A_B", {1, 2});
    AddWithCloses("AAA", {3});
    SaveAndReload();
    EXPECT_EQ(maintenance.NewStock("a/b"), nullptr);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0],
              "the ticker \"a/b\" would be stored in \"a_b\", the file of the stock \"A_B\"");
    Stock* a = db.FindStock("AAA");
    StockInformation info = StockInformation::Of(*a);
    for (const char* taken : {"A>B", "AAA.zzz"}) {
        info.Ticker = taken;
        EXPECT_FALSE(maintenance.ApplyStockInformation(*a, info)) << taken;
    }
    EXPECT_EQ(ui.messages.back(),
              "the ticker \"AAA.zzz\" ends in \".ZZZ\", which marks set-aside stock files");
    info.Ticker = "AAA.ZZ";  // one letter short of the set-aside mark
    ASSERT_TRUE(maintenance.ApplyStockInformation(*a, info));
    SaveAndReload();
    EXPECT_EQ(db.StockCount(), 2);
    EXPECT_EQ(db.FindStock("A_B")->Quotations.size(), 2u);
    EXPECT_EQ(db.FindStock("AAA.ZZ")->Quotations.size(), 1u);
}

TEST_F(MaintenanceTest, DeletingStocksMovesCurrentAndSetsTheFileAside) {
    AddWithCloses("AAA", {1});
    AddWithCloses("BBB", {1});
    AddWithCloses("CCC", {1});
    SaveAndReload();
    maintenance.MakeCurrent(db.FindStock("BBB"), 7);
    ui.answer = false;
    EXPECT_FALSE(maintenance.DeleteCurrentStock());
    EXPECT_EQ(db.StockCount(), 3);
    EXPECT_EQ(ui.questions.back(), kConfirmDeleteStock);

    ui.answer = true;
    ASSERT_TRUE(maintenance.DeleteCurrentStock());
    EXPECT_EQ(maintenance.Current(), db.FindStock("CCC"));  // the next one
    EXPECT_EQ(windows.refreshes.back(), 31);
    EXPECT_EQ(windows.rebuilds.back(), false);
    const fs::path file = StockFilePath(dir.path(), "BBB");
    fs::path aside = file;
    aside += ".ZZZ";
    EXPECT_FALSE(fs::exists(file));
    EXPECT_TRUE(fs::exists(aside));

    ASSERT_TRUE(maintenance.DeleteCurrentStock());  // the last one: the new last
    EXPECT_EQ(maintenance.Current(), db.FindStock("AAA"));
    ASSERT_TRUE(maintenance.DeleteCurrentStock());
    EXPECT_EQ(maintenance.Current(), nullptr);
    EXPECT_EQ(db.StockCount(), 0);
    EXPECT_FALSE(maintenance.DeleteCurrentStock());
}

TEST_F(MaintenanceTest, RenameRefusesATakenTickerAndCarriesFileAndPortfolio) {
    AddWithCloses("AAA", {1, 2});
    AddWithCloses("MMM", {3});
    SaveAndReload();
    Portfolio portfolio;
    portfolio.AddPosition("aaa").Whole = 3;
    portfolio.AddPosition("MMM").Whole = 4;
    ASSERT_TRUE(SavePortfolio(PortfolioPath(dir.path()), portfolio));

    Stock* a = db.FindStock("AAA");
    maintenance.MakeCurrent(a, 0);
    StockInformation info = StockInformation::Of(*a);
    info.Ticker = "mmm";
    EXPECT_FALSE(maintenance.ApplyStockInformation(*a, info));
    EXPECT_EQ(ui.messages.back(), kTickerTaken);
    EXPECT_EQ(a->Ticker.Str(), "AAA");

    info.Ticker = "ZZZ";
    info.FullName = "Zed";
    ASSERT_TRUE(maintenance.ApplyStockInformation(*a, info));
    EXPECT_EQ(db.StockAt(1), a);  // moved to its place in ticker order
    EXPECT_EQ(a->FullName.Str(), "Zed");
    EXPECT_EQ(windows.refreshes.back(), 21);
    fs::path aside = StockFilePath(dir.path(), "AAA");
    aside += ".ZZZ";
    EXPECT_TRUE(fs::exists(aside));
    Portfolio reread;
    ASSERT_TRUE(LoadPortfolio(PortfolioPath(dir.path()), reread));
    EXPECT_EQ(reread.Positions[0].Ticker.Str(), "ZZZ");
    EXPECT_EQ(reread.Positions[1].Ticker.Str(), "MMM");

    SaveAndReload();
    ASSERT_NE(db.FindStock("ZZZ"), nullptr);
    EXPECT_EQ(db.FindStock("ZZZ")->Quotations.size(), 2u);
    EXPECT_EQ(db.FindStock("AAA"), nullptr);
}

TEST_F(MaintenanceTest, RenameOfAPartiallyLoadedStockKeepsItsOlderQuotations) {
    AddWithCloses("AAA", {1, 2, 3, 4, 5});
    SaveAndReload();
    Stock* a = db.FindStock("AAA");
    DropQuotationsBefore(*a, MakeDate(2020, 3, 5));
    ASSERT_EQ(a->Quotations.size(), 2u);
    StockInformation info = StockInformation::Of(*a);
    info.Ticker = "BBB";
    ASSERT_TRUE(maintenance.ApplyStockInformation(*a, info));
    SaveAndReload();
    ASSERT_NE(db.FindStock("BBB"), nullptr);
    EXPECT_EQ(db.FindStock("BBB")->Quotations.size(), 5u);
}

TEST_F(MaintenanceTest, StockInformationFieldsAreStoredAndMarked) {
    Stock* a = db.AddStock("AAA");
    a->Modified = false;
    StockInformation info = StockInformation::Of(*a);
    EXPECT_TRUE(maintenance.ApplyStockInformation(*a, info));
    EXPECT_FALSE(a->Modified);  // nothing changed
    info.Market = 5;
    info.Group = 7;
    info.Favourite = true;
    info.Alias = "ALIASNAME";
    info.Issue = 123;
    ASSERT_TRUE(maintenance.ApplyStockInformation(*a, info));
    EXPECT_TRUE(a->Modified);
    EXPECT_EQ(GetMarketID(*a), 5);
    EXPECT_EQ(GetGroupID(*a), 7);
    EXPECT_TRUE(a->IsFavourite());
    EXPECT_EQ(a->Issue, 123);
    EXPECT_EQ(db.FindStockOrAlias("aliasname"), a);
    EXPECT_EQ(windows.refreshes.back(), 21);
    info.Ticker = "";
    EXPECT_FALSE(maintenance.ApplyStockInformation(*a, info));
}

TEST_F(MaintenanceTest, StockInformationEditOfOnlyTheFullNameMarksTheStock) {
    Stock* a = db.AddStock("AAA");
    a->Modified = false;
    StockInformation info = StockInformation::Of(*a);
    info.FullName = "Alpha Mining";
    ASSERT_TRUE(maintenance.ApplyStockInformation(*a, info));
    EXPECT_TRUE(a->Modified);
}

TEST_F(MaintenanceTest, DeleteQuotationAndSessionNeedAPickedDate) {
    Stock& a = AddWithCloses("AAA", {1, 2, 3});
    Stock& b = AddWithCloses("BBB", {1, 2});
    AddWithCloses("CCC", {1}, MakeDate(2021, 1, 1));
    maintenance.MakeCurrent(&a, 0);
    EXPECT_FALSE(maintenance.DeleteQuotation());
    EXPECT_EQ(maintenance.DeleteSession(), 0);
    EXPECT_EQ(a.Quotations.size(), 3u);

    maintenance.SetPickedDate(MakeDate(2020, 3, 4));
    ASSERT_TRUE(maintenance.DeleteQuotation());
    EXPECT_EQ(a.Quotations.size(), 2u);
    maintenance.SetPickedDate(MakeDate(2020, 3, 3));
    ui.answer = true;  // the session goes from every stock after the question
    EXPECT_EQ(maintenance.DeleteSession(), 2);
    EXPECT_EQ(a.Quotations.size(), 1u);
    EXPECT_EQ(b.Quotations.size(), 1u);
    EXPECT_EQ(db.FindStock("CCC")->Quotations.size(), 1u);
}

TEST_F(MaintenanceTest, DeleteSessionDeletesNothingWhenAStocksOlderQuotationsCannotBeRead) {
    Stock& whole = AddWithCloses("AAA", {1, 2});  // 20-03-02 and 20-03-03
    // ZZZ holds 20-03-03 in memory; its 20-03-02 would be in a file that does not exist.
    Stock& partial = AddWithCloses("ZZZ", {2}, MakeDate(2020, 3, 3));
    partial.FirstLoadedDate = MakeDate(2020, 3, 3);
    partial.SkippedCount = 1;
    db.SetLoadedFromDir(dir.path());

    EXPECT_EQ(maintenance.DeleteSession("20-03-02"), -1);
    EXPECT_EQ(ui.messages,
              std::vector<std::string>{"cannot read the older quotations of ZZZ from " +
                                       StockFilePath(dir.path(), "ZZZ").string() + ": " +
                                       std::strerror(ENOENT)});
    EXPECT_EQ(whole.Quotations.size(), 2u);
}

TEST_F(MaintenanceTest, MakeCurrentLoadsOlderQuotationsOnlyWhenAsked) {
    AddWithCloses("AAA", {1, 2, 3, 4});
    SaveAndReload();
    Stock* a = db.FindStock("AAA");
    a->FullName.Set("Alpha");
    DropQuotationsBefore(*a, MakeDate(2020, 3, 4));
    maintenance.MakeCurrent(a, 1 | 16 | 32);
    EXPECT_EQ(a->Quotations.size(), 2u);
    EXPECT_EQ(windows.captions.back(), "AAA - Alpha");
    EXPECT_EQ(windows.rebuilds.back(), true);
    EXPECT_EQ(windows.selections.back(), a);
    prefs.SetLoadAllQuotesWhenSelected(true);
    maintenance.MakeCurrent(a, 0);
    EXPECT_EQ(a->Quotations.size(), 4u);
    EXPECT_EQ(windows.selections.size(), 1u);
    a->FullName.Set("");
    maintenance.MakeCurrent(a, 0);
    EXPECT_EQ(windows.captions.back(), "AAA");
}

}  // namespace
}  // namespace velmora
