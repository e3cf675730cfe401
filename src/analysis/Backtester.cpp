#include "analysis/Backtester.h"

#include <string>
#include <vector>

#include "analysis/ScanEngine.h"
#include "portfolio/Portfolio.h"
#include "portfolio/PortfolioFile.h"

namespace velmora {

namespace {

// Ends the engine's run before the stock's older quotations are dropped again.
class EngineRun {
  public:
    EngineRun(FormulaEngine& engine, const Stock& stock) : engine_(engine) {
        engine_.BeginRun(stock);
    }
    ~EngineRun() { engine_.EndRun(); }
    EngineRun(const EngineRun&) = delete;
    EngineRun& operator=(const EngineRun&) = delete;

  private:
    FormulaEngine& engine_;
};

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

BacktestOutcome Backtester::Run(std::string_view formula, const AnalysisSelection& selection,
                                const SystemTestSettings& settings, ResultList& rows,
                                BacktestResults& results) {
    rows.Clear();
    results.Clear(settings.InitialEquity);
    if (selection.n < 0) return BacktestOutcome::NothingToDo;
    const std::string text(formula);  // the run's own copy of the formula
    engine_.ClearErrorFlag();

    // The commission table as last saved.
    Portfolio portfolio;
    LoadPortfolio(PortfolioPath(db_.WorkspaceDir()), portfolio);
    const CommissionModel commission(settings, portfolio.Commissions);
    const StockTestParameters params{settings, commission, settings.StopLevel()};

    AnalysisSelection visit = selection;
    visit.loadRemainingQuotes = settings.LoadRemainingQuotes != 0;
    const bool showProgress = visit.applyTo != ApplyTo::CurrentStock;
    BacktestOutcome outcome = BacktestOutcome::Completed;
    std::vector<float> buyCopy;
    std::vector<float> sellCopy;
    const int total = db_.StockCount();
    for (int index = 0; index < total && outcome == BacktestOutcome::Completed; ++index) {
        Stock& stock = *db_.StockAt(index);
        if (!StockTaken(db_, stock, visit)) continue;
        if (showProgress &&
            !ui_.Progress().Step(index, total, kScanProgressText, stock.TickerText())) {
            outcome = BacktestOutcome::Cancelled;
            break;
        }
        const OlderQuotationsForRun older(db_, stock, visit);
        if (stock.Quotations.empty()) continue;
        {
            const EngineRun run(engine_, stock);
            engine_.Execute(text);
            const float* buy = engine_.GetArray("buy");
            const float* sell = engine_.GetArray("sell");
            if (buy == nullptr || sell == nullptr) {
                ui_.ShowMessage(kMissingBuySell);
                outcome = BacktestOutcome::MissingAssignments;
                break;
            }
            const std::size_t bars = stock.Quotations.size();
            const auto buySignals = Signals(buy, bars, settings.BuyDelay, buyCopy);
            const auto sellSignals = Signals(sell, bars, settings.SellDelay, sellCopy);
            StockTestSummary record =
                StockTestSummary::Start(stock.TickerText(), settings.InitialEquity);
            const BarRange range = VisitedBars(stock, visit);
            if (TestStock(params, stock.Quotations, buySignals, sellSignals, range.First, range.End,
                          rows, record)) {
                results.Keep(record);
            }
        }
        if (engine_.ErrorFlag()) outcome = BacktestOutcome::FormulaError;
    }
    if (showProgress) ui_.Progress().Close();
    results.BuildOverall();
    results.AddClosingRows(rows);
    return outcome;
}

}  // namespace velmora
