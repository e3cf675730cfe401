#include "gui/chart/ChartWindow.h"

#include <QGuiApplication>
#include <QLineEdit>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <algorithm>

#include "app/StockMaintenance.h"
#include "chart/ChartInteraction.h"
#include "chart/PricePainter.h"
#include "chart/qt/QtCanvas.h"
#include "gui/GuiContext.h"
#include "gui/QtUserInterface.h"
#include "gui/dialogs/StudyPropertiesDialog.h"

namespace velmora::gui {

ChartWindow::ChartWindow(GuiContext& context, QWidget* parent)
    : QWidget(parent),
      context_(context),
      model_(context.Services().charts, context.Services().prefs.AutoArrangeCharts()),
      settings_(context.SharedChartSettings()) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(200, 150);

    model_.SetClientHeight(ChartRect().height());
    // A missing or foreign layout file still gives the window its default panes; one that
    // exists but could not be read is reported.
    if (const Status opened = model_.Open(context.Services().profileDir / kLayoutFileName);
        !opened && opened.Code() != StatusCode::NotFound) {
        context.Services().ui.ShowMessage(opened.ToString());
    }

    connect(&context_, &GuiContext::chartsRefreshRequested, this, &ChartWindow::Refresh);
    connect(&context_, &GuiContext::formulaRan, this, &ChartWindow::FormulaRan);
    connect(&context_, &GuiContext::chartSettingsChanged, this,
            [this](QWidget* sender, bool everything) {
                if (everything)
                    Refresh(0);
                else if (sender != this)
                    Invalidate();
            });
    connect(&context_, &GuiContext::activeChartChanged, this, [this](QWidget* chart) {
        if (chart == this) BecameActive();
    });
    // A new window shows the current stock and is the active one.
    context_.SetActiveChart(this);
    Refresh(0);
}

ChartWindow::~ChartWindow() = default;

// --- the picture ------------------------------------------------------------------------------

ChartWindowView ChartWindow::View() {
    GuiServices& s = context_.Services();
    ChartWindowView view;
    view.model = &model_;
    view.table = &s.charts;
    view.settings = &settings_;
    view.prefs = &s.prefs;
    view.cache = &cache_;
    view.stock = stock_;
    view.database = &s.db;
    view.engine = &s.engine;
    view.paneFooter = ScrollBarHeight();
    return view;
}

const Stock* ChartWindow::ShownStock() {
    ChartWindowView view = View();
    return WindowStock(view);
}

QRect ChartWindow::ChartRect() const {
    return QRect(0, 0, width(), height());
}

int ChartWindow::ScrollBarHeight() const {
    return style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
}

QScrollBar* ChartWindow::ScrollBar(int pane) const {
    return pane >= 0 && pane < static_cast<int>(paneBars_.size())
               ? paneBars_[static_cast<std::size_t>(pane)]
               : nullptr;
}

std::vector<ChartWindowModel::PaneRect> ChartWindow::PaneRects() const {
    const auto heights = model_.Splitter().LayoutRows(ChartRect().height());
    std::vector<ChartWindowModel::PaneRect> rects;
    int top = 0;
    const int footer = ScrollBarHeight();
    for (int h : heights) {
        rects.push_back({top, PaneHeight(h, footer)});
        top += h + ProportionalSplitter::kBarSize;
    }
    return rects;
}

int ChartWindow::PaneAt(int y) const {
    const auto rects = PaneRects();
    for (std::size_t i = 0; i < rects.size(); ++i)
        if (y >= rects[i].top && y < rects[i].top + rects[i].height) return static_cast<int>(i);
    return -1;
}

int ChartWindow::SplitterBarAt(int y) const {
    const auto rows = model_.Splitter().LayoutRows(ChartRect().height());
    int barTop = 0;
    for (std::size_t i = 0; i + 1 < rows.size(); ++i) {
        barTop += rows[i];
        if (y >= barTop && y < barTop + ProportionalSplitter::kBarSize) return static_cast<int>(i);
        barTop += ProportionalSplitter::kBarSize;
    }
    return -1;
}

std::array<int, 2> ChartWindow::PaneOrigin(int pane) const {
    const auto rects = PaneRects();
    if (pane < 0 || pane >= static_cast<int>(rects.size())) return {0, 0};
    return {rects[static_cast<std::size_t>(pane)].top,
            rects[static_cast<std::size_t>(pane)].height};
}

PaneContext ChartWindow::PaneContextOf(int pane) {
    Picture();  // the definitions' ranges are those of the last paint
    PaneContext ctx;
    if (pane < 0 || pane >= model_.PaneCount()) return ctx;
    GuiServices& s = context_.Services();
    ChartDefinition* definition = s.charts.FindById(model_.Pane(pane).chartId);
    if (definition != nullptr && pane < static_cast<int>(scales_.size()) &&
        scales_[static_cast<std::size_t>(pane)].chartId == definition->id &&
        definition->AutomaticScaling()) {
        definition->scaleMin = scales_[static_cast<std::size_t>(pane)].min;
        definition->scaleMax = scales_[static_cast<std::size_t>(pane)].max;
    }
    ctx.width = ChartRect().width();
    ctx.height = PaneOrigin(pane)[1];
    ctx.definition = definition;
    ctx.prefs = &s.prefs;
    ctx.settings = &settings_;
    ctx.stock = model_.Pane(pane).chartId != 0 ? ShownStock() : nullptr;
    ctx.periodicity = model_.GetPeriodicity();
    ctx.scrollPosition = model_.Pane(pane).scroll.position;
    ctx.arrows = &model_.Pane(pane).arrows;
    ctx.database = &s.db;
    ctx.engine = &s.engine;
    return ctx;
}

const QImage& ChartWindow::Picture() {
    // A formula pane's error window may run events while the picture is painted: a paint
    // request then shows the picture as it was rather than starting a second formula run.
    if (!painting_ && (pictureDirty_ || picture_.size() != ChartRect().size())) {
        painting_ = true;
        PaintPicture();
        painting_ = false;
    }
    return picture_;
}

void ChartWindow::PaintPicture() {
    pictureDirty_ = false;
    const QRect area = ChartRect();
    if (area.isEmpty()) {
        picture_ = QImage();
        return;
    }
    picture_ = QImage(area.size(), QImage::Format_RGB32);
    picture_.fill(Qt::white);
    QPainter painter(&picture_);
    QtCanvas canvas(painter);
    ChartWindowView view = View();
    // The whole window is painted afresh, so no marker line of an earlier picture (of this or
    // another window: the definitions are shared) is left to erase.
    view.table->ForEach([](ChartDefinition& d) { d.markerX = kNoMarker; });
    // The price painter hides the marker of the picture it replaces; the window shows its
    // selected bar again on the new picture (the commands that drop it clear it themselves).
    const int selectedBar = settings_.selectedBar;
    const bool markerShown = settings_.markerShown;
    PaintChartWindow(canvas, view, area.width(), area.height());
    settings_.selectedBar = selectedBar;
    settings_.markerShown = markerShown;
    if (settings_.markerShown && settings_.selectedBar >= 0)
        ShowSelectedBar(canvas, view, area.width(), area.height());
    scales_.clear();
    for (int i = 0; i < model_.PaneCount(); ++i) {
        const ChartDefinition* d = view.table->FindById(model_.Pane(i).chartId);
        scales_.push_back(d ? PaneScale{d->id, d->scaleMin, d->scaleMax} : PaneScale{});
    }
    DrawHandles(painter);
    if (drag_.Active()) {
        const auto origin = PaneOrigin(dragPane_);
        canvas.SetOrigin(0, origin[0]);
        drag_.DrawFeedback(canvas);
        canvas.SetOrigin(0, 0);
    }
}

void ChartWindow::Invalidate() {
    pictureDirty_ = true;
    update();
}

void ChartWindow::paintEvent(QPaintEvent*) {
    const QImage& picture = Picture();
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    if (!picture.isNull()) painter.drawImage(0, 0, picture);
    if (barDrag_ >= 0) {
        painter.setPen(QPen(Qt::darkGray, 2));
        painter.drawLine(0, barDragY_, width(), barDragY_);
    }
    DrawCrosshair(painter);
}

void ChartWindow::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    model_.SetClientHeight(ChartRect().height());
    if (textBox_) CloseTextBox();
    PlaceScrollBars();
    Invalidate();
}

void ChartWindow::PlaceScrollBars() {
    const int panes = model_.PaneCount();
    while (static_cast<int>(paneBars_.size()) > panes) {
        delete paneBars_.back();
        paneBars_.pop_back();
    }
    while (static_cast<int>(paneBars_.size()) < panes) {
        auto* bar = new QScrollBar(Qt::Horizontal, this);
        bar->setSingleStep(1);
        bar->setFocusPolicy(Qt::NoFocus);
        // Page steps move 10 bars; the page itself (the thumb) is the visible bars.
        connect(bar, &QScrollBar::actionTriggered, this, [bar](int action) {
            if (action == QAbstractSlider::SliderPageStepAdd)
                bar->setSliderPosition(bar->value() + 10);
            else if (action == QAbstractSlider::SliderPageStepSub)
                bar->setSliderPosition(bar->value() - 10);
        });
        connect(bar, &QScrollBar::valueChanged, this, [this, bar](int value) {
            const auto at = std::find(paneBars_.begin(), paneBars_.end(), bar);
            if (at == paneBars_.end()) return;
            ScrollPane(static_cast<int>(at - paneBars_.begin()), value);
        });
        paneBars_.push_back(bar);
    }
    const auto rects = PaneRects();
    const int footer = ScrollBarHeight();
    for (int i = 0; i < panes; ++i) {
        QScrollBar* bar = paneBars_[static_cast<std::size_t>(i)];
        const auto& r = rects[static_cast<std::size_t>(i)];
        const PaneScrollBar& s = model_.Pane(i).scroll;
        const QSignalBlocker block(bar);
        bar->setRange(0, s.MaxPosition());
        bar->setPageStep(std::max(1, s.page));
        bar->setValue(s.position);
        bar->setGeometry(0, r.top + r.height, width(), footer);
        bar->setVisible(r.height > 0);
    }
}

void ChartWindow::ScrollPane(int pane, int position) {
    if (pane < 0 || pane >= model_.PaneCount() || !model_.Pane(pane).scroll.MoveTo(position))
        return;
    // The text box stands at a bar that has moved on.
    if (textBox_) CloseTextBox();
    SelectionChanged(true);
}

void ChartWindow::ScrollAll(int position, bool keepSelection) {
    bool moved = false;
    for (int i = 0; i < model_.PaneCount(); ++i) moved |= model_.Pane(i).scroll.MoveTo(position);
    // Panes left at another position by their own scroll bars line up again.
    scroll_.MoveTo(position);
    if (!moved) return;
    if (textBox_) CloseTextBox();
    PlaceScrollBars();
    SelectionChanged(!keepSelection);
}

void ChartWindow::StudiesChanged() {
    Invalidate();
    // Other windows may show the same stock.
    context_.ChartSettingsChanged(this, false);
}

void ChartWindow::SelectionChanged(bool clear) {
    if (clear) ClearSelection();
    Invalidate();
    context_.ChartSettingsChanged(this, false);
}

// --- hints, scrolling and the selected bar -------------------------------------------------

Stock* ChartWindow::StockToShow() const {
    Stock* current = context_.CurrentStock();
    // No current stock: the database is empty or being replaced, and every window lets go.
    if (current == nullptr || context_.ActiveChart() == this) return current;
    // Another window is active: this one keeps its stock while the database holds it. The
    // stock is found by its serial: after a removal the old address must not be touched.
    if (stock_ != nullptr && context_.Services().db.StockWithSerial(stockSerial_) == stock_)
        return stock_;
    return current;
}

void ChartWindow::ShowStock(Stock* stock) {
    stock_ = stock;
    stockSerial_ = stock != nullptr ? stock->Serial : 0;
    setWindowTitle(stock != nullptr ? ToQString(ChartCaption(*stock)) : QString());
}

void ChartWindow::BecameActive() {
    if (stock_ != nullptr && stock_ != context_.CurrentStock())
        context_.MakeCurrent(stock_, kCurrentSelect | kCurrentStockOnly);
}

void ChartWindow::StockRemoving(const Stock* stock, Stock* next) {
    if (stock_ != stock) return;
    ShowStock(next);
    Refresh(0);
}

void ChartWindow::Refresh(int flags) {
    Stock* shown = StockToShow();
    // A stock chosen for another window, or another window's activation, leaves this window's
    // bars and selection as they are.
    if ((flags & kCurrentStockOnly) != 0 && shown == stock_) return;
    ShowStock(shown);
    // The stock may be another one now (or a deleted one's successor at the same address).
    cache_.Drop();
    const Stock* stock = ShownStock();
    HintData hint;
    hint.barCount = stock ? static_cast<int>(stock->Quotations.size()) : 0;
    hint.visibleBars = settings_.visibleBars;
    model_.Receive({RefreshHint::Kind::Everything}, hint);
    scroll_.Reset(hint.barCount, hint.visibleBars);
    ApplyScroll();
    ClearSelection();
    hit_.Clear();
    if (movePane_ >= 0) DropStudy(false);
    picked_.Clear();
    if (drag_.Active()) EndDrag(false);
    if (textBox_) CloseTextBox();
    Invalidate();
}

void ChartWindow::ApplyScroll() {
    for (int i = 0; i < model_.PaneCount(); ++i) model_.Pane(i).scroll = scroll_;
    PlaceScrollBars();
}

void ChartWindow::ClearSelection() {
    settings_.selectedBar = -1;
    settings_.markerShown = false;
}

bool ChartWindow::ShowDate(PackedDate date) {
    const Stock* stock = ShownStock();
    if (stock == nullptr || stock->Quotations.empty()) return false;
    const auto& q = stock->Quotations;
    auto at = std::lower_bound(q.begin(), q.end(), date,
                               [](const Quotation& a, PackedDate d) { return a.Date < d; });
    if (at == q.end()) --at;
    const int bar = static_cast<int>(at - q.begin());
    const int bars = static_cast<int>(q.size());
    const int shown = std::min(bars, settings_.visibleBars);
    // What follows the date (a trade's exit) shows too.
    const int position = std::clamp(bar - shown / 3, 0, bars - shown);
    ScrollAll(position, true);
    settings_.selectedBar = bar - position;
    settings_.markerShown = true;
    context_.Maintenance().SetPickedDate(at->Date);
    SelectionChanged(false);
    return true;
}

void ChartWindow::FormulaRan(const HintData& hint, int periodicity) {
    HintData own = hint;
    own.showsCurrentStock = periodicity == static_cast<int>(model_.GetPeriodicity());
    model_.Receive({RefreshHint::Kind::FormulaRan}, own);
    // The arrows show at the next paint, which the caller's refresh brings about.
    pictureDirty_ = true;
}

CommentarySource ChartWindow::CommentaryInput() {
    CommentarySource source;
    source.stock = stock_;
    source.periodicity = model_.GetPeriodicity();
    source.cache = &cache_;
    const Stock* shown = ShownStock();
    const int bars = shown ? static_cast<int>(shown->Quotations.size()) : 0;
    const int pane = ChartPaneForKeys();
    source.selectedBar = CommentarySelectedBar(
        settings_, bars, pane >= 0 ? model_.Pane(pane).scroll.position : scroll_.position);
    return source;
}

// --- commands ------------------------------------------------------------------------------

void ChartWindow::SetPeriodicity(int periodicity) {
    if (periodicity < 0 || periodicity > 2) return;
    HintData hint;
    hint.visibleBars = settings_.visibleBars;
    model_.SetPeriodicity(static_cast<Periodicity>(periodicity), cache_, hint);
    Refresh(0);
    emit periodicityChanged(periodicity);
}

void ChartWindow::SetChartType(int type) {
    if (type < 0 || type > 3) return;
    settings_.chartType = static_cast<ChartType>(type);
    context_.ChartSettingsChanged(this, true);
    emit chartTypeChanged(type);
}

void ChartWindow::ZoomIn() {
    const auto mods = QGuiApplication::keyboardModifiers();
    const ZoomModifier modifier = (mods & Qt::ShiftModifier)     ? ZoomModifier::Shift
                                  : (mods & Qt::ControlModifier) ? ZoomModifier::Ctrl
                                                                 : ZoomModifier::None;
    settings_.visibleBars = velmora::ZoomIn(settings_.visibleBars, modifier,
                                            context_.Services().prefs.DefaultQuotationsInChart());
    context_.ChartSettingsChanged(this, true);
}

void ChartWindow::ZoomInStep() {
    settings_.visibleBars = velmora::ZoomIn(settings_.visibleBars, ZoomModifier::None,
                                            context_.Services().prefs.DefaultQuotationsInChart());
    context_.ChartSettingsChanged(this, true);
}

void ChartWindow::ZoomOut() {
    settings_.visibleBars = velmora::ZoomOut(settings_.visibleBars);
    context_.ChartSettingsChanged(this, true);
}

void ChartWindow::ZoomAll() {
    const Stock* stock = ShownStock();
    if (stock == nullptr) return;
    settings_.visibleBars = velmora::ZoomAll(static_cast<int>(stock->Quotations.size()));
    context_.ChartSettingsChanged(this, true);
}

void ChartWindow::ZoomNormal() {
    settings_.visibleBars =
        velmora::ZoomNormal(context_.Services().prefs.DefaultQuotationsInChart());
    context_.ChartSettingsChanged(this, true);
}

void ChartWindow::SetTool(int tool) {
    if (tool < 0 || tool > 6) return;
    if (drag_.Active()) EndDrag(false);
    if (textBox_) CloseTextBox();
    tool_ = static_cast<StudyTool>(tool);
    setCursor(ToolShowsCrossHair(tool_) ? Qt::CrossCursor : Qt::ArrowCursor);
    emit toolChanged(tool);
}

bool ChartWindow::RunCommand(int command) {
    GuiServices& s = context_.Services();
    model_.SetClientHeight(ChartRect().height());
    const auto paneChanged = [this] {
        ApplyScroll();
        Invalidate();
        return true;
    };
    if (command > ChartCommand::kReplaceBase &&
        s.charts.FindById(command - ChartCommand::kReplaceBase) != nullptr) {
        const int pane =
            menuPane_ >= 0 && menuPane_ < model_.PaneCount() ? menuPane_ : model_.ActivePane();
        model_.Replace(pane, command - ChartCommand::kReplaceBase);
        return paneChanged();
    }
    if (command > ChartCommand::kInsertBase &&
        s.charts.FindById(command - ChartCommand::kInsertBase) != nullptr)
        return model_.Insert(command - ChartCommand::kInsertBase) && paneChanged();
    if (command >= ChartCommand::kChartTypeAuto && command <= ChartCommand::kChartTypeAuto + 3) {
        SetChartType(command - ChartCommand::kChartTypeAuto);
        return true;
    }
    if (const auto tool = ToolOfCommand(command)) {
        SetTool(static_cast<int>(*tool));
        return true;
    }
    Stock* stock = stock_;
    switch (command) {
        case ChartCommand::kBlankPane:
            return model_.BlankPane() && paneChanged();
        case ChartCommand::kClosePane:
            if (!model_.Close()) return false;
            hit_.Clear();
            return paneChanged();
        case ChartCommand::kArrange:
            model_.Arrange();
            return paneChanged();
        case ChartCommand::kDaily:
        case ChartCommand::kWeekly:
        case ChartCommand::kMonthly:
            SetPeriodicity(command - ChartCommand::kDaily);
            return true;
        case ChartCommand::kSaveLayout:
            return model_.SaveLayout(s.profileDir / kLayoutFileName);
        case ChartCommand::kDeleteStudy:
            if (stock == nullptr || !hit_.Delete(s.db, *stock)) return false;
            StudiesChanged();
            return true;
        case ChartCommand::kDeleteAllStudies: {
            if (stock == nullptr || menuPane_ < 0 || menuPane_ >= model_.PaneCount()) return false;
            if (!s.ui.AskYesNo("Delete all studies in this pane?")) return false;
            const int gone = DeleteAllStudies(s.db, *stock, model_.Pane(menuPane_).chartId);
            hit_.Clear();
            StudiesChanged();
            return gone > 0;
        }
        case ChartCommand::kProperties:
            if (stock == nullptr || hit_.Get(*stock) == nullptr) return false;
            EditProperties();
            return true;
        default:
            return false;
    }
}

void ChartWindow::EditProperties() {
    GuiServices& s = context_.Services();
    Stock* stock = stock_;
    Study* study = stock ? hit_.Get(*stock) : nullptr;
    if (study == nullptr) return;
    const ChartPalette palette = ChartPalette::FromPreferences(s.prefs);
    if (study->Kind == StudyKind::kText) {
        TextBoxProperties p = TextBoxProperties::Load(*study);
        if (!EditTextBoxProperties(p, palette, this)) return;
        hit_.StoreProperties(s.db, *stock, p, ChartTextMeasure());
    } else {
        TrendLineProperties p = TrendLineProperties::Load(*study);
        if (!EditTrendLineProperties(p, palette, this)) return;
        hit_.StoreProperties(s.db, *stock, p);
    }
    StudiesChanged();
}

}  // namespace velmora::gui
