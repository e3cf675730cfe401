// The backtest of the automatic analysis on a generated database of 2,000 stocks x 2,500
// quotations with the default formula and the default system test settings, followed by the
// HTML report of the run; and the report alone.
//
//   cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELMORA_BENCH=ON
//   cmake --build build/release && build/release/bench/velmora_backtest_bench

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>

#include "BenchDatabase.h"
#include "analysis/AnalysisWindowModel.h"
#include "analysis/BacktestReport.h"
#include "analysis/Backtester.h"
#include "platform/ConsoleUserInterface.h"

using namespace velmora;

namespace {

constexpr int kStocks = 2000;
constexpr int kQuotes = 2500;

// A random walk per stock. The workspace directory has no portfolio file: the commission
// table is empty.
Database& BenchDatabase() {
    return bench::RandomWalkDatabase(
        kStocks, kQuotes, std::filesystem::temp_directory_path() / "velmora-backtest-bench-none");
}

std::filesystem::path ReportPath() {
    return std::filesystem::temp_directory_path() / "velmora-backtest-bench.html";
}

void RunBacktestAndReport(benchmark::State& state, std::string_view formula) {
    Database& db = BenchDatabase();
    RecordingFormulaErrorSink errors;
    FormulaEngine engine(errors, &db);
    RecordingUserInterface ui;
    AnalysisSelection selection;
    const SystemTestSettings settings;
    ResultList rows;
    BacktestResults results;
    NullProgress progress;
    for (auto _ : state) {
        const BacktestOutcome outcome =
            Backtester(db, engine, ui).Run(formula, selection, settings, rows, results);
        if (outcome != BacktestOutcome::Completed) {
            state.SkipWithError(errors.reports.empty() ? "the backtest did not complete"
                                                       : errors.reports.front().c_str());
            return;
        }
        if (!WriteBacktestReport(ReportPath(), results, rows, settings, progress)) {
            state.SkipWithError("the report could not be written");
            return;
        }
    }
    std::filesystem::remove(ReportPath());
    state.counters["trades"] = static_cast<double>(results.Overall.Trades);
    state.counters["kept"] = static_cast<double>(results.Stocks.size());
    state.counters["bars/s"] = benchmark::Counter(static_cast<double>(kStocks) * kQuotes,
                                                  benchmark::Counter::kIsIterationInvariantRate);
}

void BM_BacktestDefaultFormulaAndReport(benchmark::State& state) {
    RunBacktestAndReport(state, kDefaultAnalysisFormula);
}

// The close against its 20-bar average: a signal on most bars, many more trades.
void BM_BacktestAverageRuleAndReport(benchmark::State& state) {
    RunBacktestAndReport(state, "buy = c > ma(c, 20); sell = c < ma(c, 20);");
}

void BM_ReportOnly(benchmark::State& state) {
    Database& db = BenchDatabase();
    RecordingFormulaErrorSink errors;
    FormulaEngine engine(errors, &db);
    RecordingUserInterface ui;
    const SystemTestSettings settings;
    ResultList rows;
    BacktestResults results;
    Backtester(db, engine, ui)
        .Run(kDefaultAnalysisFormula, AnalysisSelection{}, settings, rows, results);
    NullProgress progress;
    for (auto _ : state) {
        auto text = BuildBacktestReport(results, rows, settings, progress);
        benchmark::DoNotOptimize(text);
    }
    state.counters["rows"] = static_cast<double>(rows.Size());
}

}  // namespace

BENCHMARK(BM_BacktestDefaultFormulaAndReport)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_BacktestAverageRuleAndReport)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_ReportOnly)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
