#pragma once
// The built-in indicator panes (chart ids 2 to 17). Each painter clears its pane, checks that
// the stock has enough bars, computes its indicator with the periods of the preferences, fixes
// the scale, draws the reference grid, plots the series and writes a title line with the last
// bar's value. With too few bars only a "not available" title is drawn.

#include "chart/ChartDefinition.h"
#include "chart/PaneContext.h"

namespace velmora {

class Database;

// The periods that have no field in the preference block.
inline constexpr int kChaikinFastPeriod = 3;
inline constexpr int kChaikinSlowPeriod = 10;
inline constexpr int kMfiPeriod = 14;

void PaintMacdChart(PaneContext& pane);                      // id 2
void PaintRsiChart(PaneContext& pane);                       // id 3
void PaintRocChart(PaneContext& pane);                       // id 4
void PaintStochasticChart(PaneContext& pane);                // id 5
void PaintVolumeChart(PaneContext& pane);                    // id 6
void PaintUltimateChart(PaneContext& pane);                  // id 7
void PaintObvChart(PaneContext& pane);                       // id 8
void PaintTrixChart(PaneContext& pane);                      // id 9
void PaintRelativeStrengthChart(PaneContext& pane);          // id 10
void PaintCciChart(PaneContext& pane);                       // id 11
void PaintMfiChart(PaneContext& pane);                       // id 12
void PaintAccumulationDistributionChart(PaneContext& pane);  // id 13
void PaintChaikinChart(PaneContext& pane);                   // id 14
void PaintNviChart(PaneContext& pane);                       // id 15
void PaintTrinChart(PaneContext& pane);                      // id 16
void PaintAdLineChart(PaneContext& pane);                    // id 17

// Puts the painters above into builtIn[2..17]. A painter whose arrays cannot be allocated
// leaves its pane cleared.
void AddIndicatorPainters(ChartPainters& painters);

// The relative-strength base of a stock: the stock named by its group's base ticker, else its
// industry's, else its market's, else the preference "Default Relative strength base"; null
// when none of them names a stock.
const Stock* RelativeStrengthBase(const Database& database, const Stock& stock,
                                  const Preferences& prefs);

}  // namespace velmora
