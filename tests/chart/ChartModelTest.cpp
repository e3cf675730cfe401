// The chart definition table, the charts file, the layout file, the splitter and the window
// model's commands, hints and menus.

#include <gtest/gtest.h>

#include "chart/ChartWindowModel.h"
#include "chart/ChartsFile.h"
#include "common/TestSupport.h"

namespace velmora {
namespace {

using test::AppendF32BE;
using test::AppendU32BE;

void AppendString(std::vector<std::uint8_t>& out, const std::string& s) {
    AppendU32BE(out, static_cast<std::uint32_t>(s.size()));
    out.insert(out.end(), s.begin(), s.end());
}

std::vector<std::uint8_t> Header(char version, std::uint32_t count) {
    std::vector<std::uint8_t> out = {'T', 'A', 'R', 'V',
                                     'C', 'H', 'R', static_cast<std::uint8_t>(version)};
    AppendU32BE(out, count);
    return out;
}

void AppendEntry(std::vector<std::uint8_t>& out, int id, bool current, float min, float max,
                 const std::string& name, const std::string& formula, int gridFlags = 0) {
    AppendU32BE(out, static_cast<std::uint32_t>(id));
    AppendU32BE(out, static_cast<std::uint32_t>(gridFlags));
    AppendF32BE(out, min);
    AppendF32BE(out, max);
    for (int i = 0; i < 4; ++i) AppendU32BE(out, 0);
    if (current) {
        AppendU32BE(out, 0);  // scaleFlags
        AppendU32BE(out, 0);
        AppendU32BE(out, 0);
    }
    AppendString(out, name);
    AppendString(out, formula);
}

TEST(ChartTable, BuiltInAndCustomRows) {
    ChartTable t;
    ASSERT_EQ(t.Count(), 39);
    EXPECT_EQ(t.At(0).name, "Price");
    EXPECT_TRUE(t.At(0).painter);
    EXPECT_EQ(t.FindById(13)->name, "Accumulation/Distribution");
    EXPECT_EQ(t.FindById(18)->gridFlags, 0x6C2);
    EXPECT_EQ(t.FindById(19)->formula->substr(0, 17), "graph0 =  close; ");
    EXPECT_FALSE(t.FindById(2)->formula.has_value());
    for (int id = 1; id <= 19; ++id) EXPECT_TRUE(t.FindById(id)->AutomaticScaling()) << id;
    EXPECT_EQ(t.FindById(1000)->name, "Custom 0");
    EXPECT_EQ(t.FindById(1019)->name, "Custom 19");
    EXPECT_FALSE(t.FindById(1019)->AutomaticScaling());
    EXPECT_FALSE(t.FindById(1005)->formula.has_value());
    EXPECT_EQ(t.FindById(1020), nullptr);
    EXPECT_EQ(t.FindById(0), nullptr);
    int withPane = 0;
    PaneContext ctx;
    t.FindById(3)->pane = &ctx;
    t.ForEach([&](ChartDefinition&) { ++withPane; }, true);
    EXPECT_EQ(withPane, 1);
}

TEST(ChartsFile, RoundTripOfTheCustomDefinitions) {
    test::TempDir dir;
    ChartTable t;
    ChartDefinition& d = *t.FindById(1003);
    d.SetName("My oscillator");
    d.formula = "graph0 = rsi(14);";
    d.gridFlags = 0x6C2;
    d.scaleMin = -5.5f;
    d.scaleMax = 105;
    d.scaleFlags = 1;
    d.reserved = {1, 2, 3, 4};
    d.reserved2 = {7, 8};
    ASSERT_TRUE(WriteChartsFile(t, dir / "tarvik.charts"));
    const auto bytes = test::ReadBytes(dir / "tarvik.charts");
    ASSERT_GE(bytes.size(), 12u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 8), "TARVCHR2");
    EXPECT_EQ(bytes[11], 20);  // N = the custom rows only

    ChartTable back;
    ASSERT_TRUE(ReadChartsFile(back, dir / "tarvik.charts"));
    const ChartDefinition& r = *back.FindById(1003);
    EXPECT_EQ(r.name, "My oscillator");
    EXPECT_EQ(*r.formula, "graph0 = rsi(14);");
    EXPECT_EQ(r.gridFlags, 0x6C2);
    EXPECT_EQ(r.scaleMin, -5.5f);
    EXPECT_EQ(r.scaleMax, 105);
    EXPECT_EQ(r.scaleFlags, 1u);
    EXPECT_EQ(r.reserved, (std::array<std::int32_t, 4>{1, 2, 3, 4}));
    EXPECT_EQ(r.reserved2, (std::array<std::int32_t, 2>{7, 8}));
    EXPECT_FALSE(back.FindById(1004)->formula.has_value());
    EXPECT_EQ(ChartsFileImage(back), bytes);
}

TEST(ChartsFile, EmptyMissingAndWrongMagicKeepTheDefaults) {
    test::TempDir dir;
    ChartTable t;
    EXPECT_FALSE(ReadChartsFile(t, dir / "absent"));
    test::WriteBytes(dir / "zero", Header('2', 0));
    EXPECT_TRUE(ReadChartsFile(t, dir / "zero"));
    EXPECT_EQ(t.FindById(1000)->name, "Custom 0");
    auto bad = Header('2', 1);
    bad[0] = 'X';
    AppendEntry(bad, 1000, true, 0, 0, "Changed", "x");
    test::WriteBytes(dir / "bad", bad);
    EXPECT_FALSE(ReadChartsFile(t, dir / "bad"));
    EXPECT_EQ(t.FindById(1000)->name, "Custom 0");
}

TEST(ChartsFile, OlderLayoutAndTheTRule) {
    test::TempDir dir;
    auto v1 = Header('1', 2);
    AppendEntry(v1, 1001, false, 0, 0, "Old one", "graph0 = close;");
    AppendEntry(v1, 1002, false, 1, 2, "Old two", "");
    test::WriteBytes(dir / "v1", v1);
    ChartTable t;
    ASSERT_TRUE(ReadChartsFile(t, dir / "v1"));
    EXPECT_EQ(t.FindById(1001)->name, "Old one");
    EXPECT_EQ(*t.FindById(1001)->formula, "graph0 = close;");
    EXPECT_FALSE(t.FindById(1001)->AutomaticScaling());  // only version T sets it
    EXPECT_EQ(t.FindById(1002)->scaleMax, 2);
    EXPECT_FALSE(t.FindById(1002)->formula.has_value());

    auto vt = Header('T', 2);
    AppendEntry(vt, 1001, false, 3, 3, "Equal", "a");
    AppendEntry(vt, 1002, false, 1, 2, "Apart", "b");
    test::WriteBytes(dir / "vt", vt);
    ChartTable u;
    ASSERT_TRUE(ReadChartsFile(u, dir / "vt"));
    EXPECT_TRUE(u.FindById(1001)->AutomaticScaling());
    EXPECT_FALSE(u.FindById(1002)->AutomaticScaling());
}

TEST(ChartsFile, UnknownIdsLongNamesAndDamagedTails) {
    test::TempDir dir;
    auto f = Header('2', 4);
    AppendEntry(f, 5000, true, 0, 0, "Nobody", "graph0 = 1;");
    AppendEntry(f, 1007, true, 0, 0, std::string(60, 'n'), "graph0 = 2;");
    AppendEntry(f, 1008, true, 0, 0, "Whole", "graph0 = 3;");
    const std::size_t wholeEnd = f.size();
    AppendEntry(f, 1009, true, 0, 0, "Cut short", "graph0 = 4;");
    f.resize(f.size() - 5);
    test::WriteBytes(dir / "f", f);
    ChartTable t;
    ASSERT_TRUE(ReadChartsFile(t, dir / "f"));
    EXPECT_EQ(t.FindById(1007)->name, std::string(39, 'n'));
    EXPECT_EQ(*t.FindById(1008)->formula, "graph0 = 3;");
    EXPECT_EQ(t.FindById(1009)->name, "Custom 9");  // the damaged entry is not taken

    // A string length far past the end of the file stops the reading.
    f.resize(wholeEnd);
    AppendU32BE(f, 1010);
    for (int i = 0; i < 10; ++i) AppendU32BE(f, 0);
    AppendU32BE(f, 0xFFFFFFF0u);
    test::WriteBytes(dir / "g", f);
    ChartTable u;
    EXPECT_TRUE(ReadChartsFile(u, dir / "g"));
    EXPECT_EQ(u.FindById(1010)->name, "Custom 10");
}

TEST(LayoutFile, MissingGivesPriceMacdRsiArranged) {
    test::TempDir dir;
    ChartTable t;
    ChartWindowModel m(t);
    EXPECT_EQ(m.Open(dir / "default.layout").Code(), StatusCode::NotFound);
    ASSERT_EQ(m.PaneCount(), 3);
    EXPECT_EQ(m.Pane(0).chartId, 1);
    EXPECT_EQ(m.Pane(1).chartId, 2);
    EXPECT_EQ(m.Pane(2).chartId, 3);
    EXPECT_EQ(m.Splitter().Percent(0), 60);
    EXPECT_EQ(m.Splitter().Percent(1), 20);
    EXPECT_EQ(m.Splitter().Percent(2), 20);
    EXPECT_EQ(m.LayoutText(), "TARVLAYT\n3\n1 60\n2 20\n3 20\n");
}

TEST(LayoutFile, ReadsPanesInOrderAndWritesThemBack) {
    test::TempDir dir;
    test::WriteText(dir / "default.layout", "TARVLAYT\n3\n1 50\n1005 30\n3 20\n");
    ChartTable t;
    ChartWindowModel m(t);
    EXPECT_TRUE(m.Open(dir / "default.layout"));
    ASSERT_EQ(m.PaneCount(), 3);
    EXPECT_EQ(m.Pane(1).chartId, 1005);
    EXPECT_EQ(m.Splitter().Percent(1), 30);
    EXPECT_EQ(m.Splitter().MinHeight(2), 20);
    EXPECT_EQ(m.Splitter().IdealHeight(2), 20);
    ASSERT_TRUE(m.SaveLayout(dir / "out.layout"));
    EXPECT_EQ(test::ReadText(dir / "out.layout"), "TARVLAYT\n3\n1 50\n1005 30\n3 20\n");
}

TEST(LayoutFile, WrongMagicAndDamagedCounts) {
    test::TempDir dir;
    ChartTable t;
    ChartWindowModel m(t);
    test::WriteText(dir / "a", "TARVLAYX\n3\n1 50\n2 30\n3 20\n");
    EXPECT_EQ(m.Open(dir / "a").Code(), StatusCode::BadMagic);
    ASSERT_EQ(m.PaneCount(), 1);
    EXPECT_EQ(m.Pane(0).chartId, 0);
    test::WriteText(dir / "b", "TARVLAYT\n999999999\n1 50\n");
    EXPECT_TRUE(m.Open(dir / "b"));
    EXPECT_EQ(m.PaneCount(), 16);
    EXPECT_EQ(m.Pane(0).chartId, 1);
    EXPECT_EQ(m.Pane(1).chartId, 0);
    test::WriteText(dir / "c", "TARVLAYT\n-4\n");
    EXPECT_TRUE(m.Open(dir / "c"));
    EXPECT_EQ(m.PaneCount(), 1);
    test::WriteText(dir / "d", std::string("TARVLAYT\n2\n1 \x01\xff", 16));
    EXPECT_TRUE(m.Open(dir / "d"));
    EXPECT_EQ(m.PaneCount(), 2);
}

TEST(Splitter, ProportionalHeightsSplitAndDrag) {
    ProportionalSplitter s;
    EXPECT_EQ(s.ColumnPercent(0), 100);
    s.AddRow();
    s.AddRow();
    s.SetPercent(0, 60), s.SetPercent(1, 20), s.SetPercent(2, 20);
    // 600 - 2 bars of 7 = 586 available.
    EXPECT_EQ(s.LayoutRows(600), (std::vector<int>{351, 117, 118}));
    s.DragBar(0, 50, 600);
    EXPECT_EQ(s.Percent(0), 68);  // 401 × 100 / 586
    EXPECT_EQ(s.Percent(1), 11);  // 67 × 100 / 586
    EXPECT_EQ(s.Percent(2), 20);
    s.DragBar(1, 1000, 600);  // no row goes below 0
    EXPECT_EQ(s.Percent(2), 0);
    EXPECT_GE(s.LayoutRows(600)[2], 0);

    ProportionalSplitter one;
    ASSERT_TRUE(one.SplitLastRow(407));  // 400 available after the bar
    EXPECT_EQ(one.RowCount(), 2);
    EXPECT_EQ(one.Percent(0), 50);  // 203 × 100 / 400
    EXPECT_EQ(one.Percent(1), 49);  // 197 × 100 / 400
}

TEST(ChartWindow, ArrangeBlankInsertReplaceClose) {
    ChartTable t;
    ChartWindowModel m(t, false);
    m.SetClientHeight(600);
    m.Replace(0, 1);
    for (int id : {2, 3, 4}) ASSERT_TRUE(m.Insert(id));
    EXPECT_EQ(m.ActivePane(), 3);
    m.Arrange();
    EXPECT_EQ(m.LayoutText(), "TARVLAYT\n4\n1 48\n2 16\n3 16\n4 16\n");
    ASSERT_TRUE(m.BlankPane());
    EXPECT_EQ(m.PaneCount(), 5);
    EXPECT_EQ(m.Pane(4).chartId, 0);
    m.Replace(4, 1005);
    EXPECT_EQ(m.Pane(4).chartId, 1005);
    m.SetActivePane(1);
    ASSERT_TRUE(m.Close());
    EXPECT_EQ(m.Pane(1).chartId, 3);
    while (m.CanClose()) m.Close();
    EXPECT_FALSE(m.Close());
    EXPECT_EQ(m.PaneCount(), 1);
    const auto menu = m.ContextMenu(t, false, false, false);
    ASSERT_EQ(menu.size(), 1u);
    EXPECT_EQ(menu[0].submenu[1].text, "&Close");
    EXPECT_FALSE(menu[0].submenu[1].enabled);

    // With auto-arrange the panes are arranged after every blank pane.
    ChartWindowModel a(t, true);
    a.Replace(0, 1);
    a.Insert(2);
    EXPECT_EQ(a.Splitter().Percent(0), 75);
    EXPECT_EQ(a.Splitter().Percent(1), 25);
    // Insert splits the active pane: the new pane comes right below it, in its lower half.
    ChartWindowModel b(t, false);
    b.SetClientHeight(607);
    b.Replace(0, 1);
    b.Insert(2);
    b.SetActivePane(0);
    const int priceHeight = b.Layout()[0].height;
    ASSERT_TRUE(b.Insert(3));
    EXPECT_EQ(b.LayoutText().substr(0, 11), "TARVLAYT\n3\n");
    EXPECT_EQ(b.Pane(1).chartId, 3);
    EXPECT_EQ(b.Pane(2).chartId, 2);
    EXPECT_EQ(b.ActivePane(), 1);
    EXPECT_NEAR(b.Layout()[0].height, priceHeight / 2, 3);  // percents round down
    // At 16 panes there is no room for another.
    while (a.PaneCount() < 16) ASSERT_TRUE(a.BlankPane());
    EXPECT_FALSE(a.BlankPane());
}

TEST(ChartWindow, RefreshHints) {
    ChartTable t;
    ChartWindowModel m(t);
    m.OpenDefault();  // price, MACD, RSI
    m.BlankPane();
    HintData data;
    data.barCount = 500;
    data.visibleBars = 159;
    auto repaint = m.Receive({RefreshHint::Kind::Everything}, data);
    EXPECT_EQ(repaint, (std::vector<bool>{true, true, true, true}));
    EXPECT_EQ(m.Pane(0).scroll.position, 341);
    EXPECT_EQ(m.Pane(0).scroll.page, 159);

    std::vector<float> buy(500, 0), sell(500, 0);
    buy[10] = 1;
    data.buy = buy.data();
    data.sell = sell.data();
    data.runBars = 500;
    repaint = m.Receive({RefreshHint::Kind::FormulaRan}, data);
    EXPECT_EQ(repaint, (std::vector<bool>(4, false)));
    EXPECT_EQ(m.Pane(0).arrows.buy.size(), 500u);
    EXPECT_EQ(m.Pane(0).arrows.buy[10], 1);
    EXPECT_TRUE(m.Pane(1).arrows.Empty());
    data.sell = nullptr;  // a missing variable: no arrows
    m.Receive({RefreshHint::Kind::FormulaRan}, data);
    EXPECT_TRUE(m.Pane(0).arrows.Empty());
    data.sell = sell.data();
    m.Receive({RefreshHint::Kind::FormulaRan}, data);
    ASSERT_FALSE(m.Pane(0).arrows.Empty());

    CompressedStockCache cache;
    m.SetPeriodicity(Periodicity::Weekly, cache, data);
    EXPECT_EQ(m.GetPeriodicity(), Periodicity::Weekly);
    EXPECT_TRUE(m.Pane(0).arrows.Empty());

    repaint = m.Receive({RefreshHint::Kind::PriceSettings}, data);
    EXPECT_EQ(repaint, (std::vector<bool>{true, false, false, false}));
    repaint = m.Receive({RefreshHint::Kind::SelectedBar, 12, 1}, data);
    EXPECT_EQ(repaint, (std::vector<bool>{true, false, true, false}));
}

TEST(ChartWindow, ScrollBar) {
    PaneScrollBar s;
    s.Reset(100, 30);
    EXPECT_EQ(s.position, 70);
    EXPECT_FALSE(s.LineRight());
    EXPECT_TRUE(s.PageLeft());
    EXPECT_EQ(s.position, 60);
    EXPECT_TRUE(s.Home());
    EXPECT_EQ(s.position, 0);
    EXPECT_FALSE(s.LineLeft());
    EXPECT_TRUE(s.MoveTo(500));
    EXPECT_EQ(s.position, 70);
    s.Reset(10, 30);
    EXPECT_EQ(s.position, 0);
    EXPECT_FALSE(s.End());
}

TEST(ChartMenus, InsertAndContextMenus) {
    ChartTable t;
    t.FindById(1002)->SetName("Momentum");
    const auto insert = ChartWindowModel::InsertMenu(t);
    ASSERT_EQ(insert.size(), 20u);
    EXPECT_EQ(insert[0].text, "&Price");
    EXPECT_EQ(insert[0].command, 10001);
    EXPECT_EQ(insert[18].text, "Parabolic SAR");
    EXPECT_EQ(insert[18].command, 10019);
    EXPECT_EQ(insert[19].text, "Custom in&dicators");
    ASSERT_EQ(insert[19].submenu.size(), 20u);
    EXPECT_EQ(insert[19].submenu[2].text, "Momentum");
    EXPECT_EQ(insert[19].submenu[2].command, 11002);

    ChartWindowModel m(t);
    m.OpenDefault();
    const auto plain = m.ContextMenu(t, true, false, false);
    ASSERT_EQ(plain.size(), 20u);
    EXPECT_EQ(plain[1].command, 12002);
    EXPECT_EQ(plain[19].text, "Custom");
    EXPECT_EQ(plain[19].submenu[0].command, 13000);
    const auto chart = m.ContextMenu(t, false, true, false)[0].submenu;
    std::vector<std::string> texts;
    for (const auto& item : chart) texts.push_back(item.text);
    EXPECT_EQ(texts, (std::vector<std::string>{"&Insert", "&Close", "&Arrange", "&Daily", "&Weekly",
                                               "&Monthly", "&Save layout", "D&elete study",
                                               "De&lete All studies", "&Properties..."}));
    EXPECT_EQ(chart[0].submenu[0].command, 10001);
    EXPECT_TRUE(chart[1].enabled);
    EXPECT_TRUE(chart[7].enabled);
    EXPECT_FALSE(chart[8].enabled);
}

}  // namespace
}  // namespace velmora
