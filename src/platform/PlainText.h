#pragma once
// Texts that are kept one to a line or one to a field of a tab-separated line (tickers, stock
// and category names, chart and tool names): a tab, line feed or carriage return inside one
// would split its line or field, so every place that takes such a text refuses them.

#include <cstddef>
#include <string_view>

#include "platform/Status.h"

namespace velmora {

// The rules as every message states them, after the name of the text. A text kept with its
// length (a study's text in the stock file) may hold line breaks, which separate its lines, but
// no tab, which would split the field of a tab-separated listing.
inline constexpr char kPlainTextRule[] = "must not hold a tab or a line break";
inline constexpr char kNoTabRule[] = "must not hold a tab";

// The byte offset of the first tab, LF or CR of the text; npos when there is none.
std::size_t FindTabOrLineBreak(std::string_view text);

// Ok for a text without tabs and line breaks; otherwise the failure "WHAT must not hold a tab
// or a line break (it holds a tab at character 4)", counting characters of the UTF-8 text
// from 1.
Status CheckPlainText(std::string_view what, std::string_view text);
// The same for a text that may hold line breaks: "WHAT must not hold a tab (it holds a tab at
// character 4)".
Status CheckNoTab(std::string_view what, std::string_view text);

}  // namespace velmora
