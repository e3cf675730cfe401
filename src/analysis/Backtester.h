#pragma once
// The backtest over many stocks: runs the trading-rule formula on every stock of the analysis
// selection (the same stocks and bars as the scan), shifts its `buy` and `sell` arrays by the
// delays and tests each stock on its own (Backtest.h). The stocks that traded are kept in
// database order; the list ends with an empty row and the summary line. The commission table
// is read afresh from the workspace's portfolio file at the start of every run.

#include <functional>
#include <string_view>
#include <utility>

#include "analysis/AnalysisSelection.h"
#include "analysis/Backtest.h"
#include "analysis/ResultList.h"
#include "analysis/SelectionRun.h"
#include "analysis/SystemTestSettings.h"
#include "database/Database.h"
#include "formula/FormulaEngine.h"
#include "platform/UserInterface.h"

namespace velmora {

// NothingToDo: n was negative, nothing was run and no rows were added.
using BacktestOutcome = AnalysisOutcome;

class Backtester {
  public:
    Backtester(Database& db, FormulaEngine& engine, UserInterface& ui)
        : db_(db), engine_(engine), ui_(ui) {}

    // Empties the list and the results and runs the backtest. Except when n is negative, the
    // overall summary and the two closing rows are made from the stocks done, however the run
    // ended. The selection's "load remaining quotes" choice is taken from the settings.
    BacktestOutcome Run(std::string_view formula, const AnalysisSelection& selection,
                        const SystemTestSettings& settings, ResultList& rows,
                        BacktestResults& results);

    // The threads the stocks are run on (1 by default); on several the rows, the results and
    // where the run stops are those of a run on one thread.
    void SetThreads(int threads) { threads_ = threads; }

    // Leaves the overall summary and the two closing rows to the caller
    // (BacktestResults::BuildOverall and AddClosingRows), who may build them on another thread
    // while the next run goes on. Off by default.
    void SetOverallLeftToCaller(bool left) { overallLeft_ = left; }

    // Makes only what the overall summary and figures need: no trade rows (the list gets only
    // the closing rows) and, with extended statistics, no figures of the single stocks (their
    // curves are kept for the whole test's). For optimisations; off by default.
    void SetOverallOnly(bool only) { overallOnly_ = only; }

    // Leaves the database unchanged while the runs to come read it, so that other runs may
    // read it at the same time: the stocks to load and drop again are passed to `restore`
    // instead (SelectionRunner::restoreLater), to be done with RestoreStock and the run's
    // BacktestSelection. Unset by default.
    void SetRestoresLeftToCaller(std::function<void(int index)> restore) {
        restoreLater_ = std::move(restore);
    }

  private:
    Database& db_;
    FormulaEngine& engine_;
    UserInterface& ui_;
    int threads_ = 1;
    bool overallLeft_ = false;
    bool overallOnly_ = false;
    std::function<void(int index)> restoreLater_;
};

// The selection a backtest visits: the given one, loading the older quotations of partially
// loaded stocks as the settings say.
AnalysisSelection BacktestSelection(const AnalysisSelection& selection,
                                    const SystemTestSettings& settings);

}  // namespace velmora
