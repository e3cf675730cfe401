#include "analysis/SelectionRun.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "database/Workspace.h"
#include "formula/FormulaErrorSink.h"
#include "platform/ParallelFor.h"

namespace velmora {

namespace {

bool HasNeeded(const SignalArrays& arrays, SignalsNeeded needed) {
    if (needed == SignalsNeeded::BuyAndSell) {
        return arrays.buy != nullptr && arrays.sell != nullptr;
    }
    return arrays.buy != nullptr || arrays.sell != nullptr;
}

void ListYield(StockYield& yield, ResultList& results) {
    results.Append(yield.rows);
    if (yield.then) yield.then();
    yield.then = nullptr;
}

// A stock whose older quotations a run needs is run as `copy`, filled with its full history,
// so that the stock itself stays as it is. Gives the stock to run: the stock or the copy.
const Stock* PrepareStock(const Database& db, const Stock& stock,
                          const AnalysisSelection& selection, Stock& copy, Status& load) {
    if (!NeedsOlderQuotations(stock, selection)) return &stock;
    copy = stock;
    load = db.ReadFullHistory(stock, copy.Quotations);
    copy.FirstLoadedDate = 0;
    copy.SkippedCount = 0;
    return &copy;
}

// Whether loading the stock's older quotations and dropping them again after the run would
// leave the stock as it is (it normally does; a changed stock keeps its full history). Drops
// them from the copy to see.
bool DropLeavesStockAsItWas(Stock& copy, const Stock& stock) {
    DropQuotationsBefore(copy, stock.FirstLoadedDate);
    return copy.Quotations.size() == stock.Quotations.size() &&
           copy.FirstLoadedDate == stock.FirstLoadedDate && copy.SkippedCount == stock.SkippedCount;
}

// On one thread, once a stock ran as a copy: where loading and dropping its older quotations
// would not leave it as it is, that is done to the stock itself, so it ends as a run that
// loads them into the stock leaves it.
class CopyRunEnd {
  public:
    CopyRunEnd(const SelectionRunner& runner, int index, const AnalysisSelection& selection,
               Stock& copy, const Stock* target)
        : runner_(runner),
          index_(index),
          selection_(selection),
          copy_(copy),
          used_(target == &copy) {}
    CopyRunEnd(const CopyRunEnd&) = delete;
    CopyRunEnd& operator=(const CopyRunEnd&) = delete;
    ~CopyRunEnd() {
        if (used_ && !DropLeavesStockAsItWas(copy_, *runner_.db.StockAt(index_))) {
            Restore(runner_, index_, selection_);
        }
    }

    // Loads and drops the stock's older quotations on the stock itself, now or, when the
    // runner says so, later.
    static void Restore(const SelectionRunner& runner, int index,
                        const AnalysisSelection& selection) {
        if (runner.restoreLater) {
            runner.restoreLater(index);
        } else {
            RestoreStock(runner.db, index, selection);
        }
    }

  private:
    const SelectionRunner& runner_;
    int index_;
    const AnalysisSelection& selection_;
    Stock& copy_;
    bool used_;
};

// The loop on the calling thread with the runner's engine.
AnalysisOutcome RunOnOneThread(const SelectionRunner& runner, const std::string& text,
                               const AnalysisSelection& selection, SignalsNeeded needed,
                               ResultList& results, const StockStep& step) {
    Database& db = runner.db;
    UserInterface& ui = runner.ui;
    const bool showProgress = selection.applyTo != ApplyTo::CurrentStock;
    AnalysisOutcome outcome = AnalysisOutcome::Completed;
    StockYield yield;
    Stock copy;
    const int total = db.StockCount();
    for (int index = 0; index < total && outcome == AnalysisOutcome::Completed; ++index) {
        Stock& stock = *db.StockAt(index);
        if (!StockTaken(db, stock, selection)) continue;
        if (showProgress &&
            !ui.Progress().Step(index, total, kScanProgressText, stock.TickerText())) {
            outcome = AnalysisOutcome::Cancelled;
            break;
        }
        Status load;
        const Stock* target = PrepareStock(db, stock, selection, copy, load);
        if (!load) {
            // What a failed load does to the stock (a file of no stock file ends its partial
            // state); a run over only the recent part of the asked-for history would mislead.
            CopyRunEnd::Restore(runner, index, selection);
            ui.ShowMessage(load.ToString());
            outcome = AnalysisOutcome::HistoryUnreadable;
            break;
        }
        const CopyRunEnd end(runner, index, selection, copy, target);
        if (target->Quotations.empty()) continue;
        {
            FormulaRun run = target == &stock ? runner.engine.BeginRun(stock)
                                              : runner.engine.BeginRun(*target, &stock);
            run.Execute(text);
            const SignalArrays arrays{run.GetArray("buy"), run.GetArray("sell")};
            if (!HasNeeded(arrays, needed)) {
                ui.ShowMessage(kMissingBuySell);
                outcome = AnalysisOutcome::MissingAssignments;
                break;
            }
            step(*target, arrays, yield);
        }
        ListYield(yield, results);
        if (runner.engine.ErrorFlag()) outcome = AnalysisOutcome::FormulaError;
    }
    return outcome;
}

// What a worker made of one stock, waiting to be taken in database order.
struct StockResult {
    bool ready = false;
    Status load;                       // reading the older quotations
    bool restore = false;              // the stock must be loaded and dropped again (below)
    bool noQuotations = false;         // passed over
    bool missing = false;              // the formula lacked the needed arrays
    bool errorFlag = false;            // the formula reported an error
    std::vector<std::string> reports;  // the error reports, in order
    std::vector<FormulaDiagnostic> diagnostics;  // where the reported errors lie
    StockYield yield;
    std::exception_ptr failure;
};

// A worker's own engine and the copy it runs a stock needing older quotations on.
struct Worker {
    explicit Worker(const FormulaEngine& like) : engine(sink, like.GetDatabase()) {
        engine.SetMemoryLimit(like.MemoryLimit());
        engine.SetParameters(like.Parameters());
    }
    RecordingFormulaErrorSink sink;
    FormulaEngine engine;
    Stock copy;
};

// The run on a pool of workers. Workers take the selected stocks in order, at most a window of
// stocks ahead of the one the calling thread waits for, and leave each stock's result in its
// slot; the calling thread takes the results in order and ends the run as one thread would.
//
// The database stays unchanged while the workers run. On one thread, a stock whose older
// quotations are loaded for the run normally holds what it held before once they are dropped
// again; when it would not (a changed stock keeps its full history, an unreadable file of no
// stock file ends the stock's partial state), the load and drop are done again on the stock
// itself after the workers have stopped, so the database ends as one thread leaves it.
class ParallelRun {
  public:
    ParallelRun(const SelectionRunner& runner, std::string text, const AnalysisSelection& selection,
                SignalsNeeded needed, const StockStep& step, std::vector<int> taken)
        : runner_(runner),
          text_(std::move(text)),
          selection_(selection),
          needed_(needed),
          step_(step),
          taken_(std::move(taken)),
          slots_(static_cast<std::size_t>(4 * runner.threads)) {}
    ParallelRun(const ParallelRun&) = delete;
    ParallelRun& operator=(const ParallelRun&) = delete;
    ~ParallelRun() { StopWorkers(); }

    AnalysisOutcome Run(ResultList& results);

  private:
    void Work();
    void RunStock(Worker& worker, const Stock& stock, StockResult& out);
    StockResult& WaitFor(std::size_t ordinal);
    void Release(std::size_t ordinal);
    AnalysisOutcome Take(StockResult& result, int index, ResultList& results);
    void StopWorkers();

    const SelectionRunner& runner_;
    const std::string text_;
    const AnalysisSelection& selection_;
    const SignalsNeeded needed_;
    const StockStep& step_;
    const std::vector<int> taken_;  // the positions of the selected stocks

    std::vector<StockResult> slots_;  // result of the ordinal k in slot k % size
    std::mutex mutex_;
    std::condition_variable ready_;  // a result is ready
    std::condition_variable free_;   // a slot was taken, or the run stops
    std::size_t next_ = 0;           // the next ordinal a worker takes
    std::size_t taken_over_ = 0;     // ordinals the calling thread has taken
    bool stop_ = false;
    std::vector<std::thread> workers_;
    std::vector<int> restore_;  // positions of the stocks to load and drop again
};

void ParallelRun::Work() {
    Worker worker(runner_.engine);
    const Database& db = runner_.db;
    for (;;) {
        std::size_t ordinal = 0;
        {
            std::unique_lock lock(mutex_);
            free_.wait(lock, [&] {
                return stop_ || next_ >= taken_.size() || next_ < taken_over_ + slots_.size();
            });
            if (stop_ || next_ >= taken_.size()) return;
            ordinal = next_++;
        }
        StockResult& result = slots_[ordinal % slots_.size()];
        try {
            RunStock(worker, *db.StockAt(taken_[ordinal]), result);
        } catch (...) {
            result.failure = std::current_exception();
        }
        {
            const std::lock_guard lock(mutex_);
            result.ready = true;
        }
        ready_.notify_all();
    }
}

void ParallelRun::RunStock(Worker& worker, const Stock& stock, StockResult& out) {
    const Stock* target = PrepareStock(runner_.db, stock, selection_, worker.copy, out.load);
    if (!out.load) return;
    if (target->Quotations.empty()) {
        out.noQuotations = true;
    } else {
        FormulaEngine& engine = worker.engine;
        engine.ClearErrorFlag();
        {
            FormulaRun run =
                target == &stock ? engine.BeginRun(stock) : engine.BeginRun(*target, &stock);
            run.Execute(text_);
            const SignalArrays arrays{run.GetArray("buy"), run.GetArray("sell")};
            out.missing = !HasNeeded(arrays, needed_);
            if (!out.missing) step_(*target, arrays, out.yield);
        }
        out.errorFlag = engine.ErrorFlag();
        out.diagnostics = engine.Diagnostics();
        out.reports = std::move(worker.sink.reports);
        worker.sink.reports.clear();
    }
    out.restore = target == &worker.copy && !DropLeavesStockAsItWas(worker.copy, stock);
}

StockResult& ParallelRun::WaitFor(std::size_t ordinal) {
    StockResult& result = slots_[ordinal % slots_.size()];
    std::unique_lock lock(mutex_);
    ready_.wait(lock, [&] { return result.ready; });
    return result;
}

void ParallelRun::Release(std::size_t ordinal) {
    slots_[ordinal % slots_.size()] = StockResult{};
    {
        const std::lock_guard lock(mutex_);
        ++taken_over_;
    }
    free_.notify_all();
}

AnalysisOutcome ParallelRun::Take(StockResult& result, int index, ResultList& results) {
    if (result.failure) std::rethrow_exception(result.failure);
    UserInterface& ui = runner_.ui;
    const Stock& stock = *runner_.db.StockAt(index);
    if (!ui.Progress().Step(index, runner_.db.StockCount(), kScanProgressText,
                            stock.TickerText())) {
        return AnalysisOutcome::Cancelled;
    }
    if (!result.load) {
        ui.ShowMessage(result.load.ToString());
        restore_.push_back(index);
        return AnalysisOutcome::HistoryUnreadable;
    }
    if (result.restore) restore_.push_back(index);
    if (result.noQuotations) return AnalysisOutcome::Completed;
    for (const std::string& report : result.reports) runner_.engine.ShowErrorReport(report);
    runner_.engine.KeepDiagnostics(result.diagnostics);
    if (result.missing) {
        ui.ShowMessage(kMissingBuySell);
        return AnalysisOutcome::MissingAssignments;
    }
    ListYield(result.yield, results);
    return result.errorFlag ? AnalysisOutcome::FormulaError : AnalysisOutcome::Completed;
}

AnalysisOutcome ParallelRun::Run(ResultList& results) {
    const std::size_t count =
        std::min<std::size_t>(static_cast<std::size_t>(runner_.threads), taken_.size());
    for (std::size_t i = 0; i < count; ++i) workers_.emplace_back([this] { Work(); });
    AnalysisOutcome outcome = AnalysisOutcome::Completed;
    for (std::size_t k = 0; k < taken_.size() && outcome == AnalysisOutcome::Completed; ++k) {
        outcome = Take(WaitFor(k), taken_[k], results);
        Release(k);
    }
    StopWorkers();
    for (const int index : restore_) CopyRunEnd::Restore(runner_, index, selection_);
    return outcome;
}

void ParallelRun::StopWorkers() {
    {
        const std::lock_guard lock(mutex_);
        stop_ = true;
    }
    free_.notify_all();
    for (std::thread& t : workers_) t.join();
    workers_.clear();
}

}  // namespace

AnalysisOutcome RunOverSelection(const SelectionRunner& runner, std::string_view formula,
                                 const AnalysisSelection& selection, SignalsNeeded needed,
                                 ResultList& results, const StockStep& step) {
    std::string text(formula);  // the run's own copy of the formula
    runner.engine.ClearErrorFlag();
    const bool showProgress = selection.applyTo != ApplyTo::CurrentStock;
    AnalysisOutcome outcome = AnalysisOutcome::Completed;
    if (runner.threads <= 1 || !showProgress) {
        outcome = RunOnOneThread(runner, text, selection, needed, results, step);
    } else {
        std::vector<int> taken;
        for (int index = 0; index < runner.db.StockCount(); ++index) {
            if (StockTaken(runner.db, *runner.db.StockAt(index), selection)) {
                taken.push_back(index);
            }
        }
        ParallelRun run(runner, std::move(text), selection, needed, step, std::move(taken));
        outcome = run.Run(results);
    }
    if (showProgress) runner.ui.Progress().Close();
    return outcome;
}

void RestoreStock(Database& db, int index, const AnalysisSelection& selection) {
    const OlderQuotationsForRun again(db, *db.StockAt(index), selection);
}

int DefaultAnalysisThreads() {
    return HardwareThreads();
}

}  // namespace velmora
