#include <gtest/gtest.h>

#include "analysis/RiskYieldMap.h"

namespace velmora {
namespace {

// n quotations whose every fifth close (4, 9, 14, ...) steps by the given returns in turn.
Stock& AddStepping(Database& db, const std::string& ticker, int n, double start,
                   const std::vector<double>& returns) {
    Stock* s = db.AddStock(ticker);
    double reference = start;
    std::size_t k = 0;
    for (int i = 0; i < n; ++i) {
        if (i % 5 == 4) {
            reference = static_cast<float>(reference * (1 + returns[k++ % returns.size()]));
        }
        db.AddQuotation(*s, AddDays(MakeDate(2020, 1, 1), i))->Close =
            static_cast<float>(reference);
    }
    return *s;
}

TEST(RiskYield, SixtyQuotationsAreMappedFiftyNineAreNot) {
    Database db;
    const RiskYield mapped = ComputeRiskYield(AddStepping(db, "A", 60, 1000, {0.01}));
    EXPECT_TRUE(mapped.Mapped);
    EXPECT_GT(mapped.Yield, 9000);
    const RiskYield unmapped = ComputeRiskYield(AddStepping(db, "B", 59, 1000, {0.01}));
    EXPECT_FALSE(unmapped.Mapped);
    EXPECT_EQ(unmapped.Risk, 0);
    EXPECT_EQ(unmapped.Yield, 0);
}

TEST(RiskYield, PlusAndMinusTwoPercentGiveYieldZeroAndRiskTwoPercent) {
    Database db;
    const RiskYield v = ComputeRiskYield(AddStepping(db, "A", 60, 1000, {0.02, -0.02}));
    EXPECT_EQ(v.Yield, 0);
    EXPECT_EQ(v.Risk, 20000);
}

TEST(RiskYield, SamplesFallOnEveryFifthQuotationFromTheFourth) {
    Database db;
    Stock& s = AddStepping(db, "A", 60, 100, {0});
    // A jump between sample points is measured once, at the next sample.
    for (int i = 5; i < 60; ++i) s.Quotations[i].Close = 200;
    // Returns: q4 0, q9 +100 %, then 0 ten more times: mean 1/12.
    const RiskYield v = ComputeRiskYield(s);
    EXPECT_EQ(v.Yield, 83333);
    s.Quotations[0].Close = 0;  // a reference of 0 gives no return
    s.Quotations[4].Close = 0;
    EXPECT_EQ(ComputeRiskYield(s).Yield, 0);
}

TEST(MapLabel, FirstThreeCharactersWithExceptions) {
    EXPECT_EQ(MapLabel("JORVEN"), "JOR");
    EXPECT_EQ(MapLabel("AB"), "AB");
    EXPECT_EQ(MapLabel("MOSTALEXP"), "M-E");
    EXPECT_EQ(MapLabel("MOSTAL"), "M-");
    EXPECT_EQ(MapLabel("POLIFARBC"), "PFC");
    EXPECT_EQ(MapLabel("elektroex"), "EEX");
    EXPECT_EQ(MapLabel("PROCHEM"), "PCH");
    EXPECT_EQ(MapLabel("KABELBFK"), "BFK");
    EXPECT_EQ(MapLabel("WIG20"), "W20");
    EXPECT_EQ(MapLabel("WIG"), "WIG");
}

struct MapTest : ::testing::Test {
    Database db;
    RiskYieldMap map;
    MapTest() {
        AddStepping(db, "AAA", 60, 1000, {0.02, -0.02});   // risk 20000, yield 0
        AddStepping(db, "BBB", 60, 1000, {0.05, 0.03});    // positive yield
        AddStepping(db, "CCC", 60, 1000, {-0.01, -0.03});  // negative yield
        AddStepping(db, "DDD", 60, 1000, {0.3, -0.3});     // risk 30 %
        AddStepping(db, "SHORT", 10, 1000, {0.5});         // not mapped
    }
};

TEST_F(MapTest, DataRangeStartsFromItsInitialBoundsAndContainsZeroYield) {
    map.Compute(db);
    EXPECT_EQ(map.MappedCount(), 4);
    const MapRange& r = map.DataRange();
    EXPECT_EQ(r.RiskMin,
              std::min({map.Values()[0].Risk, map.Values()[1].Risk, map.Values()[2].Risk}));
    EXPECT_EQ(r.YieldMax, map.Values()[1].Yield);
    EXPECT_EQ(r.YieldMin, map.Values()[2].Yield);
    EXPECT_LT(r.YieldMin, 0);
    EXPECT_EQ(r.RiskMax, map.Values()[3].Risk);
    EXPECT_FALSE(map.Values()[4].Mapped);

    Database one;
    AddStepping(one, "UP", 60, 1000, {0.01});
    RiskYieldMap m;
    m.Compute(one);
    EXPECT_EQ(m.DataRange().YieldMin, 0);  // the yield range always holds 0
    EXPECT_EQ(m.DataRange().RiskMin, m.DataRange().RiskMax);
}

TEST_F(MapTest, FirstDrawingShowsEverythingAndAClickResetsTheZoom) {
    const MapDrawing d = map.Draw(db, 442, 318, 1);
    EXPECT_EQ(d.PlotWidth, 400);
    EXPECT_EQ(d.PlotHeight, 293);  // 5 above, 20 below for the risk labels
    EXPECT_EQ(d.PlotTop, 5);
    ASSERT_EQ(d.Points.size(), 4u);
    EXPECT_TRUE(d.Points[1].Highlighted);
    EXPECT_EQ(d.Points[3].X, 405);  // the highest risk at the right edge
    EXPECT_EQ(d.Points[3].Label.X, 405 - 22);
    EXPECT_FALSE(d.Points[0].Highlighted);
    EXPECT_EQ(d.Points[1].Y, 5);         // the highest yield at the top
    EXPECT_EQ(d.Points[1].Label.Y, 13);  // near the top: the label moves down
    EXPECT_EQ(d.Points[1].Label.Text, "BBB");
    ASSERT_TRUE(d.ZeroLineY);
    const MapRange whole = map.VisibleRange();

    // Zoom to the left half, then a click without dragging shows the whole range again.
    const MapDrawing zoomed = map.Draw(db, 442, 318, 1, std::array<int, 4>{5, 5, 200, 300});
    const long long span = static_cast<long long>(whole.RiskMax) - whole.RiskMin;
    EXPECT_EQ(map.VisibleRange().RiskMin, whole.RiskMin);
    EXPECT_EQ(map.VisibleRange().RiskMax, whole.RiskMin + 200 * span / 400);
    EXPECT_EQ(map.VisibleRange().YieldMax, whole.YieldMax);
    EXPECT_EQ(zoomed.Points.size(), 3u);  // DDD is outside
    map.Draw(db, 442, 318, 1, RiskYieldMap::RectangleBetween(100, 100, 102, 97));
    EXPECT_EQ(map.VisibleRange(), whole);
    map.Draw(db, 442, 318, 1);  // a repaint keeps the visible range
    EXPECT_EQ(map.VisibleRange(), whole);
}

TEST_F(MapTest, SelectionIsClampedAndNarrowSpansAreWidened) {
    map.Draw(db, 442, 318, -1);
    const MapRange whole = map.VisibleRange();
    // A rectangle reaching beyond the plot is cut at its edges: the whole range.
    map.Select(442, 318, -50, -50, 1000, 1000);
    EXPECT_EQ(map.VisibleRange(), whole);
    // A thin rectangle selects less than 1 percent, widened to 10000 around its middle.
    map.Select(442, 318, 105, 5, 4, 300);
    const MapRange& r = map.VisibleRange();
    EXPECT_EQ(r.RiskMax - r.RiskMin, 10000);
    const long long span = static_cast<long long>(whole.RiskMax) - whole.RiskMin;
    const long long middle =
        whole.RiskMin + (100 * span / 400 + (100 * span / 400 + 4 * span / 400)) / 2;
    EXPECT_NEAR((r.RiskMin + r.RiskMax) / 2.0, static_cast<double>(middle), 2);
}

TEST_F(MapTest, AZoomKeepsOnlyThePointsInsideTheRectangleAndLabelsBothAxes) {
    AddStepping(db, "EEE", 60, 1000, {0.024, -0.024});  // beside AAA: risk 24000, yield 0
    const MapDrawing d = map.Draw(db, 442, 318, -1);
    ASSERT_EQ(d.Points.size(), 5u);
    const MapPoint aaa = d.Points[0];
    const MapPoint eee = d.Points[4];
    ASSERT_EQ(eee.Label.Text, "EEE");
    ASSERT_GT(eee.X, aaa.X + 2);  // outside the rectangle below

    const MapDrawing zoomed =
        map.Draw(db, 442, 318, -1, std::array<int, 4>{aaa.X - 2, aaa.Y - 2, 4, 4});
    const MapRange& r = map.VisibleRange();
    ASSERT_LE(r.RiskMin, map.Values()[static_cast<std::size_t>(eee.StockIndex)]
                             .Risk);  // widened far enough to reach EEE
    ASSERT_GE(r.RiskMax, map.Values()[static_cast<std::size_t>(eee.StockIndex)].Risk);
    ASSERT_EQ(zoomed.Points.size(), 1u);
    EXPECT_EQ(zoomed.Points[0].Label.Text, "AAA");
    int riskLabels = 0, yieldLabels = 0;  // the 1 percent spans get lines at 0.1 percent
    for (const MapGridLine& line : zoomed.GridLines)
        (line.Horizontal ? yieldLabels : riskLabels) += line.Label ? 1 : 0;
    EXPECT_GE(riskLabels, 2);
    EXPECT_GE(yieldLabels, 2);
    // Zooming again inside the widened range keeps to the first rectangle too.
    const MapDrawing again = map.Draw(db, 442, 318, -1, std::array<int, 4>{5, 5, 400, 300});
    ASSERT_EQ(again.Points.size(), 1u);
    EXPECT_EQ(map.Draw(db, 442, 318, -1, std::array<int, 4>{0, 0, 0, 0}).Points.size(), 5u);
}

TEST_F(MapTest, GridLinesAtMultiplesOfOnePercentWithLabelRules) {
    map.Draw(db, 442, 318, -1);
    map.Select(442, 318, 0, 0, 0, 0);
    const MapDrawing d = map.Draw(db, 442, 318, -1);
    const MapRange& r = map.VisibleRange();
    int horizontal = 0, vertical = 0;
    for (const MapGridLine& line : d.GridLines) {
        EXPECT_EQ(line.Value % 10000, 0);
        if (line.Horizontal) {
            ++horizontal;
            EXPECT_GT(line.Value, r.YieldMin);
            EXPECT_LT(line.Value, r.YieldMax);
            EXPECT_EQ(line.Label.has_value(), line.Position >= 30);
        } else {
            ++vertical;
            EXPECT_GT(line.Value, r.RiskMin);
            EXPECT_LT(line.Value, r.RiskMax);
            EXPECT_EQ(line.Label.has_value(), line.Position - 5 > 25);
        }
    }
    EXPECT_GT(horizontal, 0);
    EXPECT_GT(vertical, 0);
    for (const MapGridLine& line : d.GridLines) {
        if (line.Horizontal && line.Value == 0 && line.Label) {
            EXPECT_EQ(line.Label->Text, "+0.0");
        }
        if (!line.Horizontal && line.Value == 20000 && line.Label) {
            EXPECT_EQ(line.Label->Text, " 2.0");
        }
    }
    EXPECT_EQ(d.RiskCaption.Text, "R[%]");
    EXPECT_EQ(d.YieldCaption.Text, "Y[%]");
}

TEST_F(MapTest, HighlightChangeRedrawsOnlyTheTwoSquares) {
    map.Draw(db, 442, 318, 0);
    const auto points = map.HighlightChange(db, 442, 318, 0, 2);
    ASSERT_EQ(points.size(), 2u);
    EXPECT_EQ(points[0].StockIndex, 0);
    EXPECT_FALSE(points[0].Highlighted);
    EXPECT_EQ(points[1].StockIndex, 2);
    EXPECT_TRUE(points[1].Highlighted);
    EXPECT_TRUE(map.HighlightChange(db, 442, 318, 4, 4).empty());  // not mapped

    map.MarkStale();  // quotations were loaded: the next drawing computes again
    db.FindStock("SHORT")->Quotations.resize(0);
    AddStepping(db, "ZZZ", 80, 1000, {0.01});
    const MapDrawing d = map.Draw(db, 442, 318, -1);
    EXPECT_EQ(map.MappedCount(), 5);
    EXPECT_EQ(d.Points.size(), 5u);
}

}  // namespace
}  // namespace velmora
