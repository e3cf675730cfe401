#pragma once
// The scan: runs the trading-rule formula on every selected stock and lists each visited bar
// where its `buy` or `sell` array holds a signal (any value other than 0 and the empty value),
// as the row "TICKER\tBuy|Sell\tyy-mm-dd\tCLOSE" with the close "%.2f"; Buy before Sell on one
// bar. The progress dialog is stepped per stock (not when only the current stock is scanned)
// and may cancel the run; a formula that assigns neither array, or a formula error, ends it.

#include <string_view>

#include "analysis/AnalysisSelection.h"
#include "analysis/ResultList.h"
#include "analysis/SelectionRun.h"
#include "database/Database.h"
#include "formula/FormulaEngine.h"
#include "platform/UserInterface.h"

namespace velmora {

using ScanOutcome = AnalysisOutcome;

class ScanEngine {
  public:
    ScanEngine(Database& db, FormulaEngine& engine, UserInterface& ui)
        : db_(db), engine_(engine), ui_(ui) {}

    // Empties the list and fills it with the signals of the formula over the selection.
    ScanOutcome Run(std::string_view formula, const AnalysisSelection& selection,
                    ResultList& results);

    // The threads the stocks are run on (1 by default); on several the rows, the results and
    // where the run stops are those of a run on one thread.
    void SetThreads(int threads) { threads_ = threads; }

  private:
    Database& db_;
    FormulaEngine& engine_;
    UserInterface& ui_;
    int threads_ = 1;
};

}  // namespace velmora
