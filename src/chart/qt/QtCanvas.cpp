#include "chart/qt/QtCanvas.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPaintEngine>
#include <QPolygon>
#include <algorithm>
#include <clocale>
#include <cstdlib>
#include <memory>

namespace velmora {

namespace {

QRect Normalised(int left, int top, int right, int bottom) {
    if (left > right) std::swap(left, right);
    if (top > bottom) std::swap(top, bottom);
    return QRect(left, top, std::max(1, right - left), std::max(1, bottom - top));
}

QImage BuildPicture(ChartPicture picture) {
    QImage image(16, 16, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    const QRgb colour = 0xFF000000u | PictureColour(picture);
    const auto& rows = PictureRows(picture);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16 && rows[static_cast<std::size_t>(y)][x] != 0; ++x)
            if (rows[static_cast<std::size_t>(y)][x] == '#') image.setPixel(x, y, colour);
    return image;
}

}  // namespace

QFont QtCanvas::ChartFont() {
    static const QFont font = [] {
        const QString family = QFontDatabase::families().contains(QStringLiteral("Liberation Sans"))
                                   ? QStringLiteral("Liberation Sans")
                                   : QStringLiteral("DejaVu Sans");
        QFont f(family);
        f.setPointSizeF(8.1);
        f.setStyleStrategy(QFont::NoAntialias);
        return f;
    }();
    return font;
}

QtCanvas::QtCanvas(QPainter& painter)
    : painter_(painter),
      font_(ChartFont()),
      rasterOps_(painter.paintEngine() != nullptr &&
                 painter.paintEngine()->hasFeature(QPaintEngine::RasterOpModes)),
      pictures_{BuildPicture(ChartPicture::BuyArrow), BuildPicture(ChartPicture::SellArrow)} {
    painter_.setRenderHint(QPainter::Antialiasing, false);
    painter_.setRenderHint(QPainter::TextAntialiasing, false);
    painter_.setFont(font_);
}

QColor QtCanvas::Colour(int index) const {
    return QColor::fromRgb(Palette().Rgb(index));
}

void QtCanvas::SetOrigin(int x, int y) {
    painter_.setTransform(QTransform::fromTranslate(x, y));
}

void QtCanvas::SetClip(int left, int top, int right, int bottom) {
    painter_.setClipRect(QRect(left, top, std::max(0, right - left), std::max(0, bottom - top)));
}

void QtCanvas::ClearClip() {
    painter_.setClipping(false);
}

void QtCanvas::ApplyPen() {
    QPen pen(Colour(penColour_));
    pen.setWidth(penWidth_ <= 1 ? 0 : penWidth_);  // 0: the one-pixel cosmetic pen
    if (penStyle_ == PenStyle::Dotted) pen.setDashPattern({1.0, 1.0});
    pen.setCapStyle(Qt::SquareCap);
    painter_.setPen(pen);
}

void QtCanvas::SetPen(int colour, int width, PenStyle style) {
    penColour_ = colour;
    penWidth_ = width;
    penStyle_ = style;
    ApplyPen();
}

void QtCanvas::SetFill(int colour) {
    fillColour_ = colour;
}

void QtCanvas::SetDrawMode(DrawMode mode) {
    if (!rasterOps_) return;
    switch (mode) {
        case DrawMode::Copy:
            painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
            break;
        case DrawMode::Xor:
            painter_.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
            break;
        case DrawMode::NotXor:
            painter_.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
            break;
    }
}

void QtCanvas::Line(int x1, int y1, int x2, int y2) {
    painter_.drawLine(x1, y1, x2, y2);
}

void QtCanvas::Polyline(const std::vector<CanvasPoint>& points) {
    if (points.size() < 2) return;
    QPolygon polygon(static_cast<int>(points.size()));
    for (std::size_t i = 0; i < points.size(); ++i)
        polygon.setPoint(static_cast<int>(i), points[i].x, points[i].y);
    painter_.drawPolyline(polygon);
}

void QtCanvas::Rectangle(int left, int top, int right, int bottom) {
    const QRect r = Normalised(left, top, right, bottom);
    painter_.fillRect(r, Colour(fillColour_));
    if (r.width() > 1 && r.height() > 1)
        painter_.drawRect(r.adjusted(0, 0, -1, -1));
    else
        painter_.fillRect(r, Colour(penColour_));
}

void QtCanvas::FrameRect(int left, int top, int right, int bottom) {
    if (left > right) std::swap(left, right);
    if (top > bottom) std::swap(top, bottom);
    painter_.drawRect(QRect(left, top, right - left, bottom - top));
}

void QtCanvas::FillRect(int left, int top, int right, int bottom, int colour) {
    painter_.fillRect(Normalised(left, top, right, bottom), Colour(colour));
}

void QtCanvas::FillRectRgb(int left, int top, int right, int bottom, std::uint32_t rgb) {
    painter_.fillRect(Normalised(left, top, right, bottom), QColor::fromRgb(rgb));
}

void QtCanvas::Text(int x, int y, std::string_view text, int colour, int background) {
    const QString s = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    const QFontMetrics metrics(font_, painter_.device());
    if (background != kTransparent)
        painter_.fillRect(QRect(x, y - metrics.ascent(), metrics.horizontalAdvance(s),
                                metrics.ascent() + metrics.descent()),
                          Colour(background));
    const QPen pen = painter_.pen();
    painter_.setPen(Colour(colour));
    painter_.drawText(QPoint(x, y), s);
    painter_.setPen(pen);
}

int QtCanvas::TextWidth(std::string_view text) {
    const QFontMetrics metrics(font_, painter_.device());
    return metrics.horizontalAdvance(
        QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

void QtCanvas::Picture(ChartPicture picture, int x, int y) {
    painter_.drawImage(x, y, pictures_[picture == ChartPicture::BuyArrow ? 0 : 1]);
}

namespace {

// The application object EnsureGuiApplication made.
std::unique_ptr<QGuiApplication>& MadeGuiApplication() {
    static std::unique_ptr<QGuiApplication> app;
    return app;
}

}  // namespace

void EnsureGuiApplication() {
    if (QCoreApplication::instance() != nullptr) return;
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char name[] = "velmora";
    static char* argv[] = {name, nullptr};
    MadeGuiApplication() = std::make_unique<QGuiApplication>(argc, argv);
    KeepPortableNumbers();
}

void EndGuiApplication() {
    MadeGuiApplication().reset();
}

void KeepPortableNumbers() {
    // Qt's application object takes the user's locale for the C library as well; numbers
    // printed and read with printf/strtod (files, formula output, reports) must keep the
    // decimal point whatever the user's language.
    std::setlocale(LC_NUMERIC, "C");
}

}  // namespace velmora
