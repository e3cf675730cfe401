#include "chart/RecordingCanvas.h"

namespace velmora {

CanvasCall& RecordingCanvas::Add(CanvasCall::Kind kind) {
    CanvasCall& c = calls_.emplace_back();
    c.kind = kind;
    c.penColour = penColour_;
    c.penWidth = penWidth_;
    c.penStyle = penStyle_;
    c.fillColour = fillColour_;
    c.drawMode = mode_;
    return c;
}

void RecordingCanvas::SetOrigin(int x, int y) {
    CanvasCall& c = Add(CanvasCall::Kind::Origin);
    c.x1 = x;
    c.y1 = y;
}

void RecordingCanvas::SetClip(int left, int top, int right, int bottom) {
    CanvasCall& c = Add(CanvasCall::Kind::Clip);
    c.x1 = left, c.y1 = top, c.x2 = right, c.y2 = bottom;
}

void RecordingCanvas::ClearClip() {
    Add(CanvasCall::Kind::ClearClip);
}

void RecordingCanvas::SetPen(int colour, int width, PenStyle style) {
    penColour_ = colour;
    penWidth_ = width;
    penStyle_ = style;
    CanvasCall& c = Add(CanvasCall::Kind::Pen);
    c.colour = colour;
    c.width = width;
    c.style = style;
}

void RecordingCanvas::SetFill(int colour) {
    fillColour_ = colour;
    Add(CanvasCall::Kind::Fill).colour = colour;
}

void RecordingCanvas::SetDrawMode(DrawMode mode) {
    mode_ = mode;
    Add(CanvasCall::Kind::Mode).mode = mode;
}

void RecordingCanvas::Line(int x1, int y1, int x2, int y2) {
    CanvasCall& c = Add(CanvasCall::Kind::Line);
    c.x1 = x1, c.y1 = y1, c.x2 = x2, c.y2 = y2;
    c.colour = penColour_;
}

void RecordingCanvas::Polyline(const std::vector<CanvasPoint>& points) {
    CanvasCall& c = Add(CanvasCall::Kind::Polyline);
    c.points = points;
    c.colour = penColour_;
}

void RecordingCanvas::Rectangle(int left, int top, int right, int bottom) {
    CanvasCall& c = Add(CanvasCall::Kind::Rectangle);
    c.x1 = left, c.y1 = top, c.x2 = right, c.y2 = bottom;
    c.colour = fillColour_;
}

void RecordingCanvas::FrameRect(int left, int top, int right, int bottom) {
    CanvasCall& c = Add(CanvasCall::Kind::FrameRect);
    c.x1 = left, c.y1 = top, c.x2 = right, c.y2 = bottom;
    c.colour = penColour_;
}

void RecordingCanvas::FillRect(int left, int top, int right, int bottom, int colour) {
    CanvasCall& c = Add(CanvasCall::Kind::FillRect);
    c.x1 = left, c.y1 = top, c.x2 = right, c.y2 = bottom;
    c.colour = colour;
}

void RecordingCanvas::FillRectRgb(int left, int top, int right, int bottom, std::uint32_t rgb) {
    CanvasCall& c = Add(CanvasCall::Kind::FillRectRgb);
    c.x1 = left, c.y1 = top, c.x2 = right, c.y2 = bottom;
    c.colour = static_cast<int>(rgb);
}

void RecordingCanvas::Text(int x, int y, std::string_view text, int colour, int background) {
    CanvasCall& c = Add(CanvasCall::Kind::Text);
    c.x1 = x, c.y1 = y;
    c.text = std::string(text);
    c.colour = colour;
    c.background = background;
}

int RecordingCanvas::TextWidth(std::string_view text) {
    return static_cast<int>(text.size()) * 6;
}

void RecordingCanvas::Picture(ChartPicture picture, int x, int y) {
    CanvasCall& c = Add(CanvasCall::Kind::Picture);
    c.picture = picture;
    c.x1 = x, c.y1 = y;
}

std::vector<const CanvasCall*> RecordingCanvas::CallsOf(CanvasCall::Kind kind) const {
    std::vector<const CanvasCall*> out;
    for (const CanvasCall& c : calls_)
        if (c.kind == kind) out.push_back(&c);
    return out;
}

std::vector<std::string> RecordingCanvas::Texts() const {
    std::vector<std::string> out;
    for (const CanvasCall& c : calls_)
        if (c.kind == CanvasCall::Kind::Text) out.push_back(c.text);
    return out;
}

}  // namespace velmora
