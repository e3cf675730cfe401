#include <gtest/gtest.h>

#include <vector>

#include "analysis/AnalysisTestSupport.h"
#include "analysis/Backtest.h"
#include "analysis/EquityStatistics.h"
#include "database/PackedDate.h"

namespace velmora {
namespace {

PackedDate Jan(int day) {
    return MakeDate(2024, 1, day);
}

// Two closed trades (a winner 10 -> 11, a loser 10 -> 9 across three days with no bars) and a
// position still open at the last bar, with 10 of commission per transaction. By hand, the
// equity at the closes is 10000, 12000, 10980, 10980, 8784, 9862, 9862 and 9862 * 1.2.
TEST(EquityStatistics, HandComputedCurveOfOneStock) {
    QuotationList bars = test::Bars({10, 12, 11, 10, 8, 9, 10, 12});
    const PackedDate dates[] = {Jan(1), Jan(2), Jan(3), Jan(4), Jan(8), Jan(9), Jan(10), Jan(11)};
    for (std::size_t i = 0; i < bars.size(); ++i) bars[i].Date = dates[i];
    const std::vector<float> buy = {1, 0, 0, 1, 0, 0, 1, 0};
    const std::vector<float> sell = {0, 0, 1, 0, 0, 1, 0, 0};
    SystemTestSettings settings;
    settings.CommissionMode = SystemTestSettings::kCommissionPoint;
    settings.CommissionValue = 10;
    const CommissionModel commission(settings, CommissionTable{});
    const StockTestParameters params{settings, commission, settings.StopLevel()};
    StockTestSummary summary = StockTestSummary::Start("ABC", settings.InitialEquity);
    ResultList rows;
    ExtendedStatistics stats;
    ASSERT_TRUE(TestStock(params, bars, buy, sell, 0, 8, rows, summary, &stats));
    ComputeStatistics(summary, stats);

    const double final = 9862 * 1.2;
    const double expected[] = {10000, 12000, 10980, 10980, 8784, 9862, 9862, final};
    ASSERT_EQ(stats.Curve.size(), 8u);
    for (std::size_t i = 0; i < 8; ++i) {
        EXPECT_EQ(stats.Curve[i].Date, dates[i]);
        EXPECT_NEAR(stats.Curve[i].Equity, expected[i], 1e-6) << i;
    }
    EXPECT_NEAR(summary.Equity, final, 1e-6);  // the last point is the test's final equity
    // From the peak 12000 down to 8784; 5 of the 7 bar-to-bar moves ran with a position open.
    EXPECT_NEAR(stats.MaxDrawdown, -3216, 1e-6);
    EXPECT_NEAR(stats.MaxDrawdownPercent, -26.8, 1e-9);
    EXPECT_EQ(stats.BarsInPosition, 5);
    EXPECT_NEAR(stats.ExposurePercent, 500.0 / 7, 1e-9);
    // 10 calendar days, weekend included: (1.18344 ^ (365.25 / 10) - 1) * 100.
    ASSERT_TRUE(stats.CarPercent);
    EXPECT_NEAR(*stats.CarPercent, 46853.3486, 1e-3);
    ASSERT_TRUE(stats.Sharpe && stats.Sortino && stats.ProfitFactor && stats.RecoveryFactor);
    EXPECT_NEAR(*stats.Sharpe, 3.6045608320, 1e-8);
    EXPECT_NEAR(*stats.Sortino, 6.0766373332, 1e-8);
    EXPECT_NEAR(*stats.ProfitFactor, 1000.0 / 1098, 1e-12);
    EXPECT_NEAR(*stats.RecoveryFactor, (final - 10000) / 3216, 1e-12);
    EXPECT_EQ(stats.Expectancy.value_or(0), -49);
    EXPECT_EQ(stats.AverageBarsHeld.value_or(0), 2);
}

// Each stock counts its initial equity before its first date and its last value after its
// last; dates both stocks share are summed once.
TEST(EquityStatistics, OverallCurveOverStocksWithDifferentDates) {
    std::vector<ExtendedStatistics> stocks(2);
    stocks[0].Curve = {{Jan(1), 100}, {Jan(3), 110}};
    stocks[1].Curve = {{Jan(2), 60}, {Jan(3), 40}, {Jan(5), 45}};
    const std::vector<double> initials = {100, 50};
    const std::vector<EquityPoint> curve = CombineCurves(stocks, initials);
    const PackedDate dates[] = {Jan(1), Jan(2), Jan(3), Jan(5)};
    const double equity[] = {150, 160, 150, 155};
    ASSERT_EQ(curve.size(), 4u);
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(curve[i].Date, dates[i]);
        EXPECT_DOUBLE_EQ(curve[i].Equity, equity[i]) << i;
    }
}

}  // namespace
}  // namespace velmora
