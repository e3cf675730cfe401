#include "analysis/ScanEngine.h"

#include <cstdio>
#include <string>

namespace velmora {

namespace {

constexpr float kEmpty = -1e10f;

bool IsSignal(const float* array, int bar) {
    return array != nullptr && array[bar] != kEmpty && array[bar] != 0.0f;
}

void AddSignalRow(ResultList& results, const Stock& stock, const Quotation& q, const char* kind) {
    char text[512];
    std::snprintf(text, sizeof text, "%s\t%s\t%s\t%.2f", stock.Ticker.Str().c_str(), kind,
                  DateToText(q.Date).c_str(), static_cast<double>(q.Close));
    results.Add(text);
}

// Ends the engine's run before the stock's older quotations are dropped again.
class RunScope {
  public:
    RunScope(FormulaEngine& engine, const Stock& stock) : engine_(engine) {
        engine_.BeginRun(stock);
    }
    ~RunScope() { engine_.EndRun(); }
    RunScope(const RunScope&) = delete;
    RunScope& operator=(const RunScope&) = delete;

  private:
    FormulaEngine& engine_;
};

}  // namespace

ScanOutcome ScanEngine::Run(std::string_view formula, const AnalysisSelection& selection,
                            ResultList& results) {
    // A negative n lists nothing, and the list shows nothing of an earlier run either.
    results.Clear();
    if (selection.n < 0) return ScanOutcome::NothingToDo;
    const std::string text(formula);  // the run's own copy of the formula
    engine_.ClearErrorFlag();

    const bool showProgress = selection.applyTo != ApplyTo::CurrentStock;
    ScanOutcome outcome = ScanOutcome::Completed;
    const int total = db_.StockCount();
    for (int index = 0; index < total && outcome == ScanOutcome::Completed; ++index) {
        Stock& stock = *db_.StockAt(index);
        if (!StockTaken(db_, stock, selection)) continue;
        if (showProgress &&
            !ui_.Progress().Step(index, total, kScanProgressText, stock.TickerText())) {
            outcome = ScanOutcome::Cancelled;
            break;
        }
        const OlderQuotationsForRun older(db_, stock, selection);
        if (stock.Quotations.empty()) continue;
        {
            const RunScope run(engine_, stock);
            engine_.Execute(text);
            const float* buy = engine_.GetArray("buy");
            const float* sell = engine_.GetArray("sell");
            if (buy == nullptr && sell == nullptr) {
                ui_.ShowMessage(kMissingBuySell);
                outcome = ScanOutcome::MissingAssignments;
                break;
            }
            const BarRange bars = VisitedBars(stock, selection);
            for (int i = bars.First; i < bars.End; ++i) {
                const Quotation& q = stock.Quotations[static_cast<std::size_t>(i)];
                if (IsSignal(buy, i)) AddSignalRow(results, stock, q, "Buy");
                if (IsSignal(sell, i)) AddSignalRow(results, stock, q, "Sell");
            }
        }
        if (engine_.ErrorFlag()) outcome = ScanOutcome::FormulaError;
    }
    if (showProgress) ui_.Progress().Close();
    return outcome;
}

}  // namespace velmora
