#include "analysis/Backtest.h"

#include <algorithm>
#include <cstdlib>

#include "analysis/BacktestText.h"
#include "analysis/MaxLossStop.h"
#include "database/PackedDate.h"
#include "platform/StringFormat.h"

namespace velmora {

void ShiftSignals(std::span<float> values, int delay) {
    if (delay <= 0) return;
    const std::size_t size = values.size();
    std::size_t first = 0;
    while (first < size && values[first] == kEmptyValue) ++first;
    const std::size_t d = static_cast<std::size_t>(delay);
    if (first + d >= size) {
        std::fill(values.begin() + static_cast<std::ptrdiff_t>(first), values.end(), kEmptyValue);
        return;
    }
    std::copy_backward(values.begin() + static_cast<std::ptrdiff_t>(first),
                       values.end() - static_cast<std::ptrdiff_t>(d), values.end());
    std::fill_n(values.begin() + static_cast<std::ptrdiff_t>(first), d, kEmptyValue);
}

StockTestSummary StockTestSummary::Start(std::string_view name, double initialEquity) {
    StockTestSummary s;
    s.Name.Set(name);
    s.InitialEquity = initialEquity;
    s.Equity = initialEquity;
    return s;
}

namespace {

constexpr int kNone = -1;

// The walk over one stock's bars: the pending buy bar B and sell bar S, the price extremes
// while a position is pending, and the trades they make.
class StockWalk {
  public:
    StockWalk(const StockTestParameters& params, const QuotationList& bars, std::string_view ticker,
              ResultList& results, StockTestSummary& summary)
        : settings_(params.settings),
          commission_(params.commission),
          dates_(params.dates),
          tradeRows_(params.tradeRows),
          bars_(bars),
          ticker_(ticker),
          results_(results),
          sum_(summary) {}

    float BuyPrice(int bar) const {
        return BarPrice(bars_[static_cast<std::size_t>(bar)], settings_.BuyPrice);
    }
    float SellPrice(int bar) const {
        return BarPrice(bars_[static_cast<std::size_t>(bar)], settings_.SellPrice);
    }
    const Quotation& Bar(int bar) const { return bars_[static_cast<std::size_t>(bar)]; }
    double Equity() const { return sum_.Equity; }

    // A closed trade between the buy bar and the sell bar at the current equity.
    void RecordTrade(int buyBar, int sellBar, float high, float low) {
        const bool isShort = sellBar < buyBar;
        const float pb = BuyPrice(buyBar);
        const float ps = SellPrice(sellBar);
        const double equity = sum_.Equity;
        const double profit = static_cast<double>(ps - pb) * equity / pb;
        const double commission = commission_(equity) + commission_(equity + profit);
        const double adverse = isShort ? static_cast<double>(ps - high) * equity / ps
                                       : static_cast<double>(low - pb) * equity / pb;
        const int length = std::abs(sellBar - buyBar);

        ++sum_.Trades;
        sum_.MaxTradeDrawdown = std::min(sum_.MaxTradeDrawdown, adverse);
        sum_.SystemDrawdown = std::min(sum_.SystemDrawdown, adverse + equity - sum_.InitialEquity);
        if (profit > 0) {
            ++sum_.Winners;
            sum_.ProfitOfWinners += profit;
            sum_.CommissionsOfWinners += commission;
            sum_.BarsInWinners += length;
            sum_.CurrentRun = sum_.PreviousTradeProfit > 0 ? sum_.CurrentRun + 1 : 1;
            sum_.MaxConsecutiveWinners = std::max(sum_.MaxConsecutiveWinners, sum_.CurrentRun);
            if (profit > sum_.LargestWinner) {
                sum_.LargestWinner = profit;
                sum_.LargestWinnerCommission = commission;
                sum_.LargestWinnerBars = length;
            }
        } else {
            ++sum_.Losers;
            sum_.LossOfLosers += profit;
            sum_.CommissionsOfLosers += commission;
            sum_.BarsInLosers += length;
            sum_.CurrentRun = sum_.PreviousTradeProfit < 0 ? sum_.CurrentRun + 1 : 1;
            sum_.MaxConsecutiveLosers = std::max(sum_.MaxConsecutiveLosers, sum_.CurrentRun);
            if (profit < sum_.LargestLoser) {
                sum_.LargestLoser = profit;
                sum_.LargestLoserCommission = commission;
                sum_.LargestLoserBars = length;
            }
        }
        sum_.Equity = equity + profit - commission;
        sum_.PreviousTradeProfit = profit;
        if (tradeRows_) AddRow(isShort, buyBar, sellBar, pb, ps, equity);
    }

  private:
    // The row of the trade just recorded, which left `equity` at sum_.Equity.
    void AddRow(bool isShort, int buyBar, int sellBar, float pb, float ps, double equity) {
        const int entry = isShort ? sellBar : buyBar;
        const int exit = isShort ? buyBar : sellBar;
        ResultRow row;
        row.TradeType = isShort ? ResultRow::kShort : ResultRow::kLong;
        row.EntryDate = bars_[static_cast<std::size_t>(entry)].Date;
        row.ExitDate = bars_[static_cast<std::size_t>(exit)].Date;
        row.EntryPrice = isShort ? ps : pb;
        row.ExitPrice = isShort ? pb : ps;
        row.EquityBefore = equity;
        row.EquityAfter = sum_.Equity;
        row.Ticker.Set(ticker_);
        const double yield = FiniteOr(Quotient(sum_.Equity - equity, equity).value_or(0) * 100, 0);
        row.SetText(FormatString("%.*s\t%s\t%s\t%s\t%.1lf%%", static_cast<int>(ticker_.size()),
                                 ticker_.data(), isShort ? "Short" : "Long",
                                 DateToText(row.EntryDate, dates_).c_str(),
                                 DateToText(row.ExitDate, dates_).c_str(), yield));
        results_.Add(std::move(row));
    }

    const SystemTestSettings& settings_;
    const CommissionModel& commission_;
    DateStyle dates_;
    bool tradeRows_;
    const QuotationList& bars_;
    std::string_view ticker_;
    ResultList& results_;
    StockTestSummary& sum_;
};

bool SignalAt(std::span<const float> values, int bar) {
    return static_cast<std::size_t>(bar) < values.size() &&
           IsSignalValue(values[static_cast<std::size_t>(bar)]);
}

// The position still open after the last bar (a pending buy in a long test or a pending sell in
// a short test), valued at that bar and added to the equity without commission.
void ValueOpenPosition(const StockWalk& walk, const SystemTestSettings& settings, int pendingBuy,
                       int pendingSell, int lastBar, StockTestSummary& summary) {
    double gain = 0;
    if (pendingBuy != kNone && settings.LongEnabled()) {
        const float pb = walk.BuyPrice(pendingBuy);
        gain = static_cast<double>(walk.SellPrice(lastBar) - pb) * summary.Equity / pb;
        summary.OpenPositionBars = std::abs(lastBar - pendingBuy);
    } else if (pendingSell != kNone && settings.ShortEnabled()) {
        const float pb = walk.BuyPrice(lastBar);
        gain = static_cast<double>(walk.SellPrice(pendingSell) - pb) * summary.Equity / pb;
        summary.OpenPositionBars = std::abs(lastBar - pendingSell);
    }
    summary.OpenPositionGain = gain;
    summary.OpenPositionCommission = 0;
    summary.Equity += gain;
}

// The equity at the close of the bar with the open position valued at that close, and whether
// the bar moved with a position open since the previous close.
void MarkToMarket(const StockWalk& walk, const SystemTestSettings& settings, int pendingBuy,
                  int pendingSell, int bar, bool& wasOpen, ExtendedStatistics& curve) {
    const Quotation& q = walk.Bar(bar);
    const double equity = walk.Equity();
    double gain = 0;
    bool open = false;
    if (pendingBuy != kNone && pendingSell == kNone && settings.LongEnabled()) {
        const float pb = walk.BuyPrice(pendingBuy);
        gain = static_cast<double>(q.Close - pb) * equity / pb;
        open = true;
    } else if (pendingSell != kNone && pendingBuy == kNone && settings.ShortEnabled()) {
        gain = static_cast<double>(walk.SellPrice(pendingSell) - q.Close) * equity / q.Close;
        open = true;
    }
    if (wasOpen) ++curve.BarsInPosition;
    wasOpen = open;
    curve.Curve.push_back({q.Date, equity + gain});
}

// Buying at the first visited bar and selling at the last.
void ValueBuyAndHold(const StockTestParameters& params, const StockWalk& walk, int firstBar,
                     int lastBar, StockTestSummary& summary) {
    const double initial = summary.InitialEquity;
    const float firstPrice = walk.BuyPrice(firstBar);
    const double holdProfit =
        static_cast<double>(walk.SellPrice(lastBar) - firstPrice) * initial / firstPrice;
    summary.BuyAndHoldCommission =
        params.commission(initial) + params.commission(initial + holdProfit);
    summary.BuyAndHoldEquity = initial + holdProfit - summary.BuyAndHoldCommission;
    summary.BarsInTest = std::abs(lastBar - firstBar);
}

}  // namespace

bool TestStock(const StockTestParameters& params, const QuotationList& bars,
               std::span<const float> buy, std::span<const float> sell, int first, int end,
               ResultList& results, StockTestSummary& summary, ExtendedStatistics* curve) {
    const int count = static_cast<int>(bars.size());
    first = std::clamp(first, 0, count);
    end = std::clamp(end, first, count);
    const SystemTestSettings& settings = params.settings;
    const bool longOn = settings.LongEnabled();
    const bool shortOn = settings.ShortEnabled();
    const MaxLossStop stop(params.stopLevel);
    StockWalk walk(params, bars, summary.Name.View(), results, summary);

    int pendingBuy = kNone;
    int pendingSell = kNone;
    float high = 0;
    float low = 0;
    int firstBar = kNone;
    int lastBar = kNone;
    bool traded = false;
    bool positionOpen = false;
    for (int i = first; i < end; ++i) {
        const Quotation& q = bars[static_cast<std::size_t>(i)];
        if (firstBar == kNone) firstBar = i;
        lastBar = i;
        if (pendingBuy == kNone && pendingSell == kNone) {
            high = q.High;
            low = q.Low;
        } else {
            high = std::max(high, q.High);
            low = std::min(low, q.Low);
        }
        // A signal is taken when it can open a position of an enabled direction or close the
        // pending one; a sell with no long pending in a long-only test (and a buy with no short
        // pending in a short-only test) is dropped at once, so it neither stretches the price
        // extremes of the next trade nor lets the stop open a position.
        if (pendingBuy == kNone && SignalAt(buy, i) && (longOn || pendingSell != kNone)) {
            pendingBuy = i;
        }
        if (pendingSell == kNone && SignalAt(sell, i) && (shortOn || pendingBuy != kNone)) {
            pendingSell = i;
        }

        // The maximum loss stop, against this bar's close.
        const float close = q.Close;
        if (pendingBuy != kNone && pendingSell == kNone &&
            stop.StopsLong(walk.BuyPrice(pendingBuy), close)) {
            pendingSell = i;
        }
        if (pendingSell != kNone && pendingBuy == kNone &&
            stop.StopsShort(walk.SellPrice(pendingSell), close)) {
            pendingBuy = i;
        }

        if (pendingBuy != kNone && pendingSell != kNone) {
            traded = true;
            if (pendingBuy < pendingSell && longOn) {
                walk.RecordTrade(pendingBuy, pendingSell, high, low);
                pendingBuy = kNone;
            } else if (pendingSell < pendingBuy && shortOn) {
                walk.RecordTrade(pendingBuy, pendingSell, high, low);
                pendingSell = kNone;
            }
            // With both directions the exit bar stays pending and opens the reverse position.
            if (!shortOn) pendingSell = kNone;
            if (!longOn) pendingBuy = kNone;
        }
        if (curve != nullptr) {
            MarkToMarket(walk, settings, pendingBuy, pendingSell, i, positionOpen, *curve);
        }
    }
    if (!traded) return false;

    ValueOpenPosition(walk, settings, pendingBuy, pendingSell, lastBar, summary);
    ValueBuyAndHold(params, walk, firstBar, lastBar, summary);
    return true;
}

void BacktestResults::Clear(double initialEquity) {
    Stocks.clear();
    Stocks.reserve(64);
    Overall = StockTestSummary{};
    SumOfFinalEquities = 0;
    LookAheadWarning.clear();
    WithStatistics = false;
    StockStatistics.clear();
    OverallStatistics = ExtendedStatistics{};
    InitialEquity = initialEquity;
}

void BacktestResults::Keep(const StockTestSummary& record) {
    Stocks.push_back(record);
    SumOfFinalEquities += record.Equity;
}

void BacktestResults::Keep(const StockTestSummary& record, ExtendedStatistics statistics) {
    Keep(record);
    StockStatistics.push_back(std::move(statistics));
}

void BacktestResults::BuildOverall() {
    StockTestSummary o;
    for (const StockTestSummary& r : Stocks) {
        o.InitialEquity += r.InitialEquity;
        o.Equity += r.Equity;
        o.BuyAndHoldEquity += r.BuyAndHoldEquity;
        o.BuyAndHoldCommission += r.BuyAndHoldCommission;
        o.BarsInTest += r.BarsInTest;
        o.OpenPositionGain += r.OpenPositionGain;
        o.OpenPositionCommission += r.OpenPositionCommission;
        o.OpenPositionBars += r.OpenPositionBars;
        o.Trades += r.Trades;
        o.Winners += r.Winners;
        o.Losers += r.Losers;
        o.ProfitOfWinners += r.ProfitOfWinners;
        o.LossOfLosers += r.LossOfLosers;
        o.CommissionsOfWinners += r.CommissionsOfWinners;
        o.CommissionsOfLosers += r.CommissionsOfLosers;
        o.BarsInWinners += r.BarsInWinners;
        o.BarsInLosers += r.BarsInLosers;
        if (r.LargestWinner > o.LargestWinner) {
            o.LargestWinner = r.LargestWinner;
            o.LargestWinnerCommission = r.LargestWinnerCommission;
            o.LargestWinnerBars = r.LargestWinnerBars;
        }
        if (r.LargestLoser < o.LargestLoser) {
            o.LargestLoser = r.LargestLoser;
            o.LargestLoserCommission = r.LargestLoserCommission;
            o.LargestLoserBars = r.LargestLoserBars;
        }
        o.MaxConsecutiveWinners = std::max(o.MaxConsecutiveWinners, r.MaxConsecutiveWinners);
        o.MaxConsecutiveLosers = std::max(o.MaxConsecutiveLosers, r.MaxConsecutiveLosers);
        o.MaxTradeDrawdown = std::min(o.MaxTradeDrawdown, r.MaxTradeDrawdown);
        o.SystemDrawdown = std::min(o.SystemDrawdown, r.SystemDrawdown);
    }
    Overall = o;
    if (!WithStatistics) return;
    std::vector<double> initials;
    initials.reserve(Stocks.size());
    ExtendedStatistics whole;
    for (std::size_t i = 0; i < Stocks.size() && i < StockStatistics.size(); ++i) {
        initials.push_back(Stocks[i].InitialEquity);
        whole.BarsInPosition += StockStatistics[i].BarsInPosition;
    }
    whole.Curve = CombineCurves(StockStatistics, initials);
    ComputeStatistics(Overall, whole);
    OverallStatistics = std::move(whole);
}

std::string BacktestResults::SummaryLine() const {
    const int trades = Overall.Winners + Overall.Losers;
    const double averageTrade =
        Quotient(Overall.ProfitOfWinners + Overall.LossOfLosers, trades).value_or(0);
    // Without a stock kept the test portfolio is what it started with.
    const double portfolio = FiniteOr(
        Quotient(SumOfFinalEquities, static_cast<double>(Stocks.size())).value_or(InitialEquity),
        0);
    const double change =
        FiniteOr(Quotient((portfolio - InitialEquity) * 100, InitialEquity).value_or(0), 0);
    return FormatString(
        "Trans no.: %d, Avg. trade (gain+loss)= %+7.2lf, Test portfolio = %8.0lf (%+7.2lf%%)",
        trades, averageTrade, portfolio, change);
}

void BacktestResults::AddClosingRows(ResultList& results) const {
    results.Add(std::string_view());
    results.Add(SummaryLine());
}

BackTestListState BackTestCommandResult(const ResultList& rows, const BacktestResults& results) {
    BackTestListState state;
    if (rows.Size() <= 1) {
        state.StatusText = "No results";
        state.ShownRows = rows.Size();
        return state;
    }
    state.StatusText = results.SummaryLine();
    state.ShownRows = rows.Size() - 1;
    return state;
}

}  // namespace velmora
