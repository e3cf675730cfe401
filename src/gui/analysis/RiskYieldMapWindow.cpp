#include "gui/analysis/RiskYieldMapWindow.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <cstdlib>

#include "gui/GuiContext.h"
#include "gui/QtUserInterface.h"

namespace velmora::gui {

namespace {

QColor FromColour12(int c) {
    return QColor(((c >> 8) & 0xF) * 17, ((c >> 4) & 0xF) * 17, (c & 0xF) * 17);
}

}  // namespace

RiskYieldMapWindow::RiskYieldMapWindow(GuiContext& context, QWidget* parent)
    : QWidget(parent, Qt::Window), context_(context) {
    setWindowTitle(QString::fromLatin1(kRiskYieldMapCaption));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(false);
    setMinimumSize(120, 80);
    connect(&context_, &GuiContext::chartsRefreshRequested, this, [this](int) { Refresh(); });
    connect(&context_, &GuiContext::stockSelected, this, [this](const Stock*) { Refresh(); });
}

long long RiskYieldMapWindow::QuotationCount() const {
    const Database& db = context_.Services().db;
    long long count = db.StockCount();
    for (int i = 0; i < db.StockCount(); ++i)
        count += static_cast<long long>(db.StockAt(i)->Quotations.size());
    return count;
}

int RiskYieldMapWindow::HighlightedIndex() const {
    const Database& db = context_.Services().db;
    const Stock* current = context_.CurrentStock();
    for (int i = 0; i < db.StockCount(); ++i)
        if (db.StockAt(i) == current) return i;
    return -1;
}

void RiskYieldMapWindow::Refresh() {
    const long long count = QuotationCount();
    if (count != quotations_) map_.MarkStale();
    dirty_ = true;
    update();
}

void RiskYieldMapWindow::Render(std::optional<std::array<int, 4>> selection) {
    const int w = std::max(1, width());
    const int h = std::max(1, height());
    const Database& db = context_.Services().db;
    if (!map_.Computed()) quotations_ = QuotationCount();
    drawing_ = map_.Draw(db, w, h, HighlightedIndex(), selection);
    dirty_ = false;

    const Preferences& prefs = context_.Services().prefs;
    const QColor background = FromColour12(prefs.ColourValue(ColourSetting::Background));
    const QColor axes = FromColour12(prefs.ColourValue(ColourSetting::Axes));
    const QColor grid = FromColour12(prefs.ColourValue(ColourSetting::Grid));
    const QColor point = FromColour12(prefs.ColourValue(ColourSetting::RiskYieldMap));
    QColor highlight = FromColour12(prefs.ColourValue(ColourSetting::Signal));
    if (highlight == point) highlight = point.rgb() == qRgb(255, 0, 0) ? Qt::blue : Qt::red;

    picture_ = QImage(w, h, QImage::Format_RGB32);
    picture_.fill(background);
    QPainter p(&picture_);
    QFont font = p.font();
    font.setPixelSize(11);
    p.setFont(font);
    const QFontMetrics metrics(font);
    const auto text = [&](const MapText& t, const QColor& colour) {
        p.setPen(colour);
        p.drawText(t.X, t.Y + metrics.ascent(), ToQString(t.Text));
    };
    if (drawing_.PlotWidth <= 0 || drawing_.PlotHeight <= 0) return;
    const QRect plot(drawing_.PlotLeft, drawing_.PlotTop, drawing_.PlotWidth, drawing_.PlotHeight);
    QPen dotted(grid);
    dotted.setStyle(Qt::DotLine);
    for (const MapGridLine& line : drawing_.GridLines) {
        p.setPen(dotted);
        if (line.Horizontal) {
            p.drawLine(plot.left(), line.Position, plot.left() + plot.width(), line.Position);
        } else {
            p.drawLine(line.Position, plot.top(), line.Position, plot.top() + plot.height());
        }
        if (line.Label) text(*line.Label, axes);
    }
    if (drawing_.ZeroLineY) {
        p.setPen(QPen(axes));
        p.drawLine(plot.left(), *drawing_.ZeroLineY, plot.left() + plot.width(),
                   *drawing_.ZeroLineY);
    }
    p.setPen(QPen(axes));
    p.setBrush(Qt::NoBrush);
    p.drawRect(plot.left(), plot.top(), plot.width(), plot.height());
    text(drawing_.RiskCaption, axes);
    text(drawing_.YieldCaption, axes);
    for (const MapPoint& pt : drawing_.Points) {
        text(pt.Label, axes);
        p.fillRect(pt.X - 1, pt.Y - 1, 3, 3, pt.Highlighted ? highlight : point);
    }
}

const QImage& RiskYieldMapWindow::Picture() {
    if (dirty_ || picture_.size() != size()) Render();
    return picture_;
}

std::optional<QRect> RiskYieldMapWindow::Rubber() const {
    if (!pressed_) return std::nullopt;
    return QRect(*pressed_, pointer_).normalized();
}

void RiskYieldMapWindow::paintEvent(QPaintEvent*) {
    const QImage& image = Picture();
    QPainter p(this);
    p.drawImage(0, 0, image);
    if (const auto rubber = Rubber()) {
        // An inverting outline stays visible on any background.
        p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        p.setPen(QPen(Qt::white));
        p.setBrush(Qt::NoBrush);
        p.drawRect(*rubber);
    }
}

void RiskYieldMapWindow::resizeEvent(QResizeEvent* e) {
    dirty_ = true;
    QWidget::resizeEvent(e);
}

void RiskYieldMapWindow::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return QWidget::mousePressEvent(e);
    pressed_ = e->position().toPoint();
    pointer_ = *pressed_;
    update();
}

void RiskYieldMapWindow::mouseMoveEvent(QMouseEvent* e) {
    if (!pressed_) return QWidget::mouseMoveEvent(e);
    pointer_ = e->position().toPoint();
    update();
}

Stock* RiskYieldMapWindow::StockAt(QPoint pos) const {
    constexpr int kReach = 2;  // the 3 x 3 square and a pixel round it
    for (const MapPoint& p : drawing_.Points) {
        if (std::abs(p.X - pos.x()) <= kReach && std::abs(p.Y - pos.y()) <= kReach)
            return context_.Services().db.StockAt(p.StockIndex);
    }
    return nullptr;
}

bool RiskYieldMapWindow::event(QEvent* e) {
    if (e->type() != QEvent::ToolTip) return QWidget::event(e);
    const auto* help = static_cast<QHelpEvent*>(e);
    if (const Stock* stock = StockAt(help->pos())) {
        QToolTip::showText(help->globalPos(), ToQString(ChartCaption(*stock)), this);
    } else {
        QToolTip::hideText();
        e->ignore();
    }
    return true;
}

void RiskYieldMapWindow::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton || !pressed_) return QWidget::mouseReleaseEvent(e);
    const QPoint from = *pressed_;
    const QPoint to = e->position().toPoint();
    pressed_.reset();
    // A click on a point opens its stock.
    if ((to - from).manhattanLength() < 4) {
        if (Stock* stock = StockAt(to)) {
            context_.MakeCurrent(stock, kChosenStockFlags);
            update();
            return;
        }
    }
    Picture();  // the values and the range the rectangle refers to
    Render(RiskYieldMap::RectangleBetween(from.x(), from.y(), to.x(), to.y()));
    update();
}

RiskYieldMapWindow* ShowRiskYieldMapWindow(GuiContext& context, QWidget* mainWindow) {
    auto* window = mainWindow ? mainWindow->findChild<RiskYieldMapWindow*>() : nullptr;
    if (window == nullptr) {
        window = new RiskYieldMapWindow(context, mainWindow);
        if (mainWindow != nullptr) {
            const QRect frame = mainWindow->geometry().adjusted(100, 100, -100, -100);
            if (frame.width() >= window->minimumWidth() &&
                frame.height() >= window->minimumHeight()) {
                window->setGeometry(frame);
            }
        } else {
            window->resize(480, 360);
        }
    }
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

}  // namespace velmora::gui
