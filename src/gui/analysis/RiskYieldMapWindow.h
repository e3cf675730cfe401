#pragma once
// The "Risk/Yield map" window: every stock with enough history as a point placed by the risk
// and the yield of its five-bar returns (RiskYieldMap), the current stock highlighted.
// Dragging a rectangle with the left button zooms into it; a click on a point makes its stock
// current (the active chart window shows it), a click elsewhere shows the whole map again; the
// tooltip names the stock under the mouse.
// The values are computed at the first paint and again once quotations were loaded.

#include <QImage>
#include <QPoint>
#include <QWidget>
#include <array>
#include <optional>

#include "analysis/RiskYieldMap.h"

namespace velmora::gui {

class GuiContext;

inline constexpr char kRiskYieldMapCaption[] = "Risk/Yield map";

class RiskYieldMapWindow : public QWidget {
    Q_OBJECT
  public:
    explicit RiskYieldMapWindow(GuiContext& context, QWidget* parent = nullptr);

    RiskYieldMap& Map() { return map_; }
    // The map as painted now (laid out afresh when it is out of date).
    const QImage& Picture();
    // The last layout drawn.
    const MapDrawing& Drawing() const { return drawing_; }
    // The rectangle being dragged, in widget coordinates.
    std::optional<QRect> Rubber() const;

  public slots:
    // A new current stock or new data: the highlight moves; loaded quotations make the values
    // stale.
    void Refresh();

    // The stock of the point under a position of the window (its square and a pixel round it),
    // or null.
    Stock* StockAt(QPoint pos) const;

  protected:
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

  private:
    void Render(std::optional<std::array<int, 4>> selection = std::nullopt);
    int HighlightedIndex() const;
    long long QuotationCount() const;

    GuiContext& context_;
    RiskYieldMap map_;
    MapDrawing drawing_;
    QImage picture_;
    bool dirty_ = true;
    long long quotations_ = -1;  // the count the values were computed from
    std::optional<QPoint> pressed_;
    QPoint pointer_;
};

// "&Risk/yield map": the main window's map window, created on first use 100 pixels inside the
// main window on each side, shown again on later commands.
RiskYieldMapWindow* ShowRiskYieldMapWindow(GuiContext& context, QWidget* mainWindow);

}  // namespace velmora::gui
