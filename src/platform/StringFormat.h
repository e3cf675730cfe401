#pragma once
// printf-style formatting into a std::string of any length. The format attribute lets the
// compiler check every call's arguments against its format.

#include <string>
#include <string_view>

namespace velmora {

// The text printf would write for the format and arguments; empty on an encoding error.
std::string FormatString(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The value to print with `decimals` decimals: +0 when it would print as zero, so that a
// tiny negative value shows as "0.00" (or "+0.00"), never as "-0.00".
double NoNegativeZero(double value, int decimals);
// True when a number printed by one conversion shows no digit but zeros ("-0.00", "-0e+00").
bool PrintsAsZero(std::string_view text);

}  // namespace velmora
