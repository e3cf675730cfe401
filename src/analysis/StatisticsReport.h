#pragma once
// The extended statistics of a backtest as text: the section the HTML report gains after its
// classic tables (a table of the figures, then the whole test's equity curve and drawdown as
// inline SVG, readable without scripts or outside files) and the ISO dates of the curves.

#include <string>
#include <vector>

#include "analysis/Backtest.h"

namespace velmora {

// "YYYY-MM-DD".
std::string IsoDate(PackedDate date);

// The curve's fall from its peak so far at each point, in percent of the peak (<= 0; 0 while
// the peak is not above 0).
std::vector<double> DrawdownPercents(const std::vector<EquityPoint>& curve);

// Appends the section; nothing when the results hold no extended statistics.
void AppendStatisticsSection(std::string& out, const BacktestResults& results);

}  // namespace velmora
