// Throughput of the indicator routines over 1,000,000 bars, in million bars per second
// ("Mbar/s"). Where a widely used double-precision indicator library has a published figure on
// this kind of machine, "ratio" is ours divided by it (above 1: faster).

#include <benchmark/benchmark.h>

#include <functional>
#include <random>
#include <vector>

#include "formula/IndicatorMath.h"

namespace {

using namespace velmora;
using namespace velmora::indicators;

constexpr int kBars = 1'000'000;

struct Data {
    std::vector<float> close, high, low, avg, volume, out, out2;
    QuotationList quotes;

    Data() {
        std::mt19937 random(42);
        std::normal_distribution<float> step(0.0f, 1.0f);
        std::uniform_real_distribution<float> spread(0.0f, 2.0f);
        std::uniform_int_distribution<int> volumes(1000, 100000);
        float x = 100.0f;
        for (int i = 0; i < kBars; ++i) {
            x = std::max(1.0f, x + step(random));
            const float h = x + spread(random);
            const float l = std::max(0.5f, x - spread(random));
            const int v = volumes(random);
            close.push_back(x);
            high.push_back(h);
            low.push_back(l);
            avg.push_back((x + h + l) / 3.0f);
            volume.push_back(static_cast<float>(v));
            Quotation q;
            q.Date = static_cast<PackedDate>(i + 1);
            q.Close = x;
            q.High = h;
            q.Low = l;
            q.Volume = v;
            quotes.push_back(q);
        }
        out.resize(kBars);
        out2.resize(kBars);
    }
};

Data& Bars() {
    static Data data;
    return data;
}

void Run(benchmark::State& state, double reference, const std::function<void(Data&)>& routine) {
    Data& d = Bars();
    for (auto _ : state) {
        routine(d);
        benchmark::DoNotOptimize(d.out.data());
        benchmark::ClobberMemory();
    }
    state.counters["Mbar/s"] =
        benchmark::Counter(kBars / 1e6, benchmark::Counter::kIsIterationInvariantRate);
    if (reference > 0) {
        state.counters["ratio"] = benchmark::Counter(kBars / 1e6 / reference,
                                                     benchmark::Counter::kIsIterationInvariantRate);
    }
}

#define VELMORA_INDICATOR(name, reference, body)      \
    void BM_##name(benchmark::State& state) {         \
        Run(state, reference, [](Data& d) { body; }); \
    }                                                 \
    BENCHMARK(BM_##name)->Unit(benchmark::kMillisecond)

VELMORA_INDICATOR(ma, 889, MovingAverage(kBars, 30, d.close.data(), d.out.data()));
VELMORA_INDICATOR(roc, 860, RateOfChange(kBars, 10, d.close.data(), d.out.data()));
VELMORA_INDICATOR(ema, 448, ExponentialAverage(kBars, 30, d.close.data(), d.out.data()));
VELMORA_INDICATOR(bbands, 250,
                  BollingerBands(kBars, 20, 2.0f, d.close.data(), d.out.data(), d.out2.data()));
VELMORA_INDICATOR(hhv, 222, HighestHigh(kBars, 30, d.close.data(), d.out.data(), nullptr));
VELMORA_INDICATOR(obv, 198, OnBalanceVolume(d.quotes, d.out.data()));
VELMORA_INDICATOR(rsi, 162, Rsi(kBars, 14, d.close.data(), d.out.data()));
VELMORA_INDICATOR(atr, 162,
                  AverageTrueRange(kBars, 14, d.close.data(), d.high.data(), d.low.data(),
                                   d.out.data()));
VELMORA_INDICATOR(ultimate, 146,
                  UltimateOscillator(kBars, 7, 14, 28, d.close.data(), d.out.data()));
VELMORA_INDICATOR(sar, 144,
                  ParabolicSar(kBars, 0.02f, 0.2f, d.high.data(), d.low.data(), d.out.data()));
VELMORA_INDICATOR(trix, 126, Trix(kBars, 9, d.close.data(), d.out.data()));
VELMORA_INDICATOR(adx, 120,
                  AverageDirectional(kBars, 14, d.close.data(), d.high.data(), d.low.data(),
                                     d.out.data()));
VELMORA_INDICATOR(stoch, 89, Stochastic(kBars, 14, d.close.data(), d.out.data(), d.out2.data()));
VELMORA_INDICATOR(mfi, 82, Mfi(kBars, 14, d.avg.data(), d.volume.data(), d.out.data()));
VELMORA_INDICATOR(cci, 67, Cci(kBars, 14, d.avg.data(), d.out.data()));
VELMORA_INDICATOR(macd, 22, Macd(kBars, 12, 26, d.close.data(), d.out.data());
                  MacdSignal(kBars, 12, 26, 9, d.close.data(), d.out2.data()));

// Routines without a reference figure (target: 100 Mbar/s each).
VELMORA_INDICATOR(sum, 0, MovingSum(kBars, 30, d.close.data(), d.out.data()));
VELMORA_INDICATOR(wilder, 0, WilderAverage(kBars, 14, d.close.data(), d.out.data()));
VELMORA_INDICATOR(cum, 0, CumulativeSum(kBars, d.close.data(), d.out.data()));
VELMORA_INDICATOR(oscp, 0, Oscillator(kBars, 12, 26, d.close.data(), d.out.data()));
VELMORA_INDICATOR(accdist, 0, AccumulationDistribution(d.quotes, d.out.data()));
VELMORA_INDICATOR(chaikin, 0, Chaikin(kBars, 9, 14, d.close.data(), d.out.data()));
VELMORA_INDICATOR(nvi, 0,
                  NegativeVolumeIndex(kBars, d.close.data(), d.volume.data(), d.out.data()));
VELMORA_INDICATOR(pvi, 0,
                  PositiveVolumeIndex(kBars, d.close.data(), d.volume.data(), d.out.data()));
VELMORA_INDICATOR(trin, 0,
                  Trin(kBars, d.close.data(), d.low.data(), d.volume.data(), d.high.data(),
                       d.out.data()));
VELMORA_INDICATOR(adline, 0,
                  AdvanceDeclineLine(kBars, d.close.data(), d.low.data(), d.high.data(),
                                     d.out.data()));
VELMORA_INDICATOR(pdi, 0,
                  PlusDirectional(kBars, 14, d.close.data(), d.high.data(), d.low.data(),
                                  d.out.data()));
VELMORA_INDICATOR(cross, 0, Cross(kBars, d.close.data(), d.avg.data(), d.out.data()));
VELMORA_INDICATOR(hold, 0, Hold(kBars, 5, d.close.data(), d.out.data()));
VELMORA_INDICATOR(barssince, 0, BarsSince(kBars, d.close.data(), d.out.data()));
VELMORA_INDICATOR(iif, 0, Iif(kBars, d.close.data(), d.high.data(), d.low.data(), d.out.data()));
VELMORA_INDICATOR(max, 0, Max(kBars, d.high.data(), d.low.data(), d.out.data()));
VELMORA_INDICATOR(gapup, 0, GapUp(kBars, d.high.data(), d.low.data(), d.out.data()));
VELMORA_INDICATOR(inside, 0, InsideBar(kBars, d.high.data(), d.low.data(), d.out.data()));
VELMORA_INDICATOR(divergence, 0,
                  Divergence(kBars, 5, d.close.data(), d.volume.data(), d.out.data()));
VELMORA_INDICATOR(prec, 0, Precision(kBars, 2, d.close.data(), d.out.data()));
VELMORA_INDICATOR(ref, 0, Ref(kBars, -5, d.close.data(), d.out.data()));
VELMORA_INDICATOR(hhvbars, 0, HighestHigh(kBars, 14, d.close.data(), nullptr, d.out.data()));
VELMORA_INDICATOR(llv, 0, LowestLow(kBars, 14, d.close.data(), d.out.data(), nullptr));
VELMORA_INDICATOR(highest, 0, Highest(kBars, d.close.data(), d.out.data(), nullptr));
VELMORA_INDICATOR(zig, 0, ZigZag(kBars, 5, d.close.data(), d.out.data()));
VELMORA_INDICATOR(peak, 0, Peak(kBars, 5, 1, d.close.data(), d.out.data()));
VELMORA_INDICATOR(peakbars, 0, PeakBars(kBars, 5, 2, d.close.data(), d.out.data()));
VELMORA_INDICATOR(valuewhen, 0, ValueWhen(kBars, 1, d.close.data(), d.volume.data(), d.out.data()));
VELMORA_INDICATOR(relstrength, 0, RelativeStrength(d.quotes, d.quotes, d.out.data()));

}  // namespace

BENCHMARK_MAIN();
