#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>

#include "ChartTestSupport.h"
#include "chart/FormulaPainter.h"
#include "chart/SeriesPlot.h"
#include "formula/FormulaEngine.h"

namespace velmora {
namespace {

using Kind = CanvasCall::Kind;

// Every colour setting of the painter's choice gets its own palette index.
constexpr int kOscillator = 3, kSignal = 4, kHistogram = 5, kPrice = 6, kParabolic = 7, kGrid = 8,
              kAxes = 9;

struct FormulaPane : test::PaneFixture {
    RecordingFormulaErrorSink errors;
    FormulaEngine engine{errors};
    Stock stock;

    explicit FormulaPane(int bars = 60) : stock(test::MakeStock(bars)) {
        const std::pair<ColourSetting, int> colours[] = {{ColourSetting::Oscillator, kOscillator},
                                                         {ColourSetting::Signal, kSignal},
                                                         {ColourSetting::Histogram, kHistogram},
                                                         {ColourSetting::Price, kPrice},
                                                         {ColourSetting::Parabolic, kParabolic},
                                                         {ColourSetting::Grid, kGrid},
                                                         {ColourSetting::Axes, kAxes}};
        for (const auto& [setting, index] : colours)
            prefs.SetColourAt(static_cast<int>(setting), index);
        settings.visibleBars = 40;
        definition.id = 1000;
        definition.name = "Custom 0";
        definition.scaleFlags = kAutomaticScaling;
        pane.stock = &stock;
        pane.engine = &engine;
    }
    void Paint(const std::string& formula) {
        definition.formula = formula;
        canvas.Clear();
        PaintFormulaChart(pane);
    }
    // Calls of a kind drawn with a pen (or text) colour.
    std::vector<const CanvasCall*> Drawn(Kind kind, int colour) const {
        std::vector<const CanvasCall*> out;
        for (const CanvasCall* c : canvas.CallsOf(kind))
            if ((kind == Kind::Text ? c->colour : c->penColour) == colour) out.push_back(c);
        return out;
    }
    std::string Title() const {
        for (const CanvasCall* c : canvas.CallsOf(Kind::Text))
            if (c->x1 == 8 && c->y1 == 8) return c->text;
        return "<none>";
    }
};

TEST(FormulaPainter, MaxgraphZeroLooksAtThreeSlotsAndGraphTwoIsAHistogram) {
    FormulaPane f;
    f.Paint("maxgraph = 0; graph2 = close - 100; graph3 = close;");
    // graph2: one vertical line per visible bar from the baseline, in "Histogram:".
    const auto bars = f.Drawn(Kind::Line, kHistogram);
    EXPECT_EQ(bars.size(), 40u);
    for (const CanvasCall* c : bars) EXPECT_EQ(c->x1, c->x2);
    // graph3 lies beyond the three slots: no line anywhere.
    EXPECT_TRUE(f.canvas.CallsOf(Kind::Polyline).empty());
    EXPECT_EQ(f.Title(), "TEST - Custom 0" + std::string(15, ' '));
    EXPECT_EQ(f.definition.markerX, kNoMarker);

    // A huge maxgraph is bounded by the slots the formula assigned.
    f.Paint("maxgraph = 1000000000; graph0 = close;");
    EXPECT_EQ(f.Drawn(Kind::Polyline, kOscillator).size(), 1u);
}

TEST(FormulaPainter, StylesPointsFatLinesAndDrawingOrder) {
    FormulaPane f;
    f.Paint("graph0 = close; graph0style = 8+16; graph1 = close + 1; graph1style = 5;");
    // Style 8 + 16: a 3 × 3 mark at every visible point and no line.
    EXPECT_EQ(f.Drawn(Kind::Rectangle, kOscillator).size(), 40u);
    EXPECT_TRUE(f.Drawn(Kind::Polyline, kOscillator).empty());
    // Style 5: the line twice, the second a pixel to the right.
    const auto fat = f.Drawn(Kind::Polyline, kSignal);
    ASSERT_EQ(fat.size(), 2u);
    ASSERT_EQ(fat[0]->points.size(), 40u);
    EXPECT_EQ(fat[1]->points[0].x, fat[0]->points[0].x + 1);
    EXPECT_EQ(fat[1]->points[0].y, fat[0]->points[0].y);
    // graph1 is drawn before graph0, which ends on top.
    const auto& calls = f.canvas.Calls();
    const auto firstOf = [&](Kind kind, int colour) {
        return std::find_if(calls.begin(), calls.end(), [&](const CanvasCall& c) {
            return c.kind == kind && c.penColour == colour;
        });
    };
    EXPECT_LT(firstOf(Kind::Polyline, kSignal), firstOf(Kind::Rectangle, kOscillator));
}

TEST(FormulaPainter, BarStyleAndHiddenGraphsThatStillScale) {
    FormulaPane f;
    f.Paint("graph0 = close; graph0style = 128; graph1 = close * 3; graph1style = 256;");
    // Style 128: per visible bar a low-to-high line and a close tick, from O, H and L.
    const auto lines = f.Drawn(Kind::Line, kOscillator);
    ASSERT_EQ(lines.size(), 80u);
    int ticks = 0;
    for (const CanvasCall* c : lines) ticks += c->y1 == c->y2 && c->x2 > c->x1;
    EXPECT_EQ(ticks, 40);
    EXPECT_TRUE(f.canvas.CallsOf(Kind::Rectangle).empty());
    // Style 256 draws nothing, yet its values widen the range.
    EXPECT_TRUE(f.Drawn(Kind::Line, kSignal).empty());
    EXPECT_TRUE(f.Drawn(Kind::Polyline, kSignal).empty());
    EXPECT_GT(f.definition.scaleMax, 3 * 100);
    EXPECT_LT(f.definition.scaleMin, 100);
}

TEST(FormulaPainter, ParabolicSarDefinition) {
    FormulaPane f;
    ChartTable table;
    const ChartDefinition& sar = *table.FindById(19);
    f.definition.name = sar.name;
    f.definition.gridFlags = sar.gridFlags;
    f.Paint(*sar.formula);
    ASSERT_TRUE(f.errors.reports.empty()) << f.errors.reports.front();
    // Candlesticks in "Price:": a body per visible bar, outlined in the price colour and
    // filled with the candlestick colours.
    const auto bodies = f.Drawn(Kind::Rectangle, kPrice);
    EXPECT_EQ(bodies.size(), 40u);
    const int up = f.prefs.Colour(ColourSetting::UpCandlestick);
    const int down = f.prefs.Colour(ColourSetting::DownCandlestick);
    for (const CanvasCall* c : bodies) EXPECT_TRUE(c->fillColour == up || c->fillColour == down);
    // The SAR as marks without lines in "Parabolic:".
    EXPECT_FALSE(f.Drawn(Kind::Rectangle, kParabolic).empty());
    EXPECT_TRUE(f.Drawn(Kind::Polyline, kParabolic).empty());
    EXPECT_EQ(f.Title().rfind("TEST - SAR - ", 0), 0u) << f.Title();
    EXPECT_NE(f.Title(), "TEST - SAR - " + std::string(15, ' '));
}

TEST(FormulaPainter, CustomScalingGridStepAndClamping) {
    FormulaPane f;
    f.definition.scaleFlags = 0;
    f.definition.scaleMin = 0;
    f.definition.scaleMax = 100;
    f.definition.gridFlags = GridFlags::kMiddle;
    f.Paint("graph0 = 150; graph1 = 50;");
    std::vector<std::string> labels;
    for (const CanvasCall* c : f.Drawn(Kind::Text, kAxes)) labels.push_back(c->text);
    // Step (100 - 0) × 0.25: lines at 25, 50 and 75 only.
    EXPECT_EQ(std::count(labels.begin(), labels.end(), " 25.0"), 1);
    EXPECT_EQ(std::count(labels.begin(), labels.end(), " 50.0"), 1);
    EXPECT_EQ(std::count(labels.begin(), labels.end(), " 75.0"), 1);
    EXPECT_EQ(f.Drawn(Kind::Line, kGrid).size(), 3u);
    EXPECT_FLOAT_EQ(f.definition.scaleMin, 0);
    EXPECT_FLOAT_EQ(f.definition.scaleMax, 100);
    // 150 is clamped to the top of the plot; 50 lies half way.
    const auto top = f.Drawn(Kind::Polyline, kOscillator);
    ASSERT_EQ(top.size(), 1u);
    for (const CanvasPoint& p : top[0]->points) EXPECT_EQ(p.y, f.pane.top + 5);
    const auto half = f.Drawn(Kind::Polyline, kSignal);
    ASSERT_EQ(half.size(), 1u);
    const PlotGeometry g(f.pane, SeriesPlot{.flags = 0, .max = 100, .min = 0});
    EXPECT_EQ(half[0]->points[0].y, g.Y(50));

    // A formula without graphs leaves the bounds as they are.
    f.Paint("title = \"none\";");
    EXPECT_FLOAT_EQ(f.definition.scaleMax, 100);

    // Grid bit 0, which every formula pane gets, stays bit 0 when a file already set it:
    // it must not carry over into the percent labels.
    f.definition.gridFlags = GridFlags::kLimitMin | 1;
    f.Paint("graph0 = 50;");
    std::vector<std::string> limit;
    for (const CanvasCall* c : f.Drawn(Kind::Text, kAxes))
        if (c->x1 != 8) limit.push_back(c->text);  // all but the title
    EXPECT_EQ(limit, std::vector<std::string>{"  0.0"});
}

TEST(FormulaPainter, ErrorsAndShortStocks) {
    FormulaPane f;
    f.Paint("graph0 = close; title = \"x\"; graph1 = nosuchfunction(3);");
    EXPECT_FALSE(f.errors.reports.empty());
    EXPECT_EQ(f.Title(), std::string(15, ' '));
    EXPECT_TRUE(f.canvas.CallsOf(Kind::Polyline).empty());
    EXPECT_FALSE(f.engine.InRun());

    FormulaPane shortStock(2);
    shortStock.Paint("graph0 = close;");
    EXPECT_EQ(shortStock.Title(), std::string(kNotEnoughData) + std::string(15, ' '));
}

TEST(FormulaPainter, ColourNumbersAndAutomaticRange) {
    FormulaPane f;
    EXPECT_EQ(FormulaGraphColour(f.pane, 2, -1), kPrice);
    EXPECT_EQ(FormulaGraphColour(f.pane, 0, 16), 15);
    // Numbers without a meaning give the slot's colour.
    EXPECT_EQ(FormulaGraphColour(f.pane, 0, 17), kOscillator);
    EXPECT_EQ(FormulaGraphColour(f.pane, 1, -20), kSignal);

    // The automatic range spans every graph, not only the first.
    f.Paint("graph0 = 10; graph1 = 30;");
    EXPECT_FLOAT_EQ(f.definition.scaleMin, 10);
    EXPECT_FLOAT_EQ(f.definition.scaleMax, 30);
}

}  // namespace
}  // namespace velmora
