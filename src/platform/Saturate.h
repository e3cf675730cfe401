#pragma once
// Conversions into the 32-bit integers the stored records hold: a value beyond the range is held
// at its nearest end rather than wrapped or left undefined.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace velmora {

inline constexpr std::int32_t kInt32Min = std::numeric_limits<std::int32_t>::min();
inline constexpr std::int32_t kInt32Max = std::numeric_limits<std::int32_t>::max();

// The value truncated toward zero and held at the ends of the 32-bit range; NaN gives 0.
inline std::int32_t SaturateToInt32(double v) {
    if (std::isnan(v)) return 0;
    if (v >= 2147483647.0) return kInt32Max;
    if (v <= -2147483648.0) return kInt32Min;
    return static_cast<std::int32_t>(v);
}

// The same, and whether the value lay beyond the range: above 2147483647 (a fraction above it
// counts) or below -2147483648. NaN is not beyond it.
inline std::int32_t SaturateToInt32(double v, bool& clamped) {
    clamped = v > 2147483647.0 || v < -2147483648.0;
    return SaturateToInt32(v);
}

// A count (a volume, an open interest) from a number: truncated and held to 0..2147483647;
// NaN and values below 0 give 0.
inline std::int32_t SaturateToCount(double v) {
    return SaturateToInt32(v > 0 ? v : 0.0);
}

// A 64-bit integer held at the ends of the 32-bit range.
inline std::int32_t ClampToInt32(std::int64_t v) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, kInt32Min, kInt32Max));
}

}  // namespace velmora
