#pragma once
// Text formatting shared by the backtest rows, the summary line, the report and the result
// export: numbers that print "n/a" where a division had no divisor or a value is not finite.

#include <optional>
#include <string>

namespace velmora {

// The quotient, or nothing when the divisor is 0 or the result is not a finite number.
std::optional<double> Quotient(double dividend, double divisor);

// The value formatted with a printf format holding one double conversion, or "n/a" when
// there is no value or it is not finite.
std::string FormatOrNa(const char* format, std::optional<double> value);

// The value when it is finite, else `fallback`.
double FiniteOr(double value, double fallback);

}  // namespace velmora
