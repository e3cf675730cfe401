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

}  // namespace

int RunChart(Context& ctx, std::vector<std::string>& args) {
    bool missing = false;
    const auto out = TakeOption(args, "--out", missing);
    const auto pdf = TakeOption(args, "--pdf", missing);
    const auto size = TakeOption(args, "--size", missing);
    const auto periodicity = TakeOption(args, "--periodicity", missing);
    const auto type = TakeOption(args, "--type", missing);
    const auto panes = TakeOption(args, "--panes", missing);
    const auto visible = TakeOption(args, "--visible", missing);
    const auto scroll = TakeOption(args, "--scroll", missing);
    const auto selected = TakeOption(args, "--selected-bar", missing);
    const auto signalsFile = TakeOption(args, "--signals-formula-file", missing);
    const bool volumeShares = TakeFlag(args, "--volume-shares");
    if (missing) {
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

    ChartTable table;
    ReadChartsFile(table, ctx.profileDir / kChartsFileName);
    ChartSettings settings;
    settings.FromPreferences(ctx.prefs);
    if (chartType) settings.chartType = *chartType;
    if (volumeShares) settings.volumeShowsTurnover = false;
    if (visible) settings.visibleBars = visibleBars;
    CompressedStockCache cache;
    ChartWindowModel model(table, ctx.prefs.AutoArrangeCharts());
    model.SetClientHeight(height);
    if (panes) {
        bool percents = true;
        for (const auto& p : paneList) percents = percents && p.second >= 0;
        model.SetPanes(paneList);
        if (!percents) model.Arrange();
    } else {
        model.Open(ctx.profileDir / kLayoutFileName);
    }

    ChartWindowView view;
    view.model = &model;
    view.table = &table;
    view.settings = &settings;
    view.prefs = &ctx.prefs;
    view.cache = &cache;
    view.stock = stock;
    view.database = &ctx.db;
    // The formula-driven panes run their formulas on this engine while they paint; a pane
    // whose formula fails is drawn without graphs and makes the run fail.
    ConsoleFormulaErrorSink consoleErrors(ctx.err);
    CountingFormulaErrorSink paneErrors(consoleErrors);
    FormulaEngine paneEngine(paneErrors, &ctx.db);
    view.engine = &paneEngine;
    HintData data;
    data.visibleBars = settings.visibleBars;
    model.SetPeriodicity(period, cache, data);
    data.barCount = static_cast<int>(WindowStock(view)->Quotations.size());
    model.Receive({RefreshHint::Kind::Everything}, data);
    for (int i = 0; i < model.PaneCount(); ++i)
        if (scroll) model.Pane(i).scroll.MoveTo(scrollPosition);
    // The signalsFile formula runs on the stock as the window shows it; its buy and sell arrays
    // become the price panes' trade arrows.
    bool formulaFailed = false;
    if (signalsFile && !WindowStock(view)->Quotations.empty()) {
        ConsoleFormulaErrorSink errors(ctx.err);
        FormulaEngine engine(errors, &ctx.db);
        engine.ClearErrorFlag();
        FormulaRun run = engine.BeginRun(*WindowStock(view));
        run.Execute(*signalsText);
        data.buy = run.GetArray("buy");
        data.sell = run.GetArray("sell");
        data.runBars = run.BarCount();
        model.Receive({RefreshHint::Kind::FormulaRan}, data);
        formulaFailed = engine.ErrorFlag();
        data.buy = data.sell = nullptr;
    }
    if (selected) {
        settings.selectedBar = selectedBar;
        settings.markerShown = true;
    }

    if (out && !WriteChartPng(view, width, height, *out)) {
        ctx.Error("cannot write '" + *out + "'");
        return kFailure;
    }
    if (pdf && !WriteChartPdf(view, width, height, *pdf)) {
        ctx.Error("cannot write '" + *pdf + "'");
        return kFailure;
    }
    if (out) std::fprintf(ctx.out, "%s\n", out->c_str());
    if (pdf) std::fprintf(ctx.out, "%s\n", pdf->c_str());
    if (formulaFailed) ctx.Error("chart: the formula of --signals-formula-file failed");
    if (paneErrors.count > 0)
        ctx.Error("chart: the formula of a pane failed; the pane is drawn without its graphs");
    return formulaFailed || paneErrors.count > 0 ? kFailure : kSuccess;
}

}  // namespace velmora::cli
