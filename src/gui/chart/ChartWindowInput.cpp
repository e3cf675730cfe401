// The chart window's mouse, keys and text tool, its pane menu, printing and tooltips.

#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QScrollBar>
#include <QToolTip>
#include <QWheelEvent>
#include <algorithm>
#include <functional>

#include "app/StockMaintenance.h"
#include "chart/ChartInteraction.h"
#include "chart/PricePainter.h"
#include "chart/qt/QtCanvas.h"
#include "gui/GuiContext.h"
#include "gui/QtUserInterface.h"
#include "gui/chart/ChartWindow.h"
#include "platform/PlainText.h"

namespace velmora::gui {

namespace {

// `checked` tells whether a command's item carries a check mark (none when it has none).
void AddMenuItems(QMenu& menu, const std::vector<MenuItem>& items,
                  const std::function<std::optional<bool>(int)>& checked) {
    for (const MenuItem& item : items) {
        if (!item.submenu.empty()) {
            QMenu* sub = menu.addMenu(ToQString(item.text));
            AddMenuItems(*sub, item.submenu, checked);
        } else if (item.command == 0) {
            menu.addSeparator();
        } else {
            QAction* action = menu.addAction(ToQString(item.text));
            action->setData(item.command);
            action->setEnabled(item.enabled);
            if (const auto check = checked(item.command)) {
                action->setCheckable(true);
                action->setChecked(*check);
            }
        }
    }
}

}  // namespace

// --- mouse and keys ------------------------------------------------------------------------

void ChartWindow::focusInEvent(QFocusEvent* e) {
    QWidget::focusInEvent(e);
    context_.SetActiveChart(this);
}

void ChartWindow::UpdateCursor(int y) {
    if (barDrag_ >= 0 || SplitterBarAt(y) >= 0)
        setCursor(Qt::SplitVCursor);
    else
        setCursor(ToolShowsCrossHair(tool_) ? Qt::CrossCursor : Qt::ArrowCursor);
}

void ChartWindow::DrawFeedback() {
    // An out-of-date picture gets the band drawn by its next paint, with the points of then.
    if (!drag_.Active() || pictureDirty_ || picture_.isNull() ||
        picture_.size() != ChartRect().size())
        return;
    QPainter painter(&picture_);
    QtCanvas canvas(painter);
    canvas.SetPalette(ChartPalette::FromPreferences(context_.Services().prefs));
    canvas.SetOrigin(0, PaneOrigin(dragPane_)[0]);
    drag_.DrawFeedback(canvas);
}

void ChartWindow::EndDrag(bool makeStudies, std::optional<QPoint> end) {
    DrawFeedback();  // erases the rubber band
    std::vector<Study> studies;
    if (makeStudies) {
        if (end) drag_.Move(end->x(), end->y() - PaneOrigin(dragPane_)[0]);
        studies = drag_.Finish();
    } else {
        drag_.Cancel();
    }
    dragPane_ = -1;
    Stock* stock = stock_;
    if (!studies.empty() && stock != nullptr) {
        AddStudies(context_.Services().db, *stock, std::move(studies));
        hit_.Clear();
        StudiesChanged();
    } else {
        update();
    }
}

void ChartWindow::mousePressEvent(QMouseEvent* e) {
    const QPoint pos = e->position().toPoint();
    context_.SetActiveChart(this);
    setFocus(Qt::MouseFocusReason);
    if (e->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(e);
        return;
    }
    if (textBox_) {
        TakeTextBox();
        return;
    }
    const int bar = SplitterBarAt(pos.y());
    if (bar >= 0) {
        barDrag_ = bar;
        barDragStartY_ = barDragY_ = pos.y();
        update();
        return;
    }
    const int pane = PaneAt(pos.y());
    if (pane < 0) return;
    model_.SetActivePane(pane);
    if (model_.Pane(pane).chartId == 0 || ShownStock() == nullptr) return;
    const int y = pos.y() - PaneOrigin(pane)[0];
    switch (tool_) {
        case StudyTool::Pick:
            if (GrabStudy(pane, pos.x(), y)) break;
            PickBar(pane, pos.x());
            // Dragging from here pans the chart.
            panPane_ = pane;
            panStartX_ = pos.x();
            panStartPosition_ = model_.Pane(pane).scroll.position;
            panning_ = false;
            break;
        case StudyTool::Text:
            OpenTextBox(pane, pos.x(), y);
            break;
        default: {
            const PaneContext ctx = PaneContextOf(pane);
            if (!drag_.Begin(ctx, tool_, pos.x(), y)) return;
            dragPane_ = pane;
            DrawFeedback();
            update();
            break;
        }
    }
}

const Study* ChartWindow::PickedStudy() const {
    return stock_ != nullptr ? picked_.Get(*stock_) : nullptr;
}

bool ChartWindow::GrabStudy(int pane, int x, int y) {
    if (stock_ == nullptr) return false;
    const PaneContext ctx = PaneContextOf(pane);
    StudyHit hit;
    const bool onStudy = hit.RightClick(ctx, *stock_, x, y);
    // The picked study first (its end point may lie on another study), then the pane's
    // studies in order: an end point under the press grabs that point, else the study under
    // the press is grabbed whole.
    std::vector<int> candidates;
    if (picked_.Valid(*stock_)) candidates.push_back(picked_.Index());
    for (int i = 0; i < static_cast<int>(stock_->Studies.size()); ++i) candidates.push_back(i);
    const std::int32_t paneId = model_.Pane(pane).chartId;
    for (const int i : candidates) {
        const Study& study = stock_->Studies[static_cast<std::size_t>(i)];
        if (study.PaneId != paneId) continue;
        const bool under = onStudy && hit.Index() == i;
        if (studyMove_.Begin(ctx, study, x, y, under) == StudyMove::Part::None) continue;
        picked_.Remember(*stock_, i);
        movePane_ = pane;
        studyMoved_ = false;
        Invalidate();  // shows its handles
        return true;
    }
    if (picked_.Valid(*stock_)) Invalidate();  // its handles go
    picked_.Clear();
    return false;
}

void ChartWindow::MoveStudy(int x, int y) {
    Study* study = stock_ != nullptr ? picked_.Get(*stock_) : nullptr;
    if (study == nullptr) {
        movePane_ = -1;
        studyMove_.End();
        return;
    }
    *study = studyMove_.MovedTo(PaneContextOf(movePane_), x, y);
    studyMoved_ = true;
    Invalidate();
}

void ChartWindow::DropStudy(bool keep) {
    Study* study = stock_ != nullptr ? picked_.Get(*stock_) : nullptr;
    if (study != nullptr && studyMoved_) {
        const Study& original = studyMove_.Original();
        const bool changed =
            study->StartDate != original.StartDate || study->EndDate != original.EndDate ||
            study->StartValue != original.StartValue || study->EndValue != original.EndValue;
        if (!keep)
            *study = original;
        else if (changed)
            context_.Services().db.MarkModified(*stock_);
        StudiesChanged();
    }
    movePane_ = -1;
    studyMoved_ = false;
    studyMove_.End();
}

void ChartWindow::DrawHandles(QPainter& painter) {
    const Study* study = PickedStudy();
    if (study == nullptr) return;
    for (int i = 0; i < model_.PaneCount(); ++i) {
        if (model_.Pane(i).chartId != study->PaneId) continue;
        const auto handles = StudyMove::Handles(PaneContextOf(i), *study);
        if (!handles) continue;
        const int top = PaneOrigin(i)[0];
        for (std::size_t h = 0; h < 4; h += 2) {
            const QRect square((*handles)[h] - 3, top + (*handles)[h + 1] - 3, 7, 7);
            painter.fillRect(square, Qt::white);
            painter.setPen(Qt::black);
            painter.drawRect(square.adjusted(0, 0, -1, -1));
        }
    }
}

void ChartWindow::PickBar(int pane, int x) {
    PaneContext ctx = PaneContextOf(pane);
    const SeriesPlot plot = FramePricePlot(ctx);
    const PlotGeometry g(ctx, plot);
    const int selected = ClickToBar(x, ctx.left, g.plotWidth, plot.visible);
    if (selected < 0) {
        ClearSelection();
        context_.Maintenance().ClearPickedDate();
    } else {
        settings_.selectedBar = selected;
        settings_.markerShown = true;
        const auto& q = ctx.stock->Quotations;
        const int index = plot.scroll + selected;
        if (index >= 0 && index < static_cast<int>(q.size()))
            context_.Maintenance().SetPickedDate(q[static_cast<std::size_t>(index)].Date);
    }
    SelectionChanged(false);
}

void ChartWindow::mouseMoveEvent(QMouseEvent* e) {
    const QPoint pos = e->position().toPoint();
    if (barDrag_ >= 0) {
        barDragY_ = pos.y();
        update();
        return;
    }
    if (drag_.Active()) {
        DrawFeedback();
        drag_.Move(pos.x(), pos.y() - PaneOrigin(dragPane_)[0]);
        DrawFeedback();
        update();
        return;
    }
    if (movePane_ >= 0) {
        MoveStudy(pos.x(), pos.y() - PaneOrigin(movePane_)[0]);
        return;
    }
    if (panPane_ >= 0 && (e->buttons() & Qt::LeftButton)) {
        Pan(pos.x());
        return;
    }
    UpdateCursor(pos.y());
    MoveCrosshair(pos);
}

void ChartWindow::leaveEvent(QEvent* e) {
    QWidget::leaveEvent(e);
    MoveCrosshair(std::nullopt);
}

void ChartWindow::MoveCrosshair(std::optional<QPoint> pos) {
    const int pane = pos ? PaneAt(pos->y()) : -1;
    if (!context_.Crosshair() || pane < 0 || model_.Pane(pane).chartId == 0) pos.reset();
    std::optional<std::string> text;
    if (pos) {
        const PaneContext ctx = PaneContextOf(pane);
        text = TooltipText(ctx, pos->x(), pos->y() - PaneOrigin(pane)[0]);
    }
    if (!text) pos.reset();
    if (pos == cross_) return;
    cross_ = pos;
    // The tooltip's first two lines: the date and the value under the mouse.
    crossText_.clear();
    if (text) {
        const QStringList lines = ToQString(*text).split(QStringLiteral("\r\n"));
        crossText_ = lines.mid(0, 2).join(QStringLiteral("    "));
    }
    if (cross_) context_.Services().ui.SetStatusText(crossText_.toStdString());
    update();
}

void ChartWindow::DrawCrosshair(QPainter& painter) {
    if (!cross_ || !context_.Crosshair()) return;
    // The vertical line runs through every pane (the same date), the horizontal one across.
    painter.setPen(QPen(Qt::black, 1, Qt::DashLine));
    painter.drawLine(cross_->x(), 0, cross_->x(), height());
    painter.drawLine(0, cross_->y(), width(), cross_->y());
}

void ChartWindow::Pan(int x) {
    // A few pixels of slack keep a click that shakes a little a click.
    if (!panning_ && std::abs(x - panStartX_) < 4) return;
    panning_ = true;
    setCursor(Qt::ClosedHandCursor);
    PaneContext ctx = PaneContextOf(panPane_);
    const SeriesPlot plot = FramePricePlot(ctx);
    const PlotGeometry g(ctx, plot);
    if (g.plotWidth <= 0) return;
    const int bars = (x - panStartX_) * std::max(1, plot.visible) / g.plotWidth;
    ScrollAll(panStartPosition_ - bars);
}

void ChartWindow::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return;
    const QPoint pos = e->position().toPoint();
    if (barDrag_ >= 0) {
        model_.Splitter().DragBar(barDrag_, pos.y() - barDragStartY_, ChartRect().height());
        barDrag_ = -1;
        PlaceScrollBars();
        UpdateCursor(pos.y());
        Invalidate();
        return;
    }
    if (drag_.Active()) {
        EndDrag(true, pos);
    }
    if (movePane_ >= 0) DropStudy(true);
    if (panPane_ >= 0) {
        panPane_ = -1;
        panning_ = false;
        UpdateCursor(pos.y());
    }
}

int ChartWindow::ChartPaneForKeys() const {
    const int active = model_.ActivePane();
    if (active >= 0 && active < model_.PaneCount() && model_.Pane(active).chartId != 0)
        return active;
    for (int i = 0; i < model_.PaneCount(); ++i)
        if (model_.Pane(i).chartId != 0) return i;
    return -1;
}

void ChartWindow::keyPressEvent(QKeyEvent* e) {
    switch (e->key()) {
        case Qt::Key_Escape:
            if (movePane_ >= 0)
                DropStudy(false);
            else if (drag_.Active())
                EndDrag(false);
            else if (textBox_)
                CloseTextBox();
            else
                QWidget::keyPressEvent(e);
            return;
        case Qt::Key_Left:
        case Qt::Key_Right:
            ArrowKey(e->key() == Qt::Key_Right);
            return;
        case Qt::Key_Delete:
            // The picked study goes.
            if (stock_ != nullptr && movePane_ < 0 &&
                picked_.Delete(context_.Services().db, *stock_)) {
                hit_.Clear();
                StudiesChanged();
            }
            return;
        case Qt::Key_Home:
        case Qt::Key_End:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown: {
            const int pane = ChartPaneForKeys();
            if (pane < 0) return;
            const PaneScrollBar& s = model_.Pane(pane).scroll;
            const int target = e->key() == Qt::Key_Home     ? 0
                               : e->key() == Qt::Key_End    ? s.MaxPosition()
                               : e->key() == Qt::Key_PageUp ? s.position - std::max(1, s.page)
                                                            : s.position + std::max(1, s.page);
            ScrollAll(target);
            return;
        }
        default:
            QWidget::keyPressEvent(e);
    }
}

void ChartWindow::ArrowKey(bool right) {
    const int pane = ChartPaneForKeys();
    if (pane < 0 || ShownStock() == nullptr) return;
    const PaneContext ctx = PaneContextOf(pane);
    const int shown = FramePricePlot(ctx).visible;
    const PaneScrollBar& s = model_.Pane(pane).scroll;
    // A marker at the edge of the shown bars scrolls the chart one bar on and stays at the edge.
    const bool atEdge = settings_.markerShown && settings_.selectedBar == (right ? shown - 1 : 0) &&
                        (right ? s.position < s.MaxPosition() : s.position > 0);
    if (atEdge) {
        ScrollAll(s.position + (right ? 1 : -1), true);
        return;
    }
    MoveMarker(settings_, right, shown);
    SelectionChanged(false);
}

void ChartWindow::wheelEvent(QWheelEvent* e) {
    wheelDelta_ += e->angleDelta().y();
    const int steps = wheelDelta_ / 120;
    wheelDelta_ %= 120;
    if (steps == 0) return;
    // CTRL and the wheel zoom around the bar under the mouse; the wheel alone scrolls three bars
    // a step (away from you: back in history).
    if (e->modifiers() & Qt::ControlModifier) {
        ZoomAround(e->position().toPoint(), steps > 0);
        return;
    }
    const int pane = ChartPaneForKeys();
    if (pane >= 0) ScrollAll(model_.Pane(pane).scroll.position - 3 * steps);
}

void ChartWindow::ZoomAround(const QPoint& pos, bool in) {
    int pane = PaneAt(pos.y());
    if (pane < 0 || model_.Pane(pane).chartId == 0) pane = ChartPaneForKeys();
    if (pane < 0 || ShownStock() == nullptr) return;
    PaneContext ctx = PaneContextOf(pane);
    const SeriesPlot plot = FramePricePlot(ctx);
    const PlotGeometry g(ctx, plot);
    const int shownBar = std::max(0, ClickToBar(pos.x(), ctx.left, g.plotWidth, plot.visible));
    const int bar = plot.scroll + shownBar;
    const double fraction = plot.visible > 1 ? static_cast<double>(shownBar) / plot.visible : 1.0;
    settings_.visibleBars =
        in ? velmora::ZoomIn(settings_.visibleBars, ZoomModifier::None,
                             context_.Services().prefs.DefaultQuotationsInChart())
           : velmora::ZoomOut(settings_.visibleBars);
    context_.ChartSettingsChanged(this, true);
    ScrollAll(bar - static_cast<int>(fraction * settings_.visibleBars));
}

// --- the text tool ---------------------------------------------------------------------------

void ChartWindow::OpenTextBox(int pane, int x, int y) {
    const PaneContext ctx = PaneContextOf(pane);
    const StudyFrame frame(ctx);
    if (!frame.Usable()) return;
    const BoxRect box = TextToolBox(frame, x, y);
    const int top = PaneOrigin(pane)[0];
    auto* edit = new QLineEdit(this);
    edit->setFrame(false);
    edit->setGeometry(box.left, top + box.top, box.right - box.left, box.bottom - box.top);
    // Enter takes the text as a second click does.
    connect(edit, &QLineEdit::returnPressed, this, &ChartWindow::TakeTextBox);
    // The box widens as the text grows, up to the window's right edge.
    const int minimum = edit->width();
    connect(edit, &QLineEdit::textChanged, this, [this, edit, minimum](const QString& text) {
        const int wanted = edit->fontMetrics().horizontalAdvance(text) + 8;
        edit->resize(std::clamp(wanted, minimum, std::max(minimum, width() - edit->x())),
                     edit->height());
    });
    edit->show();
    edit->setFocus(Qt::OtherFocusReason);
    textBox_ = edit;
    textPane_ = pane;
    textX_ = x;
    textY_ = y;
}

void ChartWindow::TakeTextBox() {
    const std::string text = textBox_ ? textBox_->text().toStdString() : std::string();
    // A pasted tab: the box stays open with the text for the user to correct.
    if (const Status plain = CheckNoTab("The text", text); !plain) {
        context_.Services().ui.ShowMessage(plain.ToString());
        if (textBox_) textBox_->setFocus(Qt::OtherFocusReason);
        return;
    }
    const int pane = textPane_;
    CloseTextBox();
    Stock* stock = stock_;
    if (stock == nullptr || pane < 0 || pane >= model_.PaneCount()) return;
    const PaneContext ctx = PaneContextOf(pane);
    if (auto study = MakeTextStudyAt(ctx, textX_, textY_, text)) {
        std::vector<Study> studies;
        studies.push_back(std::move(*study));
        AddStudies(context_.Services().db, *stock, std::move(studies));
        hit_.Clear();
    }
    StudiesChanged();
}

void ChartWindow::CloseTextBox() {
    if (textBox_) {
        textBox_->hide();
        textBox_->deleteLater();
    }
    textBox_ = nullptr;
    textPane_ = -1;
    setFocus(Qt::OtherFocusReason);
}

// --- the pane menu and tooltips -----------------------------------------------------------

void ChartWindow::contextMenuEvent(QContextMenuEvent* e) {
    const bool plain =
        (e->modifiers() & Qt::ShiftModifier) || (QGuiApplication::mouseButtons() & Qt::LeftButton);
    if (PaneAt(e->pos().y()) < 0) return;
    RightClick(e->pos());
    QMenu menu(this);
    FillPaneMenu(menu, plain);
    QAction* chosen = menu.exec(e->globalPos());
    if (chosen != nullptr && chosen->data().isValid()) RunCommand(chosen->data().toInt());
}

bool ChartWindow::RightClick(const QPoint& pos) {
    const int pane = PaneAt(pos.y());
    hit_.Clear();
    if (pane < 0) return false;
    context_.SetActiveChart(this);
    model_.SetActivePane(pane);
    menuPane_ = pane;
    Stock* stock = stock_;
    if (stock == nullptr || model_.Pane(pane).chartId == 0) return false;
    const PaneContext ctx = PaneContextOf(pane);
    return hit_.RightClick(ctx, *stock, pos.x(), pos.y() - PaneOrigin(pane)[0]);
}

std::vector<MenuItem> ChartWindow::PaneMenu(bool plainList) const {
    const ChartTable& table = context_.Services().charts;
    const Stock* stock = stock_;
    const bool studyHit = stock != nullptr && hit_.Valid(*stock);
    const int pane = menuPane_ >= 0 && menuPane_ < model_.PaneCount() ? menuPane_ : 0;
    const bool hasStudies = stock != nullptr && PaneHasStudies(*stock, model_.Pane(pane).chartId);
    auto items = model_.ContextMenu(table, plainList, studyHit, hasStudies);
    if (plainList || items.size() != 1) return items;
    // The "Chart" menu's items, with a Replace list and "Blank pane" after its Insert submenu.
    std::vector<MenuItem> chart = std::move(items.front().submenu);
    MenuItem replace{"&Replace", 0, true, model_.ContextMenu(table, true, false, false)};
    const auto at = chart.empty() ? chart.end() : chart.begin() + 1;
    const auto next = chart.insert(at, std::move(replace));
    chart.insert(next + 1, MenuItem{"&Blank pane",
                                    ChartCommand::kBlankPane,
                                    model_.PaneCount() < ProportionalSplitter::kMaxRows,
                                    {}});
    return chart;
}

void ChartWindow::FillPaneMenu(QMenu& menu, bool plainList) const {
    const int periodicity = static_cast<int>(model_.GetPeriodicity());
    const int chartType = static_cast<int>(settings_.chartType);
    AddMenuItems(menu, PaneMenu(plainList), [periodicity, chartType](int command) {
        std::optional<bool> checked;
        if (command >= ChartCommand::kDaily && command <= ChartCommand::kMonthly)
            checked = command - ChartCommand::kDaily == periodicity;
        else if (command >= ChartCommand::kChartTypeAuto &&
                 command <= ChartCommand::kChartTypeAuto + 3)
            checked = command - ChartCommand::kChartTypeAuto == chartType;
        return checked;
    });
}

// --- printing --------------------------------------------------------------------------------

void ChartWindow::PaintForPrinting(QPainter& painter, int width, int height) {
    if (width <= 0 || height <= 0) return;
    if (textBox_) CloseTextBox();
    if (drag_.Active()) EndDrag(false);
    QtCanvas canvas(painter);
    ChartWindowView view = View();
    view.printing = true;
    view.paneFooter = 0;  // no scroll bars on paper
    view.table->ForEach([](ChartDefinition& d) { d.markerX = kNoMarker; });
    const int selectedBar = settings_.selectedBar;
    const bool markerShown = settings_.markerShown;
    PaintChartWindow(canvas, view, width, height);
    settings_.selectedBar = selectedBar;
    settings_.markerShown = markerShown;
    if (settings_.markerShown && settings_.selectedBar >= 0)
        ShowSelectedBar(canvas, view, width, height);
    // The page's layout and ranges are not the screen's: the window paints itself afresh.
    model_.SetClientHeight(ChartRect().height());
    Invalidate();
}

bool ChartWindow::PrintTo(QPrinter& printer) {
    QPainter painter;
    if (!painter.begin(&printer)) return false;
    const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
    PaintForPrinting(painter, page.width(), page.height());
    return painter.end();
}

void ChartWindow::Print() {
    // The screen's resolution keeps the chart's lines and texts in the proportions they have
    // on the screen.
    QPrinter printer(QPrinter::ScreenResolution);
    printer.setDocName(windowTitle());
    printer.setPageOrientation(QPageLayout::Landscape);
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted) return;
    if (!PrintTo(printer)) context_.Services().ui.ShowMessage("The chart could not be printed");
}

bool ChartWindow::event(QEvent* e) {
    if (e->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(e);
        const int pane = PaneAt(help->pos().y());
        std::optional<std::string> text;
        if (pane >= 0 && model_.Pane(pane).chartId != 0 && !drag_.Active()) {
            const PaneContext ctx = PaneContextOf(pane);
            text = TooltipText(ctx, help->pos().x(), help->pos().y() - PaneOrigin(pane)[0]);
        }
        if (text) {
            QString shown = ToQString(*text);
            shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
            QToolTip::showText(help->globalPos(), shown, this);
        } else {
            QToolTip::hideText();
            e->ignore();
        }
        return true;
    }
    return QWidget::event(e);
}

}  // namespace velmora::gui
