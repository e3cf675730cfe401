#include "analysis/SelectionRun.h"

#include <string>

namespace velmora {

namespace {

bool HasNeeded(const SignalArrays& arrays, SignalsNeeded needed) {
    if (needed == SignalsNeeded::BuyAndSell) {
        return arrays.buy != nullptr && arrays.sell != nullptr;
    }
    return arrays.buy != nullptr || arrays.sell != nullptr;
}

}  // namespace

AnalysisOutcome RunOverSelection(Database& db, FormulaEngine& engine, UserInterface& ui,
                                 std::string_view formula, const AnalysisSelection& selection,
                                 SignalsNeeded needed, const StockStep& step) {
    const std::string text(formula);  // the run's own copy of the formula
    engine.ClearErrorFlag();

    const bool showProgress = selection.applyTo != ApplyTo::CurrentStock;
    AnalysisOutcome outcome = AnalysisOutcome::Completed;
    const int total = db.StockCount();
    for (int index = 0; index < total && outcome == AnalysisOutcome::Completed; ++index) {
        Stock& stock = *db.StockAt(index);
        if (!StockTaken(db, stock, selection)) continue;
        if (showProgress &&
            !ui.Progress().Step(index, total, kScanProgressText, stock.TickerText())) {
            outcome = AnalysisOutcome::Cancelled;
            break;
        }
        const OlderQuotationsForRun older(db, stock, selection);
        if (!older.LoadStatus()) {
            // A run over only the recent part of the asked-for history would mislead.
            ui.ShowMessage(older.LoadStatus().ToString());
            outcome = AnalysisOutcome::HistoryUnreadable;
            break;
        }
        if (stock.Quotations.empty()) continue;
        {
            // The run ends before the stock's older quotations are dropped again.
            FormulaRun run = engine.BeginRun(stock);
            run.Execute(text);
            const SignalArrays arrays{run.GetArray("buy"), run.GetArray("sell")};
            if (!HasNeeded(arrays, needed)) {
                ui.ShowMessage(kMissingBuySell);
                outcome = AnalysisOutcome::MissingAssignments;
                break;
            }
            step(stock, arrays);
        }
        if (engine.ErrorFlag()) outcome = AnalysisOutcome::FormulaError;
    }
    if (showProgress) ui.Progress().Close();
    return outcome;
}

}  // namespace velmora
