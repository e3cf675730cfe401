#include "gui/analysis/EquityCurveWindow.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>

#include "analysis/StatisticsReport.h"
#include "gui/QtUserInterface.h"

namespace velmora::gui {

namespace {

constexpr int kMargin = 10;
constexpr int kLabelWidth = 80;
constexpr int kTextHeight = 16;

// The values as a line across the rectangle, the highest at its top and the lowest at its
// bottom, with the two written at its left and a title above it.
void DrawPanel(QPainter& p, const QRect& area, const std::vector<double>& values,
               const QColor& colour, const QString& title) {
    p.setPen(QColor(0x99, 0x99, 0x99));
    p.drawRect(area);
    p.setPen(Qt::black);
    p.drawText(area.left(), area.top() - 4, title);
    if (values.empty()) return;
    const auto [lowest, highest] = std::minmax_element(values.begin(), values.end());
    const double span = *highest > *lowest ? *highest - *lowest : 1;
    const QRect labels(area.left() - kLabelWidth, area.top(), kLabelWidth - 5, area.height());
    p.drawText(labels, Qt::AlignRight | Qt::AlignTop, QString::number(*highest, 'f', 0));
    p.drawText(labels, Qt::AlignRight | Qt::AlignBottom, QString::number(*lowest, 'f', 0));
    const double step =
        values.size() > 1 ? area.width() / static_cast<double>(values.size() - 1) : 0;
    QPainterPath line;
    for (std::size_t i = 0; i < values.size(); ++i) {
        const QPointF at(area.left() + static_cast<double>(i) * step,
                         area.top() + (*highest - values[i]) / span * area.height());
        if (i == 0) {
            line.moveTo(at);
        } else {
            line.lineTo(at);
        }
    }
    p.setPen(QPen(colour, 1));
    p.drawPath(line);
}

}  // namespace

EquityCurveWindow::EquityCurveWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setWindowTitle(QString::fromLatin1(kEquityCurveCaption));
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Qt::white);
    setPalette(palette);
    resize(700, 420);
}

void EquityCurveWindow::SetCurve(std::vector<EquityPoint> curve) {
    curve_ = std::move(curve);
    drawdown_ = DrawdownPercents(curve_);
    update();
}

void EquityCurveWindow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (curve_.empty()) {
        p.drawText(rect(), Qt::AlignCenter, QStringLiteral("No equity curve"));
        return;
    }
    std::vector<double> equity;
    equity.reserve(curve_.size());
    for (const EquityPoint& point : curve_) equity.push_back(point.Equity);
    const int left = kMargin + kLabelWidth;
    const int width = std::max(10, this->width() - left - kMargin);
    const int height = std::max(30, this->height() - 2 * kMargin - 4 * kTextHeight);
    const QRect top(left, kMargin + kTextHeight, width, height * 2 / 3);
    const QRect bottom(left, top.bottom() + 2 * kTextHeight, width, height - top.height());
    DrawPanel(p, top, equity, QColor(0x00, 0x33, 0xCC), QStringLiteral("Equity"));
    DrawPanel(p, bottom, drawdown_, QColor(0xCC, 0x00, 0x00), QStringLiteral("Drawdown %"));
    p.setPen(Qt::black);
    const QRect dates(left, bottom.bottom() + 2, width, kTextHeight);
    p.drawText(dates, Qt::AlignLeft | Qt::AlignTop, ToQString(IsoDate(curve_.front().Date)));
    p.drawText(dates, Qt::AlignRight | Qt::AlignTop, ToQString(IsoDate(curve_.back().Date)));
}

}  // namespace velmora::gui
