#include "chart/SeriesPlot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "platform/StringFormat.h"

namespace velmora {

namespace {

constexpr double kHeightLimit = 1e6;  // keeps far-off values inside the int range

int SafeInt(double v) {
    if (!(v == v)) return 0;  // NaN
    return static_cast<int>(std::clamp(v, -kHeightLimit, kHeightLimit));
}

// Widens max and min with a value unless it is empty (or not a number at all).
void Widen(float v, float& max, float& min, bool& started) {
    if (IsEmptyValue(v) || !std::isfinite(v)) return;
    if (!started) {
        max = min = v;
        started = true;
        return;
    }
    max = std::max(max, v);
    min = std::min(min, v);
}

constexpr const char* kMonthNames[12] = {"   January", "February", "March",    "April",
                                         "May",        "June",     "July",     "August",
                                         "September",  "October",  "November", "December"};

}  // namespace

bool IsEmptyValue(float v) {
    return v == kEmptyValue;
}

void SeriesPlot::Frame(int bars, int visibleBars, int scrollPosition) {
    barCount = std::max(0, bars);
    if (barCount < visibleBars) {
        scroll = 0;
        visible = barCount;
    } else {
        visible = visibleBars;
        scroll = std::clamp(scrollPosition, 0, barCount - visible);
    }
    first = scroll;
    end = first + visible;
    baseline = 0;
}

PlotGeometry::PlotGeometry(const PaneContext& pane, const SeriesPlot& plot)
    : left(pane.left),
      scroll(plot.scroll),
      visible(std::max(1, plot.visible)),
      min(plot.min),
      max(plot.max),
      logarithmic((plot.flags & PlotFlags::kLogarithmic) != 0) {
    plotHeight = pane.height - pane.top - pane.bottom - 10;
    if (plot.flags & PlotFlags::kDateAxis) plotHeight -= 8;
    topY = pane.top + 5;
    bottomY = topY + plotHeight;
    plotWidth = pane.width - pane.left - pane.right - 42;
}

int PlotGeometry::X(int bar) const {
    return left + 5 + static_cast<int>(static_cast<long long>(bar - scroll) * plotWidth / visible);
}

int PlotGeometry::Height(double value) const {
    double h;
    if (logarithmic) {
        const double lmin = min > 0 ? min : 0.0001;
        double span = std::log10(static_cast<double>(max) / lmin);
        if (span == 0 || !std::isfinite(span)) span = 0.0001;
        h = value > 0 ? std::log10(value / lmin) * plotHeight / span + 0.5 : -kHeightLimit;
    } else {
        double range = static_cast<double>(max) - min;
        if (range == 0) range = 0.0001;
        h = (value - min) * plotHeight / range + 0.5;
    }
    return SafeInt(h);
}

int PlotGeometry::ClampedHeight(double value) const {
    return std::clamp(Height(value), 0, std::max(0, plotHeight));
}

double PlotGeometry::ValueAt(int y) const {
    const double fraction = plotHeight > 0 ? static_cast<double>(bottomY - y) / plotHeight : 0;
    if (logarithmic) {
        const double lmin = min > 0 ? min : 0.0001;
        double span = std::log10(static_cast<double>(max) / lmin);
        if (span == 0 || !std::isfinite(span)) span = 0.0001;
        return lmin * std::pow(10.0, fraction * span);
    }
    double range = static_cast<double>(max) - min;
    if (range == 0) range = 0.0001;
    return min + fraction * range;
}

int PlotGeometry::CandleWidth() const {
    const int j = static_cast<int>(plotWidth / ((visible + 1) * 1.35));
    if (j < 3) return 2;
    return std::min(j, 30);
}

float GridStep(float range) {
    if (!std::isfinite(range) || range <= 0) return 0.0001f;
    float step = 10000000.0f;
    for (int guard = 0; guard < 64; ++guard) {
        const float q = range / step;
        if (q > 50) return step * 10;
        if (q > 30) return step * 6;
        if (q > 25) return step * 5;
        if (q > 20) return step * 4;
        if (q > 10) return step * 2;
        if (q > 5) return step;
        step /= 10;
        if (step == 0) break;
    }
    return 0.0001f;
}

void ComputeRange(SeriesPlot& plot) {
    const bool highLow = (plot.flags & PlotFlags::kHighLowRange) && plot.high && plot.low;
    const int first = std::max(0, plot.first);
    const int end = std::min(plot.end, plot.barCount);
    float max = plot.max, min = plot.min;
    bool started = (plot.flags & PlotFlags::kWidenOnly) != 0;
    for (int i = first; i < end; ++i) {
        if (highLow) {
            Widen(plot.high[i], max, min, started);
            Widen(plot.low[i], max, min, started);
        } else if (plot.values) {
            Widen(plot.values[i], max, min, started);
        }
    }
    if (!started) max = min = 0;
    if (max == min) max = min != 0 ? std::fabs(min) + min : 100;
    // Padding p: the range grows to p percent of itself, half of the growth on each side.
    const float unpaddedMin = min;
    const float r = max - min;
    const float oldMax = max;
    max = min + r * plot.padding / 100;
    min = oldMax - r * plot.padding / 100;
    if (plot.flags & PlotFlags::kMinimumZero) min = 0;
    if (plot.flags & PlotFlags::kIncludeZero) {
        if (min > 0) min = 0;
        if (max < 0) max = 0;
    }
    plot.step = GridStep(max - min);
    if ((plot.flags & PlotFlags::kLogarithmic) && min <= 0) {
        min = unpaddedMin < 0.0001f ? 0.0001f : unpaddedMin;
        if (plot.flags & PlotFlags::kMinimumZero) min = 0;
    }
    plot.max = max;
    plot.min = min;
}

namespace {

// The bars of plot from first to end as candlesticks, or as high-low bars with a close tick.
void PlotCandles(PaneContext& pane, const SeriesPlot& plot, const PlotGeometry& g, int first,
                 int end) {
    if (!plot.values || !plot.open || !plot.high || !plot.low) return;
    Canvas& c = *pane.canvas;
    const std::uint32_t f = plot.flags;
    const int j = g.CandleWidth();
    const int up = pane.Colour(ColourSetting::UpCandlestick);
    const int down = pane.Colour(ColourSetting::DownCandlestick);
    for (int i = first; i < end; ++i) {
        const float o = plot.open[i], h = plot.high[i], l = plot.low[i], cl = plot.values[i];
        if (IsEmptyValue(o) || IsEmptyValue(h) || IsEmptyValue(l) || IsEmptyValue(cl)) continue;
        const int x = g.X(i);
        const int yh = g.ClampedY(h), yl = g.ClampedY(l);
        const int yo = g.ClampedY(o), yc = g.ClampedY(cl);
        if (f & PlotFlags::kBars) {
            c.Line(x, yl, x, yh);
            if (f & PlotFlags::kFat) c.Line(x - 1, yl, x - 1, yh);
            c.Line(x, yc, x + j / 2 + 1, yc);
        } else {
            const int bodyTop = std::min(yo, yc), bodyBottom = std::max(yo, yc);
            c.Line(x, yh, x, bodyTop);
            c.Line(x, bodyBottom, x, yl);
            c.SetFill(cl > o ? up : down);
            c.Rectangle(x - j / 2, bodyTop, x + j / 2 + (j & 1), bodyBottom + 1);
        }
    }
}

// The values of plot from first to end as bars from the baseline.
void PlotHistogram(Canvas& c, const SeriesPlot& plot, const PlotGeometry& g, int first, int end,
                   int colour) {
    const int baseHeight = g.ClampedHeight(plot.baseline);
    const bool fat = (plot.flags & PlotFlags::kFat) != 0;
    for (int i = first; i < end; ++i) {
        const float v = plot.values[i];
        if (IsEmptyValue(v)) continue;
        const int x = g.X(i);
        const int y = g.bottomY - g.ClampedHeight(v);
        if (fat)
            c.FillRect(x, std::min(y, g.bottomY - baseHeight), x + 2,
                       std::max(y, g.bottomY - baseHeight) + 1, colour);
        else
            c.Line(x, g.bottomY - baseHeight, x, y);
    }
}

// The points of plot from first to end. Without the skip flag only the leading empty values
// are left out; later ones drop to the bottom of the plot. An empty value that is left out
// ends a run: `flush` gets each finished run (the last one is left in `run`).
template <typename Flush>
void CollectPoints(const SeriesPlot& plot, const PlotGeometry& g, int first, int end,
                   std::vector<CanvasPoint>& run, const Flush& flush) {
    const bool skipEmpty = (plot.flags & PlotFlags::kSkipEmpty) != 0;
    bool started = false;
    for (int i = first; i < end; ++i) {
        const float v = plot.values[i];
        if (IsEmptyValue(v) && (skipEmpty || !started)) {
            flush();
            continue;
        }
        started = true;
        run.push_back({g.X(i), g.ClampedY(v)});
    }
}

// The values of plot from first to end as a polyline per run of values, with a small square
// on every point when asked (or the squares alone).
void PlotLines(Canvas& c, const SeriesPlot& plot, const PlotGeometry& g, int first, int end,
               int colour) {
    const std::uint32_t f = plot.flags;
    const bool fat = (f & PlotFlags::kFat) != 0;
    const bool marks = (f & (PlotFlags::kMarkPoints | PlotFlags::kPointsOnly)) != 0;
    const bool lines = (f & PlotFlags::kPointsOnly) == 0;
    std::vector<CanvasPoint> run;
    run.reserve(static_cast<std::size_t>(std::max(0, end - first)));
    auto flush = [&] {
        if (lines && run.size() > 1) {
            c.Polyline(run);
            if (fat) {
                for (CanvasPoint& p : run) ++p.x;
                c.Polyline(run);
            }
        }
        run.clear();
    };
    CollectPoints(plot, g, first, end, run, flush);
    if (marks) {
        // The marks go over the line, so they are drawn from the same points afterwards.
        std::vector<CanvasPoint> points;
        CollectPoints(plot, g, first, end, points, [] {});
        flush();
        c.SetFill(colour);
        for (const CanvasPoint& p : points) c.Rectangle(p.x - 1, p.y - 1, p.x + 1, p.y + 1);
        return;
    }
    flush();
}

}  // namespace

void PlotSeries(PaneContext& pane, SeriesPlot& plot, int colour) {
    if (plot.flags & PlotFlags::kAutomatic) ComputeRange(plot);
    if ((plot.flags & PlotFlags::kRangeOnly) || pane.canvas == nullptr) return;
    Canvas& c = *pane.canvas;
    const PlotGeometry g(pane, plot);
    const int first = std::max(0, plot.first);
    const int end = std::min(plot.end, plot.barCount);
    c.SetPen(colour, 1, PenStyle::Solid);
    if (plot.flags & PlotFlags::kOhlc) {
        c.SetFill(colour);
        PlotCandles(pane, plot, g, first, end);
        return;
    }
    if (!plot.values) return;
    if (plot.flags & PlotFlags::kHistogram)
        PlotHistogram(c, plot, g, first, end, colour);
    else
        PlotLines(c, plot, g, first, end, colour);
}

std::string GridLabel(double value, float step, std::int32_t gridFlags) {
    char buf[64];
    if (gridFlags & GridFlags::kTenths) {
        if (step < 1)
            std::snprintf(buf, sizeof buf, "%5.2f", value / 10);
        else if (step < 100)
            std::snprintf(buf, sizeof buf, "%5.1f", value / 10);
        else if (step < 10000)
            std::snprintf(buf, sizeof buf, "%5.0f", value / 10);
        else
            std::snprintf(buf, sizeof buf, "%5.1f", value / 10000);
    } else if (gridFlags & GridFlags::kPercent) {
        std::snprintf(buf, sizeof buf, "%4d%%", SafeInt(value));
    } else if (step < 0.1f) {
        std::snprintf(buf, sizeof buf, "%5.3f", value);
    } else if (step < 1) {
        std::snprintf(buf, sizeof buf, "%5.2f", value);
    } else if (step < 100) {
        std::snprintf(buf, sizeof buf, "%5.1f", value);
    } else {
        std::snprintf(buf, sizeof buf, "%5.0f", value);
    }
    // A line a hair below zero is labelled as zero, without the minus sign.
    if (value < 0 && PrintsAsZero(buf)) return GridLabel(0.0, step, gridFlags);
    std::string s(buf);
    if (s.size() > 5) s.resize(5);
    return s;
}

void DrawGrid(PaneContext& pane, const SeriesPlot& plot, std::int32_t gridFlags) {
    if (pane.definition) {
        pane.definition->scaleMin = plot.min;
        pane.definition->scaleMax = plot.max;
    }
    if (pane.canvas == nullptr) return;
    Canvas& c = *pane.canvas;
    const PlotGeometry g(pane, plot);
    const int grid = pane.Colour(ColourSetting::Grid);
    const int axes = pane.Colour(ColourSetting::Axes);
    const int lineLeft = pane.left + 4;
    const int lineRight = pane.width - pane.right - 37;
    const int labelX = pane.width - pane.right - 35;
    const double min = plot.min, max = plot.max;

    auto label = [&](double value) {
        c.Text(labelX, g.Y(value) + 3, GridLabel(value, plot.step, gridFlags), axes, kTransparent);
    };
    auto dotted = [&](double value) {
        c.SetPen(grid, 1, PenStyle::Dotted);
        const int y = g.Y(value);
        c.Line(lineLeft, y, lineRight, y);
    };
    auto level = [&](double value) {
        if (value < min || value > max) return;
        dotted(value);
        label(value);
    };

    if ((gridFlags & GridFlags::kMiddle) && plot.step > 0) {
        const double step = plot.step;
        const double k0 = std::floor(min / step) + 1;
        int drawn = 0;
        for (double k = k0; k * step < max && drawn < 1000; k += 1, ++drawn) {
            const double v = k * step;
            if (v <= min) continue;
            dotted(v);
            const bool labelled =
                !(plot.flags & PlotFlags::kSecondLabels) || std::fmod(std::fabs(k), 2.0) == 0;
            if (labelled) label(v);
        }
    }
    if (gridFlags & GridFlags::kLimitMin) label(min);
    if (gridFlags & GridFlags::kLimitMax) label(max);
    if ((gridFlags & GridFlags::kLevel0) && min <= 0 && max >= 0) {
        dotted(0);
        if (0 - min > plot.step || max - 0 > plot.step) label(0);
    }
    if (gridFlags & GridFlags::k30) level(30);
    if (gridFlags & GridFlags::k70) level(70);
    if (gridFlags & GridFlags::k10) level(10);
    if (gridFlags & GridFlags::k90) level(90);
    if (gridFlags & GridFlags::k50) level(50);
    if (gridFlags & GridFlags::k100) {
        level(100);
        level(-100);
    }
    if (gridFlags & GridFlags::k20) level(20);
    if (gridFlags & GridFlags::k80) level(80);
    if (gridFlags & GridFlags::k1) level(1);

    c.SetPen(axes, 1, PenStyle::Solid);
    c.Line(lineLeft, g.bottomY, lineRight, g.bottomY);
    c.Line(lineLeft, g.topY, lineRight, g.topY);
    c.Line(pane.left + 3, g.bottomY, pane.left + 3, g.topY);
    c.Line(lineRight, g.bottomY, lineRight, g.topY);
}

std::string DailyMonthLabel(int month, int year, int x, int plotWidth, int visible) {
    std::string text = kMonthNames[std::clamp(month, 1, 12) - 1];
    const bool january = month == 1;
    if (january) {
        char yy[8];
        std::snprintf(yy, sizeof yy, "%02d", ((year % 100) + 100) % 100);
        text[0] = yy[0];
        text[1] = yy[1];
    }
    auto cut = [&](std::size_t longerThan, std::size_t to) {
        if (text.size() > longerThan) text.resize(to);
    };
    const long long len = static_cast<long long>(text.size());
    if (plotWidth + 32 < len * 6 + x) cut(5, 5);
    const long long need = static_cast<long long>(visible) * 470;
    const long long f = plotWidth;
    if (f * 139 < need) cut(10, 9);
    if (f * 159 < need) cut(6, 5);
    if (f * 229 < need) cut(3, 3);
    if (f * 389 < need) cut(january ? 2 : 1, january ? 2 : 1);
    return text;
}

void DrawDateAxis(PaneContext& pane, const SeriesPlot& plot, const Stock& stock,
                  Periodicity periodicity) {
    if (pane.canvas == nullptr) return;
    Canvas& c = *pane.canvas;
    const PlotGeometry g(pane, plot);
    const auto& q = stock.Quotations;
    const int first = std::max(0, plot.scroll);
    const int end = std::min<int>(first + plot.visible, static_cast<int>(q.size()));
    if (first >= end) return;
    const int axes = pane.Colour(ColourSetting::Axes);
    const int b = pane.height - pane.bottom - 5;
    c.SetPen(axes, 1, PenStyle::Solid);
    // The bar before the first visible one (or the first itself) gives the previous month.
    const PackedDate before = q[static_cast<std::size_t>(first > 0 ? first - 1 : first)].Date;
    int prevMonth = DateMonth(before), prevYear = DateYear(before);
    struct Label {
        int x;
        std::string text;
        bool yearStart;
    };
    std::vector<Label> labels;
    for (int i = first; i < end; ++i) {
        const PackedDate d = q[static_cast<std::size_t>(i)].Date;
        const int day = DateDay(d), month = DateMonth(d), year = DateYear(d);
        bool labelled = false;
        if (month != prevMonth) {
            switch (periodicity) {
                case Periodicity::Daily:
                    labelled = day < 7;
                    break;
                case Periodicity::Weekly:
                    labelled =
                        year != prevYear || month == 1 || month == 4 || month == 7 || month == 10;
                    break;
                case Periodicity::Monthly:
                    labelled = year != prevYear;
                    break;
            }
        }
        prevMonth = month;
        prevYear = year;
        if (!labelled) continue;
        const int x = g.X(i);
        if (day < 8) c.Line(x, b - 8, x, b - 3);
        std::string text;
        if (periodicity == Periodicity::Daily) {
            text = DailyMonthLabel(month, year, x - (pane.left + 5), g.plotWidth, plot.visible);
        } else if (month == 1) {
            char buf[16];
            std::snprintf(buf, sizeof buf, "%4d", year);
            text = buf;
        } else {
            text = std::string(kMonthNames[std::clamp(month, 1, 12) - 1]).substr(0, 3);
        }
        labels.push_back({x + 4, std::move(text), month == 1});
    }
    // Labels that would run into each other are thinned: the starts of years first, then the
    // other months where they find room.
    constexpr int kGap = 4;
    std::vector<std::pair<int, int>> taken;  // [left, right) of each label kept
    std::vector<const Label*> kept;
    for (const bool years : {true, false}) {
        for (const Label& l : labels) {
            if (l.yearStart != years) continue;
            const int right = l.x + c.TextWidth(l.text) + kGap;
            const bool free = std::none_of(taken.begin(), taken.end(), [&](const auto& t) {
                return l.x < t.second && t.first < right;
            });
            if (!free) continue;
            taken.emplace_back(l.x, right);
            kept.push_back(&l);
        }
    }
    std::sort(kept.begin(), kept.end(),
              [](const Label* lhs, const Label* rhs) { return lhs->x < rhs->x; });
    for (const Label* l : kept) c.Text(l->x, b + 1, l->text, axes, kTransparent);
}

void DrawPaneFrame(PaneContext& pane, const SeriesPlot& plot) {
    if (pane.canvas == nullptr) return;
    const PlotGeometry g(pane, plot);
    pane.canvas->SetPen(pane.Colour(ColourSetting::Axes), 1, PenStyle::Solid);
    pane.canvas->FrameRect(pane.left + 3, pane.top + 5, pane.width - pane.right - 37, g.bottomY);
}

void ClearPane(PaneContext& pane) {
    if (pane.canvas == nullptr) return;
    pane.canvas->FillRect(pane.left, pane.top, pane.width - pane.right - 1,
                          pane.height - pane.bottom - 1, pane.Colour(ColourSetting::Background));
}

void DrawTitle(PaneContext& pane, std::string_view text) {
    if (pane.canvas == nullptr || pane.suppressTitle) return;
    std::string line(text);
    line.append(15, ' ');
    pane.canvas->Text(pane.left + 8, pane.top + 8, line, pane.Colour(ColourSetting::Axes),
                      pane.Colour(ColourSetting::Background));
}

}  // namespace velmora
