// Directional movement (true range, ATR, the directional moves and indicators, ADX) and the
// parabolic stop-and-reverse.

#include <cmath>
#include <vector>

#include "formula/IndicatorSupport.h"

namespace velmora::indicators {

using detail::ClampPeriod;
using detail::FillEmpty;

void TrueRange(int n, const float* close, const float* high, const float* low, float* out) {
    if (n <= 0) return;
    const int s = FirstValue(n, close);
    FillEmpty(out, 0, s);
    if (s >= n) return;
    out[s] = high[s] - low[s];
    for (int i = s + 1; i < n; ++i) {
        const float range = high[i] - low[i];
        const float fromHigh = std::fabs(high[i] - close[i - 1]);
        const float fromLow = std::fabs(close[i - 1] - low[i]);
        out[i] = std::max(range, std::max(fromHigh, fromLow));
    }
}

void AverageTrueRange(int n, int p, const float* close, const float* high, const float* low,
                      float* out) {
    if (n <= 0) return;
    std::vector<float> range(static_cast<std::size_t>(n));
    TrueRange(n, close, high, low, range.data());
    WilderAverage(n, p, range.data(), out);
}

namespace {

// A directional move: `up` counts when it is positive, unless the opposite move `-c` is at
// least as large (then the bar's move belongs to the other side).
inline float DirectionalMove(float up, float c) {
    if (up <= 0.0f) return 0.0f;
    if (c <= 0.0f && up <= -c) return 0.0f;
    return up;
}

}  // namespace

void PlusMove(int n, const float* high, const float* low, float* out) {
    if (n <= 0) return;
    const int s = FirstValue(n, high);
    FillEmpty(out, 0, std::min(n, s + 1));
    for (int i = s + 1; i < n; ++i) {
        out[i] = DirectionalMove(high[i] - high[i - 1], low[i] - low[i - 1]);
    }
}

void MinusMove(int n, const float* high, const float* low, float* out) {
    if (n <= 0) return;
    const int s = FirstValue(n, high);
    FillEmpty(out, 0, std::min(n, s + 1));
    for (int i = s + 1; i < n; ++i) {
        out[i] = DirectionalMove(low[i - 1] - low[i], high[i - 1] - high[i]);
    }
}

namespace {

// 100 * Wilder average of the move / ATR of the same period. A bar where either average is
// still warming up is EMPTY; a true range of 0 (a flat series) gives 0.
void Directional(int n, int p, const float* close, const float* high, const float* low,
                 float* out, void (*move)(int, const float*, const float*, float*)) {
    if (n <= 0) return;
    std::vector<float> moves(static_cast<std::size_t>(n));
    std::vector<float> atr(static_cast<std::size_t>(n));
    move(n, high, low, moves.data());
    WilderAverage(n, p, moves.data(), out);
    AverageTrueRange(n, p, close, high, low, atr.data());
    for (int i = 0; i < n; ++i) {
        if (out[i] == EMPTY || atr[i] == EMPTY) {
            out[i] = EMPTY;
        } else {
            out[i] = detail::SafeRatio(100.0 * out[i], atr[i]);
        }
    }
}

}  // namespace

void PlusDirectional(int n, int p, const float* close, const float* high, const float* low,
                     float* out) {
    Directional(n, p, close, high, low, out, PlusMove);
}

void MinusDirectional(int n, int p, const float* close, const float* high, const float* low,
                      float* out) {
    Directional(n, p, close, high, low, out, MinusMove);
}

void AverageDirectional(int n, int p, const float* close, const float* high, const float* low,
                        float* out) {
    if (n <= 0) return;
    std::vector<float> plus(static_cast<std::size_t>(n));
    std::vector<float> minus(static_cast<std::size_t>(n));
    PlusDirectional(n, p, close, high, low, plus.data());
    MinusDirectional(n, p, close, high, low, minus.data());
    // DX = |pdi - mdi| / |pdi + mdi| * 100 on the bars where both indicators have a value
    // (the first bar never has one). With no directional movement at all (pdi + mdi = 0)
    // there is no trend to measure: DX is 0.
    std::vector<float> dx(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        if (i == 0 || plus[i] == EMPTY || minus[i] == EMPTY) {
            dx[i] = EMPTY;
        } else {
            dx[i] = detail::SafeRatio(std::fabs(plus[i] - minus[i]) * 100.0,
                                      std::fabs(plus[i] + minus[i]));
        }
    }
    WilderAverage(n, p, dx.data(), out);
}

void ParabolicSar(int n, float step, float maximum, const float* high, const float* low,
                  float* out) {
    if (n <= 0) return;
    const int s = FirstValue(n, low);
    FillEmpty(out, 0, std::min(n, s + 2));
    if (s + 2 > n) return;
    // A negative step or maximum would push the stop away from the extreme a little more on
    // every bar until it overflows; they are taken as 0 (a stop that stays put).
    step = std::max(step, 0.0f);
    maximum = std::max(maximum, 0.0f);
    bool isLong = low[s] < low[s + 1];
    float extreme = isLong ? high[s] : low[s];
    float stop = isLong ? low[s] : high[s];
    float factor = step;
    bool emitting = false;
    for (int i = s + 2; i < n; ++i) {
        stop = stop + (extreme - stop) * factor;
        bool reversed = false;
        if (isLong && low[i] < stop) {
            isLong = false;
            stop = extreme;
            extreme = low[i];
            factor = step;
            reversed = true;
        }
        if (!isLong && high[i] > stop) {
            isLong = true;
            stop = extreme;
            extreme = high[i];
            factor = step;
            reversed = true;
        }
        if (reversed) {
            emitting = true;
        } else if (isLong) {
            stop = std::min(stop, std::min(low[i - 1], low[i - 2]));
            if (high[i] > extreme) {
                extreme = high[i];
                factor = std::min(factor + step, maximum);
            }
        } else {
            stop = std::max(stop, std::max(high[i - 1], high[i - 2]));
            if (low[i] < extreme) {
                extreme = low[i];
                factor = std::min(factor + step, maximum);
            }
        }
        out[i] = emitting ? stop : EMPTY;
    }
}

}  // namespace velmora::indicators
