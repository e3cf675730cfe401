#include "chart/qt/ChartRendering.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>

#include "chart/qt/QtCanvas.h"

namespace velmora {

namespace {
constexpr int kDotsPerMeter96 = 3780;  // 96 dots per inch

void Paint(QPainter& painter, ChartWindowView& view, int width, int height) {
    QtCanvas canvas(painter);
    PaintChartWindow(canvas, view, width, height);
    ShowSelectedBar(canvas, view, width, height);
}
}  // namespace

QImage RenderChartImage(ChartWindowView& view, int width, int height) {
    EnsureGuiApplication();
    QImage image(width, height, QImage::Format_RGB32);
    image.setDotsPerMeterX(kDotsPerMeter96);
    image.setDotsPerMeterY(kDotsPerMeter96);
    image.fill(Qt::white);
    QPainter painter(&image);
    Paint(painter, view, width, height);
    painter.end();
    return image;
}

bool WriteChartPng(ChartWindowView& view, int width, int height,
                   const std::filesystem::path& path) {
    const QImage image = RenderChartImage(view, width, height);
    return image.save(QString::fromStdString(path.string()), "PNG");
}

bool WriteChartPdf(ChartWindowView& view, int width, int height,
                   const std::filesystem::path& path) {
    EnsureGuiApplication();
    QPdfWriter writer(QString::fromStdString(path.string()));
    writer.setResolution(96);
    writer.setPageLayout(
        QPageLayout(QPageSize(QSizeF(width * 72.0 / 96.0, height * 72.0 / 96.0), QPageSize::Point),
                    QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
    QPainter painter;
    if (!painter.begin(&writer)) return false;
    const bool printing = view.printing;
    view.printing = true;
    Paint(painter, view, width, height);
    view.printing = printing;
    return painter.end();
}

}  // namespace velmora
