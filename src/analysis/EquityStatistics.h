#pragma once
// Extended statistics of a backtest, switched on by SystemTestSettings::ExtendedStatistics:
// risk-adjusted figures of the mark-to-market equity curve of every kept stock and of the
// whole test. A stock's curve holds its equity at the close of every visited bar, the open
// position valued at that close; the whole test's curve is the sum of the stocks' curves over
// the union of their dates, each stock counting its initial equity before its first bar and
// its last value after its last.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "database/PackedDate.h"

namespace velmora {

struct StockTestSummary;

struct EquityPoint {
    PackedDate Date = kNoDate;
    double Equity = 0;
};

// The figures of one curve. A figure whose divisor is 0 (no days, no spread of returns, no
// loss, no trade, no drawdown) is absent.
struct ExtendedStatistics {
    std::optional<double> CarPercent;  // compound annual return over the calendar days
    double MaxDrawdownPercent = 0;     // the largest fall from a peak, in percent of it (<= 0)
    double MaxDrawdown = 0;            // the largest fall from a peak in money (<= 0)
    double ExposurePercent = 0;        // bars in a position / bars in the test
    std::optional<double> Sharpe;      // of the bar-to-bar returns, annualised with 252 bars
    std::optional<double> Sortino;     // likewise with the downside deviation
    std::optional<double> ProfitFactor;
    std::optional<double> Expectancy;  // average gross profit per trade
    std::optional<double> AverageBarsHeld;
    std::optional<double> RecoveryFactor;  // net profit of the curve / |max drawdown|
    // Bars whose close-to-close move a position was open for (it was open at the previous
    // close); summed over the stocks for the whole test.
    std::int32_t BarsInPosition = 0;
    std::vector<EquityPoint> Curve;
};

// Fills the figures of `stats` from its Curve and BarsInPosition and from the trade figures of
// the summary (its BarsInTest is the number of bar-to-bar moves).
void ComputeStatistics(const StockTestSummary& summary, ExtendedStatistics& stats);

// The whole test's curve from the stocks' curves and their initial equities.
std::vector<EquityPoint> CombineCurves(std::span<const ExtendedStatistics> stocks,
                                       std::span<const double> initialEquities);

}  // namespace velmora
