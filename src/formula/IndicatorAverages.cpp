// Averages and sums: simple, exponential and Wilder averages, moving and cumulative sums, and
// the standard-deviation bands.

#include <cmath>

#include "formula/IndicatorSupport.h"

namespace velmora::indicators {

using detail::ClampPeriod;
using detail::FillEmpty;

int FirstValue(int n, const float* v) {
    int s = 0;
    while (s < n && v[s] == EMPTY) ++s;
    return s;
}

void MovingAverage(int n, int p, const float* v, float* out) {
    if (n <= 0) return;
    p = ClampPeriod(p, n);
    const int s = FirstValue(n, v);
    const int first = std::min(n, s + p);
    FillEmpty(out, 0, first);
    double sum = 0.0;
    for (int i = s; i < first; ++i) sum += v[i];
    // The window's change v[i] - v[i-p] is exact in double, so adding it at once keeps the sum
    // while halving the chain of dependent additions; the mean is taken with the reciprocal.
    const double scale = 1.0 / p;
    for (int i = first; i < n; ++i) {
        sum += static_cast<double>(v[i]) - static_cast<double>(v[i - p]);
        out[i] = static_cast<float>(sum * scale);
    }
}

void MovingSum(int n, int p, const float* v, float* out) {
    if (n <= 0) return;
    p = ClampPeriod(p, n);
    const int s = FirstValue(n, v);
    const int first = std::min(n, s + p);
    FillEmpty(out, 0, first);
    float sum = 0.0f;
    for (int i = s; i < first; ++i) sum += v[i];
    for (int i = first; i < n; ++i) {
        sum += v[i];
        sum -= v[i - p];
        out[i] = sum;
    }
}

namespace {

// The seed of the smoothed averages: the mean of v[s] .. v[s + p - 1]. Returns false when the
// bars end before the seed is complete.
bool Seed(int n, int p, int s, const float* v, float& seed) {
    if (s + p > n) return false;
    double sum = 0.0;
    for (int i = s; i < s + p; ++i) sum += v[i];
    seed = static_cast<float>(sum / p);
    return true;
}

}  // namespace

void ExponentialAverage(int n, int p, const float* v, float* out) {
    if (n <= 0) return;
    p = ClampPeriod(p, n);
    const int s = FirstValue(n, v);
    const int first = std::min(n, s + p);
    FillEmpty(out, 0, first);
    float e = 0.0f;
    if (!Seed(n, p, s, v, e)) return;
    const float k = static_cast<float>(detail::SmoothingFactor(p));
    const float keep = 1.0f - k;
    for (int i = first; i < n; ++i) {
        e = e * keep + k * v[i];
        out[i] = e;
    }
}

void WilderAverage(int n, int p, const float* v, float* out) {
    if (n <= 0) return;
    p = ClampPeriod(p, n);
    const int s = FirstValue(n, v);
    const int first = std::min(n, s + p);
    FillEmpty(out, 0, first);
    float e = 0.0f;
    if (!Seed(n, p, s, v, e)) return;
    const float keep = static_cast<float>(p - 1);
    const detail::PeriodDivisor divisor(p);
    for (int i = first; i < n; ++i) {
        e = divisor.Divide(keep * e + v[i]);
        out[i] = e;
    }
}

void CumulativeSum(int n, const float* v, float* out) {
    if (n <= 0) return;
    const int s = FirstValue(n, v);
    FillEmpty(out, 0, s);
    float sum = 0.0f;
    for (int i = s; i < n; ++i) {
        sum += v[i];
        out[i] = sum;
    }
}

void BollingerBands(int n, int p, float width, const float* v, float* top, float* bottom) {
    if (n <= 0) return;
    p = ClampPeriod(p, n);
    const int s = FirstValue(n, v);
    const int first = std::min(n, s + p);
    FillEmpty(top, 0, first);
    FillEmpty(bottom, 0, first);
    double sum = 0.0;
    double squares = 0.0;
    for (int i = s; i < first; ++i) {
        sum += v[i];
        squares += static_cast<double>(v[i]) * v[i];
    }
    const double scale = 1.0 / p;
    for (int i = first; i < n; ++i) {
        const double enter = v[i];
        const double leave = v[i - p];
        sum += enter - leave;
        squares += enter * enter - leave * leave;
        const double mean = sum * scale;
        const double variance = squares * scale - mean * mean;
        // Rounding can leave a tiny negative variance on a flat window: no deviation then.
        const double deviation = variance > 0.0 ? std::sqrt(variance) : 0.0;
        if (top != nullptr) top[i] = static_cast<float>(mean + width * deviation);
        if (bottom != nullptr) bottom[i] = static_cast<float>(mean - width * deviation);
    }
}

void BollingerBand(int n, int p, float width, const float* v, float* out) {
    BollingerBands(n, p, width, v, out, nullptr);
}

}  // namespace velmora::indicators
