// The built-in function table: its rows and descriptors, the argument checks, every built-in
// called through the engine, and the handlers with behaviour of their own.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "FormulaTestSupport.h"
#include "database/Categories.h"
#include "formula/Builtins.h"
#include "formula/IndicatorMath.h"

namespace velmora {
namespace {

using test::EngineFixture;

bool EndsWith(const std::string& report, const std::string& message) {
    return report.ends_with(message);
}

TEST(BuiltinTable, HoldsTheBuiltinsInTableOrder) {
    const std::vector<std::string> names = {
        "line",       "accdist",   "cci",        "chaikin",   "ema",         "ma",
        "macd",       "mfi",       "nvi",        "obv",       "roc",         "rsi",
        "signal",     "stoch",     "stochk",     "stochd",    "trix",        "ultimate",
        "cross",      "hold",      "barssince",  "bbandbot",  "bbandtop",    "cum",
        "divergence", "gapdown",   "gapup",      "highest",   "highestbars", "hhv",
        "hhvbars",    "iif",       "inside",     "lastvalue", "lowest",      "lowestbars",
        "llv",        "llvbars",   "max",        "min",       "outside",     "pvi",
        "prec",       "ref",       "sum",        "writeif",   "writeval",    "name",
        "fullname",   "date",      "oscp",       "oscv",      "zig",         "peak",
        "peakbars",   "trough",    "troughbars", "valuewhen", "advissues",   "decissues",
        "uncissues",  "advvolume", "decvolume",  "uncvolume", "trin",        "adline",
        "sar",        "pdi",       "mdi",        "adx",       "atr",         "relstrength",
        "optimize"};
    const auto table = BuiltinTable();
    ASSERT_EQ(table.size(), names.size());
    for (std::size_t i = 0; i < names.size(); ++i) EXPECT_EQ(table[i].name, names[i]) << i;

    auto row = [&](const std::string& name) {
        for (const BuiltinEntry& e : table) {
            if (name == e.name) return e;
        }
        ADD_FAILURE() << name;
        return table[0];
    };
    const BuiltinEntry signal = row("signal");
    EXPECT_EQ(signal.Total(), 3);
    EXPECT_EQ(signal.Required(), 0);
    EXPECT_EQ(signal.defaults[0], 12.0f);
    EXPECT_EQ(signal.defaults[1], 26.0f);
    EXPECT_EQ(signal.defaults[2], 9.0f);
    const BuiltinEntry writeif = row("writeif");
    EXPECT_EQ(writeif.arrays, 1);
    EXPECT_EQ(writeif.strings, 2);
    EXPECT_EQ(row("peak").numbers, 1);
    EXPECT_EQ(row("peak").optionals, 1);
    EXPECT_EQ(row("sar").defaults[0], 0.02f);
    EXPECT_EQ(row("writeval").defaults[0], 8.3f);
    EXPECT_EQ(row("atr").numbers, 1);
    EXPECT_EQ(row("atr").optionals, 0);
    EXPECT_EQ(row("stochk").handler, row("stoch").handler);
}

TEST(Builtins, EveryBuiltinEvaluatesWithoutReports) {
    EngineFixture f(60);
    const char* calls[] = {"line(1, 2)",
                           "accdist()",
                           "cci()",
                           "chaikin()",
                           "ema(close, 5)",
                           "ma(close, 5)",
                           "macd()",
                           "mfi()",
                           "nvi()",
                           "obv()",
                           "roc(close)",
                           "rsi()",
                           "signal()",
                           "stoch()",
                           "stochk()",
                           "stochd()",
                           "trix()",
                           "ultimate()",
                           "cross(close, ma(close, 3))",
                           "hold(close > 20, 3)",
                           "barssince(close > 20)",
                           "bbandbot(close)",
                           "bbandtop(close)",
                           "cum(volume)",
                           "divergence(close, volume, 1)",
                           "gapdown()",
                           "gapup()",
                           "highest(close)",
                           "highestbars(close)",
                           "hhv(close, 5)",
                           "hhvbars(close, 5)",
                           "iif(close > 20, 1, 2)",
                           "inside()",
                           "lastvalue(close)",
                           "lowest(close)",
                           "lowestbars(close)",
                           "llv(close, 5)",
                           "llvbars(close, 5)",
                           "max(close, 30)",
                           "min(close, 30)",
                           "outside()",
                           "pvi()",
                           "prec(close / 3, 2)",
                           "ref(close, -1)",
                           "sum(close, 5)",
                           "writeif(close > 20, \"y\", \"n\")",
                           "writeval(close)",
                           "name()",
                           "fullname()",
                           "date()",
                           "oscp(5, 10)",
                           "oscv(5, 10)",
                           "zig(close, 5)",
                           "peak(close, 5)",
                           "peakbars(close, 5)",
                           "trough(close, 5)",
                           "troughbars(close, 5)",
                           "valuewhen(close > 20, close)",
                           "advissues()",
                           "decissues()",
                           "uncissues()",
                           "advvolume()",
                           "decvolume()",
                           "uncvolume()",
                           "trin()",
                           "adline()",
                           "sar()",
                           "pdi()",
                           "mdi()",
                           "adx()",
                           "atr(14)",
                           "relstrength(\"TEST\")",
                           "optimize(\"n\", 3, 1, 5, 1)"};
    ASSERT_EQ(std::size(calls), 73u);
    for (const char* call : calls) {
        const auto reports = f.Run(std::string("x = ") + call + ";");
        EXPECT_TRUE(reports.empty()) << call << ": " << (reports.empty() ? "" : reports[0]);
        const float* x = f.run.GetArray("x");
        if (x == nullptr) {
            EXPECT_NE(f.run.GetString("x"), nullptr) << call;
            continue;
        }
        for (int i = 0; i < f.run.BarCount(); ++i)
            ASSERT_TRUE(std::isfinite(x[i])) << call << " bar " << i;
    }
}

TEST(Builtins, ArgumentChecks) {
    EngineFixture f(8);
    auto message = [&](const std::string& text) {
        const auto reports = f.Run(text);
        return reports.size() == 1
                   ? reports[0]
                   : std::string("<" + std::to_string(reports.size()) + " reports>");
    };
    EXPECT_TRUE(EndsWith(message("x = ma(close);"), "Missing arguments\n"));
    EXPECT_TRUE(EndsWith(message("x = ma(close, 10, 2);"), "Too many arguments\n"));
    EXPECT_TRUE(EndsWith(message("x = ma(close, close);"), "Bad args\n"));
    EXPECT_TRUE(EndsWith(message("x = atr();"), "Missing arguments\n"));
    EXPECT_TRUE(EndsWith(message("x = relstrength(5);"), "Bad args\n"));
    EXPECT_TRUE(EndsWith(message("x = obv(1);"), "Too many arguments\n"));
    EXPECT_TRUE(EndsWith(message("x = writeif(close, 1, \"no\");"), "Bad args\n"));
    EXPECT_TRUE(EndsWith(message("x = ma(\"close\", 3);"), "Bad args\n"));
    // A statement after a failed call still runs.
    EXPECT_EQ(f.Run("y = ma(close); z = 1;").size(), 1u);
    EXPECT_EQ(f.run.GetNumber("z"), 1.0f);

    // A number where an array is expected becomes a constant array.
    EXPECT_TRUE(f.Run("m = ma(5, 3);").empty());
    const float E = EMPTY;
    EXPECT_EQ(f.Array("m"), (std::vector<float>{E, E, E, 5, 5, 5, 5, 5}));
}

TEST(Builtins, DefaultsCompleteTheOptionalArguments) {
    EngineFixture f(80);
    // (Single letters such as c, h, a name price arrays: the variables here avoid them.)
    ASSERT_TRUE(f.Run("m1 = macd(); m2 = macd(12, 26); s1 = signal(10); s2 = signal(10, 26, 9);"
                      "b1 = bbandtop(close); b2 = bbandtop(close, 15, 2); p1 = peak(close, 3);"
                      "p2 = peak(close, 3, 1); r1 = roc(close); r2 = roc(close, 12);")
                    .empty());
    EXPECT_EQ(f.Array("m1"), f.Array("m2"));
    EXPECT_EQ(f.Array("s1"), f.Array("s2"));
    EXPECT_EQ(f.Array("b1"), f.Array("b2"));
    EXPECT_EQ(f.Array("p1"), f.Array("p2"));
    EXPECT_EQ(f.Array("r1"), f.Array("r2"));
    EXPECT_NE(f.Array("m1")[79], EMPTY);
    EXPECT_NE(f.Array("s1")[79], EMPTY);
    // bbandbot passes the negated width: the two bands lie symmetric about the average.
    ASSERT_TRUE(
        f.Run("t = bbandtop(close, 5, 1); u = bbandbot(close, 5, 1); mm = ma(close, 5);").empty());
    const auto t = f.Array("t"), u = f.Array("u"), m = f.Array("mm");
    for (std::size_t i = 5; i < t.size(); ++i) EXPECT_NEAR(t[i] + u[i], 2 * m[i], 1e-4f) << i;
}

TEST(Builtins, BarValuedBuiltinsReadTheSelectedBar) {
    EngineFixture f(8);  // close = 10 + i
    f.run.SetSelectedBar(2);
    ASSERT_TRUE(f.Run("lv = lastvalue(close); far = lastvalue(ma(close, 1000));"
                      "w = writeval(close + 0.5); w2 = writeval(close + 0.5, 1.2);"
                      "we = writeval(ma(close, 5)); wl = writeval(close, -6.1);"
                      "yes = writeif(close > 11, \"up\", \"down\"); no = writeif(ma(close, 5), "
                      "\"a\", \"b\");"
                      "d = date();")
                    .empty());
    EXPECT_EQ(f.run.GetNumber("lv"), 12.0f);
    EXPECT_EQ(f.run.GetNumber("far"), 0.0f);
    EXPECT_STREQ(f.run.GetString("w"), "  12.500");
    EXPECT_STREQ(f.run.GetString("w2"), "12.50");
    EXPECT_STREQ(f.run.GetString("we"), "{EMPTY}");
    EXPECT_STREQ(f.run.GetString("wl"), "12.0  ");  // "%-6.1f"
    ASSERT_TRUE(f.Run("z = writeval(close - 12.0004); m = writeval(close - 12.0006);").empty());
    EXPECT_STREQ(f.run.GetString("z"), "   0.000");  // not "-0.000"
    EXPECT_STREQ(f.run.GetString("m"), "  -0.001");
    EXPECT_STREQ(f.run.GetString("yes"), "up");
    EXPECT_STREQ(f.run.GetString("no"), "b");  // an EMPTY condition chooses the false text
    EXPECT_STREQ(f.run.GetString("d"), "24-01-03");
    // A huge or non-finite format stays bounded.
    ASSERT_TRUE(f.Run("big = writeval(close, 1e30); n = writeval(close, 0/0);").empty());
    EXPECT_LE(std::string(f.run.GetString("big")).size(), 1000u);
    f.run.SetSelectedBar(-1);
    ASSERT_TRUE(f.Run("lv = lastvalue(close); nm = name(); fn = fullname();").empty());
    EXPECT_EQ(f.run.GetNumber("lv"), 17.0f);
    EXPECT_STREQ(f.run.GetString("nm"), "TEST");
    EXPECT_STREQ(f.run.GetString("fn"), "Test Stock TEST");
    // A selected bar outside the bars reads nothing.
    f.run.SetSelectedBar(50);
    ASSERT_TRUE(f.Run("lv = lastvalue(close); w = writeval(close); d = date();").empty());
    EXPECT_EQ(f.run.GetNumber("lv"), 0.0f);
    EXPECT_STREQ(f.run.GetString("w"), "{EMPTY}");
    EXPECT_STREQ(f.run.GetString("d"), "");
}

TEST(Builtins, PriceBuiltinsSeeAssignedPricesButQuotationRoutinesDoNot) {
    EngineFixture f(20);
    ASSERT_TRUE(f.Run("o1 = obv(); close = close * 0 + 5; r2 = rsi(); o2 = obv();").empty());
    EXPECT_EQ(f.Array("r2")[19], 50.0f);  // flat closes now
    EXPECT_EQ(f.Array("o1"), f.Array("o2"));
    EXPECT_EQ(f.Array("o1")[1], 3000.0f);  // 1000 + 2000 on a rising close
}

TEST(Builtins, RelativeStrengthFindsItsBase) {
    EngineFixture f(5);                                 // TEST closes 10..14 from 2024-01-01
    Stock& base = test::AddTestStock(f.db, "BASE", 3);  // closes 10..12
    base.Quotations[1].Close = 0;
    ASSERT_TRUE(f.Run("x = relstrength(\"base\");").empty());
    const float E = EMPTY;
    EXPECT_EQ(f.Array("x"), (std::vector<float>{1000, E, 12000.0f * 1000 / 12000, E, E}));

    // No such stock: the group's base, else the industry's, else the market's, else "WIG".
    auto& categories = f.db.Categories();
    SetGroupID(f.stock, 3);
    categories.Groups[3].RSBase.Set("BASE");
    ASSERT_TRUE(f.Run("g = relstrength(\"NOPE\");").empty());
    EXPECT_EQ(f.Array("g")[0], 1000.0f);
    categories.Groups[3].RSBase.Set("");
    f.stock.IndustryID = 7;
    categories.Industries[7].RSBase.Set("BASE");
    ASSERT_TRUE(f.Run("i = relstrength(\"NOPE\");").empty());
    EXPECT_EQ(f.Array("i")[0], 1000.0f);
    categories.Industries[7].RSBase.Set("");
    const auto reports = f.Run("w = relstrength(\"NOPE\");");
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_TRUE(EndsWith(reports[0], "Relative strength base stock not found"));
    test::AddTestStock(f.db, "WIG", 5);
    ASSERT_TRUE(f.Run("w = relstrength(\"NOPE\");").empty());
    EXPECT_EQ(f.Array("w")[4], 1000.0f);
}

TEST(Builtins, MarketBuiltinsReturnTheEngineArrays) {
    EngineFixture f(4);
    Market& market = f.db.Categories().Markets[static_cast<std::size_t>(GetMarketID(f.stock))];
    for (int i = 0; i < 3; ++i) {
        ADQuotation ad;
        ad.Date = MakeDate(2024, 1, 2 + i);
        ad.AdvIssues = 10 + i;
        ad.DecIssues = 5;
        ad.UncIssues = 4;
        ad.AdvVolume = 100;
        ad.DecVolume = 50;
        market.ADQuotations.push_back(ad);
    }
    // The engine builds its market arrays on first use in a run.
    f.run.End();
    f.run = f.engine.BeginRun(f.stock);
    ASSERT_TRUE(f.Run("a1 = advissues(); a2 = advissues(); t = trin(); ad = adline();").empty());
    EXPECT_EQ(f.run.GetArray("a1"), f.run.GetArray("a2"));
    const float E = EMPTY;
    EXPECT_EQ(f.Array("a1"), (std::vector<float>{E, 10, 11, 12}));
    EXPECT_EQ(f.Array("t"), (std::vector<float>{E, 1, 1.1f, 1.2f}));
    EXPECT_EQ(f.Array("ad")[1], 1.0f);  // (10 - 5) / (4 + 1) = 1
}

}  // namespace
}  // namespace velmora

namespace velmora {
namespace {

// Every number argument at its extremes: periods of 0, negative, far beyond the bars, a NaN
// (sqrt(-1)); nothing may read outside the arrays (the sanitizers watch), and with finite
// arguments nothing may come out as NaN or infinity.
TEST(Builtins, ExtremeNumberArgumentsStayInsideTheArrays) {
    const char* templates[] = {"line(#, #)",
                               "cci(#)",
                               "chaikin(#, #)",
                               "ema(close, #)",
                               "ma(close, #)",
                               "macd(#, #)",
                               "mfi(#)",
                               "roc(close, #)",
                               "rsi(#)",
                               "signal(#, #, #)",
                               "stoch(#)",
                               "stochd(#)",
                               "trix(#)",
                               "ultimate(#, #, #)",
                               "hold(close > 15, #)",
                               "bbandbot(close, #, #)",
                               "bbandtop(close, #, #)",
                               "divergence(close, volume, #)",
                               "hhv(close, #)",
                               "hhvbars(close, #)",
                               "llv(close, #)",
                               "llvbars(close, #)",
                               "prec(close / 7, #)",
                               "ref(close, #)",
                               "sum(close, #)",
                               "writeval(close, #)",
                               "oscp(#, #)",
                               "oscv(#, #)",
                               "zig(close, #)",
                               "peak(close, #, #)",
                               "peakbars(close, #, #)",
                               "trough(close, #, #)",
                               "troughbars(close, #, #)",
                               "valuewhen(close > 15, close, #)",
                               "sar(#, #)",
                               "pdi(#)",
                               "mdi(#)",
                               "adx(#)",
                               "atr(#)"};
    const char* values[] = {"0", "1", "-3", "2.5", "1e9", "-1e9", "1e30", "-1e30", "sqrt(-1)"};
    test::EngineFixture f(30);
    for (const char* t : templates) {
        for (const char* value : values) {
            std::string call = t;
            for (std::size_t at; (at = call.find('#')) != std::string::npos;)
                call.replace(at, 1, value);
            const auto reports = f.Run("x = " + call + ";");
            ASSERT_TRUE(reports.empty()) << call << ": " << reports[0];
            const float* x = f.run.GetArray("x");
            if (x == nullptr || std::string(value) == "sqrt(-1)" ||
                std::string(value).find("e30") != std::string::npos)
                continue;
            for (int i = 0; i < f.run.BarCount(); ++i)
                ASSERT_TRUE(std::isfinite(x[i])) << call << " bar " << i;
        }
    }
}

}  // namespace
}  // namespace velmora
