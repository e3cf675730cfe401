#include "analysis/ScanEngine.h"

#include <cstdio>
#include <string>

namespace velmora {

namespace {

constexpr float kEmpty = -1e10f;

bool IsSignal(const float* array, int bar) {
    return array != nullptr && array[bar] != kEmpty && array[bar] != 0.0f;
}

void AddSignalRow(ResultList& results, const Stock& stock, const Quotation& q, const char* kind,
                  DateStyle dates) {
    char text[512];
    std::snprintf(text, sizeof text, "%s\t%s\t%s\t%.2f", stock.Ticker.Str().c_str(), kind,
                  DateToText(q.Date, dates).c_str(), static_cast<double>(q.Close));
    results.Add(text);
}

// Lists the stock's signals on the visited bars, Buy before Sell on one bar.
void AddSignalRows(ResultList& results, const Stock& stock, const SignalArrays& arrays,
                   const AnalysisSelection& selection) {
    const BarRange bars = VisitedBars(stock, selection);
    for (int i = bars.First; i < bars.End; ++i) {
        const Quotation& q = stock.Quotations[static_cast<std::size_t>(i)];
        if (IsSignal(arrays.buy, i)) AddSignalRow(results, stock, q, "Buy", selection.dates);
        if (IsSignal(arrays.sell, i)) AddSignalRow(results, stock, q, "Sell", selection.dates);
    }
}

}  // namespace

ScanOutcome ScanEngine::Run(std::string_view formula, const AnalysisSelection& selection,
                            ResultList& results) {
    // A negative n lists nothing, and the list shows nothing of an earlier run either.
    results.Clear();
    if (selection.n < 0) return ScanOutcome::NothingToDo;
    return RunOverSelection({db_, engine_, ui_, threads_}, formula, selection,
                            SignalsNeeded::BuyOrSell, results,
                            [&](const Stock& stock, const SignalArrays& arrays, StockYield& yield) {
                                AddSignalRows(yield.rows, stock, arrays, selection);
                            });
}

}  // namespace velmora
