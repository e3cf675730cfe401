#pragma once
// A chart window: the current stock in a stack of panes (ChartWindowModel) painted through
// PaintChartWindow into an off-screen picture, draggable splitter bars between the panes, one
// horizontal scroll bar moving all panes together, the pane menu, the zoom, periodicity and
// chart type commands, the selected bar and the drawing tools.

#include <QImage>
#include <QLineEdit>
#include <QPoint>
#include <QPointer>
#include <QWidget>
#include <array>
#include <optional>
#include <vector>

#include "chart/ChartSettings.h"
#include "chart/ChartWindowModel.h"
#include "chart/ChartWindowPainter.h"
#include "chart/Commentary.h"
#include "chart/Compression.h"
#include "chart/Studies.h"
#include "chart/StudyDrag.h"

class QMenu;
class QPainter;
class QPrinter;
class QScrollBar;

namespace velmora::gui {

class GuiContext;

class ChartWindow : public QWidget {
    Q_OBJECT
  public:
    explicit ChartWindow(GuiContext& context, QWidget* parent = nullptr);
    ~ChartWindow() override;

    ChartWindowModel& Model() { return model_; }
    // The stock this window shows (daily quotations); null without one. Activating the window
    // makes it the program's current stock; a stock chosen while the window is active
    // becomes its stock, while the other windows keep theirs.
    Stock* OwnStock() const { return stock_; }
    // The stock is about to leave the database: a window showing it shows `next` instead.
    void StockRemoving(const Stock* stock, Stock* next);
    ChartSettings& Settings() { return settings_; }
    StudyTool Tool() const { return tool_; }
    // The stock the panes show (compressed for weekly and monthly); null without one.
    const Stock* ShownStock();
    // The panes' area with their scroll bars, in widget coordinates.
    QRect ChartRect() const;
    // The pane at a y of the chart area; -1 on a splitter bar or below the panes.
    int PaneAt(int y) const;
    // Top and height of every pane in the chart area as laid out now (its scroll bar below).
    std::vector<ChartWindowModel::PaneRect> PaneRects() const;
    // The pane as the painters and the drawing tools see it (after the last paint).
    PaneContext PaneContextOf(int pane);
    // The picture of the panes, painted now when it is out of date.
    const QImage& Picture();
    // What a commentary run takes from this window.
    CommentarySource CommentaryInput();
    // The study picked with the pick tool (its handles shown; Delete removes it), or null.
    const Study* PickedStudy() const;
    // With the crosshair on: the mouse position it is drawn at (none outside the panes) and the
    // date and value under it, as the status bar shows them.
    std::optional<QPoint> CrossPosition() const { return cross_; }
    QString CrossText() const { return crossText_; }
    // The text tool's edit box while it is open, else null.
    QLineEdit* TextBox() const { return textBox_.data(); }
    // A pane's scroll bar (below the pane); null for a pane the window does not have.
    QScrollBar* ScrollBar(int pane = 0) const;
    // A right-click at a point of the chart area: the pane becomes active and the pane the
    // replace and study commands work on; the study under the point (if any) is remembered
    // for "Delete study" and "Properties...". True when a study was hit.
    bool RightClick(const QPoint& pos);
    // The pane menu for the pane last right-clicked: the plain replace list, or the "Chart"
    // menu's items (Insert, Replace, Blank pane, Close, Arrange, periodicity, Save layout and
    // the study commands).
    std::vector<MenuItem> PaneMenu(bool plainList) const;
    // Fills a menu with the pane menu's items; the window's periodicity and chart type are
    // checked.
    void FillPaneMenu(QMenu& menu, bool plainList) const;
    // The panes painted as for the printer (the page's size, the printing palette, no cached
    // picture) through the painter.
    void PaintForPrinting(QPainter& painter, int width, int height);
    // One page on the printer; false when the printer cannot be painted on.
    bool PrintTo(QPrinter& printer);

  public slots:
    // 0 daily, 1 weekly, 2 monthly.
    void SetPeriodicity(int periodicity);
    // 0 Auto, 1 Line, 2 Candlesticks, 3 Bars.
    void SetChartType(int type);
    // "In" reads SHIFT (doubles instead) and CTRL (back to the default) from the keyboard.
    void ZoomIn();
    // Zoom in by the plain step (half the bars), whatever keys are held.
    void ZoomInStep();
    void ZoomOut();
    void ZoomAll();
    void ZoomNormal();
    // 0 pick quotation, 1 trend line, 2 horizontal, 3 vertical, 4 Fibonacci retracement,
    // 5 Fibonacci time zones, 6 text.
    void SetTool(int tool);
    // A command of the window: the pane commands (ChartCommand), insert (10000 + id), replace
    // (12000 + id, on the pane last right-clicked), periodicity, chart type and tool commands.
    // False when the command is not one of these or cannot run now.
    bool RunCommand(int command);
    // Refresh hint 0: the scroll bar goes to the latest bars and every pane repaints. The
    // active window takes the current stock first. With kCurrentStockOnly (another window was
    // activated) a window whose stock stays the same is left alone.
    void Refresh(int flags = 0);
    // Shows the bar of a date (the first on or after it; the last bar for a later date): the
    // panes scroll so that it stands a third into the shown bars, and it becomes the selected
    // bar. False when the window has no stock.
    bool ShowDate(PackedDate date);
    // File "Print...": the print dialog, then the panes on the printer.
    void Print();

  signals:
    void toolChanged(int tool);
    void periodicityChanged(int periodicity);
    void chartTypeChanged(int type);

  protected:
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void leaveEvent(QEvent* e) override;

  private:
    ChartWindowView View();
    // The stock the window shows after a change of the current stock.
    Stock* StockToShow() const;
    void ShowStock(Stock* stock);
    // The window was activated: its stock becomes current.
    void BecameActive();
    void Invalidate();
    void PaintPicture();
    void ApplyScroll();
    int ScrollBarHeight() const;
    // One scroll bar per pane, below it, showing the pane's scroll position.
    void PlaceScrollBars();
    // A pane's own scroll bar moved it.
    void ScrollPane(int pane, int position);
    // Keys, the wheel and dragging move every pane to one position.
    void ScrollAll(int position, bool keepSelection = false);
    // The arrow keys: the marker moves, scrolling the chart at the edge of the shown bars.
    void ArrowKey(bool right);
    // CTRL and the wheel: zoom with the bar under the mouse staying where it is.
    void ZoomAround(const QPoint& pos, bool in);
    // The pick tool's press on a study: it becomes the picked study (its handles shown) and
    // the press grabs it, or one of its end points. False when no study is under the press.
    bool GrabStudy(int pane, int x, int y);
    void MoveStudy(int x, int y);
    // Ends moving the picked study: kept (the stock marked changed) or put back.
    void DropStudy(bool keep);
    // The crosshair follows the mouse (nullopt: it left the panes).
    void MoveCrosshair(std::optional<QPoint> pos);
    void DrawCrosshair(QPainter& painter);
    // Small squares at the picked study's end points, over the picture.
    void DrawHandles(QPainter& painter);
    // The pick tool's click: the bar under x becomes the selected bar.
    void PickBar(int pane, int x);
    // Dragging with the pick tool: the panes follow the mouse.
    void Pan(int x);
    // The selected bar changed (with `clear`: it is gone): this window and the others repaint.
    void SelectionChanged(bool clear);
    // A study was added, moved, edited or deleted: every window repaints.
    void StudiesChanged();
    void ClearSelection();
    void FormulaRan(const HintData& hint, int periodicity);
    int SplitterBarAt(int y) const;
    int ChartPaneForKeys() const;
    void DrawFeedback();
    // Erases the rubber band; with makeStudies the end moves to `end` and the studies made
    // are added to the stock.
    void EndDrag(bool makeStudies, std::optional<QPoint> end = std::nullopt);
    void OpenTextBox(int pane, int x, int y);
    void TakeTextBox();
    void CloseTextBox();
    void EditProperties();
    void UpdateCursor(int y);
    std::array<int, 2> PaneOrigin(int pane) const;

    GuiContext& context_;
    Stock* stock_ = nullptr;
    std::uint64_t stockSerial_ = 0;
    ChartWindowModel model_;
    ChartSettings& settings_;  // shared by every chart window
    CompressedStockCache cache_;
    PaneScrollBar scroll_;  // where a refresh puts every pane's scroll bar
    std::vector<QScrollBar*> paneBars_;

    QImage picture_;
    bool pictureDirty_ = true;
    bool painting_ = false;
    // The automatic ranges each pane's definition had after the window's last paint: the
    // definitions are shared by all windows, so another window's paint may have changed them.
    struct PaneScale {
        int chartId = 0;
        float min = 0;
        float max = 0;
    };
    std::vector<PaneScale> scales_;

    StudyTool tool_ = StudyTool::Pick;
    StudyDrag drag_;
    int dragPane_ = -1;
    StudyHit hit_;
    StudyHit picked_;  // the study picked with the pick tool
    StudyMove studyMove_;
    int movePane_ = -1;  // the pane the picked study is being moved in
    bool studyMoved_ = false;
    int menuPane_ = -1;  // the pane last right-clicked

    int wheelDelta_ = 0;  // wheel turns below one step
    int panPane_ = -1;    // the pane a pick-tool press started in (-1: none)
    int panStartX_ = 0;
    int panStartPosition_ = 0;
    bool panning_ = false;

    int barDrag_ = -1;  // the splitter bar being dragged (the row above it)
    int barDragStartY_ = 0;
    int barDragY_ = 0;

    std::optional<QPoint> cross_;
    QString crossText_;

    QPointer<QLineEdit> textBox_;
    int textPane_ = -1;
    int textX_ = 0;
    int textY_ = 0;
};

}  // namespace velmora::gui
