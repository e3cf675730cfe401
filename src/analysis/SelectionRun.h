#pragma once
// The per-stock loop the scan and the backtest share: for every stock the selection visits, in
// database order, it steps the progress dialog (not when only the current stock is run), brings
// in the stock's older quotations when the selection asks for them, runs the trading-rule
// formula and hands the stock and its `buy` and `sell` arrays to the caller's step while the run
// is still open. A cancelled progress dialog, a formula that lacks the arrays the caller needs
// (kMissingBuySell is shown), a stock whose older quotations cannot be read (the reason is
// shown) or a formula error ends the loop.

#include <functional>
#include <string_view>

#include "analysis/AnalysisSelection.h"
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

using StockStep = std::function<void(Stock& stock, const SignalArrays& arrays)>;

// Clears the engine's error flag and runs the loop described above; the progress dialog is
// closed at the end if it was shown. Stocks with no quotations are passed over.
AnalysisOutcome RunOverSelection(Database& db, FormulaEngine& engine, UserInterface& ui,
                                 std::string_view formula, const AnalysisSelection& selection,
                                 SignalsNeeded needed, const StockStep& step);

}  // namespace velmora
