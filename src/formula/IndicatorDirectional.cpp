// Directional movement (true range, ATR, the directional moves and indicators, ADX) and the
// parabolic stop-and-reverse.

#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>

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
    // "up > 0, unless c <= 0 and up <= -c" is "up > max(0, -c)". The choice is made with a
    // mask, not a branch: on real prices it goes either way at random, and a compiler may turn
    // a conditional expression into a branch that is then mispredicted half the time.
    const std::uint32_t mask = 0U - static_cast<std::uint32_t>(up > std::max(0.0f, -c));
    return std::bit_cast<float>(std::bit_cast<std::uint32_t>(up) & mask);
}

// A ratio in float, saturated to the float range (a divisor of 0 must be handled by the caller).
inline float Bounded(float x) {
    return std::min(std::max(x, -FLT_MAX), FLT_MAX);
}

// The smoothed values of the directional movement on one bar.
struct DirectionalBar {
    float pdi;
    float mdi;
    float dx;
};

// pdi / mdi = 100 * smoothed move / ATR, 0 while the true range is 0 (a flat series).
// DX = |pdi - mdi| / |pdi + mdi| * 100; with no directional movement at all (pdi + mdi = 0)
// there is no trend to measure and DX is 0.
inline DirectionalBar Indicators(float atr, float plusAvg, float minusAvg) {
    // The scale stays finite even for a subnormal ATR, so 0 * scale is 0, never NaN.
    const float scale = atr != 0.0f ? Bounded(100.0f / atr) : 0.0f;
    const float pdi = Bounded(plusAvg * scale);
    const float mdi = Bounded(minusAvg * scale);
    // Both indicators are finite and not negative, so |pdi - mdi| is finite and at most the
    // sum: the quotient lies in [0, 1] (0 if the sum overflows), then it is scaled to percent.
    const float total = std::fabs(pdi + mdi);
    const float dx = total != 0.0f ? std::fabs(pdi - mdi) / total * 100.0f : 0.0f;
    return {pdi, mdi, dx};
}

inline float TrueRangeAt(const float* close, const float* high, const float* low, int i) {
    return std::max(high[i] - low[i],
                    std::max(std::fabs(high[i] - close[i - 1]), std::fabs(close[i - 1] - low[i])));
}

// Where DirectionalMovement writes: any output may be null.
struct DirectionalOutputs {
    float* atr;
    float* pdi;
    float* mdi;
    float* adx;
};

// The Wilder averages of the directional movement as they stand after a bar.
struct DirectionalAverages {
    float atr = 0.0f;
    float plus = 0.0f;
    float minus = 0.0f;
    float adx = 0.0f;
};

// The bars while some average is still in its seed: the true range (from the first close) and
// the two directional moves (from the bar after the first high) are Wilder-smoothed as they
// come; DX is smoothed into ADX from the first bar where both indicators have a value. Returns
// the first bar past every seed (and past both first values), with the averages there in `avg`.
template <bool kMoves>
int WarmUpDirectional(int n, int p, const float* close, const float* high, const float* low,
                      const DirectionalOutputs& out, DirectionalAverages& avg) {
    const int closeStart = FirstValue(n, close);
    const int highStart = kMoves ? FirstValue(n, high) : n;
    WilderStream range(p), plus(p), minus(p), dx(p);
    float atr = 0.0f, plusAvg = 0.0f, minusAvg = 0.0f, adx = 0.0f;
    bool atrReady = false, movesReady = false, adxReady = false;
    int i = 0;
    for (; i < n; ++i) {
        if (atrReady && (!kMoves || (movesReady && adxReady)) && i > closeStart && i > highStart)
            break;
        if (i >= closeStart) {
            const float tr = i > closeStart ? TrueRangeAt(close, high, low, i) : high[i] - low[i];
            atrReady = range.Feed(tr, atr);
        }
        if (out.atr != nullptr) out.atr[i] = atrReady ? atr : EMPTY;
        if constexpr (kMoves) {
            if (i > highStart) {
                const float plusMove = DirectionalMove(high[i] - high[i - 1], low[i] - low[i - 1]);
                const float minusMove = DirectionalMove(low[i - 1] - low[i], high[i - 1] - high[i]);
                movesReady = plus.Feed(plusMove, plusAvg);
                minus.Feed(minusMove, minusAvg);
            }
            DirectionalBar bar{EMPTY, EMPTY, 0.0f};
            if (atrReady && movesReady) {
                bar = Indicators(atr, plusAvg, minusAvg);
                adxReady = dx.Feed(bar.dx, adx);
            }
            if (out.pdi != nullptr) out.pdi[i] = bar.pdi;
            if (out.mdi != nullptr) out.mdi[i] = bar.mdi;
            if (out.adx != nullptr) out.adx[i] = adxReady ? adx : EMPTY;
        }
    }
    avg = {atr, plusAvg, minusAvg, adx};
    return i;
}

// The bars from `start` on, with every average running: the warm-up's steps without the
// readiness tests. (Plain divisions here: with four averages in flight the divider is not the
// limit, and the quotient is the same float that WilderStream's reciprocal gives.)
template <bool kMoves>
void SteadyDirectional(int start, int n, int p, const float* close, const float* high,
                       const float* low, const DirectionalOutputs& out, DirectionalAverages avg) {
    float* const atrOut = out.atr;
    float* const pdiOut = out.pdi;
    float* const mdiOut = out.mdi;
    float* const adxOut = out.adx;
    float atr = avg.atr, plusAvg = avg.plus, minusAvg = avg.minus, adx = avg.adx;
    const float keep = static_cast<float>(p - 1);
    const float period = static_cast<float>(p);
    for (int i = start; i < n; ++i) {
        atr = (keep * atr + TrueRangeAt(close, high, low, i)) / period;
        if (atrOut != nullptr) atrOut[i] = atr;
        if constexpr (kMoves) {
            const float plusMove = DirectionalMove(high[i] - high[i - 1], low[i] - low[i - 1]);
            const float minusMove = DirectionalMove(low[i - 1] - low[i], high[i - 1] - high[i]);
            plusAvg = (keep * plusAvg + plusMove) / period;
            minusAvg = (keep * minusAvg + minusMove) / period;
            const DirectionalBar bar = Indicators(atr, plusAvg, minusAvg);
            adx = (keep * adx + bar.dx) / period;
            if (pdiOut != nullptr) pdiOut[i] = bar.pdi;
            if (mdiOut != nullptr) mdiOut[i] = bar.mdi;
            if (adxOut != nullptr) adxOut[i] = adx;
        }
    }
}

// One pass over the bars for the average true range and the directional indicators (kMoves =
// false computes the ATR alone): a warm-up while the averages are seeded, then the rest of the
// bars in a loop without tests.
template <bool kMoves>
void DirectionalMovement(int n, int p, const float* close, const float* high, const float* low,
                         const DirectionalOutputs& out) {
    if (n <= 0) return;
    p = ClampPeriod(p, n);
    DirectionalAverages avg;
    const int steadyStart = WarmUpDirectional<kMoves>(n, p, close, high, low, out, avg);
    SteadyDirectional<kMoves>(steadyStart, n, p, close, high, low, out, avg);
}

}  // namespace

void AverageTrueRange(int n, int p, const float* close, const float* high, const float* low,
                      float* out) {
    DirectionalMovement<false>(n, p, close, high, low, {out, nullptr, nullptr, nullptr});
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
    DirectionalMovement<true>(n, p, close, high, low, {nullptr, out, nullptr, nullptr});
}

void MinusDirectional(int n, int p, const float* close, const float* high, const float* low,
                      float* out) {
    DirectionalMovement<true>(n, p, close, high, low, {nullptr, nullptr, out, nullptr});
}

void AverageDirectional(int n, int p, const float* close, const float* high, const float* low,
                        float* out) {
    DirectionalMovement<true>(n, p, close, high, low, {nullptr, nullptr, nullptr, out});
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
