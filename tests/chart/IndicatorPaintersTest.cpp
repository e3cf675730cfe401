// The built-in indicator panes: their "not available" thresholds, scales, titles, the relative
// strength base and the market-breadth panes.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "ChartTestSupport.h"
#include "chart/ChartWindowPainter.h"
#include "chart/IndicatorPainters.h"
#include "chart/SeriesPlot.h"
#include "database/Database.h"
#include "formula/IndicatorMath.h"

namespace velmora {
namespace {

using Kind = CanvasCall::Kind;
using test::PaneFixture;

std::string TitleOf(const RecordingCanvas& canvas) {
    const auto texts = canvas.CallsOf(Kind::Text);
    if (texts.empty()) return {};
    std::string t = texts.back()->text;
    while (!t.empty() && t.back() == ' ') t.pop_back();
    return t;
}

int CountInColour(const RecordingCanvas& canvas, Kind kind, int colour) {
    int n = 0;
    for (const auto* c : canvas.CallsOf(kind)) n += c->colour == colour;
    return n;
}

struct Threshold {
    void (*paint)(PaneContext&);
    int shownWith;  // the fewest bars that draw the indicator (default periods)
    const char* notAvailable;
};

// Every painter with the fewest bars that draw it (default periods).
const Threshold kThresholds[] = {
    {PaintMacdChart, 54, "TEST - MACD not available - too few quotations"},
    {PaintRsiChart, 12, "TEST - RSI not available - too few quotations"},
    {PaintRocChart, 13, "TEST - ROC not available - too few quotations"},
    {PaintStochasticChart, 17, "Stochastic Slow not available - too few quotations"},
    {PaintVolumeChart, 3, "TEST - bar chart not available - too few quotations"},
    {PaintUltimateChart, 31, "TEST - Ultimate not available - too few quotations"},
    {PaintObvChart, 3, "TEST - OBV not available - too few quotations"},
    {PaintTrixChart, 9, "TEST - TRIX not available - too few quotations"},
    {PaintCciChart, 14, "TEST - CCI not available - too few quotations"},
    {PaintMfiChart, 17, "TEST - MFI not available - too few quotations"},
    {PaintAccumulationDistributionChart, 3,
     "TEST - Accumulation/Distribution not available - too few quotations"},
    {PaintChaikinChart, 3, "TEST - Chaikin Oscillator not available - too few quotations"},
    {PaintNviChart, 3, "TEST - NVI not available - too few quotations"},
    {PaintTrinChart, 3, "TEST - TRIN not available too few quotations"},
    {PaintAdLineChart, 3, "TEST - AD-Line not available too few quotations"},
};

TEST(IndicatorPainters, TooFewQuotationsShowOnlyTheNotAvailableTitle) {
    for (const Threshold& c : kThresholds) {
        SCOPED_TRACE(c.notAvailable);
        PaneFixture few;
        few.definition.markerX = 40;
        Stock s = test::MakeStock(c.shownWith - 1);
        few.pane.stock = &s;
        c.paint(few.pane);
        ASSERT_EQ(few.canvas.Texts().size(), 1u);
        EXPECT_EQ(TitleOf(few.canvas), c.notAvailable);
        EXPECT_TRUE(few.canvas.CallsOf(Kind::Line).empty());  // no grid
        EXPECT_TRUE(few.canvas.CallsOf(Kind::Polyline).empty());
        EXPECT_EQ(few.definition.markerX, kNoMarker);

        PaneFixture enough;
        Stock t = test::MakeStock(c.shownWith);
        enough.pane.stock = &t;
        c.paint(enough.pane);
        EXPECT_EQ(TitleOf(enough.canvas).find("not available"), std::string::npos);
        EXPECT_FALSE(enough.canvas.CallsOf(Kind::Line).empty());
    }
}

TEST(IndicatorPainters, ValuesAnIndicatorDoesNotHaveAreLeftBlankInTitles) {
    // Short stocks from each pane's fewest bars on: a last value still in the warm-up is left
    // blank rather than printed as the empty marker.
    for (const Threshold& c : kThresholds) {
        for (int bars = c.shownWith; bars < c.shownWith + 12; ++bars) {
            PaneFixture f;
            Stock s = test::MakeStock(bars);
            f.pane.stock = &s;
            c.paint(f.pane);
            const std::string title = TitleOf(f.canvas);
            EXPECT_EQ(title.find("-10000000000"), std::string::npos) << title;
            EXPECT_EQ(title.find("nan"), std::string::npos) << title;
        }
    }
    PaneFixture f;
    Stock s = test::MakeStock(6);
    f.pane.stock = &s;
    PaintChaikinChart(f.pane);  // the slow average needs 10 bars
    EXPECT_EQ(TitleOf(f.canvas), "TEST - Chaikin Oscillator (3,10) =       (chart in thousands)");

    // A market without advance/decline records: no TRIN and no AD-Line value.
    Database db;
    f.pane.database = &db;
    f.canvas.Clear();
    PaintTrinChart(f.pane);
    EXPECT_EQ(f.canvas.Texts().back(), "TEST - TRIN       " + std::string(15, ' '));
    f.canvas.Clear();
    PaintAdLineChart(f.pane);
    EXPECT_EQ(TitleOf(f.canvas), "TEST - AD-Line");
}

TEST(IndicatorPainters, RsiOnTheFixedPercentScale) {
    PaneFixture f(442, 218);
    Stock s = test::MakeStock(200);
    f.pane.stock = &s;
    f.pane.scrollPosition = 200 - 159;
    PaintRsiChart(f.pane);
    EXPECT_EQ(f.definition.scaleMin, 0.0f);
    EXPECT_EQ(f.definition.scaleMax, 100.0f);
    // Reference lines and "%4d%%" labels at 30 and 70 only.
    const auto texts = f.canvas.Texts();
    EXPECT_NE(std::find(texts.begin(), texts.end(), "  30%"), texts.end());
    EXPECT_NE(std::find(texts.begin(), texts.end(), "  70%"), texts.end());
    EXPECT_EQ(std::find(texts.begin(), texts.end(), "  50%"), texts.end());
    const int plotHeight = 218 - 10;
    const int y70 = 5 + plotHeight - static_cast<int>(70.0 * plotHeight / 100 + 0.5);
    int dottedAt70 = 0;
    for (const auto* l : f.canvas.CallsOf(Kind::Line))
        dottedAt70 += l->penStyle == PenStyle::Dotted && l->y1 == y70 && l->y2 == y70;
    EXPECT_EQ(dottedAt70, 1);
    // The line spans the visible bars.
    const auto lines = f.canvas.CallsOf(Kind::Polyline);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0]->points.size(), 159u);
}

TEST(IndicatorPainters, MacdPassesAndTitleFollowTheMath) {
    PaneFixture f(600, 200);
    f.prefs.SetColourAt(static_cast<int>(ColourSetting::Histogram), 9);
    Stock s = test::MakeStock(120);
    f.pane.stock = &s;
    f.prefs.SetMacdFast(5);
    f.prefs.SetMacdSlow(10);
    f.prefs.SetMacdSignal(4);
    PaintMacdChart(f.pane);
    std::vector<float> close(120), macd(120), signal(120);
    for (int i = 0; i < 120; ++i) close[i] = s.Quotations[i].Close;
    indicators::Macd(120, 5, 10, close.data(), macd.data());
    indicators::MacdSignal(120, 5, 10, 4, close.data(), signal.data());
    char expected[128];
    std::snprintf(expected, sizeof expected, "TEST - MACD (5,10,4) = %6.2f, Signal = %6.2f",
                  static_cast<double>(macd.back()), static_cast<double>(signal.back()));
    EXPECT_EQ(TitleOf(f.canvas), expected);
    // Histogram lines from bar 14 on, then the signal and the MACD line from the same bar.
    EXPECT_EQ(CountInColour(f.canvas, Kind::Line, f.prefs.Colour(ColourSetting::Histogram)),
              120 - 14);
    const auto lines = f.canvas.CallsOf(Kind::Polyline);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0]->colour, f.prefs.Colour(ColourSetting::Signal));
    EXPECT_EQ(lines[1]->colour, f.prefs.Colour(ColourSetting::Oscillator));
    EXPECT_EQ(lines[0]->points.size(), 120u - 14u);
    EXPECT_EQ(lines[1]->points.size(), 120u - 14u);
    // The range holds the MACD line, the histogram and 0.
    float lo = 0, hi = 0;
    for (int i = 10; i < 120; ++i) {
        lo = std::min({lo, macd[i], i >= 14 ? macd[i] - signal[i] : 0.0f});
        hi = std::max({hi, macd[i], i >= 14 ? macd[i] - signal[i] : 0.0f});
    }
    EXPECT_FLOAT_EQ(f.definition.scaleMin, lo);
    EXPECT_FLOAT_EQ(f.definition.scaleMax, hi);
}

TEST(IndicatorPainters, VolumeAndTurnoverTitlesSwitchAtOneMillion) {
    auto title = [](int lastVolume, bool turnover, float close = 1.0f) {
        PaneFixture f;
        Stock s = test::MakeStock(30);
        for (auto& q : s.Quotations) {
            q.Volume = 1000;
            q.Close = close;
        }
        s.Quotations.back().Volume = lastVolume;
        f.settings.volumeShowsTurnover = turnover;
        f.pane.stock = &s;
        PaintVolumeChart(f.pane);
        EXPECT_EQ(f.definition.scaleMin, 0.0f);
        return TitleOf(f.canvas);
    };
    EXPECT_EQ(title(999999, false), "TEST - Volume 999999 shares (chart in thousands of shares)");
    EXPECT_EQ(title(1000000, false), "TEST - Volume 1000000 shares (chart in millions of shares)");
    // Turnover = volume x close x 2; the millions title has no ticker.
    EXPECT_EQ(title(499999, true), "TEST - Turnover 999998 (chart in thousands)");
    EXPECT_EQ(title(500000, true), "Turnover 1000000 (chart in millions)");
    // Far beyond the 32-bit range the number is still whole and positive.
    const std::string huge = title(2000000000, true, 1000.0f);
    ASSERT_EQ(huge.rfind("Turnover ", 0), 0u);
    EXPECT_NEAR(std::strtod(huge.c_str() + 9, nullptr), 4e12, 1e6);
}

TEST(IndicatorPainters, VolumeHistogramAndItsAverage) {
    PaneFixture f;
    Stock s = test::MakeStock(100);
    f.settings.volumeShowsTurnover = false;
    f.pane.stock = &s;
    PaintVolumeChart(f.pane);
    EXPECT_EQ(CountInColour(f.canvas, Kind::FillRect, f.prefs.Colour(ColourSetting::Volume)), 100);
    const auto lines = f.canvas.CallsOf(Kind::Polyline);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0]->colour, f.prefs.Colour(ColourSetting::ShortTimeAverage));
    EXPECT_EQ(lines[0]->points.size(), 100u - 15u);
}

struct RsFixture {
    Database db;
    Stock* stock;
    PaneFixture f;
    RsFixture() {
        for (const char* t : {"ABC", "GRP", "IND", "MKT", "WIG"}) {
            Stock* s = db.AddStock(t);
            s->Quotations = test::MakeStock(40, true, t).Quotations;
        }
        stock = db.FindStock("ABC");
        for (auto& q : stock->Quotations) q.Close *= 2;
        SetGroupID(*stock, 3);
        stock->IndustryID = 4;
        SetMarketID(*stock, 5);
        f.pane.database = &db;
        f.pane.stock = stock;
    }
    std::string Paint() {
        f.canvas.Clear();
        PaintRelativeStrengthChart(f.pane);
        return TitleOf(f.canvas);
    }
};

TEST(IndicatorPainters, RelativeStrengthBaseFallsBackFromGroupToPreference) {
    RsFixture rs;
    CategoryTables& c = rs.db.Categories();
    c.Groups[3].RSBase.Set("grp");
    c.Industries[4].RSBase.Set("IND");
    c.Markets[5].RSBase.Set("MKT");
    // Twice the base's close on every date: 1000 x 2.
    EXPECT_EQ(rs.Paint(), "ABC/GRP - RS =2000.000");
    c.Groups[3].RSBase.Set("NONE");  // names no stock
    EXPECT_EQ(rs.Paint(), "ABC/IND - RS =2000.000");
    c.Industries[4].RSBase.Set("");
    EXPECT_EQ(rs.Paint(), "ABC/MKT - RS =2000.000");
    c.Markets[5].RSBase.Set("");
    EXPECT_EQ(rs.Paint(), "ABC/WIG - RS =2000.000");
    rs.f.prefs.SetDefaultRSBase("NOBASE");
    EXPECT_EQ(rs.Paint(), "");  // no base: the pane stays empty
    EXPECT_TRUE(rs.f.canvas.CallsOf(Kind::Line).empty());
}

TEST(IndicatorPainters, RelativeStrengthOfTheBaseItself) {
    RsFixture rs;
    rs.db.Categories().Groups[3].RSBase.Set("ABC");
    EXPECT_EQ(rs.Paint(), "ABC/ABC - RS == 1 (the same stock)");
    EXPECT_TRUE(rs.f.canvas.CallsOf(Kind::Polyline).empty());
    // A weekly chart shows a compressed copy of the stock: still the same stock.
    auto weekly = CompressQuotations(*rs.stock, Periodicity::Weekly);
    rs.f.pane.stock = weekly.get();
    rs.f.pane.periodicity = Periodicity::Weekly;
    EXPECT_EQ(rs.Paint(), "ABC/ABC - RS == 1 (the same stock)");
    // Against another base the weekly bars meet the base's weekly bars.
    rs.db.Categories().Groups[3].RSBase.Set("WIG");
    EXPECT_EQ(rs.Paint(), "ABC/WIG - RS =2000.000");
    ASSERT_EQ(rs.f.canvas.CallsOf(Kind::Polyline).size(), 1u);
    EXPECT_EQ(rs.f.canvas.CallsOf(Kind::Polyline)[0]->points.size(), weekly->Quotations.size());
}

TEST(IndicatorPainters, MarketBreadthPanes) {
    Database db;
    Stock s = test::MakeStock(10);
    SetMarketID(s, 2);
    Market& market = db.Categories().Markets[2];
    for (int i = 0; i < 4; ++i) {
        ADQuotation r;
        r.Date = static_cast<PackedDate>(i + 1);
        r.AdvIssues = i == 3 ? 30 : 10;
        r.DecIssues = 5;
        r.UncIssues = 1;
        r.AdvVolume = 100;
        r.DecVolume = 50;
        market.ADQuotations.push_back(r);
    }
    PaneFixture f;
    f.prefs.SetColourAt(static_cast<int>(ColourSetting::Histogram), 9);
    f.pane.stock = &s;
    f.pane.database = &db;
    f.prefs.SetTrinFast(2);
    f.prefs.SetTrinSlow(0);
    PaintTrinChart(f.pane);
    // The newest record lies on the newest bar: (30 / 5) / (100 / 50).
    EXPECT_EQ(TitleOf(f.canvas), "TEST - TRIN   3.00");
    // Histogram lines only on the 4 bars that have a record, from the baseline 1.
    const int histogram = f.prefs.Colour(ColourSetting::Histogram);
    std::vector<const CanvasCall*> bars;
    for (const auto* l : f.canvas.CallsOf(Kind::Line))
        if (l->colour == histogram && l->penStyle == PenStyle::Solid) bars.push_back(l);
    ASSERT_EQ(bars.size(), 4u);
    const SeriesPlot plot = [&] {
        SeriesPlot p;
        p.Frame(10, f.pane.VisibleBars(), 0);
        p.min = f.definition.scaleMin;
        p.max = f.definition.scaleMax;
        return p;
    }();
    const PlotGeometry g(f.pane, plot);
    EXPECT_EQ(bars[0]->x1, g.X(6));
    EXPECT_EQ(bars[0]->y1, g.Y(1.0));
    // The range is the fast average's (1 and 2 on the last two bars) padded to 150 %, with 0;
    // not TRIN's own 0..3.
    EXPECT_EQ(f.definition.scaleMin, 0.0f);
    EXPECT_FLOAT_EQ(f.definition.scaleMax, 2.5f);

    f.canvas.Clear();
    PaintAdLineChart(f.pane);
    // 3 x sqrt(5 / 2) + sqrt(25 / 2)
    EXPECT_EQ(TitleOf(f.canvas), "TEST - AD-Line   8.28");

    f.pane.periodicity = Periodicity::Weekly;
    f.canvas.Clear();
    PaintTrinChart(f.pane);
    EXPECT_EQ(TitleOf(f.canvas), "TRIN - Only daily mode is supported now");
    f.canvas.Clear();
    PaintAdLineChart(f.pane);
    EXPECT_EQ(TitleOf(f.canvas), "ADLine - Only daily mode is supported now");
    EXPECT_TRUE(f.canvas.CallsOf(Kind::Line).empty());
}

TEST(IndicatorPainters, DefaultWindowPaintsMacdAndRsiPanes) {
    Stock stock = test::MakeStock(300);
    Preferences prefs;
    ChartTable table;
    for (int id = 2; id <= 17; ++id) EXPECT_TRUE(table.FindById(id)->painter) << id;
    ChartSettings settings;
    settings.FromPreferences(prefs);
    ChartWindowModel model(table);
    model.OpenDefault();
    ChartWindowView view = test::MakeWindowView(model, table, settings, prefs, stock);
    RecordingCanvas canvas;
    PaintChartWindow(canvas, view, 640, 480);
    int macd = 0, rsi = 0;
    for (const auto& t : canvas.Texts()) {
        macd += t.rfind("TEST - MACD (12,26,9) = ", 0) == 0;
        rsi += t.rfind("TEST - RSI (9) =", 0) == 0;
    }
    EXPECT_EQ(macd, 1);
    EXPECT_EQ(rsi, 1);
}

TEST(IndicatorPainters, TitlesShowTheValuesAtTheTitleBar) {
    PaneFixture f;
    Stock s = test::MakeStock(60);
    f.pane.stock = &s;
    std::vector<float> close;
    for (const Quotation& q : s.Quotations) close.push_back(q.Close);
    const int period = f.prefs.RsiRange();
    std::vector<float> rsi(close.size());
    indicators::Rsi(60, period, close.data(), rsi.data());
    const auto rsiTitle = [&](int bar) {
        char text[80];
        std::snprintf(text, sizeof text, "TEST - RSI (%d) =%6.2f %%", period,
                      static_cast<double>(rsi[static_cast<std::size_t>(bar)]));
        return std::string(text);
    };
    // A bar within the stock, the last one, and one past it (the last bar's values).
    for (const auto& [titleBar, shown] : {std::pair{30, 30}, {59, 59}, {60, 59}, {-1, 59}}) {
        f.canvas.Clear();
        f.pane.titleBar = titleBar;
        PaintRsiChart(f.pane);
        EXPECT_EQ(TitleOf(f.canvas), rsiTitle(shown)) << titleBar;
    }
    ASSERT_NE(rsi[30], rsi[59]);

    f.canvas.Clear();
    f.settings.volumeShowsTurnover = false;
    f.pane.titleBar = 30;
    PaintVolumeChart(f.pane);
    EXPECT_NE(TitleOf(f.canvas).find(" " + std::to_string(s.Quotations[30].Volume) + " shares"),
              std::string::npos)
        << TitleOf(f.canvas);
}

}  // namespace
}  // namespace velmora
