#include "chart/qt/ChartRendering.h"

#include <QBuffer>
#include <QByteArray>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>

#include "chart/qt/QtCanvas.h"
#include "platform/FileUtil.h"

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

Status WriteChartPng(ChartWindowView& view, int width, int height,
                     const std::filesystem::path& path) {
    const QImage image = RenderChartImage(view, width, height);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        return Status::FileError("cannot encode the picture for", path);
    return WriteFileAtomically(path, bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

Status WriteChartPdf(ChartWindowView& view, int width, int height,
                     const std::filesystem::path& path) {
    EnsureGuiApplication();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setResolution(96);
    writer.setPageLayout(
        QPageLayout(QPageSize(QSizeF(width * 72.0 / 96.0, height * 72.0 / 96.0), QPageSize::Point),
                    QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
    QPainter painter;
    if (!painter.begin(&writer)) return Status::FileError("cannot draw the page for", path);
    const bool printing = view.printing;
    view.printing = true;
    Paint(painter, view, width, height);
    view.printing = printing;
    if (!painter.end()) return Status::FileError("cannot draw the page for", path);
    return WriteFileAtomically(path, bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

}  // namespace velmora
