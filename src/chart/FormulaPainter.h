#pragma once
// The formula-driven chart: a QRX formula computes graph0, graph1, ... with optional styles,
// colours and a title, and the pane draws them with the series plotter. Paints the custom
// definitions and the ADX/DMI and Parabolic SAR charts.

#include <cstdint>
#include <string>

#include "chart/PaneContext.h"

namespace velmora {

// The painter of the formula-driven definitions. Needs the pane's formula engine; without one
// the pane is only cleared.
void PaintFormulaChart(PaneContext& pane);

// The plot flags of graph slot `slot` with the formula's style number.
std::uint32_t FormulaGraphFlags(int slot, int style);
// The palette index of graph slot `slot` with the formula's colour number.
int FormulaGraphColour(const PaneContext& pane, int slot, int colourNumber);

// "Not enough data available": the title of a pane whose stock has 2 bars or fewer.
inline constexpr const char kNotEnoughData[] = "Not enough data available";

}  // namespace velmora
