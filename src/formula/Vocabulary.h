#pragma once
// The words of QRX besides the functions: the price arrays every run defines, each with its
// short name, and the keywords.

#include <array>
#include <string_view>

namespace velmora {

// In the order of PriceField (Evaluator.h): close, open, high, low, avg, volume, openint.
inline constexpr std::array<std::string_view, 7> kPriceArrayNames = {
    "close", "open", "high", "low", "avg", "volume", "openint"};
inline constexpr std::array<std::string_view, 7> kPriceArrayShortNames = {"c", "o", "h", "l",
                                                                          "a", "v", "oi"};
inline constexpr std::array<std::string_view, 3> kKeywords = {"AND", "OR", "NOT"};

}  // namespace velmora
