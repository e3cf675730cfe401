#pragma once
// What an editor needs to know about a formula text, from the program's own scanner: the
// highlighting of every token, matching parentheses, the call the cursor stands in and the
// word before the cursor. Positions are byte offsets into the text.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

enum class TokenStyle {
    Keyword,  // AND, OR, NOT
    Number,
    String,
    Comment,     // comments, and whatever follows the "~" that ends the text
    Function,    // a built-in or math function
    PriceArray,  // close, c, open, ...
    Variable,    // assigned somewhere in the text
    Unknown,     // an identifier that is neither of the above
    Operator,    // = + - * / ^ < > == != <= >= ( ) , ;
    Invalid,     // a character outside the language
};

struct StyledSpan {
    std::size_t begin = 0;
    std::size_t end = 0;
    TokenStyle style = TokenStyle::Operator;
};

// Every token and comment of the text, in order; blanks between them have no span.
std::vector<StyledSpan> HighlightSpans(std::string_view text);

// The parenthesis matching the one that begins at `offset` (searching forward from "(",
// backward from ")"); none when there is no parenthesis there or it is unmatched. Parentheses
// in strings and comments do not count.
std::optional<std::size_t> MatchingParenthesis(std::string_view text, std::size_t offset);

// The innermost function call whose parentheses enclose `offset`: the function's name as
// written, which argument the offset is in (from 0) and where its "(" is.
struct CallAtCursor {
    std::string function;
    int argument = 0;
    std::size_t open = 0;
};
std::optional<CallAtCursor> CallAt(std::string_view text, std::size_t offset);

// Where the identifier that ends at `offset` begins (`offset` itself when none ends there).
std::size_t WordStart(std::string_view text, std::size_t offset);

}  // namespace velmora
