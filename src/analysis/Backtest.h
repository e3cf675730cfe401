#pragma once
// The backtest of one stock and the results of a whole backtest, free of the formula engine:
// the buy and sell signal arrays of a stock (one float per quotation; a value other than 0 and
// the empty value is a signal) become simulated trades. Each stock is tested on its own with
// the full initial equity, and every trade is sized by the whole current equity of that test.
// Trades are added to the result list as rows "TICKER\tLong|Short\tENTRY\tEXIT\tYIELD%"; the
// statistics go to the stock's StockTestSummary. Backtester.h runs this over the stocks of an
// analysis selection.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/EquityStatistics.h"
#include "analysis/ResultList.h"
#include "analysis/SystemTestSettings.h"
#include "database/FixedText.h"
#include "database/Stock.h"
#include "formula/EmptyValue.h"

namespace velmora {

// True when the element is a signal: neither 0 nor the empty value.
inline bool IsSignalValue(float v) {
    return v != kEmptyValue && v != 0.0f;
}

// Moves every value `delay` bars later: values pushed past the last bar are lost, and the
// first `delay` bars from the first non-empty value on become empty. A delay of 0 or less
// changes nothing.
void ShiftSignals(std::span<float> values, int delay);

// The statistics of one stock's test, or of the whole backtest (the overall summary, whose
// name is empty). Profits are gross (before commissions); losses are 0 or negative.
struct StockTestSummary {
    FixedText<16> Name;
    double InitialEquity = 0;
    double Equity = 0;
    double BuyAndHoldEquity = 0;
    double BuyAndHoldCommission = 0;
    std::int32_t BarsInTest = 0;
    double OpenPositionGain = 0;
    double OpenPositionCommission = 0;  // always 0
    std::int32_t OpenPositionBars = 0;
    std::int32_t Trades = 0;
    std::int32_t Winners = 0;  // profit > 0
    std::int32_t Losers = 0;   // profit <= 0
    double ProfitOfWinners = 0;
    double LossOfLosers = 0;
    double CommissionsOfWinners = 0;
    double CommissionsOfLosers = 0;
    std::int32_t BarsInWinners = 0;
    std::int32_t BarsInLosers = 0;
    double LargestWinner = 0;
    double LargestWinnerCommission = 0;
    std::int32_t LargestWinnerBars = 0;
    double LargestLoser = 0;
    double LargestLoserCommission = 0;
    std::int32_t LargestLoserBars = 0;
    std::int32_t MaxConsecutiveWinners = 0;
    std::int32_t MaxConsecutiveLosers = 0;
    double MaxTradeDrawdown = 0;  // the lowest adverse excursion of a trade
    double SystemDrawdown = 0;    // the lowest equity before a trade + its excursion - initial
    double PreviousTradeProfit = 0;
    std::int32_t CurrentRun = 0;

    // A fresh record: every field 0, the initial equity and the equity set.
    static StockTestSummary Start(std::string_view name, double initialEquity);
};

// What the test of one stock takes besides its bars and signals.
struct StockTestParameters {
    const SystemTestSettings& settings;
    const CommissionModel& commission;
    double stopLevel = 0;                // SystemTestSettings::StopLevel()
    DateStyle dates = DateStyle::Short;  // how the trade rows write their dates
    bool tradeRows = true;               // false: the trades are counted but not listed
};

// Tests one stock over its bars [first, end) (clamped to the bars), with the signal arrays
// already shifted by the delays (a missing array, or one shorter than the bars, holds no
// signal where it has no value). Adds a row to `results` for every closed trade (unless the
// parameters say not to) and fills `summary`, which must be a fresh record. At the end the open
// position and the buy-and-hold result are valued. Returns true when the stock traded (the
// record is kept); false when it never did, and then nothing was added. With `curve`, its Curve
// gets the equity at the close of every visited bar (the open position valued at that close)
// and its BarsInPosition the bars a position was open into.
bool TestStock(const StockTestParameters& params, const QuotationList& bars,
               std::span<const float> buy, std::span<const float> sell, int first, int end,
               ResultList& results, StockTestSummary& summary, ExtendedStatistics* curve = nullptr);

// The records of the stocks kept, in the order they were tested, and the overall summary.
struct BacktestResults {
    std::vector<StockTestSummary> Stocks;
    StockTestSummary Overall;
    double SumOfFinalEquities = 0;
    double InitialEquity = 0;  // the setting the backtest ran with
    // The look-ahead warning of the rule (formula/LookAhead.h), empty for a rule that reads
    // only earlier bars; the report shows it at its head.
    std::string LookAheadWarning;
    // With extended statistics: the figures of every kept stock (in the order of Stocks) and
    // of the whole test.
    bool WithStatistics = false;
    std::vector<ExtendedStatistics> StockStatistics;
    ExtendedStatistics OverallStatistics;

    void Clear(double initialEquity);
    // Keeps a stock's record (and its figures, with extended statistics).
    void Keep(const StockTestSummary& record);
    void Keep(const StockTestSummary& record, ExtendedStatistics statistics);
    // The overall summary: sums of the amounts and counts over the kept records, the largest
    // winner and the longest runs at their maximum, the largest loser and the drawdowns at
    // their minimum. With extended statistics also the whole test's curve and figures.
    void BuildOverall();
    // "Trans no.: %d, Avg. trade (gain+loss)= %+7.2lf, Test portfolio = %8.0lf (%+7.2lf%%)":
    // trades, their mean gross profit (0 without trades), the mean final equity of the kept
    // stocks (the initial equity when none was kept) and its change in percent.
    std::string SummaryLine() const;
    // The two rows that end a backtest's list: an empty row, then the summary line (cut to
    // what a row holds).
    void AddClosingRows(ResultList& results) const;
};

// The status text and list of the Back Test command once the run is over: with at most one
// row "No results" and every row shown; otherwise the summary line becomes the status text and
// its row is not shown in the list. The status text is the whole summary line, which is longer
// than a row holds.
struct BackTestListState {
    std::string StatusText;
    std::size_t ShownRows = 0;
};
BackTestListState BackTestCommandResult(const ResultList& rows, const BacktestResults& results);

}  // namespace velmora
