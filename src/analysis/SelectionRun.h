#pragma once
// The per-stock loop the scan and the backtest share: for every stock the selection visits, in
// database order, it steps the progress dialog (not when only the current stock is run), brings
// in the stock's older quotations when the selection asks for them, runs the trading-rule
// formula and hands the stock and its `buy` and `sell` arrays to the caller's step while the run
// is still open. A cancelled progress dialog, a formula that lacks the arrays the caller needs
// (kMissingBuySell is shown), a stock whose older quotations cannot be read (the reason is
// shown) or a formula error ends the loop.
//
// A stock whose older quotations the run needs is run as a private copy holding its full
// history, so the database stays unchanged during the run and memory holds one full history
// per thread at most. On several threads the stocks are run by a pool of workers, each with an
// engine of its own. The calling thread takes the stocks' results in database order and does
// everything the user sees (progress, messages, the engine's error reports and the positions of
// their errors, the rows), so the list, the messages, the positions and where the run stops are
// those of a run on one thread. A cancel stops the workers after the stock each is running.

#include <functional>
#include <string_view>

#include "analysis/AnalysisSelection.h"
#include "analysis/ResultList.h"
#include "database/Database.h"
#include "formula/FormulaEngine.h"
#include "platform/UserInterface.h"

namespace velmora {

inline constexpr std::string_view kScanProgressText = "Checking for buy/sell signals...";
inline constexpr std::string_view kMissingBuySell = "Missing buy/sell variable assignments";

// How a scan or backtest run ended.
enum class AnalysisOutcome {
    Completed,
    NothingToDo,         // n was negative: nothing was run
    Cancelled,           // the user cancelled the progress dialog
    MissingAssignments,  // kMissingBuySell was shown
    FormulaError,        // the engine reported an error
    HistoryUnreadable,   // a stock's older quotations could not be read (the reason was shown)
};

// The formula's signal arrays for one stock, one value per quotation; null when not assigned.
struct SignalArrays {
    const float* buy = nullptr;
    const float* sell = nullptr;
};

// Which arrays a run needs: the scan lists whichever it finds, the backtest needs both.
enum class SignalsNeeded { BuyOrSell, BuyAndSell };

// What the step of one stock gives the run: the rows for the run's list, and an action that the
// calling thread performs right after listing them, in database order (the backtest keeps the
// stock's record there).
struct StockYield {
    ResultList rows;
    std::function<void()> then;
};

// The step of one stock. On several threads it runs on a worker: it may read the stock and the
// arrays and write to the yield, and nothing else.
using StockStep =
    std::function<void(const Stock& stock, const SignalArrays& arrays, StockYield& yield)>;

// What a run works with. The engine runs the stocks on one thread; on several, its database,
// memory limit and error sink are those of the workers' engines, and its error flag and
// diagnostics tell of their reports as they would of its own.
struct SelectionRunner {
    Database& db;
    FormulaEngine& engine;
    UserInterface& ui;
    int threads = 1;
    // When set, the run leaves the database unchanged even on one thread (other runs may be
    // reading it): the position of every stock whose older quotations must be loaded and
    // dropped again on the stock itself (above) is passed here, for the caller to do with
    // RestoreStock once no run reads the database.
    std::function<void(int index)> restoreLater = nullptr;
};

// Clears the engine's error flag and runs the loop described above, adding each stock's rows
// to `results`; the progress dialog is closed at the end if it was shown. Stocks with no
// quotations are passed over.
AnalysisOutcome RunOverSelection(const SelectionRunner& runner, std::string_view formula,
                                 const AnalysisSelection& selection, SignalsNeeded needed,
                                 ResultList& results, const StockStep& step);

// Loads the older quotations of the stock at `index` into the stock and drops them again, as a
// run over the selection does when that would not leave the stock as it was.
void RestoreStock(Database& db, int index, const AnalysisSelection& selection);

// The threads a run uses when the user has not chosen: every core.
int DefaultAnalysisThreads();

}  // namespace velmora
