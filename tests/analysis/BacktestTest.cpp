#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "analysis/AnalysisTestSupport.h"
#include "analysis/Backtest.h"
#include "database/PackedDate.h"

namespace velmora {
namespace {

constexpr float E = kEmptyValue;

std::string RowText(const ResultRow& row) {
    return std::string(row.Text);
}

using test::Bars;

std::string Day(int bar) {
    return DateToText(AddDays(MakeDate(2024, 1, 1), bar));
}

// One stock's test with the given settings, over all its bars.
struct StockRun {
    explicit StockRun(SystemTestSettings s = {}, CommissionTable table = {})
        : settings(s), commission(settings, table) {}

    bool Test(const QuotationList& bars, std::vector<float> buy, std::vector<float> sell,
              int first = 0, int end = -1) {
        ShiftSignals(buy, settings.BuyDelay);
        ShiftSignals(sell, settings.SellDelay);
        summary = StockTestSummary::Start("ABC", settings.InitialEquity);
        const StockTestParameters params{settings, commission, settings.StopLevel()};
        return TestStock(params, bars, buy, sell, first,
                         end < 0 ? static_cast<int>(bars.size()) : end, rows, summary);
    }

    SystemTestSettings settings;
    CommissionModel commission;
    ResultList rows;
    StockTestSummary summary;
};

TEST(Backtest, DefaultLongTradeAtCloses) {
    StockRun run;
    ASSERT_TRUE(run.Test(Bars({10, 10.5f, 11, 12}), {1, 0, 0, 0}, {0, 0, 1, 0}));
    const StockTestSummary& s = run.summary;
    EXPECT_DOUBLE_EQ(s.ProfitOfWinners, 1000);
    EXPECT_DOUBLE_EQ(s.Equity, 11000);
    EXPECT_EQ(s.Trades, 1);
    EXPECT_EQ(s.Winners, 1);
    EXPECT_EQ(s.Losers, 0);
    EXPECT_EQ(s.BarsInWinners, 2);
    EXPECT_EQ(s.MaxConsecutiveWinners, 1);
    EXPECT_DOUBLE_EQ(s.LargestWinner, 1000);
    EXPECT_EQ(s.LargestWinnerBars, 2);
    // Buy-and-hold from the first bar (10) to the last (12), bars in test 3.
    EXPECT_DOUBLE_EQ(s.BuyAndHoldEquity, 12000);
    EXPECT_EQ(s.BarsInTest, 3);
    EXPECT_DOUBLE_EQ(s.OpenPositionGain, 0);

    ASSERT_EQ(run.rows.Size(), 1u);
    const ResultRow& row = run.rows[0];
    EXPECT_EQ(RowText(row), "ABC\tLong\t" + Day(0) + "\t" + Day(2) + "\t10.0%");
    EXPECT_EQ(row.TradeType, ResultRow::kLong);
    EXPECT_EQ(row.EntryDate, MakeDate(2024, 1, 1));
    EXPECT_EQ(row.ExitDate, MakeDate(2024, 1, 3));
    EXPECT_FLOAT_EQ(row.EntryPrice, 10);
    EXPECT_FLOAT_EQ(row.ExitPrice, 11);
    EXPECT_DOUBLE_EQ(row.EquityBefore, 10000);
    EXPECT_DOUBLE_EQ(row.EquityAfter, 11000);
    EXPECT_EQ(row.Ticker.View(), "ABC");
}

TEST(Backtest, ShortTradeSellsFirstAndBuysBack) {
    SystemTestSettings s;
    s.Positions = SystemTestSettings::kShort;
    StockRun run(s);
    // Sell at 11 on bar 1, buy back at 10 on bar 3; the high while short is 11.5.
    auto bars = Bars({12, 11, 11.5f, 10});
    ASSERT_TRUE(run.Test(bars, {1, 0, 0, 1}, {0, 1, 0, 0}));
    EXPECT_DOUBLE_EQ(run.summary.ProfitOfWinners, 1000);  // (11 - 10) * 10000 / 10
    EXPECT_DOUBLE_EQ(run.summary.Equity, 11000);
    // Adverse excursion of a short: (11 - 11.5) * 10000 / 11.
    EXPECT_NEAR(run.summary.MaxTradeDrawdown, -0.5 * 10000 / 11, 1e-9);
    EXPECT_NEAR(run.summary.SystemDrawdown, -0.5 * 10000 / 11, 1e-9);
    ASSERT_EQ(run.rows.Size(), 1u);
    EXPECT_EQ(RowText(run.rows[0]), "ABC\tShort\t" + Day(1) + "\t" + Day(3) + "\t10.0%");
    EXPECT_EQ(run.rows[0].TradeType, ResultRow::kShort);
    EXPECT_FLOAT_EQ(run.rows[0].EntryPrice, 11);
    EXPECT_FLOAT_EQ(run.rows[0].ExitPrice, 10);
}

TEST(Backtest, ZeroProfitIsALoserAndRunsAreCounted) {
    StockRun run;
    // Three winners, a trade at no change, a loser, then one more winner.
    const auto bars = Bars({10, 11, 10, 12, 10, 11, 10, 10, 10, 9, 9, 10});
    std::vector<float> buy{1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0};
    std::vector<float> sell{0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1};
    ASSERT_TRUE(run.Test(bars, buy, sell));
    const StockTestSummary& s = run.summary;
    EXPECT_EQ(s.Trades, 6);
    EXPECT_EQ(s.Winners, 4);
    EXPECT_EQ(s.Losers, 2);
    EXPECT_EQ(s.MaxConsecutiveWinners, 3);
    // The zero trade starts a losers' run; a loss after a zero profit starts a new one.
    EXPECT_EQ(s.MaxConsecutiveLosers, 1);
    EXPECT_EQ(s.CurrentRun, 1);
    EXPECT_LT(s.LargestLoser, 0);
    EXPECT_EQ(s.LargestLoserBars, 1);
    EXPECT_EQ(RowText(run.rows[3]).substr(RowText(run.rows[3]).rfind('\t') + 1), "0.0%");
}

TEST(Backtest, LosersAfterALossExtendTheRun) {
    StockRun run;
    const auto bars = Bars({10, 9, 10, 9, 10, 9, 10, 11});
    ASSERT_TRUE(run.Test(bars, {1, 0, 1, 0, 1, 0, 1, 0}, {0, 1, 0, 1, 0, 1, 0, 1}));
    EXPECT_EQ(run.summary.Losers, 3);
    EXPECT_EQ(run.summary.MaxConsecutiveLosers, 3);
    EXPECT_EQ(run.summary.MaxConsecutiveWinners, 1);
    // The adverse excursion of the first loser: (9 - 10) * 10000 / 10.
    EXPECT_DOUBLE_EQ(run.summary.MaxTradeDrawdown, -1000);
}

TEST(Backtest, BuyWithoutSellIsNotKept) {
    StockRun run;
    EXPECT_FALSE(run.Test(Bars({10, 11, 12, 13}), {1, 0, 1, 0}, {0, 0, 0, 0}));
    EXPECT_TRUE(run.rows.Empty());
    // A missing sell array is the same.
    EXPECT_FALSE(run.Test(Bars({10, 11, 12, 13}), {1, 0, 1, 0}, {}));
}

TEST(Backtest, PercentStopExitsAtTheFirstCloseAtOrBelowTheLevel) {
    SystemTestSettings s;
    s.StopMode = SystemTestSettings::kStopPercent;
    s.StopValue = 10;
    StockRun run(s);
    EXPECT_DOUBLE_EQ(s.StopLevel(), 0.9);
    ASSERT_TRUE(
        run.Test(Bars({10, 9.5f, 9.05f, 9, 8, 12}), {1, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0}));
    ASSERT_EQ(run.rows.Size(), 1u);
    EXPECT_EQ(RowText(run.rows[0]), "ABC\tLong\t" + Day(0) + "\t" + Day(3) + "\t-10.0%");
    EXPECT_EQ(run.summary.Losers, 1);
    EXPECT_DOUBLE_EQ(run.summary.Equity, 9000);

    // 100 percent is no stop at all; beyond 100 the level stays off rather than turning
    // into a point stop.
    s.StopValue = 100;
    EXPECT_DOUBLE_EQ(s.StopLevel(), 0);
    s.StopValue = 150;
    EXPECT_DOUBLE_EQ(s.StopLevel(), 0);
    StockRun none(s);
    EXPECT_FALSE(none.Test(Bars({10, 1, 0.5f}), {1, 0, 0}, {0, 0, 0}));
}

TEST(Backtest, PointStopExitsWhenTheCloseIsThatFarBelowTheEntry) {
    SystemTestSettings s;
    s.StopMode = SystemTestSettings::kStopPoint;
    s.StopValue = 2;
    StockRun run(s);
    EXPECT_DOUBLE_EQ(s.StopLevel(), -2);
    ASSERT_TRUE(run.Test(Bars({10, 9, 8.5f, 8, 7}), {1, 0, 0, 0, 0}, {0, 0, 0, 0, 0}));
    ASSERT_EQ(run.rows.Size(), 1u);
    EXPECT_EQ(run.rows[0].ExitDate, AddDays(MakeDate(2024, 1, 1), 3));
    EXPECT_DOUBLE_EQ(run.summary.LossOfLosers, -2000);

    // A short is stopped when the close rises that far above its entry.
    s.Positions = SystemTestSettings::kShort;
    StockRun shortRun(s);
    ASSERT_TRUE(shortRun.Test(Bars({10, 11, 12, 13}), {0, 0, 0, 0}, {1, 0, 0, 0}));
    ASSERT_EQ(shortRun.rows.Size(), 1u);
    EXPECT_EQ(shortRun.rows[0].ExitDate, AddDays(MakeDate(2024, 1, 1), 2));

    s.StopValue = -2;  // not a stop
    EXPECT_DOUBLE_EQ(s.StopLevel(), 0);
}

TEST(Backtest, StopNeverOpensAPositionOfADisabledDirection) {
    SystemTestSettings s;
    s.StopMode = SystemTestSettings::kStopPercent;
    s.StopValue = 10;
    StockRun run(s);
    // A sell with no long pending is dropped; the rise after it opens nothing.
    EXPECT_FALSE(run.Test(Bars({10, 12, 13, 14}), {0, 0, 0, 0}, {1, 0, 0, 1}));
    EXPECT_TRUE(run.rows.Empty());
}

TEST(Backtest, DroppedSellDoesNotWidenTheNextTradesExcursion) {
    StockRun run;
    // The low of 5 lies between the dropped sell and the buy.
    const auto bars = Bars({10, 5, 10, 11, 12});
    ASSERT_TRUE(run.Test(bars, {0, 0, 1, 0, 0}, {1, 0, 0, 0, 1}));
    EXPECT_DOUBLE_EQ(run.summary.MaxTradeDrawdown, 0);
    EXPECT_EQ(run.summary.Trades, 1);
}

TEST(Backtest, ShiftSignalsMovesValuesLaterFromTheFirstValue) {
    std::vector<float> a{E, E, 0, 1, 0, 0, 2, 0};
    ShiftSignals(a, 1);
    EXPECT_EQ(a, (std::vector<float>{E, E, E, 0, 1, 0, 0, 2}));
    ShiftSignals(a, 2);
    EXPECT_EQ(a, (std::vector<float>{E, E, E, E, E, 0, 1, 0}));
    ShiftSignals(a, 0);
    ShiftSignals(a, -3);
    EXPECT_EQ(a, (std::vector<float>{E, E, E, E, E, 0, 1, 0}));
    ShiftSignals(a, 100);
    EXPECT_EQ(a, std::vector<float>(8, E));
    std::vector<float> empty;
    ShiftSignals(empty, 3);
    EXPECT_TRUE(empty.empty());
}

TEST(Backtest, BuyDelayActsOneBarLater) {
    SystemTestSettings s;
    s.BuyDelay = 1;
    StockRun run(s);
    ASSERT_TRUE(run.Test(Bars({10, 8, 9, 12}), {1, 0, 0, 0}, {0, 0, 0, 1}));
    ASSERT_EQ(run.rows.Size(), 1u);
    EXPECT_EQ(run.rows[0].EntryDate, AddDays(MakeDate(2024, 1, 1), 1));
    EXPECT_DOUBLE_EQ(run.summary.ProfitOfWinners, 4 * 10000.0 / 8);
}

TEST(Backtest, LongAndShortReverseAtEverySignal) {
    SystemTestSettings s;
    s.Positions = SystemTestSettings::kLongAndShort;
    StockRun run(s);
    const auto bars = Bars({10, 11, 12, 11, 9, 10});
    ASSERT_TRUE(run.Test(bars, {1, 0, 0, 0, 1, 0}, {0, 0, 1, 0, 0, 0}));
    ASSERT_EQ(run.rows.Size(), 2u);
    EXPECT_EQ(RowText(run.rows[0]), "ABC\tLong\t" + Day(0) + "\t" + Day(2) + "\t20.0%");
    EXPECT_EQ(RowText(run.rows[1]), "ABC\tShort\t" + Day(2) + "\t" + Day(4) + "\t33.3%");
    const StockTestSummary& r = run.summary;
    EXPECT_EQ(r.Trades, 2);
    EXPECT_EQ(r.MaxConsecutiveWinners, 2);
    // The long reopened at 9 on bar 4 is still open at the last close of 10.
    EXPECT_NEAR(r.OpenPositionGain, 16000.0 / 9, 1e-9);
    EXPECT_EQ(r.OpenPositionBars, 1);
    EXPECT_NEAR(r.Equity, 16000 + 16000.0 / 9, 1e-9);
    EXPECT_DOUBLE_EQ(r.BuyAndHoldEquity, 10000);
    EXPECT_EQ(r.BarsInTest, 5);
}

TEST(Backtest, OpenShortIsValuedAtTheLastBar) {
    SystemTestSettings s;
    s.Positions = SystemTestSettings::kShort;
    StockRun run(s);
    ASSERT_TRUE(run.Test(Bars({10, 9, 10, 12, 8}), {0, 1, 0, 0, 0}, {1, 0, 0, 1, 0}));
    EXPECT_EQ(run.summary.Trades, 1);
    // Short from 12 on bar 3, bought back at 8 on bar 4 with the equity after the first trade.
    const double equity = 10000 + 10000.0 / 9;
    EXPECT_NEAR(run.summary.OpenPositionGain, 4 * equity / 8, 1e-9);
    EXPECT_EQ(run.summary.OpenPositionBars, 1);
}

TEST(Backtest, CommissionModes) {
    const auto bars = Bars({10, 11});
    SystemTestSettings percent;
    percent.CommissionMode = SystemTestSettings::kCommissionPercent;
    percent.CommissionValue = 1;
    StockRun p(percent);
    ASSERT_TRUE(p.Test(bars, {1, 0}, {0, 1}));
    EXPECT_DOUBLE_EQ(p.summary.CommissionsOfWinners, 100 + 110);
    EXPECT_DOUBLE_EQ(p.summary.Equity, 11000 - 210);
    EXPECT_EQ(RowText(p.rows[0]).substr(RowText(p.rows[0]).rfind('\t') + 1), "7.9%");
    // Buy-and-hold pays the same two commissions.
    EXPECT_DOUBLE_EQ(p.summary.BuyAndHoldCommission, 210);

    SystemTestSettings point;
    point.CommissionMode = SystemTestSettings::kCommissionPoint;
    point.CommissionValue = 7.5f;
    StockRun q(point);
    ASSERT_TRUE(q.Test(bars, {1, 0}, {0, 1}));
    EXPECT_DOUBLE_EQ(q.summary.CommissionsOfWinners, 15);

    // Mode 0 takes the portfolio's table: here 5 on every transaction above 0.
    CommissionTable table;
    table.Base[4] = 5;
    StockRun t(SystemTestSettings{}, table);
    ASSERT_TRUE(t.Test(bars, {1, 0}, {0, 1}));
    EXPECT_DOUBLE_EQ(t.summary.LargestWinnerCommission, 10);

    SystemTestSettings other;
    other.CommissionMode = 7;
    other.CommissionValue = 3;
    EXPECT_DOUBLE_EQ(CommissionModel(other, table)(1000), 0);
}

TEST(Backtest, PriceChoicesOfEntryAndExit) {
    EXPECT_FLOAT_EQ(BarPrice(Quotation{0, 4, 1, 6, 2, 0, 0, 0, 0}, TradePrice::Average), 4);
    SystemTestSettings s;
    s.BuyPrice = TradePrice::Open;
    s.SellPrice = TradePrice::High;
    StockRun run(s);
    auto bars = Bars({10, 11});
    bars[0].Open = 8;
    bars[1].High = 12;
    ASSERT_TRUE(run.Test(bars, {1, 0}, {0, 1}));
    EXPECT_DOUBLE_EQ(run.summary.ProfitOfWinners, 4 * 10000.0 / 8);
    EXPECT_FLOAT_EQ(run.rows[0].EntryPrice, 8);
    EXPECT_FLOAT_EQ(run.rows[0].ExitPrice, 12);
}

TEST(Backtest, OnlyTheVisitedBarsAreWalked) {
    StockRun run;
    const auto bars = Bars({10, 11, 12, 13, 14});
    // The buy on bar 0 lies outside; the walk starts at bar 2 and sells on bar 3.
    EXPECT_FALSE(run.Test(bars, {1, 0, 0, 0, 0}, {0, 0, 0, 1, 0}, 2));
    ASSERT_TRUE(run.Test(bars, {1, 0, 1, 0, 0}, {0, 0, 0, 1, 1}, 2, 4));
    EXPECT_EQ(run.summary.Trades, 1);
    EXPECT_EQ(run.summary.BarsInTest, 1);
    // Ranges past the bars are clamped.
    EXPECT_FALSE(run.Test(bars, {1, 0, 0, 0, 0}, {0, 1, 0, 0, 0}, 9, 20));
}

TEST(Backtest, OverallSummaryAndSummaryLine) {
    BacktestResults results;
    results.Clear(10000);
    EXPECT_EQ(results.SummaryLine(),
              "Trans no.: 0, Avg. trade (gain+loss)=   +0.00, Test portfolio =    10000 (  "
              "+0.00%)");

    StockRun a;
    ASSERT_TRUE(a.Test(Bars({10, 11, 10, 9}), {1, 0, 1, 0}, {0, 1, 0, 1}));
    StockRun b;
    ASSERT_TRUE(b.Test(Bars({20, 25, 20, 19}), {1, 0, 1, 0}, {0, 1, 0, 1}));
    results.Keep(a.summary);
    results.Keep(b.summary);
    results.BuildOverall();
    const StockTestSummary& o = results.Overall;
    EXPECT_TRUE(o.Name.Empty());
    EXPECT_DOUBLE_EQ(o.InitialEquity, 20000);
    EXPECT_EQ(o.Trades, 4);
    EXPECT_EQ(o.Winners, 2);
    EXPECT_EQ(o.Losers, 2);
    EXPECT_DOUBLE_EQ(o.LargestWinner, 2500);
    EXPECT_DOUBLE_EQ(o.LargestLoser, std::min(a.summary.LargestLoser, b.summary.LargestLoser));
    EXPECT_DOUBLE_EQ(o.Equity, a.summary.Equity + b.summary.Equity);
    EXPECT_DOUBLE_EQ(o.MaxTradeDrawdown,
                     std::min(a.summary.MaxTradeDrawdown, b.summary.MaxTradeDrawdown));
    EXPECT_EQ(o.BarsInTest, 6);

    const double avgTrade = (o.ProfitOfWinners + o.LossOfLosers) / 4;
    const double portfolio = (a.summary.Equity + b.summary.Equity) / 2;
    char expected[160];
    std::snprintf(expected, sizeof expected,
                  "Trans no.: 4, Avg. trade (gain+loss)= %+7.2lf, Test portfolio = %8.0lf "
                  "(%+7.2lf%%)",
                  avgTrade, portfolio, (portfolio - 10000) * 100 / 10000);
    EXPECT_EQ(results.SummaryLine(), expected);

    ResultList rows;
    results.AddClosingRows(rows);
    ASSERT_EQ(rows.Size(), 2u);
    EXPECT_EQ(RowText(rows[0]), "");
    // The row holds the first 79 bytes; the status text shows the whole line.
    EXPECT_EQ(RowText(rows[1]), std::string(expected).substr(0, ResultRow::kMaxText));
    EXPECT_TRUE(rows[1].Ticker.Empty());

    const BackTestListState state = BackTestCommandResult(rows, results);
    EXPECT_EQ(state.StatusText, expected);
    EXPECT_EQ(state.ShownRows, 1u);
    ResultList none;
    EXPECT_EQ(BackTestCommandResult(none, results).StatusText, "No results");
    EXPECT_EQ(BackTestCommandResult(none, results).ShownRows, 0u);
}

TEST(Backtest, ZeroPricesGiveNoNonsenseInTheRowText) {
    StockRun run;
    ASSERT_TRUE(run.Test(Bars({0, 1, 2}), {1, 0, 0}, {0, 1, 0}));
    const std::string text = RowText(run.rows[0]);
    EXPECT_EQ(text.find("nan"), std::string::npos) << text;
    EXPECT_EQ(text.find("inf"), std::string::npos) << text;
}

}  // namespace
}  // namespace velmora
