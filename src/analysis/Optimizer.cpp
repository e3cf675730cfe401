#include "analysis/Optimizer.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <future>
#include <utility>

#include "analysis/Backtester.h"
#include "analysis/ResultList.h"

namespace velmora {

namespace {

constexpr std::string_view kMetricNames[] = {
    "net_profit",  "trades", "percent_profitable", "max_drawdown_percent",
    "car_percent", "sharpe", "profit_factor"};

std::string GroupedCount(std::size_t n) {
    std::string digits = std::to_string(n);
    for (std::size_t i = digits.size(); i > 3; i -= 3) digits.insert(i - 3, ",");
    return digits;
}

// The user interface as one combination's backtest sees it: everything goes to the real one,
// except that the progress dialog counts the stocks of all combinations and is closed only
// by the optimiser.
class CombinationInterface final : public UserInterface, private ProgressReporter {
  public:
    CombinationInterface(UserInterface& ui, std::size_t combinations)
        : ui_(ui), combinations_(combinations) {}

    void SetCombination(std::size_t k) { combination_ = k; }

    void ShowMessage(std::string_view text) override { ui_.ShowMessage(text); }
    void ShowMessageWithFile(std::string_view text, const std::filesystem::path& file) override {
        ui_.ShowMessageWithFile(text, file);
    }
    bool AskYesNo(std::string_view question) override { return ui_.AskYesNo(question); }
    std::optional<bool> AskYesNoCancel(std::string_view question) override {
        return ui_.AskYesNoCancel(question);
    }
    std::optional<std::string> AskString(std::string_view prompt,
                                         std::string_view initial) override {
        return ui_.AskString(prompt, initial);
    }
    void SetStatusText(std::string_view text) override { ui_.SetStatusText(text); }
    void SetProgressPercent(int percent) override { ui_.SetProgressPercent(percent); }
    ProgressReporter& Progress() override { return *this; }

  private:
    bool Step(int index, int total, std::string_view, std::string_view caption) override {
        // Item `index` of combination k among all combinations' items, kept within an int.
        const auto all = static_cast<std::int64_t>(combinations_) * std::max(total, 1);
        const std::int64_t at =
            static_cast<std::int64_t>(combination_) * std::max(total, 1) + index;
        const std::int64_t scale = all / INT_MAX + 1;
        return ui_.Progress().Step(static_cast<int>(at / scale), static_cast<int>(all / scale),
                                   kOptimizeProgressText, caption);
    }
    void Close() override {}

    UserInterface& ui_;
    std::size_t combinations_;
    std::size_t combination_ = 0;
};

// Puts the engine's parameters back when the optimisation ends.
class ParametersKept {
  public:
    explicit ParametersKept(FormulaEngine& engine) : engine_(engine), kept_(engine.Parameters()) {}
    ParametersKept(const ParametersKept&) = delete;
    ParametersKept& operator=(const ParametersKept&) = delete;
    ~ParametersKept() { engine_.SetParameters(std::move(kept_)); }

  private:
    FormulaEngine& engine_;
    FormulaParameters kept_;
};

}  // namespace

Result<OptimizationGrid> OptimizationGrid::Of(std::string_view formula, std::size_t limit) {
    auto found = FindOptimizeParameters(formula);
    if (!found) return found.GetStatus();
    if (found->empty()) {
        return Status::Error(
            "The formula has no parameter to optimize: mark one with "
            "optimize(\"name\", default, min, max, step)");
    }
    OptimizationGrid grid;
    grid.parameters_ = std::move(*found);
    grid.combinations_ = 1;
    for (const OptimizeParameter& p : grid.parameters_) {
        const std::size_t count = ParameterValueCount(p, limit);
        grid.counts_.push_back(count);
        // Both are at most limit + 1, so the product cannot overflow before the check.
        grid.combinations_ = std::min(grid.combinations_ * count, limit + 1);
    }
    if (grid.combinations_ > limit) {
        return Status::Error("The optimization has more than " + GroupedCount(limit) +
                             " combinations: widen the steps or narrow the ranges");
    }
    return grid;
}

std::vector<float> OptimizationGrid::Values(std::size_t k) const {
    std::vector<float> values(parameters_.size());
    for (std::size_t i = parameters_.size(); i-- > 0;) {
        values[i] = ParameterValue(parameters_[i], k % counts_[i]);
        k /= counts_[i];
    }
    return values;
}

FormulaParameters OptimizationGrid::Assignment(const std::vector<float>& values) const {
    FormulaParameters assignment;
    for (std::size_t i = 0; i < parameters_.size() && i < values.size(); ++i) {
        assignment.emplace(parameters_[i].Name, values[i]);
    }
    return assignment;
}

OptimizationRow OptimizationRowOf(std::vector<float> values, const BacktestResults& results) {
    OptimizationRow row;
    row.Values = std::move(values);
    const StockTestSummary& o = results.Overall;
    row.NetProfit = o.Equity - o.InitialEquity;
    row.Trades = o.Trades;
    if (o.Trades > 0) row.PercentProfitable = 100.0 * o.Winners / o.Trades;
    const ExtendedStatistics& s = results.OverallStatistics;
    row.MaxDrawdownPercent = s.MaxDrawdownPercent;
    row.CarPercent = s.CarPercent;
    row.Sharpe = s.Sharpe;
    row.ProfitFactor = s.ProfitFactor;
    return row;
}

std::optional<OptimizationMetric> OptimizationMetricNamed(std::string_view name) {
    for (std::size_t i = 0; i < std::size(kMetricNames); ++i) {
        if (kMetricNames[i] == name) return static_cast<OptimizationMetric>(i);
    }
    return std::nullopt;
}

std::string_view OptimizationMetricName(OptimizationMetric metric) {
    return kMetricNames[static_cast<std::size_t>(metric)];
}

std::optional<double> MetricOf(const OptimizationRow& row, OptimizationMetric metric) {
    switch (metric) {
        case OptimizationMetric::NetProfit:
            return row.NetProfit;
        case OptimizationMetric::Trades:
            return row.Trades;
        case OptimizationMetric::PercentProfitable:
            return row.PercentProfitable;
        case OptimizationMetric::MaxDrawdownPercent:
            return row.MaxDrawdownPercent;
        case OptimizationMetric::CarPercent:
            return row.CarPercent;
        case OptimizationMetric::Sharpe:
            return row.Sharpe;
        case OptimizationMetric::ProfitFactor:
            return row.ProfitFactor;
    }
    return std::nullopt;
}

void SortOptimizationRows(std::vector<OptimizationRow>& rows, OptimizationMetric metric) {
    std::stable_sort(rows.begin(), rows.end(),
                     [metric](const OptimizationRow& a, const OptimizationRow& b) {
                         const auto x = MetricOf(a, metric);
                         const auto y = MetricOf(b, metric);
                         if (!y) return x.has_value();
                         return x && *x > *y;
                     });
}

AnalysisOutcome Optimizer::Run(std::string_view formula, const OptimizationGrid& grid,
                               const AnalysisSelection& selection,
                               const SystemTestSettings& settings,
                               std::vector<OptimizationRow>& rows) {
    rows.clear();
    if (selection.n < 0) return AnalysisOutcome::NothingToDo;
    SystemTestSettings withStatistics = settings;
    withStatistics.ExtendedStatistics = 1;
    const ParametersKept kept(engine_);
    CombinationInterface ui(ui_, grid.Combinations());
    Backtester backtester(db_, engine_, ui);
    backtester.SetThreads(threads_);
    // The whole test's figures of a combination (its overall curve) are made on a thread of
    // their own while the stocks of the next combination run.
    backtester.SetOverallLeftToCaller(true);
    AnalysisOutcome outcome = AnalysisOutcome::Completed;
    ResultList trades;
    std::future<OptimizationRow> pending;
    for (std::size_t k = 0; k < grid.Combinations(); ++k) {
        std::vector<float> values = grid.Values(k);
        engine_.SetParameters(grid.Assignment(values));
        ui.SetCombination(k);
        BacktestResults results;
        outcome = backtester.Run(formula, selection, withStatistics, trades, results);
        if (pending.valid()) rows.push_back(pending.get());
        if (outcome != AnalysisOutcome::Completed) break;
        pending = std::async(std::launch::async,
                             [values = std::move(values), results = std::move(results)]() mutable {
                                 results.BuildOverall();
                                 return OptimizationRowOf(std::move(values), results);
                             });
    }
    if (pending.valid()) rows.push_back(pending.get());
    if (selection.applyTo != ApplyTo::CurrentStock) ui_.Progress().Close();
    return outcome;
}

}  // namespace velmora
