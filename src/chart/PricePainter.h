#pragma once
// The price chart (chart id 1): volume or turnover backdrop, price range with its grid and
// date axis, parabolic SAR, moving averages and Bollinger bands, the price itself, the frame
// and the title line; and the analysis trade arrows drawn over it.

#include <string>

#include "chart/PaneContext.h"
#include "chart/SeriesPlot.h"

namespace velmora {

// The painter of chart id 1.
void PaintPriceChart(PaneContext& pane);

// The title line of a bar of a stock (already compressed for weekly and monthly charts).
std::string PriceTitle(const Stock& stock, int bar, Periodicity periodicity);
// "daily 05-01-03", "weekly 05-01-03/09", "monthly 05-01".
std::string TitleDatePart(PackedDate date, Periodicity periodicity);

// The price plot as the painter frames it (range not computed), for the trade arrows, the
// marker and tooltips.
SeriesPlot FramePricePlot(const PaneContext& pane);

// Up arrows under the low of each visible bar whose buy value is above 0, down arrows over
// the high where the sell value is; in the range of the price pane last painted (the
// definition's scaleMin and scaleMax).
void DrawTradeArrows(PaneContext& pane, const TradeArrows& arrows);

}  // namespace velmora
