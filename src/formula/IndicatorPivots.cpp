// Zig-zag, its peaks and troughs, and valuewhen.

#include <vector>

#include "formula/IndicatorSupport.h"

namespace velmora::indicators {

using detail::FillEmpty;

namespace {

struct Mark {
    int bar;
    float value;
};

struct Pivots {
    std::vector<Mark> peaks;
    std::vector<Mark> troughs;
    std::vector<Mark> all;  // the starting point, then every pivot in the order found
};

// Follows v from its first value s and records a peak whenever the price has fallen percent
// below its highest since the last pivot, and a trough whenever it has risen percent above its
// lowest. Pivot bars never decrease.
Pivots FindPivots(int n, float percent, const float* v) {
    Pivots pivots;
    const int s = FirstValue(n, v);
    if (s >= n) return pivots;
    const float rise = 1.0f + percent * 0.01f;
    const float fall = 1.0f - percent * 0.01f;
    enum class Direction { None, Up, Down };
    Direction direction = Direction::None;
    Mark lowest{s, v[s]};
    Mark highest{s, v[s]};
    Mark last{s, v[s]};
    pivots.all.push_back(last);
    for (int i = s; i < n; ++i) {
        const float x = v[i];
        if (!(x > lowest.value)) {
            lowest = {i, x};
            if (direction == Direction::Down) highest = lowest;
        }
        if (x >= highest.value) {
            highest = {i, x};
            if (direction == Direction::Up) lowest = highest;
        }
        if (direction == Direction::None) {
            if (!(last.value * rise > highest.value)) {
                direction = Direction::Up;
                lowest = highest;
            }
            if (last.value * fall >= lowest.value) {
                direction = Direction::Down;
                highest = lowest;
            }
        }
        if (direction == Direction::Up && highest.value * fall >= lowest.value) {
            last = highest;
            pivots.peaks.push_back(last);
            pivots.all.push_back(last);
            direction = Direction::Down;
            highest = lowest;
        }
        if (direction == Direction::Down && !(lowest.value * rise > highest.value)) {
            last = lowest;
            pivots.troughs.push_back(last);
            pivots.all.push_back(last);
            direction = Direction::Up;
            lowest = highest;
        }
    }
    return pivots;
}

// Writes the value of the nth most recent mark at each mark's bar (EMPTY while fewer than nth
// marks have passed) and carries it forward over the bars up to the next mark; EMPTY before the
// first mark.
void CarryNthMark(int n, int nth, const std::vector<Mark>& marks, float* out) {
    const std::size_t back = static_cast<std::size_t>(std::max(nth, 1) - 1);
    FillEmpty(out, 0, marks.empty() ? n : marks.front().bar);
    for (std::size_t k = 0; k < marks.size(); ++k) {
        const int end = k + 1 < marks.size() ? marks[k + 1].bar : n;
        const float value = k >= back ? marks[k - back].value : EMPTY;
        for (int i = marks[k].bar; i < end; ++i) out[i] = value;
    }
}

// Bars since the nth most recent mark at each bar; EMPTY while fewer than nth marks have passed.
void BarsSinceNthMark(int n, int nth, const std::vector<Mark>& marks, float* out) {
    const std::size_t back = static_cast<std::size_t>(std::max(nth, 1) - 1);
    FillEmpty(out, 0, marks.empty() ? n : marks.front().bar);
    for (std::size_t k = 0; k < marks.size(); ++k) {
        const int end = k + 1 < marks.size() ? marks[k + 1].bar : n;
        for (int i = marks[k].bar; i < end; ++i) {
            out[i] = k >= back ? static_cast<float>(i - marks[k - back].bar) : EMPTY;
        }
    }
}

}  // namespace

void ZigZag(int n, float percent, const float* v, float* out) {
    if (n <= 0) return;
    Pivots pivots = FindPivots(n, percent, v);
    if (pivots.all.empty()) {
        FillEmpty(out, 0, n);
        return;
    }
    FillEmpty(out, 0, pivots.all.front().bar);
    pivots.all.push_back({n - 1, v[n - 1]});
    for (std::size_t k = 0; k + 1 < pivots.all.size(); ++k) {
        const Mark from = pivots.all[k];
        const Mark to = pivots.all[k + 1];
        if (to.bar <= from.bar) {
            out[to.bar] = to.value;  // two pivots on one bar: the later one holds it
            continue;
        }
        const float span = static_cast<float>(to.bar - from.bar);
        const float rise = to.value - from.value;
        for (int j = from.bar; j < to.bar; ++j) {
            out[j] = from.value + static_cast<float>(j - from.bar) * rise / span;
        }
        out[to.bar] = to.value;
    }
}

void Peak(int n, float percent, int nth, const float* v, float* out) {
    if (n <= 0) return;
    CarryNthMark(n, nth, FindPivots(n, percent, v).peaks, out);
}

void Trough(int n, float percent, int nth, const float* v, float* out) {
    if (n <= 0) return;
    CarryNthMark(n, nth, FindPivots(n, percent, v).troughs, out);
}

void PeakBars(int n, float percent, int nth, const float* v, float* out) {
    if (n <= 0) return;
    BarsSinceNthMark(n, nth, FindPivots(n, percent, v).peaks, out);
}

void TroughBars(int n, float percent, int nth, const float* v, float* out) {
    if (n <= 0) return;
    BarsSinceNthMark(n, nth, FindPivots(n, percent, v).troughs, out);
}

void ValueWhen(int n, int nth, const float* cond, const float* v, float* out) {
    if (n <= 0) return;
    std::vector<Mark> marks;
    for (int i = FirstValue(n, cond); i < n; ++i) {
        if (IsTrueBar(cond[i])) marks.push_back({i, v[i]});
    }
    CarryNthMark(n, nth, marks, out);
}

}  // namespace velmora::indicators
