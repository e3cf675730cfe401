#include "analysis/Optimizer.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <future>
#include <mutex>
#include <thread>
#include <utility>

#include "analysis/Backtester.h"
#include "analysis/ResultList.h"
#include "formula/FormulaErrorSink.h"

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
    void ShowAlignedReport(std::string_view title, std::string_view report) override {
        ui_.ShowAlignedReport(title, report);
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

// Whether the combinations run side by side, one per thread. The threads then never wait for
// one another, whereas a combination whose stocks are spread over the threads hands every
// stock to the calling thread, which costs about a fifth more processor time; side by side,
// the last round of combinations may leave threads idle, so that is chosen while the idle
// share stays within a fifth.
bool SideBySide(std::size_t combinations, int threads) {
    if (threads <= 1 || combinations < 2) return false;
    const auto t = static_cast<std::size_t>(threads);
    const std::size_t slots = (combinations + t - 1) / t * t;
    return (slots - combinations) * 5 <= slots;
}

// What the backtest of a combination run on a worker showed the user, kept until the calling
// thread shows it.
struct Shown {
    enum class Kind { Step, Message, Report, StatusText, ProgressPercent, Restore };
    Kind kind = Kind::Step;
    int index = 0;     // the step's item, the percent, the position of the stock to restore
    int total = 0;     // the step's items
    std::string text;  // the step's caption, the message, the error report, the status text
};

// A combination being run side by side: what its backtest showed so far and how it ended.
struct CombinationSlot {
    std::vector<Shown> shown;
    bool done = false;
    AnalysisOutcome outcome = AnalysisOutcome::Completed;
    OptimizationRow row;
    std::vector<FormulaDiagnostic> diagnostics;  // where the errors its backtest reported lie
    std::exception_ptr failure;
};

// What the combinations run: the formula, the stocks, bars and settings, the caller's engine
// (whose memory limit and database the workers' engines take, and which shows their reports and
// keeps the positions of their errors) and the calling thread's interface.
struct OptimizationJob {
    Database& db;
    FormulaEngine& engine;
    CombinationInterface& ui;
    std::string_view formula;
    const OptimizationGrid& grid;
    const AnalysisSelection& selection;
    const SystemTestSettings& settings;
};

// The grid run combination by combination on a pool of workers. Each worker runs whole
// backtests on one thread, one combination after another, with an engine of its own, so the
// workers never wait for one another per stock. What a combination's backtest shows the user
// (the progress steps, messages, the engine's error reports) and the positions of its errors
// are kept, and the calling thread shows them in grid order, as the run on one thread would: the
// progress, the messages, where a cancel or an error stops the run, the positions the engine
// keeps and the rows are those of one thread. Workers stay at most a window of combinations
// ahead of the one shown, and a cancel stops them after their stock.
//
// The database stays unchanged while the workers read it and is not copied: each worker holds
// one stock's full history at most and the results of its combination (the kept stocks' equity
// curves, 16 bytes a visited bar). The stocks whose older quotations must be loaded and dropped
// again on the stock itself are done once the workers have stopped.
class GridRun {
  public:
    GridRun(const OptimizationJob& job, int threads)
        : job_(job),
          workers_(
              std::min<std::size_t>(static_cast<std::size_t>(threads), job.grid.Combinations())),
          slots_(2 * workers_) {}
    GridRun(const GridRun&) = delete;
    GridRun& operator=(const GridRun&) = delete;
    ~GridRun() { Stop(); }

    // Adds the row of every combination done, in grid order.
    AnalysisOutcome Run(std::vector<OptimizationRow>& rows);

    // Keeps what combination k showed; false once the run stops.
    bool Record(std::size_t k, Shown shown);

  private:
    void Work();
    void RunCombination(std::size_t k, Backtester& backtester, FormulaEngine& engine,
                        ResultList& trades, CombinationSlot& out);
    AnalysisOutcome Show(std::size_t k, std::vector<OptimizationRow>& rows);
    bool ShowOne(const Shown& shown);
    void Stop();

    const OptimizationJob& job_;
    const std::size_t workers_;

    std::vector<CombinationSlot> slots_;  // combination k in slot k % size
    std::mutex mutex_;
    std::condition_variable done_;  // a combination is done
    std::condition_variable free_;  // a slot was freed, or the run stops
    std::size_t next_ = 0;          // the next combination a worker takes
    std::size_t shown_ = 0;         // combinations the calling thread has shown
    bool stop_ = false;
    std::vector<std::thread> threads_;
    std::vector<int> restores_;  // positions of the stocks to load and drop again
};

// The user interface and error sink of a worker's backtests: everything they show is kept for
// the calling thread; the progress dialog is cancelled once the run stops.
class WorkerInterface final : public UserInterface,
                              public FormulaErrorSink,
                              private ProgressReporter {
  public:
    explicit WorkerInterface(GridRun& run) : run_(run) {}

    void SetCombination(std::size_t k) { combination_ = k; }
    void Restore(int index) { Record({Shown::Kind::Restore, index, 0, {}}); }

    void ShowMessage(std::string_view text) override {
        Record({Shown::Kind::Message, 0, 0, std::string(text)});
    }
    // A backtest asks nothing.
    bool AskYesNo(std::string_view) override { return false; }
    std::optional<std::string> AskString(std::string_view, std::string_view) override {
        return std::nullopt;
    }
    void SetStatusText(std::string_view text) override {
        Record({Shown::Kind::StatusText, 0, 0, std::string(text)});
    }
    void SetProgressPercent(int percent) override {
        Record({Shown::Kind::ProgressPercent, percent, 0, {}});
    }
    ProgressReporter& Progress() override { return *this; }
    void ShowFormulaError(std::string_view report) override {
        Record({Shown::Kind::Report, 0, 0, std::string(report)});
    }

  private:
    bool Step(int index, int total, std::string_view, std::string_view caption) override {
        return Record({Shown::Kind::Step, index, total, std::string(caption)});
    }
    void Close() override {}
    bool Record(Shown shown) { return run_.Record(combination_, std::move(shown)); }

    GridRun& run_;
    std::size_t combination_ = 0;
};

bool GridRun::Record(std::size_t k, Shown shown) {
    const std::lock_guard lock(mutex_);
    slots_[k % slots_.size()].shown.push_back(std::move(shown));
    return !stop_;
}

void GridRun::Work() {
    WorkerInterface ui(*this);
    FormulaEngine engine(ui, job_.engine.GetDatabase());
    engine.SetMemoryLimit(job_.engine.MemoryLimit());
    Backtester backtester(job_.db, engine, ui);
    backtester.SetOverallOnly(true);
    backtester.SetOverallLeftToCaller(true);
    backtester.SetRestoresLeftToCaller([&ui](int index) { ui.Restore(index); });
    ResultList trades;
    const std::size_t count = job_.grid.Combinations();
    for (;;) {
        std::size_t k = 0;
        {
            std::unique_lock lock(mutex_);
            free_.wait(lock,
                       [&] { return stop_ || next_ >= count || next_ < shown_ + slots_.size(); });
            if (stop_ || next_ >= count) return;
            k = next_++;
        }
        ui.SetCombination(k);
        CombinationSlot done;
        try {
            RunCombination(k, backtester, engine, trades, done);
            done.diagnostics = engine.Diagnostics();
        } catch (...) {
            done.failure = std::current_exception();
        }
        {
            const std::lock_guard lock(mutex_);
            CombinationSlot& slot = slots_[k % slots_.size()];
            slot.outcome = done.outcome;
            slot.row = std::move(done.row);
            slot.diagnostics = std::move(done.diagnostics);
            slot.failure = done.failure;
            slot.done = true;
        }
        done_.notify_all();
    }
}

void GridRun::RunCombination(std::size_t k, Backtester& backtester, FormulaEngine& engine,
                             ResultList& trades, CombinationSlot& out) {
    std::vector<float> values = job_.grid.Values(k);
    engine.SetParameters(job_.grid.Assignment(values));
    BacktestResults results;
    out.outcome = backtester.Run(job_.formula, job_.selection, job_.settings, trades, results);
    if (out.outcome != AnalysisOutcome::Completed) return;
    results.BuildOverall();
    out.row = OptimizationRowOf(std::move(values), results);
}

bool GridRun::ShowOne(const Shown& shown) {
    switch (shown.kind) {
        case Shown::Kind::Step:
            return job_.ui.Progress().Step(shown.index, shown.total, kScanProgressText, shown.text);
        case Shown::Kind::Message:
            job_.ui.ShowMessage(shown.text);
            break;
        case Shown::Kind::Report:
            job_.engine.ShowErrorReport(shown.text);
            break;
        case Shown::Kind::StatusText:
            job_.ui.SetStatusText(shown.text);
            break;
        case Shown::Kind::ProgressPercent:
            job_.ui.SetProgressPercent(shown.index);
            break;
        case Shown::Kind::Restore:
            restores_.push_back(shown.index);
            break;
    }
    return true;
}

AnalysisOutcome GridRun::Show(std::size_t k, std::vector<OptimizationRow>& rows) {
    // What the worker showed is taken in batches, so that it is not woken for every stock.
    constexpr auto kBatch = std::chrono::milliseconds(20);
    CombinationSlot& slot = slots_[k % slots_.size()];
    job_.ui.SetCombination(k);
    for (bool done = false; !done;) {
        std::vector<Shown> shown;
        {
            std::unique_lock lock(mutex_);
            done_.wait_for(lock, kBatch, [&] { return slot.done; });
            shown.swap(slot.shown);
            done = slot.done;
        }
        for (const Shown& one : shown) {
            if (!ShowOne(one)) return AnalysisOutcome::Cancelled;
        }
    }
    // The worker leaves a done slot alone until it is freed.
    CombinationSlot finished = std::exchange(slot, CombinationSlot{});
    {
        const std::lock_guard lock(mutex_);
        ++shown_;
    }
    free_.notify_all();
    if (finished.failure) std::rethrow_exception(finished.failure);
    job_.engine.KeepDiagnostics(finished.diagnostics);
    if (finished.outcome == AnalysisOutcome::Completed) rows.push_back(std::move(finished.row));
    return finished.outcome;
}

AnalysisOutcome GridRun::Run(std::vector<OptimizationRow>& rows) {
    for (std::size_t i = 0; i < workers_; ++i) threads_.emplace_back([this] { Work(); });
    job_.engine.ClearErrorFlag();
    AnalysisOutcome outcome = AnalysisOutcome::Completed;
    for (std::size_t k = 0; k < job_.grid.Combinations() && outcome == AnalysisOutcome::Completed;
         ++k) {
        outcome = Show(k, rows);
    }
    Stop();
    // A stock is loaded and dropped again once, as the first combination on one thread does.
    std::sort(restores_.begin(), restores_.end());
    restores_.erase(std::unique(restores_.begin(), restores_.end()), restores_.end());
    const AnalysisSelection visit = BacktestSelection(job_.selection, job_.settings);
    for (const int index : restores_) RestoreStock(job_.db, index, visit);
    return outcome;
}

void GridRun::Stop() {
    {
        const std::lock_guard lock(mutex_);
        stop_ = true;
    }
    free_.notify_all();
    for (std::thread& t : threads_) t.join();
    threads_.clear();
}

// The grid run one combination after another, the stocks of each spread over the threads.
AnalysisOutcome RunStockByStock(const OptimizationJob& job, int threads,
                                std::vector<OptimizationRow>& rows) {
    const ParametersKept kept(job.engine);
    Backtester backtester(job.db, job.engine, job.ui);
    backtester.SetThreads(threads);
    backtester.SetOverallOnly(true);
    // The whole test's figures of a combination (its overall curve) are made on a thread of
    // their own while the stocks of the next combination run.
    backtester.SetOverallLeftToCaller(true);
    AnalysisOutcome outcome = AnalysisOutcome::Completed;
    ResultList trades;
    std::future<OptimizationRow> pending;
    for (std::size_t k = 0; k < job.grid.Combinations(); ++k) {
        std::vector<float> values = job.grid.Values(k);
        job.engine.SetParameters(job.grid.Assignment(values));
        job.ui.SetCombination(k);
        BacktestResults results;
        outcome = backtester.Run(job.formula, job.selection, job.settings, trades, results);
        if (pending.valid()) rows.push_back(pending.get());
        if (outcome != AnalysisOutcome::Completed) break;
        pending = std::async(std::launch::async,
                             [values = std::move(values), results = std::move(results)]() mutable {
                                 results.BuildOverall();
                                 return OptimizationRowOf(std::move(values), results);
                             });
    }
    if (pending.valid()) rows.push_back(pending.get());
    return outcome;
}

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
    CombinationInterface ui(ui_, grid.Combinations());
    const OptimizationJob job{db_, engine_, ui, formula, grid, selection, withStatistics};
    AnalysisOutcome outcome = AnalysisOutcome::Completed;
    if (SideBySide(grid.Combinations(), threads_)) {
        GridRun run(job, threads_);
        outcome = run.Run(rows);
    } else {
        outcome = RunStockByStock(job, threads_, rows);
    }
    if (selection.applyTo != ApplyTo::CurrentStock) ui_.Progress().Close();
    return outcome;
}

}  // namespace velmora
