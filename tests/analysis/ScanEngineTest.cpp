#include <gtest/gtest.h>

#include "analysis/AnalysisWindowModel.h"
#include "analysis/ScanEngine.h"
#include "common/TestSupport.h"
#include "database/Workspace.h"
#include "platform/ConsoleUserInterface.h"
#include "platform/MemorySettingsStore.h"

namespace velmora {
namespace {

// Bars on consecutive calendar days from `first`, bar i closing at i + 1.
void AddBars(Database& db, Stock& s, PackedDate first, int count) {
    for (int i = 0; i < count; ++i) {
        Quotation* q = db.AddQuotation(s, AddDays(first, i));
        q->Close = static_cast<float>(i + 1);
    }
}

std::vector<std::string> Texts(const ResultList& list) {
    std::vector<std::string> out;
    for (const ResultRow& r : list) out.push_back(r.Text);
    return out;
}

class ScanTest : public ::testing::Test {
  protected:
    ScanTest() : engine(errors, &db) {
        a = db.AddStock("AAA");
        AddBars(db, *a, MakeDate(2024, 1, 1), 10);
        b = db.AddStock("BBB");
        AddBars(db, *b, MakeDate(2024, 1, 1), 5);
    }
    ScanOutcome Scan(std::string_view formula) {
        return ScanEngine(db, engine, ui).Run(formula, sel, results);
    }
    std::vector<std::string> Dates() {
        std::vector<std::string> out;
        for (const ResultRow& r : results) out.emplace_back(SplitColumns(r.Text)[2]);
        return out;
    }

    Database db;
    RecordingFormulaErrorSink errors;
    FormulaEngine engine;
    RecordingUserInterface ui;
    ResultList results;
    AnalysisSelection sel;
    Stock* a = nullptr;
    Stock* b = nullptr;
};

TEST_F(ScanTest, RowsCarryTickerKindDateAndCloseWithBuyBeforeSell) {
    sel.applyTo = ApplyTo::CurrentStock;
    sel.currentStock = a;
    // Signals wherever the value is neither 0 nor the empty value, negative ones included.
    ASSERT_EQ(Scan("buy = c - 3; sell = (c == 2) * 7 - (c > 8) * 10000000000;"),
              ScanOutcome::Completed);
    EXPECT_EQ(Texts(results),
              (std::vector<std::string>{"AAA\tBuy\t24-01-01\t1.00", "AAA\tBuy\t24-01-02\t2.00",
                                        "AAA\tSell\t24-01-02\t2.00", "AAA\tBuy\t24-01-04\t4.00",
                                        "AAA\tBuy\t24-01-05\t5.00", "AAA\tBuy\t24-01-06\t6.00",
                                        "AAA\tBuy\t24-01-07\t7.00", "AAA\tBuy\t24-01-08\t8.00",
                                        "AAA\tBuy\t24-01-09\t9.00", "AAA\tBuy\t24-01-10\t10.00"}));
    EXPECT_TRUE(errors.reports.empty());
    // "Current stock" shows no progress dialog.
    EXPECT_TRUE(ui.progress.steps.empty());
    EXPECT_EQ(ui.progress.closes, 0);
}

TEST_F(ScanTest, LastQuotationsVisitsTheLastNPlusOneBars) {
    sel.applyTo = ApplyTo::CurrentStock;
    sel.currentStock = a;
    sel.range = RangeMode::LastQuotations;
    sel.n = 3;
    Scan("buy = c;");
    EXPECT_EQ(Dates(), (std::vector<std::string>{"24-01-07", "24-01-08", "24-01-09", "24-01-10"}));
    sel.n = 0;
    Scan("buy = c;");
    EXPECT_EQ(results.Size(), 1u);
    for (int n : {9, 10, 1000, 2147483647}) {
        sel.n = n;
        Scan("buy = c;");
        EXPECT_EQ(results.Size(), 10u) << n;
    }
}

TEST_F(ScanTest, LastDaysCountFromTheStocksOwnLastQuotation) {
    Stock* s = db.AddStock("GAPPY");
    for (int day : {1, 2, 5, 8, 9, 15}) db.AddQuotation(*s, MakeDate(2023, 12, day))->Close = 1;
    sel.applyTo = ApplyTo::CurrentStock;
    sel.currentStock = s;
    sel.range = RangeMode::LastDays;
    sel.n = 7;  // 15 - 7 = 8: the bar of the 8th is included
    Scan("buy = c;");
    EXPECT_EQ(Dates(), (std::vector<std::string>{"23-12-08", "23-12-09", "23-12-15"}));
    sel.n = 6;
    Scan("buy = c;");
    EXPECT_EQ(Dates(), (std::vector<std::string>{"23-12-09", "23-12-15"}));
    sel.n = 0;
    Scan("buy = c;");
    EXPECT_EQ(Dates(), (std::vector<std::string>{"23-12-15"}));
    // Across a month and a year boundary, and far back beyond the first bar.
    sel.n = 14;
    Scan("buy = c;");
    EXPECT_EQ(Dates().front(), "23-12-01");
    sel.n = 2000000000;
    Scan("buy = c;");
    EXPECT_EQ(results.Size(), 6u);
}

TEST_F(ScanTest, FromToSkipsBarsBeforeAndEndsAfterTheRange) {
    sel.range = RangeMode::FromTo;
    sel.from = MakeDate(2024, 1, 3);
    sel.to = MakeDate(2024, 1, 5);
    Scan("buy = c;");
    EXPECT_EQ(Texts(results),
              (std::vector<std::string>{"AAA\tBuy\t24-01-03\t3.00", "AAA\tBuy\t24-01-04\t4.00",
                                        "AAA\tBuy\t24-01-05\t5.00", "BBB\tBuy\t24-01-03\t3.00",
                                        "BBB\tBuy\t24-01-04\t4.00", "BBB\tBuy\t24-01-05\t5.00"}));
    sel.from = MakeDate(2024, 1, 9);
    sel.to = MakeDate(2024, 2, 1);
    Scan("buy = c;");
    EXPECT_EQ(Dates(), (std::vector<std::string>{"24-01-09", "24-01-10"}));
    sel.from = sel.to = MakeDate(2023, 1, 1);
    Scan("buy = c;");
    EXPECT_TRUE(results.Empty());
}

TEST_F(ScanTest, NegativeNListsNothingWhateverTheRange) {
    results.Add("left over");
    sel.n = -1;
    EXPECT_EQ(Scan("buy = c;"), ScanOutcome::NothingToDo);
    EXPECT_TRUE(results.Empty());
    EXPECT_TRUE(ui.progress.steps.empty());
}

TEST_F(ScanTest, AllStocksStepTheProgressAndSkipStocksWithoutQuotations) {
    db.AddStock("ABB");  // between AAA and BBB, no quotations
    ASSERT_EQ(Scan("sell = c == 5;"), ScanOutcome::Completed);
    EXPECT_EQ(Texts(results),
              (std::vector<std::string>{"AAA\tSell\t24-01-05\t5.00", "BBB\tSell\t24-01-05\t5.00"}));
    ASSERT_EQ(ui.progress.steps.size(), 3u);
    EXPECT_EQ(ui.progress.steps[1].index, 1);
    EXPECT_EQ(ui.progress.steps[1].total, 3);
    EXPECT_EQ(ui.progress.steps[1].caption, "ABB");
    EXPECT_EQ(ui.progress.steps[1].detail, "Checking for buy/sell signals...");
    EXPECT_EQ(ui.progress.closes, 1);
}

TEST_F(ScanTest, FilterSelectsStocksAndCancelStopsTheRun) {
    SetMarketID(*b, 4);
    sel.applyTo = ApplyTo::Filter;
    sel.filter.Items[0].Market = 4;
    Scan("buy = c == 1;");
    EXPECT_EQ(Texts(results), (std::vector<std::string>{"BBB\tBuy\t24-01-01\t1.00"}));
    ASSERT_EQ(ui.progress.steps.size(), 1u);
    EXPECT_EQ(ui.progress.steps[0].index, 1);  // its position among all stocks

    sel.applyTo = ApplyTo::AllStocks;
    ui.progress.cancelAt = 1;
    EXPECT_EQ(Scan("buy = c == 1;"), ScanOutcome::Cancelled);
    EXPECT_EQ(Texts(results), (std::vector<std::string>{"AAA\tBuy\t24-01-01\t1.00"}));
}

TEST_F(ScanTest, MissingAssignmentsAndFormulaErrorsEndTheRun) {
    EXPECT_EQ(Scan("x = c;"), ScanOutcome::MissingAssignments);
    EXPECT_EQ(ui.messages, (std::vector<std::string>{"Missing buy/sell variable assignments"}));
    EXPECT_EQ(ui.progress.steps.size(), 1u);
    EXPECT_FALSE(engine.InRun());

    // The stock with the error keeps its rows; the next stock is not visited.
    ui.progress.steps.clear();
    EXPECT_EQ(Scan("buy = c == 2; y = 1 +;"), ScanOutcome::FormulaError);
    EXPECT_EQ(Texts(results), (std::vector<std::string>{"AAA\tBuy\t24-01-02\t2.00"}));
    EXPECT_EQ(errors.reports.size(), 1u);
    EXPECT_EQ(ui.progress.steps.size(), 1u);
    // The next run starts with the error flag cleared.
    EXPECT_EQ(Scan("buy = c == 2;"), ScanOutcome::Completed);
    EXPECT_EQ(results.Size(), 2u);
}

// A workspace on disk whose stock is loaded partially: 300 daily bars, the newest 100 in memory.
class PartialScanTest : public ::testing::Test {
  protected:
    PartialScanTest() : engine(errors, &db) {
        {
            Database source;
            source.SetWorkspaceDir(dir.path());
            AddBars(source, *source.AddStock("LONG"), MakeDate(2020, 1, 1), 300);
            Workspace ws(source, prefs, ui);
            EXPECT_TRUE(ws.SaveWorkspace());
        }
        prefs.SetPartialLoading(true);
        prefs.SetLoadUpto(100);
        db.SetWorkspaceDir(dir.path());
        Workspace ws(db, prefs, ui);
        EXPECT_TRUE(ws.LoadWorkspace());
        s = db.FindStock("LONG");
        firstLoaded = s->FirstLoadedDate;
        skipped = s->SkippedCount;
    }
    void ExpectPartialAsBefore() {
        EXPECT_EQ(s->Quotations.size(), 100u);
        EXPECT_EQ(s->FirstLoadedDate, firstLoaded);
        EXPECT_EQ(s->SkippedCount, skipped);
        EXPECT_FALSE(s->Modified);
    }
    std::size_t Scan() {
        ScanEngine(db, engine, ui).Run("buy = c;", sel, results);
        return results.Size();
    }

    test::TempDir dir;
    Preferences prefs;
    RecordingUserInterface ui;
    Database db;
    RecordingFormulaErrorSink errors;
    FormulaEngine engine;
    ResultList results;
    AnalysisSelection sel;
    Stock* s = nullptr;
    PackedDate firstLoaded = kNoDate;
    int skipped = 0;
};

TEST_F(PartialScanTest, OlderQuotationsAreLoadedForTheRunAndDroppedAgain) {
    ASSERT_NE(s, nullptr);
    ASSERT_EQ(s->Quotations.size(), 100u);
    ASSERT_EQ(firstLoaded, AddDays(MakeDate(2020, 1, 1), 200));

    EXPECT_EQ(Scan(), 300u);
    EXPECT_EQ(results[0].Text, "LONG\tBuy\t20-01-01\t1.00");
    ExpectPartialAsBefore();

    sel.range = RangeMode::LastQuotations;
    sel.n = 149;
    EXPECT_EQ(Scan(), 150u);
    ExpectPartialAsBefore();

    sel.range = RangeMode::LastDays;
    sel.n = 199;
    EXPECT_EQ(Scan(), 200u);
    ExpectPartialAsBefore();

    // From a date before the loaded part: the older bars are there for the run.
    sel.range = RangeMode::FromTo;
    sel.from = AddDays(MakeDate(2020, 1, 1), 10);
    sel.to = AddDays(MakeDate(2020, 1, 1), 19);
    EXPECT_EQ(Scan(), 10u);
    EXPECT_EQ(results[0].Text, "LONG\tBuy\t" + DateToText(sel.from) + "\t11.00");
    ExpectPartialAsBefore();
    // From a date within the loaded part: nothing is loaded, the loaded bars are enough.
    sel.from = AddDays(firstLoaded, 5);
    sel.to = AddDays(firstLoaded, 9);
    EXPECT_EQ(Scan(), 5u);
    ExpectPartialAsBefore();
}

TEST_F(PartialScanTest, WithoutLoadingRemainingQuotesOnlyTheLoadedBarsAreScanned) {
    sel.loadRemainingQuotes = false;
    EXPECT_EQ(Scan(), 100u);
    ExpectPartialAsBefore();
    // A cancelled or failing run returns the stock to its partial state too.
    sel.loadRemainingQuotes = true;
    ScanEngine(db, engine, ui).Run("x = 1;", sel, results);
    ExpectPartialAsBefore();
}

class AnalysisWindowTest : public ScanTest {
  protected:
    MemorySettingsStore settings;
};

TEST_F(AnalysisWindowTest, DefaultFormulaComesFromAndGoesBackToTheSettings) {
    {
        AnalysisWindowModel window(db, engine, ui, settings, MakeDate(2024, 6, 1));
        EXPECT_EQ(window.formula, "buy = cross( macd(), 0 );\r\nsell = cross( 0, macd() );");
        EXPECT_EQ(window.selection.applyTo, ApplyTo::AllStocks);
        EXPECT_EQ(window.selection.range, RangeMode::AllQuotations);
        EXPECT_EQ(window.selection.n, 7);
        EXPECT_EQ(window.selection.from, MakeDate(2024, 6, 1));
        EXPECT_EQ(window.selection.to, MakeDate(2024, 6, 1));
        EXPECT_EQ(window.StatusText(), "Ready");
        window.formula = "buy = c;";
    }
    EXPECT_EQ(settings.GetString("QRX", "DefaultAnalysisFormula"), "buy = c;");
    AnalysisWindowModel again(db, engine, ui, settings, MakeDate(2024, 6, 1));
    EXPECT_EQ(again.formula, "buy = c;");
}

TEST_F(AnalysisWindowTest, ScanCommandChecksTheDatesAndReportsItsProgress) {
    struct Rows final : ResultListObserver {
        void RowAdded(const ResultRow& row) override { shown.push_back(row.Text); }
        void Cleared() override { shown.clear(); }
        std::vector<std::string> shown;
    } rows;
    AnalysisWindowModel window(db, engine, ui, settings, MakeDate(2024, 1, 1));
    std::vector<std::string> statuses;
    window.SetStatusObserver([&](std::string_view s) { statuses.emplace_back(s); });
    window.SetRowObserver(&rows);
    window.formula = "buy = c == 3;";
    ScanOutcome outcome{};
    ASSERT_TRUE(window.Scan(nullptr, &outcome));
    EXPECT_EQ(outcome, ScanOutcome::Completed);
    EXPECT_EQ(statuses, (std::vector<std::string>{"Removing items...", "Running...", "Ready"}));
    EXPECT_EQ(rows.shown, Texts(window.Results()));
    EXPECT_EQ(rows.shown.size(), 2u);

    // From after To: a message, no run, the rows stay.
    window.selection.range = RangeMode::FromTo;
    window.selection.from = MakeDate(2024, 1, 5);
    window.selection.to = MakeDate(2024, 1, 4);
    statuses.clear();
    EXPECT_FALSE(window.Scan(nullptr));
    EXPECT_EQ(ui.messages, (std::vector<std::string>{"Wrong From/To dates"}));
    EXPECT_TRUE(statuses.empty());
    EXPECT_EQ(window.Results().Size(), 2u);

    // A negative n empties the list and ends with "Ready".
    window.selection.range = RangeMode::LastQuotations;
    window.selection.n = -2;
    ASSERT_TRUE(window.Scan(nullptr));
    EXPECT_TRUE(window.Results().Empty());
    EXPECT_TRUE(rows.shown.empty());
    EXPECT_EQ(window.StatusText(), "Ready");

    // The current stock is passed to the run.
    window.selection.range = RangeMode::AllQuotations;
    window.selection.n = 7;
    window.selection.applyTo = ApplyTo::CurrentStock;
    ASSERT_TRUE(window.Scan(b));
    EXPECT_EQ(rows.shown, (std::vector<std::string>{"BBB\tBuy\t24-01-03\t3.00"}));
    window.FilterAccepted();
    EXPECT_EQ(window.selection.applyTo, ApplyTo::Filter);
}

TEST_F(AnalysisWindowTest, DoubleClickFindsTheRowsStockOrTheOneAbove) {
    AnalysisWindowModel window(db, engine, ui, settings, MakeDate(2024, 1, 1));
    window.Results().Add("bbb\tLong\t24-01-01\t24-01-05\t3.00");
    window.Results().Add("\tShort\t24-01-05\t24-01-06\t1.00");
    window.Results().Add("ZZZ\tBuy\t24-01-01\t1.00");
    EXPECT_EQ(window.StockOfRow(0), b);
    EXPECT_EQ(window.StockOfRow(1), b);
    EXPECT_EQ(window.StockOfRow(2), nullptr);
    EXPECT_EQ(window.StockOfRow(3), nullptr);
}

}  // namespace
}  // namespace velmora
