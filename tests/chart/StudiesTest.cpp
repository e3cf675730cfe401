#include <gtest/gtest.h>

#include <limits>
#include <random>

#include "chart/ChartTestSupport.h"
#include "chart/Studies.h"
#include "database/Periodicity.h"

namespace velmora {
namespace {

using test::MakeStock;
using test::PaneFixture;
using Kind = CanvasCall::Kind;

// A price pane 442 × 318 showing bars 100..199 of 200 over the range 50..250: the plot runs
// from x = 5 to 405 (4 pixels a bar) and y = 5 to 305 (1.5 pixels a unit, value 50 at 305).
struct StudyPane : ::testing::Test {
    PaneFixture f;
    Stock stock = MakeStock(200);
    Database db;

    void SetUp() override {
        f.settings.visibleBars = 100;
        f.pane.stock = &stock;
        f.pane.scrollPosition = 100;
        f.definition.scaleMin = 50;
        f.definition.scaleMax = 250;
    }
    PackedDate Day(int bar) const { return stock.Quotations[static_cast<std::size_t>(bar)].Date; }
    Study Line(std::uint8_t kind, int bar1, float v1, int bar2, float v2, std::uint8_t extend = 0) {
        Study s;
        s.PaneId = 1;
        s.Kind = kind;
        s.Extend = extend;
        s.Colour = kStoredColourBit | 5;
        s.StartDate = Day(bar1);
        s.StartValue = v1;
        s.EndDate = Day(bar2);
        s.EndValue = v2;
        return s;
    }
    std::vector<const CanvasCall*> Draw(const std::vector<Study>& studies) {
        f.canvas.Clear();
        DrawStudies(f.pane, studies);
        return f.canvas.CallsOf(Kind::Line);
    }
};

TEST_F(StudyPane, DragRulesSnapClampAndPlaceTheLines) {
    const StudyFrame frame(f.pane);
    EXPECT_EQ(frame.SnapBar(-50), 0);
    EXPECT_EQ(frame.SnapBar(6), 0);
    EXPECT_EQ(frame.SnapBar(8), 1);  // (3 × 100 + 200) / 400
    EXPECT_EQ(frame.SnapBar(404), 99);
    EXPECT_EQ(frame.SnapBar(1000), 99);
    EXPECT_EQ(frame.ClampY(-3), 5);
    EXPECT_EQ(frame.ClampY(900), 305);

    // A trend line: snapped to bars 110 and 120, values at the clamped y.
    auto trend = MakeStudiesFromDrag(f.pane, StudyTool::Trend, {46, 155}, {84, 400});
    ASSERT_EQ(trend.size(), 1u);
    EXPECT_EQ(trend[0].Kind, StudyKind::kTrend);
    EXPECT_EQ(trend[0].StartDate, Day(110));
    EXPECT_EQ(trend[0].EndDate, Day(120));
    EXPECT_FLOAT_EQ(trend[0].StartValue, 150);
    EXPECT_FLOAT_EQ(trend[0].EndValue, 50);
    EXPECT_EQ(trend[0].Colour, static_cast<std::int32_t>(kStoredColourBit | 7));  // Study colour
    EXPECT_EQ(trend[0].PaneId, 1);

    // Horizontal lines span the plot whatever the start x; vertical lines its height.
    for (int x : {0, 120, 390}) {
        auto h = MakeStudiesFromDrag(f.pane, StudyTool::Horizontal, {x, 155}, {x + 30, 20});
        ASSERT_EQ(h.size(), 1u);
        EXPECT_EQ(h[0].Kind, StudyKind::kHorizontal);
        EXPECT_FLOAT_EQ(h[0].EndValue, 150);
        const auto lines = Draw(h);
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0]->x1, 5);
        EXPECT_EQ(lines[0]->x2, 405);
        EXPECT_EQ(lines[0]->y1, 155);
        EXPECT_EQ(lines[0]->y2, 155);
    }
    auto v = MakeStudiesFromDrag(f.pane, StudyTool::Vertical, {46, 155}, {300, 200});
    ASSERT_EQ(v.size(), 1u);
    EXPECT_EQ(v[0].StartDate, Day(110));
    EXPECT_EQ(v[0].EndDate, Day(110));
    EXPECT_FLOAT_EQ(v[0].StartValue, 250);
    EXPECT_FLOAT_EQ(v[0].EndValue, 50);

    // Neither the pick tool nor a pane without quotations makes anything.
    EXPECT_TRUE(MakeStudiesFromDrag(f.pane, StudyTool::Pick, {46, 155}, {84, 100}).empty());
    Stock empty;
    f.pane.stock = &empty;
    EXPECT_TRUE(MakeStudiesFromDrag(f.pane, StudyTool::Trend, {46, 155}, {84, 100}).empty());
}

TEST_F(StudyPane, FibonacciRetracementLevels) {
    StudyAnchors a;
    a.paneId = 3;
    a.colour = 6;
    a.startDate = Day(150);  // the later date first: the levels still run from the earlier
    a.startValue = 100;
    a.endDate = Day(120);
    a.endValue = 200;
    const auto s = BuildStudies(StudyTool::FibRetracement, a, stock);
    ASSERT_EQ(s.size(), 8u);
    EXPECT_EQ(s[0].Kind, StudyKind::kRetracementBase);
    EXPECT_EQ(s[0].Style, kStyleDotted);
    const float values[] = {200, 176.4f, 161.8f, 150, 138.2f, 100, 38.2f};
    const char* texts[] = {"0.0%", "23.6%", "38.2%", "50.0%", "61.8%", "100.0%", "161.8%"};
    for (int i = 0; i < 7; ++i) {
        const Study& l = s[static_cast<std::size_t>(i + 1)];
        EXPECT_EQ(l.Kind, StudyKind::kRetracementLevel);
        EXPECT_FLOAT_EQ(l.StartValue, values[i]) << i;
        EXPECT_FLOAT_EQ(l.EndValue, values[i]) << i;
        EXPECT_EQ(l.Text, texts[i]);
        EXPECT_EQ(l.Style, (i == 0 || i == 5) ? 0 : kStyleDotted) << i;
        EXPECT_EQ(l.Extend, kExtendRight);
        EXPECT_EQ(l.StartDate, Day(120));
        EXPECT_EQ(l.EndDate, Day(150));
        EXPECT_EQ(l.PaneId, 3);
        EXPECT_EQ(l.Colour, s[0].Colour);
    }
    // Dragged along one bar: the base line is vertical and the levels still run to the right
    // edge of the plot.
    a.paneId = 1;
    a.startDate = a.endDate = Day(150);
    const auto lines = Draw(BuildStudies(StudyTool::FibRetracement, a, stock));
    ASSERT_EQ(lines.size(), 7u);  // 38.2 % below is off the plot: 100 - 0.618 x 100
    EXPECT_EQ(lines[0]->x1, lines[0]->x2);
    for (std::size_t i = 1; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i]->x1, 205);
        EXPECT_EQ(lines[i]->x2, 405);
        EXPECT_EQ(lines[i]->y1, lines[i]->y2);
    }
}

TEST_F(StudyPane, TimeZonesAtCumulativeStepsStopAtTheLastQuotation) {
    Stock small = MakeStock(40);
    StudyAnchors a;
    a.startDate = a.endDate = small.Quotations[5].Date;
    a.startValue = 250;
    a.endValue = 50;
    const auto s = BuildStudies(StudyTool::FibTimeZones, a, small);
    const int bars[] = {6, 8, 11, 16, 24, 37};  // 5 + 1, 3, 6, 11, 19, 32; 5 + 53 is past 39
    ASSERT_EQ(s.size(), 7u);
    EXPECT_EQ(s[0].Kind, StudyKind::kTimeZoneBase);
    EXPECT_EQ(s[0].Extend, kExtendLeft | kExtendRight);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(s[static_cast<std::size_t>(i + 1)].Kind, StudyKind::kTimeZone);
        EXPECT_EQ(s[static_cast<std::size_t>(i + 1)].StartDate,
                  small.Quotations[static_cast<std::size_t>(bars[i])].Date);
    }
    a.startDate = AddDays(small.Quotations.back().Date, 10);
    EXPECT_EQ(BuildStudies(StudyTool::FibTimeZones, a, small).size(), 1u);
}

TEST_F(StudyPane, DailyTrendLineShowsAtTheSameDatesWeekly) {
    // Bars 110 and 130 of the daily stock are Mondays (trading days run Monday to Friday).
    ASSERT_EQ(DayOfWeek(Day(110)), 0);
    const Study line = Line(StudyKind::kTrend, 110, 100, 130, 150);
    const auto weekly = CompressQuotations(stock, Periodicity::Weekly);
    f.pane.stock = weekly.get();
    f.pane.scrollPosition = 0;
    const auto lines = Draw({line});
    ASSERT_EQ(lines.size(), 1u);
    const StudyFrame frame(f.pane);
    EXPECT_EQ(frame.DateOfBar(frame.SnapBar(lines[0]->x1)), Day(110));
    EXPECT_EQ(frame.DateOfBar(frame.SnapBar(lines[0]->x2)), Day(130));
    EXPECT_EQ(lines[0]->y1, frame.Y(100));
    EXPECT_EQ(lines[0]->y2, frame.Y(150));
}

TEST_F(StudyPane, ExtensionClippingAndLinesOutsideThePlot) {
    // From (5, 230) to (45, 155), extended right: clipped where it leaves the top edge.
    auto lines = Draw({Line(StudyKind::kTrend, 100, 100, 110, 150, kExtendRight)});
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0]->x1, 5);
    EXPECT_EQ(lines[0]->y1, 230);
    EXPECT_EQ(lines[0]->x2, 125);
    EXPECT_EQ(lines[0]->y2, 5);
    // Extended left from bar 160 back to bar 150: the end with the smaller x (the second
    // anchor) moves to the plot's left edge.
    lines = Draw({Line(StudyKind::kTrend, 160, 100, 150, 100, kExtendLeft)});
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0]->x1, 245);
    EXPECT_EQ(lines[0]->x2, 5);
    // A line whose start lies before the scrolled-in bars is cut at the left edge.
    lines = Draw({Line(StudyKind::kTrend, 50, 100, 150, 200)});
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0]->x1, 5);
    EXPECT_EQ(lines[0]->y1, 155);
    // Horizontal lines above the range, vertical lines left of the shown bars, coincident
    // points and studies of other panes are not drawn.
    Study other = Line(StudyKind::kTrend, 120, 100, 130, 150);
    other.PaneId = 2;
    EXPECT_TRUE(Draw({Line(StudyKind::kHorizontal, 120, 300, 130, 300, 3),
                      Line(StudyKind::kVertical, 20, 100, 20, 200, 3),
                      Line(StudyKind::kTrend, 120, 100, 120, 100), other})
                    .empty());
    // A vertical line inside the bars spans the plot's height.
    lines = Draw({Line(StudyKind::kVertical, 120, 100, 120, 200, 3)});
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0]->y1, 305);
    EXPECT_EQ(lines[0]->y2, 5);
}

TEST_F(StudyPane, AnyStoredStudyDrawsInsideThePlot) {
    // Stored studies may hold any values: far-off, infinite or NaN values, dates before and
    // after the quotations, huge text boxes. Whatever is drawn stays on the plot (the thick
    // second pass one pixel beside it).
    std::mt19937 rng(7);
    const float special[] = {0.0f,
                             -1e30f,
                             1e30f,
                             std::numeric_limits<float>::infinity(),
                             std::numeric_limits<float>::quiet_NaN(),
                             149.9f,
                             250.0f,
                             50.0f};
    auto value = [&] {
        return rng() % 3 == 0 ? special[rng() % 8] : static_cast<float>(rng() % 400) - 50;
    };
    auto date = [&] {
        return rng() % 5 == 0 ? static_cast<PackedDate>(rng()) : Day(static_cast<int>(rng() % 200));
    };
    const std::uint8_t kinds[] = {0, 1, 2, 3, 4, 5, 6, 255, 17};
    std::vector<Study> studies;
    for (int i = 0; i < 3000; ++i) {
        Study st;
        st.PaneId = 1 + static_cast<int>(rng() % 2);
        st.Kind = kinds[rng() % 9];
        st.Extend = static_cast<std::uint8_t>(rng() % 4);
        st.Style = static_cast<std::uint8_t>(rng() % 8);
        st.Colour = static_cast<std::int32_t>(rng());
        st.Background = static_cast<std::int32_t>(rng());
        st.StartDate = date();
        st.StartValue = value();
        st.EndDate = st.Kind == 255 ? static_cast<PackedDate>(rng()) : date();
        st.EndValue = value();
        if (rng() % 4 == 0) st.Text = "a\r\nb";
        studies.push_back(st);
    }
    f.canvas.Clear();
    DrawStudies(f.pane, studies);
    const auto lines = f.canvas.CallsOf(Kind::Line);
    EXPECT_GT(lines.size(), 500u);
    for (const auto* l : lines) {
        for (const auto& [x, y] : {std::pair{l->x1, l->y1}, std::pair{l->x2, l->y2}}) {
            EXPECT_TRUE(x >= 5 && x <= 406 && y >= 4 && y <= 305) << x << "," << y;
        }
    }
    int hits = 0;
    for (int a = 0; a < 442; a += 13)
        for (int b = 0; b < 318; b += 11) {
            const int hit = HitTestStudies(f.pane, studies, a, b);
            if (hit < 0) continue;
            ++hits;
            EXPECT_EQ(studies[static_cast<std::size_t>(hit)].PaneId, 1);
        }
    EXPECT_GT(hits, 0);
}

TEST_F(StudyPane, ThickDottedAndTextDrawing) {
    Study flat = Line(StudyKind::kTrend, 110, 100, 150, 120);
    flat.Style = kStyleThick | kStyleDotted;
    Study steep = Line(StudyKind::kTrend, 110, 100, 112, 200);
    steep.Style = kStyleThick;
    auto lines = Draw({flat, steep});
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0]->penStyle, PenStyle::Dotted);
    EXPECT_EQ(lines[0]->penColour, 5);
    EXPECT_EQ(lines[1]->y1, lines[0]->y1 - 1);  // flatter than 45 degrees: one pixel up
    EXPECT_EQ(lines[1]->x1, lines[0]->x1);
    EXPECT_EQ(lines[2]->penStyle, PenStyle::Solid);
    EXPECT_EQ(lines[3]->x1, lines[2]->x1 + 1);  // steeper: one pixel right
    EXPECT_EQ(lines[3]->y1, lines[2]->y1);

    Study text = Line(StudyKind::kText, 110, 150, 110, 0);
    text.Text = "first\r\nsecond";
    text.EndDate = 20;
    text.EndValue = 10;
    text.Style = kStyleOpaque;
    text.Background = kStoredColourBit | 9;
    f.canvas.Clear();
    DrawStudies(f.pane, {text});
    const auto texts = f.canvas.CallsOf(Kind::Text);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0]->text, "first");
    EXPECT_EQ(texts[0]->x1, 45);
    EXPECT_EQ(texts[0]->y1, 155 + kStudyTextAscent);
    EXPECT_EQ(texts[1]->y1, 155 + kStudyTextAscent + kStudyLineHeight);
    EXPECT_EQ(texts[0]->colour, 5);
    EXPECT_EQ(texts[0]->background, 9);
    // The text is cut by the plot, not by its (here too small) box.
    const auto clip = f.canvas.CallsOf(Kind::Clip);
    ASSERT_EQ(clip.size(), 2u);  // the plot, then the pane again
    EXPECT_EQ(clip[0]->x1, 5);
    EXPECT_EQ(clip[0]->y1, 5);
    EXPECT_EQ(clip[0]->x2, 405);
    EXPECT_EQ(clip[0]->y2, 305);
    // A text whose first point is off the plot is not drawn at all.
    text.StartValue = 300;
    f.canvas.Clear();
    DrawStudies(f.pane, {text});
    EXPECT_TRUE(f.canvas.CallsOf(Kind::Text).empty());
}

TEST_F(StudyPane, TextToolStudyTakesTheEditBox) {
    // The box opens at the snapped click (bar 110, x = 45) from 2 above to 16 below it; the
    // study is anchored at the box's top-left and keeps the box's 60 x 18 pixels.
    const auto text = MakeTextStudyAt(f.pane, 46, 155, "a much longer label than sixty pixels");
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(text->Kind, StudyKind::kText);
    EXPECT_EQ(text->StartDate, Day(110));
    EXPECT_FLOAT_EQ(text->StartValue, 50 + (305 - 153) / 1.5f);
    EXPECT_EQ(text->EndDate, 60u);
    EXPECT_FLOAT_EQ(text->EndValue, 18);
    EXPECT_EQ(text->Colour, static_cast<std::int32_t>(kStoredColourBit | 7));
    EXPECT_EQ(HitTestStudies(f.pane, {*text}, 105, 171), 0);
    EXPECT_EQ(HitTestStudies(f.pane, {*text}, 106, 160), -1);
    EXPECT_FALSE(MakeTextStudyAt(f.pane, 46, 155, "").has_value());
}

TEST_F(StudyPane, HitTestTolerance) {
    Study text = Line(StudyKind::kText, 150, 200, 150, 0);
    text.EndDate = 40;
    text.EndValue = 20;
    text.Text = "x";
    const std::vector<Study> studies{Line(StudyKind::kHorizontal, 120, 150, 130, 150, 3),
                                     Line(StudyKind::kVertical, 140, 100, 140, 200, 3), text};
    EXPECT_EQ(HitTestStudies(f.pane, studies, 100, 158), 0);
    EXPECT_EQ(HitTestStudies(f.pane, studies, 100, 152), 0);
    EXPECT_EQ(HitTestStudies(f.pane, studies, 100, 159), -1);
    EXPECT_EQ(HitTestStudies(f.pane, studies, 100, 151), -1);
    EXPECT_EQ(HitTestStudies(f.pane, studies, 5, 155), -1);  // the left end is outside (x1, x2]
    EXPECT_EQ(HitTestStudies(f.pane, studies, 165, 200), 1);
    EXPECT_EQ(HitTestStudies(f.pane, studies, 166, 200), -1);
    EXPECT_EQ(HitTestStudies(f.pane, studies, 230, 90), 2);  // box (205, 80) .. (245, 100)
    EXPECT_EQ(HitTestStudies(f.pane, studies, 205, 90), -1);
    EXPECT_EQ(HitTestStudies(f.pane, studies, 245, 100), 2);
}

TEST_F(StudyPane, DeleteStudyAndDeleteAllOfOnePane) {
    Stock* s = db.AddStock("STUD");
    db.SetWorkspaceDirty(false);
    s->Modified = false;
    Study other = Line(StudyKind::kTrend, 120, 100, 130, 150);
    other.PaneId = 2;
    AddStudies(db, *s,
               {Line(StudyKind::kTrend, 120, 100, 130, 150), other,
                Line(StudyKind::kHorizontal, 120, 100, 130, 100, 3)});
    EXPECT_TRUE(s->Modified);
    EXPECT_TRUE(db.WorkspaceDirty());
    EXPECT_TRUE(PaneHasStudies(*s, 2));

    StudyHit hit;
    EXPECT_FALSE(hit.RightClick(f.pane, *s, 300, 100));
    ASSERT_TRUE(hit.RightClick(f.pane, *s, 300, 231));  // the horizontal line at y = 230
    EXPECT_EQ(hit.Index(), 2);
    // A study added since the right-click makes the remembered one stale.
    AddStudies(db, *s, {Line(StudyKind::kTrend, 150, 200, 160, 200)});
    s->Modified = false;
    EXPECT_FALSE(hit.Delete(db, *s));
    EXPECT_FALSE(s->Modified);
    ASSERT_EQ(s->Studies.size(), 4u);
    ASSERT_TRUE(hit.RightClick(f.pane, *s, 300, 231));
    EXPECT_TRUE(hit.Delete(db, *s));
    EXPECT_TRUE(s->Modified);
    EXPECT_EQ(hit.Index(), -1);
    ASSERT_EQ(s->Studies.size(), 3u);
    EXPECT_EQ(s->Studies[2].Kind, StudyKind::kTrend);

    EXPECT_EQ(DeleteAllStudies(db, *s, 1), 2);
    ASSERT_EQ(s->Studies.size(), 1u);
    EXPECT_EQ(s->Studies[0].PaneId, 2);
    EXPECT_FALSE(PaneHasStudies(*s, 1));
    s->Modified = false;
    EXPECT_EQ(DeleteAllStudies(db, *s, 1), 0);
    EXPECT_FALSE(s->Modified);
}

TEST_F(StudyPane, PropertyDialogsStoreTheirRules) {
    // Style bits the dialog does not show survive; colours get their top bit back.
    Study line = Line(StudyKind::kTrend, 120, 100, 130, 150, kExtendLeft);
    line.Style = kStyleOpaque;
    TrendLineProperties p = TrendLineProperties::Load(line);
    p.thick = p.rightExtend = true;
    p.leftExtend = false;
    p.Store(line);
    EXPECT_EQ(line.Style, kStyleOpaque | kStyleThick);
    EXPECT_EQ(line.Extend, kExtendRight);
    EXPECT_EQ(line.Colour, static_cast<std::int32_t>(kStoredColourBit | 5));

    // OK in the dialog stores into the right-clicked study and marks the stock for saving.
    Stock* stud = db.AddStock("STUD");
    AddStudies(db, *stud, {Line(StudyKind::kHorizontal, 120, 150, 130, 150, 3)});
    stud->Modified = false;
    db.SetWorkspaceDirty(false);
    StudyHit hit;
    ASSERT_TRUE(hit.RightClick(f.pane, *stud, 100, 155));
    TrendLineProperties edit = TrendLineProperties::Load(stud->Studies[0]);
    edit.endY = 200;
    EXPECT_TRUE(hit.StoreProperties(db, *stud, edit));
    EXPECT_FLOAT_EQ(stud->Studies[0].EndValue, 200);
    EXPECT_TRUE(stud->Modified);
    EXPECT_TRUE(db.WorkspaceDirty());
    hit.Clear();
    EXPECT_FALSE(hit.StoreProperties(db, *stud, edit));

    // "Transparent" is ticked exactly when style bit 2 is clear; the box is the text measured.
    Study text = Line(StudyKind::kText, 120, 100, 120, 0);
    TextBoxProperties t = TextBoxProperties::Load(text);
    EXPECT_TRUE(t.transparent);
    t.transparent = false;
    t.text = "new\r\ntext";
    t.background = 3;
    t.Store(text, [](std::string_view s) { return TextExtent{static_cast<int>(s.size()), 7}; });
    EXPECT_EQ(text.Style, kStyleOpaque);
    EXPECT_EQ(text.Background, static_cast<std::int32_t>(kStoredColourBit | 3));
    EXPECT_EQ(text.EndDate, 9u);
    EXPECT_FLOAT_EQ(text.EndValue, 7);
    RecordingCanvas canvas;  // 6 pixels a byte
    const TextExtent e = MeasureStudyText(canvas, "ab\r\nabcd\r\nc");
    EXPECT_EQ(e.width, 24);
    EXPECT_EQ(e.height, 3 * kStudyLineHeight);
}

TEST_F(StudyPane, DragFeedbackIsDrawnInXorAndRepeatsExactly) {
    StudyDrag drag;
    ASSERT_TRUE(drag.Begin(f.pane, StudyTool::FibTimeZones, 46, 200));
    drag.Move(300, 10);
    EXPECT_EQ(drag.End().x, drag.Start().x);
    EXPECT_EQ(drag.End().y, 305);
    drag.DrawFeedback(f.canvas);
    const auto first = f.canvas.CallsOf(Kind::Line);
    // The segment and the zones at bars 111, 113, 116, 121, 129, 142, 163 and 197.
    ASSERT_EQ(first.size(), 9u);
    EXPECT_EQ(first[0]->drawMode, DrawMode::Xor);
    EXPECT_EQ(first[8]->x1, 5 + 4 * 97);
    drag.DrawFeedback(f.canvas);
    const auto both = f.canvas.CallsOf(Kind::Line);
    ASSERT_EQ(both.size(), 18u);
    for (std::size_t i = 0; i < 9; ++i) EXPECT_EQ(both[i]->x1, both[i + 9]->x1);
    EXPECT_EQ(f.canvas.Calls().back().mode, DrawMode::Copy);

    f.canvas.Clear();
    ASSERT_TRUE(drag.Begin(f.pane, StudyTool::FibRetracement, 46, 155));
    drag.Move(84, 230);  // 150 down to 100: every level lies on the plot
    drag.DrawFeedback(f.canvas);
    EXPECT_EQ(f.canvas.CallsOf(Kind::Line).size(), 8u);
    drag.Cancel();
    EXPECT_TRUE(drag.Finish().empty());
    EXPECT_FALSE(drag.Begin(f.pane, StudyTool::Text, 46, 155));
}

}  // namespace
}  // namespace velmora
