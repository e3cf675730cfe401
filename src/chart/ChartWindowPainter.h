#pragma once
// Paints a whole chart window onto one surface: its panes stacked as the splitter lays them
// out, with the splitter bars between them, each pane drawn by its chart's painter.

#include "chart/ChartDefinition.h"
#include "chart/ChartSettings.h"
#include "chart/ChartWindowModel.h"
#include "chart/Compression.h"
#include "chart/PaneContext.h"

namespace velmora {

struct ChartWindowView {
    ChartWindowModel* model = nullptr;
    ChartTable* table = nullptr;
    ChartSettings* settings = nullptr;
    const Preferences* prefs = nullptr;
    CompressedStockCache* cache = nullptr;
    const Stock* stock = nullptr;        // the current stock, daily
    bool printing = false;               // swaps the grey and white palette entries
    const Database* database = nullptr;  // base stocks and advance/decline data
    FormulaEngine* engine = nullptr;     // for the formula-driven charts
    int paneFooter = 0;  // pixels at the foot of every pane row left to the window (scroll bars)
};

// The height a pane paints in a row of `rowHeight` with `footer` pixels kept below it.
inline int PaneHeight(int rowHeight, int footer) {
    return rowHeight > 2 * footer ? rowHeight - footer : rowHeight;
}

// The background of a blank pane and the splitter bars.
inline constexpr std::uint32_t kWindowBackground = 0xFFFFFF;
inline constexpr std::uint32_t kSplitterBarColour = 0xD4D0C8;

// The stock as the window's panes show it (compressed for weekly and monthly), or null.
const Stock* WindowStock(ChartWindowView& view);

// Paints one pane of height `height` at the canvas's current origin; its title line shows the
// values at the selected bar (an index within the visible bars; -1: the last bar's).
void PaintPane(Canvas& canvas, ChartWindowView& view, int pane, int width, int height,
               int selectedBar = -1);
// Lays the window out for the height and paints every pane and bar.
void PaintChartWindow(Canvas& canvas, ChartWindowView& view, int width, int height);
// Shows the settings' selected bar: the marker line in every pane showing a chart and the
// price panes' title line for that bar. Call after PaintChartWindow with the same size.
void ShowSelectedBar(Canvas& canvas, ChartWindowView& view, int width, int height);

}  // namespace velmora
