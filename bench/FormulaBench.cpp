// QRX evaluation throughput: a formula of 20 binary operators over the price arrays of a stock
// with 1,000,000 bars, in element operations per second, with the peak memory of the process.
//
//   cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELMORA_BENCH=ON
//   cmake --build build/release && build/release/bench/velmora_formula_bench

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdio>

#include "database/Stock.h"
#include "formula/FormulaEngine.h"

using namespace velmora;

namespace {

constexpr int kBars = 1'000'000;
constexpr int kOperators = 20;

// Twenty binary operators: arithmetic, comparisons and logic, arrays with arrays and numbers.
constexpr const char* kFormula =
    "x = (close + open) * (high - low) / (volume + 1) - (close * 2 + high / 3) * low;"
    "y = (x > close) AND (open < high) OR (low >= close - 1) AND (x != 0) + avg * 0.5;";

const Stock& BenchStock() {
    static const Stock stock = [] {
        Stock s;
        s.Ticker.Set("BENCH");
        s.Quotations.resize(kBars);
        std::uint32_t seed = 7;
        float price = 100.0f;
        PackedDate d = MakeDate(1990, 1, 1);
        for (Quotation& q : s.Quotations) {
            seed = seed * 1664525u + 1013904223u;
            price *= 1.0f + (static_cast<float>(seed >> 8) / 16777216.0f - 0.5f) * 0.02f;
            q.Date = d;
            q.Close = price;
            q.Open = price * 0.99f;
            q.High = price * 1.01f;
            q.Low = price * 0.98f;
            q.Volume = static_cast<std::int32_t>(seed >> 12);
        }
        return s;
    }();
    return stock;
}

// Execute only: the run is begun and ended outside the timing.
void BM_Execute20Operators(benchmark::State& state) {
    const Stock& stock = BenchStock();
    RecordingFormulaErrorSink errors;
    FormulaEngine engine(errors);
    for (auto _ : state) {
        state.PauseTiming();
        FormulaRun run = engine.BeginRun(stock);
        state.ResumeTiming();
        run.Execute(kFormula);
        benchmark::DoNotOptimize(run.GetArray("y"));
        state.PauseTiming();
        run.End();
        state.ResumeTiming();
    }
    if (!errors.reports.empty()) state.SkipWithError(errors.reports[0].c_str());
    state.counters["element_ops_per_s"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * kOperators * kBars, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Execute20Operators)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// A whole run: BeginRun (filling the seven price arrays), Execute, GetArray, the end of the run.
void BM_WholeRun(benchmark::State& state) {
    const Stock& stock = BenchStock();
    RecordingFormulaErrorSink errors;
    FormulaEngine engine(errors);
    for (auto _ : state) {
        FormulaRun run = engine.BeginRun(stock);
        run.Execute(kFormula);
        benchmark::DoNotOptimize(run.GetArray("y"));
    }
    state.counters["element_ops_per_s"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * kOperators * kBars, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_WholeRun)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    BenchStock();
    rusage before{};
    getrusage(RUSAGE_SELF, &before);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    rusage after{};
    getrusage(RUSAGE_SELF, &after);
    std::printf("peak resident memory: %.1f MB (the 1,000,000-quotation stock itself: %.1f MB)\n",
                static_cast<double>(after.ru_maxrss) / 1024.0,
                static_cast<double>(before.ru_maxrss) / 1024.0);
    return 0;
}
