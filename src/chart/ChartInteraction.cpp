#include "chart/ChartInteraction.h"

#include <algorithm>
#include <cstdio>

#include "chart/PricePainter.h"

namespace velmora {

namespace {
constexpr int kMaxVisibleToGrow = 2000;
constexpr int kMinVisibleToHalve = 16;
}  // namespace

int ZoomIn(int visibleBars, ZoomModifier modifier, int defaultBars) {
    switch (modifier) {
        case ZoomModifier::Shift:
            return ZoomOut(visibleBars);
        case ZoomModifier::Ctrl:
            return ZoomNormal(defaultBars);
        case ZoomModifier::None:
            break;
    }
    return visibleBars < kMinVisibleToHalve ? visibleBars : visibleBars / 2;
}

int ZoomOut(int visibleBars) {
    return visibleBars >= kMaxVisibleToGrow ? visibleBars : visibleBars * 2;
}

// VisibleBars never goes below 8, whatever the stock or the preferences hold.
int ZoomAll(int barCount) {
    return std::max(kMinVisibleBars, barCount);
}
int ZoomNormal(int defaultBars) {
    return std::max(kMinVisibleBars, defaultBars);
}

int ClickToBar(int x, int paneLeft, int plotWidth, int shownBars) {
    if (plotWidth <= 0 || shownBars <= 0) return -1;
    const long long offset = x - paneLeft - 5;
    if (offset < 0 || offset > plotWidth) return -1;
    const long long bar = (shownBars * offset + plotWidth / 2) / plotWidth;
    return bar < shownBars ? static_cast<int>(bar) : -1;
}

void MoveMarker(ChartSettings& settings, bool right, int shownBars) {
    if (shownBars <= 0) return;
    if (!settings.markerShown || settings.selectedBar < 0) {
        settings.markerShown = true;
        settings.selectedBar = shownBars - 1;
        return;
    }
    settings.selectedBar = std::clamp(settings.selectedBar + (right ? 1 : -1), 0, shownBars - 1);
}

int MarkerX(const PlotGeometry& geometry, int selectedBar) {
    return geometry.X(geometry.scroll + selectedBar);
}

void DrawMarkerLine(Canvas& canvas, int x, int paneHeight, bool priceChart) {
    canvas.SetDrawMode(DrawMode::NotXor);
    canvas.SetPen(0, 1, PenStyle::Solid);
    canvas.Line(x, 5, x, paneHeight - (priceChart ? 13 : 5));
    canvas.SetDrawMode(DrawMode::Copy);
}

void MoveMarkerLine(Canvas& canvas, ChartDefinition& definition, int x, int paneHeight) {
    const bool price = definition.id == kPriceChartId;
    if (definition.markerX >= 0) DrawMarkerLine(canvas, definition.markerX, paneHeight, price);
    definition.markerX = x >= 0 ? x : kNoMarker;
    if (x >= 0) DrawMarkerLine(canvas, x, paneHeight, price);
}

std::optional<std::string> TooltipText(const PaneContext& pane, int x, int y) {
    if (pane.stock == nullptr || pane.definition == nullptr) return std::nullopt;
    const auto& q = pane.stock->Quotations;
    if (q.empty()) return std::nullopt;
    const bool price = pane.definition->id == kPriceChartId;
    SeriesPlot plot = FramePricePlot(pane);
    plot.min = pane.definition->scaleMin;
    plot.max = pane.definition->scaleMax;
    // Only the price pane reserves the date axis and may be logarithmic.
    if (!price) plot.flags = 0;
    const PlotGeometry g(pane, plot);
    int bar;
    if (x < pane.left + 5)
        bar = 0;
    else if (x > pane.left + 5 + g.plotWidth)
        bar = plot.visible - 1;
    else
        bar = std::max(0, ClickToBar(x, pane.left, g.plotWidth, plot.visible));
    if (bar < 0) bar = plot.visible - 1;
    const int index = plot.scroll + bar;
    if (index < 0 || index >= static_cast<int>(q.size())) return std::nullopt;
    const Quotation& quote = q[static_cast<std::size_t>(index)];
    const double value = g.ValueAt(y);
    const std::string date = DateToText(quote.Date);
    char buf[512];
    if (price)
        std::snprintf(buf, sizeof buf,
                      "Date: %s\r\nValue: %.3f\r\n\r\nOpen: %g\r\nHigh:  %g\r\nLow:   %g\r\n"
                      "Close: %g\r\nVolume: %d",
                      date.c_str(), value, static_cast<double>(quote.Open),
                      static_cast<double>(quote.High), static_cast<double>(quote.Low),
                      static_cast<double>(quote.Close), quote.Volume);
    else
        std::snprintf(buf, sizeof buf, "Date: %s\r\nValue: %.3f", date.c_str(), value);
    return std::string(buf);
}

}  // namespace velmora
