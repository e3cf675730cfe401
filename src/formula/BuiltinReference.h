#pragma once
// The reference of the QRX built-in functions as a Markdown page, written from the built-in
// table itself (names, arguments in their written order, defaults of the optional numbers), so
// the manual and the program's help never disagree with what a formula may call.

#include <string>

namespace velmora {

struct BuiltinEntry;

// One call form, e.g. "ema(array, n)" or "sar(n1 = 0.02, n2 = 0.2)".
std::string BuiltinSignature(const BuiltinEntry& entry);

// The whole page: a heading, how arguments are written, then one list item per built-in in
// alphabetical order, then the math functions and the price arrays.
std::string BuiltinReferenceMarkdown();

}  // namespace velmora
