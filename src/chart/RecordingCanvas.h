#pragma once
// A canvas that draws nothing and logs every call with its coordinates, colours and texts, for
// tests. Text is measured as 6 pixels per byte.

#include <string>
#include <vector>

#include "chart/Canvas.h"

namespace velmora {

struct CanvasCall {
    enum class Kind {
        Origin,
        Clip,
        ClearClip,
        Pen,
        Fill,
        Mode,
        Line,
        Polyline,
        Rectangle,
        FrameRect,
        FillRect,
        FillRectRgb,
        Text,
        Picture,
    };
    Kind kind;
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    int colour = 0;      // pen, fill or text colour (palette index); rgb for FillRectRgb
    int width = 0;       // pen width
    int background = 0;  // text background
    PenStyle style = PenStyle::Solid;
    DrawMode mode = DrawMode::Copy;
    ChartPicture picture = ChartPicture::BuyArrow;
    std::string text;
    std::vector<CanvasPoint> points;
    // The pen, fill and mode in force when the call was made.
    int penColour = 0;
    int penWidth = 1;
    PenStyle penStyle = PenStyle::Solid;
    int fillColour = 0;
    DrawMode drawMode = DrawMode::Copy;
};

class RecordingCanvas : public Canvas {
  public:
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

    const std::vector<CanvasCall>& Calls() const { return calls_; }
    std::vector<const CanvasCall*> CallsOf(CanvasCall::Kind kind) const;
    std::vector<std::string> Texts() const;
    void Clear() { calls_.clear(); }

  private:
    CanvasCall& Add(CanvasCall::Kind kind);

    std::vector<CanvasCall> calls_;
    int penColour_ = 0;
    int penWidth_ = 1;
    PenStyle penStyle_ = PenStyle::Solid;
    int fillColour_ = 0;
    DrawMode mode_ = DrawMode::Copy;
};

}  // namespace velmora
