#include <gtest/gtest.h>

#include "analysis/Backtester.h"
#include "common/TestSupport.h"
#include "platform/ConsoleUserInterface.h"
#include "portfolio/PortfolioFile.h"

namespace velmora {
namespace {

// Bars on consecutive calendar days from 24-01-01 with the given closes.
void AddBars(Database& db, Stock& s, const std::vector<float>& closes) {
    for (std::size_t i = 0; i < closes.size(); ++i) {
        Quotation* q = db.AddQuotation(s, AddDays(MakeDate(2024, 1, 1), static_cast<int>(i)));
        q->Close = q->Open = q->High = q->Low = closes[i];
    }
}

class BacktesterTest : public ::testing::Test {
  protected:
    BacktesterTest() : engine(errors, &db) {
        db.SetWorkspaceDir(dir.path());
        // AAA rises through 10 and falls back; BBB stays below and never buys; CCC has no bars.
        AddBars(db, *db.AddStock("BBB"), {5, 6, 7, 6, 5});
        AddBars(db, *db.AddStock("AAA"), {9, 10, 11, 12, 11, 10, 9, 12});
        db.AddStock("CCC");
    }
    BacktestOutcome Run(std::string_view formula) {
        return Backtester(db, engine, ui).Run(formula, selection, settings, rows, results);
    }

    test::TempDir dir;
    Database db;
    RecordingFormulaErrorSink errors;
    FormulaEngine engine;
    RecordingUserInterface ui;
    AnalysisSelection selection;
    SystemTestSettings settings;
    ResultList rows;
    BacktestResults results;
};

constexpr std::string_view kRule = "buy = c > 10; sell = c < 11;";

TEST_F(BacktesterTest, KeepsTheStocksThatTradedAndEndsWithTheSummaryLine) {
    ASSERT_EQ(Run(kRule), BacktestOutcome::Completed);
    ASSERT_EQ(results.Stocks.size(), 1u);
    EXPECT_EQ(results.Stocks[0].Name.View(), "AAA");
    // Buy at 11 on bar 2, sell at 10 on bar 5; buy again at 12 on the last bar.
    ASSERT_EQ(rows.Size(), 3u);
    EXPECT_EQ(rows[0].Text, "AAA\tLong\t24-01-03\t24-01-06\t-9.1%");
    EXPECT_EQ(rows[1].Text, "");
    EXPECT_EQ(rows[2].Text, results.SummaryLine().substr(0, ResultRow::kMaxText));
    EXPECT_EQ(results.Overall.Trades, 1);
    EXPECT_EQ(results.Stocks[0].OpenPositionBars, 0);
    // Progress per stock of the database, with the scan's text.
    ASSERT_EQ(ui.progress.steps.size(), 3u);
    EXPECT_EQ(ui.progress.steps[0].caption, "AAA");
    EXPECT_EQ(ui.progress.steps[0].detail, "Checking for buy/sell signals...");
    EXPECT_EQ(ui.progress.closes, 1);
}

TEST_F(BacktesterTest, CommissionTableIsReadFromThePortfolioFileAtEachRun) {
    Portfolio portfolio;
    portfolio.Commissions.Base[4] = 5;
    ASSERT_TRUE(SavePortfolio(PortfolioPath(dir.path()), portfolio));
    ASSERT_EQ(Run(kRule), BacktestOutcome::Completed);
    EXPECT_DOUBLE_EQ(results.Stocks[0].CommissionsOfLosers, 10);
    portfolio.Commissions.Base[4] = 7;
    ASSERT_TRUE(SavePortfolio(PortfolioPath(dir.path()), portfolio));
    ASSERT_EQ(Run(kRule), BacktestOutcome::Completed);
    EXPECT_DOUBLE_EQ(results.Stocks[0].CommissionsOfLosers, 14);
}

TEST_F(BacktesterTest, DelaysRangeAndCurrentStock) {
    settings.SellDelay = 1;
    selection.applyTo = ApplyTo::CurrentStock;
    selection.currentStock = db.FindStock("AAA");
    ASSERT_EQ(Run(kRule), BacktestOutcome::Completed);
    ASSERT_EQ(rows.Size(), 3u);
    EXPECT_EQ(rows[0].Text, "AAA\tLong\t24-01-03\t24-01-07\t-18.2%");
    EXPECT_TRUE(ui.progress.steps.empty());

    // The last 3 quotations: bars 5..7; the buy on bar 7 is all there is.
    settings.SellDelay = 0;
    selection.range = RangeMode::LastQuotations;
    selection.n = 2;
    ASSERT_EQ(Run(kRule), BacktestOutcome::Completed);
    EXPECT_TRUE(results.Stocks.empty());
    EXPECT_EQ(rows.Size(), 2u);
}

TEST_F(BacktesterTest, MissingSellStopsButStillSummarises) {
    ASSERT_EQ(Run("buy = c > 10;"), BacktestOutcome::MissingAssignments);
    EXPECT_EQ(ui.messages, std::vector<std::string>{"Missing buy/sell variable assignments"});
    ASSERT_EQ(rows.Size(), 2u);
    EXPECT_EQ(rows[1].Text.rfind("Trans no.: 0,", 0), 0u);
}

TEST_F(BacktesterTest, NegativeNRunsNothingAndCancelKeepsTheStocksDone) {
    selection.n = -1;
    ASSERT_EQ(Run(kRule), BacktestOutcome::NothingToDo);
    EXPECT_TRUE(rows.Empty());
    EXPECT_EQ(BackTestCommandResult(rows, results).StatusText, "No results");

    selection.n = 7;
    ui.progress.cancelAt = 1;  // at BBB, after AAA
    ASSERT_EQ(Run(kRule), BacktestOutcome::Cancelled);
    ASSERT_EQ(results.Stocks.size(), 1u);
    EXPECT_EQ(rows.Size(), 3u);
    EXPECT_EQ(results.Overall.Trades, 1);
}

TEST_F(BacktesterTest, FormulaErrorEndsTheRun) {
    ASSERT_EQ(Run("buy = c > 10; sell = c < 11; x = ;"), BacktestOutcome::FormulaError);
    EXPECT_FALSE(errors.reports.empty());
    // AAA is tested and kept; the run ends before BBB.
    EXPECT_EQ(ui.progress.steps.size(), 1u);
    EXPECT_EQ(results.Stocks.size(), 1u);
}

}  // namespace
}  // namespace velmora
