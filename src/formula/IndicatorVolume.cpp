// Volume routines (on-balance volume, accumulation/distribution, Chaikin, volume indexes),
// market breadth and relative strength.

#include <cmath>

#include "formula/IndicatorSupport.h"

namespace velmora::indicators {

using detail::ClampPeriod;
using detail::FillEmpty;

void OnBalanceVolume(std::span<const Quotation> quotes, float* out) {
    if (quotes.empty()) return;
    float total = static_cast<float>(quotes[0].Volume);
    out[0] = total;
    for (std::size_t i = 1; i < quotes.size(); ++i) {
        const float volume = static_cast<float>(quotes[i].Volume);
        const float now = quotes[i].Close;
        const float before = quotes[i - 1].Close;
        // Adding 0 leaves the total exactly as it is; no unpredictable branch.
        total += now > before ? volume : (now < before ? -volume : 0.0f);
        out[i] = total;
    }
}

void AccumulationDistribution(std::span<const Quotation> quotes, float* out) {
    float total = 0.0f;
    for (std::size_t i = 0; i < quotes.size(); ++i) {
        const Quotation& q = quotes[i];
        if (q.High > q.Low) {
            total += detail::Saturate(static_cast<double>(q.Volume) *
                                      (2.0f * q.Close - q.High - q.Low) / (q.High - q.Low));
        }
        out[i] = total;
    }
}

void Chaikin(int n, int fast, int slow, const float* adLine, float* out) {
    if (n <= 0) return;
    fast = ClampPeriod(fast, n);
    slow = ClampPeriod(slow, n);
    const int s = FirstValue(n, adLine);
    // The averages are started at the first value, so they say little before the slow one has
    // seen `slow` bars: like the MACD and the other oscillators, the first value appears at
    // s + slow.
    FillEmpty(out, 0, std::min(n, s + slow));
    if (s >= n) return;
    const float kFast = static_cast<float>(detail::SmoothingFactor(fast));
    const float kSlow = static_cast<float>(detail::SmoothingFactor(slow));
    float fastAvg = adLine[s];
    float slowAvg = adLine[s];
    for (int i = s; i < n; ++i) {
        fastAvg = fastAvg * (1.0f - kFast) + kFast * adLine[i];
        slowAvg = slowAvg * (1.0f - kSlow) + kSlow * adLine[i];
        if (i >= s + slow) out[i] = (fastAvg - slowAvg) * 0.1f;
    }
}

namespace {

// The volume indexes: 100 on the first bar, following the close's ratio on the bars that
// `follows` picks. A previous close of 0 has no ratio: the index carries.
template <typename Follows>
void VolumeIndex(int n, const float* close, const float* volume, float* out, Follows follows) {
    if (n <= 0) return;
    float index = 100.0f;
    out[0] = index;
    for (int i = 1; i < n; ++i) {
        if (follows(volume[i], volume[i - 1]) && close[i - 1] != 0.0f) {
            index = detail::Saturate(static_cast<double>(index) * close[i] / close[i - 1]);
        }
        out[i] = index;
    }
}

}  // namespace

void NegativeVolumeIndex(int n, const float* close, const float* volume, float* out) {
    VolumeIndex(n, close, volume, out, [](float now, float before) { return now < before; });
}

void PositiveVolumeIndex(int n, const float* close, const float* volume, float* out) {
    VolumeIndex(n, close, volume, out, [](float now, float before) { return now > before; });
}

void Trin(int n, const float* advIssues, const float* decIssues, const float* advVolume,
          const float* decVolume, float* out) {
    if (n <= 0) return;
    const int s = FirstValue(n, advIssues);
    FillEmpty(out, 0, s);
    for (int i = s; i < n; ++i) {
        const float divisor = decIssues[i] * advVolume[i];
        out[i] = divisor > 0.0f
                     ? detail::Saturate(static_cast<double>(advIssues[i]) * decVolume[i] / divisor)
                     : 0.0001f;
    }
}

void AdvanceDeclineLine(int n, const float* advIssues, const float* decIssues,
                        const float* uncIssues, float* out) {
    if (n <= 0) return;
    const int s = FirstValue(n, advIssues);
    FillEmpty(out, 0, s);
    float line = 0.0f;
    for (int i = s; i < n; ++i) {
        const float divisor = uncIssues[i] + 1.0f;
        // Unchanged issues of -1 (never in real data) would divide by zero: no step.
        const float x = divisor != 0.0f ? (advIssues[i] - decIssues[i]) / divisor : 0.0f;
        line += x > 0.0f ? std::sqrt(x) : -std::sqrt(-x);
        out[i] = line;
    }
}

void RelativeStrength(std::span<const Quotation> quotes, std::span<const Quotation> base,
                      float* out) {
    // Both lists are ascending by date: one merge walk finds each date's base quotation.
    std::size_t b = 0;
    for (std::size_t i = 0; i < quotes.size(); ++i) {
        while (b < base.size() && base[b].Date < quotes[i].Date) ++b;
        if (b < base.size() && base[b].Date == quotes[i].Date && base[b].Close > 0.0f) {
            out[i] = detail::Saturate(1000.0 * quotes[i].Close / base[b].Close);
        } else {
            out[i] = EMPTY;
        }
    }
}

}  // namespace velmora::indicators
