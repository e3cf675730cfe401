#include "formula/FormulaEditing.h"

#include <algorithm>
#include <string_view>

#include "formula/FunctionHelp.h"
#include "formula/Scanner.h"
#include "formula/Vocabulary.h"
#include "platform/NoCase.h"

namespace velmora {

namespace {

bool IsOperator(unsigned char c) {
    return std::string_view("=+-*/^<>(),;").find(static_cast<char>(c)) != std::string_view::npos;
}

bool IsWordChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

bool IsPriceArray(std::string_view name) {
    const auto same = [name](std::string_view word) { return EqualNoCase(word, name); };
    return std::any_of(kPriceArrayNames.begin(), kPriceArrayNames.end(), same) ||
           std::any_of(kPriceArrayShortNames.begin(), kPriceArrayShortNames.end(), same);
}

std::string Lower(std::string_view word) {
    std::string lower(word);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return lower;
}

bool IsChar(const Token& token, char c) {
    return token.kind == TokenKind::Char && token.ch == static_cast<unsigned char>(c);
}

// Every token up to the end of text (not included).
std::vector<Token> Tokens(std::string_view text) {
    std::vector<Token> tokens;
    Scanner scanner(text);
    for (Token t = scanner.Next(); t.kind != TokenKind::End; t = scanner.Next())
        tokens.push_back(std::move(t));
    return tokens;
}

// The names assigned anywhere in the text (an identifier followed by "="), lower-cased.
std::vector<std::string> AssignedNames(const std::vector<Token>& tokens) {
    std::vector<std::string> names;
    for (std::size_t i = 0; i + 1 < tokens.size(); ++i) {
        if (tokens[i].kind == TokenKind::Identifier && IsChar(tokens[i + 1], '='))
            names.push_back(Lower(tokens[i].text));
    }
    return names;
}

TokenStyle StyleOf(const Token& token, const std::vector<std::string>& assigned) {
    switch (token.kind) {
        case TokenKind::Number:
            return TokenStyle::Number;
        case TokenKind::String:
            return TokenStyle::String;
        case TokenKind::And:
        case TokenKind::Or:
        case TokenKind::Not:
            return TokenStyle::Keyword;
        case TokenKind::Eq:
        case TokenKind::Ne:
        case TokenKind::Ge:
        case TokenKind::Le:
            return TokenStyle::Operator;
        case TokenKind::Char:
            return IsOperator(token.ch) ? TokenStyle::Operator : TokenStyle::Invalid;
        case TokenKind::Identifier:
            break;
        case TokenKind::End:
            return TokenStyle::Comment;
    }
    if (FindFunctionHelp(token.text) != nullptr) return TokenStyle::Function;
    if (IsPriceArray(token.text)) return TokenStyle::PriceArray;
    const std::string lower = Lower(token.text);
    return std::find(assigned.begin(), assigned.end(), lower) != assigned.end()
               ? TokenStyle::Variable
               : TokenStyle::Unknown;
}

// The comments in the gap [begin, end) between two tokens: from its first to its last
// character that is not blank.
void AddGap(std::string_view text, std::size_t begin, std::size_t end,
            std::vector<StyledSpan>& spans) {
    const std::string_view gap = text.substr(begin, end - begin);
    const std::size_t first = gap.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) return;
    const std::size_t last = gap.find_last_not_of(" \t\r\n");
    spans.push_back({begin + first, begin + last + 1, TokenStyle::Comment});
}

}  // namespace

std::vector<StyledSpan> HighlightSpans(std::string_view text) {
    std::vector<StyledSpan> spans;
    Scanner scanner(text);
    std::vector<Token> tokens;
    Token t = scanner.Next();
    for (; t.kind != TokenKind::End; t = scanner.Next()) tokens.push_back(std::move(t));
    const std::vector<std::string> assigned = AssignedNames(tokens);
    std::size_t previousEnd = 0;
    for (const Token& token : tokens) {
        AddGap(text, previousEnd, token.begin, spans);
        spans.push_back({token.begin, token.end, StyleOf(token, assigned)});
        previousEnd = token.end;
    }
    AddGap(text, previousEnd, t.begin, spans);
    // "~" (or a byte 0xFF) ends the text: it and what follows are ignored, like a comment.
    if (t.begin < text.size()) spans.push_back({t.begin, text.size(), TokenStyle::Comment});
    return spans;
}

std::optional<std::size_t> MatchingParenthesis(std::string_view text, std::size_t offset) {
    const std::vector<Token> tokens = Tokens(text);
    const auto at = std::find_if(tokens.begin(), tokens.end(),
                                 [offset](const Token& t) { return t.begin == offset; });
    if (at == tokens.end() || (!IsChar(*at, '(') && !IsChar(*at, ')'))) return std::nullopt;
    const bool forward = IsChar(*at, '(');
    int depth = 0;
    const auto step = [&](const Token& t) {
        if (IsChar(t, '(')) depth += forward ? 1 : -1;
        if (IsChar(t, ')')) depth += forward ? -1 : 1;
        return depth == 0;
    };
    if (forward) {
        for (auto it = at; it != tokens.end(); ++it)
            if (step(*it)) return it->begin;
    } else {
        for (auto it = std::make_reverse_iterator(at + 1); it != tokens.rend(); ++it)
            if (step(*it)) return it->begin;
    }
    return std::nullopt;
}

std::optional<CallAtCursor> CallAt(std::string_view text, std::size_t offset) {
    // The open parentheses before the offset, innermost last, each with the call it opens
    // (empty for a plain grouping) and the commas met in it.
    std::vector<CallAtCursor> open;
    const std::vector<Token> tokens = Tokens(text);
    for (std::size_t i = 0; i < tokens.size() && tokens[i].begin < offset; ++i) {
        const Token& token = tokens[i];
        if (IsChar(token, '(')) {
            const bool call = i > 0 && tokens[i - 1].kind == TokenKind::Identifier &&
                              FindFunctionHelp(tokens[i - 1].text) != nullptr;
            open.push_back({call ? tokens[i - 1].text : std::string(), 0, token.begin});
        } else if (IsChar(token, ')') && !open.empty()) {
            open.pop_back();
        } else if (IsChar(token, ',') && !open.empty()) {
            ++open.back().argument;
        } else if (IsChar(token, ';')) {
            open.clear();
        }
    }
    while (!open.empty() && open.back().function.empty()) open.pop_back();
    if (open.empty()) return std::nullopt;
    return open.back();
}

std::size_t WordStart(std::string_view text, std::size_t offset) {
    std::size_t begin = std::min(offset, text.size());
    while (begin > 0 && IsWordChar(text[begin - 1])) --begin;
    // An identifier begins with a letter.
    while (begin < offset && !((text[begin] >= 'A' && text[begin] <= 'Z') ||
                               (text[begin] >= 'a' && text[begin] <= 'z')))
        ++begin;
    return begin;
}

}  // namespace velmora
