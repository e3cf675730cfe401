// The series plotter: geometry, automatic range, grid step, labels, series drawing, the date
// axis and the title line.

#include <gtest/gtest.h>

#include <cmath>

#include "ChartTestSupport.h"
#include "chart/PricePainter.h"
#include "chart/SeriesPlot.h"

namespace velmora {
namespace {

using Kind = CanvasCall::Kind;
using test::PaneFixture;

SeriesPlot RangePlot(float min, float max, int visible = 100, int scroll = 0) {
    SeriesPlot p;
    p.min = min;
    p.max = max;
    p.visible = visible;
    p.scroll = scroll;
    p.first = scroll;
    p.end = scroll + visible;
    p.barCount = scroll + visible;
    return p;
}

TEST(PlotGeometry, PositionsHeightsAndClamping) {
    PaneFixture f;  // 442 × 318: plot width 400, plot height 308
    SeriesPlot p = RangePlot(0, 100, 100, 50);
    PlotGeometry g(f.pane, p);
    EXPECT_EQ(g.plotWidth, 400);
    EXPECT_EQ(g.plotHeight, 308);
    EXPECT_EQ(g.topY, 5);
    EXPECT_EQ(g.bottomY, 313);
    EXPECT_EQ(g.X(50), 5);
    EXPECT_EQ(g.X(60), 45);
    EXPECT_EQ(g.X(149), 401);
    EXPECT_EQ(g.Height(50), 154);  // 154.5 truncated after + 0.5
    EXPECT_EQ(g.Y(0), 313);
    EXPECT_EQ(g.Height(200), 616);
    EXPECT_EQ(g.ClampedHeight(200), 308);
    EXPECT_EQ(g.ClampedHeight(-5), 0);
    EXPECT_NEAR(g.ValueAt(g.Y(50)), 50, 0.5);

    p.flags = PlotFlags::kDateAxis;
    EXPECT_EQ(PlotGeometry(f.pane, p).plotHeight, 300);

    f.pane.left = 10, f.pane.top = 20, f.pane.right = 7, f.pane.bottom = 3;
    PlotGeometry m(f.pane, p);
    EXPECT_EQ(m.plotWidth, 442 - 10 - 7 - 42);
    EXPECT_EQ(m.plotHeight, 318 - 20 - 3 - 10 - 8);
    EXPECT_EQ(m.bottomY, 25 + m.plotHeight);
    EXPECT_EQ(m.X(50), 15);
}

TEST(PlotGeometry, LogarithmicScaleAndOddValues) {
    PaneFixture f;
    SeriesPlot p = RangePlot(1, 100);
    p.flags = PlotFlags::kLogarithmic;
    PlotGeometry g(f.pane, p);
    EXPECT_EQ(g.Height(10), 154);
    EXPECT_EQ(g.Height(100), 308);
    EXPECT_NEAR(g.ValueAt(g.Y(10)), 10, 0.2);
    EXPECT_EQ(g.ClampedHeight(0), 0);  // not positive: at the bottom
    EXPECT_EQ(g.ClampedHeight(std::nanf("")), 0);
    // A zero range is taken as 0.0001 instead of dividing by zero.
    SeriesPlot flat = RangePlot(5, 5);
    EXPECT_EQ(PlotGeometry(f.pane, flat).ClampedHeight(5), 0);
}

TEST(PlotGeometry, CandleWidthLimits) {
    PaneFixture f;
    EXPECT_EQ(PlotGeometry(f.pane, RangePlot(0, 1, 100)).CandleWidth(), 2);  // 2.9 -> 2
    EXPECT_EQ(PlotGeometry(f.pane, RangePlot(0, 1, 10)).CandleWidth(), 26);  // 400 / 14.85
    EXPECT_EQ(PlotGeometry(f.pane, RangePlot(0, 1, 1)).CandleWidth(), 30);
    EXPECT_EQ(PlotGeometry(f.pane, RangePlot(0, 1, 97)).CandleWidth(), 3);  // 400 / 133.65
}

TEST(SeriesPlotFrame, VisibleBarsAndScroll) {
    SeriesPlot p;
    p.Frame(100, 159, 40);
    EXPECT_EQ(p.scroll, 0);
    EXPECT_EQ(p.visible, 100);
    EXPECT_EQ(p.end, 100);
    p.Frame(500, 159, 40);
    EXPECT_EQ(p.scroll, 40);
    EXPECT_EQ(p.first, 40);
    EXPECT_EQ(p.end, 199);
    // A position past the end is held to the last page.
    p.Frame(500, 159, 480);
    EXPECT_EQ(p.scroll, 341);
    EXPECT_EQ(p.end, 500);
}

TEST(AutomaticRange, FlatZeroPaddedAndForced) {
    std::vector<float> v(10, 5.0f);
    SeriesPlot p = RangePlot(0, 0, 10);
    p.values = v.data();
    ComputeRange(p);
    EXPECT_FLOAT_EQ(p.min, 5);
    EXPECT_FLOAT_EQ(p.max, 10);

    std::fill(v.begin(), v.end(), 0.0f);
    ComputeRange(p);
    EXPECT_FLOAT_EQ(p.min, 0);
    EXPECT_FLOAT_EQ(p.max, 100);

    v = {10, 12, kEmptyValue, 20, 15, 11, 13, 14, 16, 17};
    p.values = v.data();
    p.padding = 110;
    ComputeRange(p);
    EXPECT_FLOAT_EQ(p.min, 9);
    EXPECT_FLOAT_EQ(p.max, 21);
    EXPECT_FLOAT_EQ(p.step, 2);

    p.padding = 100;
    p.flags = PlotFlags::kMinimumZero;
    ComputeRange(p);
    EXPECT_FLOAT_EQ(p.min, 0);
    EXPECT_FLOAT_EQ(p.max, 20);

    for (float& x : v) x = -x;
    v[2] = kEmptyValue;
    p.flags = PlotFlags::kIncludeZero;
    ComputeRange(p);
    EXPECT_FLOAT_EQ(p.min, -20);
    EXPECT_FLOAT_EQ(p.max, 0);
}

TEST(AutomaticRange, HighLowWidenOnlyAndLogarithmic) {
    std::vector<float> close = {10, 11, 12}, high = {13, 14, 15}, low = {8, kEmptyValue, 9};
    SeriesPlot p = RangePlot(0, 0, 3);
    p.values = close.data();
    p.high = high.data();
    p.low = low.data();
    p.flags = PlotFlags::kHighLowRange;
    ComputeRange(p);
    EXPECT_FLOAT_EQ(p.min, 8);
    EXPECT_FLOAT_EQ(p.max, 15);

    // Widen-only keeps the range it has and only grows it.
    p.flags = PlotFlags::kWidenOnly;
    p.min = 0;
    p.max = 11.5f;
    ComputeRange(p);
    EXPECT_FLOAT_EQ(p.min, 0);
    EXPECT_FLOAT_EQ(p.max, 12);

    // Logarithmic: a padded minimum that is not positive falls back to the unpadded one.
    std::vector<float> v = {1, 50, 100};
    p.values = v.data();
    p.flags = PlotFlags::kLogarithmic;
    p.padding = 110;
    ComputeRange(p);
    EXPECT_FLOAT_EQ(p.min, 1);
    EXPECT_GT(p.max, 100);
    v = {-5, 50, 100};
    ComputeRange(p);
    EXPECT_FLOAT_EQ(p.min, 0.0001f);
}

TEST(AutomaticRange, GridSteps) {
    EXPECT_FLOAT_EQ(GridStep(7), 1);
    EXPECT_FLOAT_EQ(GridStep(45), 6);
    EXPECT_FLOAT_EQ(GridStep(26), 5);
    EXPECT_FLOAT_EQ(GridStep(22), 4);
    EXPECT_FLOAT_EQ(GridStep(12), 2);
    EXPECT_FLOAT_EQ(GridStep(3), 0.5f);
    EXPECT_FLOAT_EQ(GridStep(100), 10);
    EXPECT_FLOAT_EQ(GridStep(1e9f), 1e8f);
    EXPECT_FLOAT_EQ(GridStep(0), 0.0001f);
    EXPECT_FLOAT_EQ(GridStep(std::nanf("")), 0.0001f);
    EXPECT_FLOAT_EQ(GridStep(INFINITY), 0.0001f);
}

TEST(GridLabels, Formats) {
    EXPECT_EQ(GridLabel(0.25, 0.05f, 0), "0.250");
    EXPECT_EQ(GridLabel(1.5, 0.5f, 0), " 1.50");
    EXPECT_EQ(GridLabel(42, 5, 0), " 42.0");
    EXPECT_EQ(GridLabel(1200, 100, 0), " 1200");
    EXPECT_EQ(GridLabel(1234.5, 50, 0), "1234.");  // labels are 5 characters
    EXPECT_EQ(GridLabel(30, 10, GridFlags::kPercent), "  30%");
    EXPECT_EQ(GridLabel(5, 0.5f, GridFlags::kTenths), " 0.50");
    EXPECT_EQ(GridLabel(500, 50, GridFlags::kTenths), " 50.0");
    EXPECT_EQ(GridLabel(5000, 500, GridFlags::kTenths), "  500");
    EXPECT_EQ(GridLabel(500000, 20000, GridFlags::kTenths), " 50.0");
    // A line a hair below zero is labelled as zero; half a unit below is not.
    EXPECT_EQ(GridLabel(-1e-9, 0.5f, 0), " 0.00");
    EXPECT_EQ(GridLabel(-0.006, 0.5f, 0), "-0.01");
}

TEST(SeriesDrawing, LinesGapsFatAndMarks) {
    PaneFixture f;
    std::vector<float> v = {0, 50, kEmptyValue, 100, 25};
    SeriesPlot p = RangePlot(0, 100, 5);
    p.values = v.data();
    p.flags = PlotFlags::kSkipEmpty;
    PlotSeries(f.pane, p, 4);
    auto lines = f.canvas.CallsOf(Kind::Polyline);
    ASSERT_EQ(lines.size(), 2u);  // the run before the gap, the run after it
    EXPECT_EQ(lines[1]->points.size(), 2u);
    f.canvas.Clear();
    v[2] = 80;
    p.flags = 0;
    PlotSeries(f.pane, p, 4);
    lines = f.canvas.CallsOf(Kind::Polyline);
    ASSERT_EQ(lines.size(), 1u);
    const std::vector<CanvasPoint> expected = {
        {5, 313}, {85, 159}, {165, 67}, {245, 5}, {325, 236}};
    EXPECT_EQ(lines[0]->points, expected);
    EXPECT_EQ(lines[0]->colour, 4);

    // Fat: the same line a pixel to the right; marks: 2 × 2 rectangles on every point.
    f.canvas.Clear();
    p.flags = PlotFlags::kFat | PlotFlags::kMarkPoints;
    PlotSeries(f.pane, p, 4);
    lines = f.canvas.CallsOf(Kind::Polyline);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1]->points[0], (CanvasPoint{6, 313}));
    const auto marks = f.canvas.CallsOf(Kind::Rectangle);
    ASSERT_EQ(marks.size(), 5u);
    EXPECT_EQ(marks[1]->x1, 84);
    EXPECT_EQ(marks[1]->y1, 158);
    EXPECT_EQ(marks[1]->x2, 86);
    EXPECT_EQ(marks[1]->y2, 160);

    // Points only: no line at all; a leading empty value is never drawn.
    f.canvas.Clear();
    v[0] = kEmptyValue;
    p.flags = PlotFlags::kPointsOnly | PlotFlags::kMarkPoints | PlotFlags::kSkipEmpty;
    PlotSeries(f.pane, p, 4);
    EXPECT_TRUE(f.canvas.CallsOf(Kind::Polyline).empty());
    EXPECT_EQ(f.canvas.CallsOf(Kind::Rectangle).size(), 4u);

    // Range only draws nothing.
    f.canvas.Clear();
    p.flags = PlotFlags::kRangeOnly | PlotFlags::kAutomatic;
    PlotSeries(f.pane, p, 4);
    EXPECT_TRUE(f.canvas.CallsOf(Kind::Polyline).empty());
    EXPECT_TRUE(f.canvas.CallsOf(Kind::Rectangle).empty());
}

TEST(SeriesDrawing, HistogramsFromTheBaseline) {
    PaneFixture f;
    std::vector<float> v = {50, kEmptyValue, 150, -10};
    SeriesPlot p = RangePlot(0, 100, 4);
    p.values = v.data();
    p.flags = PlotFlags::kHistogram;
    PlotSeries(f.pane, p, 6);
    auto lines = f.canvas.CallsOf(Kind::Line);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0]->x1, 5);
    EXPECT_EQ(lines[0]->y1, 313);
    EXPECT_EQ(lines[0]->y2, 159);
    EXPECT_EQ(lines[1]->y2, 5);    // clamped to the top
    EXPECT_EQ(lines[2]->y2, 313);  // clamped to the bottom

    f.canvas.Clear();
    p.flags = PlotFlags::kHistogram | PlotFlags::kFat;
    PlotSeries(f.pane, p, 6);
    const auto bars = f.canvas.CallsOf(Kind::FillRect);
    ASSERT_EQ(bars.size(), 3u);
    EXPECT_EQ(bars[0]->x2 - bars[0]->x1, 2);
    EXPECT_EQ(bars[0]->y1, 159);
    EXPECT_EQ(bars[0]->colour, 6);
}

TEST(SeriesDrawing, CandlesticksAndBars) {
    PaneFixture f;
    std::vector<float> o = {40, 60}, h = {80, 70}, l = {20, 30}, c = {60, 40};
    SeriesPlot p = RangePlot(0, 100, 10);
    p.values = c.data(), p.open = o.data(), p.high = h.data(), p.low = l.data();
    p.end = 2;
    p.barCount = 2;
    p.flags = PlotFlags::kOhlc;
    f.prefs.SetColourAt(static_cast<int>(ColourSetting::UpCandlestick), 5);
    f.prefs.SetColourAt(static_cast<int>(ColourSetting::DownCandlestick), 9);
    PlotSeries(f.pane, p, 1);
    const auto bodies = f.canvas.CallsOf(Kind::Rectangle);
    ASSERT_EQ(bodies.size(), 2u);
    const int j = 26;  // 400 / (11 × 1.35)
    EXPECT_EQ(bodies[0]->x1, 5 - j / 2);
    EXPECT_EQ(bodies[0]->x2, 5 + j / 2 + (j & 1));
    EXPECT_EQ(bodies[0]->colour, 5);  // up
    EXPECT_EQ(bodies[1]->colour, 9);  // down
    EXPECT_EQ(bodies[0]->penColour, 1);
    const auto wicks = f.canvas.CallsOf(Kind::Line);
    ASSERT_EQ(wicks.size(), 4u);
    EXPECT_EQ(wicks[0]->y1, 313 - 246);  // the high
    EXPECT_EQ(wicks[1]->y2, 313 - 62);   // the low

    f.canvas.Clear();
    p.flags = PlotFlags::kOhlc | PlotFlags::kBars | PlotFlags::kFat;
    PlotSeries(f.pane, p, 1);
    const auto lines = f.canvas.CallsOf(Kind::Line);
    ASSERT_EQ(lines.size(), 6u);  // low-high, the fat twin, the close tick, per bar
    EXPECT_EQ(lines[1]->x1, 4);
    EXPECT_EQ(lines[2]->x2, 5 + j / 2 + 1);
    EXPECT_TRUE(f.canvas.CallsOf(Kind::Rectangle).empty());
}

TEST(ReferenceGrid, MiddleLinesLevelsAndScale) {
    PaneFixture f;
    SeriesPlot p = RangePlot(0, 100, 10);
    p.step = 10;
    DrawGrid(f.pane, p, GridFlags::kMiddle | GridFlags::k30 | GridFlags::kLimitMax);
    std::vector<std::string> texts = f.canvas.Texts();
    // 10..90 inside, then the maximum, then the level at 30.
    ASSERT_EQ(texts.size(), 11u);
    EXPECT_EQ(texts.front(), " 10.0");
    EXPECT_EQ(texts[8], " 90.0");
    EXPECT_EQ(texts[9], "100.0");
    EXPECT_EQ(f.definition.scaleMin, 0);
    EXPECT_EQ(f.definition.scaleMax, 100);
    const auto labels = f.canvas.CallsOf(Kind::Text);
    EXPECT_EQ(labels[0]->x1, 442 - 35);
    EXPECT_EQ(labels[0]->y1, PlotGeometry(f.pane, p).Y(10) + 3);
    EXPECT_EQ(labels[0]->background, kTransparent);
    const auto lines = f.canvas.CallsOf(Kind::Line);
    EXPECT_EQ(lines[0]->penStyle, PenStyle::Dotted);
    EXPECT_EQ(lines[0]->x1, 4);
    EXPECT_EQ(lines[0]->x2, 442 - 37);
    EXPECT_EQ(lines.back()->penStyle, PenStyle::Solid);

    // Every second label with the plot's 0x800; lines still at every step.
    f.canvas.Clear();
    p.flags = PlotFlags::kSecondLabels;
    DrawGrid(f.pane, p, GridFlags::kMiddle);
    EXPECT_EQ(f.canvas.Texts().size(), 4u);  // 20, 40, 60, 80
    EXPECT_EQ(f.canvas.CallsOf(Kind::Line).size(), 9u + 4u);
}

TEST(DateAxis, JanuaryOfTheYear2000AndCutting) {
    EXPECT_EQ(DailyMonthLabel(1, 2000, 0, 1000, 10), "00 January");
    EXPECT_EQ(DailyMonthLabel(9, 2000, 0, 400, 110), "September");
    // Passing the right end cuts to 5.
    EXPECT_EQ(DailyMonthLabel(9, 2000, 379, 400, 10), "Septe");
    EXPECT_EQ(DailyMonthLabel(9, 2000, 378, 400, 10), "September");
    // Crowding: F × 159 < N × 470, F × 229 < N × 470, F × 389 < N × 470.
    EXPECT_EQ(DailyMonthLabel(9, 2000, 0, 400, 136), "Septe");
    EXPECT_EQ(DailyMonthLabel(9, 2000, 0, 400, 135), "September");
    EXPECT_EQ(DailyMonthLabel(9, 2000, 0, 400, 195), "Sep");
    EXPECT_EQ(DailyMonthLabel(9, 2000, 0, 400, 331), "Sep");
    EXPECT_EQ(DailyMonthLabel(9, 2000, 0, 400, 332), "S");
    EXPECT_EQ(DailyMonthLabel(1, 2000, 0, 400, 332), "00");
    EXPECT_EQ(DailyMonthLabel(5, 2000, 0, 400, 136), "May");
}

TEST(DateAxis, LabelsThatWouldCollideAreThinnedKeepingTheYears) {
    // Ten years of trading days in 400 pixels (Zoom All): every label is at least one
    // letter, and a month is about 3 pixels wide.
    PaneFixture f(400, 318);
    Stock s;
    for (PackedDate d = MakeDate(2001, 1, 1); d < MakeDate(2011, 1, 1); d = AddDays(d, 1))
        if (DayOfWeek(d) < 5) s.Quotations.push_back({d, 1, 1, 1, 1, 0, 0, 0, 0});
    SeriesPlot p;
    p.Frame(static_cast<int>(s.Quotations.size()), static_cast<int>(s.Quotations.size()), 0);
    p.flags = PlotFlags::kDateAxis;
    DrawDateAxis(f.pane, p, s, Periodicity::Daily);
    const auto texts = f.canvas.CallsOf(Kind::Text);
    int years = 0;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        years += texts[i]->text.size() == 2 ? 1 : 0;  // "01" .. "10"
        if (i > 0) {
            const auto* before = texts[i - 1];
            EXPECT_GE(texts[i]->x1, before->x1 + 6 * static_cast<int>(before->text.size()))
                << before->text << " runs into " << texts[i]->text;
        }
    }
    EXPECT_EQ(years, 9);          // January 2002 .. 2010 (January 2001 opens the plot, unlabelled)
    EXPECT_GT(texts.size(), 9u);  // months where there is room
    EXPECT_EQ(f.canvas.CallsOf(Kind::Line).size(), 119u);  // every month keeps its tick
}

TEST(DateAxis, DrawsLabelsAtMonthChanges) {
    PaneFixture f(1000, 318);
    Stock s;
    for (PackedDate d = MakeDate(1999, 12, 20); d < MakeDate(2000, 2, 15); d = AddDays(d, 1))
        if (DayOfWeek(d) < 5) s.Quotations.push_back({d, 1, 1, 1, 1, 0, 0, 0, 0});
    SeriesPlot p;
    p.Frame(static_cast<int>(s.Quotations.size()), 159, 0);
    p.flags = PlotFlags::kDateAxis;
    DrawDateAxis(f.pane, p, s, Periodicity::Daily);
    const auto texts = f.canvas.CallsOf(Kind::Text);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0]->text, "00 January");
    EXPECT_EQ(texts[1]->text, "February");
    const int b = 318 - 5;
    EXPECT_EQ(texts[0]->y1, b + 1);
    const PlotGeometry g(f.pane, p);
    EXPECT_EQ(texts[0]->x1, g.X(10) + 4);  // 3 January 2000 is the 11th trading day
    const auto ticks = f.canvas.CallsOf(Kind::Line);
    ASSERT_EQ(ticks.size(), 2u);
    EXPECT_EQ(ticks[0]->y1, b - 8);
    EXPECT_EQ(ticks[0]->y2, b - 3);

    // Weekly: quarters and years.
    f.canvas.Clear();
    Stock w;
    for (PackedDate d = MakeDate(2005, 11, 7); d < MakeDate(2006, 8, 1); d = AddDays(d, 7))
        w.Quotations.push_back({d, 1, 1, 1, 1, 0, 0, 0, 0});
    p.Frame(static_cast<int>(w.Quotations.size()), 159, 0);
    DrawDateAxis(f.pane, p, w, Periodicity::Weekly);
    // December is no quarter's first month; January shows the year.
    EXPECT_EQ(f.canvas.Texts(), (std::vector<std::string>{"2006", "Apr", "Jul"}));
}

TEST(TitleLine, EveryForm) {
    Stock s = test::MakeStock(5, true, "ABC");
    s.Quotations[0] = {MakeDate(2005, 1, 3), 10, 9.5f, 10.5f, 9, 1200, 0, 0, 0};
    s.Quotations[1] = {MakeDate(2005, 1, 4), 11, 10, 12, 9.75f, 1500, 0, 0, 0};
    EXPECT_EQ(PriceTitle(s, 0, Periodicity::Daily),
              "ABC - daily 05-01-03 : Open 9.50, Hi 10.50, Lo 9.00, Close 10.00, Volume 1200");
    EXPECT_EQ(PriceTitle(s, 1, Periodicity::Daily),
              "ABC - daily 05-01-04 : Open 10.00, Hi 12.00, Lo 9.75, Close 11.00 (+10.0 %),  "
              "Volume 1500");
    SetContinuous(s, false);
    EXPECT_EQ(PriceTitle(s, 0, Periodicity::Daily),
              "ABC - daily 05-01-03 : Price 10.00 , Volume 1200");
    s.Quotations[1].Mark = 1;
    EXPECT_EQ(PriceTitle(s, 1, Periodicity::Daily),
              "ABC - daily 05-01-04 : Price 11.00 nk (+10.0 %), Volume 1500");
    s.Quotations[1].Mark = 'x';
    s.Quotations[1].Reduction = 50;
    EXPECT_EQ(PriceTitle(s, 1, Periodicity::Daily),
              "ABC - daily 05-01-04 : Price 11.00 x 50% (+10.0 %), Volume 1500");
    EXPECT_EQ(PriceTitle(s, 9, Periodicity::Daily), "");

    EXPECT_EQ(TitleDatePart(MakeDate(2005, 1, 3), Periodicity::Weekly), "weekly 05-01-03/09");
    EXPECT_EQ(TitleDatePart(MakeDate(2005, 1, 31), Periodicity::Weekly),
              "weekly 05-01-31/05-02-06");
    EXPECT_EQ(TitleDatePart(MakeDate(2005, 1, 3), Periodicity::Monthly), "monthly 05-01");
}

}  // namespace
}  // namespace velmora
