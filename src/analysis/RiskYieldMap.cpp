#include "analysis/RiskYieldMap.h"

#include <algorithm>
#include <cmath>

#include "platform/Saturate.h"
#include "platform/StringFormat.h"

namespace velmora {

namespace {

constexpr int kPlotLeft = 5;
constexpr int kPlotTop = 5;
constexpr int kLabelHeight = 12;  // a label's text, drawn with its top at the label's y
// Below the plot: a 2-pixel gap, the risk labels, and a margin that keeps their lowest pixels
// (the brackets of "R[%]") clear of the window's edge.
constexpr int kPlotBottomMargin = 2 + kLabelHeight + 6;

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && EqualNoCase(text.substr(0, prefix.size()), prefix);
}

// The plot inside a client area.
struct Plot {
    int width, height, bottom;
    Plot(int clientWidth, int clientHeight)
        : width(clientWidth - 42),
          height(clientHeight - kPlotTop - kPlotBottomMargin),
          bottom(clientHeight - kPlotBottomMargin) {}
    bool Usable() const { return width > 0 && height > 0; }
    int X(const MapRange& r, std::int32_t risk) const {
        const long long span = static_cast<long long>(r.RiskMax) - r.RiskMin;
        return kPlotLeft +
               static_cast<int>((static_cast<long long>(risk) - r.RiskMin) * width / span);
    }
    int Y(const MapRange& r, std::int32_t yield) const {
        const long long span = static_cast<long long>(r.YieldMax) - r.YieldMin;
        return bottom -
               static_cast<int>((static_cast<long long>(yield) - r.YieldMin) * height / span);
    }
};

// The grid step: the smallest of 0.1, 0.2, 0.5, 1, 2, 5, 10 ... percent that keeps the lines
// at least `minPixels` apart along `pixels`, so a zoomed axis still has labelled lines and a
// wide one has no crowded labels.
std::int32_t GridStep(long long span, int pixels, int minPixels) {
    const long long maxLines = std::max(2, pixels / minPixels);
    for (long long base = 1000; base < 1000000000; base *= 10) {
        for (const long long m : {1, 2, 5}) {
            if (base * m * maxLines >= span) return static_cast<std::int32_t>(base * m);
        }
    }
    return 1000000000;
}

// The multiples of `step` strictly between lo and hi.
std::vector<std::int32_t> GridValues(std::int32_t lo, std::int32_t hi, std::int32_t step) {
    std::vector<std::int32_t> values;
    long long v = static_cast<long long>(std::floor(lo / static_cast<double>(step))) * step;
    if (v <= lo) v += step;
    for (; v < hi; v += step) values.push_back(static_cast<std::int32_t>(v));
    return values;
}

bool Inside(const MapRange& r, const RiskYield& v) {
    return v.Risk >= r.RiskMin && v.Risk <= r.RiskMax && v.Yield >= r.YieldMin &&
           v.Yield <= r.YieldMax;
}

// The smallest value d >= 0 whose pixel offset d * pixels / span (truncated) reaches `offset`.
long long FirstValueAt(long long offset, long long span, int pixels) {
    return (offset * span + pixels - 1) / pixels;
}

}  // namespace

RiskYield ComputeRiskYield(const Stock& stock) {
    RiskYield result;
    const auto& quotes = stock.Quotations;
    if (static_cast<int>(quotes.size()) < kMinMapQuotations) return result;
    result.Mapped = true;
    double reference = quotes.front().Close;
    double sum = 0, sumSquares = 0;
    int n = 0, c = 0;
    for (const Quotation& q : quotes) {
        if (c != 4) {
            ++c;
            continue;
        }
        // A reference close of 0 gives no return; the next one is measured from this close.
        if (reference != 0) {
            const double r = (q.Close - reference) / reference;
            sum += r;
            sumSquares += r * r;
            ++n;
        }
        reference = q.Close;
        c = 0;
    }
    if (n > 0) {
        const double mean = sum / n;
        const double variance = std::max(0.0, sumSquares / n - mean * mean);
        result.Yield = SaturateToInt32(mean * 1000000);
        result.Risk = SaturateToInt32(std::sqrt(variance) * 1000000);
    }
    return result;
}

std::string MapLabel(std::string_view ticker) {
    auto charAt = [ticker](std::size_t i) {
        return i < ticker.size() ? std::string(1, ticker[i]) : std::string();
    };
    if (StartsWithNoCase(ticker, "MOSTAL")) return "M-" + charAt(6);
    if (StartsWithNoCase(ticker, "POLIFARB")) return "PF" + charAt(8);
    if (EqualNoCase(ticker, "ELEKTROEX")) return "EEX";
    if (EqualNoCase(ticker, "PROCHEM")) return "PCH";
    if (EqualNoCase(ticker, "KABELBFK")) return "BFK";
    if (EqualNoCase(ticker, "WIG20")) return "W20";
    return std::string(ticker.substr(0, Utf8Cut(ticker, 3)));
}

void RiskYieldMap::Compute(const Database& db) {
    values_.clear();
    values_.reserve(db.Stocks().size());
    mapped_ = 0;
    dataRange_ = MapRange{1000000, 0, 0, 0};
    for (const auto& stock : db.Stocks()) {
        const RiskYield v = ComputeRiskYield(*stock);
        values_.push_back(v);
        if (!v.Mapped) continue;
        ++mapped_;
        dataRange_.RiskMin = std::min(dataRange_.RiskMin, v.Risk);
        dataRange_.RiskMax = std::max(dataRange_.RiskMax, v.Risk);
        dataRange_.YieldMin = std::min(dataRange_.YieldMin, v.Yield);
        dataRange_.YieldMax = std::max(dataRange_.YieldMax, v.Yield);
    }
    computed_ = true;
    showWhole_ = true;
}

void RiskYieldMap::Widen() {
    auto widen = [](std::int32_t& lo, std::int32_t& hi) {
        if (static_cast<long long>(hi) - lo >= kMinVisibleSpan) return;
        const long long middle = (static_cast<long long>(lo) + hi) / 2;
        lo = ClampToInt32(middle - kMinVisibleSpan / 2);
        hi = ClampToInt32(static_cast<long long>(lo) + kMinVisibleSpan);
    };
    widen(visible_.RiskMin, visible_.RiskMax);
    widen(visible_.YieldMin, visible_.YieldMax);
}

std::array<int, 4> RiskYieldMap::RectangleBetween(int x0, int y0, int x1, int y1) {
    return {std::min(x0, x1), std::min(y0, y1), std::abs(x1 - x0), std::abs(y1 - y0)};
}

void RiskYieldMap::Select(int clientWidth, int clientHeight, int x, int y, int width, int height) {
    const Plot plot(clientWidth, clientHeight);
    if ((width < 4 && height < 4) || !plot.Usable()) {
        visible_ = dataRange_;
        selected_.reset();
        Widen();
        return;
    }
    const int left = std::clamp(x - kPlotLeft, 0, plot.width);
    const int right = std::clamp(x + width - kPlotLeft, 0, plot.width);
    const int top = std::clamp(y - kPlotTop, 0, plot.height);
    const int lower = std::clamp(y + height - kPlotTop, 0, plot.height);
    const long long spanX = static_cast<long long>(visible_.RiskMax) - visible_.RiskMin;
    const long long spanY = static_cast<long long>(visible_.YieldMax) - visible_.YieldMin;
    MapRange r;
    r.RiskMin = ClampToInt32(visible_.RiskMin + left * spanX / plot.width);
    r.RiskMax =
        ClampToInt32(static_cast<long long>(r.RiskMin) + (right - left) * spanX / plot.width);
    r.YieldMax = ClampToInt32(visible_.YieldMax - top * spanY / plot.height);
    r.YieldMin =
        ClampToInt32(static_cast<long long>(r.YieldMax) - (lower - top) * spanY / plot.height);
    // The exact values whose pixels lie inside the rectangle, within any earlier selection.
    MapRange inside;
    const auto clampAdd = [](std::int32_t base, long long offset) {
        return ClampToInt32(static_cast<long long>(base) + offset);
    };
    inside.RiskMin = clampAdd(visible_.RiskMin, FirstValueAt(left, spanX, plot.width));
    inside.RiskMax = clampAdd(visible_.RiskMin, FirstValueAt(right + 1, spanX, plot.width) - 1);
    inside.YieldMin =
        clampAdd(visible_.YieldMin, FirstValueAt(plot.height - lower, spanY, plot.height));
    inside.YieldMax =
        clampAdd(visible_.YieldMin, FirstValueAt(plot.height - top + 1, spanY, plot.height) - 1);
    if (selected_) {
        inside.RiskMin = std::max(inside.RiskMin, selected_->RiskMin);
        inside.RiskMax = std::min(inside.RiskMax, selected_->RiskMax);
        inside.YieldMin = std::max(inside.YieldMin, selected_->YieldMin);
        inside.YieldMax = std::min(inside.YieldMax, selected_->YieldMax);
    }
    selected_ = inside;
    visible_ = r;
    Widen();
}

std::optional<MapPoint> RiskYieldMap::PointFor(const Database& db, int index, int clientWidth,
                                               int clientHeight, int highlighted) const {
    if (index < 0 || index >= static_cast<int>(values_.size()) || index >= db.StockCount()) {
        return std::nullopt;
    }
    const RiskYield& v = values_[index];
    if (!v.Mapped || !Inside(visible_, v) || (selected_ && !Inside(*selected_, v))) {
        return std::nullopt;
    }
    const Plot plot(clientWidth, clientHeight);
    if (!plot.Usable()) return std::nullopt;
    MapPoint p;
    p.StockIndex = index;
    p.X = plot.X(visible_, v.Risk);
    p.Y = plot.Y(visible_, v.Yield);
    p.Highlighted = index == highlighted;
    p.Label.Text = MapLabel(db.StockAt(index)->TickerText());
    p.Label.X = p.X;
    p.Label.Y = p.Y;
    // The label stands below the point; near the top it moves further down, near the bottom it
    // goes above the point so that it stays inside the frame.
    if (p.Y < 25) p.Label.Y += 8;
    if (p.Y > plot.bottom - kLabelHeight) p.Label.Y = p.Y - kLabelHeight - 1;
    if (kPlotLeft + plot.width - p.X < 22) p.Label.X -= 22;
    return p;
}

MapDrawing RiskYieldMap::Draw(const Database& db, int clientWidth, int clientHeight,
                              int highlighted, std::optional<std::array<int, 4>> selection) {
    if (!computed_ || static_cast<int>(values_.size()) != db.StockCount()) Compute(db);
    if (showWhole_) {
        visible_ = dataRange_;
        selected_.reset();
        Widen();
        showWhole_ = false;
    }
    if (selection) {
        const auto& s = *selection;
        Select(clientWidth, clientHeight, s[0], s[1], s[2], s[3]);
    }
    MapDrawing d;
    const Plot plot(clientWidth, clientHeight);
    if (!plot.Usable()) return d;
    d.PlotLeft = kPlotLeft;
    d.PlotTop = plot.bottom - plot.height;
    d.PlotWidth = plot.width;
    d.PlotHeight = plot.height;
    d.RiskCaption = MapText{kPlotLeft, plot.bottom + 2, "R[%]"};
    d.YieldCaption = MapText{kPlotLeft + plot.width + 2, d.PlotTop, "Y[%]"};
    const long long yieldSpan = static_cast<long long>(visible_.YieldMax) - visible_.YieldMin;
    const long long riskSpan = static_cast<long long>(visible_.RiskMax) - visible_.RiskMin;
    const std::int32_t yieldStep = GridStep(yieldSpan, plot.height, 30);
    const std::int32_t riskStep = GridStep(riskSpan, plot.width, 40);
    for (std::int32_t v : GridValues(visible_.YieldMin, visible_.YieldMax, yieldStep)) {
        MapGridLine line{true, v, plot.Y(visible_, v), std::nullopt};
        if (line.Position >= 30) {
            line.Label = MapText{kPlotLeft + plot.width + 2, line.Position,
                                 FormatString("%+4.1f", v / 10000.0)};
        }
        d.GridLines.push_back(std::move(line));
    }
    for (std::int32_t v : GridValues(visible_.RiskMin, visible_.RiskMax, riskStep)) {
        MapGridLine line{false, v, plot.X(visible_, v), std::nullopt};
        if (line.Position - kPlotLeft > 25) {
            line.Label =
                MapText{line.Position, plot.bottom + 2, FormatString("%4.1f", v / 10000.0)};
        }
        d.GridLines.push_back(std::move(line));
    }
    if (visible_.YieldMin <= 0 && 0 <= visible_.YieldMax) d.ZeroLineY = plot.Y(visible_, 0);
    for (int i = 0; i < static_cast<int>(values_.size()); ++i) {
        if (auto p = PointFor(db, i, clientWidth, clientHeight, highlighted)) {
            d.Points.push_back(std::move(*p));
        }
    }
    return d;
}

std::vector<MapPoint> RiskYieldMap::HighlightChange(const Database& db, int clientWidth,
                                                    int clientHeight, int oldIndex,
                                                    int newIndex) const {
    std::vector<MapPoint> points;
    if (auto p = PointFor(db, oldIndex, clientWidth, clientHeight, newIndex)) points.push_back(*p);
    if (oldIndex != newIndex) {
        if (auto p = PointFor(db, newIndex, clientWidth, clientHeight, newIndex)) {
            points.push_back(*p);
        }
    }
    return points;
}

}  // namespace velmora
