#include "chart/FormulaPainter.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <string_view>

#include "chart/SeriesPlot.h"
#include "formula/FormulaEngine.h"
#include "platform/Saturate.h"

namespace velmora {

namespace {

// Style bits of a graph and the plot flags each adds.
struct StyleBit {
    int bit;
    std::uint32_t flags;
};
constexpr StyleBit kStyleBits[] = {
    {2, PlotFlags::kHistogram},
    {4, PlotFlags::kFat},
    {8, PlotFlags::kMarkPoints},
    {16, PlotFlags::kPointsOnly},
    {32, PlotFlags::kLogarithmic},
    {64, PlotFlags::kOhlc},
    {128, PlotFlags::kOhlc | PlotFlags::kBars},
    {256, PlotFlags::kRangeOnly},
};
constexpr std::uint32_t kGraphBaseFlags = PlotFlags::kSkipEmpty | PlotFlags::kPainterMark;

std::string SlotName(int slot, const char* suffix) {
    char buf[48];
    std::snprintf(buf, sizeof buf, "graph%d%s", slot, suffix);
    return buf;
}

// One past the highest graph slot the run assigned, so that a huge maxgraph does not make the
// painter look up millions of names that cannot exist.
int AssignedSlotLimit(const FormulaRun& run) {
    int limit = 0;
    for (const std::string& name : run.AssignedVariables()) {
        if (name.size() <= 5 || name.size() > 14) continue;
        bool graph = true;
        for (std::size_t i = 0; i < 5; ++i)
            graph = graph && std::tolower(static_cast<unsigned char>(name[i])) == "graph"[i];
        if (!graph) continue;
        long long slot = 0;
        bool digits = true;
        for (std::size_t i = 5; i < name.size() && digits; ++i) {
            digits = std::isdigit(static_cast<unsigned char>(name[i])) != 0;
            slot = slot * 10 + (name[i] - '0');
        }
        if (digits && slot < 2147483647LL) limit = std::max(limit, static_cast<int>(slot) + 1);
    }
    return limit;
}

}  // namespace

std::uint32_t FormulaGraphFlags(int slot, int style) {
    std::uint32_t flags = kGraphBaseFlags;
    if (style <= 0) {
        if (slot % 3 == 2) flags |= PlotFlags::kHistogram;
        return flags;
    }
    for (const StyleBit& s : kStyleBits)
        if (style & s.bit) flags |= s.flags;
    return flags;
}

int FormulaGraphColour(const PaneContext& pane, int slot, int colourNumber) {
    if (colourNumber >= 1 && colourNumber <= 16) return colourNumber - 1;
    if (colourNumber <= -1 && colourNumber >= -19)
        return pane.Colour(static_cast<ColourSetting>(-colourNumber - 1));
    // 0, and numbers without a meaning: the slot's own colour.
    if (slot == 0) return pane.Colour(ColourSetting::Oscillator);
    if (slot == 1) return pane.Colour(ColourSetting::Signal);
    return pane.Colour(ColourSetting::Histogram);
}

void PaintFormulaChart(PaneContext& pane) {
    ClearPane(pane);
    ChartDefinition* definition = pane.definition;
    if (pane.stock == nullptr || definition == nullptr || !definition->formula ||
        definition->formula->empty() || pane.engine == nullptr)
        return;
    const Stock& stock = *pane.stock;
    const int n = static_cast<int>(stock.Quotations.size());
    if (n <= 2) {
        DrawTitle(pane, kNotEnoughData);
        return;
    }
    FormulaEngine& engine = *pane.engine;
    engine.ClearErrorFlag();
    FormulaRun run = engine.BeginRun(stock);
    // writeval() in the title shows the values at the selected bar.
    if (pane.titleBar >= 0) run.SetSelectedBar(pane.titleBar);
    const std::string text = *definition->formula;  // the definition may change meanwhile
    run.Execute(text);
    if (engine.ErrorFlag()) {
        DrawTitle(pane, "");
        definition->markerX = kNoMarker;
        return;
    }

    SeriesPlot plot;
    plot.Frame(n, pane.VisibleBars(), pane.scrollPosition);
    plot.padding = 100;
    const int requested = SaturateToInt32(run.GetNumber("maxgraph"));
    const int maxGraph = std::min(requested <= 0 ? 3 : requested, AssignedSlotLimit(run));

    // The range over every present graph, or the definition's bounds. The bounds are taken
    // even when no graph is present: the grid records the range into the definition, and a
    // range of 0..0 there would wipe out the user's custom scaling.
    if (!definition->AutomaticScaling()) {
        plot.min = definition->scaleMin;
        plot.max = definition->scaleMax;
        plot.step = (definition->scaleMax - definition->scaleMin) * 0.25f;
    }
    bool first = true;
    for (int i = 0; i < maxGraph && definition->AutomaticScaling(); ++i) {
        const float* values = run.GetArray(SlotName(i, ""));
        if (values == nullptr) continue;
        plot.values = values;
        plot.flags = first ? PlotFlags::kAutomatic | PlotFlags::kRangeOnly
                           : PlotFlags::kAutomatic | PlotFlags::kRangeOnly | PlotFlags::kWidenOnly;
        PlotSeries(pane, plot, 0);
        first = false;
    }
    plot.flags = 0;
    // Bit 0 is part of every formula pane's grid flags (as for the price chart's 0x101). It is
    // set, not added: flags read from a file that already hold it must not carry into 0x2
    // (percent labels).
    DrawGrid(pane, plot, definition->gridFlags | 1);

    // From the last slot down, so that graph0 ends on top.
    for (int i = maxGraph - 1; i >= 0; --i) {
        const float* values = run.GetArray(SlotName(i, ""));
        if (values == nullptr) continue;
        SeriesPlot p = plot;
        p.values = values;
        p.flags = FormulaGraphFlags(i, SaturateToInt32(run.GetNumber(SlotName(i, "style"))));
        if (p.flags & (PlotFlags::kOhlc | PlotFlags::kBars)) {
            p.open = run.GetArray("O");
            p.high = run.GetArray("H");
            p.low = run.GetArray("L");
        }
        PlotSeries(
            pane, p,
            FormulaGraphColour(pane, i, SaturateToInt32(run.GetNumber(SlotName(i, "color")))));
    }

    const char* title = run.GetString("title");
    if (title != nullptr) {
        DrawTitle(pane, title);
    } else {
        char buf[160];
        std::snprintf(buf, sizeof buf, "%s - %s", std::string(stock.TickerText()).c_str(),
                      definition->name.c_str());
        DrawTitle(pane, buf);
    }
    definition->markerX = kNoMarker;
}

}  // namespace velmora
