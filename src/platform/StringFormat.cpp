#include "platform/StringFormat.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>

namespace velmora {

std::string FormatString(const char* format, ...) {
    // Most texts fit the stack buffer; a longer one is formatted a second time at its length.
    char buffer[256];
    va_list args;
    va_start(args, format);
    const int length = std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    if (length < 0) return {};
    if (static_cast<std::size_t>(length) < sizeof buffer) {
        return std::string(buffer, static_cast<std::size_t>(length));
    }
    std::string text(static_cast<std::size_t>(length), '\0');
    va_start(args, format);
    std::vsnprintf(text.data(), text.size() + 1, format, args);
    va_end(args);
    return text;
}

double NoNegativeZero(double value, int decimals) {
    // Below half the last decimal's unit the value rounds to zero.
    return std::fabs(value) < 0.5 * std::pow(10.0, -decimals) ? 0.0 : value;
}

bool PrintsAsZero(std::string_view text) {
    return text.find_first_of("123456789") == std::string_view::npos;
}

}  // namespace velmora
