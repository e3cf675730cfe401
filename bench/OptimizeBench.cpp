// Parameter optimisation against plain back tests on a generated database of 2,000 stocks x
// 2,500 quotations: a 2-parameter grid of 25 combinations (the MACD's fast and slow periods,
// 5 values each), with extended statistics, on every core; and one back test of the formula with
// the middle combination written in, on one thread. The optimisation should take at most 25 x
// the back test / the number of cores, plus 10 %; each is timed as the best of a few runs.
//
//   cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELMORA_BENCH=ON
//   cmake --build build/release --target velmora_optimize_bench
//   build/release/bench/velmora_optimize_bench [THREADS [REPEATS]]
//
// Exit status 1 when the optimisation took longer than that bound. Beside the wall-clock times
// it prints the processor time of all the process's threads: on a machine shared with other
// work the wall-clock times say little, while the optimisation's processor time against 25 x
// that of one back test shows what the optimisation costs beyond the back tests themselves.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>
#include <string>

#include "BenchDatabase.h"
#include "analysis/Backtester.h"
#include "analysis/Optimizer.h"
#include "platform/ConsoleUserInterface.h"
#include "platform/ParallelFor.h"

using namespace velmora;

namespace {

constexpr int kStocks = 2000;
constexpr int kQuotes = 2500;

constexpr std::string_view kGridRule =
    "f = optimize(\"fast\", 12, 8, 16, 2); s = optimize(\"slow\", 26, 22, 30, 2);\n"
    "buy = cross(macd(f, s), 0); sell = cross(0, macd(f, s));";
constexpr std::string_view kPlainRule =
    "f = 12; s = 26;\nbuy = cross(macd(f, s), 0); sell = cross(0, macd(f, s));";

struct Timing {
    double wall = 1e300;  // seconds
    double cpu = 1e300;   // seconds of the process's threads together
};

// The shortest of `repeats` timings of the run.
Timing Best(int repeats, const std::function<void()>& run) {
    Timing best;
    for (int i = 0; i < repeats; ++i) {
        const auto start = std::chrono::steady_clock::now();
        const std::clock_t cpuStart = std::clock();
        run();
        best.cpu =
            std::min(best.cpu, static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC);
        best.wall = std::min(
            best.wall,
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    const int threads = argc > 1 ? std::max(1, std::atoi(argv[1])) : HardwareThreads();
    const int repeats = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    Database& db = bench::RandomWalkDatabase(
        kStocks, kQuotes, std::filesystem::temp_directory_path() / "velmora-optimize-bench-none");
    RecordingFormulaErrorSink errors;
    FormulaEngine engine(errors, &db);
    RecordingUserInterface ui;
    const AnalysisSelection selection;
    SystemTestSettings settings;
    settings.ExtendedStatistics = 1;

    ResultList rows;
    BacktestResults results;
    bool ok = true;
    const Timing one = Best(repeats, [&] {
        Backtester backtester(db, engine, ui);
        ok = ok && backtester.Run(kPlainRule, selection, settings, rows, results) ==
                       AnalysisOutcome::Completed;
    });
    const Timing oneOnAll = Best(repeats, [&] {
        Backtester backtester(db, engine, ui);
        backtester.SetThreads(threads);
        ok = ok && backtester.Run(kPlainRule, selection, settings, rows, results) ==
                       AnalysisOutcome::Completed;
    });
    const auto grid = OptimizationGrid::Of(kGridRule);
    if (!grid || grid->Combinations() != 25) {
        std::fprintf(stderr, "the grid is not the 25 combinations\n");
        return 1;
    }
    std::vector<OptimizationRow> table;
    const Timing all = Best(repeats, [&] {
        Optimizer optimizer(db, engine, ui);
        optimizer.SetThreads(threads);
        ok = ok && optimizer.Run(kGridRule, *grid, selection, settings, table) ==
                       AnalysisOutcome::Completed;
    });
    if (!ok || !errors.reports.empty()) {
        std::fprintf(stderr, "a run did not complete\n");
        return 1;
    }
    // The middle combination is the plain rule's.
    const OptimizationRow plain = OptimizationRowOf({12, 26}, results);
    const bool same = table.size() == 25 && table[12] == plain;
    const double bound = 25 * one.wall / threads * 1.1;
    std::printf("stocks x bars            %d x %d\n", kStocks, kQuotes);
    std::printf("threads                  %d (hardware: %d)\n", threads, HardwareThreads());
    std::printf("                           wall s    cpu s\n");
    std::printf("one back test, 1 thread  %8.3f %8.3f  (%d trades)\n", one.wall, one.cpu,
                results.Overall.Trades);
    std::printf("one back test, %d threads %8.3f %8.3f\n", threads, oneOnAll.wall, oneOnAll.cpu);
    std::printf("25 combinations          %8.3f %8.3f  (cpu / 25 x one: %.3f)\n", all.wall, all.cpu,
                all.cpu / (25 * one.cpu));
    std::printf("bound 25 x one / %d x 1.1 %8.3f           -> %s (25 combinations / bound: %.3f)\n",
                threads, bound, all.wall <= bound ? "within" : "ABOVE", all.wall / bound);
    std::printf("middle row = plain back test: %s\n", same ? "yes" : "NO");
    return all.wall <= bound && same ? 0 : 1;
}
