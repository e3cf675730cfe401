#pragma once
// The chart canvas drawn with QPainter: onto a QImage (PNG output, the screen's off-screen
// picture), a widget or a PDF page. The chart font is "Liberation Sans" at 8.1 points, or
// "DejaVu Sans" when that is missing. The XOR drawing modes need a raster surface; on other
// surfaces lines are drawn in copy mode.

#include <QFont>
#include <QImage>
#include <QPainter>
#include <array>

#include "chart/Canvas.h"

namespace velmora {

class QtCanvas : public Canvas {
  public:
    // Draws through an active painter, which the caller keeps alive.
    explicit QtCanvas(QPainter& painter);

    void SetOrigin(int x, int y) override;
    void SetClip(int left, int top, int right, int bottom) override;
    void ClearClip() override;
    void SetPen(int colour, int width, PenStyle style) override;
    void SetFill(int colour) override;
    void SetDrawMode(DrawMode mode) override;
    void Line(int x1, int y1, int x2, int y2) override;
    void Polyline(const std::vector<CanvasPoint>& points) override;
    void Rectangle(int left, int top, int right, int bottom) override;
    void FrameRect(int left, int top, int right, int bottom) override;
    void FillRect(int left, int top, int right, int bottom, int colour) override;
    void FillRectRgb(int left, int top, int right, int bottom, std::uint32_t rgb) override;
    void Text(int x, int y, std::string_view text, int colour, int background) override;
    int TextWidth(std::string_view text) override;
    void Picture(ChartPicture picture, int x, int y) override;

    // The chart font (resolved once per process).
    static QFont ChartFont();

  private:
    QColor Colour(int index) const;
    void ApplyPen();

    QPainter& painter_;
    QFont font_;
    bool rasterOps_;
    int penColour_ = 1;
    int penWidth_ = 1;
    PenStyle penStyle_ = PenStyle::Solid;
    int fillColour_ = 2;
    std::array<QImage, 2> pictures_;
};

// A QGuiApplication for drawing text without a display: created on first use with the
// offscreen platform unless QT_QPA_PLATFORM says otherwise.
void EnsureGuiApplication();
// Destroys the application object EnsureGuiApplication made, if any: a program calls it before
// main returns, so that it goes while Qt's own globals (thread storage, fonts) still exist.
void EndGuiApplication();
// Puts the C library's number formats back to the portable ones after a Qt application object
// was made (it takes the user's locale); call right after constructing one.
void KeepPortableNumbers();

}  // namespace velmora
