// Averages, sums, bands, the MACD family and the single-input oscillators on short series
// computed by hand.

#include "IndicatorTestSupport.h"

namespace velmora::test {
namespace {

using namespace velmora::indicators;

const Series kRamp = {1, 2, 3, 4, 5};

TEST(IndicatorAverages, SimpleAverageAndSumStartOneBarAfterTheFirstFullWindow) {
    EXPECT_TRUE(
        SeriesNear(Apply(kRamp, [](int n, const float* v, float* o) { MovingAverage(n, 2, v, o); }),
                   {E, E, 2.5f, 3.5f, 4.5f}));
    EXPECT_TRUE(
        SeriesNear(Apply(kRamp, [](int n, const float* v, float* o) { MovingSum(n, 2, v, o); }),
                   {E, E, 5, 7, 9}));
    // ma(v, 1) is v from the second bar on.
    EXPECT_TRUE(
        SeriesNear(Apply(kRamp, [](int n, const float* v, float* o) { MovingAverage(n, 1, v, o); }),
                   {E, 2, 3, 4, 5}));
    // Leading EMPTY bars move the warm-up.
    EXPECT_TRUE(SeriesNear(Apply(Prepend(2, kRamp), [](int n, const float* v,
                                                       float* o) { MovingAverage(n, 2, v, o); }),
                           {E, E, E, E, 2.5f, 3.5f, 4.5f}));
    // A period longer than the bars leaves everything EMPTY; a period of 0 is taken as 1.
    EXPECT_TRUE(
        SeriesNear(Apply(kRamp, [](int n, const float* v, float* o) { MovingAverage(n, 9, v, o); }),
                   {E, E, E, E, E}));
    EXPECT_TRUE(
        SeriesNear(Apply(kRamp, [](int n, const float* v, float* o) { MovingSum(n, 0, v, o); }),
                   {E, 2, 3, 4, 5}));
}

TEST(IndicatorAverages, ExponentialAndWilderAreSeededWithTheFirstWindowMean) {
    // p = 3: k = 0.5, seed = mean(1, 2, 3) = 2 at bar 2, first value at bar 3.
    EXPECT_TRUE(SeriesNear(
        Apply(kRamp, [](int n, const float* v, float* o) { ExponentialAverage(n, 3, v, o); }),
        {E, E, E, 3, 4}));
    EXPECT_TRUE(
        SeriesNear(Apply(kRamp, [](int n, const float* v, float* o) { WilderAverage(n, 3, v, o); }),
                   {E, E, E, 8.0f / 3, 31.0f / 9}));
    EXPECT_TRUE(SeriesNear(Apply(Prepend(1, {2, 4, 6}),
                                 [](int n, const float* v, float* o) { CumulativeSum(n, v, o); }),
                           {E, 2, 6, 12}));
}

TEST(IndicatorAverages, BollingerBandsArePopulationDeviations) {
    EXPECT_TRUE(SeriesNear(
        Apply(kRamp, [](int n, const float* v, float* o) { BollingerBand(n, 2, 2.0f, v, o); }),
        {E, E, 3.5f, 4.5f, 5.5f}));
    EXPECT_TRUE(SeriesNear(
        Apply(kRamp, [](int n, const float* v, float* o) { BollingerBand(n, 2, -2.0f, v, o); }),
        {E, E, 1.5f, 2.5f, 3.5f}));
    // A flat window has no deviation (its computed variance may round below 0).
    const Series flat(20, 0.1f);
    const Series band =
        Apply(flat, [](int n, const float* v, float* o) { BollingerBand(n, 5, 2.0f, v, o); });
    for (std::size_t i = 5; i < band.size(); ++i) EXPECT_NEAR(band[i], 0.1f, 1e-6f) << i;
}

TEST(IndicatorOscillators, MacdSignalAndPriceOscillator) {
    const Series ramp7 = {1, 2, 3, 4, 5, 6, 7};
    // fast 1 (k = 1) follows the price, slow 3 (k = 0.5): 1, 1.5, 2.25, 3.125, 4.0625, ...
    EXPECT_TRUE(
        SeriesNear(Apply(kRamp, [](int n, const float* v, float* o) { Macd(n, 1, 3, v, o); }),
                   {E, E, E, 0.875f, 0.9375f}));
    // Signal average from 0 with k = 0.5 over d = 0, .5, .75, .875, .9375, .96875, .984375.
    EXPECT_TRUE(SeriesNear(
        Apply(ramp7, [](int n, const float* v, float* o) { MacdSignal(n, 1, 3, 3, v, o); }),
        {E, E, E, E, E, E, 0.9375f}));
    EXPECT_TRUE(
        SeriesNear(Apply(kRamp, [](int n, const float* v, float* o) { Oscillator(n, 1, 3, v, o); }),
                   {E, E, E, 28.0f, 0.9375f * 100 / 4.0625f}));
    // Zero volumes: no percentage, 0.
    EXPECT_TRUE(SeriesNear(
        Apply(Series(5, 0.0f), [](int n, const float* v, float* o) { Oscillator(n, 1, 3, v, o); }),
        {E, E, E, 0, 0}));
}

TEST(IndicatorOscillators, RateOfChangeGivesZeroAfterAZeroValue) {
    EXPECT_TRUE(SeriesNear(
        Apply({0, 5, 10}, [](int n, const float* v, float* o) { RateOfChange(n, 1, v, o); }),
        {E, 0, 100}));
    EXPECT_TRUE(SeriesNear(Apply(Prepend(1, {4, 5, 6, 2}),
                                 [](int n, const float* v, float* o) { RateOfChange(n, 2, v, o); }),
                           {E, E, E, 50, -60}));
}

TEST(IndicatorOscillators, RsiSmoothsUpAndDownMovesAndIsFiftyWhenFlat) {
    EXPECT_TRUE(
        SeriesNear(Apply({1, 2, 1, 1}, [](int n, const float* v, float* o) { Rsi(n, 2, v, o); }),
                   {E, E, 100.0f / 3, 100.0f / 3}));
    EXPECT_TRUE(
        SeriesNear(Apply(Series(6, 7.0f), [](int n, const float* v, float* o) { Rsi(n, 3, v, o); }),
                   {E, E, E, 50, 50, 50}));
}

TEST(IndicatorOscillators, StochasticOfTheCloses) {
    const Series closes = {1, 3, 2, 4, 3};
    Series k(5), d(5);
    Stochastic(5, 3, closes.data(), k.data(), d.data());
    EXPECT_TRUE(SeriesNear(k, {E, E, E, 100, 75}));
    EXPECT_TRUE(SeriesNear(d, {E, E, E, 100, 275.0f / 3}));
    // Equal closes over the window: 50, and the smoothing goes on from there.
    const Series flatThenUp = {5, 5, 5, 5, 5, 6};
    Series k2(6), d2(6);
    Stochastic(6, 3, flatThenUp.data(), k2.data(), d2.data());
    EXPECT_TRUE(SeriesNear(k2, {E, E, E, 50, 50, 75}));
    EXPECT_TRUE(SeriesNear(d2, {E, E, E, 50, 50, 175.0f / 3}));
}

TEST(IndicatorOscillators, UltimateOscillatorCarriesOverWindowsWithoutMoves) {
    // Differences +1, +2, -1, +2, 0; first value at s + 1 + p3 = 4.
    const float expected = (4.0f * 1 + 2.0f * 2 / 3 + 4.0f / 5) * 100 / 7;
    EXPECT_TRUE(SeriesNear(
        Apply({1, 2, 4, 3, 5, 5},
              [](int n, const float* v, float* o) { UltimateOscillator(n, 1, 2, 3, v, o); }),
        {E, E, E, E, expected, expected}));
}

TEST(IndicatorOscillators, TrixCciAndMfi) {
    // TRIX with p = 1 is the per-mille change of the price itself.
    EXPECT_TRUE(
        SeriesNear(Apply({1, 2, 4, 4}, [](int n, const float* v, float* o) { Trix(n, 1, v, o); }),
                   {E, 1000, 1000, 0}));
    // CCI p = 2 at bar 2: mean 3, mean deviation 1.
    EXPECT_TRUE(
        SeriesNear(Apply({1, 2, 4}, [](int n, const float* v, float* o) { Cci(n, 2, v, o); }),
                   {E, E, 66.666f}));
    EXPECT_TRUE(
        SeriesNear(Apply(Series(4, 3.0f), [](int n, const float* v, float* o) { Cci(n, 2, v, o); }),
                   {E, E, 0, 0}));
    // MFI p = 2: bar 2 has +2 and -1 flows, bar 3 drops bar 1's +2 and adds +3.
    const Series typical = {1, 2, 1, 3};
    const Series volume = {1, 1, 1, 1};
    Series out(4);
    Mfi(4, 2, typical.data(), volume.data(), out.data());
    EXPECT_TRUE(SeriesNear(out, {E, E, 200.0f / 3, 75}));
    // Without any flow the index has no value to carry: it stays EMPTY rather than divide 0 by 0.
    const Series zeros(4, 0.0f);
    Mfi(4, 2, typical.data(), zeros.data(), out.data());
    EXPECT_TRUE(SeriesNear(out, {E, E, E, E}));
}

}  // namespace
}  // namespace velmora::test
