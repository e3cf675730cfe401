#pragma once
// Helpers shared by the indicator routines' source files (not part of the interface).

#include <algorithm>
#include <cfloat>
#include <cstdint>

#include "formula/IndicatorMath.h"

namespace velmora::indicators::detail {

// A period as a routine can use it: at least `low`, at most n + 1 (a longer period gives the
// same all-warm-up result and keeps s + p within int).
inline int ClampPeriod(int p, int n, int low = 1) {
    return std::clamp(p, low, std::max(low, n + 1));
}

inline void FillEmpty(float* out, int from, int to) {
    if (out == nullptr) return;
    for (int i = std::max(from, 0); i < to; ++i) out[i] = EMPTY;
}

// The later of two arrays' first values.
inline int FirstCommon(int n, const float* a, const float* b) {
    return std::max(FirstValue(n, a), FirstValue(n, b));
}

// Exponential smoothing factor 2 / (p + 1), formed in double from the integer period.
inline double SmoothingFactor(int p) {
    return 2.0 / (static_cast<double>(p) + 1.0);
}

// A ratio narrowed to float: beyond the float range it saturates, and NaN (which finite inputs
// cannot give here, but a formula may pass NaN in) becomes 0, so no infinity leaves a routine.
inline float Saturate(double x) {
    if (x > FLT_MAX) return FLT_MAX;
    if (x < -FLT_MAX) return -FLT_MAX;
    if (x != x) return 0.0f;
    return static_cast<float>(x);
}

// num / den with 0 for a zero divisor, saturated to the float range.
inline float SafeRatio(double num, double den) {
    return den == 0.0 ? 0.0f : Saturate(num / den);
}

// Division of a float by a period, as a multiplication by the double reciprocal. For float x
// and an integer 1 <= p < 2^24, x * (1/p) in double lies within 2^-52 of x / p, while x / p
// is never nearer than 2^-25 / p (relative) to a point halfway between two floats: rounding
// the product to float therefore gives exactly the float quotient x / p, at the cost of a
// multiplication instead of a division (which is what limits most running averages).
class PeriodDivisor {
  public:
    explicit PeriodDivisor(int p)
        : p_(static_cast<float>(p)), inverse_(1.0 / p), exact_(p < (1 << 24)) {}
    float Divide(float x) const {
        return exact_ ? static_cast<float>(static_cast<double>(x) * inverse_) : x / p_;
    }

  private:
    float p_;
    double inverse_;
    bool exact_;
};

}  // namespace velmora::indicators::detail
