// The optimiser against plain backtests of the formula with the values written in, on one
// thread and on several; the grid's limit and order; the sorting of the rows.

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "analysis/Backtester.h"
#include "analysis/Optimizer.h"
#include "formula/FormulaErrorSink.h"
#include "platform/ConsoleUserInterface.h"

namespace velmora {
namespace {

// A moving-average rule with a whole and a fractional parameter (0.98 + 2 * 0.02 must be the
// 1.02 that a formula reads).
constexpr std::string_view kRule =
    "m = ma(close, optimize(\"n\", 10, 5, 15, 5));\r\n"
    "buy = cross(close, m * optimize(\"k\", 1, 0.98, 1.02, 0.02));\r\n"
    "sell = cross(m, close);";

// The formula with each optimize() call replaced by its value in the combination.
std::string WrittenIn(std::string formula, const OptimizationGrid& grid,
                      const std::vector<float>& values) {
    for (std::size_t i = 0; i < values.size(); ++i) {
        const std::regex call("optimize\\(\"" + grid.Parameters()[i].Name + "\"[^)]*\\)");
        formula = std::regex_replace(formula, call, ParameterText(values[i]));
    }
    return formula;
}

class OptimizerTest : public ::testing::Test {
  protected:
    OptimizerTest() {
        std::mt19937 rng(20261210);
        std::normal_distribution<float> step(0.0f, 0.02f);
        for (int i = 0; i < 9; ++i) {
            Stock& s = *db.AddStock("T" + std::to_string(10 + i));
            float close = 20;
            for (int j = 0; j < 250 + 10 * i; ++j) {
                Quotation* q = db.AddQuotation(s, AddDays(MakeDate(2021, 1, 1), j + i));
                close *= std::exp(step(rng));
                q->Close = close;
                q->Open = close * 0.99f;
                q->High = close * 1.02f;
                q->Low = close * 0.97f;
            }
        }
        settings.CommissionMode = SystemTestSettings::kCommissionPercent;
        settings.CommissionValue = 0.2f;
        settings.Positions = SystemTestSettings::kLongAndShort;
    }

    std::vector<OptimizationRow> Optimize(int threads, AnalysisOutcome expected) {
        const auto grid = OptimizationGrid::Of(kRule);
        EXPECT_TRUE(grid) << grid.GetStatus().ToString();
        Optimizer optimizer(db, engine, ui);
        optimizer.SetThreads(threads);
        std::vector<OptimizationRow> rows;
        EXPECT_EQ(optimizer.Run(kRule, *grid, selection, settings, rows), expected);
        return rows;
    }

    Database db;
    RecordingFormulaErrorSink errors;
    FormulaEngine engine{errors, &db};
    RecordingUserInterface ui;
    AnalysisSelection selection;
    SystemTestSettings settings;
};

TEST_F(OptimizerTest, EveryRowIsThePlainBacktestWithTheValuesWrittenIn) {
    const auto grid = OptimizationGrid::Of(kRule);
    ASSERT_TRUE(grid);
    ASSERT_EQ(grid->Combinations(), 9u);
    EXPECT_EQ(grid->Values(5), (std::vector<float>{10.0f, 1.02f}));  // the last varies fastest
    const std::vector<OptimizationRow> rows = Optimize(1, AnalysisOutcome::Completed);
    ASSERT_EQ(rows.size(), 9u);
    std::set<double> profits;
    for (std::size_t k = 0; k < rows.size(); ++k) {
        EXPECT_EQ(rows[k].Values, grid->Values(k));
        SystemTestSettings withStatistics = settings;
        withStatistics.ExtendedStatistics = 1;
        ResultList trades;
        BacktestResults plain;
        Backtester backtester(db, engine, ui);
        ASSERT_EQ(backtester.Run(WrittenIn(std::string(kRule), *grid, rows[k].Values), selection,
                                 withStatistics, trades, plain),
                  AnalysisOutcome::Completed);
        EXPECT_EQ(rows[k], OptimizationRowOf(rows[k].Values, plain)) << k;
        profits.insert(rows[k].NetProfit);
    }
    EXPECT_GT(profits.size(), 5u);             // the values reach the formula
    EXPECT_TRUE(engine.Parameters().empty());  // the engine is left as it was
}

TEST_F(OptimizerTest, SeveralThreadsGiveTheRowsOfOneAndOneProgressOverAllCombinations) {
    const std::vector<OptimizationRow> one = Optimize(1, AnalysisOutcome::Completed);
    // Three threads run the nine combinations side by side; four run them one after another.
    for (const int threads : {3, 4}) {
        ui.progress.steps.clear();
        ui.progress.closes = 0;
        EXPECT_EQ(Optimize(threads, AnalysisOutcome::Completed), one);
        ASSERT_EQ(ui.progress.steps.size(), 9u * 9u);
        EXPECT_EQ(ui.progress.steps.back().index, 8 * 9 + 8);
        EXPECT_EQ(ui.progress.steps.back().total, 9 * 9);
        EXPECT_EQ(ui.progress.closes, 1);
    }
}

TEST_F(OptimizerTest, CancelKeepsOnlyTheCombinationsDone) {
    ui.progress.cancelAt = 2 * 9 + 4;  // in the third combination
    const std::vector<OptimizationRow> rows = Optimize(2, AnalysisOutcome::Cancelled);
    EXPECT_EQ(rows.size(), 2u);
    EXPECT_EQ(ui.progress.closes, 1);
}

TEST(OptimizationGrid, RefusesMoreThanTheLimit) {
    const auto exactly = OptimizationGrid::Of(
        "a = optimize(\"a\", 1, 1, 1000, 1) + optimize(\"b\", 0, 0, 9.9, 0.1);");
    ASSERT_TRUE(exactly) << exactly.GetStatus().ToString();
    EXPECT_EQ(exactly->Combinations(), 100000u);
    EXPECT_EQ(exactly->Values(99999), (std::vector<float>{1000.0f, 9.9f}));
    const auto above = OptimizationGrid::Of(
        "a = optimize(\"a\", 1, 1, 1001, 1) + optimize(\"b\", 0, 0, 9.9, 0.1);");
    ASSERT_FALSE(above);
    EXPECT_EQ(above.GetStatus().ToString(),
              "The optimization has more than 100,000 combinations: widen the steps or narrow "
              "the ranges");
    EXPECT_FALSE(OptimizationGrid::Of("buy = c > o; sell = c < o;"));
}

TEST(OptimizationRows, SortBestFirstWithAbsentFiguresLast) {
    std::vector<OptimizationRow> rows(4);
    for (std::size_t i = 0; i < rows.size(); ++i) rows[i].Values = {static_cast<float>(i)};
    rows[0].MaxDrawdownPercent = -12;
    rows[1].MaxDrawdownPercent = -3;
    rows[3].MaxDrawdownPercent = -3;
    rows[1].Sharpe = 0.5;
    rows[2].Sharpe = 1.5;
    const auto order = [&rows] {
        std::vector<float> values;
        for (const OptimizationRow& row : rows) values.push_back(row.Values[0]);
        return values;
    };
    SortOptimizationRows(rows, *OptimizationMetricNamed("max_drawdown_percent"));
    EXPECT_EQ(order(), (std::vector<float>{2, 1, 3, 0}));
    SortOptimizationRows(rows, *OptimizationMetricNamed("sharpe"));
    EXPECT_EQ(order(), (std::vector<float>{2, 1, 3, 0}));
    EXPECT_FALSE(OptimizationMetricNamed("profit"));
}

}  // namespace
}  // namespace velmora
