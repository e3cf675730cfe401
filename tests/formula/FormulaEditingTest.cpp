// What the formula editor and the checker take from the scanner and the engine: the
// highlighting of every kind of token, where errors lie, completion, the call at the cursor,
// matching parentheses, and the function help against the built-in table.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "formula/Builtins.h"
#include "formula/FormulaChecker.h"
#include "formula/FormulaEditing.h"
#include "formula/FunctionHelp.h"
#include "formula/MathFunctions.h"

namespace velmora {
namespace {

struct Expected {
    std::size_t begin, end;
    TokenStyle style;
};

TEST(FormulaEditing, HighlightsEveryKindOfToken) {
    const std::string text = "q = ma(c, 10) AND \"s\"; // n\nb >= zz $ ~ rest";
    using S = TokenStyle;
    const std::vector<Expected> expected = {
        {0, 1, S::Variable},   {2, 3, S::Operator},   {4, 6, S::Function},   {6, 7, S::Operator},
        {7, 8, S::PriceArray}, {8, 9, S::Operator},   {10, 12, S::Number},   {12, 13, S::Operator},
        {14, 17, S::Keyword},  {18, 21, S::String},   {21, 22, S::Operator}, {23, 27, S::Comment},
        {28, 29, S::Unknown},  {30, 32, S::Operator}, {33, 35, S::Unknown},  {36, 37, S::Invalid},
        {38, 44, S::Comment},
    };
    const std::vector<StyledSpan> spans = HighlightSpans(text);
    ASSERT_EQ(spans.size(), expected.size());
    for (std::size_t i = 0; i < spans.size(); ++i) {
        EXPECT_EQ(spans[i].begin, expected[i].begin) << i;
        EXPECT_EQ(spans[i].end, expected[i].end) << i;
        EXPECT_EQ(spans[i].style, expected[i].style) << i;
    }
    // A block comment over two lines is one span; a name assigned later is still a variable.
    const std::vector<StyledSpan> later = HighlightSpans("/* a\n b */ x = y; y = 1;");
    ASSERT_EQ(later.size(), 9u);
    EXPECT_EQ(later[0].end, 10u);
    EXPECT_EQ(later[0].style, TokenStyle::Comment);
    EXPECT_EQ(later[3].style, TokenStyle::Variable);
}

TEST(FormulaEditing, ErrorsLieWhereTheyAre) {
    // An unknown identifier on the second line: the name itself.
    auto errors = CheckFormula("a = 1;\r\nb = zz + 1;");
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].message, "Unknown identifier");
    EXPECT_EQ(errors[0].begin, 12u);
    EXPECT_EQ(errors[0].end, 14u);
    EXPECT_EQ(errors[0].line, 2);
    EXPECT_EQ(errors[0].column, 5);
    EXPECT_EQ(errors[0].endLine, 2);
    EXPECT_EQ(errors[0].endColumn, 7);
    // The missing ";" at the end of the text: an empty span there.
    errors = CheckFormula("a = 1;\nb = 2  // none\n");
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].message, "Syntax error");
    EXPECT_EQ(errors[0].begin, 22u);
    EXPECT_EQ(errors[0].end, 22u);
    EXPECT_EQ(errors[0].line, 3);
    EXPECT_EQ(errors[0].column, 1);
    // A wrong argument count: the whole call; the next statement runs and fails on its own.
    errors = CheckFormula("x = 1 + ma(c);\ny = obv(1);");
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_EQ(errors[0].message, "Missing arguments");
    EXPECT_EQ(errors[0].begin, 8u);
    EXPECT_EQ(errors[0].end, 13u);
    EXPECT_EQ(errors[1].message, "Too many arguments");
    EXPECT_EQ(errors[1].line, 2);
    EXPECT_EQ(errors[1].column, 5);
    // A sound formula, relative strength and the market arrays included.
    EXPECT_TRUE(CheckFormula("r = relstrength(\"X\") + advissues(); buy = cross(r, 1);").empty());
}

TEST(FormulaEditing, CompletesNamesCallsAndParentheses) {
    EXPECT_EQ(CompletionsFor("ma"), (std::vector<std::string>{"ma", "macd", "max"}));
    EXPECT_EQ(CompletionsFor("O"),
              (std::vector<std::string>{"o", "obv", "oi", "open", "openint", "optimize", "OR",
                                        "oscp", "oscv", "outside"}));
    EXPECT_TRUE(CompletionsFor("zz").empty());

    const std::string text = "x = ma(c, hhv((h), 5";
    auto call = CallAt(text, text.size());
    ASSERT_TRUE(call.has_value());
    EXPECT_EQ(call->function, "hhv");
    EXPECT_EQ(call->argument, 1);
    call = CallAt(text, 10);  // after "ma(c, "
    ASSERT_TRUE(call.has_value());
    EXPECT_EQ(call->function, "ma");
    EXPECT_EQ(call->argument, 1);
    EXPECT_FALSE(CallAt("x = (1, 2", 9).has_value());
    EXPECT_FALSE(CallAt("x = ma(c, 2); y = ", 18).has_value());

    const std::string parens = "y = (a + (b)) * \"(\" // )\n)";
    EXPECT_EQ(MatchingParenthesis(parens, 4), 12u);
    EXPECT_EQ(MatchingParenthesis(parens, 12), 4u);
    EXPECT_EQ(MatchingParenthesis(parens, 9), 11u);
    EXPECT_FALSE(MatchingParenthesis(parens, 17).has_value());  // inside a string
    EXPECT_FALSE(MatchingParenthesis(parens, 25).has_value());  // unmatched
    EXPECT_EQ(WordStart("x = hh", 6), 4u);
    EXPECT_EQ(WordStart("x = 12ab", 8), 6u);  // "12" is a number, "ab" a name
}

std::size_t ArgumentCount(const FunctionHelp& help) {
    const std::string args = help.arguments;
    if (args.empty()) return 0;
    std::size_t n = 1;
    for (std::size_t at = args.find(", "); at != std::string::npos; at = args.find(", ", at + 2))
        ++n;
    return n;
}

TEST(FunctionHelp, CoversEveryFunctionWithItsArgumentsAndASoundExample) {
    std::size_t functions = 0;
    for (const BuiltinEntry& entry : BuiltinTable()) {
        const FunctionHelp* help = FindFunctionHelp(entry.name);
        ASSERT_NE(help, nullptr) << entry.name;
        EXPECT_EQ(ArgumentCount(*help), static_cast<std::size_t>(entry.Total())) << entry.name;
        ++functions;
    }
    for (const MathFunction& math : MathFunctions()) {
        const FunctionHelp* help = FindFunctionHelp(math.name);
        ASSERT_NE(help, nullptr) << math.name;
        EXPECT_EQ(ArgumentCount(*help), 1u) << math.name;
        ++functions;
    }
    EXPECT_EQ(FunctionHelpTable().size(), functions);
    for (const FunctionHelp& help : FunctionHelpTable()) {
        EXPECT_TRUE(CheckFormula(help.example).empty()) << help.name << ": " << help.example;
    }
    EXPECT_EQ(FunctionSignature(*FindFunctionHelp("SAR")), "sar(step = 0.02, maximum = 0.2)");
    EXPECT_EQ(FunctionSignature(*FindFunctionHelp("peak")), "peak(array, change, n = 1)");
    EXPECT_EQ(FunctionEntry(*FindFunctionHelp("roc")),
              "roc(array, periods = 12) \u2014 rate of change in percent against `periods` bars "
              "earlier\n"
              "  array: array (a number is taken as that value on every bar)\n"
              "  periods: number, default 12\n"
              "  returns: array: (v - v[-periods]) * 100 / v[-periods], 0 where the old value is "
              "0\n"
              "  warm-up: the first `periods` bars of the array\n"
              "  example: r = roc(close, 10);\n");
}

}  // namespace
}  // namespace velmora
