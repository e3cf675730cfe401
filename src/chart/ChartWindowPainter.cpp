#include "chart/ChartWindowPainter.h"

#include "chart/ChartInteraction.h"
#include "chart/PricePainter.h"
#include "chart/SeriesPlot.h"
#include "chart/Studies.h"

namespace velmora {

namespace {

PaneContext MakeContext(Canvas& canvas, ChartWindowView& view, int pane, int width, int height,
                        const Stock* stock, ChartDefinition* definition, int selectedBar = -1) {
    PaneContext ctx;
    ctx.width = width;
    ctx.height = height;
    ctx.canvas = &canvas;
    ctx.definition = definition;
    ctx.prefs = view.prefs;
    ctx.settings = view.settings;
    ctx.stock = stock;
    ctx.periodicity = view.model->GetPeriodicity();
    ctx.scrollPosition = view.model->Pane(pane).scroll.position;
    if (selectedBar >= 0 && selectedBar < ctx.VisibleBars())
        ctx.titleBar = ctx.scrollPosition + selectedBar;
    ctx.arrows = &view.model->Pane(pane).arrows;
    ctx.database = view.database;
    ctx.engine = view.engine;
    return ctx;
}

}  // namespace

const Stock* WindowStock(ChartWindowView& view) {
    if (view.stock == nullptr) return nullptr;
    if (view.cache == nullptr || view.model == nullptr) return view.stock;
    return &view.cache->Get(*view.stock, view.model->GetPeriodicity());
}

void PaintPane(Canvas& canvas, ChartWindowView& view, int pane, int width, int height,
               int selectedBar) {
    const ChartPaneState& state = view.model->Pane(pane);
    ChartDefinition* definition = view.table->FindById(state.chartId);
    const Stock* stock = WindowStock(view);
    if (state.chartId == 0 || definition == nullptr || stock == nullptr) {
        canvas.FillRectRgb(0, 0, width, height, kWindowBackground);
        return;
    }
    PaneContext ctx =
        MakeContext(canvas, view, pane, width, height, stock, definition, selectedBar);
    definition->pane = &ctx;
    if (definition->painter)
        definition->painter(ctx);
    else
        ClearPane(ctx);
    DrawStudies(ctx, view.stock->Studies);
    if (definition->id == kPriceChartId && !state.arrows.Empty())
        DrawTradeArrows(ctx, state.arrows);
    definition->pane = nullptr;
    if (definition->markerX >= 0)
        DrawMarkerLine(canvas, definition->markerX, height, definition->id == kPriceChartId);
}

void PaintChartWindow(Canvas& canvas, ChartWindowView& view, int width, int height) {
    ChartPalette palette = view.prefs ? ChartPalette::FromPreferences(*view.prefs) : ChartPalette();
    if (view.printing) palette.SwapForPrinting();
    canvas.SetPalette(palette);
    view.model->SetClientHeight(height);
    const auto rects = view.model->Layout();
    // The price painter hides the marker: the selected bar is read before any pane paints.
    const ChartSettings* settings = view.settings;
    const int selectedBar =
        settings != nullptr && settings->markerShown ? settings->selectedBar : -1;
    for (int i = 0; i < static_cast<int>(rects.size()); ++i) {
        const auto& r = rects[static_cast<std::size_t>(i)];
        const int paneHeight = PaneHeight(r.height, view.paneFooter);
        canvas.SetOrigin(0, r.top);
        canvas.SetClip(0, 0, width, paneHeight);
        PaintPane(canvas, view, i, width, paneHeight, selectedBar);
        canvas.ClearClip();
        if (paneHeight < r.height)
            canvas.FillRectRgb(0, paneHeight, width, r.height, kSplitterBarColour);
        if (i + 1 < static_cast<int>(rects.size()))
            canvas.FillRectRgb(0, r.height, width, r.height + ProportionalSplitter::kBarSize,
                               kSplitterBarColour);
    }
    canvas.SetOrigin(0, 0);
}

void ShowSelectedBar(Canvas& canvas, ChartWindowView& view, int width, int height) {
    const ChartSettings& settings = *view.settings;
    const Stock* stock = WindowStock(view);
    if (stock == nullptr || settings.selectedBar < 0) return;
    view.model->SetClientHeight(height);
    const auto rects = view.model->Layout();
    for (int i = 0; i < static_cast<int>(rects.size()); ++i) {
        const auto& r = rects[static_cast<std::size_t>(i)];
        ChartDefinition* definition = view.table->FindById(view.model->Pane(i).chartId);
        if (definition == nullptr) continue;
        const int paneHeight = PaneHeight(r.height, view.paneFooter);
        canvas.SetOrigin(0, r.top);
        canvas.SetClip(0, 0, width, paneHeight);
        PaneContext ctx = MakeContext(canvas, view, i, width, paneHeight, stock, definition);
        SeriesPlot plot = FramePricePlot(ctx);
        if (settings.selectedBar < plot.visible) {
            const PlotGeometry g(ctx, plot);
            if (definition->id == kPriceChartId)
                DrawTitle(ctx,
                          PriceTitle(*stock, plot.scroll + settings.selectedBar, ctx.periodicity));
            MoveMarkerLine(canvas, *definition, MarkerX(g, settings.selectedBar), paneHeight);
        }
        canvas.ClearClip();
    }
    canvas.SetOrigin(0, 0);
}

}  // namespace velmora
