#pragma once
// Parameter optimisation: the backtest run once per combination of the values of the formula's
// optimize() parameters (the full grid), over the same stocks, bars and settings as a plain
// backtest, with extended statistics. Every combination is one backtest, so each row is what a
// plain backtest of the formula with those values written in gives. On several threads the
// combinations run side by side, one per thread, each with an engine of its own (or, when that
// would leave threads idle, one after another with their stocks spread over the threads); the
// calling thread shows the progress, messages and error reports in grid order, so the rows, the
// progress and where the run stops are those of a run on one thread. The progress dialog counts
// the stocks of all combinations; a cancel, a formula error or a missing assignment ends the
// optimisation after the combinations done (the one running is not listed).

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/AnalysisSelection.h"
#include "analysis/Backtest.h"
#include "analysis/SelectionRun.h"
#include "analysis/SystemTestSettings.h"
#include "database/Database.h"
#include "formula/FormulaEngine.h"
#include "formula/Optimize.h"
#include "platform/Status.h"
#include "platform/UserInterface.h"

namespace velmora {

inline constexpr std::size_t kMaxCombinations = 100000;
inline constexpr std::string_view kOptimizeProgressText = "Optimizing...";

// The combinations of the parameters' values; the last parameter varies fastest.
class OptimizationGrid {
  public:
    // The grid of the formula's parameters. Fails with the reason when the formula has no
    // optimize() parameter, when a call cannot be used, or when the grid holds more than
    // `limit` combinations.
    static Result<OptimizationGrid> Of(std::string_view formula,
                                       std::size_t limit = kMaxCombinations);

    const std::vector<OptimizeParameter>& Parameters() const { return parameters_; }
    std::size_t Combinations() const { return combinations_; }
    // The values of combination k, in the order of the parameters.
    std::vector<float> Values(std::size_t k) const;
    // Name -> value, for FormulaEngine::SetParameters.
    FormulaParameters Assignment(const std::vector<float>& values) const;

  private:
    std::vector<OptimizeParameter> parameters_;
    std::vector<std::size_t> counts_;  // values of each parameter
    std::size_t combinations_ = 0;
};

// One combination's result: its values and the figures of its whole test.
struct OptimizationRow {
    std::vector<float> Values;
    double NetProfit = 0;  // final equity of the kept stocks - their initial equity
    std::int32_t Trades = 0;
    std::optional<double> PercentProfitable;  // winners / trades * 100; absent without trades
    double MaxDrawdownPercent = 0;
    std::optional<double> CarPercent;
    std::optional<double> Sharpe;
    std::optional<double> ProfitFactor;

    bool operator==(const OptimizationRow&) const = default;
};

// The row of a finished backtest (run with extended statistics).
OptimizationRow OptimizationRowOf(std::vector<float> values, const BacktestResults& results);

// What the rows can be sorted by; every order puts the best first (the highest value; for the
// drawdown, which is at most 0, the smallest fall) and rows without the figure last.
enum class OptimizationMetric {
    NetProfit,
    Trades,
    PercentProfitable,
    MaxDrawdownPercent,
    CarPercent,
    Sharpe,
    ProfitFactor
};
// "net_profit", "trades", "percent_profitable", "max_drawdown_percent", "car_percent", "sharpe",
// "profit_factor".
std::optional<OptimizationMetric> OptimizationMetricNamed(std::string_view name);
std::string_view OptimizationMetricName(OptimizationMetric metric);
std::optional<double> MetricOf(const OptimizationRow& row, OptimizationMetric metric);
// A stable sort: rows of equal figures keep the order of the grid.
void SortOptimizationRows(std::vector<OptimizationRow>& rows, OptimizationMetric metric);

class Optimizer {
  public:
    Optimizer(Database& db, FormulaEngine& engine, UserInterface& ui)
        : db_(db), engine_(engine), ui_(ui) {}

    // Empties `rows` and adds the row of every combination in grid order. The settings are
    // used with extended statistics on. NothingToDo when n is negative.
    AnalysisOutcome Run(std::string_view formula, const OptimizationGrid& grid,
                        const AnalysisSelection& selection, const SystemTestSettings& settings,
                        std::vector<OptimizationRow>& rows);

    void SetThreads(int threads) { threads_ = threads; }

  private:
    Database& db_;
    FormulaEngine& engine_;
    UserInterface& ui_;
    int threads_ = 1;
};

}  // namespace velmora
