#pragma once
// Helpers shared by the indicator painters (internal to the chart library).

#include <algorithm>
#include <initializer_list>
#include <string>
#include <vector>

#include "chart/PaneContext.h"
#include "chart/SeriesPlot.h"
#include "platform/StringFormat.h"

namespace velmora::pane_support {

// An argument of a title line: a whole number, a number that may be EMPTY, or a text.
struct TitleArg {
    enum class Type { Whole, Number, Text };
    Type type;
    long long whole = 0;
    double number = 0;
    const char* text = "";
    TitleArg(int v) : type(Type::Whole), whole(v) {}
    TitleArg(float v) : type(Type::Number), number(static_cast<double>(v)) {}
    TitleArg(double v) : type(Type::Number), number(v) {}
    TitleArg(const std::string& s) : type(Type::Text), text(s.c_str()) {}
    TitleArg(const char* s) : type(Type::Text), text(s ? s : "") {}
};

// A title line from a printf-style format (conversions d, i, f, e, g, s and %%). A number
// that is EMPTY or not finite leaves its field blank (as many spaces as the field's width):
// a value the indicator does not have is not printed as -10000000000.
std::string TitleText(const char* format, std::initializer_list<TitleArg> args);

inline int BarCount(const Stock& stock) {
    return static_cast<int>(stock.Quotations.size());
}

// One float per bar of a quotation field.
template <typename Field>
std::vector<float> BarArray(const Stock& stock, Field field) {
    std::vector<float> out(stock.Quotations.size());
    for (std::size_t i = 0; i < out.size(); ++i)
        out[i] = static_cast<float>(field(stock.Quotations[i]));
    return out;
}
inline std::vector<float> Closes(const Stock& s) {
    return BarArray(s, [](const Quotation& q) { return q.Close; });
}
inline std::vector<float> Volumes(const Stock& s) {
    return BarArray(s, [](const Quotation& q) { return q.Volume; });
}
// (close + high + low) / 3
inline std::vector<float> TypicalPrices(const Stock& s) {
    return BarArray(s, [](const Quotation& q) { return (q.Close + q.High + q.Low) / 3.0f; });
}

// A plot of the pane's visible bars over the values, padding 100.
inline SeriesPlot FramedPlot(const PaneContext& pane, const std::vector<float>& values) {
    SeriesPlot p;
    p.Frame(static_cast<int>(values.size()), pane.VisibleBars(), pane.scrollPosition);
    p.values = values.data();
    return p;
}

// The first bar drawn for a series whose first `warmUp` bars have no value.
inline int From(const SeriesPlot& plot, int warmUp) {
    return std::max(plot.scroll, warmUp);
}

// The fixed 0..100 scale with grid step 10.
inline void FixedPercentScale(SeriesPlot& plot) {
    plot.max = 100;
    plot.min = 0;
    plot.step = 10;
}

// The bar a title line shows: the pane's title bar when it lies within the n bars, else the
// last one.
inline int TitleBar(const PaneContext& pane, int n) {
    return pane.titleBar >= 0 && pane.titleBar < n ? pane.titleBar : n - 1;
}

// The value a title line shows: at the pane's title bar (EMPTY when there are no bars).
inline float TitleValue(const PaneContext& pane, const std::vector<float>& v) {
    if (v.empty()) return kEmptyValue;
    return v[static_cast<std::size_t>(TitleBar(pane, static_cast<int>(v.size())))];
}

// Ends a painting: no marker, then the title line.
inline void Finish(PaneContext& pane, const std::string& title) {
    if (pane.definition) pane.definition->markerX = kNoMarker;
    DrawTitle(pane, title);
}

// Clears the pane; the stock to paint, or null when there is nothing to draw.
inline const Stock* Begin(PaneContext& pane) {
    ClearPane(pane);
    if (pane.definition) pane.definition->markerX = kNoMarker;
    if (pane.stock == nullptr || pane.prefs == nullptr) return nullptr;
    return pane.stock;
}

// The ticker of a stock.
inline std::string Ticker(const Stock& s) {
    return std::string(s.TickerText());
}

}  // namespace velmora::pane_support
