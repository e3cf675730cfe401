#include "analysis/EquityStatistics.h"

#include <algorithm>
#include <cmath>

#include "analysis/Backtest.h"
#include "analysis/BacktestText.h"

namespace velmora {

namespace {

constexpr double kBarsPerYear = 252;
constexpr double kDaysPerYear = 365.25;
constexpr std::int64_t kSecondsPerDay = 86400;

std::optional<double> Finite(std::optional<double> v) {
    if (v && !std::isfinite(*v)) return std::nullopt;
    return v;
}

void AddDrawdowns(ExtendedStatistics& stats) {
    double peak = stats.Curve.empty() ? 0 : stats.Curve.front().Equity;
    for (const EquityPoint& p : stats.Curve) {
        peak = std::max(peak, p.Equity);
        stats.MaxDrawdown = std::min(stats.MaxDrawdown, p.Equity - peak);
        if (peak > 0) {
            stats.MaxDrawdownPercent =
                std::min(stats.MaxDrawdownPercent, (p.Equity - peak) / peak * 100);
        }
    }
}

// Sharpe and Sortino of the bar-to-bar returns: mean over the sample deviation (n - 1), and
// over the downside deviation (the losses only, also over n - 1), both times sqrt(252).
void AddRiskRatios(ExtendedStatistics& stats) {
    std::vector<double> returns;
    returns.reserve(stats.Curve.size());
    for (std::size_t i = 1; i < stats.Curve.size(); ++i) {
        const double before = stats.Curve[i - 1].Equity;
        if (before == 0) return;
        returns.push_back(stats.Curve[i].Equity / before - 1);
    }
    if (returns.size() < 2) return;
    double sum = 0;
    for (const double r : returns) sum += r;
    const double n = static_cast<double>(returns.size());
    const double mean = sum / n;
    double squares = 0;
    double downside = 0;
    for (const double r : returns) {
        squares += (r - mean) * (r - mean);
        if (r < 0) downside += r * r;
    }
    const double deviation = std::sqrt(squares / (n - 1));
    const double downsideDeviation = std::sqrt(downside / (n - 1));
    const double annual = std::sqrt(kBarsPerYear);
    if (deviation > 0) stats.Sharpe = mean / deviation * annual;
    if (downsideDeviation > 0) stats.Sortino = mean / downsideDeviation * annual;
}

}  // namespace

void ComputeStatistics(const StockTestSummary& summary, ExtendedStatistics& stats) {
    const std::vector<EquityPoint>& curve = stats.Curve;
    if (!curve.empty()) {
        const double initial = curve.front().Equity;
        const double last = curve.back().Equity;
        // Whole calendar days: the dates lie at midnight.
        const std::int64_t wholeDays =
            (DateToSeconds(curve.back().Date) - DateToSeconds(curve.front().Date)) / kSecondsPerDay;
        const auto days = static_cast<double>(wholeDays);
        if (days > 0 && initial > 0 && last >= 0) {
            stats.CarPercent = (std::pow(last / initial, kDaysPerYear / days) - 1) * 100;
        }
        AddDrawdowns(stats);
        if (stats.MaxDrawdown < 0) stats.RecoveryFactor = (last - initial) / -stats.MaxDrawdown;
    }
    stats.ExposurePercent =
        FiniteOr(Quotient(stats.BarsInPosition * 100.0, summary.BarsInTest).value_or(0), 0);
    AddRiskRatios(stats);
    if (summary.LossOfLosers < 0) {
        stats.ProfitFactor = summary.ProfitOfWinners / -summary.LossOfLosers;
    }
    stats.Expectancy = Quotient(summary.ProfitOfWinners + summary.LossOfLosers, summary.Trades);
    stats.AverageBarsHeld = Quotient(summary.BarsInWinners + summary.BarsInLosers, summary.Trades);
    stats.CarPercent = Finite(stats.CarPercent);
    stats.Sharpe = Finite(stats.Sharpe);
    stats.Sortino = Finite(stats.Sortino);
    stats.ProfitFactor = Finite(stats.ProfitFactor);
    stats.Expectancy = Finite(stats.Expectancy);
    stats.AverageBarsHeld = Finite(stats.AverageBarsHeld);
    stats.RecoveryFactor = Finite(stats.RecoveryFactor);
}

std::vector<EquityPoint> CombineCurves(std::span<const ExtendedStatistics> stocks,
                                       std::span<const double> initialEquities) {
    // Every point adds its change from the stock's previous value to every later date of the
    // union: a sorted list of (date, change), summed from the sum of the initial equities on.
    std::vector<EquityPoint> changes;
    double start = 0;
    for (std::size_t s = 0; s < stocks.size(); ++s) {
        double previous = s < initialEquities.size() ? initialEquities[s] : 0;
        start += previous;
        for (const EquityPoint& p : stocks[s].Curve) {
            changes.push_back({p.Date, p.Equity - previous});
            previous = p.Equity;
        }
    }
    std::stable_sort(changes.begin(), changes.end(),
                     [](const EquityPoint& a, const EquityPoint& b) { return a.Date < b.Date; });
    std::vector<EquityPoint> curve;
    double equity = start;
    for (const EquityPoint& c : changes) {
        equity += c.Equity;
        if (!curve.empty() && curve.back().Date == c.Date) {
            curve.back().Equity = equity;
        } else {
            curve.push_back({c.Date, equity});
        }
    }
    return curve;
}

}  // namespace velmora
