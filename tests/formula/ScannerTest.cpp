#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "formula/Scanner.h"

namespace velmora {
namespace {

std::vector<Token> ScanAll(std::string_view text) {
    Scanner scanner(text);
    std::vector<Token> tokens;
    for (int guard = 0; guard < 10000; ++guard) {
        Token t = scanner.Next();
        if (t.kind == TokenKind::End) break;
        tokens.push_back(std::move(t));
    }
    return tokens;
}

// A compact picture of the tokens: N(value) S(text) I(name) and the operators.
std::string Describe(std::string_view text) {
    std::string out;
    for (const Token& t : ScanAll(text)) {
        if (!out.empty()) out += ' ';
        switch (t.kind) {
            case TokenKind::Number: {
                char buf[32];
                std::snprintf(buf, sizeof buf, "N(%.9g)", t.number);
                out += buf;
                break;
            }
            case TokenKind::String:
                out += "S(" + t.text + ")";
                break;
            case TokenKind::Identifier:
                out += "I(" + t.text + ")";
                break;
            case TokenKind::And:
                out += "AND";
                break;
            case TokenKind::Or:
                out += "OR";
                break;
            case TokenKind::Not:
                out += "NOT";
                break;
            case TokenKind::Eq:
                out += "==";
                break;
            case TokenKind::Ne:
                out += "!=";
                break;
            case TokenKind::Ge:
                out += ">=";
                break;
            case TokenKind::Le:
                out += "<=";
                break;
            case TokenKind::Char:
                out += static_cast<char>(t.ch);
                break;
            case TokenKind::End:
                break;
        }
    }
    return out;
}

TEST(Scanner, TokensOperatorsAndKeywords) {
    EXPECT_EQ(Describe("buy = cross(a1, 0);"), "I(buy) = I(cross) ( I(a1) , N(0) ) ;");
    EXPECT_EQ(Describe("a!=b==c>=d<=e<f>g"), "I(a) != I(b) == I(c) >= I(d) <= I(e) < I(f) > I(g)");
    EXPECT_EQ(Describe("x and Or NOT nOt andy"), "I(x) AND OR NOT NOT I(andy)");
    EXPECT_EQ(Describe("! & | _ [ { # '"), "! & | _ [ { # '");
    // A lone "!" before "=" with a blank is not "!=".
    EXPECT_EQ(Describe("a ! = b"), "I(a) ! = I(b)");
    EXPECT_EQ(Describe("my_var"), "I(my) _ I(var)");
}

TEST(Scanner, NumbersAreUnsignedDecimalFloats) {
    EXPECT_EQ(Describe("-5"), "- N(5)");
    EXPECT_EQ(Describe("1.5 .25 7. 2e3 2E-3 1.5e+1"),
              "N(1.5) N(0.25) N(7) N(2000) N(0.00200000009) N(15)");
    // An exponent needs digits; otherwise the "e" starts an identifier.
    EXPECT_EQ(Describe("1e 1e+ 3x"), "N(1) I(e) N(1) I(e) + N(3) I(x)");
    EXPECT_EQ(Describe("1.5.5"), "N(1.5) N(0.5)");
    EXPECT_EQ(Describe("0x10"), "N(0) I(x10)");
    // A lone "." is a character of its own, which the grammar rejects.
    EXPECT_EQ(Describe(". a.b"), ". I(a) . I(b)");
    // 32-bit rounding.
    const auto t = ScanAll("0.1");
    ASSERT_EQ(t.size(), 1u);
    EXPECT_EQ(t[0].number, 0.1f);
    EXPECT_TRUE(std::isinf(ScanAll("1e39")[0].number));
    EXPECT_TRUE(std::isinf(ScanAll(std::string(400, '9'))[0].number));
    EXPECT_EQ(ScanAll("1e-50")[0].number, 0.0f);
    EXPECT_EQ(ScanAll("0." + std::string(300, '0') + "1")[0].number, 0.0f);
    EXPECT_EQ(ScanAll("1e99999999999999999999")[0].number, INFINITY);
    EXPECT_EQ(ScanAll("10000000000")[0].number, 1e10f);
}

TEST(Scanner, StringsAndEscapes) {
    EXPECT_EQ(Describe(R"("a\nb")"), "S(a\nb)");
    EXPECT_EQ(Describe(R"("q\"x\\y\z")"), "S(q\"x\\yz)");
    EXPECT_EQ(Describe("\"two\nlines\" 1"), "S(two\nlines) N(1)");
    // Unterminated: the string runs to the end of the text, a trailing backslash included.
    EXPECT_EQ(Describe("\"open ; x = 1;"), "S(open ; x = 1;)");
    EXPECT_EQ(Describe("\"ends with \\"), "S(ends with )");
    EXPECT_EQ(Describe("\"\""), "S()");
}

TEST(Scanner, CommentsAndBlanks) {
    EXPECT_EQ(Describe("a; // note\n// more\r/* block\n */ b;"), "I(a) ; I(b) ;");
    // The search for "*/" starts at the star of "/*": "/*/" is a whole comment.
    EXPECT_EQ(Describe("a /*/ b */ c"), "I(a) I(b) * / I(c)");
    EXPECT_EQ(Describe("a /**/ b"), "I(a) I(b)");
    EXPECT_EQ(Describe("a /* b"), "I(a)");  // unterminated block comment
    EXPECT_EQ(Describe("a // to the end"), "I(a)");
    EXPECT_EQ(Describe("a / b"), "I(a) / I(b)");
    EXPECT_EQ(Describe(" \t\r\n"), "");
    // Only space, tab, CR and LF are blanks.
    EXPECT_EQ(Describe("a\fb"), "I(a) \f I(b)");
}

TEST(Scanner, EndOfText) {
    EXPECT_EQ(Describe("a = 1 ~ anything; b = 2;"), "I(a) = N(1)");
    EXPECT_EQ(Describe(std::string("a;\0b;", 5)), "I(a) ;");
    EXPECT_EQ(Describe("a;\xff"
                       "b;"),
              "I(a) ;");
    // Byte 0xFF inside a string or comment does not end the text.
    EXPECT_EQ(Describe("\"x\xffy\" z"), "S(x\xffy) I(z)");
    Scanner s("a ~ b");
    EXPECT_EQ(s.Next().kind, TokenKind::Identifier);
    EXPECT_EQ(s.Next().kind, TokenKind::End);
    EXPECT_EQ(s.Next().kind, TokenKind::End);  // stays at the end
}

TEST(Scanner, IdentifiersAreCutTo79Characters) {
    const std::string longName = std::string(79, 'a') + "bcdef123";
    const auto t = ScanAll(longName + " x");
    ASSERT_EQ(t.size(), 2u);
    EXPECT_EQ(t[0].text, std::string(79, 'a'));
    EXPECT_EQ(t[1].text, "x");
    EXPECT_EQ(ScanAll(std::string(100000, 'z'))[0].text.size(), 79u);
}

TEST(Scanner, PositionFollowsTheConsumedText) {
    Scanner s("ab  +\n  cd");
    s.Next();
    EXPECT_EQ(s.Position(), 2u);
    s.Next();
    EXPECT_EQ(s.Position(), 5u);
    s.Next();
    EXPECT_EQ(s.Position(), 10u);
    EXPECT_EQ(s.Next().kind, TokenKind::End);
    EXPECT_EQ(s.Position(), 10u);
}

}  // namespace
}  // namespace velmora
