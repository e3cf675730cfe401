// Zoom, click-to-bar, the marker and the tooltip.

#include <gtest/gtest.h>

#include "ChartTestSupport.h"
#include "chart/ChartInteraction.h"
#include "chart/PricePainter.h"

namespace velmora {
namespace {

using Kind = CanvasCall::Kind;

TEST(Zoom, LimitsAndResets) {
    EXPECT_EQ(ZoomIn(16, ZoomModifier::None, 159), 8);
    EXPECT_EQ(ZoomIn(15, ZoomModifier::None, 159), 15);
    EXPECT_EQ(ZoomIn(159, ZoomModifier::None, 159), 79);
    EXPECT_EQ(ZoomIn(1000, ZoomModifier::Shift, 159), 2000);
    EXPECT_EQ(ZoomIn(2000, ZoomModifier::Shift, 159), 2000);
    EXPECT_EQ(ZoomIn(20, ZoomModifier::Ctrl, 159), 159);
    EXPECT_EQ(ZoomOut(2000), 2000);
    EXPECT_EQ(ZoomOut(1999), 3998);
    EXPECT_EQ(ZoomAll(2560), 2560);
    EXPECT_EQ(ZoomAll(3), 8);
    EXPECT_EQ(ZoomNormal(0), 8);
}

TEST(Marker, ClickAndArrowKeys) {
    // Plot width 400, 100 bars: each bar 4 pixels wide, rounding to the nearest.
    EXPECT_EQ(ClickToBar(5, 0, 400, 100), 0);
    EXPECT_EQ(ClickToBar(6, 0, 400, 100), 0);
    EXPECT_EQ(ClickToBar(7, 0, 400, 100), 1);
    EXPECT_EQ(ClickToBar(45, 0, 400, 100), 10);
    EXPECT_EQ(ClickToBar(4, 0, 400, 100), -1);
    EXPECT_EQ(ClickToBar(406, 0, 400, 100), -1);
    EXPECT_EQ(ClickToBar(50, 0, 0, 100), -1);

    ChartSettings s;
    MoveMarker(s, false, 10);
    EXPECT_TRUE(s.markerShown);
    EXPECT_EQ(s.selectedBar, 9);
    MoveMarker(s, true, 10);
    EXPECT_EQ(s.selectedBar, 9);
    for (int i = 0; i < 12; ++i) MoveMarker(s, false, 10);
    EXPECT_EQ(s.selectedBar, 0);
    MoveMarker(s, true, 10);
    EXPECT_EQ(s.selectedBar, 1);
}

TEST(Marker, NotXorLineIsErasedBeforeItMoves) {
    RecordingCanvas c;
    ChartDefinition price;
    price.id = 1;
    MoveMarkerLine(c, price, 100, 300);
    MoveMarkerLine(c, price, 120, 300);
    const auto lines = c.CallsOf(Kind::Line);
    ASSERT_EQ(lines.size(), 3u);  // drawn, erased by drawing again, drawn at the new place
    EXPECT_EQ(lines[0]->x1, 100);
    EXPECT_EQ(lines[1]->x1, 100);
    EXPECT_EQ(lines[2]->x1, 120);
    for (const auto* l : lines) {
        EXPECT_EQ(l->drawMode, DrawMode::NotXor);
        EXPECT_EQ(l->penColour, 0);
        EXPECT_EQ(l->y1, 5);
        EXPECT_EQ(l->y2, 300 - 13);
    }
    EXPECT_EQ(price.markerX, 120);
    ChartDefinition other;
    other.id = 3;
    c.Clear();
    MoveMarkerLine(c, other, 50, 200);
    EXPECT_EQ(c.CallsOf(Kind::Line)[0]->y2, 195);
}

TEST(Tooltip, PriceAndOtherPanes) {
    test::PaneFixture f;
    Stock s = test::MakeStock(50, true);
    s.Quotations[0] = {MakeDate(2005, 1, 3), 10.5f, 10, 11, 9.25f, 1234, 0, 0, 0};
    f.pane.stock = &s;
    f.definition.scaleMin = 0;
    f.definition.scaleMax = 100;
    // Left of the plot: the first shown bar; the value at the bottom of the plot is the min.
    const PlotGeometry g(f.pane, FramePricePlot(f.pane));
    auto text = TooltipText(f.pane, 0, g.bottomY);
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(*text,
              "Date: 05-01-03\r\nValue: 0.000\r\n\r\nOpen: 10\r\nHigh:  11\r\nLow:   9.25\r\n"
              "Close: 10.5\r\nVolume: 1234");
    f.definition.id = 3;
    text = TooltipText(f.pane, 10000, 5);  // right of the plot: the last bar; top: the max
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(*text, "Date: " + DateToText(s.Quotations[49].Date) + "\r\nValue: 100.000");
    Stock empty;
    f.pane.stock = &empty;
    EXPECT_FALSE(TooltipText(f.pane, 50, 50).has_value());
    f.pane.stock = nullptr;
    EXPECT_FALSE(TooltipText(f.pane, 50, 50).has_value());
}

}  // namespace
}  // namespace velmora
