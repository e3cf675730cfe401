#include "analysis/Backtester.h"

#include <string>
#include <utility>
#include <vector>

#include "analysis/SelectionRun.h"
#include "formula/LookAhead.h"
#include "portfolio/Portfolio.h"
#include "portfolio/PortfolioFile.h"

namespace velmora {

namespace {

// The signal array of one stock, shifted by the delay. The engine's array is used as it is
// when there is no delay; otherwise a copy is shifted.
std::span<const float> Signals(const float* array, std::size_t bars, int delay,
                               std::vector<float>& copy) {
    if (delay <= 0) return {array, bars};
    copy.assign(array, array + bars);
    ShiftSignals(copy, delay);
    return copy;
}

}  // namespace

AnalysisSelection BacktestSelection(const AnalysisSelection& selection,
                                    const SystemTestSettings& settings) {
    AnalysisSelection visit = selection;
    visit.loadRemainingQuotes = settings.LoadRemainingQuotes != 0;
    return visit;
}

BacktestOutcome Backtester::Run(std::string_view formula, const AnalysisSelection& selection,
                                const SystemTestSettings& settings, ResultList& rows,
                                BacktestResults& results) {
    rows.Clear();
    results.Clear(settings.InitialEquity);
    if (selection.n < 0) return BacktestOutcome::NothingToDo;
    if (const auto lookAhead = FindLookAhead(formula)) {
        results.LookAheadWarning = velmora::LookAheadWarning(*lookAhead);
    }
    const bool withStatistics = settings.ExtendedStatistics != 0;
    results.WithStatistics = withStatistics;
    // The commission table as last saved.
    Portfolio portfolio;
    LoadPortfolio(PortfolioPath(db_.WorkspaceDir()), portfolio);
    const CommissionModel commission(settings, portfolio.Commissions);
    const StockTestParameters params{settings, commission, settings.StopLevel(), selection.dates,
                                     !overallOnly_};

    const AnalysisSelection visit = BacktestSelection(selection, settings);
    const BacktestOutcome outcome = RunOverSelection(
        {db_, engine_, ui_, threads_, restoreLater_}, formula, visit, SignalsNeeded::BuyAndSell,
        rows, [&](const Stock& stock, const SignalArrays& arrays, StockYield& yield) {
            // Each call has its own copies: the stocks may be tested on several threads.
            std::vector<float> buyCopy;
            std::vector<float> sellCopy;
            const std::size_t bars = stock.Quotations.size();
            const auto buySignals = Signals(arrays.buy, bars, settings.BuyDelay, buyCopy);
            const auto sellSignals = Signals(arrays.sell, bars, settings.SellDelay, sellCopy);
            StockTestSummary record =
                StockTestSummary::Start(stock.TickerText(), settings.InitialEquity);
            const BarRange range = VisitedBars(stock, visit);
            if (!withStatistics) {
                if (TestStock(params, stock.Quotations, buySignals, sellSignals, range.First,
                              range.End, yield.rows, record)) {
                    yield.then = [&results, record] { results.Keep(record); };
                }
                return;
            }
            ExtendedStatistics stats;
            if (TestStock(params, stock.Quotations, buySignals, sellSignals, range.First, range.End,
                          yield.rows, record, &stats)) {
                if (!overallOnly_) ComputeStatistics(record, stats);
                // The figures (with the stock's whole curve) move into the results.
                yield.then = [&results, record, stats = std::move(stats)]() mutable {
                    results.Keep(record, std::move(stats));
                };
            }
        });
    if (overallLeft_) return outcome;
    results.BuildOverall();
    results.AddClosingRows(rows);
    return outcome;
}

}  // namespace velmora
