// Signal and selection routines, extremes, zig-zag with its pivots, and valuewhen.

#include <random>

#include "IndicatorTestSupport.h"

namespace velmora::test {
namespace {

using namespace velmora::indicators;

Series Apply2(const Series& a, const Series& b,
              void (*f)(int, const float*, const float*, float*)) {
    Series out(a.size());
    f(static_cast<int>(a.size()), a.data(), b.data(), out.data());
    return out;
}

TEST(IndicatorSignals, CrossHoldAndBarsSince) {
    EXPECT_TRUE(SeriesNear(Apply2({1, 2, 3, 1, 3}, {2, 2, 2, 2, 2}, Cross), {E, 0, 1, 0, 1}));
    EXPECT_TRUE(SeriesNear(Apply2({3, 1, 2, 3}, {3, 1, 2, 3}, Cross), {E, 0, 0, 0}));
    // The later first value of the two inputs decides where the signal starts.
    EXPECT_TRUE(SeriesNear(Apply2({E, E, 1, 3}, {2, 2, 2, 2}, Cross), {E, E, E, 1}));
    EXPECT_TRUE(SeriesNear(
        Apply({0, 1, 0, 0, 1, 1, 0, 0}, [](int n, const float* v, float* o) { Hold(n, 2, v, o); }),
        {0, 1, 1, 0, 1, 1, 1, 0}));
    EXPECT_TRUE(
        SeriesNear(Apply({E, 1, 0, 0}, [](int n, const float* v, float* o) { Hold(n, 0, v, o); }),
                   {E, 0, 0, 0}));
    EXPECT_TRUE(SeriesNear(
        Apply({0, E, 1, 0, 0, 1, 0}, [](int n, const float* v, float* o) { BarsSince(n, v, o); }),
        {E, E, 0, 1, 2, 0, 1}));
}

TEST(IndicatorSignals, SelectionAndBarPatterns) {
    const Series cond = {E, 1, 0, E};
    const Series a = {1, 2, 3, 4};
    const Series b = {5, 6, 7, 8};
    Series out(4);
    Iif(4, cond.data(), a.data(), b.data(), out.data());
    EXPECT_TRUE(SeriesNear(out, {E, 2, 7, 8}));
    EXPECT_TRUE(SeriesNear(Apply2({E, 1, 9, 4}, {3, 2, 8, 5}, Max), {E, 2, 9, 5}));
    EXPECT_TRUE(SeriesNear(Apply2({E, 1, 9, 4}, {3, 2, 8, 5}, Min), {E, 1, 8, 4}));

    const Series high = {10, 9, 11, 13, 10};
    const Series low = {5, 6, 4, 11.5f, 8};
    EXPECT_TRUE(SeriesNear(Apply2(high, low, InsideBar), {E, 1, 0, 0, 0}));
    EXPECT_TRUE(SeriesNear(Apply2(high, low, OutsideBar), {E, 0, 1, 0, 0}));
    EXPECT_TRUE(SeriesNear(Apply2(high, low, GapUp), {E, 0, 0, 1, 0}));
    EXPECT_TRUE(SeriesNear(Apply2(high, low, GapDown), {E, 0, 0, 0, 1}));
}

TEST(IndicatorSignals, DivergencePrecisionAndRef) {
    const Series a = {10, 12, 10, 10.5f};
    const Series b = {5, 4, 6, 5};
    Series out(4);
    Divergence(4, 10.0f, a.data(), b.data(), out.data());
    EXPECT_TRUE(SeriesNear(out, {E, 1, -1, 0}));

    EXPECT_TRUE(SeriesNear(Apply({12.345f, -12.345f, 0.0f},
                                 [](int n, const float* v, float* o) { Precision(n, 2, v, o); }),
                           {12.34f, -12.34f, 0}));
    // Values that are already round stay as they are (a binary remainder of 0.1 would cut 12
    // to 11.9 and 0.29 to 0.28); negative places cut to tens.
    EXPECT_TRUE(SeriesNear(Apply({12.0f, 0.29f, 0.5f, -7.0f, 1234.0f},
                                 [](int n, const float* v, float* o) { Precision(n, 1, v, o); }),
                           {12.0f, 0.2f, 0.5f, -7.0f, 1234.0f}, 0));
    EXPECT_TRUE(SeriesNear(
        Apply({0.29f, 1.005f}, [](int n, const float* v, float* o) { Precision(n, 2, v, o); }),
        {0.29f, 1.0f}, 0));
    EXPECT_TRUE(SeriesNear(
        Apply({1234.0f, -1299.0f}, [](int n, const float* v, float* o) { Precision(n, -2, v, o); }),
        {1200.0f, -1200.0f}, 0));
    // Far too many places: the step underflows and the values stay as they are.
    EXPECT_TRUE(SeriesNear(
        Apply({1.5f}, [](int n, const float* v, float* o) { Precision(n, 400, v, o); }), {1.5f}));

    const Series v = {E, E, 1, 2, 3};
    EXPECT_TRUE(SeriesNear(Apply(v, [](int n, const float* x, float* o) { Ref(n, -1, x, o); }),
                           {E, E, E, 1, 2}));
    EXPECT_TRUE(SeriesNear(Apply(v, [](int n, const float* x, float* o) { Ref(n, 1, x, o); }),
                           {E, 1, 2, 3, 3}));
    EXPECT_TRUE(SeriesNear(Apply(v, [](int n, const float* x, float* o) { Ref(n, 2, x, o); }),
                           {1, 2, 3, 3, 3}));
    EXPECT_TRUE(SeriesNear(Apply(v, [](int n, const float* x, float* o) { Ref(n, 99, x, o); }),
                           {3, 3, 3, 3, 3}));
    EXPECT_TRUE(SeriesNear(Apply(v, [](int n, const float* x, float* o) { Ref(n, -99, x, o); }),
                           {E, E, E, E, E}));
}

TEST(IndicatorExtremes, WindowedExtremesKeepTheOldestOfEqualValues) {
    Series value(5), bars(5);
    const Series falling = {5, 4, 3, 2, 1};
    HighestHigh(5, 3, falling.data(), value.data(), bars.data());
    EXPECT_TRUE(SeriesNear(value, {5, 5, 5, 4, 3}));
    EXPECT_TRUE(SeriesNear(bars, {0, 1, 2, 2, 2}));
    const Series rising = {1, 2, 3, 4, 5};
    HighestHigh(5, 3, rising.data(), value.data(), bars.data());
    EXPECT_TRUE(SeriesNear(bars, {0, 0, 0, 0, 0}));
    LowestLow(5, 3, rising.data(), value.data(), bars.data());
    EXPECT_TRUE(SeriesNear(value, {1, 1, 1, 2, 3}));
    const Series flat = {3, 3, 3, 3, 3};
    HighestHigh(5, 2, flat.data(), nullptr, bars.data());
    EXPECT_TRUE(SeriesNear(bars, {0, 1, 1, 1, 1}));
    const Series bumpy = {E, 2, 5, 1, 5, 0};
    Series v6(6), b6(6);
    Highest(6, bumpy.data(), v6.data(), b6.data());
    EXPECT_TRUE(SeriesNear(v6, {E, 2, 5, 5, 5, 5}));
    EXPECT_TRUE(SeriesNear(b6, {E, 0, 0, 1, 2, 3}));
    Lowest(6, bumpy.data(), v6.data(), b6.data());
    EXPECT_TRUE(SeriesNear(v6, {E, 2, 2, 1, 1, 0}));
    EXPECT_TRUE(SeriesNear(b6, {E, 0, 1, 0, 1, 0}));
}

TEST(IndicatorExtremes, MatchABruteForceSearchOfEveryWindow) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> pick(0, 6);  // few distinct values: many ties
    for (int round = 0; round < 30; ++round) {
        const int n = 200;
        const int p = 1 + round % 9;
        Series v(n);
        for (float& x : v) x = static_cast<float>(pick(random));
        for (int i = 0; i < round % 4; ++i) v[i] = E;
        if (round % 5 == 4) v[n / 2] = std::nanf("");  // a NaN takes the re-search itself
        if (round % 3 == 2) v[n / 3] = -0.0f;          // equal to 0 for the comparisons
        Series hi(n), hiBars(n), lo(n), loBars(n);
        HighestHigh(n, p, v.data(), hi.data(), hiBars.data());
        LowestLow(n, p, v.data(), lo.data(), loBars.data());
        const int s = FirstValue(n, v.data());
        for (int i = s; i < n; ++i) {
            int bestHi = std::max(s, i - p + 1);
            int bestLo = bestHi;
            for (int j = bestHi; j <= i; ++j) {
                if (v[j] > v[bestHi]) bestHi = j;
                if (v[j] < v[bestLo]) bestLo = j;
            }
            if (round % 5 == 4 && i >= n / 2 && i < n / 2 + p) continue;  // NaN in the window
            ASSERT_EQ(std::signbit(hi[i]), std::signbit(v[bestHi]))
                << "round " << round << " bar " << i;
            ASSERT_EQ(hi[i], v[bestHi]) << "round " << round << " bar " << i;
            ASSERT_EQ(hiBars[i], static_cast<float>(i - bestHi))
                << "round " << round << " bar " << i;
            ASSERT_EQ(lo[i], v[bestLo]) << "round " << round << " bar " << i;
            ASSERT_EQ(loBars[i], static_cast<float>(i - bestLo))
                << "round " << round << " bar " << i;
        }
    }
}

TEST(IndicatorPivots, ZigZagPeaksAndTroughs) {
    const Series v = {10, 12, 15, 12, 9, 11, 14, 12, 15, 10};
    // Peaks at bars 2 (15), 6 (14) and 8 (15), troughs at bars 4 (9) and 7 (12); the line ends
    // at the last bar's value.
    Series out(v.size());
    const int n = static_cast<int>(v.size());
    ZigZag(n, 10, v.data(), out.data());
    EXPECT_TRUE(SeriesNear(out, {10, 12.5f, 15, 12, 9, 11.5f, 14, 12, 15, 10}));
    Peak(n, 10, 1, v.data(), out.data());
    EXPECT_TRUE(SeriesNear(out, {E, E, 15, 15, 15, 15, 14, 14, 15, 15}));
    Peak(n, 10, 2, v.data(), out.data());
    EXPECT_TRUE(SeriesNear(out, {E, E, E, E, E, E, 15, 15, 14, 14}));
    PeakBars(n, 10, 1, v.data(), out.data());
    EXPECT_TRUE(SeriesNear(out, {E, E, 0, 1, 2, 3, 0, 1, 0, 1}));
    // The second most recent peak: bars since bar 2 until the peak of bar 8 makes bar 6 second.
    PeakBars(n, 10, 2, v.data(), out.data());
    EXPECT_TRUE(SeriesNear(out, {E, E, E, E, E, E, 4, 5, 2, 3}));
    Trough(n, 10, 1, v.data(), out.data());
    EXPECT_TRUE(SeriesNear(out, {E, E, E, E, 9, 9, 9, 12, 12, 12}));
    TroughBars(n, 10, 1, v.data(), out.data());
    EXPECT_TRUE(SeriesNear(out, {E, E, E, E, 0, 1, 2, 0, 1, 2}));
}

TEST(IndicatorPivots, ValueWhenTakesTheNthMostRecentTrueBar) {
    const Series cond = {0, 1, 0, 1, E, 1};
    const Series v = {10, 20, 30, 40, 50, 60};
    Series out(6);
    ValueWhen(6, 1, cond.data(), v.data(), out.data());
    EXPECT_TRUE(SeriesNear(out, {E, 20, 20, 40, 40, 60}));
    ValueWhen(6, 2, cond.data(), v.data(), out.data());
    EXPECT_TRUE(SeriesNear(out, {E, E, E, 20, 20, 40}));
    ValueWhen(6, 9, cond.data(), v.data(), out.data());
    EXPECT_TRUE(SeriesNear(out, Series(6, E)));
}

}  // namespace
}  // namespace velmora::test
