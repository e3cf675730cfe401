#pragma once
// Drawing-tool studies: trend lines, horizontal and vertical lines, Fibonacci retracements and
// time zones and text labels, anchored to dates and values so that they follow zoom, scrolling
// and periodicity. This file turns tool drags (pixels in a pane) into studies, draws the
// studies of a pane, finds the study under a point, deletes studies and holds the fields of
// the two property dialogs.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "chart/PaneContext.h"
#include "chart/SeriesPlot.h"
#include "database/Database.h"

namespace velmora {

// The drawing tools of a chart window.
enum class StudyTool {
    Pick = 0,
    Trend = 1,
    Horizontal = 2,
    Vertical = 3,
    FibRetracement = 4,
    FibTimeZones = 5,
    Text = 6,
};

struct StudyToolInfo {
    StudyTool tool;
    int command;
    const char* label;
};
// The seven tools in order, with their command numbers and labels.
const std::array<StudyToolInfo, 7>& StudyTools();
// The tool of a command number, if it is one of the tool commands.
std::optional<StudyTool> ToolOfCommand(int command);
// Over a pane the mouse shows the arrow with the pick tool and the cross-hair with the others.
inline bool ToolShowsCrossHair(StudyTool tool) {
    return tool != StudyTool::Pick;
}

// Study::Kind values.
namespace StudyKind {
inline constexpr std::uint8_t kTrend = 0;
inline constexpr std::uint8_t kHorizontal = 1;
inline constexpr std::uint8_t kVertical = 2;
inline constexpr std::uint8_t kRetracementBase = 3;
inline constexpr std::uint8_t kRetracementLevel = 4;
inline constexpr std::uint8_t kTimeZoneBase = 5;
inline constexpr std::uint8_t kTimeZone = 6;
inline constexpr std::uint8_t kText = 255;
}  // namespace StudyKind

// Study::Extend bits.
inline constexpr std::uint8_t kExtendLeft = 1;
inline constexpr std::uint8_t kExtendRight = 2;
// Study::Style bits.
inline constexpr std::uint8_t kStyleThick = 1;
inline constexpr std::uint8_t kStyleDotted = 2;
inline constexpr std::uint8_t kStyleOpaque = 4;
// Colours are stored as palette indices with the top bit set.
inline constexpr std::int32_t kStoredColourBit = static_cast<std::int32_t>(0x80000000u);

inline constexpr std::array<double, 7> kRetracementLevels{0, 23.6, 38.2, 50, 61.8, 100, 161.8};
inline constexpr std::array<int, 10> kTimeZoneSteps{1, 2, 3, 5, 8, 13, 21, 34, 55, 89};

// Text of studies: lines are CR LF separated; each line is kStudyLineHeight pixels high with
// its baseline kStudyTextAscent below the line's top.
inline constexpr int kStudyLineHeight = 13;
inline constexpr int kStudyTextAscent = 10;
// The text tool's edit box: 60 pixels wide, from 2 above to 16 below the click.
inline constexpr int kTextBoxWidth = 60;
inline constexpr int kTextBoxAbove = 2;
inline constexpr int kTextBoxBelow = 16;
// How far (in pixels, exclusive) a right-click may lie above or below a line and still hit it.
inline constexpr int kHitTolerance = 4;

// The lines of a study text, split at CR LF.
std::vector<std::string_view> StudyTextLines(std::string_view text);
// Width and height in pixels of a text as the studies draw it.
struct TextExtent {
    int width = 0;
    int height = 0;
};
using TextMeasure = std::function<TextExtent(std::string_view text)>;
TextExtent MeasureStudyText(Canvas& canvas, std::string_view text);

// The positions of one pane as the drawing tools see them: the plot geometry of its last
// paint (the definition's scaleMin and scaleMax; the date axis and the logarithmic scale on
// the price pane) over the pane's stock in its periodicity.
class StudyFrame {
  public:
    explicit StudyFrame(const PaneContext& pane);

    const PlotGeometry& Geometry() const { return geometry_; }
    int PlotLeft() const { return geometry_.left + 5; }
    int PlotRight() const { return geometry_.left + 5 + geometry_.plotWidth; }
    int PlotTop() const { return geometry_.topY; }
    int PlotBottom() const { return geometry_.bottomY; }
    int ShownBars() const { return shown_; }
    int BarCount() const { return barCount_; }
    // The pane has a stock with quotations and a plot to draw on.
    bool Usable() const;
    bool OnPlot(int x, int y) const;

    // The shown bar (0 .. shown - 1) nearest to x: left of the plot the first, right of it
    // the last.
    int SnapBar(int x) const;
    // The stock's bar index at x (scroll position counted).
    int BarAt(int x) const { return geometry_.scroll + SnapBar(x); }
    int SnapX(int x) const { return geometry_.X(BarAt(x)); }
    int ClampY(int y) const;
    // The x of a bar of the stock, and the y of a value (not clamped).
    int X(int bar) const { return geometry_.X(bar); }
    int Y(double value) const { return geometry_.Y(value); }
    double ValueAt(int y) const { return geometry_.ValueAt(y); }
    // The first bar dated on or after the date; past the last quotation the last bar; -1 for
    // a stock without quotations.
    int BarOfDate(PackedDate date) const;
    PackedDate DateOfBar(int bar) const;
    const Stock* BarStock() const { return stock_; }

  private:
    PlotGeometry geometry_;
    const Stock* stock_ = nullptr;
    int shown_ = 0;
    int barCount_ = 0;
};

// --- making studies ------------------------------------------------------------------------

// A study anchored at two dates and values, with the pane, the colour (a palette index) and
// the text (text studies only; empty otherwise).
struct StudyAnchors {
    std::int32_t paneId = 0;
    int colour = 0;
    PackedDate startDate = 0;
    float startValue = 0;
    PackedDate endDate = 0;
    float endValue = 0;
};

// The studies a tool makes from its two anchors: one study, or the Fibonacci base line with
// its level lines or time-zone lines. `bars` is the stock in the pane's periodicity (time zones
// count its bars from the first bar on or after the start date). Pick and Text make nothing
// here (see MakeTextStudy).
std::vector<Study> BuildStudies(StudyTool tool, const StudyAnchors& anchors, const Stock& bars);

// A text study with the top-left of its box at the anchor and the box size measured.
Study MakeTextStudy(const StudyAnchors& anchor, std::string_view text, TextExtent box);

// A point of a drag once the tool's rules placed it, with the stock's bar it stands for (kept
// rather than read back from x, which is ambiguous when bars are denser than pixels).
struct ToolPoint {
    int x = 0;
    int y = 0;
    int bar = 0;
};

// A drag of tools 1 to 5 in a pane, from the button down to the button up.
class StudyDrag {
  public:
    // Nothing starts (false) for the pick and text tools or a pane that cannot be drawn on.
    bool Begin(const PaneContext& pane, StudyTool tool, int x, int y);
    // The mouse moved: the new end point.
    void Move(int x, int y);
    // Escape: ends the drag without a study.
    void Cancel() { frame_.reset(); }
    // Button up: the studies made (none when the points are not on the plot).
    std::vector<Study> Finish();

    bool Active() const { return frame_.has_value(); }
    StudyTool Tool() const { return tool_; }
    ToolPoint Start() const { return start_; }
    ToolPoint End() const { return end_; }
    int Colour() const { return colour_; }
    // Draws (or, drawn again, erases) the rubber band of the drag.
    void DrawFeedback(Canvas& canvas) const;

  private:
    std::optional<StudyFrame> frame_;
    StudyTool tool_ = StudyTool::Pick;
    std::int32_t paneId_ = 0;
    int colour_ = 0;
    ToolPoint start_;
    ToolPoint end_;
};

// The studies a drag of a tool from start to end (pixels in the pane) makes, with the start
// and end rules of the tool applied: the pane's chart id, the "Study (trendline):" colour.
std::vector<Study> MakeStudiesFromDrag(const PaneContext& pane, StudyTool tool, CanvasPoint start,
                                       CanvasPoint end);
// The same from points the tool's rules have already placed.
std::vector<Study> MakeStudiesFromPoints(const StudyFrame& frame, StudyTool tool,
                                         std::int32_t paneId, int colour, ToolPoint start,
                                         ToolPoint end);
// Where the tool's start and end points lie once its rules are applied (x snapped to a bar,
// y clamped to the plot; the horizontal line from x = 0 to the plot's right end, vertical
// lines from y = 0 to the plot bottom).
ToolPoint ToolStartPoint(const StudyFrame& frame, StudyTool tool, int x, int y);
ToolPoint ToolEndPoint(const StudyFrame& frame, StudyTool tool, ToolPoint start, int x, int y);

// The text tool's edit box for a click: left, top, right, bottom (at the snapped click).
struct BoxRect {
    int left = 0, top = 0, right = 0, bottom = 0;
};
BoxRect TextToolBox(const StudyFrame& frame, int x, int y);
// The text study typed into the box opened at the click (nothing for an empty text): anchored
// at the box's top-left, with the edit box's width and height as its box.
std::optional<Study> MakeTextStudyAt(const PaneContext& pane, int x, int y, std::string_view text);

// Adds studies to the stock, marking it modified and the workspace dirty.
void AddStudies(Database& db, Stock& stock, std::vector<Study> studies);

// The rubber band of a drag in XOR mode: the segment, the retracement's 7 level lines or the
// 10 time-zone lines. Drawing it again with the same points erases it.
void DrawDragFeedback(Canvas& canvas, const StudyFrame& frame, StudyTool tool, ToolPoint start,
                      ToolPoint end, int colour);

// --- drawing and hitting -------------------------------------------------------------------

// Where a study lies in the pane: the clipped segment of a line, or the box of a text.
struct StudyShape {
    bool text = false;
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};
// Nothing when the study is not drawn (outside the plot, coincident points, no quotations).
std::optional<StudyShape> StudyShapeIn(const StudyFrame& frame, const Study& study);

// Draws every study of `studies` whose pane id is the pane's chart id.
void DrawStudies(PaneContext& pane, const std::vector<Study>& studies);
void DrawStudy(PaneContext& pane, const StudyFrame& frame, const Study& study);

// The index in `studies` of the first study of the pane under (a, b), or -1.
int HitTestStudies(const PaneContext& pane, const std::vector<Study>& studies, int a, int b);
bool ShapeHit(const StudyShape& shape, int a, int b);

// --- deleting ------------------------------------------------------------------------------

bool PaneHasStudies(const Stock& stock, std::int32_t paneId);
struct TrendLineProperties;
struct TextBoxProperties;
// The study remembered at a pane's last right-click, for "Delete study" and "Properties...".
class StudyHit {
  public:
    // Remembers study `index` of the stock (-1: none).
    void Remember(const Stock& stock, int index);
    // Hit-tests the pane at (a, b) and remembers the study found; true when one was.
    bool RightClick(const PaneContext& pane, const Stock& stock, int a, int b);
    void Clear() { index_ = -1; }
    // The remembered study while it can still be told apart: same stock, no study added or
    // deleted since (property edits keep it).
    Study* Get(Stock& stock) const;
    bool Valid(const Stock& stock) const;
    int Index() const { return index_; }

    // Deletes the remembered study and forgets it; false when there is none.
    bool Delete(Database& db, Stock& stock);
    // "Properties..." OK: stores the dialog's fields into the remembered study and marks the
    // stock modified (a save writes only modified stocks); false when there is none.
    bool StoreProperties(Database& db, Stock& stock, const TrendLineProperties& p) const;
    bool StoreProperties(Database& db, Stock& stock, const TextBoxProperties& p,
                         const TextMeasure& measure) const;

  private:
    int index_ = -1;
    const Stock* stock_ = nullptr;
    std::size_t count_ = 0;
};
// Deletes every study of the stock with the pane id; returns how many went (the stock is
// marked modified when any did).
int DeleteAllStudies(Database& db, Stock& stock, std::int32_t paneId);

// --- property dialogs ----------------------------------------------------------------------

// "Trend line properties".
struct TrendLineProperties {
    static constexpr const char* kCaption = "Trend line properties";
    // The labels of the fields below, in their order.
    static constexpr std::array<const char*, 9> kLabels{
        "Start X:",   "End X:",      "Start Y:",    "End Y:",      "Color:",
        "Thick line", "Dotted line", "Left extend", "Right extend"};

    PackedDate startX = 0;
    PackedDate endX = 0;
    float startY = 0;
    float endY = 0;
    int colour = 0;  // palette index
    bool thick = false;
    bool dotted = false;
    bool leftExtend = false;
    bool rightExtend = false;

    static TrendLineProperties Load(const Study& study);
    void Store(Study& study) const;
};

// "Text box properties".
struct TextBoxProperties {
    static constexpr const char* kCaption = "Text box properties";
    // The labels of the fields below but the text, in their order.
    static constexpr std::array<const char*, 5> kLabels{
        "Start X:", "Start Y:", "Text color:", "Background:", "Transparent"};

    PackedDate startX = 0;
    float startY = 0;
    std::string text;
    int textColour = 0;  // palette indices
    int background = 0;
    bool transparent = true;

    static TextBoxProperties Load(const Study& study);
    // Stores the fields; the box size is the text measured.
    void Store(Study& study, const TextMeasure& measure) const;
};

}  // namespace velmora
