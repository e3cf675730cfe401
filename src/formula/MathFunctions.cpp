#include "formula/MathFunctions.h"

#include <cmath>

namespace velmora {

namespace {

double Sin(double x) {
    return std::sin(x);
}
double Asin(double x) {
    return std::asin(x);
}
double Cos(double x) {
    return std::cos(x);
}
double Acos(double x) {
    return std::acos(x);
}
double Tan(double x) {
    return std::tan(x);
}
double Atan(double x) {
    return std::atan(x);
}
double Ln(double x) {
    return std::log(x);
}
double Log10(double x) {
    return std::log10(x);
}
double Exp(double x) {
    return std::exp(x);
}
double Sqrt(double x) {
    return std::sqrt(x);
}
double Ceil(double x) {
    return std::ceil(x);
}
double Floor(double x) {
    return std::floor(x);
}
double Abs(double x) {
    return std::fabs(x);
}
// Integer part, truncated toward zero: int(-2.5) = -2.
double Int(double x) {
    return std::trunc(x);
}
// Fractional part with the sign of the argument: frac(-2.5) = -0.5.
double Frac(double x) {
    return x - std::trunc(x);
}
// Halves round up: round(2.5) = 3, round(-2.5) = -2.
double Round(double x) {
    return std::floor(x + 0.5);
}

constexpr MathFunction kTable[] = {
    {"sin", Sin},   {"asin", Asin},   {"cos", Cos},     {"acos", Acos},   {"tan", Tan},
    {"atan", Atan}, {"ln", Ln},       {"log", Ln},      {"log10", Log10}, {"exp", Exp},
    {"sqrt", Sqrt}, {"ceil", Ceil},   {"floor", Floor}, {"abs", Abs},     {"int", Int},
    {"frac", Frac}, {"round", Round},
};

}  // namespace

std::span<const MathFunction> MathFunctions() {
    return kTable;
}

}  // namespace velmora
