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
inline double SmoothingFactor(int p) { return 2.0 / (static_cast<double>(p) + 1.0); }

// A ratio narrowed to float: beyond the float range it saturates, and NaN (which finite inputs
// cannot give here, but a formula may pass NaN in) becomes 0, so no infinity leaves a routine.
inline float Saturate(double x) {
    if (x > FLT_MAX) return FLT_MAX;
    if (x < -FLT_MAX) return -FLT_MAX;
    if (x != x) return 0.0f;
    return static_cast<float>(x);
}

// num / den with 0 for a zero divisor, saturated to the float range.
inline float SafeRatio(double num, double den) { return den == 0.0 ? 0.0f : Saturate(num / den); }

}  // namespace velmora::indicators::detail
