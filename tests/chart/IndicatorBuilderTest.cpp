#include <gtest/gtest.h>

#include <string>

#include "ChartTestSupport.h"
#include "chart/ChartWindowModel.h"
#include "chart/Commentary.h"
#include "chart/IndicatorBuilder.h"
#include "common/TestSupport.h"
#include "formula/FormulaEngine.h"

namespace velmora {
namespace {

TEST(IndicatorBuilder, GridBoxesTickWhenAnyBitIsSetAndToggleTheirWholeGroup) {
    const auto& boxes = GridLineBoxes();  // Level 0, Limits, 50, Percent, +30/70, +20/80, ...
    const std::int32_t adx = 0x6C2;       // Percent, Limits, Level 0 and the line at 30
    std::string ticked;
    for (const GridLineBox& box : boxes)
        if (GridBoxTicked(adx, box)) ticked += std::string(box.caption) + " ";
    EXPECT_EQ(ticked, "Level 0 Limits Percent +30/70 ");
    EXPECT_EQ(SetGridBox(adx, boxes[4], false), 0x2C2);
    EXPECT_EQ(SetGridBox(adx, boxes[4], true), 0xEC2);
    EXPECT_EQ(SetGridBox(0x40000 | 0x10000, boxes[5], false), 0x40000);
}

TEST(IndicatorBuilder, SelectionStoresAndLoadsTheDialogFields) {
    test::TempDir dir;
    ChartTable table;
    int refreshed = 0;
    IndicatorBuilder builder(table, [&] { ++refreshed; });
    ASSERT_EQ(builder.Count(), kCustomChartCount);
    EXPECT_EQ(builder.Selection(), 0);

    builder.Fields().formula = "graph0 = rsi(14);\r\n";
    builder.Fields().scaleMax = 100;
    builder.SetGridBox(2, true);  // "50"
    builder.Select(3);
    const ChartDefinition& first = *table.FindById(1000);
    EXPECT_EQ(first.formula, "graph0 = rsi(14);\r\n");
    EXPECT_FLOAT_EQ(first.scaleMax, 100);
    EXPECT_EQ(first.gridFlags, 0x4000);
    EXPECT_FALSE(first.AutomaticScaling());

    // "Automatic" sets the bit; an empty formula is none; Apply stores and refreshes.
    EXPECT_EQ(builder.Fields().formula, "");
    builder.Fields().automatic = true;
    builder.Apply();
    EXPECT_EQ(refreshed, 1);
    EXPECT_TRUE(table.FindById(1003)->AutomaticScaling());
    EXPECT_FALSE(table.FindById(1003)->formula.has_value());

    // Back on the first row, its formula goes to a file and from there into row 1.
    builder.Select(0);
    EXPECT_TRUE(builder.GridBoxTicked(2));
    ASSERT_TRUE(builder.SaveFormula(dir.path() / "f.qrx"));
    builder.Select(1);
    ASSERT_TRUE(builder.LoadFormula(dir.path() / "f.qrx"));
    // Loading stores the selection first, even when the file cannot be read.
    builder.Fields().scaleMin = -5;
    EXPECT_FALSE(builder.LoadFormula(dir.path() / "missing.qrx"));
    EXPECT_FLOAT_EQ(table.FindById(1001)->scaleMin, -5);
    builder.Select(2);
    EXPECT_EQ(table.FindById(1001)->formula, "graph0 = rsi(14);\r\n");

    builder.Rename(1, std::string(60, 'n'));
    EXPECT_EQ(builder.Names()[1], std::string(kChartNameLimit, 'n'));
}

struct CommentaryFixture {
    RecordingFormulaErrorSink errors;
    FormulaEngine engine{errors};
    Stock stock = test::MakeStock(60);
    Commentary commentary;
    CommentarySource Source(int selectedBar = -1) {
        CommentarySource s;
        s.stock = &stock;
        s.selectedBar = selectedBar;
        return s;
    }
};

TEST(Commentary, OutputLinesEndInCarriageReturnLineFeed) {
    CommentaryFixture f;
    f.commentary.SetFormula("\"first line\"; writeif(close > 0, \"second\", \"no\");");
    ASSERT_TRUE(f.commentary.Run(f.engine, f.Source(), nullptr));
    EXPECT_EQ(f.commentary.Output(), "first line\r\nsecond\r\n");
    EXPECT_FALSE(f.engine.InRun());

    // An empty formula, or no stock, leaves the output as it was.
    f.commentary.SetFormula("");
    EXPECT_FALSE(f.commentary.Run(f.engine, f.Source(), nullptr));
    f.commentary.SetFormula("\"other\";");
    EXPECT_FALSE(f.commentary.Run(f.engine, CommentarySource{}, nullptr));
    EXPECT_EQ(f.commentary.Output(), "first line\r\nsecond\r\n");
}

TEST(Commentary, WeeklyBarsAndTheSelectedBar) {
    CommentaryFixture f;
    // Weekly: 60 trading days are 12 weeks, the last one selected.
    f.commentary.SetFormula("writeval(cum(1), 2.0);");
    CommentarySource weekly = f.Source();
    weekly.periodicity = Periodicity::Weekly;
    f.commentary.Run(f.engine, weekly, nullptr);
    EXPECT_EQ(f.commentary.Output(), "12\r\n");

    // The price pane's selected bar counts from its first visible bar.
    ChartSettings settings;
    settings.visibleBars = 10;
    settings.selectedBar = 3;
    EXPECT_EQ(CommentarySelectedBar(settings, 50, 40), -1);  // marker not shown
    settings.markerShown = true;
    EXPECT_EQ(CommentarySelectedBar(settings, 50, 99), 43);
    settings.selectedBar = 7;
    EXPECT_EQ(CommentarySelectedBar(settings, 5, 0), -1);
}

TEST(Commentary, PricePanesTakeBuyAndSellWhileTheRunIsOpen) {
    CommentaryFixture f;
    ChartTable table;
    ChartWindowModel window(table);
    window.OpenDefault();
    f.commentary.SetFormula("buy = close > 105; sell = close < 95;");
    f.commentary.Run(f.engine, f.Source(), [&](const HintData& data) {
        EXPECT_TRUE(f.engine.InRun());
        window.Receive({RefreshHint::Kind::FormulaRan}, data);
    });
    const TradeArrows& arrows = window.Pane(0).arrows;
    ASSERT_EQ(window.Pane(0).chartId, kPriceChartId);
    ASSERT_EQ(arrows.buy.size(), f.stock.Quotations.size());
    for (std::size_t i = 0; i < arrows.buy.size(); ++i) {
        EXPECT_EQ(arrows.buy[i] != 0, f.stock.Quotations[i].Close > 105) << i;
        EXPECT_EQ(arrows.sell[i] != 0, f.stock.Quotations[i].Close < 95) << i;
    }
    EXPECT_TRUE(window.Pane(1).arrows.Empty());
}

}  // namespace
}  // namespace velmora
