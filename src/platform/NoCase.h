#pragma once
// Comparison of text with ASCII letters folded: tickers, names, file names and settings keys
// are compared this way throughout the program. Other bytes compare as unsigned values.

#include <string_view>

namespace velmora {

// Negative, zero or positive as `a` sorts before, equal to or after `b`.
int CompareNoCase(std::string_view a, std::string_view b);
inline bool EqualNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && CompareNoCase(a, b) == 0;
}

}  // namespace velmora
