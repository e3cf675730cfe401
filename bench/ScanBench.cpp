// The scan of the automatic analysis on a generated database of 2,000 stocks x 2,500
// quotations: with the default formula over all quotations, and with a formula that lists
// 100,000 rows; and the cost of adding rows to an empty result list and to one that already
// holds 100,000 rows.
//
//   cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELMORA_BENCH=ON
//   cmake --build build/release && build/release/bench/velmora_scan_bench

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "BenchDatabase.h"
#include "analysis/AnalysisWindowModel.h"
#include "analysis/ScanEngine.h"
#include "platform/ConsoleUserInterface.h"

using namespace velmora;

namespace {

constexpr int kStocks = 2000;
constexpr int kQuotes = 2500;

// A random walk per stock.
Database& BenchDatabase() {
    return bench::RandomWalkDatabase(kStocks, kQuotes);
}

void RunScan(benchmark::State& state, std::string_view formula, RangeMode range, int n) {
    Database& db = BenchDatabase();
    RecordingFormulaErrorSink errors;
    FormulaEngine engine(errors, &db);
    RecordingUserInterface ui;
    AnalysisSelection selection;
    selection.range = range;
    selection.n = n;
    ResultList results;
    for (auto _ : state) {
        const ScanOutcome outcome = ScanEngine(db, engine, ui).Run(formula, selection, results);
        if (outcome != ScanOutcome::Completed) {
            state.SkipWithError(errors.reports.empty() ? "the scan did not complete"
                                                       : errors.reports.front().c_str());
            return;
        }
    }
    state.counters["rows"] = static_cast<double>(results.Size());
    state.counters["bars/s"] = benchmark::Counter(static_cast<double>(kStocks) * kQuotes,
                                                  benchmark::Counter::kIsIterationInvariantRate);
}

void BM_ScanDefaultFormulaAllQuotations(benchmark::State& state) {
    RunScan(state, kDefaultAnalysisFormula, RangeMode::AllQuotations, 7);
}

// 50 visited bars per stock, every one a signal: 100,000 rows.
void BM_ScanListing100000Rows(benchmark::State& state) {
    RunScan(state, "buy = c > 0;", RangeMode::LastQuotations, 49);
}

// Adding 1,000 rows to a list that already holds state.range(0) rows.
void BM_ResultListAdd1000(benchmark::State& state) {
    const auto prefill = static_cast<std::size_t>(state.range(0));
    ResultList list;
    for (auto _ : state) {
        state.PauseTiming();
        list.Clear();
        for (std::size_t i = 0; i < prefill; ++i) list.Add("SA0001\tBuy\t24-01-02\t12.34");
        state.ResumeTiming();
        for (int i = 0; i < 1000; ++i) list.Add("SB0002\tSell\t24-01-03\t56.78");
        benchmark::DoNotOptimize(list.Size());
    }
}

}  // namespace

BENCHMARK(BM_ScanDefaultFormulaAllQuotations)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_ScanListing100000Rows)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_ResultListAdd1000)->Arg(0)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
