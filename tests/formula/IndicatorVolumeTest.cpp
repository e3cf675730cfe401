// Volume routines, market breadth, relative strength and directional movement computed by hand.

#include "IndicatorTestSupport.h"
#include "database/PackedDate.h"

namespace velmora::test {
namespace {

using namespace velmora::indicators;

Quotation Q(PackedDate date, float close, float high, float low, std::int32_t volume) {
    Quotation q;
    q.Date = date;
    q.Close = close;
    q.Open = close;
    q.High = high;
    q.Low = low;
    q.Volume = volume;
    return q;
}

TEST(IndicatorVolume, OnBalanceVolumeAndAccumulationDistributionReadTheQuotations) {
    const QuotationList quotes = {
        Q(MakeDate(2024, 1, 2), 1, 2, 0, 10), Q(MakeDate(2024, 1, 3), 2, 2, 2, 20),
        Q(MakeDate(2024, 1, 4), 2, 2, 2, 30), Q(MakeDate(2024, 1, 5), 1, 4, 0, 40)};
    Series out(4);
    OnBalanceVolume(quotes, out.data());
    EXPECT_TRUE(SeriesNear(out, {10, 30, 30, -10}));
    // Bar 0: 10 * (2 - 2) / 2 = 0; bars 1 and 2 have high = low and carry; bar 3: 40 * -2 / 4.
    AccumulationDistribution(quotes, out.data());
    EXPECT_TRUE(SeriesNear(out, {0, 0, 0, -20}));
}

TEST(IndicatorVolume, ChaikinOscillatorWarmsUpLikeTheOtherOscillators) {
    // fast 1 follows the line, slow 3 (k = 0.5): 0, 1, 2.5, 4.25.
    EXPECT_TRUE(SeriesNear(
        Apply({0, 2, 4, 6}, [](int n, const float* v, float* o) { Chaikin(n, 1, 3, v, o); }),
        {E, E, E, 0.175f}));
}

TEST(IndicatorVolume, VolumeIndexesFollowTheCloseOnFallingOrRisingVolume) {
    const Series close = {10, 11, 22, 11, 0, 5};
    const Series volume = {5, 4, 6, 3, 2, 1};
    Series out(6);
    NegativeVolumeIndex(6, close.data(), volume.data(), out.data());
    // The close of 0 takes the index to 0; the bar after it has no ratio and carries.
    EXPECT_TRUE(SeriesNear(out, {100, 110, 110, 55, 0, 0}));
    PositiveVolumeIndex(6, close.data(), volume.data(), out.data());
    EXPECT_TRUE(SeriesNear(out, {100, 100, 200, 200, 200, 200}));
}

TEST(IndicatorVolume, MarketBreadth) {
    const Series adv = {E, 2, 2, 10, 1, 5};
    const Series dec = {E, 1, 0, 1, 5, 1};
    const Series unc = {E, 0, 0, 8, 3, 0};
    const Series advVolume = {E, 10, 10, 1, 1, 1};
    const Series decVolume = {E, 20, 20, 1, 1, 1};
    Series out(6);
    Trin(6, adv.data(), dec.data(), advVolume.data(), decVolume.data(), out.data());
    EXPECT_TRUE(SeriesNear(out, {E, 4, 0.0001f, 10, 0.2f, 5}));
    AdvanceDeclineLine(6, adv.data(), dec.data(), unc.data(), out.data());
    // x = 1, 2, 1, -1, 4
    EXPECT_TRUE(SeriesNear(out, {E, 1, 1 + std::sqrt(2.0f), 2 + std::sqrt(2.0f),
                                 1 + std::sqrt(2.0f), 3 + std::sqrt(2.0f)}));
}

TEST(IndicatorVolume, RelativeStrengthMatchesDatesOfTheBase) {
    const QuotationList stock = {
        Q(MakeDate(2024, 1, 2), 10, 10, 10, 1), Q(MakeDate(2024, 1, 3), 20, 20, 20, 1),
        Q(MakeDate(2024, 1, 4), 30, 30, 30, 1), Q(MakeDate(2024, 1, 5), 40, 40, 40, 1)};
    const QuotationList base = {
        Q(MakeDate(2023, 12, 29), 1, 1, 1, 1), Q(MakeDate(2024, 1, 2), 5, 5, 5, 1),
        Q(MakeDate(2024, 1, 4), 0, 0, 0, 1), Q(MakeDate(2024, 1, 5), 8, 8, 8, 1)};
    Series out(4);
    RelativeStrength(stock, base, out.data());
    EXPECT_TRUE(SeriesNear(out, {2000, E, E, 5000}));
}

TEST(IndicatorDirectional, TrueRangeAndDirectionalMoves) {
    const Series close = {10, 12};
    const Series high = {11, 11.5f};
    const Series low = {9, 11};
    Series out(2);
    TrueRange(2, close.data(), high.data(), low.data(), out.data());
    EXPECT_TRUE(SeriesNear(out, {2, 1.5f}));

    const Series h = {10, 12, 11, 13};
    const Series l = {8, 9, 6, 4};
    Series plus(4), minus(4);
    PlusMove(4, h.data(), l.data(), plus.data());
    MinusMove(4, h.data(), l.data(), minus.data());
    // Bar 3: up 2 against down 2: a tie belongs to neither side.
    EXPECT_TRUE(SeriesNear(plus, {E, 2, 0, 0}));
    EXPECT_TRUE(SeriesNear(minus, {E, 0, 3, 0}));
}

TEST(IndicatorDirectional, DirectionalIndicatorsAndAdx) {
    const Series close = {10, 11, 12, 11, 10};
    const Series high = {10.5f, 11.5f, 12.5f, 11.5f, 10.5f};
    const Series low = {9.5f, 10.5f, 11.5f, 10.5f, 9.5f};
    Series out(5);
    // With p = 1 the Wilder average is its input from the second value on: atr = 1.5 from bar 1,
    // the moves +1, +1, 0, 0 and 0, 0, +1, +1 from bar 2.
    PlusDirectional(5, 1, close.data(), high.data(), low.data(), out.data());
    EXPECT_TRUE(SeriesNear(out, {E, E, 200.0f / 3, 0, 0}));
    MinusDirectional(5, 1, close.data(), high.data(), low.data(), out.data());
    EXPECT_TRUE(SeriesNear(out, {E, E, 0, 200.0f / 3, 200.0f / 3}));
    AverageDirectional(5, 1, close.data(), high.data(), low.data(), out.data());
    EXPECT_TRUE(SeriesNear(out, {E, E, E, 100, 100}));
    AverageTrueRange(5, 2, close.data(), high.data(), low.data(), out.data());
    // True range 1, 1.5, 1.5, 1.5, 1.5; seed 1.25 at bar 1; (1.25 + 1.5) / 2 at bar 2.
    EXPECT_TRUE(SeriesNear(out, {E, E, 1.375f, 1.4375f, 1.46875f}));

    // A flat series has no true range and no movement: 0, never a division by zero.
    const Series flat(40, 5.0f);
    Series adx(40);
    AverageDirectional(40, 14, flat.data(), flat.data(), flat.data(), adx.data());
    EXPECT_EQ(adx[28], E);
    EXPECT_EQ(adx[29], 0.0f);
    EXPECT_EQ(adx[39], 0.0f);
}

TEST(IndicatorDirectional, ParabolicSarIsEmptyUntilTheFirstReversal) {
    const Series low = {10, 11, 12, 13, 9, 8, 8.5f};
    const Series high = {11, 12, 13, 14, 10, 9.5f, 15};
    Series out(7);
    ParabolicSar(7, 0.02f, 0.2f, high.data(), low.data(), out.data());
    // Long from bar 0; the stop 10.3528 of bar 4 is broken by its low of 9: short at the
    // extreme 14; bar 5 keeps 14 (not below the highs of bars 3 and 4); bar 6's high of 15
    // breaks 13.76 and the stop jumps to the low extreme 8.
    EXPECT_TRUE(SeriesNear(out, {E, E, E, E, 14, 14, 8}));
    // A steady rise never reverses.
    const Series up = {1, 2, 3, 4, 5, 6, 7};
    ParabolicSar(7, 0.02f, 0.2f, up.data(), up.data(), out.data());
    EXPECT_TRUE(SeriesNear(out, Series(7, E)));
}

}  // namespace
}  // namespace velmora::test
