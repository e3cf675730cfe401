// Chart painting and compression: a 1200 × 600 price pane with 2,000 visible bars and every
// overlay on (volume, three averages, Bollinger bands, SAR, candlesticks) painted onto a
// QImage; a 1200 × 900 chart window of Price, MACD, RSI and Volume panes with 2,000 visible
// bars; the ADX/DMI and Parabolic SAR formula panes; weekly and monthly compression of
// 10,000 daily bars.
//
//   cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELMORA_BENCH=ON
//   cmake --build build/release && build/release/bench/velmora_chart_bench

#include <benchmark/benchmark.h>

#include <QImage>
#include <QPainter>
#include <cmath>

#include "chart/ChartDefinition.h"
#include "chart/ChartTestSupport.h"
#include "chart/ChartWindowPainter.h"
#include "chart/FormulaPainter.h"
#include "chart/PricePainter.h"
#include "chart/qt/QtCanvas.h"
#include "database/Periodicity.h"
#include "formula/FormulaEngine.h"

using namespace velmora;

namespace {

Stock MakeStock(int n) {
    Stock s;
    s.Ticker.Set("BENCH");
    SetContinuous(s, true);
    PackedDate d = MakeDate(1990, 1, 1);
    double price = 50;
    std::uint64_t seed = 12345;
    for (int i = 0; i < n; ++i) {
        seed = seed * 6364136223846793005ull + 1442695040888963407ull;
        const double r = static_cast<double>(seed >> 11) * 0x1.0p-53 - 0.5;
        price *= 1 + r * 0.04;
        Quotation q;
        q.Date = d;
        q.Open = static_cast<float>(price * (1 - r * 0.01));
        q.Close = static_cast<float>(price);
        q.High = std::max(q.Open, q.Close) * 1.01f;
        q.Low = std::min(q.Open, q.Close) * 0.99f;
        q.Volume = 10000 + static_cast<int>(seed % 50000);
        s.Quotations.push_back(q);
        d = AddDays(d, DayOfWeek(d) == 4 ? 3 : 1);
    }
    return s;
}

// A 96-dpi image of w × h pixels to paint on.
QImage MakeImage(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    image.setDotsPerMeterX(3780);
    image.setDotsPerMeterY(3780);
    return image;
}

// A pane filling `image`, scrolled 500 bars back from the last.
PaneContext MakePane(Canvas& canvas, const QImage& image, ChartDefinition* definition,
                     const Preferences& prefs, ChartSettings& settings, const Stock& stock) {
    PaneContext pane;
    pane.width = image.width();
    pane.height = image.height();
    pane.canvas = &canvas;
    pane.definition = definition;
    pane.prefs = &prefs;
    pane.settings = &settings;
    pane.stock = &stock;
    pane.scrollPosition = 500;
    return pane;
}

// Paints onto `image` once per benchmark iteration.
template <class Paint>
void PaintEachIteration(benchmark::State& state, QImage& image, Paint paint) {
    for (auto _ : state) {
        QPainter painter(&image);
        QtCanvas canvas(painter);
        paint(canvas);
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
}

void BM_PaintPricePane(benchmark::State& state) {
    EnsureGuiApplication();
    const Stock stock = MakeStock(2500);
    Preferences prefs;
    prefs.SetAddParabolicSar(true);  // the averages, bands and volume are on by default
    ChartSettings settings;
    settings.visibleBars = 2000;
    settings.chartType = ChartType::Candlesticks;
    ChartTable table;
    QImage image = MakeImage(1200, 600);
    PaintEachIteration(state, image, [&](QtCanvas& canvas) {
        canvas.SetPalette(ChartPalette::FromPreferences(prefs));
        PaneContext pane =
            MakePane(canvas, image, table.FindById(kPriceChartId), prefs, settings, stock);
        PaintPriceChart(pane);
    });
}
BENCHMARK(BM_PaintPricePane)->Unit(benchmark::kMillisecond);

void BM_PaintChartWindow(benchmark::State& state) {
    EnsureGuiApplication();
    const Stock stock = MakeStock(2500);
    Preferences prefs;
    ChartSettings settings;
    settings.visibleBars = 2000;
    settings.chartType = ChartType::Candlesticks;
    ChartTable table;
    ChartWindowModel model(table);
    model.SetPanes({{kPriceChartId, 40}, {2, 20}, {3, 20}, {6, 20}});
    ChartWindowView view = test::MakeWindowView(model, table, settings, prefs, stock);
    for (int i = 0; i < model.PaneCount(); ++i) model.Pane(i).scroll.MoveTo(500);
    QImage image = MakeImage(1200, 900);
    PaintEachIteration(state, image,
                       [&](QtCanvas& canvas) { PaintChartWindow(canvas, view, 1200, 900); });
}
BENCHMARK(BM_PaintChartWindow)->Unit(benchmark::kMillisecond);

// The two formula-driven built-in charts (ADX/DMI and Parabolic SAR) as 1200 × 300 panes with
// 2,000 visible bars: a formula run on 2,500 bars, then the graphs plotted.
void BM_PaintFormulaPane(benchmark::State& state) {
    EnsureGuiApplication();
    const Stock stock = MakeStock(2500);
    Preferences prefs;
    ChartSettings settings;
    settings.visibleBars = 2000;
    ChartTable table;
    RecordingFormulaErrorSink errors;
    FormulaEngine engine(errors);
    QImage image = MakeImage(1200, 300);
    const int id = static_cast<int>(state.range(0));
    PaintEachIteration(state, image, [&](QtCanvas& canvas) {
        canvas.SetPalette(ChartPalette::FromPreferences(prefs));
        PaneContext pane = MakePane(canvas, image, table.FindById(id), prefs, settings, stock);
        pane.engine = &engine;
        PaintFormulaChart(pane);
    });
}
BENCHMARK(BM_PaintFormulaPane)->Arg(18)->Arg(19)->Unit(benchmark::kMillisecond);

void BM_Compress(benchmark::State& state) {
    const Stock stock = MakeStock(10000);
    const auto periodicity = static_cast<Periodicity>(state.range(0));
    for (auto _ : state) {
        auto bars = CompressQuotations(stock, periodicity);
        benchmark::DoNotOptimize(bars->Quotations.data());
    }
    state.SetItemsProcessed(state.iterations() * 10000);
}
BENCHMARK(BM_Compress)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
