// The engine: values and operators, EMPTY, shared price arrays, reading results, the selected
// bar, built-in calls and their argument checks, market arrays, run memory.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <optional>
#include <string>
#include <utility>

#include "FormulaTestSupport.h"
#include "common/TestSupport.h"
#include "formula/Evaluator.h"
#include "platform/ConsoleUserInterface.h"

namespace velmora {
namespace {

using test::EngineFixture;

std::vector<float> Closes(int n, float factor = 1.0f) {
    std::vector<float> v;
    for (int i = 0; i < n; ++i) v.push_back((10.0f + static_cast<float>(i)) * factor);
    return v;
}

TEST(Engine, EmptyIsTheExactMarker) {
    std::uint32_t bits;
    std::memcpy(&bits, &EMPTY, sizeof bits);
    EXPECT_EQ(bits, 0xD01502F9u);
    EXPECT_FALSE(IsTrue(EMPTY));
    EXPECT_FALSE(IsTrue(0.0f));
    EXPECT_TRUE(IsTrue(-1.0f));
}

TEST(Engine, PriceArraysAndShortNames) {
    EngineFixture f(4);
    EXPECT_TRUE(f.Run("").empty());
    EXPECT_EQ(f.Array("close"), Closes(4));
    EXPECT_EQ(f.Array("C"), Closes(4));
    EXPECT_EQ(f.Array("open"), (std::vector<float>{9.5f, 10.5f, 11.5f, 12.5f}));
    EXPECT_EQ(f.Array("h"), (std::vector<float>{11, 12, 13, 14}));
    EXPECT_EQ(f.Array("low"), (std::vector<float>{9, 10, 11, 12}));
    EXPECT_EQ(f.Array("a"), Closes(4));  // (c + h + l) / 3
    EXPECT_EQ(f.Array("volume"), (std::vector<float>{1000, 2000, 3000, 4000}));
    EXPECT_EQ(f.Array("oi"), (std::vector<float>{0, 1, 2, 3}));
    EXPECT_EQ(f.run.BarCount(), 4);
    // The same array under both names.
    EXPECT_EQ(f.run.GetArray("close"), f.run.GetArray("c"));
}

TEST(Engine, ArithmeticWithEmptyAndDivisionByZero) {
    EngineFixture f(5);
    EXPECT_TRUE(f.Run("z = close / 0; x = -1e10 + 1; m = ma(close, 2) + 1; n = -ma(close, 2);"
                      "k = NOT ma(close, 2); s = sqrt(ma(close, 2)); q = close * 0 + 4;"
                      "e = close == -1e10; d = 6 / 0; w = ma(close, 2) > 0 OR 1;")
                    .empty());
    EXPECT_EQ(f.Array("z"), std::vector<float>(5, 0.0f));
    EXPECT_EQ(f.run.GetNumber("x"), EMPTY);
    EXPECT_EQ(f.Array("x"), std::vector<float>(5, EMPTY));
    EXPECT_EQ(f.Array("m"), (std::vector<float>{EMPTY, EMPTY, 11.5f + 1, 12.5f + 1, 13.5f + 1}));
    EXPECT_EQ(f.Array("n"), (std::vector<float>{EMPTY, EMPTY, -11.5f, -12.5f, -13.5f}));
    EXPECT_EQ(f.Array("k"), (std::vector<float>{EMPTY, EMPTY, 0, 0, 0}));
    EXPECT_EQ(f.Array("s")[2], std::sqrt(11.5f));
    EXPECT_EQ(f.Array("s")[0], EMPTY);
    EXPECT_EQ(f.Array("q"), std::vector<float>(5, 4.0f));
    EXPECT_EQ(f.Array("e"), std::vector<float>(5, EMPTY));  // comparisons keep EMPTY too
    EXPECT_EQ(f.run.GetNumber("d"), 0);
    EXPECT_EQ(f.Array("w"), (std::vector<float>{EMPTY, EMPTY, 1, 1, 1}));
}

TEST(Engine, ScalarKernelAgreesWithArrayKernel) {
    // Every operator on numbers, on number/array and array/number mixes, gives the same as
    // the number case broadcast.
    const char* ops[] = {"+", "-", "*", "/", "^", "<", ">", "<=", ">=", "==", "!=", "AND", "OR"};
    const float values[] = {0.0f, 2.0f, -3.5f, EMPTY, 1e30f};
    for (const char* op : ops) {
        for (float a : values) {
            for (float b : values) {
                EngineFixture f(3);
                char text[256];
                std::snprintf(text, sizeof text,
                              "a = %.9g; b = %.9g; n = a %s b; l = (close*0 + a) %s b;"
                              "r = a %s (close*0 + b); x = (close*0 + a) %s (close*0 + b);",
                              a, b, op, op, op, op);
                ASSERT_TRUE(f.Run(text).empty()) << text;
                const float n = f.run.GetNumber("n");
                for (const char* name : {"l", "r", "x"}) {
                    const auto arr = f.Array(name);
                    ASSERT_EQ(arr.size(), 3u);
                    for (float v : arr) {
                        if (std::isnan(n)) {
                            EXPECT_TRUE(std::isnan(v)) << text;
                        } else {
                            EXPECT_EQ(v, n) << text << " " << name;
                        }
                    }
                }
            }
        }
    }
}

TEST(Engine, ComparisonsAtTheEqualityBoundary) {
    // Below, at and above 11 (close is 10, 11, 12), on each path of the engine: array op
    // number, number op array (written mirrored), array op array, number op number, text op
    // text. Equal operands make <=, >= and == true.
    const struct {
        const char* op;
        const char* mirrored;
        std::vector<float> truth;
    } cases[] = {
        {"<=", ">=", {1, 1, 0}}, {">=", "<=", {0, 1, 1}}, {"<", ">", {1, 0, 0}},
        {">", "<", {0, 0, 1}},   {"==", "==", {0, 1, 0}}, {"!=", "!=", {1, 0, 1}},
    };
    EngineFixture f(3);
    for (const auto& c : cases) {
        const std::string op = c.op;
        const std::string text = "an = close " + op + " 11; na = 11 " + c.mirrored +
                                 " close; aa = close " + op + " (close * 0 + 11); n0 = 10 " + op +
                                 " 11; n1 = 11 " + op + " 11; n2 = 12 " + op + " 11; s0 = \"ab\" " +
                                 op + " \"b\"; s1 = \"b\" " + op + " \"b\"; s2 = \"bb\" " + op +
                                 " \"b\";";
        ASSERT_TRUE(f.Run(text).empty()) << text;
        EXPECT_EQ(f.Array("an"), c.truth) << op;
        EXPECT_EQ(f.Array("na"), c.truth) << c.mirrored;
        EXPECT_EQ(f.Array("aa"), c.truth) << op;
        for (const char* prefix : {"n", "s"}) {
            const std::string p(prefix);
            EXPECT_EQ((std::vector<float>{f.run.GetNumber(p + "0"), f.run.GetNumber(p + "1"),
                                          f.run.GetNumber(p + "2")}),
                      c.truth)
                << p << " " << op;
        }
    }
}

TEST(Engine, StringsOperations) {
    EngineFixture f;
    EXPECT_TRUE(f.Run("1 + 2; \"a\" + \"b\"; \"x\\ny\"; lt = \"abc\" < \"abd\"; "
                      "eq = \"abc\" == \"abc\"; ge = \"b\" >= \"abc\"; t = \"T\" + \"\";")
                    .empty());
    EXPECT_EQ(f.run.Output(), "ab\nx\ny\nT\n");  // an assigned string is written too
    EXPECT_EQ(f.run.GetNumber("lt"), 1);
    EXPECT_EQ(f.run.GetNumber("eq"), 1);
    EXPECT_EQ(f.run.GetNumber("ge"), 1);
    EXPECT_STREQ(f.run.GetString("t"), "T");
    EXPECT_EQ(f.run.GetString("lt"), nullptr);
    EXPECT_EQ(f.run.GetArray("t"), nullptr);
    // Not allowed: string with number or array, and operators other than + and comparisons.
    for (const char* text :
         {"\"a\" + close;", "\"a\" * \"b\";", "1 - \"a\";", "\"a\" AND \"b\";"}) {
        const auto reports = f.Run(std::string(text) + " after = 1;");
        ASSERT_EQ(reports.size(), 1u) << text;
        EXPECT_TRUE(reports[0].ends_with("^\n\nOperation not allowed\n")) << reports[0];
        EXPECT_EQ(f.run.GetNumber("after"), 1);
    }
    for (const char* text : {"-\"a\";", "NOT \"a\";", "sqrt(\"a\");"}) {
        const auto reports = f.Run(text);
        ASSERT_EQ(reports.size(), 1u) << text;
        EXPECT_TRUE(reports[0].ends_with("Bad argument\n")) << reports[0];
    }
    EXPECT_EQ(f.run.Output(), "ab\nx\ny\nT\n");
}

TEST(Engine, PriceArraysAreSharedAndCopiedInto) {
    EngineFixture f(6);
    EXPECT_TRUE(f.Run("x = close; close = close * 2; m = ma(close, 2);").empty());
    EXPECT_EQ(f.Array("x"), Closes(6, 2));
    EXPECT_EQ(f.Array("close"), Closes(6, 2));
    EXPECT_EQ(f.Array("c"), Closes(6, 2));
    EXPECT_EQ(f.Array("m")[2], (22.0f + 24.0f) / 2);
    // A number makes the name an ordinary variable; the short name keeps the prices.
    EXPECT_TRUE(f.Run("close = 5; y = c;").empty());
    EXPECT_EQ(f.run.GetNumber("close"), 5);
    EXPECT_EQ(f.Array("y"), Closes(6, 2));
    // Afterwards an array is shared, not copied into the prices.
    EXPECT_TRUE(f.Run("close = open; open = open + 1;").empty());
    EXPECT_EQ(f.run.GetArray("close"), f.run.GetArray("open"));
    EXPECT_EQ(f.Array("c"), Closes(6, 2));
    // The stock itself is never changed.
    EXPECT_EQ(f.stock.Quotations[1].Close, 11.0f);
    // Assigning a price array to itself is harmless.
    EXPECT_TRUE(f.Run("high = high; low = l;").empty());
    EXPECT_EQ(f.Array("high")[0], 11.0f);
}

TEST(Engine, ReadingResults) {
    EngineFixture f(3);
    EXPECT_TRUE(f.Run("buy = 1; sell = \"no\"; graph0 = close;").empty());
    EXPECT_EQ(f.Array("buy"), std::vector<float>(3, 1.0f));
    EXPECT_EQ(f.run.GetArray("sell"), nullptr);
    EXPECT_EQ(f.run.GetArray("nothing"), nullptr);
    EXPECT_EQ(f.run.GetArray("ma"), nullptr);  // a function name
    EXPECT_EQ(f.run.GetArray("sqrt"), nullptr);
    EXPECT_EQ(f.run.GetNumber("maxgraph"), 0);
    EXPECT_EQ(f.run.GetNumber("buy"), 1);
    EXPECT_EQ(f.run.GetNumber("graph0"), 0);
    EXPECT_EQ(f.run.GetString("buy"), nullptr);
    // Variables persist across Execute calls of one run.
    EXPECT_TRUE(f.Run("buy2 = buy + 1;").empty());
    EXPECT_EQ(f.run.GetNumber("buy2"), 2);
    EXPECT_EQ(f.run.AssignedVariables(),
              (std::vector<std::string>{"buy", "sell", "graph0", "buy2"}));
    // After the run nothing is readable and nothing runs.
    f.run.End();
    EXPECT_EQ(f.run.GetArray("buy"), nullptr);
    EXPECT_EQ(f.run.GetNumber("buy"), 0);
    EXPECT_EQ(f.run.Output(), "");
    f.run.Execute("x = 1;");
    f.run.End();  // twice: harmless
    EXPECT_FALSE(f.engine.InRun());
}

TEST(Engine, ErrorFlagPersistsUntilCleared) {
    EngineFixture f(3);
    f.Run("x = ;");
    EXPECT_TRUE(f.engine.ErrorFlag());
    f.run.End();
    f.run = f.engine.BeginRun(f.stock);
    EXPECT_TRUE(f.engine.ErrorFlag());
    f.engine.ClearErrorFlag();
    f.Run("x = 1;");
    EXPECT_FALSE(f.engine.ErrorFlag());
    // A new run forgets the variables of the last.
    f.run.End();
    f.run = f.engine.BeginRun(f.stock);
    EXPECT_EQ(f.Run("y = x;").size(), 1u);
}

TEST(Engine, ARunEndsOnlyItself) {
    EngineFixture f(3);
    std::optional<FormulaRun> moved;
    {
        FormulaRun newer = f.engine.BeginRun(f.stock);  // ends the fixture's run
        newer.Execute("x = 5;");
        EXPECT_FALSE(f.run.Active());
        EXPECT_EQ(f.run.GetNumber("x"), 0);  // the ended run does not read the newer one
        f.run.End();                         // nor end it
        EXPECT_EQ(newer.GetNumber("x"), 5);
        moved.emplace(std::move(newer));
    }  // the moved-from run ends nothing either
    EXPECT_EQ(moved->GetNumber("x"), 5);
    moved.reset();
    EXPECT_FALSE(f.engine.InRun());
}

TEST(Engine, SelectedBar) {
    EngineFixture f(5);
    EXPECT_TRUE(f.Run("v = lastvalue(close);").empty());
    EXPECT_EQ(f.run.GetNumber("v"), 14);
    f.run.SetSelectedBar(1);
    f.Run("v = lastvalue(close); w = writeif(close > 10.5, \"up\", \"down\");");
    EXPECT_EQ(f.run.GetNumber("v"), 11);
    EXPECT_STREQ(f.run.GetString("w"), "up");
    f.run.SetSelectedBar(0);
    f.Run("w = writeif(close > 10.5, \"up\", \"down\"); e = lastvalue(ma(close, 3));");
    EXPECT_STREQ(f.run.GetString("w"), "down");
    EXPECT_EQ(f.run.GetNumber("e"), 0);  // EMPTY reads as 0
    for (int index : {-1, 5}) {
        f.run.SetSelectedBar(index);
        EXPECT_EQ(EvaluatorOf(f.engine).SelectedBar(), 4);
    }
    // Outside the bars: kept as given, and read safely.
    for (int index : {-7, 6, 1000000}) {
        f.run.SetSelectedBar(index);
        EXPECT_EQ(EvaluatorOf(f.engine).SelectedBar(), index);
        EXPECT_TRUE(f.Run("v = lastvalue(close); w = writeif(close, \"t\", \"f\");").empty());
        EXPECT_EQ(f.run.GetNumber("v"), 0);
        EXPECT_STREQ(f.run.GetString("w"), "f");
    }
    // A new run selects the last bar.
    f.run = f.engine.BeginRun(f.stock);
    EXPECT_EQ(EvaluatorOf(f.engine).SelectedBar(), 4);
}

TEST(Engine, BuiltinArgumentChecks) {
    EngineFixture f(6);
    const struct {
        const char* text;
        const char* message;
    } cases[] = {
        {"ma(close);", "Missing arguments\n"},   {"ma(close, 10, 2);", "Too many arguments\n"},
        {"ma(close, close);", "Bad args\n"},     {"ma(\"s\");", "Bad args\n"},
        {"line(1);", "Missing arguments\n"},     {"name(1);", "Too many arguments\n"},
        {"writeif(1, 2, \"b\");", "Bad args\n"}, {"roc(close, 1, 2);", "Too many arguments\n"},
        {"roc(close, \"x\");", "Bad args\n"},    {"roc();", "Missing arguments\n"},
    };
    for (const auto& c : cases) {
        const auto reports = f.Run(std::string(c.text) + " ok = 1;");
        ASSERT_EQ(reports.size(), 1u) << c.text;
        EXPECT_TRUE(reports[0].ends_with(std::string("^\n\n") + c.message)) << reports[0];
        EXPECT_EQ(f.run.GetNumber("ok"), 1);
        f.Run("ok = 0;");
    }
    // A number where an array goes becomes a constant array.
    EXPECT_TRUE(f.Run("m = ma(5, 3);").empty());
    EXPECT_EQ(f.Array("m"), (std::vector<float>{EMPTY, EMPTY, EMPTY, 5, 5, 5}));
    // Optional numbers take their defaults.
    EXPECT_TRUE(f.Run("r1 = roc(close); r2 = roc(close, 12); r3 = roc(close, 2);").empty());
    EXPECT_EQ(f.Array("r1"), f.Array("r2"));
    EXPECT_EQ(f.Array("r3")[2], 20.0f);
    // Calls nest, and a list can hold calls.
    EXPECT_TRUE(
        f.Run("n = ma(ma(close, 1), lastvalue(line(2, 0))); t = name() + \"/\" + fullname();")
            .empty());
    EXPECT_EQ(f.Array("n"), (std::vector<float>{EMPTY, EMPTY, EMPTY, 12.5f, 13.5f, 14.5f}));
    EXPECT_STREQ(f.run.GetString("t"), "TEST/Test Stock TEST");
    // Built-in rows never declare more optional numbers than they carry defaults for.
    for (const BuiltinEntry& e : BuiltinTable())
        EXPECT_LE(e.optionals, BuiltinEntry::kMaxOptionals);
}

TEST(Engine, MarketArraysFollowTheNewestRecords) {
    EngineFixture f(5);
    SetMarketID(f.stock, 3);
    Market& market = f.db.Categories().Markets[3];
    for (int i = 0; i < 2; ++i) {
        ADQuotation r;
        r.Date = MakeDate(2023, 1, 1 + i);  // dates do not matter, positions do
        r.AdvIssues = 10 + i;
        r.DecIssues = 20 + i;
        r.UncIssues = 30 + i;
        r.AdvVolume = 1.5f + static_cast<float>(i);
        r.DecVolume = 2.5f + static_cast<float>(i);
        r.UncVolume = 3.5f + static_cast<float>(i);
        market.ADQuotations.push_back(r);
    }
    f.run = f.engine.BeginRun(f.stock);
    // ("a" itself would be the short name of avg.)
    EXPECT_TRUE(f.Run("ai = advissues(); d = decissues(); u = uncissues(); av = advvolume();"
                      "dv = decvolume(); uv = uncvolume(); s = ai + 1;")
                    .empty());
    EXPECT_EQ(f.Array("ai"), (std::vector<float>{EMPTY, EMPTY, EMPTY, 10, 11}));
    EXPECT_EQ(f.Array("d"), (std::vector<float>{EMPTY, EMPTY, EMPTY, 20, 21}));
    EXPECT_EQ(f.Array("u"), (std::vector<float>{EMPTY, EMPTY, EMPTY, 30, 31}));
    EXPECT_EQ(f.Array("av"), (std::vector<float>{EMPTY, EMPTY, EMPTY, 1.5f, 2.5f}));
    EXPECT_EQ(f.Array("dv")[4], 3.5f);
    EXPECT_EQ(f.Array("uv")[3], 3.5f);
    EXPECT_EQ(f.Array("s"), (std::vector<float>{EMPTY, EMPTY, EMPTY, 11, 12}));
    // The engine's own arrays: the same array on every call.
    f.Run("b = advissues();");
    EXPECT_EQ(f.run.GetArray("ai"), f.run.GetArray("b"));
    // More records than bars: only the newest are used.
    for (int i = 0; i < 10; ++i) market.ADQuotations.push_back(market.ADQuotations[0]);
    market.ADQuotations.back().AdvIssues = 99;
    f.run = f.engine.BeginRun(f.stock);
    f.Run("ai = advissues();");
    EXPECT_EQ(f.Array("ai"), (std::vector<float>{10, 10, 10, 10, 99}));
    // Without a database there is no market data.
    RecordingFormulaErrorSink errors;
    FormulaEngine alone(errors);
    FormulaRun aloneRun = alone.BeginRun(f.stock);
    aloneRun.Execute("ai = advissues();");
    EXPECT_EQ(aloneRun.GetArray("ai")[4], EMPTY);
}

TEST(Engine, MemoryLimitEndsTheStatementWithAReport) {
    EngineFixture f(1000);
    f.engine.SetMemoryLimit(10 * 4000 + 100);
    auto reports = f.Run(
        "a2 = close + 1; b = a2 + 1; c2 = b + 1; d = c2 + 1; e = d + 1; f = e + 1;"
        "g = f + 1; h2 = g + 1; i = h2 + 1; j = i + 1; k = j + 1; l2 = 1;");
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_TRUE(reports[0].ends_with("Out of memory\n"));
    EXPECT_EQ(f.run.GetNumber("l2"), 1);
    // Texts doubled again and again.
    f.run = f.engine.BeginRun(f.stock);
    f.engine.SetMemoryLimit(1 << 20);
    std::string text = "s = \"abcdefgh\";";
    for (int i = 0; i < 40; ++i) text += "s = s + s;";
    reports = f.Run(text);
    EXPECT_FALSE(reports.empty());
    EXPECT_LE(EvaluatorOf(f.engine).Memory().BytesInUse(), std::size_t{1} << 20);
    EXPECT_LE(f.run.Output().size(), std::size_t{1} << 20);
    f.run.End();
    EXPECT_EQ(EvaluatorOf(f.engine).Memory().BlockCount(), 0u);
}

TEST(Engine, ReassignedVariablesGiveTheirArraysBack) {
    // 1000 bars: 4000 bytes an array. Under a limit of 64 arrays, 2000 statements each making
    // new arrays for the same variables only fit if every replaced array goes back.
    EngineFixture f(1000);
    f.engine.SetMemoryLimit(64 * 4000);
    std::string text = "keep = ma(c, 3); alias = keep;";
    for (int i = 0; i < 1000; ++i) text += "x = ma(c, 5); y = x * 2 + ma(c, 4);";
    // A variable's old array still read by the statement that replaces it, and one still held
    // by another variable after its first holder moves on.
    text += "old = x; z = x + (x = c); keep = 0;";
    EXPECT_TRUE(f.Run(text).empty());
    EXPECT_LT(EvaluatorOf(f.engine).Memory().BytesInUse(), std::size_t{16 * 4000});
    const auto alias = f.Array("alias"), old = f.Array("old"), c = f.Array("close");
    ASSERT_EQ(alias.size(), 1000u);
    EXPECT_FLOAT_EQ(alias[999], c[998]);  // ma(c, 3) of a rising line: the middle close
    EXPECT_FLOAT_EQ(old[999], c[997]);    // ma(c, 5)
    EXPECT_FLOAT_EQ(f.Array("z")[999], c[997] + c[999]);
    EXPECT_FLOAT_EQ(f.Array("y")[999], 2 * c[997] + (c[997] + c[998]) / 2);
}

TEST(Engine, RunWithoutBars) {
    Database db;
    Stock& s = test::AddTestStock(db, "NONE", 0);
    RecordingFormulaErrorSink errors;
    FormulaEngine engine(errors, &db);
    FormulaRun run = engine.BeginRun(s);
    run.Execute("x = close * 2 + ma(close, 3); y = lastvalue(x); z = advissues(); w = 3;");
    EXPECT_TRUE(errors.reports.empty());
    EXPECT_EQ(run.BarCount(), 0);
    EXPECT_EQ(run.GetNumber("y"), 0);
    EXPECT_NE(run.GetArray("w"), nullptr);
}

TEST(Engine, MemArrayFreesWhatItHolds) {
    MemArray pool;
    void* a = pool.Allocate(100);
    void* b = pool.Allocate(50);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(pool.BlockCount(), 2u);
    EXPECT_EQ(pool.BytesInUse(), 150u);
    pool.Free(a);
    int local = 0;
    pool.Free(&local);  // not a block of the pool: ignored
    pool.Free(a);       // already freed: ignored
    EXPECT_EQ(pool.BlockCount(), 1u);
    EXPECT_EQ(pool.BytesInUse(), 50u);
    pool.SetLimit(100);
    EXPECT_EQ(pool.Allocate(51), nullptr);
    EXPECT_NE(pool.Allocate(50), nullptr);
    pool.FreeAll();
    EXPECT_EQ(pool.BlockCount(), 0u);
    EXPECT_EQ(pool.BytesInUse(), 0u);
    // Large blocks are kept and handed out again after FreeAll; small ones are not.
    pool.SetLimit(MemArray::kDefaultLimit);
    void* big = pool.Allocate(MemArray::kSpareMinimum * 2);
    pool.Allocate(MemArray::kSpareMinimum / 2);
    pool.FreeAll();
    EXPECT_EQ(pool.SpareBytes(), MemArray::kSpareMinimum * 2);
    void* again = pool.Allocate(MemArray::kSpareMinimum * 2 - 10);
    EXPECT_EQ(again, big);
    EXPECT_EQ(pool.SpareBytes(), 0u);
    EXPECT_EQ(pool.BytesInUse(), MemArray::kSpareMinimum * 2);
    pool.FreeAll();
    pool.ReleaseSpare();
    EXPECT_EQ(pool.SpareBytes(), 0u);
    // A kept block more than twice the size asked for stays kept.
    void* large = pool.Allocate(MemArray::kSpareMinimum * 4);
    pool.FreeAll();
    EXPECT_NE(pool.Allocate(MemArray::kSpareMinimum), large);
    EXPECT_EQ(pool.SpareBytes(), MemArray::kSpareMinimum * 4);
}

TEST(Engine, ReportsReachTheUserInterfaceAndTheConsole) {
    Database db;
    Stock& s = test::AddTestStock(db, "UI", 3);
    RecordingUserInterface ui;
    UserInterfaceFormulaErrorSink sink(ui);
    FormulaEngine engine(sink, &db);
    FormulaRun run = engine.BeginRun(s);
    run.Execute("x = 1 +;");
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0], "QRX Error\n\nx = 1 +;\n       ^\n\nSyntax error");
    run.End();

    test::TempDir dir;
    std::FILE* out = std::fopen((dir / "err.txt").c_str(), "w+");
    ASSERT_NE(out, nullptr);
    ConsoleFormulaErrorSink console(out);
    console.ShowFormulaError("a\n^\n\nBad args\n");
    console.ShowFormulaError("b\n^\n\nSyntax error");
    std::fclose(out);
    EXPECT_EQ(test::ReadText(dir / "err.txt"),
              "QRX Error\na\n^\n\nBad args\n\nQRX Error\nb\n^\n\nSyntax error\n\n");
}

TEST(Engine, MathFunctions) {
    EngineFixture f(2);
    EXPECT_TRUE(f.Run("a = int(-2.5); b = frac(-2.5); c = round(2.5); d = round(-2.5);"
                      "e = abs(-3); g = ln(exp(1)); h = log(1); k = log10(1000); m = ceil(1.2);"
                      "n = floor(-1.2); p = sqrt(16); q = sin(0) + cos(0) + tan(0) + atan(0);"
                      "r = asin(1) * 2 - acos(-1);")
                    .empty());
    EXPECT_EQ(f.run.GetNumber("a"), -2);
    EXPECT_EQ(f.run.GetNumber("b"), -0.5f);
    EXPECT_EQ(f.run.GetNumber("c"), 3);
    EXPECT_EQ(f.run.GetNumber("d"), -2);
    EXPECT_EQ(f.run.GetNumber("e"), 3);
    EXPECT_FLOAT_EQ(f.run.GetNumber("g"), 1);
    EXPECT_EQ(f.run.GetNumber("h"), 0);
    EXPECT_EQ(f.run.GetNumber("k"), 3);
    EXPECT_EQ(f.run.GetNumber("m"), 2);
    EXPECT_EQ(f.run.GetNumber("n"), -2);
    EXPECT_EQ(f.run.GetNumber("p"), 4);
    EXPECT_EQ(f.run.GetNumber("q"), 1);
    EXPECT_NEAR(f.run.GetNumber("r"), 0, 1e-6);
}

}  // namespace
}  // namespace velmora
