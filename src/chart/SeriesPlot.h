#pragma once
// The series plotter every chart painter uses: framing the visible bars, the automatic range
// and grid step, the plot geometry, lines, histograms, candlesticks and bars (linear or
// logarithmic), the reference grid with its labels, the date axis, the frame and the title.

#include <cstdint>
#include <string>
#include <string_view>

#include "chart/PaneContext.h"
#include "formula/EmptyValue.h"

namespace velmora {

// Bits of SeriesPlot::flags.
namespace PlotFlags {
inline constexpr std::uint32_t kAutomatic = 0x1;
inline constexpr std::uint32_t kPainterMark = 0x2;
inline constexpr std::uint32_t kHistogram = 0x4;
inline constexpr std::uint32_t kOhlc = 0x8;
inline constexpr std::uint32_t kBars = 0x10;
inline constexpr std::uint32_t kFat = 0x20;
inline constexpr std::uint32_t kRangeOnly = 0x40;
inline constexpr std::uint32_t kMinimumZero = 0x80;
inline constexpr std::uint32_t kIncludeZero = 0x100;
inline constexpr std::uint32_t kMarkPoints = 0x200;
inline constexpr std::uint32_t kDateAxis = 0x400;
inline constexpr std::uint32_t kSecondLabels = 0x800;
inline constexpr std::uint32_t kLogarithmic = 0x1000;
inline constexpr std::uint32_t kWidenOnly = 0x2000;
inline constexpr std::uint32_t kSkipEmpty = 0x4000;
inline constexpr std::uint32_t kHighLowRange = 0x8000;
inline constexpr std::uint32_t kPointsOnly = 0x10000;
}  // namespace PlotFlags

// Bits of ChartDefinition::gridFlags.
namespace GridFlags {
inline constexpr std::int32_t kPercent = 0x2;
inline constexpr std::int32_t kTenths = 0x4;
inline constexpr std::int32_t kLimitMin = 0x40;
inline constexpr std::int32_t kLimitMax = 0x80;
inline constexpr std::int32_t kMiddle = 0x100;
inline constexpr std::int32_t kLevel0 = 0x200;
inline constexpr std::int32_t k30 = 0x400;
inline constexpr std::int32_t k70 = 0x800;
inline constexpr std::int32_t k10 = 0x1000;
inline constexpr std::int32_t k90 = 0x2000;
inline constexpr std::int32_t k50 = 0x4000;
inline constexpr std::int32_t k100 = 0x8000;
inline constexpr std::int32_t k20 = 0x10000;
inline constexpr std::int32_t k80 = 0x20000;
inline constexpr std::int32_t k1 = 0x40000;
}  // namespace GridFlags

struct SeriesPlot {
    const float* values = nullptr;
    const float* open = nullptr;
    const float* high = nullptr;
    const float* low = nullptr;
    int barCount = 0;
    std::uint32_t flags = 0;
    float max = 0;
    float min = 0;
    float step = 0;
    float padding = 100;  // percent; 100 = none
    int first = 0;
    int end = 0;  // exclusive
    int scroll = 0;
    int visible = 0;
    float baseline = 0;

    // Fewer bars than visibleBars: all are shown from bar 0; otherwise visibleBars from the
    // scroll position (kept within the bars). First and end span the visible bars.
    void Frame(int bars, int visibleBars, int scrollPosition);
};

// The pixel geometry of a plot in a pane.
struct PlotGeometry {
    int left = 0;        // pane margin
    int plotHeight = 0;  // I
    int bottomY = 0;     // M, the y of the range minimum
    int topY = 0;        // the top of the plot
    int plotWidth = 0;   // F
    int scroll = 0;
    int visible = 1;
    float min = 0;
    float max = 0;
    bool logarithmic = false;

    PlotGeometry(const PaneContext& pane, const SeriesPlot& plot);
    int X(int bar) const;
    // Height above M of a value (not clamped, but kept to a sane integer range).
    int Height(double value) const;
    int ClampedHeight(double value) const;
    int Y(double value) const { return bottomY - Height(value); }
    int ClampedY(double value) const { return bottomY - ClampedHeight(value); }
    // The value at a y position (inverse of Y).
    double ValueAt(int y) const;
    int CandleWidth() const;
};

bool IsEmptyValue(float v);

// Steps 1 to 7 of the automatic range over first..end, into max, min and step.
void ComputeRange(SeriesPlot& plot);
// The grid step of a range.
float GridStep(float range);
// Computes the range when the plot asks for it, then draws the series (unless range-only).
void PlotSeries(PaneContext& pane, SeriesPlot& plot, int colour);

// The reference grid with its labels, the bounds and the vertical frame lines; the
// definition's scaleMin and scaleMax take the plot's range.
void DrawGrid(PaneContext& pane, const SeriesPlot& plot, std::int32_t gridFlags);
// A label of the reference grid, 5 characters at most.
std::string GridLabel(double value, float step, std::int32_t gridFlags);

// The date axis along the bottom (price pane).
void DrawDateAxis(PaneContext& pane, const SeriesPlot& plot, const Stock& stock,
                  Periodicity periodicity);
// The text of a daily date-axis label after the cutting rules, for a month (1..12) and year;
// x is measured from the plot's left edge.
std::string DailyMonthLabel(int month, int year, int x, int plotWidth, int visible);

// The outline from (left + 3, plot bottom) to (W - right - 37, top + 5) in "Axes:".
void DrawPaneFrame(PaneContext& pane, const SeriesPlot& plot);
// Fills the pane in "Background:".
void ClearPane(PaneContext& pane);
// The title text at (left + 8, top + 8) in "Axes:" on "Background:", 15 spaces appended.
void DrawTitle(PaneContext& pane, std::string_view text);

}  // namespace velmora
