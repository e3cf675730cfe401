// The grammar: precedence and associativity, evaluation while parsing, error recovery and the
// error report text.

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "FormulaTestSupport.h"
#include "formula/Parser.h"

namespace velmora {
namespace {

using test::EngineFixture;

struct PrecedenceCase {
    const char* text;
    float expected;
};

// Each case's result differs between the intended grouping and the tempting wrong one.
TEST(Grammar, PrecedenceAndAssociativity) {
    const PrecedenceCase cases[] = {
        {"r = 1 + 2 * 3;", 7},         {"r = (1 + 2) * 3;", 9},  {"r = 1 - 2 + 3;", 2},
        {"r = 8 / 2 * 2;", 8},         {"r = 2 ^ 3 ^ 2;", 512},  {"r = -2 ^ 2;", -4},
        {"r = -(2) ^ 2;", -4},         {"r = -2 ^ 2 * 3;", -12}, {"r = 2 - -3;", 5},
        {"r = 2 ^ -1;", 0.5f},         {"r = 3 > 1 + 1;", 1},    {"r = 2 == 1 < 2;", 0},
        {"r = 3 < 2 < 1;", 1},         {"r = 1 == 2 == 0;", 1},  {"r = NOT 2 == 3;", 1},
        {"r = NOT 0 AND 0;", 0},       {"r = NOT 1 + 1;", 0},    {"r = 1 OR 0 AND 0;", 1},
        {"r = 0 AND 1 OR 1;", 1},      {"r = 1 or 1 and 0;", 1}, {"r = 2 * 3 + 4 * 5;", 26},
        {"r = 7 - 2 * 3 ^ 2 / 6;", 4}, {"r = 5 >= 5 <= 0;", 0},  {"r = 4 != 4 == 0;", 1},
    };
    for (const PrecedenceCase& c : cases) {
        EngineFixture f;
        EXPECT_TRUE(f.Run(c.text).empty()) << c.text;
        EXPECT_EQ(f.run.GetNumber("r"), c.expected) << c.text;
    }
}

TEST(Grammar, AssignmentIsRightAssociativeAndExtendsRight) {
    EngineFixture f;
    EXPECT_TRUE(f.Run("a = b = 3; r = a + b; s = (t = 2) * 5 + t;").empty());
    EXPECT_EQ(f.run.GetNumber("a"), 3);
    EXPECT_EQ(f.run.GetNumber("b"), 3);
    EXPECT_EQ(f.run.GetNumber("r"), 6);
    EXPECT_EQ(f.run.GetNumber("s"), 12);
    EXPECT_EQ(f.run.GetNumber("t"), 2);
    // The right side takes everything: u = 1 + 1, not (u = 1) + 1.
    f.Run("u = 1 + 1;");
    EXPECT_EQ(f.run.GetNumber("u"), 2);
}

TEST(Grammar, EmptyTextsAndCommentsDoNothing) {
    EngineFixture f;
    for (const char* text : {"", "   \n\t", "// only a comment", "/* block */ ;;; // x\n"}) {
        EXPECT_TRUE(f.Run(text).empty()) << text;
    }
    EXPECT_TRUE(f.Run("a = 1; // note\n// more\n/* and\n more */ b = a + 1;").empty());
    EXPECT_EQ(f.run.GetNumber("b"), 2);
    EXPECT_FALSE(f.engine.ErrorFlag());
}

TEST(Grammar, SyntaxErrorsOfTheLanguage) {
    const char* bad[] = {
        "my_var = 1;", "ma = 1;", "ma;",        "sqrt(1, 2);", "sqrt();", "+1;",    "a <> b;",
        "a && b;",     "!a;",     "x = 1 . 2;", "1 = x;",      "(1;",     "f = );",
    };
    for (const char* text : bad) {
        EngineFixture f;
        const auto reports = f.Run(text);
        ASSERT_EQ(reports.size(), 1u) << text;
        EXPECT_TRUE(reports[0].ends_with("^\n\nSyntax error")) << text << "\n" << reports[0];
        EXPECT_TRUE(f.engine.ErrorFlag());
    }
}

TEST(Grammar, CaseInsensitiveNames) {
    EngineFixture f;
    EXPECT_TRUE(f.Run("d = Close - CLOSE + close * 0; Mine = 4; r = MINE + mine;").empty());
    EXPECT_EQ(f.Array("d"), std::vector<float>(8, 0.0f));
    EXPECT_EQ(f.run.GetNumber("r"), 8);
    EXPECT_EQ(f.run.GetNumber("mInE"), 4);
}

TEST(Grammar, ReportTextPointsAtTheScanPosition) {
    EngineFixture f;
    // First line: the text from the start, the caret under the last scanned character.
    EXPECT_EQ(f.Run("x = 1 +;"), std::vector<std::string>{"x = 1 +;\n       ^\n\nSyntax error"});
    // Later line: from the line break before the position, which counts as one character.
    EXPECT_EQ(f.Run("a = 1;\nb = 2 +; c = 3;"),
              std::vector<std::string>{"\nb = 2 +;\n        ^\n\nSyntax error"});
    // The identifier is reduced only once the token after it has been read.
    EXPECT_EQ(f.Run("y = x + 1; x = 2;"),
              std::vector<std::string>{"y = x +\n      ^\n\nUnknown identifier"});
    EXPECT_EQ(f.Run("my_var = 1;"), std::vector<std::string>{"my_\n  ^\n\nSyntax error"});
    // Evaluation messages carry their own line feed.
    EXPECT_EQ(f.Run("s = \"a\" + close;"),
              std::vector<std::string>{
                  "s = \"a\" + close;\n               ^\n\nOperation not allowed\n"});
}

TEST(Grammar, LongLinesAreShortenedFromTheirStart) {
    EngineFixture f;
    const std::string text = "x = " + std::string(2000, '1') + " +;";
    const auto reports = f.Run(text);
    ASSERT_EQ(reports.size(), 1u);
    const std::string& r = reports[0];
    EXPECT_LE(r.size(), FormulaEngine::kMaxReport);
    EXPECT_TRUE(r.ends_with(" +;\n" + std::string(r.find('\n') - 1, ' ') + "^\n\nSyntax error"))
        << r;
    EXPECT_TRUE(r.starts_with("111"));
}

TEST(Grammar, ManyErrorsOnOneLongLine) {
    EngineFixture f(2);
    std::string text;
    for (int i = 0; i < 20000; ++i) text += "x = ); ";
    const auto reports = f.Run(text + "y = 1;");
    EXPECT_EQ(reports.size(), 20000u);
    const std::string& last = reports.back();
    const std::size_t lineEnd = last.find('\n');
    EXPECT_TRUE(last.substr(0, lineEnd).ends_with("; x = )")) << last;
    EXPECT_EQ(last.substr(lineEnd), "\n" + std::string(lineEnd - 1, ' ') + "^\n\nSyntax error");
    EXPECT_LE(last.size(), FormulaEngine::kMaxReport);
    EXPECT_EQ(f.run.GetNumber("y"), 1);
}

TEST(Grammar, RecoveryResumesAtTheNextStatement) {
    EngineFixture f;
    // One report per faulty statement; the statements around it run.
    auto reports = f.Run("a = 1; b = ) x y z ( ; c = 3; d = ); e = 5;");
    EXPECT_EQ(reports.size(), 2u);
    EXPECT_EQ(f.run.GetNumber("a"), 1);
    EXPECT_EQ(f.run.GetNumber("c"), 3);
    EXPECT_EQ(f.run.GetNumber("e"), 5);
    // Evaluation errors recover the same way, without a "Syntax error".
    reports = f.Run("g = \"a\" + 1; h = 2; k = -\"s\"; m = 4;");
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_TRUE(reports[0].ends_with("Operation not allowed\n"));
    EXPECT_TRUE(reports[1].ends_with("Bad argument\n"));
    EXPECT_EQ(f.run.GetNumber("h"), 2);
    EXPECT_EQ(f.run.GetNumber("m"), 4);
    // An error while discarding up to the end of the text stops parsing, with one report.
    reports = f.Run("n = 1; p = ) q r");
    EXPECT_EQ(reports.size(), 1u);
    EXPECT_EQ(f.run.GetNumber("n"), 1);
}

TEST(Grammar, UnknownIdentifierThenAssigned) {
    EngineFixture f;
    const auto reports = f.Run("y = x + 1; x = 2; z = x * 3;");
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_TRUE(reports[0].ends_with("Unknown identifier"));
    EXPECT_EQ(f.run.GetNumber("x"), 2);
    EXPECT_EQ(f.run.GetNumber("z"), 6);
    // y was mentioned but never assigned: it holds the number 0.
    EXPECT_EQ(f.Array("y"), std::vector<float>(8, 0.0f));
}

TEST(Grammar, EvaluationHappensWhileParsing) {
    EngineFixture f;
    // The assignment inside the failing statement has already happened.
    auto reports = f.Run("x = 1; y = (x = 5) + \"s\";");
    EXPECT_EQ(reports.size(), 1u);
    EXPECT_EQ(f.run.GetNumber("x"), 5);
    EXPECT_EQ(f.run.GetNumber("y"), 0);  // never assigned
    // Without its ";" the last statement is still evaluated, but writes no text.
    reports = f.Run("a = 2 ; \"hidden\"");
    EXPECT_EQ(reports.size(), 1u);
    EXPECT_EQ(f.run.Output(), "");
    reports = f.Run("b = 7");
    EXPECT_EQ(reports.size(), 1u);
    EXPECT_TRUE(reports[0].ends_with("Syntax error"));
    EXPECT_EQ(f.run.GetNumber("b"), 7);
    // "~" ends the text: the statement lacks its ";".
    reports = f.Run("t = 1 ~ anything; u = 2;");
    EXPECT_EQ(reports.size(), 1u);
    EXPECT_EQ(f.run.GetNumber("t"), 1);
    EXPECT_EQ(f.run.GetNumber("u"), 0);
}

TEST(Grammar, TextEndsAtNulAnd0xFF) {
    EngineFixture f;
    EXPECT_TRUE(f.Run(std::string("a = 1;\0 b = 2;", 14)).empty());
    EXPECT_TRUE(f.Run("c = 3;\xff d = 4;").empty());
    EXPECT_EQ(f.run.GetNumber("a"), 1);
    EXPECT_EQ(f.run.GetNumber("b"), 0);
    EXPECT_EQ(f.run.GetNumber("c"), 3);
    EXPECT_EQ(f.run.GetNumber("d"), 0);
}

TEST(Grammar, DeepNestingStopsWithStackOverflow) {
    EngineFixture f;
    // Within the stack: fine.
    const std::string deep = "r = " + std::string(4000, '(') + "1" + std::string(4000, ')') + ";";
    EXPECT_TRUE(f.Run(deep).empty());
    EXPECT_EQ(f.run.GetNumber("r"), 1);
    // One million "(": one report and a stop, the statements before it done.
    const auto reports = f.Run("q = 2; " + std::string(1000000, '(') + "; w = 1;");
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_TRUE(reports[0].ends_with("^\n\nparser stack overflow"));
    EXPECT_LE(reports[0].size(), FormulaEngine::kMaxReport);
    EXPECT_EQ(f.run.GetNumber("q"), 2);
    EXPECT_EQ(f.run.GetNumber("w"), 0);
    // Just past the limit of states.
    EXPECT_EQ(f.Run("r = " + std::string(kParserMaxDepth, '-') + "1;").size(), 1u);
    // Statements do not deepen the stack.
    std::string many;
    for (int i = 0; i < 30000; ++i) many += "k = k + 1;";
    EXPECT_TRUE(f.Run("k = 0;" + many).empty());
    EXPECT_EQ(f.run.GetNumber("k"), 30000);
}

TEST(Grammar, IdentifiersLongerThan79AreCut) {
    EngineFixture f;
    const std::string a79(79, 'a');
    EXPECT_TRUE(f.Run(a79 + "xyz = 5; r = " + a79 + "q + 1;").empty());
    EXPECT_EQ(f.run.GetNumber(a79), 5);
    EXPECT_EQ(f.run.GetNumber("r"), 6);
}

TEST(Grammar, SurvivesArbitraryBytes) {
    // Random texts over the language's characters and some raw bytes: no crash, no hang,
    // reports within their size.
    const std::string alphabet =
        "abcxyzACLOSE019.eE+-*/^<>=!();,\"\\~ \n\r\t_[{#'/*NOTANDOR\xff\x80\x01";
    std::mt19937 rng(12345);
    EngineFixture f(5);
    for (int round = 0; round < 1500; ++round) {
        std::string text;
        const int length = static_cast<int>(rng() % 120);
        for (int i = 0; i < length; ++i) {
            if (rng() % 13 == 0) {
                text += static_cast<char>(rng() % 256);
            } else {
                text += alphabet[rng() % alphabet.size()];
            }
        }
        for (const std::string& r : f.Run(text)) {
            ASSERT_LE(r.size(), FormulaEngine::kMaxReport);
            ASSERT_NE(r.find("^\n\n"), std::string::npos);
        }
    }
    f.run.End();
}

}  // namespace
}  // namespace velmora
