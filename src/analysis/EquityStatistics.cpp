#include "analysis/EquityStatistics.h"

#include <algorithm>
#include <cmath>
#include <utility>

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

namespace {

bool Ascending(const ExtendedStatistics& stock) {
    return std::adjacent_find(stock.Curve.begin(), stock.Curve.end(),
                              [](const EquityPoint& a, const EquityPoint& b) {
                                  return a.Date >= b.Date;
                              }) == stock.Curve.end();
}

// The initial equity of every stock (0 where none is given).
std::vector<double> Initials(std::size_t stocks, std::span<const double> initialEquities) {
    std::vector<double> initials(stocks, 0);
    std::copy_n(initialEquities.begin(), std::min(stocks, initialEquities.size()),
                initials.begin());
    return initials;
}

// The changes as a stable sort by date leaves them, for curves in any order.
std::vector<EquityPoint> SortedChanges(std::span<const ExtendedStatistics> stocks,
                                       std::vector<double> previous) {
    std::vector<EquityPoint> changes;
    for (std::size_t s = 0; s < stocks.size(); ++s) {
        for (const EquityPoint& p : stocks[s].Curve) {
            changes.push_back({p.Date, p.Equity - previous[s]});
            previous[s] = p.Equity;
        }
    }
    std::stable_sort(changes.begin(), changes.end(),
                     [](const EquityPoint& a, const EquityPoint& b) { return a.Date < b.Date; });
    return changes;
}

// The whole curve from curves each in date order, without a sort: date by date, the stocks'
// cursors give the changes of the date in the order of the stocks, and the same pass finds the
// next date.
std::vector<EquityPoint> SweptCurve(std::span<const ExtendedStatistics> stocks,
                                    const std::vector<double>& initials, double equity) {
    struct Cursor {
        const EquityPoint* at;
        const EquityPoint* end;
        double previous;
    };
    std::vector<Cursor> cursors;
    cursors.reserve(stocks.size());
    PackedDate date = kNoDate;
    bool any = false;
    for (std::size_t s = 0; s < stocks.size(); ++s) {
        const std::vector<EquityPoint>& points = stocks[s].Curve;
        cursors.push_back({points.data(), points.data() + points.size(), initials[s]});
        if (points.empty()) continue;
        if (!any || points.front().Date < date) date = points.front().Date;
        any = true;
    }
    std::vector<EquityPoint> curve;
    while (any) {
        PackedDate next = kNoDate;
        any = false;
        for (Cursor& c : cursors) {
            if (c.at == c.end) continue;
            if (c.at->Date == date) {
                equity += c.at->Equity - c.previous;
                c.previous = c.at->Equity;
                if (++c.at == c.end) continue;
            }
            if (!any || c.at->Date < next) next = c.at->Date;
            any = true;
        }
        curve.push_back({date, equity});
        date = next;
    }
    return curve;
}

}  // namespace

std::vector<EquityPoint> CombineCurves(std::span<const ExtendedStatistics> stocks,
                                       std::span<const double> initialEquities) {
    // Every point adds its change from the stock's previous value to every later date of the
    // union: the changes in date order (within a date in the order of the stocks), summed from
    // the sum of the initial equities on.
    std::vector<double> initials = Initials(stocks.size(), initialEquities);
    double start = 0;
    for (const double v : initials) start += v;
    if (std::all_of(stocks.begin(), stocks.end(), Ascending)) {
        return SweptCurve(stocks, initials, start);
    }
    const std::vector<EquityPoint> changes = SortedChanges(stocks, std::move(initials));
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
