// Oscillators of one input array: the MACD family, price and volume oscillators, rate of
// change, RSI, stochastic, ultimate oscillator, TRIX, CCI and the money flow index.

#include <cmath>
#include <vector>

#include "formula/IndicatorSupport.h"

namespace velmora::indicators {

using detail::ClampPeriod;
using detail::FillEmpty;
using detail::SafeRatio;

namespace {

// The two exponential averages of the MACD family, started at v[s] and updated on every bar
// from s, in floats with float factors.
struct MacdAverages {
    float fast;
    float slow;
    float kFast;
    float kSlow;

    MacdAverages(int fastPeriod, int slowPeriod, float start)
        : fast(start),
          slow(start),
          kFast(static_cast<float>(detail::SmoothingFactor(fastPeriod))),
          kSlow(static_cast<float>(detail::SmoothingFactor(slowPeriod))) {}

    void Step(float x) {
        fast = fast * (1.0f - kFast) + kFast * x;
        slow = slow * (1.0f - kSlow) + kSlow * x;
    }
};

}  // namespace

void Macd(int n, int fast, int slow, const float* v, float* out) {
    if (n <= 0) return;
    fast = ClampPeriod(fast, n);
    slow = ClampPeriod(slow, n);
    const int s = FirstValue(n, v);
    FillEmpty(out, 0, std::min(n, s + slow));
    if (s >= n) return;
    MacdAverages avg(fast, slow, v[s]);
    for (int i = s; i < n; ++i) {
        avg.Step(v[i]);
        if (i >= s + slow) out[i] = avg.fast - avg.slow;
    }
}

void MacdSignal(int n, int fast, int slow, int smoothing, const float* v, float* out) {
    if (n <= 0) return;
    fast = ClampPeriod(fast, n);
    slow = ClampPeriod(slow, n);
    smoothing = ClampPeriod(smoothing, n);
    const int s = FirstValue(n, v);
    const long long first = static_cast<long long>(s) + slow + smoothing;
    FillEmpty(out, 0, static_cast<int>(std::min<long long>(n, first)));
    if (s >= n) return;
    MacdAverages avg(fast, slow, v[s]);
    const float k = static_cast<float>(detail::SmoothingFactor(smoothing));
    float signal = 0.0f;
    for (int i = s; i < n; ++i) {
        avg.Step(v[i]);
        signal = signal * (1.0f - k) + k * (avg.fast - avg.slow);
        if (i >= first) out[i] = signal;
    }
}

void Oscillator(int n, int fast, int slow, const float* v, float* out) {
    if (n <= 0) return;
    fast = ClampPeriod(fast, n);
    slow = ClampPeriod(slow, n);
    const int s = FirstValue(n, v);
    FillEmpty(out, 0, std::min(n, s + slow));
    if (s >= n) return;
    MacdAverages avg(fast, slow, v[s]);
    for (int i = s; i < n; ++i) {
        avg.Step(v[i]);
        // A slow average of 0 (zero prices or volumes) has no percentage: 0.
        if (i >= s + slow) out[i] = SafeRatio((avg.fast - avg.slow) * 100.0f, avg.slow);
    }
}

void RateOfChange(int n, int p, const float* v, float* out) {
    if (n <= 0) return;
    p = ClampPeriod(p, n, 0);
    const int s = FirstValue(n, v);
    const int first = std::min(n, s + p);
    FillEmpty(out, 0, first);
    // Branch-free so that it vectorises: a base of 0 gives 0, and a base so small that the
    // percentage leaves the float range saturates.
    for (int i = first; i < n; ++i) {
        const float q = v[i - p];
        const float change = (v[i] - q) * 100.0f / q;
        const float bounded = std::min(std::max(change, -FLT_MAX), FLT_MAX);
        out[i] = q != 0.0f ? bounded : 0.0f;
    }
}

void Rsi(int n, int p, const float* close, float* out) {
    if (n <= 0) return;
    p = ClampPeriod(p, n);
    const int s = FirstValue(n, close);
    FillEmpty(out, 0, std::min(n, s + p));
    const float keep = static_cast<float>(p - 1);
    const float fp = static_cast<float>(p);
    float up = 0.0f;
    float down = 0.0f;
    for (int i = s + 1; i < n; ++i) {
        const float d = close[i] - close[i - 1];
        up = (up * keep + std::max(0.0f, d)) / fp;
        down = (down * keep + std::max(0.0f, -d)) / fp;
        if (i < s + p) continue;
        const float total = up + down;
        // No move at all within the smoothing (a flat series): neither side leads, so the
        // index stands at its neutral middle, 50.
        out[i] = total > 0.0f ? 100.0f * up / total : 50.0f;
    }
}

void Stochastic(int n, int p, const float* close, float* k, float* d) {
    if (n <= 0) return;
    p = ClampPeriod(p, n);
    const int s = FirstValue(n, close);
    const int t = std::min(n, s + p);
    FillEmpty(k, 0, t);
    FillEmpty(d, 0, t);
    float kValue = 0.0f;
    float dValue = 0.0f;
    for (int j = t; j < n; ++j) {
        const float* window = close + (j - p + 1);
        float hi = window[0];
        float lo = window[0];
        for (int w = 1; w < p; ++w) {
            hi = window[w] > hi ? window[w] : hi;
            lo = window[w] < lo ? window[w] : lo;
        }
        // Over p equal closes the close is the highest and the lowest at once: the raw %K
        // then stands at the middle of its range, 50.
        const float raw = hi != lo ? (close[j] - lo) * 100.0f / (hi - lo) : 50.0f;
        kValue = j == t ? raw : (kValue + raw) / 2.0f;
        if (j == t) dValue = kValue;
        dValue = (2.0f * dValue + kValue) / 3.0f;
        if (k != nullptr) k[j] = kValue;
        if (d != nullptr) d[j] = dValue;
    }
}

void UltimateOscillator(int n, int p1, int p2, int p3, const float* close, float* out) {
    if (n <= 0) return;
    const int periods[3] = {ClampPeriod(p1, n), ClampPeriod(p2, n), ClampPeriod(p3, n)};
    const int s = FirstValue(n, close);
    const long long first = static_cast<long long>(s) + 1 + periods[2];
    FillEmpty(out, 0, static_cast<int>(std::min<long long>(n, first)));
    if (s + 1 >= n) return;
    // The up move and the absolute move of every bar from s + 1, in one branch-free pass.
    std::vector<float> up(static_cast<std::size_t>(n));
    std::vector<float> move(static_cast<std::size_t>(n));
    for (int i = s + 1; i < n; ++i) {
        const float d = close[i] - close[i - 1];
        up[i] = std::max(0.0f, d);
        move[i] = std::fabs(d);
    }
    // Three windows of double sums: add the entering bar, subtract the one p bars earlier once
    // it exists.
    double ups[3] = {0.0, 0.0, 0.0};
    double moves[3] = {0.0, 0.0, 0.0};
    for (int i = s + 1; i < n; ++i) {
        for (int w = 0; w < 3; ++w) {
            ups[w] += up[i];
            moves[w] += move[i];
            const int leaving = i - periods[w];
            if (leaving >= s + 1) {
                ups[w] -= up[leaving];
                moves[w] -= move[leaving];
            }
        }
        if (i < first) continue;
        if (moves[0] != 0.0 && moves[1] != 0.0 && moves[2] != 0.0) {
            // (4 u1/m1 + 2 u2/m2 + u3/m3) * 100 / 7 over one common denominator: a single
            // division per bar.
            const double numerator = 4.0 * ups[0] * moves[1] * moves[2] +
                                     2.0 * ups[1] * moves[0] * moves[2] +
                                     ups[2] * moves[0] * moves[1];
            const double denominator = moves[0] * moves[1] * moves[2];
            out[i] = detail::Saturate(numerator / denominator * (100.0 / 7.0));
        } else {
            out[i] = out[i - 1];
        }
    }
}

void Trix(int n, int p, const float* close, float* out) {
    if (n <= 0) return;
    p = ClampPeriod(p, n);
    const int s = FirstValue(n, close);
    FillEmpty(out, 0, std::min(n, s + p));
    if (s >= n) return;
    const double k = detail::SmoothingFactor(p);
    double e1 = close[s];
    double e2 = e1;
    double e3 = e1;
    double previous = e3;
    for (int i = s; i < n; ++i) {
        e1 = k * close[i] + (1.0 - k) * e1;
        e2 = (1.0 - k) * e2 + k * e1;
        e3 = (1.0 - k) * e3 + k * e2;
        if (i >= s + p) out[i] = SafeRatio((e3 - previous) * 1000.0, previous);
        previous = e3;
    }
}

void Cci(int n, int p, const float* avg, float* out) {
    if (n <= 0) return;
    p = ClampPeriod(p, n);
    const int s = FirstValue(n, avg);
    const int first = std::min(n, s + p);
    FillEmpty(out, 0, first);
    const detail::PeriodDivisor divisor(p);
    float sum = 0.0f;
    for (int i = s; i < first; ++i) sum += avg[i];
    for (int i = first; i < n; ++i) {
        sum += avg[i];
        sum -= avg[i - p];
        const float mean = divisor.Divide(sum);
        const float* window = avg + (i - p + 1);
        float deviation = 0.0f;
        for (int w = 0; w < p; ++w) deviation += std::fabs(window[w] - mean);
        deviation = divisor.Divide(deviation);
        // A window without deviation (a flat series) has no channel to measure against: 0.
        out[i] = SafeRatio((avg[i] - mean) * 66.666f, deviation);
    }
}

void Mfi(int n, int p, const float* avg, const float* volume, float* out) {
    if (n <= 0) return;
    p = ClampPeriod(p, n);
    const int s = FirstValue(n, avg);
    FillEmpty(out, 0, std::min(n, s + p));
    float positive = 0.0f;
    float negative = 0.0f;
    for (int i = s + 1; i < n; ++i) {
        // Flows are added and subtracted as x * 1 or x * 0 (adding 0 leaves a sum exactly as
        // it is), which spares the unpredictable branches of a random series.
        if (i > s + p) {
            const int j = i - p;
            const float flow = avg[j] * volume[j];
            positive -= avg[j] > avg[j - 1] ? flow : 0.0f;
            negative -= avg[j] < avg[j - 1] ? flow : 0.0f;
        }
        const float flow = avg[i] * volume[i];
        positive += avg[i] > avg[i - 1] ? flow : 0.0f;
        negative += avg[i] < avg[i - 1] ? flow : 0.0f;
        if (i < s + p) continue;
        const float total = positive + negative;
        out[i] = total != 0.0f ? SafeRatio(100.0 * positive, total) : out[i - 1];
    }
}

}  // namespace velmora::indicators
