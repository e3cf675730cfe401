#pragma once
// What the chart windows do with the mouse and the keyboard: the zoom commands, the selected
// bar (click, arrow keys) and its marker line, and the data tooltip.

#include <optional>
#include <string>

#include "chart/PaneContext.h"
#include "chart/SeriesPlot.h"

namespace velmora {

// Zoom commands on the number of visible bars; each returns the new count.
enum class ZoomModifier { None, Shift, Ctrl };
int ZoomIn(int visibleBars, ZoomModifier modifier, int defaultBars);
int ZoomOut(int visibleBars);
int ZoomAll(int barCount);
int ZoomNormal(int defaultBars);

// The bar a click at x selects among the n shown bars, or -1 outside the plot.
int ClickToBar(int x, int paneLeft, int plotWidth, int shownBars);
// The arrow keys: Left moves the shown marker one bar left, Right one bar right (stopping at
// the ends); a hidden marker appears on the last bar. Updates the settings' selected bar.
void MoveMarker(ChartSettings& settings, bool right, int shownBars);
// The x of the marker line of a visible-bar index.
int MarkerX(const PlotGeometry& geometry, int selectedBar);

// Draws the marker line at x in palette colour 0 in not-XOR mode from y = 5 down to the
// pane height - 13 (price chart) or - 5 (others); drawing it again erases it.
void DrawMarkerLine(Canvas& canvas, int x, int paneHeight, bool priceChart);
// Moves a pane's marker: erases the old line (the definition's markerX) and draws the new
// one (x < 0: none), remembering it in the definition.
void MoveMarkerLine(Canvas& canvas, ChartDefinition& definition, int x, int paneHeight);

// The tooltip over a pane at (x, y): the bar under x (left of the plot the first shown bar,
// right of it the last) and the value at y from the definition's scaleMin and scaleMax.
// Nothing without a stock or a quotation.
std::optional<std::string> TooltipText(const PaneContext& pane, int x, int y);

}  // namespace velmora
