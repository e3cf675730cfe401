#pragma once
// The settings of the backtester ("System test settings"): equity, position directions, the
// commission model, the prices and delays of entries and exits, the maximum loss stop and the
// parts of the report. One record for the whole program run, held in memory only: every start
// begins with the defaults below.

#include <cstdint>

#include "database/Stock.h"
#include "portfolio/CommissionTable.h"

namespace velmora {

// Which price of a bar a trade takes.
enum class TradePrice : std::int32_t { Close = 0, Open = 1, High = 2, Low = 3, Average = 4 };

// The price of the bar for the choice; Average is (high + low) / 2.
float BarPrice(const Quotation& bar, TradePrice choice);

struct SystemTestSettings {
    // Bits of `Positions`.
    static constexpr std::int32_t kLong = 1;
    static constexpr std::int32_t kShort = 2;
    static constexpr std::int32_t kLongAndShort = 3;

    // Commission modes.
    static constexpr std::int32_t kCommissionTable = 0;
    static constexpr std::int32_t kCommissionPercent = 1;
    static constexpr std::int32_t kCommissionPoint = 2;

    // Maximum loss stop modes.
    static constexpr std::int32_t kStopDisabled = 0;
    static constexpr std::int32_t kStopPercent = 1;
    static constexpr std::int32_t kStopPoint = 2;

    float InitialEquity = 10000;
    std::int32_t Positions = kLong;
    std::int32_t CommissionMode = kCommissionTable;
    float CommissionValue = 0;
    TradePrice BuyPrice = TradePrice::Close;
    std::int32_t BuyDelay = 0;  // bars
    TradePrice SellPrice = TradePrice::Close;
    std::int32_t SellDelay = 0;  // bars
    std::int32_t StopMode = kStopDisabled;
    float StopValue = 0;
    // The "Trailing stop" group and the "Formula"/"Settings" report boxes are kept for the
    // dialog; neither the backtest nor the report reads them.
    std::int32_t TrailingStopMode = 0;
    std::int32_t TrailingStopPeriods = 0;
    float TrailingStopRisk = 0;
    std::int32_t ReportFormula = 0;
    std::int32_t ReportSettings = 0;
    std::int32_t ReportOverallSummary = 1;
    std::int32_t ReportStockSummary = 1;
    std::int32_t ReportTradeList = 1;
    std::int32_t LoadRemainingQuotes = 1;
    // The equity curves and their risk-adjusted figures (off: the classic results only).
    std::int32_t ExtendedStatistics = 0;

    bool LongEnabled() const { return (Positions & kLong) != 0; }
    bool ShortEnabled() const { return (Positions & kShort) != 0; }

    // The stop level of the maximum loss stop: 1 - value / 100 in percent mode (a level of 0
    // or below stops nothing), -value in point mode, 0 when the stop is disabled.
    double StopLevel() const;
};

// The commission of a transaction value under the settings: the commission table (mode 0), the
// value's percentage (mode 1) or a fixed amount per transaction (mode 2); 0 in any other mode.
class CommissionModel {
  public:
    CommissionModel(const SystemTestSettings& settings, const CommissionTable& table)
        : mode_(settings.CommissionMode), value_(settings.CommissionValue), table_(table) {}

    double operator()(double transactionValue) const;

  private:
    std::int32_t mode_;
    double value_;
    CommissionTable table_;
};

}  // namespace velmora
