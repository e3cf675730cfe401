// Directional movement (true range, ATR, the directional moves and indicators, ADX) and the
// parabolic stop-and-reverse.

#include <cfloat>
#include <cmath>

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

namespace {

// Wilder's smoothing fed one value at a time from the first value on: the mean of the first p
// values seeds it (no output yet), then e = ((p - 1) e + x) / p. Gives what WilderAverage gives
// for the same values, without an array.
class WilderStream {
public:
    explicit WilderStream(int p) : p_(p), keep_(static_cast<float>(p - 1)), divisor_(p) {}

    // Takes the next value; true (with the average in `out`) once past the seed.
    bool Feed(float x, float& out) {
        if (count_ < p_) {
            seedSum_ += x;
            if (++count_ == p_) value_ = static_cast<float>(seedSum_ / p_);
            return false;
        }
        value_ = divisor_.Divide(keep_ * value_ + x);
        out = value_;
        return true;
    }

private:
    int p_;
    float keep_;
    detail::PeriodDivisor divisor_;
    int count_ = 0;
    double seedSum_ = 0.0;
    float value_ = 0.0f;
};

// A directional move: `up` counts when it is positive, unless the opposite move `-c` is at
// least as large (then the bar's move belongs to the other side).
inline float DirectionalMove(float up, float c) {
    // Bitwise & on the tests: a random series would mispredict short-circuit branches.
    const bool counts = (up > 0.0f) & !((c <= 0.0f) & (up <= -c));
    return counts ? up : 0.0f;
}

// A ratio in float, saturated to the float range (a divisor of 0 must be handled by the caller).
inline float Bounded(float x) { return std::min(std::max(x, -FLT_MAX), FLT_MAX); }

// One pass over the bars for the average true range and the directional indicators: the true
// range (from the first close) and the two directional moves (from the bar after the first
// high) are Wilder-smoothed as they come. pdi / mdi = 100 * smoothed move / ATR where both have
// a value, 0 while the true range is 0 (a flat series). DX = |pdi - mdi| / |pdi + mdi| * 100 where
// both indicators have a value; with no directional movement at all (pdi + mdi = 0) there is no
// trend to measure and DX is 0. ADX is DX Wilder-smoothed. Any output may be null; kMoves = false
// computes the ATR alone.
template <bool kMoves>
void DirectionalMovement(int n, int p, const float* close, const float* high, const float* low,
                         float* atrOut, float* pdiOut, float* mdiOut, float* adxOut) {
    if (n <= 0) return;
    p = ClampPeriod(p, n);
    const int closeStart = FirstValue(n, close);
    const int highStart = kMoves ? FirstValue(n, high) : n;
    WilderStream range(p), plus(p), minus(p), dx(p);
    float atr = 0.0f, plusAvg = 0.0f, minusAvg = 0.0f, adx = 0.0f;
    bool atrReady = false, movesReady = false, adxReady = false;
    for (int i = 0; i < n; ++i) {
        if (i >= closeStart) {
            float tr = high[i] - low[i];
            if (i > closeStart) {
                tr = std::max(tr, std::max(std::fabs(high[i] - close[i - 1]),
                                           std::fabs(close[i - 1] - low[i])));
            }
            atrReady = range.Feed(tr, atr);
        }
        if (atrOut != nullptr) atrOut[i] = atrReady ? atr : EMPTY;
        if constexpr (kMoves) {
            if (i > highStart) {
                const float plusMove = DirectionalMove(high[i] - high[i - 1], low[i] - low[i - 1]);
                const float minusMove = DirectionalMove(low[i - 1] - low[i], high[i - 1] - high[i]);
                movesReady = plus.Feed(plusMove, plusAvg);
                minus.Feed(minusMove, minusAvg);
            }
            float pdi = EMPTY, mdi = EMPTY;
            if (atrReady && movesReady) {
                const float scale = atr != 0.0f ? 100.0f / atr : 0.0f;
                pdi = Bounded(plusAvg * scale);
                mdi = Bounded(minusAvg * scale);
                const float total = std::fabs(pdi + mdi);
                const float index = total != 0.0f ? Bounded(std::fabs(pdi - mdi) * 100.0f / total) : 0.0f;
                adxReady = dx.Feed(index, adx);
            }
            if (pdiOut != nullptr) pdiOut[i] = pdi;
            if (mdiOut != nullptr) mdiOut[i] = mdi;
            if (adxOut != nullptr) adxOut[i] = adxReady ? adx : EMPTY;
        }
    }
}

}  // namespace

void AverageTrueRange(int n, int p, const float* close, const float* high, const float* low,
                      float* out) {
    DirectionalMovement<false>(n, p, close, high, low, out, nullptr, nullptr, nullptr);
}

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

void PlusDirectional(int n, int p, const float* close, const float* high, const float* low,
                     float* out) {
    DirectionalMovement<true>(n, p, close, high, low, nullptr, out, nullptr, nullptr);
}

void MinusDirectional(int n, int p, const float* close, const float* high, const float* low,
                      float* out) {
    DirectionalMovement<true>(n, p, close, high, low, nullptr, nullptr, out, nullptr);
}

void AverageDirectional(int n, int p, const float* close, const float* high, const float* low,
                        float* out) {
    DirectionalMovement<true>(n, p, close, high, low, nullptr, nullptr, nullptr, out);
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
