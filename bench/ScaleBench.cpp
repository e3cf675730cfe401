// The whole-market case: a workspace of N securities x M daily bars (default 20,000 x 2,500,
// about 1.5 GB of stock files) is generated on disk; then every measurement runs in a child
// process of its own, so that its peak memory is its own: opening the workspace wholly and
// partially ("Load upto" 250 bars), a scan of the last 250 bars of the partially opened
// workspace (which brings in each stock's older quotations for the run), a scan of every bar
// and a back test of the wholly opened one, each on one thread and on every core. The rule is
// the MACD/signal crossing. Each line gives the open time, the run time, a checksum of the rows
// (equal on one thread and on every core) and the child's peak resident memory.
//
//   cmake -S . -B build/rel -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELMORA_BENCH=ON
//   cmake --build build/rel --target velmora_scale_bench
//   build/rel/bench/velmora_scale_bench [STOCKS [BARS [DIR]]]
//
// DIR defaults to the temporary directory. The run is skipped (with a note, exit status 0) when
// DIR's file system lacks room for the files and a margin of 2 GB. The generated workspace is
// removed at the end, unless VELMORA_KEEP_SCALE_DATA is set (a later run reuses it then).

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>

#include "analysis/Backtester.h"
#include "analysis/ScanEngine.h"
#include "database/StockFile.h"
#include "database/Workspace.h"
#include "platform/ConsoleUserInterface.h"

namespace fs = std::filesystem;
using namespace velmora;

namespace {

constexpr std::string_view kRule =
    "buy = cross(macd(), signal());\r\nsell = cross(signal(), macd());";
constexpr int kLoadUpto = 250;
constexpr std::uint64_t kMargin = std::uint64_t{2} << 30;

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

std::uint64_t FileBytes(int bars) {
    return 420 + static_cast<std::uint64_t>(bars) * 30;
}

// One stock file per security, a random walk of closes each, written straight to disk in the
// workspace layout; the workspace file comes from saving an empty database.
void Generate(const fs::path& dir, int stocks, int bars) {
    Database empty;
    Preferences prefs;
    RecordingUserInterface ui;
    empty.SetWorkspaceDir(dir);
    empty.SetWorkspaceDirty(true);
    Workspace(empty, prefs, ui).SaveWorkspace();
    std::mt19937 rng(20261209);
    std::normal_distribution<float> step(0.0f, 0.015f);
    Stock s;
    s.Quotations.resize(static_cast<std::size_t>(bars));
    for (int i = 0; i < stocks; ++i) {
        char ticker[16];
        std::snprintf(ticker, sizeof ticker, "S%c%05d", 'A' + i % 26, i);
        s.Ticker.Set(ticker);
        PackedDate d = MakeDate(2000, 1, 3);
        float close = 20.0f;
        for (Quotation& q : s.Quotations) {
            close *= std::exp(step(rng));
            q.Date = d;
            q.Close = close;
            q.Open = close * 0.995f;
            q.High = close * 1.01f;
            q.Low = close * 0.99f;
            q.Volume = 1000;
            d = AddDays(d, 1);
        }
        const Bytes image = BuildStockImage(s, s.Quotations.size(), {});
        std::ofstream(StockFilePath(dir, ticker), std::ios::binary)
            .write(reinterpret_cast<const char*>(image.data()),
                   static_cast<std::streamsize>(image.size()));
    }
    std::ofstream(dir / "complete") << stocks << ' ' << bars << '\n';
}

bool Open(Database& db, const fs::path& dir, bool partial) {
    Preferences prefs;
    prefs.SetPartialLoading(partial);
    prefs.SetLoadUpto(kLoadUpto);
    RecordingUserInterface ui;
    db.SetWorkspaceDir(dir);
    return Workspace(db, prefs, ui).LoadWorkspace();
}

// FNV-1a over the row texts.
std::uint64_t Checksum(const ResultList& rows) {
    std::uint64_t h = 14695981039346656037ULL;
    for (const ResultRow& row : rows) {
        for (const char c : row.Text) h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ULL;
        h = (h ^ '\n') * 1099511628211ULL;
    }
    return h;
}

// What a child measured.
struct Figures {
    double open = 0;
    double run = 0;
    std::uint64_t rows = 0;
    std::uint64_t checksum = 0;
};

using Run = std::function<void(Database& db, Figures& f)>;

// Opens the workspace and does the run in a child process; prints one line.
void Measure(const char* name, const fs::path& dir, bool partial, int threads, const Run& run) {
    int fds[2];
    if (pipe(fds) != 0) return;
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        Figures f;
        Database db;
        const auto start = std::chrono::steady_clock::now();
        if (!Open(db, dir, partial)) _exit(1);
        f.open = Seconds(start);
        if (run) {
            const auto runStart = std::chrono::steady_clock::now();
            run(db, f);
            f.run = Seconds(runStart);
        }
        const ssize_t written = write(fds[1], &f, sizeof f);
        _exit(written == static_cast<ssize_t>(sizeof f) ? 0 : 1);
    }
    close(fds[1]);
    Figures f;
    const ssize_t got = read(fds[0], &f, sizeof f);
    close(fds[0]);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    if (got != static_cast<ssize_t>(sizeof f) || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::printf("%-34s failed\n", name);
        return;
    }
    std::printf("%-34s %7d %8.2f %8.2f %9llu  %016llx %9.0f\n", name, threads, f.open, f.run,
                static_cast<unsigned long long>(f.rows),
                static_cast<unsigned long long>(f.checksum),
                static_cast<double>(usage.ru_maxrss) / 1024.0);
    std::fflush(stdout);
}

Run Scan(int threads, RangeMode range, int n) {
    return [=](Database& db, Figures& f) {
        RecordingFormulaErrorSink errors;
        FormulaEngine engine(errors, &db);
        RecordingUserInterface ui;
        AnalysisSelection selection;
        selection.range = range;
        selection.n = n;
        ResultList rows;
        ScanEngine scan(db, engine, ui);
        scan.SetThreads(threads);
        if (scan.Run(kRule, selection, rows) != ScanOutcome::Completed) _exit(1);
        f.rows = rows.Size();
        f.checksum = Checksum(rows);
    };
}

Run Backtest(int threads) {
    return [=](Database& db, Figures& f) {
        RecordingFormulaErrorSink errors;
        FormulaEngine engine(errors, &db);
        RecordingUserInterface ui;
        AnalysisSelection selection;
        selection.range = RangeMode::AllQuotations;
        SystemTestSettings settings;
        ResultList rows;
        BacktestResults results;
        Backtester backtester(db, engine, ui);
        backtester.SetThreads(threads);
        if (backtester.Run(kRule, selection, settings, rows, results) !=
            BacktestOutcome::Completed) {
            _exit(1);
        }
        f.rows = rows.Size();
        f.checksum = Checksum(rows);
    };
}

}  // namespace

int main(int argc, char** argv) {
    const int stocks = argc > 1 ? std::atoi(argv[1]) : 20000;
    const int bars = argc > 2 ? std::atoi(argv[2]) : 2500;
    const fs::path base = argc > 3 ? fs::path(argv[3]) : fs::temp_directory_path();
    if (stocks <= 0 || bars <= 0) {
        std::fprintf(stderr, "usage: velmora_scale_bench [STOCKS [BARS [DIR]]]\n");
        return 2;
    }
    const fs::path dir =
        base / ("velmora-scale-" + std::to_string(stocks) + "x" + std::to_string(bars));
    const std::uint64_t need = static_cast<std::uint64_t>(stocks) * FileBytes(bars);
    if (!fs::exists(dir / "complete")) {
        std::error_code ec;
        const fs::space_info room = fs::space(base, ec);
        if (ec || room.available < need + kMargin) {
            std::printf("skipped: %.1f GB needed in %s, %.1f GB free\n",
                        static_cast<double>(need + kMargin) / 1e9, base.c_str(),
                        static_cast<double>(room.available) / 1e9);
            return 0;
        }
        fs::remove_all(dir);
        const auto start = std::chrono::steady_clock::now();
        Generate(dir, stocks, bars);
        std::printf("generated %d x %d bars (%.2f GB) in %.1f s\n", stocks, bars,
                    static_cast<double>(need) / 1e9, Seconds(start));
    }
    const int cores = DefaultAnalysisThreads();
    std::printf("%-34s %7s %8s %8s %9s  %16s %9s\n", "case", "threads", "open s", "run s", "rows",
                "rows checksum", "peak MB");
    Measure("open, whole", dir, false, 1, nullptr);
    Measure("open, partial (Load upto 250)", dir, true, 1, nullptr);
    for (const int threads : {1, cores}) {
        Measure("scan last 250 bars, partial", dir, true, threads,
                Scan(threads, RangeMode::LastQuotations, kLoadUpto - 1));
        Measure("scan every bar, whole", dir, false, threads,
                Scan(threads, RangeMode::AllQuotations, 0));
        Measure("back test, whole", dir, false, threads, Backtest(threads));
    }
    if (std::getenv("VELMORA_KEEP_SCALE_DATA") == nullptr) fs::remove_all(dir);
    return 0;
}
