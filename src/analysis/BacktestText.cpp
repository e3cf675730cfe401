#include "analysis/BacktestText.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>

namespace velmora {

std::string FormatText(const char* format, ...) {
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

std::optional<double> Quotient(double dividend, double divisor) {
    if (divisor == 0) return std::nullopt;
    const double q = dividend / divisor;
    if (!std::isfinite(q)) return std::nullopt;
    return q;
}

std::string FormatOrNa(const char* format, std::optional<double> value) {
    if (!value || !std::isfinite(*value)) return "n/a";
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    return FormatText(format, *value);
#pragma GCC diagnostic pop
}

double FiniteOr(double value, double fallback) {
    return std::isfinite(value) ? value : fallback;
}

}  // namespace velmora
