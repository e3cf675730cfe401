// Every routine over awkward series: flat, all zeros, zero volumes, a random walk through zero,
// leading EMPTY bars. Nothing may come out as NaN or infinity, and the leading EMPTY bars of the
// input stay EMPTY in every output of a routine that follows the leading-EMPTY rule.

#include <functional>
#include <random>

#include "IndicatorTestSupport.h"

namespace velmora::test {
namespace {

using namespace velmora::indicators;

struct Bars {
    Series close, high, low, volume, avg;
    QuotationList quotes;
    int Count() const { return static_cast<int>(close.size()); }
};

Bars MakeBars(const Series& close, const Series& volume, int leadingEmpty) {
    Bars b;
    for (std::size_t i = 0; i < close.size(); ++i) {
        const bool empty = static_cast<int>(i) < leadingEmpty;
        const float c = close[i];
        const float spread = std::fabs(c) * 0.01f * static_cast<float>(i % 3);
        b.close.push_back(empty ? E : c);
        b.high.push_back(empty ? E : c + spread);
        b.low.push_back(empty ? E : c - spread);
        b.volume.push_back(empty ? E : volume[i]);
        b.avg.push_back(empty ? E : c);
        Quotation q;
        q.Date = static_cast<PackedDate>(i + 1);
        q.Close = c;
        q.High = c + spread;
        q.Low = c - spread;
        q.Volume = static_cast<std::int32_t>(volume[i]);
        b.quotes.push_back(q);
    }
    return b;
}

struct Routine {
    const char* name;
    bool leadingRule;  // follows the leading-EMPTY rule of its deciding input
    std::function<void(const Bars&, float*)> run;
};

std::vector<Routine> AllRoutines() {
    using B = const Bars&;
    auto n = [](B b) { return b.Count(); };
    return {
        {"ma", true, [=](B b, float* o) { MovingAverage(n(b), 5, b.close.data(), o); }},
        {"sum", true, [=](B b, float* o) { MovingSum(n(b), 5, b.close.data(), o); }},
        {"ema", true, [=](B b, float* o) { ExponentialAverage(n(b), 5, b.close.data(), o); }},
        {"wilder", true, [=](B b, float* o) { WilderAverage(n(b), 5, b.close.data(), o); }},
        {"cum", true, [=](B b, float* o) { CumulativeSum(n(b), b.close.data(), o); }},
        {"bbandtop", true,
         [=](B b, float* o) { BollingerBand(n(b), 15, 2.0f, b.close.data(), o); }},
        {"macd", true, [=](B b, float* o) { Macd(n(b), 12, 26, b.close.data(), o); }},
        {"signal", true, [=](B b, float* o) { MacdSignal(n(b), 12, 26, 9, b.close.data(), o); }},
        {"oscp", true, [=](B b, float* o) { Oscillator(n(b), 3, 10, b.close.data(), o); }},
        {"oscv", true, [=](B b, float* o) { Oscillator(n(b), 3, 10, b.volume.data(), o); }},
        {"roc", true, [=](B b, float* o) { RateOfChange(n(b), 12, b.close.data(), o); }},
        {"rsi", true, [=](B b, float* o) { Rsi(n(b), 14, b.close.data(), o); }},
        {"stoch", true, [=](B b, float* o) { Stochastic(n(b), 14, b.close.data(), o, nullptr); }},
        {"stochd", true, [=](B b, float* o) { Stochastic(n(b), 14, b.close.data(), nullptr, o); }},
        {"ultimate", true,
         [=](B b, float* o) { UltimateOscillator(n(b), 7, 14, 28, b.close.data(), o); }},
        {"trix", true, [=](B b, float* o) { Trix(n(b), 9, b.close.data(), o); }},
        {"cci", true, [=](B b, float* o) { Cci(n(b), 14, b.avg.data(), o); }},
        {"mfi", true, [=](B b, float* o) { Mfi(n(b), 14, b.avg.data(), b.volume.data(), o); }},
        {"obv", false, [=](B b, float* o) { OnBalanceVolume(b.quotes, o); }},
        {"accdist", false, [=](B b, float* o) { AccumulationDistribution(b.quotes, o); }},
        {"chaikin", true, [=](B b, float* o) { Chaikin(n(b), 9, 14, b.close.data(), o); }},
        {"nvi", false,
         [=](B b, float* o) { NegativeVolumeIndex(n(b), b.close.data(), b.volume.data(), o); }},
        {"pvi", false,
         [=](B b, float* o) { PositiveVolumeIndex(n(b), b.close.data(), b.volume.data(), o); }},
        {"trin", true,
         [=](B b, float* o) {
             Trin(n(b), b.close.data(), b.low.data(), b.volume.data(), b.high.data(), o);
         }},
        {"adline", true,
         [=](B b, float* o) {
             AdvanceDeclineLine(n(b), b.close.data(), b.low.data(), b.volume.data(), o);
         }},
        {"atr", true,
         [=](B b, float* o) {
             AverageTrueRange(n(b), 14, b.close.data(), b.high.data(), b.low.data(), o);
         }},
        {"pdi", true,
         [=](B b, float* o) {
             PlusDirectional(n(b), 14, b.close.data(), b.high.data(), b.low.data(), o);
         }},
        {"mdi", true,
         [=](B b, float* o) {
             MinusDirectional(n(b), 14, b.close.data(), b.high.data(), b.low.data(), o);
         }},
        {"adx", true,
         [=](B b, float* o) {
             AverageDirectional(n(b), 14, b.close.data(), b.high.data(), b.low.data(), o);
         }},
        {"sar", true,
         [=](B b, float* o) { ParabolicSar(n(b), 0.02f, 0.2f, b.high.data(), b.low.data(), o); }},
        {"cross", true, [=](B b, float* o) { Cross(n(b), b.close.data(), b.avg.data(), o); }},
        {"hold", true, [=](B b, float* o) { Hold(n(b), 3, b.close.data(), o); }},
        {"barssince", true, [=](B b, float* o) { BarsSince(n(b), b.close.data(), o); }},
        {"iif", true,
         [=](B b, float* o) { Iif(n(b), b.close.data(), b.high.data(), b.low.data(), o); }},
        {"max", true, [=](B b, float* o) { Max(n(b), b.high.data(), b.low.data(), o); }},
        {"gapup", true, [=](B b, float* o) { GapUp(n(b), b.high.data(), b.low.data(), o); }},
        {"inside", true, [=](B b, float* o) { InsideBar(n(b), b.high.data(), b.low.data(), o); }},
        {"divergence", true,
         [=](B b, float* o) { Divergence(n(b), 5, b.close.data(), b.volume.data(), o); }},
        {"prec", true, [=](B b, float* o) { Precision(n(b), 2, b.close.data(), o); }},
        {"ref-", true, [=](B b, float* o) { Ref(n(b), -3, b.close.data(), o); }},
        {"ref+", false, [=](B b, float* o) { Ref(n(b), 3, b.close.data(), o); }},
        {"hhv", true, [=](B b, float* o) { HighestHigh(n(b), 5, b.close.data(), o, nullptr); }},
        {"llvbars", true, [=](B b, float* o) { LowestLow(n(b), 5, b.close.data(), nullptr, o); }},
        {"highestbars", true, [=](B b, float* o) { Highest(n(b), b.close.data(), nullptr, o); }},
        {"zig", true, [=](B b, float* o) { ZigZag(n(b), 5, b.close.data(), o); }},
        {"peak", true, [=](B b, float* o) { Peak(n(b), 5, 2, b.close.data(), o); }},
        {"troughbars", true, [=](B b, float* o) { TroughBars(n(b), 5, 1, b.close.data(), o); }},
        {"valuewhen", true,
         [=](B b, float* o) { ValueWhen(n(b), 2, b.close.data(), b.volume.data(), o); }},
        {"relstrength", false, [=](B b, float* o) { RelativeStrength(b.quotes, b.quotes, o); }},
    };
}

std::vector<std::pair<std::string, Bars>> AwkwardSeries() {
    const int n = 300;
    std::vector<std::pair<std::string, Bars>> all;
    all.emplace_back("flat", MakeBars(Series(n, 5.0f), Series(n, 1000.0f), 0));
    all.emplace_back("zeros", MakeBars(Series(n, 0.0f), Series(n, 0.0f), 0));
    all.emplace_back("zero volume", MakeBars(Series(n, 7.0f), Series(n, 0.0f), 10));
    std::mt19937 random(11);
    std::normal_distribution<float> step(0.0f, 1.0f);
    std::uniform_int_distribution<int> volume(0, 3);
    Series walk(n), volumes(n);
    float x = 2.0f;
    for (int i = 0; i < n; ++i) {
        x += step(random);  // wanders through zero and below
        walk[i] = (i % 17 == 0) ? 0.0f : x;
        volumes[i] = static_cast<float>(volume(random) * 1000);
    }
    all.emplace_back("walk", MakeBars(walk, volumes, 0));
    all.emplace_back("walk after empties", MakeBars(walk, volumes, 10));
    all.emplace_back("tiny", MakeBars(Series(n, 1e-30f), Series(n, 1.0f), 0));
    Series subnormal(n);
    for (int i = 0; i < n; ++i) subnormal[i] = (i % 7) * 1e-44f;
    all.emplace_back("subnormal", MakeBars(subnormal, Series(n, 1.0f), 0));
    Series huge(n);
    for (int i = 0; i < n; ++i)
        huge[i] = (i % 2 ? 1.0f : -1.0f) * 1e30f * static_cast<float>(1 + i % 3);
    all.emplace_back("huge swings", MakeBars(huge, Series(n, 1.0f), 0));
    return all;
}

TEST(IndicatorRobustness, NoNaNOrInfinityAndLeadingEmptyBarsStayEmpty) {
    for (const auto& [label, bars] : AwkwardSeries()) {
        const int leading = FirstValue(bars.Count(), bars.close.data());
        for (const Routine& routine : AllRoutines()) {
            Series out(static_cast<std::size_t>(bars.Count()), 12345.0f);
            routine.run(bars, out.data());
            for (int i = 0; i < bars.Count(); ++i) {
                ASSERT_TRUE(std::isfinite(out[i]))
                    << routine.name << " on " << label << " bar " << i;
                ASSERT_NE(out[i], 12345.0f)
                    << routine.name << " left bar " << i << " unwritten on " << label;
                if (routine.leadingRule && i < leading) {
                    ASSERT_EQ(out[i], E) << routine.name << " on " << label << " bar " << i;
                }
            }
        }
    }
}

TEST(IndicatorRobustness, ShortAndEmptyInputs) {
    for (int n = 0; n <= 3; ++n) {
        const Bars bars = MakeBars(Series(static_cast<std::size_t>(n), 1.0f),
                                   Series(static_cast<std::size_t>(n), 1.0f), 0);
        for (const Routine& routine : AllRoutines()) {
            Series out(static_cast<std::size_t>(n) + 1, 12345.0f);
            routine.run(bars, out.data());
            EXPECT_EQ(out[static_cast<std::size_t>(n)], 12345.0f)
                << routine.name << " wrote past the end";
        }
    }
    // Every input EMPTY: every rule-following output is EMPTY.
    Bars empty = MakeBars(Series(20, 1.0f), Series(20, 1.0f), 20);
    for (const Routine& routine : AllRoutines()) {
        if (!routine.leadingRule) continue;
        Series out(20, 12345.0f);
        routine.run(empty, out.data());
        EXPECT_TRUE(SeriesNear(out, Series(20, E))) << routine.name;
    }
}

TEST(IndicatorRobustness, WarmUpCountsStartAtTheFirstValue) {
    Series v(40);
    for (int i = 0; i < 40; ++i) v[i] = 10.0f + static_cast<float>(i % 5);
    const Series shifted = Prepend(10, v);
    const int n = static_cast<int>(shifted.size());
    Series out(shifted.size());
    auto firstValue = [&](auto routine) {
        routine(out.data());
        return FirstValue(n, out.data());
    };
    EXPECT_EQ(firstValue([&](float* o) { MovingAverage(n, 5, shifted.data(), o); }), 15);
    EXPECT_EQ(firstValue([&](float* o) { MovingSum(n, 5, shifted.data(), o); }), 15);
    EXPECT_EQ(firstValue([&](float* o) { ExponentialAverage(n, 5, shifted.data(), o); }), 15);
    EXPECT_EQ(firstValue([&](float* o) { WilderAverage(n, 5, shifted.data(), o); }), 15);
    EXPECT_EQ(firstValue([&](float* o) { BollingerBand(n, 5, 2, shifted.data(), o); }), 15);
    EXPECT_EQ(firstValue([&](float* o) { Macd(n, 3, 6, shifted.data(), o); }), 16);
    EXPECT_EQ(firstValue([&](float* o) { MacdSignal(n, 3, 6, 4, shifted.data(), o); }), 20);
    EXPECT_EQ(firstValue([&](float* o) { Rsi(n, 5, shifted.data(), o); }), 15);
    EXPECT_EQ(firstValue([&](float* o) { Stochastic(n, 5, shifted.data(), o, nullptr); }), 15);
    EXPECT_EQ(firstValue([&](float* o) { UltimateOscillator(n, 2, 3, 4, shifted.data(), o); }), 15);
    EXPECT_EQ(firstValue([&](float* o) { Trix(n, 5, shifted.data(), o); }), 15);
    EXPECT_EQ(firstValue([&](float* o) { Cci(n, 5, shifted.data(), o); }), 15);
    EXPECT_EQ(firstValue([&](float* o) { RateOfChange(n, 5, shifted.data(), o); }), 15);
    EXPECT_EQ(firstValue([&](float* o) { Chaikin(n, 3, 6, shifted.data(), o); }), 16);
    EXPECT_EQ(firstValue([&](float* o) { CumulativeSum(n, shifted.data(), o); }), 10);
    EXPECT_EQ(firstValue([&](float* o) { HighestHigh(n, 5, shifted.data(), o, nullptr); }), 10);
    EXPECT_EQ(firstValue([&](float* o) {
                  AverageTrueRange(n, 5, shifted.data(), shifted.data(), shifted.data(), o);
              }),
              15);
    EXPECT_EQ(firstValue([&](float* o) {
                  AverageDirectional(n, 5, shifted.data(), shifted.data(), shifted.data(), o);
              }),
              21);
}

}  // namespace
}  // namespace velmora::test
