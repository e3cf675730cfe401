#include <gtest/gtest.h>

#include <cstdio>
#include <stdexcept>
#include <string>

#include "ChartTestSupport.h"
#include "chart/ChartWindowModel.h"
#include "chart/Commentary.h"
#include "chart/IndicatorBuilder.h"
#include "common/TestSupport.h"
#include "formula/FormulaEngine.h"

namespace velmora {
namespace {

const GridLineBox& Box(const char* caption) {
    for (const GridLineBox& b : GridLineBoxes())
        if (std::string(b.caption) == caption) return b;
    throw std::runtime_error("no box");
}

TEST(IndicatorBuilder, GridBoxesTickWhenAnyBitIsSetAndToggleTheirWholeGroup) {
    const std::int32_t adx = 0x6C2;  // Percent, Limits, Level 0 and the line at 30
    EXPECT_TRUE(GridBoxTicked(adx, Box("Percent")));
    EXPECT_TRUE(GridBoxTicked(adx, Box("Limits")));
    EXPECT_TRUE(GridBoxTicked(adx, Box("Level 0")));
    EXPECT_TRUE(GridBoxTicked(adx, Box("+30/70")));
    EXPECT_FALSE(GridBoxTicked(adx, Box("50")));
    EXPECT_FALSE(GridBoxTicked(adx, Box("Middle")));
    EXPECT_EQ(SetGridBox(adx, Box("+30/70"), false), 0x2C2);
    EXPECT_EQ(SetGridBox(adx, Box("+30/70"), true), 0xEC2);
    EXPECT_EQ(SetGridBox(0x40, Box("Limits"), true), 0xC0);
    EXPECT_EQ(SetGridBox(0x40000 | 0x10000, Box("+20/80"), false), 0x40000);
    EXPECT_EQ(SetGridBox(0, Box("+10/90"), true), 0x3000);
    EXPECT_EQ(SetGridBox(0, Box("+/-100"), true), 0x8000);
}

TEST(IndicatorBuilder, SelectionStoresAndLoadsTheDialogFields) {
    ChartTable table;
    int refreshed = 0;
    IndicatorBuilder builder(table, [&] { ++refreshed; });
    ASSERT_EQ(builder.Count(), kCustomChartCount);
    EXPECT_EQ(builder.Names().front(), "Custom 0");
    EXPECT_EQ(builder.Selection(), 0);
    EXPECT_FALSE(builder.Fields().automatic);

    builder.Fields().formula = "graph0 = rsi(14);";
    builder.Fields().automatic = false;
    builder.Fields().scaleMin = 0;
    builder.Fields().scaleMax = 100;
    builder.SetGridBox(2, true);  // "50"
    EXPECT_TRUE(builder.GridBoxTicked(2));
    builder.Select(3);
    const ChartDefinition& first = *table.FindById(1000);
    EXPECT_EQ(first.formula, "graph0 = rsi(14);");
    EXPECT_FLOAT_EQ(first.scaleMax, 100);
    EXPECT_EQ(first.gridFlags, 0x4000);
    EXPECT_FALSE(first.AutomaticScaling());

    // The other definition is shown; "Automatic" sets the bit, an empty formula is none.
    EXPECT_EQ(builder.Fields().formula, "");
    builder.Fields().automatic = true;
    builder.Apply();
    EXPECT_EQ(refreshed, 1);
    EXPECT_TRUE(table.FindById(1003)->AutomaticScaling());
    EXPECT_FALSE(table.FindById(1003)->formula.has_value());
    builder.Select(0);
    EXPECT_EQ(builder.Fields().formula, "graph0 = rsi(14);");
    EXPECT_TRUE(builder.GridBoxTicked(2));
    builder.Fields().automatic = true;
    builder.Select(1);
    EXPECT_TRUE(table.FindById(1000)->AutomaticScaling());

    builder.Rename(1, std::string(60, 'n'));
    EXPECT_EQ(table.FindById(1001)->name, std::string(kChartNameLimit, 'n'));
    builder.Select(99);  // no such row: nothing changes
    EXPECT_EQ(builder.Selection(), 1);
}

TEST(IndicatorBuilder, FormulaFilesRoundTrip) {
    test::TempDir dir;
    ChartTable table;
    IndicatorBuilder builder(table, nullptr);
    builder.Fields().formula = "graph0 = close;\r\ngraph1 = open;\r\n";
    ASSERT_TRUE(builder.SaveFormula(dir.path() / "f.qrx"));
    EXPECT_EQ(table.FindById(1000)->formula, "graph0 = close;\r\ngraph1 = open;\r\n");
    builder.Select(1);
    ASSERT_TRUE(builder.LoadFormula(dir.path() / "f.qrx"));
    EXPECT_EQ(builder.Fields().formula, "graph0 = close;\r\ngraph1 = open;\r\n");
    EXPECT_FALSE(builder.LoadFormula(dir.path() / "missing.qrx"));
    EXPECT_EQ(builder.Fields().formula, "graph0 = close;\r\ngraph1 = open;\r\n");
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
    EXPECT_FALSE(f.commentary.Failed());
    EXPECT_FALSE(f.engine.InRun());
    EXPECT_EQ(CommentaryText("a\r\nb\n"), "a\r\nb\r\n");

    // An empty formula, or no stock, leaves the output as it was.
    f.commentary.SetFormula("");
    EXPECT_FALSE(f.commentary.Run(f.engine, f.Source(), nullptr));
    f.commentary.SetFormula("\"other\";");
    EXPECT_FALSE(f.commentary.Run(f.engine, CommentarySource{}, nullptr));
    EXPECT_EQ(f.commentary.Output(), "first line\r\nsecond\r\n");
}

TEST(Commentary, SelectedBarAndWeeklyBars) {
    CommentaryFixture f;
    f.commentary.SetFormula("writeval(close);");
    f.commentary.Run(f.engine, f.Source(5), nullptr);
    char expected[32];
    std::snprintf(expected, sizeof expected, "%.3f", f.stock.Quotations[5].Close);
    EXPECT_NE(f.commentary.Output().find(expected), std::string::npos) << f.commentary.Output();

    // Weekly: 60 trading days are 12 weeks, the last one selected.
    f.commentary.SetFormula("writeval(cum(1));");
    CommentarySource weekly = f.Source();
    weekly.periodicity = Periodicity::Weekly;
    f.commentary.Run(f.engine, weekly, nullptr);
    EXPECT_NE(f.commentary.Output().find("12"), std::string::npos) << f.commentary.Output();

    ChartSettings settings;
    settings.visibleBars = 10;
    settings.selectedBar = 3;
    EXPECT_EQ(CommentarySelectedBar(settings, 50, 40), -1);  // marker not shown
    settings.markerShown = true;
    EXPECT_EQ(CommentarySelectedBar(settings, 50, 40), 43);
    EXPECT_EQ(CommentarySelectedBar(settings, 50, 99), 43);  // scroll kept within the bars
    EXPECT_EQ(CommentarySelectedBar(settings, 5, 0), 3);
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
