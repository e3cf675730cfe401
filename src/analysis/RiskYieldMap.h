#pragma once
// The risk/yield map: every stock with at least 60 quotations becomes a point whose horizontal
// position is its risk (the standard deviation of its five-bar returns) and whose vertical
// position is its yield (their mean), both in millionths (0.01 percent = 100). This class
// holds the values, the data range and the visible range, and lays the map out as pixels,
// lines and texts for the window to draw; a dragged rectangle zooms in.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "database/Database.h"

namespace velmora {

inline constexpr int kMinMapQuotations = 60;
inline constexpr std::int32_t kMinVisibleSpan = 10000;  // 1 percent

struct RiskYield {
    std::int32_t Risk = 0;
    std::int32_t Yield = 0;
    bool Mapped = false;  // false for fewer than 60 quotations
};

// The risk and yield of one stock's quotations: the closes of quotations 4, 9, 14, ... (from
// the oldest) each give a return against the previous such close (the first against the
// oldest close).
RiskYield ComputeRiskYield(const Stock& stock);

// The label of a stock on the map: the first three characters of its ticker, with a few
// tickers abbreviated their own way.
std::string MapLabel(std::string_view ticker);

struct MapRange {
    std::int32_t RiskMin = 0, RiskMax = 0;
    std::int32_t YieldMin = 0, YieldMax = 0;
    bool operator==(const MapRange&) const = default;
};

struct MapText {
    int X = 0, Y = 0;
    std::string Text;
};

struct MapGridLine {
    bool Horizontal = false;  // a yield line; otherwise a risk line
    std::int32_t Value = 0;
    int Position = 0;  // y of a horizontal line, x of a vertical one
    std::optional<MapText> Label;
};

struct MapPoint {
    int StockIndex = 0;  // position in the database's list
    int X = 0, Y = 0;    // the point; its 3 x 3 square is centred here
    MapText Label;
    bool Highlighted = false;
};

// Everything the window draws for one paint.
struct MapDrawing {
    int PlotLeft = 0, PlotTop = 0, PlotWidth = 0, PlotHeight = 0;  // the frame
    MapText RiskCaption;                 // "R[%]" below the bottom-left corner
    MapText YieldCaption;                // "Y[%]" beside the top-right corner
    std::vector<MapGridLine> GridLines;  // dotted
    std::optional<int> ZeroLineY;        // solid, at yield 0
    std::vector<MapPoint> Points;
};

class RiskYieldMap {
  public:
    // Computes every stock's values (in database order), the number mapped and the data range.
    void Compute(const Database& db);
    // Loading quotations into memory makes the values stale; the next drawing computes again.
    void MarkStale() { computed_ = false; }
    bool Computed() const { return computed_; }

    const std::vector<RiskYield>& Values() const { return values_; }
    int MappedCount() const { return mapped_; }
    const MapRange& DataRange() const { return dataRange_; }
    const MapRange& VisibleRange() const { return visible_; }

    // A paint of a client area of width x height pixels: computes when needed (the first
    // drawing after a compute shows the whole data range), optionally applies a selection
    // rectangle, and lays out what is inside the visible range. `highlighted` is the current
    // stock's index, -1 for none.
    MapDrawing Draw(const Database& db, int clientWidth, int clientHeight, int highlighted,
                    std::optional<std::array<int, 4>> selection = std::nullopt);

    // The selection rectangle between the press and release points, as the mouse gives it.
    static std::array<int, 4> RectangleBetween(int x0, int y0, int x1, int y1);
    // A rectangle smaller than 4 pixels both ways shows the whole data range again; a larger
    // one, clamped into the plot, becomes the visible range. Spans under 1 percent are widened
    // around their middle; the points shown stay those whose pixels lay inside the rectangle.
    void Select(int clientWidth, int clientHeight, int x, int y, int width, int height);

    // When the current stock changes only the two squares are redrawn: these are they.
    std::vector<MapPoint> HighlightChange(const Database& db, int clientWidth, int clientHeight,
                                          int oldIndex, int newIndex) const;

  private:
    std::optional<MapPoint> PointFor(const Database& db, int index, int clientWidth,
                                     int clientHeight, int highlighted) const;
    void Widen();

    std::vector<RiskYield> values_;
    int mapped_ = 0;
    MapRange dataRange_;
    MapRange visible_;
    // After a zoom: the values whose pixels lay inside the rectangle. Widening the visible range
    // must not bring in points that were outside it.
    std::optional<MapRange> selected_;
    bool computed_ = false;
    bool showWhole_ = true;
};

}  // namespace velmora
