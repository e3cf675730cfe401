// Signal and selection routines (cross, hold, barssince, iif, max/min, gaps, inside/outside
// bars, divergence, prec, ref) and the extremes (hhv, llv, highest, lowest and their bars).

#include <cmath>

#include "formula/IndicatorSupport.h"

namespace velmora::indicators {

using detail::ClampPeriod;
using detail::FillEmpty;
using detail::FirstCommon;

void Cross(int n, const float* a, const float* b, float* out) {
    if (n <= 0) return;
    const int s = FirstCommon(n, a, b);
    FillEmpty(out, 0, std::min(n, s + 1));
    for (int i = s + 1; i < n; ++i) {
        out[i] = (a[i] > b[i] && !(a[i - 1] > b[i - 1])) ? 1.0f : 0.0f;
    }
}

void Hold(int n, int p, const float* v, float* out) {
    if (n <= 0) return;
    const int s = FirstValue(n, v);
    FillEmpty(out, 0, s);
    int counter = 0;
    for (int i = s; i < n; ++i) {
        if (IsTrueBar(v[i])) counter = p;
        out[i] = counter > 0 ? 1.0f : 0.0f;
        if (counter > 0) --counter;
    }
}

void BarsSince(int n, const float* v, float* out) {
    if (n <= 0) return;
    int last = -1;
    for (int i = 0; i < n; ++i) {
        if (IsTrueBar(v[i])) last = i;
        out[i] = last < 0 ? EMPTY : static_cast<float>(i - last);
    }
}

void Iif(int n, const float* cond, const float* a, const float* b, float* out) {
    if (n <= 0) return;
    const int s = FirstValue(n, cond);
    FillEmpty(out, 0, s);
    for (int i = s; i < n; ++i) out[i] = IsTrueBar(cond[i]) ? a[i] : b[i];
}

void Max(int n, const float* a, const float* b, float* out) {
    if (n <= 0) return;
    const int s = FirstCommon(n, a, b);
    FillEmpty(out, 0, s);
    for (int i = s; i < n; ++i) out[i] = a[i] > b[i] ? a[i] : b[i];
}

void Min(int n, const float* a, const float* b, float* out) {
    if (n <= 0) return;
    const int s = FirstCommon(n, a, b);
    FillEmpty(out, 0, s);
    for (int i = s; i < n; ++i) out[i] = a[i] < b[i] ? a[i] : b[i];
}

namespace {

// A 0/1 signal comparing each bar with the one before, from the bar after the first common
// value of high and low.
template <typename Test>
void BarPattern(int n, const float* high, const float* low, float* out, Test test) {
    if (n <= 0) return;
    const int s = FirstCommon(n, high, low);
    FillEmpty(out, 0, std::min(n, s + 1));
    for (int i = s + 1; i < n; ++i) out[i] = test(i) ? 1.0f : 0.0f;
}

}  // namespace

void GapUp(int n, const float* high, const float* low, float* out) {
    BarPattern(n, high, low, out, [&](int i) { return low[i] > high[i - 1]; });
}

void GapDown(int n, const float* high, const float* low, float* out) {
    BarPattern(n, high, low, out, [&](int i) { return high[i] < low[i - 1]; });
}

void InsideBar(int n, const float* high, const float* low, float* out) {
    BarPattern(n, high, low, out,
               [&](int i) { return high[i] < high[i - 1] && low[i] > low[i - 1]; });
}

void OutsideBar(int n, const float* high, const float* low, float* out) {
    BarPattern(n, high, low, out,
               [&](int i) { return high[i] > high[i - 1] && low[i] < low[i - 1]; });
}

void Divergence(int n, float percent, const float* a, const float* b, float* out) {
    if (n <= 0) return;
    const float f = 1.0f + percent * 0.01f;
    const int s = FirstCommon(n, a, b);
    FillEmpty(out, 0, std::min(n, s + 1));
    for (int i = s + 1; i < n; ++i) {
        if (a[i] > f * a[i - 1] && b[i - 1] > b[i]) {
            out[i] = 1.0f;
        } else if (a[i - 1] > f * a[i] && b[i - 1] < b[i]) {
            out[i] = -1.0f;
        } else {
            out[i] = 0.0f;
        }
    }
}

void Precision(int n, int places, const float* v, float* out) {
    if (n <= 0) return;
    const int s = FirstValue(n, v);
    FillEmpty(out, 0, s);
    // Cutting with the remainder of a binary 0.1^places goes wrong on values that are already
    // round (the remainder of 12.0 by the double nearest 0.1 is 0.0999..., which would give
    // 11.9). The value is scaled by 10^places instead, and a scaled value within the float's own
    // rounding of a whole number is taken as that number before cutting toward zero.
    const double scale = std::pow(10.0, places);
    constexpr double kFloatRounding = 1.0 / (1 << 23);
    for (int i = s; i < n; ++i) {
        const double x = static_cast<double>(v[i]) * scale;
        if (!(std::fabs(x) < 4503599627370496.0) || scale == 0.0) {
            // Beyond 2^52 there is no fraction left to cut (or the scale over- or underflowed).
            out[i] = scale == 0.0 ? 0.0f : v[i];
            continue;
        }
        const double whole = std::nearbyint(x);
        const double kept =
            std::fabs(x - whole) <= std::fabs(x) * kFloatRounding ? whole : std::trunc(x);
        out[i] = static_cast<float>(kept / scale) + 0.0f;  // no negative zero
    }
}

void Ref(int n, int k, const float* v, float* out) {
    if (n <= 0) return;
    k = std::clamp(k, -n, n);
    const int s = FirstValue(n, v);
    if (s >= n) {
        FillEmpty(out, 0, n);
        return;
    }
    if (k <= 0) {
        const int back = -k;
        FillEmpty(out, 0, std::min(n, s + back));
        for (int i = s + back; i < n; ++i) out[i] = v[i - back];
        return;
    }
    const int from = std::max(s - k, 0);
    FillEmpty(out, 0, from);
    for (int i = from; i < n - k; ++i) out[i] = v[i + k];
    for (int i = std::max(from, n - k); i < n; ++i) out[i] = v[n - 1];
}

namespace {

// The extreme of the last p bars (p = 0: no limit) with the bars since it. A new extreme must
// beat the current one strictly, so among equal values the oldest is kept; when the current
// extreme leaves the window the window is searched again for its oldest strict extreme.
template <bool kValue, bool kBars, typename Beats>
void ExtremeLoop(int n, int p, int s, const float* v, float* value, float* bars, Beats beats) {
    float x = v[s];
    int b = s;
    for (int i = s; i < n; ++i) {
        const float y = v[i];
        if (beats(y, x)) {
            x = y;
            b = i;
        } else if (p > 0 && i - b >= p) {
            b = i - p + 1;
            x = v[b];
            for (int j = b + 1; j <= i; ++j) {
                if (beats(v[j], x)) {
                    x = v[j];
                    b = j;
                }
            }
        }
        if constexpr (kValue) value[i] = x;
        if constexpr (kBars) bars[i] = static_cast<float>(i - b);
    }
}

template <typename Beats>
void Extreme(int n, int p, const float* v, float* value, float* bars, Beats beats) {
    if (n <= 0) return;
    const int s = FirstValue(n, v);
    FillEmpty(value, 0, s);
    FillEmpty(bars, 0, s);
    if (s >= n) return;
    if (value != nullptr && bars != nullptr) {
        ExtremeLoop<true, true>(n, p, s, v, value, bars, beats);
    } else if (value != nullptr) {
        ExtremeLoop<true, false>(n, p, s, v, value, bars, beats);
    } else if (bars != nullptr) {
        ExtremeLoop<false, true>(n, p, s, v, value, bars, beats);
    }
}

inline bool Higher(float a, float b) {
    return a > b;
}
inline bool Lower(float a, float b) {
    return a < b;
}

}  // namespace

void HighestHigh(int n, int p, const float* v, float* value, float* bars) {
    Extreme(n, ClampPeriod(p, n), v, value, bars, Higher);
}

void LowestLow(int n, int p, const float* v, float* value, float* bars) {
    Extreme(n, ClampPeriod(p, n), v, value, bars, Lower);
}

void Highest(int n, const float* v, float* value, float* bars) {
    Extreme(n, 0, v, value, bars, Higher);
}

void Lowest(int n, const float* v, float* value, float* bars) {
    Extreme(n, 0, v, value, bars, Lower);
}

}  // namespace velmora::indicators
