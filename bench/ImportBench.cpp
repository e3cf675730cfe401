// The ASCII import of a generated file of 1,000,000 lines (1,000 tickers x 1,000 days, sorted
// by ticker then date, auto add on) into an empty database, without and with the save of the
// workspace it makes, beside a plain line-reading loop over the same file; and the composites of
// one market of 1,000 stocks x 2,500 days with every flag.
//
//   cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELMORA_BENCH=ON
//   cmake --build build/release && build/release/bench/velmora_import_bench

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include "database/Composites.h"
#include "database/Preferences.h"
#include "database/Workspace.h"
#include "import/AsciiImporter.h"
#include "platform/ConsoleUserInterface.h"
#include "platform/FileUtil.h"

namespace fs = std::filesystem;
using namespace velmora;

namespace {

constexpr int kTickers = 1000;
constexpr int kDays = 1000;

const fs::path& BenchDir() {
    static const fs::path dir = fs::temp_directory_path() / "velmora-import-bench";
    return dir;
}

// A benchmark without its input file would measure nothing.
void WriteInputFile(const fs::path& path, std::string_view text) {
    if (const Status written = WriteFileAtomically(path, text); !written) {
        std::fprintf(stderr, "%s\n", written.ToString().c_str());
        std::exit(1);
    }
}

std::string TickerOf(int i) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "T%c%04d", 'A' + i % 26, i);
    return buf;
}

// Writes the data file and its format once per run.
const fs::path& DataFile() {
    static const fs::path file = [] {
        fs::create_directories(BenchDir());
        WriteInputFile(BenchDir() / "bench.format",
                       "$SEPARATOR ,\n$FORMAT TICKER SKIP DATE_YMD SKIP OPEN HIGH LOW CLOSE "
                       "VOLUME OPENINT\n$AUTOADD 1\n");
        std::string text;
        text.reserve(static_cast<std::size_t>(kTickers) * kDays * 64);
        char line[128];
        for (int t = 0; t < kTickers; ++t) {
            const std::string ticker = TickerOf(t);
            PackedDate d = MakeDate(2018, 1, 1);
            for (int k = 0; k < kDays; ++k, d = AddDays(d, 1)) {
                const double close = 10 + (t * 7 + k) % 300 * 0.1;
                std::snprintf(line, sizeof line,
                              "%s,D,%04d%02d%02d,000000,%.2f,%.2f,%.2f,%.2f,%d,0\n", ticker.c_str(),
                              DateYear(d), DateMonth(d), DateDay(d), close - 0.1, close + 0.2,
                              close - 0.2, close, 1000 + k);
                text += line;
            }
        }
        const fs::path path = BenchDir() / "quotes.txt";
        WriteInputFile(path, text);
        return path;
    }();
    return file;
}

void BM_ImportMillionLines(benchmark::State& state) {
    const fs::path& data = DataFile();
    const auto bytes = fs::file_size(data);
    for (auto _ : state) {
        state.PauseTiming();
        auto db = std::make_unique<Database>();
        RecordingUserInterface ui;
        AsciiImporter importer(*db, ui, BenchDir(), "WIG");
        state.ResumeTiming();
        const int status = importer.ImportAsciiFile(data, "bench.format");
        state.PauseTiming();
        if (status != kAsciiImportDone || importer.LastStats().storedLines != kTickers * kDays ||
            db->StockCount() != kTickers) {
            state.SkipWithError("the import did not store every line");
        }
        db.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes));
    state.counters["lines/s"] = benchmark::Counter(static_cast<double>(kTickers) * kDays,
                                                   benchmark::Counter::kIsIterationInvariantRate);
}

// The import and the save of the 1,000 stock files it makes, as the command-line import does.
// Each iteration saves into a directory of its own: creating thousands of files right after
// deleting thousands is slowed by the file system, which would be measured instead.
void BM_ImportAndSaveMillionLines(benchmark::State& state) {
    const fs::path& data = DataFile();
    const auto bytes = fs::file_size(data);
    const fs::path root = BenchDir() / ("saves-" + std::to_string(::getpid()));
    int run = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto db = std::make_unique<Database>();
        db->SetWorkspaceDir(root / std::to_string(run++));
        RecordingUserInterface ui;
        Preferences prefs;
        AsciiImporter importer(*db, ui, BenchDir(), "WIG");
        state.ResumeTiming();
        const int status = importer.ImportAsciiFile(data, "bench.format");
        const bool saved = Workspace(*db, prefs, ui).SaveWorkspace();
        state.PauseTiming();
        if (status != kAsciiImportDone || importer.LastStats().storedLines != kTickers * kDays ||
            !saved || db->WorkspaceDirty()) {
            state.SkipWithError("the import did not store and save every line");
        }
        db.reset();
        state.ResumeTiming();
    }
    std::error_code ec;
    fs::remove_all(root, ec);
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes));
}

// The floor: reading the same file line by line and touching every line.
void BM_PlainLineReadingLoop(benchmark::State& state) {
    const fs::path& data = DataFile();
    const auto bytes = fs::file_size(data);
    char line[256];
    for (auto _ : state) {
        std::FILE* f = std::fopen(data.c_str(), "rb");
        long lines = 0;
        std::size_t chars = 0;
        while (std::fgets(line, sizeof line, f) != nullptr) {
            ++lines;
            chars += line[0] != 0;
        }
        std::fclose(f);
        benchmark::DoNotOptimize(lines);
        benchmark::DoNotOptimize(chars);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes));
}

void BM_CompositesMarket1000x2500(benchmark::State& state) {
    constexpr int kStocks = 1000, kQuotes = 2500;
    Database db;
    db.Categories().Markets[0].CompositesBase.Set("INDEX");
    Stock* base = db.AddStock("INDEX");
    base->Flags |= Stock::kIndexFlag;
    for (int i = 0; i < 3; ++i) db.AddStock("IDX" + std::to_string(i))->Flags |= Stock::kIndexFlag;
    for (int i = 0; i < kStocks; ++i) db.AddStock(TickerOf(i));
    for (const auto& s : db.Stocks()) {
        s->Quotations.resize(kQuotes);
        PackedDate d = MakeDate(2000, 1, 3);
        for (int k = 0; k < kQuotes; ++k, d = AddDays(d, 1)) {
            Quotation& q = s->Quotations[static_cast<std::size_t>(k)];
            q.Date = d;
            q.Close = 10.0f + static_cast<float>((k * 13 + s->TickerText()[4]) % 17);
            q.Volume = 1000 + k;
        }
    }
    CompositesRequest request;
    request.flags = kCompositeVolume | kCompositeCopyVolume | kCompositeAdvDec;
    request.count = -1;
    request.market = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(ComputeComposites(db, "WIG", request));
    }
    state.counters["stock-days/s"] = benchmark::Counter(
        static_cast<double>(kStocks) * kQuotes, benchmark::Counter::kIsIterationInvariantRate);
}

}  // namespace

BENCHMARK(BM_PlainLineReadingLoop)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportMillionLines)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportAndSaveMillionLines)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_CompositesMarket1000x2500)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
