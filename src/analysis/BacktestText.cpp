#include "analysis/BacktestText.h"

#include <cmath>

#include "platform/StringFormat.h"

namespace velmora {

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
    return FormatString(format, *value);
#pragma GCC diagnostic pop
}

double FiniteOr(double value, double fallback) {
    return std::isfinite(value) ? value : fallback;
}

}  // namespace velmora
