// Workspace loading and saving on a generated database of 2,000 stocks x 2,500 quotations,
// against a plain read loop over the same files; stock lookups on 10,000 stocks.
//
//   cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELMORA_BENCH=ON
//   cmake --build build/release && build/release/bench/velmora_workspace_bench

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <malloc.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "database/QuotationMemory.h"
#include "database/Workspace.h"
#include "platform/ConsoleUserInterface.h"
#include "platform/ParallelFor.h"

namespace fs = std::filesystem;
using namespace velmora;

namespace {

constexpr int kStocks = 2000;
constexpr int kQuotes = 2500;

const fs::path& BenchDir() {
    static const fs::path dir = fs::temp_directory_path() / "velmora-bench";
    return dir;
}

std::string TickerOf(int i) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "S%c%04d", 'A' + i % 26, i);
    return buf;
}

// Generates the workspace once per run.
void EnsureWorkspace() {
    static bool done = false;
    if (done) return;
    done = true;
    // Reuse the workspace of an earlier run: deleting and recreating thousands of files just
    // before a measurement makes the file system's inode allocation the thing measured.
    const fs::path marker = BenchDir() / "ws" / "complete";
    if (fs::exists(marker)) return;
    fs::remove_all(BenchDir());
    Database db;
    Preferences prefs;
    RecordingUserInterface ui;
    for (int i = 0; i < kStocks; ++i) {
        Stock* s = db.AddStock(TickerOf(i));
        s->FullName.Set("Benchmark security " + std::to_string(i));
        s->Quotations.resize(kQuotes);
        PackedDate d = MakeDate(2000, 1, 3);
        for (int j = 0; j < kQuotes; ++j, d = AddDays(d, 1)) {
            Quotation& q = s->Quotations[j];
            q.Date = d;
            q.Close = 10.0f + static_cast<float>((i * 7 + j) % 300) * 0.1f;
            q.Open = q.Close - 0.1f;
            q.High = q.Close + 0.2f;
            q.Low = q.Close - 0.2f;
            q.Volume = 1000 + j;
        }
    }
    db.SetWorkspaceDir(BenchDir() / "ws");
    Workspace ws(db, prefs, ui);
    ws.SaveWorkspace();
    std::ofstream(marker) << "ok\n";
}

// Heap bytes in use.
// The memory the program's data takes: the heap and the ranges holding the loaded quotations.
double MemoryInUse() {
    return static_cast<double>(mallinfo2().uordblks + quotation_memory::BulkBytesInUse());
}

long long BytesRead() {
    std::ifstream in("/proc/self/io");
    std::string key;
    long long value = 0;
    while (in >> key >> value) {
        if (key == "rchar:") return value;
    }
    return 0;
}

std::uint64_t WorkspaceBytes() {
    std::uint64_t total = 0;
    for (const auto& e : fs::recursive_directory_iterator(BenchDir() / "ws")) {
        if (e.is_regular_file()) total += e.file_size();
    }
    return total;
}

void LoadWorkspace(benchmark::State& state, bool partial) {
    EnsureWorkspace();
    const std::uint64_t totalBytes = WorkspaceBytes();
    for (auto _ : state) {
        Database db;
        Preferences prefs;
        prefs.SetPartialLoading(partial);
        prefs.SetLoadUpto(250);
        RecordingUserInterface ui;
        db.SetWorkspaceDir(BenchDir() / "ws");
        const double memoryBefore = MemoryInUse();
        const long long readBefore = BytesRead();
        Workspace ws(db, prefs, ui);
        ws.LoadWorkspace();
        const long long read = BytesRead() - readBefore;
        long long quotes = 0;
        for (const auto& s : db.Stocks()) quotes += static_cast<long long>(s->Quotations.size());
        state.counters["stocks"] = db.StockCount();
        state.counters["read_share_%"] =
            100.0 * static_cast<double>(read) / static_cast<double>(totalBytes);
        state.counters["bytes_per_quote"] =
            (MemoryInUse() - memoryBefore) / static_cast<double>(quotes);
        state.SetBytesProcessed(state.bytes_processed() + read);
    }
}

void BM_FullLoad(benchmark::State& state) {
    LoadWorkspace(state, false);
}

void BM_PartialLoadUpto250(benchmark::State& state) {
    LoadWorkspace(state, true);
}

// Reads every file of the workspace with one read each into a reused buffer: the bytes read.
long long PlainRead(std::vector<char>& buffer) {
    long long total = 0;
    for (const auto& e : fs::recursive_directory_iterator(BenchDir() / "ws")) {
        if (!e.is_regular_file()) continue;
        const int fd = ::open(e.path().c_str(), O_RDONLY);
        if (fd < 0) continue;
        buffer.resize(static_cast<std::size_t>(e.file_size()));
        const ssize_t n = ::read(fd, buffer.data(), buffer.size());
        ::close(fd);
        if (n > 0) total += n;
        benchmark::DoNotOptimize(buffer.data());
    }
    return total;
}

void BM_PlainReadLoop(benchmark::State& state) {
    EnsureWorkspace();
    std::vector<char> buffer;
    for (auto _ : state) {
        state.SetBytesProcessed(state.bytes_processed() + PlainRead(buffer));
    }
}

// The work of a fresh process started by InFreshProcess (the bench run again with the argument
// "--child" and the work's name): true when it succeeded.
bool ChildWork(std::string_view name) {
    if (name == "read") {
        std::vector<char> buffer;
        return PlainRead(buffer) > 0;
    }
    if (name == "memory") {
        // As much fresh memory as the loaded quotations take, written page by page on every
        // core: what a fresh process pays for it before it has read a byte.
        const int threads = HardwareThreads();
        const std::size_t share =
            std::size_t{kStocks} * kQuotes * sizeof(Quotation) / static_cast<std::size_t>(threads);
        const auto pageSize = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
        std::vector<std::unique_ptr<char[]>> blocks(static_cast<std::size_t>(threads));
        ParallelFor(blocks.size(), threads, [&](std::size_t i, int) {
            blocks[i] = std::make_unique_for_overwrite<char[]>(share);
            for (std::size_t at = 0; at < share; at += pageSize) blocks[i][at] = 1;
            benchmark::DoNotOptimize(blocks[i].get());
        });
        return true;
    }
    if (name == "load") {
        Database db;
        Preferences prefs;
        RecordingUserInterface ui;
        db.SetWorkspaceDir(BenchDir() / "ws");
        Workspace ws(db, prefs, ui);
        return ws.LoadWorkspace() && db.StockCount() == kStocks;
    }
    return false;
}

// Runs the bench's own program in a new process doing one piece of work, and waits for it: every
// page the child allocates is fresh and its exit hands all of them back, as when the program
// starts to open a workspace. Both pieces of work pay the same start of the process.
void InFreshProcess(benchmark::State& state, const char* work) {
    EnsureWorkspace();
    char self[] = "/proc/self/exe";
    char child[] = "--child";
    std::string name(work);
    char* argv[] = {self, child, name.data(), nullptr};
    for (auto _ : state) {
        pid_t pid = 0;
        int status = 0;
        if (::posix_spawn(&pid, self, nullptr, nullptr, argv, environ) != 0 ||
            ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("the child process failed");
            break;
        }
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(WorkspaceBytes()));
}

void BM_PlainReadLoopFreshProcess(benchmark::State& state) {
    InFreshProcess(state, "read");
}

void BM_FullLoadFreshProcess(benchmark::State& state) {
    InFreshProcess(state, "load");
}

// The floor under a fresh-process load: no reading, only the memory its quotations need.
void BM_FreshMemoryFreshProcess(benchmark::State& state) {
    InFreshProcess(state, "memory");
}

void BM_SaveAsEverything(benchmark::State& state) {
    EnsureWorkspace();
    Database db;
    Preferences prefs;
    RecordingUserInterface ui;
    db.SetWorkspaceDir(BenchDir() / "ws");
    Workspace ws(db, prefs, ui);
    ws.LoadWorkspace();
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const fs::path target = BenchDir() / ("saveas" + std::to_string(round++));
        for (const auto& s : db.Stocks()) s->Modified = true;
        db.SetWorkspaceDirty(true);
        db.SetWorkspaceDir(target);
        state.ResumeTiming();
        ws.SaveWorkspace();
    }
}

// The physical reference for saving: the same bytes written with one write per file.
void BM_PlainWriteLoop(benchmark::State& state) {
    EnsureWorkspace();
    std::vector<std::pair<fs::path, std::vector<char>>> files;
    for (const auto& e : fs::recursive_directory_iterator(BenchDir() / "ws")) {
        if (!e.is_regular_file()) continue;
        std::vector<char> data(static_cast<std::size_t>(e.file_size()));
        std::ifstream(e.path(), std::ios::binary)
            .read(data.data(), static_cast<std::streamsize>(data.size()));
        files.emplace_back(fs::relative(e.path(), BenchDir() / "ws"), std::move(data));
    }
    int round = 0;
    for (auto _ : state) {
        const fs::path target = BenchDir() / ("plain" + std::to_string(round++));
        for (const auto& [rel, data] : files) {
            fs::create_directories((target / rel).parent_path());
            const int fd = ::open((target / rel).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (fd < 0) continue;
            benchmark::DoNotOptimize(::write(fd, data.data(), data.size()));
            ::close(fd);
        }
    }
}

Database& LookupDatabase() {
    static Database db;
    if (db.StockCount() == 0) {
        for (int i = 0; i < 10000; ++i) db.AddStock(TickerOf(i))->Alias.Set("AL" + TickerOf(i));
    }
    return db;
}

void BM_FindStock(benchmark::State& state) {
    Database& db = LookupDatabase();
    std::vector<std::string> keys;
    for (int i = 0; i < 10000; i += 7) keys.push_back(TickerOf((i * 7919) % 10000));
    std::size_t k = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(db.FindStock(keys[k]));
        if (++k == keys.size()) k = 0;
    }
}

void BM_FindStockOrAlias(benchmark::State& state) {
    Database& db = LookupDatabase();
    std::vector<std::string> keys;
    for (int i = 0; i < 10000; i += 7) keys.push_back(TickerOf((i * 7919) % 10000));
    std::size_t k = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(db.FindStockOrAlias(keys[k]));
        if (++k == keys.size()) k = 0;
    }
}

}  // namespace

BENCHMARK(BM_PlainReadLoop)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_FullLoad)->Unit(benchmark::kMillisecond)->Iterations(3);
// The same pair, each in a process of its own: the comparison the load's speed goal names.
BENCHMARK(BM_PlainReadLoopFreshProcess)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10)
    ->UseRealTime();
BENCHMARK(BM_FullLoadFreshProcess)->Unit(benchmark::kMillisecond)->Iterations(10)->UseRealTime();
BENCHMARK(BM_FreshMemoryFreshProcess)->Unit(benchmark::kMillisecond)->Iterations(10)->UseRealTime();
BENCHMARK(BM_PartialLoadUpto250)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_PlainWriteLoop)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_SaveAsEverything)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_FindStock);
BENCHMARK(BM_FindStockOrAlias);

// The written copies of a run are removed at the start of the next one, followed by a pause:
// ext4 scans recently deleted inodes (for about 30 s) when creating files, which would make
// file creation, not the program, the thing measured.
int main(int argc, char** argv) {
    if (argc == 3 && std::string_view(argv[1]) == "--child") return ChildWork(argv[2]) ? 0 : 1;
    bool removed = false;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(BenchDir(), ec)) {
        const std::string name = e.path().filename().string();
        if (name.rfind("saveas", 0) == 0 || name.rfind("plain", 0) == 0) {
            fs::remove_all(e.path());
            removed = true;
        }
    }
    if (removed) {
        std::fprintf(stderr, "removed the previous run's copies; waiting 31 s\n");
        ::sleep(31);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
