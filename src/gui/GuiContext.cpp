#include "gui/GuiContext.h"

#include <QString>

namespace velmora::gui {

GuiContext::GuiContext(GuiServices services, QObject* parent)
    : QObject(parent),
      services_(std::move(services)),
      maintenance_(services_.db, services_.prefs, services_.ui, *this) {}

void GuiContext::SetChartCaption(std::string_view caption) {
    emit chartCaptionChanged(
        QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size())));
}

void GuiContext::RefreshCharts(int flags) {
    emit chartsRefreshRequested(flags);
}

void GuiContext::RebuildStockTree(bool fromScratch) {
    emit stockTreeRebuildRequested(fromScratch);
}

void GuiContext::SelectStock(const Stock* stock) {
    emit stockSelected(stock);
}

ChartSettings& GuiContext::SharedChartSettings() {
    if (!chartSettings_) {
        chartSettings_.emplace();
        chartSettings_->FromPreferences(services_.prefs);
    }
    return *chartSettings_;
}

void GuiContext::SetActiveChart(QWidget* chart) {
    if (activeChart_ == chart) return;
    activeChart_ = chart;
    emit activeChartChanged(chart);
}

void GuiContext::SendFormulaHint(const HintData& data, Periodicity periodicity) {
    emit formulaRan(data, static_cast<int>(periodicity));
}

}  // namespace velmora::gui
