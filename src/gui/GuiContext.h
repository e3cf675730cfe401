#pragma once
// What every window of the desktop program shares: the application's objects (owned by
// main(), which outlives every window) and the current stock. Windows learn of a new current
// stock and of refresh requests through the signals; the stock maintenance commands reach the
// windows through the ShellWindows interface this object implements.

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <filesystem>
#include <optional>
#include <string_view>

#include "app/StockMaintenance.h"
#include "chart/ChartDefinition.h"
#include "chart/ChartWindowModel.h"
#include "database/Application.h"
#include "database/Database.h"
#include "database/Preferences.h"
#include "formula/FormulaEngine.h"
#include "platform/SettingsStore.h"
#include "platform/UserInterface.h"

namespace velmora::gui {

// A flag of MakeCurrent: only the current stock changed (a stock was chosen, or a chart
// window was activated and its stock became current): the active chart window shows it, and
// every other chart window keeps its stock, bars and selection.
inline constexpr int kCurrentStockOnly = 64;
// Choosing a stock (tree, ticker bar, finder, result lists): it becomes current and is
// selected in the tree and the ticker bar; the active chart window shows it.
inline constexpr int kChosenStockFlags = 7 | kCurrentStockOnly;

struct GuiServices {
    Application& app;
    Database& db;
    Preferences& prefs;
    SettingsStore& settings;
    UserInterface& ui;
    ChartTable& charts;
    FormulaEngine& engine;
    std::filesystem::path profileDir;
};

class GuiContext : public QObject, public ShellWindows {
    Q_OBJECT
  public:
    explicit GuiContext(GuiServices services, QObject* parent = nullptr);

    GuiServices& Services() { return services_; }
    StockMaintenance& Maintenance() { return maintenance_; }
    // The stock the chart windows show; null for an empty database.
    Stock* CurrentStock() const { return maintenance_.Current(); }
    // Makes a stock current with the flags of the stock maintenance commands (1 select it in
    // the stock tree and the ticker bar, 16 rebuild them; the low bits go to the charts).
    void MakeCurrent(Stock* stock, int flags) { maintenance_.MakeCurrent(stock, flags); }

    // ShellWindows: turned into the signals below.
    void SetChartCaption(std::string_view caption) override;
    void RefreshCharts(int flags) override;
    void RebuildStockTree(bool fromScratch) override;
    void SelectStock(const Stock* stock) override;

    // A formula (the commentary, the automatic analysis) has just run on the current stock in
    // the periodicity given, its run still open: the chart windows in that periodicity take its
    // buy and sell arrays as trade arrows.
    void SendFormulaHint(const HintData& data, Periodicity periodicity);
    // The chart settings every chart window shares (chart type, visible bars, the selected
    // bar), taken from the preferences when first asked for.
    ChartSettings& SharedChartSettings();
    // A window changed the shared settings: with `everything` (zoom, chart type) every window
    // goes back to its latest bars and repaints, else the other windows repaint.
    void ChartSettingsChanged(QWidget* sender, bool everything) {
        emit chartSettingsChanged(sender, everything);
    }
    // View "Crosshair": every chart window draws a cross at the mouse and the status bar reads
    // the date and value under it.
    bool Crosshair() const { return crosshair_; }
    void SetCrosshair(bool on) {
        crosshair_ = on;
        emit chartSettingsChanged(nullptr, false);
    }
    // The chart window the user worked in last (null when none is open); the commentary takes
    // its periodicity and selected bar.
    QWidget* ActiveChart() const { return activeChart_.data(); }
    // A change of the active chart window is announced (activeChartChanged).
    void SetActiveChart(QWidget* chart);

  signals:
    void chartCaptionChanged(const QString& caption);
    // The chart windows repaint (flags as passed to MakeCurrent; 0 a plain repaint).
    void chartsRefreshRequested(int flags);
    void stockTreeRebuildRequested(bool fromScratch);
    void stockSelected(const velmora::Stock* stock);
    // Sent synchronously by SendFormulaHint (periodicity as its int value).
    void formulaRan(const velmora::HintData& data, int periodicity);
    void chartSettingsChanged(QWidget* sender, bool everything);
    // Another chart window became the active one.
    void activeChartChanged(QWidget* chart);

  private:
    GuiServices services_;
    StockMaintenance maintenance_;
    QPointer<QWidget> activeChart_;
    std::optional<ChartSettings> chartSettings_;
    bool crosshair_ = false;
};

}  // namespace velmora::gui
