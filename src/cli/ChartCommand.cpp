// chart TICKER --out FILE.png: one chart window's panes rendered into a PNG (or a PDF).

#include <cstdlib>
#include <filesystem>

#include "chart/ChartDefinition.h"
#include "chart/ChartSettings.h"
#include "chart/ChartWindowModel.h"
#include "chart/ChartWindowPainter.h"
#include "chart/ChartsFile.h"
#include "chart/Compression.h"
#include "chart/qt/ChartRendering.h"
#include "cli/Cli.h"
#include "formula/FormulaEngine.h"

namespace velmora::cli {

namespace {

// Passes each report on and counts them.
class CountingFormulaErrorSink final : public FormulaErrorSink {
  public:
    explicit CountingFormulaErrorSink(FormulaErrorSink& next) : next_(next) {}
    void ShowFormulaError(std::string_view report) override {
        ++count;
        next_.ShowFormulaError(report);
    }
    int count = 0;

  private:
    FormulaErrorSink& next_;
};

bool ParseInt(const std::string& text, int& out) {
    if (text.empty()) return false;
    char* end = nullptr;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (*end != 0 || v < -1000000000L || v > 1000000000L) return false;
    out = static_cast<int>(v);
    return true;
}

bool ParseSize(const std::string& text, int& width, int& height) {
    const auto x = text.find_first_of("xX");
    return x != std::string::npos && ParseInt(text.substr(0, x), width) &&
           ParseInt(text.substr(x + 1), height) && width >= 100 && height >= 60 && width <= 10000 &&
           height <= 10000;
}

// "ID[:PERCENT],..." into (id, percent) pairs; percent -1 when left out.
bool ParsePanes(const std::string& text, std::vector<std::pair<int, int>>& panes) {
    std::size_t pos = 0;
    while (pos <= text.size()) {
        const std::size_t comma = std::min(text.find(',', pos), text.size());
        const std::string item = text.substr(pos, comma - pos);
        const auto colon = item.find(':');
        int id = 0, percent = -1;
        if (!ParseInt(item.substr(0, colon), id) || id < 0) return false;
        if (colon != std::string::npos &&
            (!ParseInt(item.substr(colon + 1), percent) || percent < 0 || percent > 100))
            return false;
        panes.emplace_back(id, percent);
        pos = comma + 1;
    }
    return !panes.empty() && panes.size() <= ProportionalSplitter::kMaxRows;
}

// What the options ask of the chart, once they are read and checked.
struct ChartRequest {
    std::optional<std::string> out;  // the PNG file
    std::optional<std::string> pdf;
    int width = 0;
    int height = 0;
    Periodicity period = Periodicity::Daily;
    std::optional<ChartType> chartType;
    std::optional<std::vector<std::pair<int, int>>> panes;  // (id, percent or -1)
    std::optional<int> visibleBars;
    std::optional<int> scroll;
    std::optional<int> selectedBar;
    bool volumeShares = false;
    std::optional<std::string> signalsFormula;  // the formula of --signals-formula-file
};

// The charts file's definitions; a file that could not be read is reported.
ChartTable ReadChartTable(Context& ctx) {
    ChartTable table;
    if (const Status loaded = LoadChartsFile(table, ctx.profileDir / kChartsFileName); !loaded) {
        ctx.Error(loaded.ToString());
    }
    return table;
}

// A chart window drawn off screen: the charts file's definitions, the settings and the panes
// over the stock, and the engine the formula-driven panes run their formulas on while they
// paint (a pane whose formula fails is drawn without graphs and counted).
class OffscreenChart {
  public:
    OffscreenChart(Context& ctx, const Stock& stock, const ChartRequest& request)
        : table_(ReadChartTable(ctx)),
          model_(table_, ctx.prefs.AutoArrangeCharts()),
          consoleErrors_(ctx.err),
          paneErrors_(consoleErrors_),
          paneEngine_(paneErrors_, &ctx.db) {
        settings_.FromPreferences(ctx.prefs);
        if (request.chartType) settings_.chartType = *request.chartType;
        if (request.volumeShares) settings_.volumeShowsTurnover = false;
        if (request.visibleBars) settings_.visibleBars = *request.visibleBars;
        model_.SetClientHeight(request.height);
        if (request.panes) {
            bool percents = true;
            for (const auto& p : *request.panes) percents = percents && p.second >= 0;
            model_.SetPanes(*request.panes);
            if (!percents) model_.Arrange();
        } else {
            // A missing or foreign layout file still gives the window its default panes; one
            // that exists but could not be read is reported.
            const Status opened = model_.Open(ctx.profileDir / kLayoutFileName);
            if (!opened && opened.Code() != StatusCode::NotFound) ctx.Error(opened.ToString());
        }
        view_.model = &model_;
        view_.table = &table_;
        view_.settings = &settings_;
        view_.prefs = &ctx.prefs;
        view_.cache = &cache_;
        view_.stock = &stock;
        view_.database = &ctx.db;
        view_.engine = &paneEngine_;
    }
    OffscreenChart(const OffscreenChart&) = delete;
    OffscreenChart& operator=(const OffscreenChart&) = delete;

    // Shows the stock in the periodicity, every pane scrolled to the bar when one is given.
    void Show(Periodicity period, std::optional<int> scroll) {
        data_.visibleBars = settings_.visibleBars;
        model_.SetPeriodicity(period, cache_, data_);
        data_.barCount = static_cast<int>(WindowStock(view_)->Quotations.size());
        model_.Receive({RefreshHint::Kind::Everything}, data_);
        for (int i = 0; i < model_.PaneCount(); ++i)
            if (scroll) model_.Pane(i).scroll.MoveTo(*scroll);
    }

    // Runs the formula on the stock as the window shows it; its buy and sell arrays become
    // the price panes' trade arrows. True when the formula failed.
    bool RunSignals(Context& ctx, const std::string& formula) {
        if (WindowStock(view_)->Quotations.empty()) return false;
        ConsoleFormulaErrorSink errors(ctx.err);
        FormulaEngine engine(errors, &ctx.db);
        engine.ClearErrorFlag();
        FormulaRun run = engine.BeginRun(*WindowStock(view_));
        run.Execute(formula);
        data_.buy = run.GetArray("buy");
        data_.sell = run.GetArray("sell");
        data_.runBars = run.BarCount();
        model_.Receive({RefreshHint::Kind::FormulaRan}, data_);
        const bool failed = engine.ErrorFlag();
        data_.buy = data_.sell = nullptr;
        return failed;
    }

    void SelectBar(int bar) {
        settings_.selectedBar = bar;
        settings_.markerShown = true;
    }

    ChartWindowView& View() { return view_; }
    int PaneErrorCount() const { return paneErrors_.count; }

  private:
    ChartTable table_;
    ChartSettings settings_;
    CompressedStockCache cache_;
    ChartWindowModel model_;
    ConsoleFormulaErrorSink consoleErrors_;
    CountingFormulaErrorSink paneErrors_;
    FormulaEngine paneEngine_;
    ChartWindowView view_;
    HintData data_;
};

// Writes the PNG and the PDF asked for and prints their names. False after "cannot write".
bool WriteChartFiles(Context& ctx, ChartWindowView& view, const ChartRequest& request) {
    if (request.out) {
        const Status written = WriteChartPng(view, request.width, request.height, *request.out);
        if (!written) {
            ctx.Error("chart: " + written.ToString());
            return false;
        }
    }
    if (request.pdf) {
        const Status written = WriteChartPdf(view, request.width, request.height, *request.pdf);
        if (!written) {
            ctx.Error("chart: " + written.ToString());
            return false;
        }
    }
    if (request.out) std::fprintf(ctx.out, "%s\n", request.out->c_str());
    if (request.pdf) std::fprintf(ctx.out, "%s\n", request.pdf->c_str());
    return true;
}

int DrawChart(Context& ctx, const Stock& stock, const ChartRequest& request) {
    OffscreenChart chart(ctx, stock, request);
    chart.Show(request.period, request.scroll);
    const bool formulaFailed =
        request.signalsFormula && chart.RunSignals(ctx, *request.signalsFormula);
    if (request.selectedBar) chart.SelectBar(*request.selectedBar);
    if (!WriteChartFiles(ctx, chart.View(), request)) return kFailure;
    if (formulaFailed) ctx.Error("chart: the formula of --signals-formula-file failed");
    if (chart.PaneErrorCount() > 0)
        ctx.Error("chart: the formula of a pane failed; the pane is drawn without its graphs");
    return formulaFailed || chart.PaneErrorCount() > 0 ? kFailure : kSuccess;
}

}  // namespace

int RunChart(Context& ctx, std::vector<std::string>& args) {
    std::optional<std::string> out, pdf, size, periodicity, type, panes, visible, scroll, selected,
        signalsFile;
    bool volumeShares = false;
    const TakenOptions taken = TakeOptions(args, {{"--out", &out},
                                                  {"--pdf", &pdf},
                                                  {"--size", &size},
                                                  {"--periodicity", &periodicity},
                                                  {"--type", &type},
                                                  {"--panes", &panes},
                                                  {"--visible", &visible},
                                                  {"--scroll", &scroll},
                                                  {"--selected-bar", &selected},
                                                  {"--signals-formula-file", &signalsFile},
                                                  {"--volume-shares", &volumeShares}});
    if (taken.AnyMissing()) {
        ctx.Error("chart: an option is missing its value");
        return kUsage;
    }
    if (args.size() != 1 || (!out && !pdf)) {
        ctx.Error("chart: expected one TICKER and --out FILE.png or --pdf FILE.pdf");
        return kUsage;
    }
    int width = 1024, height = 768;
    if (size && !ParseSize(*size, width, height)) {
        ctx.Error("chart: --size must be WIDTHxHEIGHT (100x60 to 10000x10000)");
        return kUsage;
    }
    Periodicity period = Periodicity::Daily;
    if (!PeriodicityOption(ctx, "chart", periodicity, period)) return kUsage;
    std::optional<ChartType> chartType;
    if (type) {
        const char* names[] = {"auto", "line", "candlesticks", "bars"};
        for (int i = 0; i < 4; ++i)
            if (*type == names[i]) chartType = static_cast<ChartType>(i);
        if (!chartType) {
            ctx.Error("chart: --type must be auto, line, candlesticks or bars");
            return kUsage;
        }
    }
    std::vector<std::pair<int, int>> paneList;
    if (panes && !ParsePanes(*panes, paneList)) {
        ctx.Error("chart: --panes must be ID[:PERCENT],... with at most 16 panes");
        return kUsage;
    }
    int visibleBars = 0, scrollPosition = 0, selectedBar = -1;
    if (visible && (!ParseInt(*visible, visibleBars) || visibleBars < kMinVisibleBars)) {
        ctx.Error("chart: --visible must be a number of bars, 8 or more");
        return kUsage;
    }
    if (scroll && (!ParseInt(*scroll, scrollPosition) || scrollPosition < 0)) {
        ctx.Error("chart: --scroll must be a bar index");
        return kUsage;
    }
    if (selected && (!ParseInt(*selected, selectedBar) || selectedBar < 0)) {
        ctx.Error("chart: --selected-bar must be an index within the visible bars");
        return kUsage;
    }

    const std::optional<std::string> signalsText = FormulaText(ctx, std::nullopt, signalsFile);
    if (!signalsText) return kFailure;

    Stock* stock = OpenWorkspaceStock(ctx, args[0], false);
    if (stock == nullptr) return kFailure;

    ChartRequest request;
    request.out = out;
    request.pdf = pdf;
    request.width = width;
    request.height = height;
    request.period = period;
    request.chartType = chartType;
    if (panes) request.panes = paneList;
    if (visible) request.visibleBars = visibleBars;
    if (scroll) request.scroll = scrollPosition;
    if (selected) request.selectedBar = selectedBar;
    request.volumeShares = volumeShares;
    if (signalsFile) request.signalsFormula = *signalsText;
    return DrawChart(ctx, *stock, request);
}

}  // namespace velmora::cli
