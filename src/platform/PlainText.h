#pragma once
// Texts that are kept one to a line or one to a field of a tab-separated line (tickers, stock
// and category names, chart and tool names): a tab, line feed or carriage return inside one
// would split its line or field, so every place that takes such a text refuses them.

#include <cstddef>
#include <string_view>

#include "platform/Status.h"

namespace velmora {

// The rule as every message states it, after the name of the text.
inline constexpr char kPlainTextRule[] = "must not hold a tab or a line break";

// The byte offset of the first tab, LF or CR of the text; npos when there is none.
std::size_t FindTabOrLineBreak(std::string_view text);

// Ok for a text without tabs and line breaks; otherwise the failure "WHAT must not hold a tab
// or a line break (it holds a tab at character 4)", counting characters of the UTF-8 text
// from 1.
Status CheckPlainText(std::string_view what, std::string_view text);

}  // namespace velmora
