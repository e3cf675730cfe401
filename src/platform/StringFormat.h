#pragma once
// printf-style formatting into a std::string of any length. The format attribute lets the
// compiler check every call's arguments against its format.

#include <string>

namespace velmora {

// The text printf would write for the format and arguments; empty on an encoding error.
std::string FormatString(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace velmora
