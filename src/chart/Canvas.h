#pragma once
// The drawing surface the chart painters draw on. Colours are indices into the chart palette
// (16 entries of 12-bit colour 0x0RGB, each nibble × 17 giving the 8-bit channel). Coordinates
// are pixels with y growing downwards. Lines and polylines include both end points;
// rectangles leave out their right and bottom edges, so that a rectangle from (l, t) to (r, b)
// covers r - l by b - t pixels (at least one pixel each way); reversed corners are put in
// order first.
//
// The same painters draw on the screen, into images and PDF files (QtCanvas in chart/qt)
// and into the RecordingCanvas that the tests read.

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace velmora {

class Preferences;

// The 16 palette entries, 0x0RGB each.
class ChartPalette {
  public:
    ChartPalette();  // the program's default palette
    static ChartPalette FromPreferences(const Preferences& prefs);

    int Entry(int index) const { return entries_[static_cast<std::size_t>(index & 15)]; }
    void SetEntry(int index, int colour) {
        entries_[static_cast<std::size_t>(index & 15)] = colour & 0xFFF;
    }
    // 0xRRGGBB of an index; indices outside 0..15 wrap.
    std::uint32_t Rgb(int index) const;
    // The printer swaps the light grey and the white entries.
    void SwapForPrinting();

  private:
    std::array<int, 16> entries_{};
};

enum class PenStyle { Solid, Dotted };
enum class DrawMode { Copy, Xor, NotXor };
// The two trade-arrow pictures, 16 × 16 pixels each.
enum class ChartPicture { BuyArrow, SellArrow };

inline constexpr int kTransparent = -1;  // the text background that leaves the picture

struct CanvasPoint {
    int x = 0;
    int y = 0;
    bool operator==(const CanvasPoint&) const = default;
};

class Canvas {
  public:
    virtual ~Canvas() = default;

    const ChartPalette& Palette() const { return palette_; }
    void SetPalette(const ChartPalette& palette) { palette_ = palette; }

    // Moves the origin of every later coordinate (stacked panes share one surface).
    virtual void SetOrigin(int x, int y) = 0;
    // Restricts drawing to the rectangle (in current coordinates); ClearClip lifts it.
    virtual void SetClip(int left, int top, int right, int bottom) = 0;
    virtual void ClearClip() = 0;

    virtual void SetPen(int colour, int width = 1, PenStyle style = PenStyle::Solid) = 0;
    virtual void SetFill(int colour) = 0;
    virtual void SetDrawMode(DrawMode mode) = 0;

    virtual void Line(int x1, int y1, int x2, int y2) = 0;
    virtual void Polyline(const std::vector<CanvasPoint>& points) = 0;
    // Outline in the pen, inside filled with the fill colour.
    virtual void Rectangle(int left, int top, int right, int bottom) = 0;
    // Outline only.
    virtual void FrameRect(int left, int top, int right, int bottom) = 0;
    // Filled with a palette colour, no outline.
    virtual void FillRect(int left, int top, int right, int bottom, int colour) = 0;
    // Filled with a colour outside the palette (window chrome such as splitter bars).
    virtual void FillRectRgb(int left, int top, int right, int bottom, std::uint32_t rgb) = 0;

    // Left-aligned text with its baseline at y, in the chart font; `background` is a palette
    // colour or kTransparent.
    virtual void Text(int x, int y, std::string_view text, int colour, int background) = 0;
    virtual int TextWidth(std::string_view text) = 0;

    // A picture with its top-left corner at (x, y).
    virtual void Picture(ChartPicture picture, int x, int y) = 0;

  private:
    ChartPalette palette_;
};

// The trade arrows, as rows of 16 characters: '#' the arrow's colour, '.' its outline,
// ' ' transparent. The arrow's axis is column 2, so that a picture drawn at x - 2 points at x.
const std::array<const char*, 16>& PictureRows(ChartPicture picture);
// 0xRRGGBB of the picture's arrow.
std::uint32_t PictureColour(ChartPicture picture);

}  // namespace velmora
