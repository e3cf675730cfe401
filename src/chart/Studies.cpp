#include "chart/Studies.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace velmora {

namespace {

constexpr std::int32_t kColourMask = 0x7FFFFFFF;

std::int32_t StoredColour(int paletteIndex) {
    return (static_cast<std::int32_t>(paletteIndex) & kColourMask) | kStoredColourBit;
}
int PaletteIndex(std::int32_t stored) {
    return static_cast<int>(stored & kColourMask);
}

// The plot the pane was last painted with: its range is the definition's scaleMin and
// scaleMax; only the price pane reserves the date axis and may be logarithmic.
SeriesPlot PanePlot(const PaneContext& pane) {
    SeriesPlot p;
    const int n = pane.stock ? static_cast<int>(pane.stock->Quotations.size()) : 0;
    p.Frame(n, pane.VisibleBars(), pane.scrollPosition);
    p.flags = 0;
    if (pane.definition != nullptr) {
        p.min = pane.definition->scaleMin;
        p.max = pane.definition->scaleMax;
        if (pane.definition->id == kPriceChartId) {
            p.flags = PlotFlags::kDateAxis;
            if (pane.prefs != nullptr && pane.prefs->LogarithmicScale())
                p.flags |= PlotFlags::kLogarithmic;
        }
    }
    return p;
}

// Integer line clipping into [l, r] × [t, b]; false when nothing of the segment is inside.
bool ClipSegment(long long& x1, long long& y1, long long& x2, long long& y2, long long l,
                 long long t, long long r, long long b) {
    auto code = [&](long long x, long long y) {
        int c = 0;
        if (x < l)
            c |= 1;
        else if (x > r)
            c |= 2;
        if (y < t)
            c |= 4;
        else if (y > b)
            c |= 8;
        return c;
    };
    for (int guard = 0; guard < 16; ++guard) {
        const int c1 = code(x1, y1);
        const int c2 = code(x2, y2);
        if ((c1 | c2) == 0) return true;
        if ((c1 & c2) != 0) return false;
        const int c = c1 != 0 ? c1 : c2;
        long long x, y;
        if (c & 8) {
            y = b;
            x = x1 + (x2 - x1) * (b - y1) / (y2 - y1);
        } else if (c & 4) {
            y = t;
            x = x1 + (x2 - x1) * (t - y1) / (y2 - y1);
        } else if (c & 2) {
            x = r;
            y = y1 + (y2 - y1) * (r - x1) / (x2 - x1);
        } else {
            x = l;
            y = y1 + (y2 - y1) * (l - x1) / (x2 - x1);
        }
        if (c == c1) {
            x1 = x;
            y1 = y;
        } else {
            x2 = x;
            y2 = y;
        }
    }
    return false;
}

// The y of the line through (xa, ya)-(xb, yb) at x (xa != xb).
long long YOnLine(long long xa, long long ya, long long xb, long long yb, long long x) {
    return ya + (yb - ya) * (x - xa) / (xb - xa);
}

std::string LevelText(double level) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.1f%%", level);
    return buf;
}

Study BaseStudy(const StudyAnchors& a) {
    Study s;
    s.PaneId = a.paneId;
    s.Kind = StudyKind::kTrend;
    s.Colour = StoredColour(a.colour);
    s.Background = kStoredColourBit;
    s.StartDate = a.startDate;
    s.StartValue = a.startValue;
    s.EndDate = a.endDate;
    s.EndValue = a.endValue;
    return s;
}

// A study made from a base line: same pane, colour, background and reserved byte.
Study DerivedStudy(const Study& base, std::uint8_t kind) {
    Study s;
    s.PaneId = base.PaneId;
    s.Kind = kind;
    s.Reserved1 = base.Reserved1;
    s.Colour = base.Colour;
    s.Background = base.Background;
    return s;
}

}  // namespace

const std::array<StudyToolInfo, 7>& StudyTools() {
    static const std::array<StudyToolInfo, 7> tools{{
        {StudyTool::Pick, 2818, "Pick quotation"},
        {StudyTool::Trend, 2817, "Draw trendlines"},
        {StudyTool::Horizontal, 2895, "Draw Horizontal line"},
        {StudyTool::Vertical, 2894, "Draw Vertical line"},
        {StudyTool::FibRetracement, 2892, "Draw Fibonacci retracement lines"},
        {StudyTool::FibTimeZones, 2893, "Draw Fibonacci time zones"},
        {StudyTool::Text, 2889, "Text tool"},
    }};
    return tools;
}

std::optional<StudyTool> ToolOfCommand(int command) {
    for (const auto& t : StudyTools())
        if (t.command == command) return t.tool;
    return std::nullopt;
}

std::vector<std::string_view> StudyTextLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (true) {
        const std::size_t nl = text.find('\n', start);
        if (nl == std::string_view::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        std::size_t end = nl;
        if (end > start && text[end - 1] == '\r') --end;
        lines.push_back(text.substr(start, end - start));
        start = nl + 1;
    }
    return lines;
}

TextExtent MeasureStudyText(Canvas& canvas, std::string_view text) {
    TextExtent e;
    const auto lines = StudyTextLines(text);
    for (const auto line : lines) e.width = std::max(e.width, canvas.TextWidth(line));
    e.height = static_cast<int>(lines.size()) * kStudyLineHeight;
    return e;
}

// --- StudyFrame ----------------------------------------------------------------------------

StudyFrame::StudyFrame(const PaneContext& pane)
    : geometry_(pane, PanePlot(pane)), stock_(pane.stock) {
    barCount_ = stock_ ? static_cast<int>(stock_->Quotations.size()) : 0;
    shown_ = PanePlot(pane).visible;
}

bool StudyFrame::Usable() const {
    return stock_ != nullptr && barCount_ > 0 && shown_ > 0 && geometry_.plotWidth > 0 &&
           geometry_.plotHeight > 0;
}

bool StudyFrame::OnPlot(int x, int y) const {
    return x >= PlotLeft() && x <= PlotRight() && y >= PlotTop() && y <= PlotBottom();
}

int StudyFrame::SnapBar(int x) const {
    if (shown_ <= 0) return 0;
    if (x < PlotLeft()) return 0;
    if (x > PlotRight() || geometry_.plotWidth <= 0) return shown_ - 1;
    const long long f = geometry_.plotWidth;
    const long long bar = (static_cast<long long>(x - PlotLeft()) * shown_ + f / 2) / f;
    return static_cast<int>(std::min<long long>(bar, shown_ - 1));
}

int StudyFrame::ClampY(int y) const {
    return std::clamp(y, PlotTop(), std::max(PlotTop(), PlotBottom()));
}

int StudyFrame::BarOfDate(PackedDate date) const {
    if (barCount_ == 0) return -1;
    const auto& q = stock_->Quotations;
    const auto it = std::lower_bound(q.begin(), q.end(), date,
                                     [](const Quotation& a, PackedDate d) { return a.Date < d; });
    if (it == q.end()) return barCount_ - 1;
    return static_cast<int>(it - q.begin());
}

PackedDate StudyFrame::DateOfBar(int bar) const {
    if (barCount_ == 0) return kNoDate;
    return stock_->Quotations[static_cast<std::size_t>(std::clamp(bar, 0, barCount_ - 1))].Date;
}

// --- making studies ------------------------------------------------------------------------

std::vector<Study> BuildStudies(StudyTool tool, const StudyAnchors& anchors, const Stock& bars) {
    std::vector<Study> out;
    Study base = BaseStudy(anchors);
    switch (tool) {
        case StudyTool::Pick:
        case StudyTool::Text:
            return out;
        case StudyTool::Trend:
            out.push_back(base);
            break;
        case StudyTool::Horizontal:
            base.Kind = StudyKind::kHorizontal;
            base.Extend = kExtendLeft | kExtendRight;
            out.push_back(base);
            break;
        case StudyTool::Vertical:
            base.Kind = StudyKind::kVertical;
            base.Extend = kExtendLeft | kExtendRight;
            out.push_back(base);
            break;
        case StudyTool::FibRetracement: {
            base.Kind = StudyKind::kRetracementBase;
            base.Style = kStyleDotted;
            out.push_back(base);
            const double top = std::max(base.StartValue, base.EndValue);
            const double span = std::fabs(static_cast<double>(base.EndValue) -
                                          static_cast<double>(base.StartValue));
            const PackedDate from = std::min(base.StartDate, base.EndDate);
            const PackedDate to = std::max(base.StartDate, base.EndDate);
            for (const double level : kRetracementLevels) {
                Study s = DerivedStudy(base, StudyKind::kRetracementLevel);
                s.Style = (level == 0 || level == 100) ? 0 : kStyleDotted;
                s.Extend = kExtendRight;
                s.StartDate = from;
                s.EndDate = to;
                s.StartValue = s.EndValue = static_cast<float>(top - level * 0.01 * span);
                s.Text = LevelText(level);
                out.push_back(std::move(s));
            }
            break;
        }
        case StudyTool::FibTimeZones: {
            base.Kind = StudyKind::kTimeZoneBase;
            base.Style = kStyleDotted;
            base.Extend = kExtendLeft | kExtendRight;
            out.push_back(base);
            const auto& q = bars.Quotations;
            if (q.empty()) break;
            const auto it =
                std::lower_bound(q.begin(), q.end(), base.StartDate,
                                 [](const Quotation& a, PackedDate d) { return a.Date < d; });
            // Past the last quotation the start is the last bar, and every step lies beyond.
            long long bar = it == q.end() ? static_cast<long long>(q.size()) - 1 : it - q.begin();
            for (const int step : kTimeZoneSteps) {
                bar += step;
                if (bar >= static_cast<long long>(q.size())) break;
                Study s = DerivedStudy(base, StudyKind::kTimeZone);
                s.Extend = kExtendLeft | kExtendRight;
                s.StartDate = s.EndDate = q[static_cast<std::size_t>(bar)].Date;
                s.StartValue = base.StartValue;
                s.EndValue = base.EndValue;
                out.push_back(std::move(s));
            }
            break;
        }
    }
    return out;
}

Study MakeTextStudy(const StudyAnchors& anchor, std::string_view text, TextExtent box) {
    Study s = BaseStudy(anchor);
    s.Kind = StudyKind::kText;
    s.Text = std::string(text);
    s.EndDate = static_cast<PackedDate>(std::max(0, box.width));
    s.EndValue = static_cast<float>(std::max(0, box.height));
    return s;
}

ToolPoint ToolStartPoint(const StudyFrame& frame, StudyTool tool, int x, int y) {
    if (tool == StudyTool::Horizontal) x = 0;
    if (tool == StudyTool::Vertical || tool == StudyTool::FibTimeZones) y = 0;
    return {frame.SnapX(x), frame.ClampY(y), frame.BarAt(x)};
}

ToolPoint ToolEndPoint(const StudyFrame& frame, StudyTool tool, ToolPoint start, int x, int y) {
    switch (tool) {
        case StudyTool::Horizontal:
            return {frame.PlotRight(), start.y, frame.BarAt(frame.PlotRight())};
        case StudyTool::Vertical:
        case StudyTool::FibTimeZones:
            return {start.x, frame.PlotBottom(), start.bar};
        default:
            return {frame.SnapX(x), frame.ClampY(y), frame.BarAt(x)};
    }
}

std::vector<Study> MakeStudiesFromPoints(const StudyFrame& frame, StudyTool tool,
                                         std::int32_t paneId, int colour, ToolPoint start,
                                         ToolPoint end) {
    if (!frame.Usable() || !frame.OnPlot(start.x, start.y) || !frame.OnPlot(end.x, end.y))
        return {};
    StudyAnchors a;
    a.paneId = paneId;
    a.colour = colour;
    a.startDate = frame.DateOfBar(start.bar);
    a.startValue = static_cast<float>(frame.ValueAt(start.y));
    a.endDate = frame.DateOfBar(end.bar);
    a.endValue = static_cast<float>(frame.ValueAt(end.y));
    return BuildStudies(tool, a, *frame.BarStock());
}

std::vector<Study> MakeStudiesFromDrag(const PaneContext& pane, StudyTool tool, CanvasPoint start,
                                       CanvasPoint end) {
    StudyDrag drag;
    if (!drag.Begin(pane, tool, start.x, start.y)) return {};
    drag.Move(end.x, end.y);
    return drag.Finish();
}

BoxRect TextToolBox(const StudyFrame& frame, int x, int y) {
    const int sx = frame.SnapX(x);
    const int sy = frame.ClampY(y);
    return {sx, sy - kTextBoxAbove, sx + kTextBoxWidth, sy + kTextBoxBelow};
}

std::optional<Study> MakeTextStudyAt(const PaneContext& pane, int x, int y, std::string_view text) {
    if (text.empty() || pane.definition == nullptr) return std::nullopt;
    const StudyFrame frame(pane);
    if (!frame.Usable()) return std::nullopt;
    const BoxRect r = TextToolBox(frame, x, y);
    StudyAnchors a;
    a.paneId = pane.definition->id;
    a.colour = pane.Colour(ColourSetting::Study);
    a.startDate = a.endDate = frame.DateOfBar(frame.BarAt(x));
    // The box's top may lie just above the plot; the anchor stays on it so the text shows.
    a.startValue = a.endValue = static_cast<float>(frame.ValueAt(frame.ClampY(r.top)));
    return MakeTextStudy(a, text, {r.right - r.left, r.bottom - r.top});
}

void AddStudies(Database& db, Stock& stock, std::vector<Study> studies) {
    if (studies.empty()) return;
    for (auto& s : studies) stock.Studies.push_back(std::move(s));
    db.MarkModified(stock);
}

// --- StudyDrag -----------------------------------------------------------------------------

bool StudyDrag::Begin(const PaneContext& pane, StudyTool tool, int x, int y) {
    frame_.reset();
    if (tool == StudyTool::Pick || tool == StudyTool::Text || pane.definition == nullptr)
        return false;
    StudyFrame frame(pane);
    if (!frame.Usable()) return false;
    frame_ = frame;
    tool_ = tool;
    paneId_ = pane.definition->id;
    colour_ = pane.Colour(ColourSetting::Study);
    start_ = ToolStartPoint(*frame_, tool, x, y);
    end_ = ToolEndPoint(*frame_, tool, start_, x, y);
    return true;
}

void StudyDrag::Move(int x, int y) {
    if (frame_) end_ = ToolEndPoint(*frame_, tool_, start_, x, y);
}

std::vector<Study> StudyDrag::Finish() {
    if (!frame_) return {};
    auto studies = MakeStudiesFromPoints(*frame_, tool_, paneId_, colour_, start_, end_);
    frame_.reset();
    return studies;
}

void StudyDrag::DrawFeedback(Canvas& canvas) const {
    if (frame_) DrawDragFeedback(canvas, *frame_, tool_, start_, end_, colour_);
}

void DrawDragFeedback(Canvas& canvas, const StudyFrame& frame, StudyTool tool, ToolPoint start,
                      ToolPoint end, int colour) {
    canvas.SetDrawMode(DrawMode::Xor);
    canvas.SetPen(colour, 1, PenStyle::Solid);
    canvas.Line(start.x, start.y, end.x, end.y);
    if (tool == StudyTool::FibRetracement) {
        const double v1 = frame.ValueAt(start.y);
        const double v2 = frame.ValueAt(end.y);
        const double top = std::max(v1, v2);
        const double span = std::fabs(v2 - v1);
        const int left = std::min(start.x, end.x);
        for (const double level : kRetracementLevels) {
            const int y = frame.Y(top - level * 0.01 * span);
            if (y < frame.PlotTop() || y > frame.PlotBottom()) continue;
            canvas.Line(left, y, frame.PlotRight(), y);
        }
    } else if (tool == StudyTool::FibTimeZones) {
        long long bar = start.bar;
        for (const int step : kTimeZoneSteps) {
            bar += step;
            if (bar >= frame.BarCount()) break;
            const int x = frame.X(static_cast<int>(bar));
            if (x > frame.PlotRight()) break;
            canvas.Line(x, frame.PlotTop(), x, frame.PlotBottom());
        }
    }
    canvas.SetDrawMode(DrawMode::Copy);
}

// --- drawing and hitting -------------------------------------------------------------------

std::optional<StudyShape> StudyShapeIn(const StudyFrame& frame, const Study& study) {
    if (!frame.Usable()) return std::nullopt;
    StudyShape shape;
    const int bar1 = frame.BarOfDate(study.StartDate);
    long long x1 = frame.X(bar1);
    long long y1 = frame.Y(study.StartValue);
    const long long l = frame.PlotLeft(), r = frame.PlotRight();
    const long long t = frame.PlotTop(), b = frame.PlotBottom();
    if (study.Kind == StudyKind::kText) {
        if (x1 < l || x1 > r || y1 < t || y1 > b) return std::nullopt;
        const long long w = std::min<long long>(study.EndDate, 1000000);
        const float hv = study.EndValue;
        const long long h =
            std::isfinite(hv) ? std::clamp<long long>(std::llround(hv), 0, 1000000) : 0;
        shape.text = true;
        shape.x1 = static_cast<int>(x1);
        shape.y1 = static_cast<int>(y1);
        shape.x2 = static_cast<int>(std::min(x1 + w, r));
        shape.y2 = static_cast<int>(std::min(y1 + h, b));
        return shape;
    }
    long long x2 = frame.X(frame.BarOfDate(study.EndDate));
    long long y2 = frame.Y(study.EndValue);
    if (x1 == x2 && y1 == y2) {
        // Lines that span the plot by their kind keep their direction even when both anchors
        // fall on one pixel (both dates in one weekly bar, equal values); so do the levels of a
        // retracement dragged along one bar.
        if (study.Kind == StudyKind::kHorizontal || study.Kind == StudyKind::kRetracementLevel)
            x2 = x1 + 1;
        else if (study.Kind == StudyKind::kVertical || study.Kind == StudyKind::kTimeZoneBase ||
                 study.Kind == StudyKind::kTimeZone)
            y2 = y1 + 1;
        else
            return std::nullopt;
    }
    if (x1 != x2) {
        const bool firstIsLeft = x1 < x2;
        long long& lx = firstIsLeft ? x1 : x2;
        long long& ly = firstIsLeft ? y1 : y2;
        long long& rx = firstIsLeft ? x2 : x1;
        long long& ry = firstIsLeft ? y2 : y1;
        const long long ax = lx, ay = ly, bx = rx, by = ry;
        if (study.Extend & kExtendLeft) {
            lx = l;
            ly = YOnLine(ax, ay, bx, by, l);
        }
        if (study.Extend & kExtendRight) {
            rx = r;
            ry = YOnLine(ax, ay, bx, by, r);
        }
    } else {
        const bool firstIsLower = y1 > y2;
        long long& lowerY = firstIsLower ? y1 : y2;
        long long& upperY = firstIsLower ? y2 : y1;
        if (study.Extend & kExtendLeft) lowerY = b;
        if (study.Extend & kExtendRight) upperY = t;
    }
    if (!ClipSegment(x1, y1, x2, y2, l, t, r, b)) return std::nullopt;
    if (x1 == x2 && y1 == y2) return std::nullopt;
    shape.x1 = static_cast<int>(x1);
    shape.y1 = static_cast<int>(y1);
    shape.x2 = static_cast<int>(x2);
    shape.y2 = static_cast<int>(y2);
    return shape;
}

void DrawStudy(PaneContext& pane, const StudyFrame& frame, const Study& study) {
    const auto shape = StudyShapeIn(frame, study);
    if (!shape) return;
    Canvas& canvas = *pane.canvas;
    const int colour = PaletteIndex(study.Colour);
    if (!shape->text) {
        canvas.SetPen(colour, 1, (study.Style & kStyleDotted) ? PenStyle::Dotted : PenStyle::Solid);
        canvas.Line(shape->x1, shape->y1, shape->x2, shape->y2);
        if (study.Style & kStyleThick) {
            if (std::abs(shape->x2 - shape->x1) > std::abs(shape->y2 - shape->y1))
                canvas.Line(shape->x1, shape->y1 - 1, shape->x2, shape->y2 - 1);
            else
                canvas.Line(shape->x1 + 1, shape->y1, shape->x2 + 1, shape->y2);
        }
    }
    if (study.Text.empty()) return;
    // Texts are cut only by the plot, not by a text study's box: the box (the edit box that
    // took the text, or the text measured in another font) may be smaller than the text drawn.
    canvas.SetClip(frame.PlotLeft(), frame.PlotTop(), frame.PlotRight(), frame.PlotBottom());
    const int background =
        (study.Style & kStyleOpaque) ? PaletteIndex(study.Background) : kTransparent;
    int baseline = shape->y1 + kStudyTextAscent;
    for (const auto line : StudyTextLines(study.Text)) {
        if (baseline - kStudyTextAscent > frame.PlotBottom()) break;
        if (!line.empty()) canvas.Text(shape->x1, baseline, line, colour, background);
        baseline += kStudyLineHeight;
    }
    // Back to the pane's own clip.
    canvas.SetClip(0, 0, pane.width, pane.height);
}

void DrawStudies(PaneContext& pane, const std::vector<Study>& studies) {
    if (pane.canvas == nullptr || pane.definition == nullptr) return;
    const StudyFrame frame(pane);
    if (!frame.Usable()) return;
    for (const Study& s : studies)
        if (s.PaneId == pane.definition->id) DrawStudy(pane, frame, s);
    pane.canvas->SetPen(1, 1, PenStyle::Solid);
}

bool ShapeHit(const StudyShape& s, int a, int b) {
    if (s.text) return s.x1 < a && a <= s.x2 && s.y1 < b && b <= s.y2;
    if (s.x1 != s.x2) {
        const bool inRange = (s.x1 < a && a <= s.x2) || (s.x2 < a && a <= s.x1);
        if (!inRange) return false;
        const long long y = static_cast<long long>(s.y2 - s.y1) * (a - s.x1) / (s.x2 - s.x1) + s.y1;
        return std::llabs(b - y) < kHitTolerance;
    }
    return a == s.x1 && ((s.y1 < b && b <= s.y2) || (s.y2 < b && b <= s.y1));
}

int HitTestStudies(const PaneContext& pane, const std::vector<Study>& studies, int a, int b) {
    if (pane.definition == nullptr) return -1;
    const StudyFrame frame(pane);
    if (!frame.Usable()) return -1;
    for (std::size_t i = 0; i < studies.size(); ++i) {
        if (studies[i].PaneId != pane.definition->id) continue;
        const auto shape = StudyShapeIn(frame, studies[i]);
        if (shape && ShapeHit(*shape, a, b)) return static_cast<int>(i);
    }
    return -1;
}

// --- deleting ------------------------------------------------------------------------------

bool PaneHasStudies(const Stock& stock, std::int32_t paneId) {
    return std::any_of(stock.Studies.begin(), stock.Studies.end(),
                       [paneId](const Study& s) { return s.PaneId == paneId; });
}

void StudyHit::Remember(const Stock& stock, int index) {
    stock_ = &stock;
    count_ = stock.Studies.size();
    index_ = index >= 0 && static_cast<std::size_t>(index) < count_ ? index : -1;
}

bool StudyHit::RightClick(const PaneContext& pane, const Stock& stock, int a, int b) {
    Remember(stock, HitTestStudies(pane, stock.Studies, a, b));
    return index_ >= 0;
}

bool StudyHit::Valid(const Stock& stock) const {
    return index_ >= 0 && stock_ == &stock && stock.Studies.size() == count_ &&
           static_cast<std::size_t>(index_) < count_;
}

Study* StudyHit::Get(Stock& stock) const {
    return Valid(stock) ? &stock.Studies[static_cast<std::size_t>(index_)] : nullptr;
}

bool StudyHit::Delete(Database& db, Stock& stock) {
    if (!Valid(stock)) {
        Clear();
        return false;
    }
    stock.Studies.erase(stock.Studies.begin() + index_);
    db.MarkModified(stock);
    Clear();
    return true;
}

bool StudyHit::StoreProperties(Database& db, Stock& stock, const TrendLineProperties& p) const {
    Study* study = Get(stock);
    if (study == nullptr) return false;
    p.Store(*study);
    db.MarkModified(stock);
    return true;
}

bool StudyHit::StoreProperties(Database& db, Stock& stock, const TextBoxProperties& p,
                               const TextMeasure& measure) const {
    Study* study = Get(stock);
    if (study == nullptr) return false;
    p.Store(*study, measure);
    db.MarkModified(stock);
    return true;
}

int DeleteAllStudies(Database& db, Stock& stock, std::int32_t paneId) {
    const auto removed =
        std::erase_if(stock.Studies, [paneId](const Study& s) { return s.PaneId == paneId; });
    if (removed > 0) db.MarkModified(stock);
    return static_cast<int>(removed);
}

// --- property dialogs ----------------------------------------------------------------------

TrendLineProperties TrendLineProperties::Load(const Study& s) {
    TrendLineProperties p;
    p.startX = s.StartDate;
    p.endX = s.EndDate;
    p.startY = s.StartValue;
    p.endY = s.EndValue;
    p.colour = PaletteIndex(s.Colour);
    p.thick = (s.Style & kStyleThick) != 0;
    p.dotted = (s.Style & kStyleDotted) != 0;
    p.leftExtend = (s.Extend & kExtendLeft) != 0;
    p.rightExtend = (s.Extend & kExtendRight) != 0;
    return p;
}

void TrendLineProperties::Store(Study& s) const {
    s.StartDate = startX;
    s.EndDate = endX;
    s.StartValue = startY;
    s.EndValue = endY;
    s.Colour = StoredColour(colour);
    s.Style = static_cast<std::uint8_t>((s.Style & ~(kStyleThick | kStyleDotted)) |
                                        (thick ? kStyleThick : 0) | (dotted ? kStyleDotted : 0));
    s.Extend = static_cast<std::uint8_t>((s.Extend & ~(kExtendLeft | kExtendRight)) |
                                         (leftExtend ? kExtendLeft : 0) |
                                         (rightExtend ? kExtendRight : 0));
}

TextBoxProperties TextBoxProperties::Load(const Study& s) {
    TextBoxProperties p;
    p.startX = s.StartDate;
    p.startY = s.StartValue;
    p.text = s.Text;
    p.textColour = PaletteIndex(s.Colour);
    p.background = PaletteIndex(s.Background);
    p.transparent = (s.Style & kStyleOpaque) == 0;
    return p;
}

void TextBoxProperties::Store(Study& s, const TextMeasure& measure) const {
    s.StartDate = startX;
    s.StartValue = startY;
    s.Text = text;
    s.Colour = StoredColour(textColour);
    s.Background = StoredColour(background);
    s.Style = static_cast<std::uint8_t>(transparent ? (s.Style & ~kStyleOpaque)
                                                    : (s.Style | kStyleOpaque));
    const TextExtent e = measure ? measure(text) : TextExtent{};
    s.EndDate = static_cast<PackedDate>(std::max(0, e.width));
    s.EndValue = static_cast<float>(std::max(0, e.height));
}

}  // namespace velmora
