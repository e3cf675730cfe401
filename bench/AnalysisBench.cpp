// The headline figure of the automatic analysis: the default analysis formula evaluated on
// 2,000 stocks of 2,500 bars each, one run per stock (BeginRun, Execute, GetArray of "buy" and
// "sell", the run's end), on one core. "Mbar/s" counts stock-bars per second; the target is the
// whole set in under 0.3 s, that is over 16.7 Mbar/s.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "database/Stock.h"
#include "formula/FormulaEngine.h"

namespace {

using namespace velmora;

constexpr int kStocks = 2000;
constexpr int kBarsPerStock = 2500;
constexpr const char* kDefaultAnalysisFormula =
    "buy = cross( macd(), 0 );\r\nsell = cross( 0, macd() );";

const std::vector<std::unique_ptr<Stock>>& Stocks() {
    static const std::vector<std::unique_ptr<Stock>> stocks = [] {
        std::vector<std::unique_ptr<Stock>> all;
        std::uint32_t seed = 11;
        for (int k = 0; k < kStocks; ++k) {
            auto s = std::make_unique<Stock>();
            char ticker[16];
            std::snprintf(ticker, sizeof ticker, "S%d", k);
            s->Ticker.Set(ticker);
            float price = 20.0f + static_cast<float>(k % 100);
            PackedDate d = MakeDate(2000, 1, 3);
            for (int i = 0; i < kBarsPerStock; ++i, d = AddDays(d, 1)) {
                seed = seed * 1664525u + 1013904223u;
                price *= 1.0f + (static_cast<float>(seed >> 8) / 16777216.0f - 0.5f) * 0.04f;
                Quotation q;
                q.Date = d;
                q.Close = price;
                q.Open = price * 0.995f;
                q.High = price * 1.01f;
                q.Low = price * 0.985f;
                q.Volume = static_cast<std::int32_t>(seed >> 14);
                s->Quotations.push_back(q);
            }
            all.push_back(std::move(s));
        }
        return all;
    }();
    return stocks;
}

void BM_DefaultAnalysisFormula(benchmark::State& state) {
    const auto& stocks = Stocks();
    RecordingFormulaErrorSink errors;
    FormulaEngine engine(errors);
    std::size_t signals = 0;
    for (auto _ : state) {
        for (const auto& stock : stocks) {
            FormulaRun run = engine.BeginRun(*stock);
            run.Execute(kDefaultAnalysisFormula);
            const float* buy = run.GetArray("buy");
            const float* sell = run.GetArray("sell");
            benchmark::DoNotOptimize(buy);
            benchmark::DoNotOptimize(sell);
            signals += (buy != nullptr && buy[kBarsPerStock - 1] == 1.0f) ? 1 : 0;
        }
    }
    benchmark::DoNotOptimize(signals);
    if (!errors.reports.empty()) state.SkipWithError(errors.reports[0].c_str());
    state.counters["Mbar/s"] =
        benchmark::Counter(static_cast<double>(kStocks) * kBarsPerStock / 1e6,
                           benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_DefaultAnalysisFormula)->Unit(benchmark::kMillisecond)->MinTime(3.0);

}  // namespace

BENCHMARK_MAIN();
