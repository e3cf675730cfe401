// The price painter's order of drawing, its flags per chart type, and the trade arrows.

#include <gtest/gtest.h>

#include "ChartTestSupport.h"
#include "chart/PricePainter.h"

namespace velmora {
namespace {

using Kind = CanvasCall::Kind;
using test::PaneFixture;

TEST(PricePainter, TooFewQuotationsShowsOnlyTheTitle) {
    PaneFixture f;
    Stock s = test::MakeStock(2, true, "TINY");
    f.pane.stock = &s;
    PaintPriceChart(f.pane);
    ASSERT_EQ(f.canvas.Texts().size(), 1u);
    EXPECT_EQ(f.canvas.Texts()[0],
              "TINY - chart not available - too few quotations               ");
    EXPECT_TRUE(f.canvas.CallsOf(Kind::Polyline).empty());
}

TEST(PricePainter, PaintsBackdropGridPriceFrameAndTitle) {
    PaneFixture f(800, 400);
    Stock s = test::MakeStock(300, false, "WAVE");
    f.pane.stock = &s;
    f.pane.scrollPosition = 300 - 159;
    f.definition.markerX = 50;
    PaintPriceChart(f.pane);
    const auto& calls = f.canvas.Calls();
    ASSERT_FALSE(calls.empty());
    // Cleared in "Background:" first.
    EXPECT_EQ(calls.front().kind, Kind::FillRect);
    EXPECT_EQ(calls.front().colour, f.prefs.Colour(ColourSetting::Background));
    // The volume histogram: fat bars in "Volume:", one per visible bar.
    int volumeBars = 0;
    for (const auto* c : f.canvas.CallsOf(Kind::FillRect))
        volumeBars += c->colour == f.prefs.Colour(ColourSetting::Volume);
    EXPECT_EQ(volumeBars, 159);
    // A fixing stock in Auto is a line; the last polyline in "Price:" spans the visible bars.
    const auto lines = f.canvas.CallsOf(Kind::Polyline);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back()->colour, f.prefs.Colour(ColourSetting::Price));
    EXPECT_EQ(lines.back()->points.size(), 159u);
    // The frame, then the title of the last bar.
    const auto frames = f.canvas.CallsOf(Kind::FrameRect);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0]->x1, 3);
    EXPECT_EQ(frames[0]->x2, 800 - 37);
    EXPECT_EQ(calls.back().kind, Kind::Text);
    EXPECT_EQ(calls.back().text.rfind("WAVE - daily ", 0), 0u);
    EXPECT_EQ(calls.back().x1, 8);
    EXPECT_EQ(calls.back().y1, 8);
    EXPECT_EQ(f.definition.markerX, kNoMarker);
    // The price range is left in the definition for tooltips and drawing tools.
    EXPECT_LT(f.definition.scaleMin, 87.0f);
    EXPECT_GT(f.definition.scaleMax, 112.0f);
}

TEST(PricePainter, AveragesBandsAndSarInThePriceRange) {
    PaneFixture f(800, 400);
    Stock s = test::MakeStock(300, true);
    f.pane.stock = &s;
    f.pane.scrollPosition = 300 - 159;
    f.prefs.SetAddParabolicSar(true);
    PaintPriceChart(f.pane);
    auto linesIn = [&](ColourSetting setting) {
        std::vector<const CanvasCall*> out;
        for (const auto* c : f.canvas.CallsOf(Kind::Polyline))
            if (c->colour == f.prefs.Colour(setting)) out.push_back(c);
        return out;
    };
    const auto shortAverage = linesIn(ColourSetting::ShortTimeAverage);
    ASSERT_EQ(shortAverage.size(), 1u);
    EXPECT_EQ(shortAverage[0]->points.size(), 159u);
    EXPECT_EQ(linesIn(ColourSetting::BollingerBands).size(), 2u);  // upper and lower band
    ASSERT_EQ(linesIn(ColourSetting::MidTimeAverage).size(), 1u);
    ASSERT_EQ(linesIn(ColourSetting::LongTimeAverage).size(), 1u);
    // The long average (100 bars) begins at bar 141 = the first visible one; it has a value
    // at every visible bar.
    EXPECT_EQ(linesIn(ColourSetting::LongTimeAverage)[0]->points.size(), 159u);
    // The bands lie around the short average: upper above, lower below (smaller y is higher).
    const auto bands = linesIn(ColourSetting::BollingerBands);
    EXPECT_LT(bands[0]->points[50].y, shortAverage[0]->points[50].y);
    EXPECT_GT(bands[1]->points[50].y, shortAverage[0]->points[50].y);
    // SAR: marks only, in "Parabolic:".
    int sarMarks = 0;
    for (const auto* c : f.canvas.CallsOf(Kind::Rectangle))
        sarMarks += c->fillColour == f.prefs.Colour(ColourSetting::Parabolic);
    EXPECT_GT(sarMarks, 100);

    // Hidden averages are not drawn, but the bands still are (they use the short average).
    PaneFixture g(800, 400);
    g.pane.stock = &s;
    g.prefs.SetShortTimeShown(false);
    g.prefs.SetMidTimeShown(false);
    g.prefs.SetLongTimeShown(false);
    PaintPriceChart(g.pane);
    int bandLines = 0, averageLines = 0;
    for (const auto* c : g.canvas.CallsOf(Kind::Polyline)) {
        bandLines += c->colour == g.prefs.Colour(ColourSetting::BollingerBands);
        averageLines += c->colour == g.prefs.Colour(ColourSetting::ShortTimeAverage);
    }
    EXPECT_EQ(bandLines, 2);
    EXPECT_EQ(averageLines, 0);
}

TEST(PricePainter, ChartTypesChooseTheDrawing) {
    Stock s = test::MakeStock(50, true);
    for (ChartType type :
         {ChartType::Auto, ChartType::Candlesticks, ChartType::Bars, ChartType::Line}) {
        PaneFixture f;
        f.pane.stock = &s;
        f.settings.chartType = type;
        f.prefs.SetVolumeBarChartType(2);  // none
        PaintPriceChart(f.pane);
        // Candle bodies, or (line) the marks of "Mark quotations"; bars have neither.
        EXPECT_EQ(f.canvas.CallsOf(Kind::Rectangle).size(), type == ChartType::Bars ? 0u : 50u);
        const bool line = type == ChartType::Line;
        int priceLines = 0;
        for (const auto* c : f.canvas.CallsOf(Kind::Polyline))
            priceLines += c->colour == f.prefs.Colour(ColourSetting::Price);
        EXPECT_EQ(priceLines, line ? 1 : 0);
        if (line) {
            const auto* mark = f.canvas.CallsOf(Kind::Rectangle)[0];
            EXPECT_EQ(mark->x2 - mark->x1, 2);
        }
        if (type == ChartType::Bars) {
            // A low-high line and a close tick per bar, besides the grid.
            EXPECT_GE(f.canvas.CallsOf(Kind::Line).size(), 100u);
        }
    }
}

TEST(PricePainter, TradeArrowsUnderLowsAndOverHighs) {
    PaneFixture f;
    Stock s = test::MakeStock(20, true);
    f.pane.stock = &s;
    PaintPriceChart(f.pane);
    TradeArrows arrows;
    arrows.buy.assign(20, 0);
    arrows.sell.assign(20, kEmptyValue);
    arrows.buy[3] = 1;
    arrows.sell[7] = 1;
    f.canvas.Clear();
    DrawTradeArrows(f.pane, arrows);
    const auto pictures = f.canvas.CallsOf(Kind::Picture);
    ASSERT_EQ(pictures.size(), 2u);
    SeriesPlot plot = FramePricePlot(f.pane);
    const PlotGeometry g(f.pane, plot);
    EXPECT_EQ(pictures[0]->picture, ChartPicture::BuyArrow);
    EXPECT_EQ(pictures[0]->x1, g.X(3) - 2);
    EXPECT_EQ(pictures[0]->y1, g.Y(s.Quotations[3].Low) + 7);
    EXPECT_EQ(pictures[1]->picture, ChartPicture::SellArrow);
    EXPECT_EQ(pictures[1]->y1, g.Y(s.Quotations[7].High) - 13);
    // Arrays shorter than the bars are read only as far as they go.
    arrows.sell.resize(5);
    f.canvas.Clear();
    DrawTradeArrows(f.pane, arrows);
    EXPECT_EQ(f.canvas.CallsOf(Kind::Picture).size(), 1u);
}

}  // namespace
}  // namespace velmora
