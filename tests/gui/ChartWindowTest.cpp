#include <gtest/gtest.h>

#include <QCheckBox>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTimer>
#include <QToolTip>
#include <QWheelEvent>
#include <set>

#include "chart/ChartInteraction.h"
#include "chart/PricePainter.h"
#include "gui/ChartGuiSupport.h"
#include "gui/chart/ChartWindow.h"
#include "gui/dialogs/StudyPropertiesDialog.h"

namespace velmora {
namespace {

using gui::ChartWindow;

void Mouse(QWidget& w, QEvent::Type type, QPoint pos, Qt::MouseButton button = Qt::LeftButton) {
    const Qt::MouseButtons buttons = type == QEvent::MouseButtonRelease ? Qt::NoButton : button;
    QMouseEvent e(type, QPointF(pos), QPointF(w.mapToGlobal(pos)),
                  type == QEvent::MouseMove ? Qt::NoButton : button, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(&w, &e);
}

void Key(QWidget& w, int key) {
    QKeyEvent e(QEvent::KeyPress, key, Qt::NoModifier);
    QCoreApplication::sendEvent(&w, &e);
}

void Drag(QWidget& w, QPoint from, QPoint to) {
    Mouse(w, QEvent::MouseButtonPress, from);
    Mouse(w, QEvent::MouseMove, (from + to) / 2);
    Mouse(w, QEvent::MouseMove, to);
    Mouse(w, QEvent::MouseButtonRelease, to);
}

struct WindowFixture : test::GuiFixture {
    ChartWindow window{context};
    WindowFixture() { window.resize(640, 480); }

    // A point of pane `pane` at (x, y) of the pane.
    QPoint At(int pane, int x, int y) const {
        return {x, window.PaneRects()[static_cast<std::size_t>(pane)].top + y};
    }
    StudyFrame Frame(int pane) { return StudyFrame(window.PaneContextOf(pane)); }
};

std::set<QRgb> Colours(const QImage& image, int top, int height) {
    std::set<QRgb> colours;
    for (int y = top; y < top + height; y += 3)
        for (int x = 0; x < image.width(); x += 3) colours.insert(image.pixel(x, y));
    return colours;
}

TEST(ChartWindow, PaintsTheDefaultPanesAtTheSplittersHeights) {
    WindowFixture f;
    EXPECT_TRUE(f.window.windowTitle().startsWith("TEST"));
    ChartWindowModel& model = f.window.Model();
    ASSERT_EQ(model.PaneCount(), 3);
    EXPECT_EQ(model.Pane(0).chartId, kPriceChartId);
    EXPECT_EQ(model.Pane(1).chartId, 2);
    EXPECT_EQ(model.Pane(2).chartId, 3);

    const QImage picture = f.window.Picture();
    ASSERT_EQ(picture.size(), f.window.ChartRect().size());
    const auto rects = f.window.PaneRects();
    ASSERT_EQ(rects.size(), 3u);
    // Arranged: the price pane gets three units, the others one.
    EXPECT_GT(rects[0].height, 2 * rects[1].height);
    // Each pane has its scroll bar right below it.
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(
            f.window.ScrollBar(i)->geometry().top(),
            rects[static_cast<std::size_t>(i)].top + rects[static_cast<std::size_t>(i)].height);
    EXPECT_EQ(f.window.ScrollBar(2)->geometry().bottom() + 1, f.window.ChartRect().height());
    for (std::size_t i = 0; i < rects.size(); ++i) {
        EXPECT_GT(Colours(picture, rects[i].top, rects[i].height).size(), 3u) << "pane " << i;
        if (i + 1 < rects.size()) {
            const int barY = rects[i + 1].top - 3;
            EXPECT_EQ(Colours(picture, barY, 1), std::set<QRgb>{0xFF000000u | kSplitterBarColour});
        }
    }

    // Dragging the first splitter bar down by 40 pixels moves the second pane's top with it.
    const int barY = rects[1].top - 3;
    Drag(f.window, {100, barY}, {100, barY + 40});
    const auto after = f.window.PaneRects();
    EXPECT_NEAR(after[1].top, rects[1].top + 40, 4);
    EXPECT_TRUE(f.stock->Studies.empty());
    EXPECT_EQ(f.window.Settings().selectedBar, -1);
}

TEST(ChartWindow, FollowsTheCurrentStock) {
    WindowFixture f;
    const QImage first = f.window.Picture().copy();
    EXPECT_EQ(f.window.ScrollBar()->maximum(), 300 - f.window.Settings().visibleBars);
    Stock* other = f.db.AddStock("OTHER");
    for (int i = 0; i < 20; ++i) {
        Quotation q;
        q.Date = AddDays(MakeDate(2006, 1, 2), i);
        q.Close = q.Open = q.High = q.Low = static_cast<float>(50 + i);
        other->Quotations.push_back(q);
    }
    f.context.MakeCurrent(other, 0);
    EXPECT_TRUE(f.window.windowTitle().startsWith("OTHER"));
    EXPECT_EQ(f.window.ShownStock(), other);
    EXPECT_EQ(f.window.ScrollBar()->maximum(), 0);
    EXPECT_NE(f.window.Picture(), first);
}

TEST(ChartWindow, AWindowInTheBackgroundWhoseStockIsDeletedShowsTheCurrentStock) {
    WindowFixture f;
    Stock* other = f.db.AddStock("OTHER");
    other->Quotations = test::MakeStock(40, true, "OTHER").Quotations;
    ChartWindow second{f.context};
    f.context.MakeCurrent(other, 0);
    ASSERT_EQ(f.window.OwnStock(), f.stock);
    f.context.SetActiveChart(&f.window);
    ASSERT_EQ(f.context.CurrentStock(), f.stock);
    ASSERT_EQ(second.OwnStock(), other);
    EXPECT_TRUE(f.context.Maintenance().DeleteStock(*other));
    EXPECT_EQ(second.OwnStock(), f.stock);
    EXPECT_TRUE(second.windowTitle().startsWith("TEST"));
}

void Wheel(QWidget& w, QPoint pos, int delta, Qt::KeyboardModifiers mods) {
    QWheelEvent e(QPointF(pos), QPointF(w.mapToGlobal(pos)), QPoint(), QPoint(0, delta),
                  Qt::NoButton, mods, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(&w, &e);
}

TEST(ChartWindow, EachPaneScrollsByItsOwnBarAndKeysMoveEveryPane) {
    WindowFixture f;
    ChartWindowModel& model = f.window.Model();
    const int latest = model.Pane(0).scroll.position;
    f.window.ScrollBar(1)->setValue(latest - 20);
    EXPECT_EQ(model.Pane(1).scroll.position, latest - 20);
    EXPECT_EQ(model.Pane(0).scroll.position, latest);
    // Home lines every pane up at the first bar, Page Down moves them on by the visible bars.
    f.window.ZoomIn();  // 79 bars
    Key(f.window, Qt::Key_Home);
    Key(f.window, Qt::Key_PageDown);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(model.Pane(i).scroll.position, f.window.Settings().visibleBars);
    // The marker at the left edge: Left scrolls one bar and keeps the marker at the edge.
    f.window.Settings().selectedBar = 0;
    f.window.Settings().markerShown = true;
    Key(f.window, Qt::Key_Left);
    EXPECT_EQ(model.Pane(2).scroll.position, f.window.Settings().visibleBars - 1);
    EXPECT_EQ(f.window.Settings().selectedBar, 0);
}

TEST(ChartWindow, CtrlWheelZoomsEveryWindowAroundTheBarUnderTheMouse) {
    WindowFixture f;
    ChartWindow other{f.context};
    other.resize(640, 480);
    const int before = f.window.Settings().visibleBars;
    const QPoint at = f.At(0, 200, 100);
    const auto barAt = [&f, at] {
        PaneContext ctx = f.window.PaneContextOf(0);
        const SeriesPlot plot = FramePricePlot(ctx);
        return plot.scroll +
               ClickToBar(at.x(), ctx.left, PlotGeometry(ctx, plot).plotWidth, plot.visible);
    };
    const int bar = barAt();
    Wheel(f.window, at, 120, Qt::ControlModifier);
    EXPECT_EQ(f.window.Settings().visibleBars, before / 2);
    EXPECT_NEAR(barAt(), bar, 1);
    // The other window shows as many bars, from its latest ones.
    EXPECT_EQ(other.ScrollBar(0)->pageStep(), before / 2);
    EXPECT_EQ(other.ScrollBar(0)->value(), other.ScrollBar(0)->maximum());
    // The wheel alone scrolls three bars a step.
    const int position = f.window.Model().Pane(0).scroll.position;
    Wheel(f.window, at, 120, Qt::NoModifier);
    EXPECT_EQ(f.window.Model().Pane(0).scroll.position, position - 3);
}

TEST(ChartWindow, ThePickToolDragsAStudysEndPointAndDeleteRemovesIt) {
    WindowFixture f;
    f.window.SetTool(static_cast<int>(StudyTool::Trend));
    Drag(f.window, f.At(0, 120, 80), f.At(0, 300, 150));
    ASSERT_EQ(f.stock->Studies.size(), 1u);
    f.stock->Modified = false;
    f.db.SetWorkspaceDirty(false);
    const Study drawn = f.stock->Studies[0];
    f.window.SetTool(static_cast<int>(StudyTool::Pick));
    const StudyFrame frame = f.Frame(0);
    const QPoint end = f.At(0, frame.X(frame.BarOfDate(drawn.EndDate)), frame.Y(drawn.EndValue));

    // The end point follows the mouse; the start stays, and the stock is marked changed.
    Drag(f.window, end + QPoint(2, -2), f.At(0, 400, 60));
    const Study& moved = f.stock->Studies[0];
    EXPECT_EQ(moved.StartDate, drawn.StartDate);
    EXPECT_EQ(moved.StartValue, drawn.StartValue);
    EXPECT_EQ(moved.EndDate, frame.DateOfBar(frame.BarAt(400)));
    EXPECT_NEAR(moved.EndValue, frame.ValueAt(60), 1e-3);
    EXPECT_TRUE(f.stock->Modified);
    EXPECT_TRUE(f.db.WorkspaceDirty());
    ASSERT_NE(f.window.PickedStudy(), nullptr);

    // Escape while dragging the whole line puts it back.
    const QPoint middle =
        f.At(0, (120 + 400) / 2, frame.Y((moved.StartValue + moved.EndValue) / 2));
    Mouse(f.window, QEvent::MouseButtonPress, middle);
    Mouse(f.window, QEvent::MouseMove, middle + QPoint(30, 30));
    EXPECT_NE(f.stock->Studies[0].StartDate, drawn.StartDate);
    Key(f.window, Qt::Key_Escape);
    Mouse(f.window, QEvent::MouseButtonRelease, middle + QPoint(30, 30));
    EXPECT_EQ(f.stock->Studies[0].StartDate, drawn.StartDate);

    Key(f.window, Qt::Key_Delete);
    EXPECT_TRUE(f.stock->Studies.empty());
}

TEST(ChartWindow, TheCrosshairReadsTheDateOfTheBarAClickSelectsAndItsValue) {
    WindowFixture f;
    const QPoint point = f.At(0, 300, 100);
    Mouse(f.window, QEvent::MouseMove, point);
    EXPECT_FALSE(f.window.CrossPosition().has_value());  // off until View > Crosshair

    f.context.SetCrosshair(true);
    Mouse(f.window, QEvent::MouseMove, point);
    ASSERT_EQ(f.window.CrossPosition(), std::optional<QPoint>(point));
    const std::string text = f.window.CrossText().toStdString();
    ASSERT_FALSE(f.ui.statusTexts.empty());
    EXPECT_EQ(f.ui.statusTexts.back(), text);
    Mouse(f.window, QEvent::MouseButtonPress, point);
    Mouse(f.window, QEvent::MouseButtonRelease, point);
    const int bar = f.window.ScrollBar(0)->value() + f.window.Settings().selectedBar;
    const std::string date = DateToText(f.stock->Quotations[static_cast<std::size_t>(bar)].Date);
    EXPECT_EQ(text.rfind("Date: " + date + "    Value: ", 0), 0u) << text;

    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(&f.window, &leave);
    EXPECT_FALSE(f.window.CrossPosition().has_value());
}

TEST(ChartWindow, TrendToolDragMakesOneStudyAndEscapeCancels) {
    WindowFixture f;
    f.window.SetTool(static_cast<int>(StudyTool::Trend));
    const QImage before = f.window.Picture().copy();

    // Escape during the drag: no study, and the rubber band is gone from the picture.
    Mouse(f.window, QEvent::MouseButtonPress, f.At(0, 120, 80));
    Mouse(f.window, QEvent::MouseMove, f.At(0, 300, 150));
    EXPECT_NE(f.window.Picture(), before);
    Key(f.window, Qt::Key_Escape);
    Mouse(f.window, QEvent::MouseButtonRelease, f.At(0, 300, 150));
    EXPECT_TRUE(f.stock->Studies.empty());
    EXPECT_EQ(f.window.Picture(), before);

    Drag(f.window, f.At(0, 120, 80), f.At(0, 300, 150));
    ASSERT_EQ(f.stock->Studies.size(), 1u);
    const Study& s = f.stock->Studies[0];
    const StudyFrame frame = f.Frame(0);
    EXPECT_EQ(s.PaneId, kPriceChartId);
    EXPECT_EQ(s.Kind, StudyKind::kTrend);
    EXPECT_EQ(s.StartDate, frame.DateOfBar(frame.BarAt(120)));
    EXPECT_EQ(s.EndDate, frame.DateOfBar(frame.BarAt(300)));
    EXPECT_NEAR(s.StartValue, frame.ValueAt(80), 1e-3);
    EXPECT_NEAR(s.EndValue, frame.ValueAt(150), 1e-3);
    EXPECT_TRUE(f.stock->Modified);
    EXPECT_TRUE(f.db.WorkspaceDirty());
    EXPECT_NE(f.window.Picture(), before);
}

TEST(ChartWindow, RightClickedStudyIsDeletedAndDeleteAllKeepsOtherPanes) {
    WindowFixture f;
    f.window.SetTool(static_cast<int>(StudyTool::Horizontal));
    Drag(f.window, f.At(0, 200, 100), f.At(0, 250, 100));
    Drag(f.window, f.At(0, 200, 140), f.At(0, 250, 140));
    Drag(f.window, f.At(1, 200, 30), f.At(1, 250, 30));
    ASSERT_EQ(f.stock->Studies.size(), 3u);

    const auto deleteEnabled = [&f] {
        for (const MenuItem& item : f.window.PaneMenu(false))
            if (item.command == ChartCommand::kDeleteStudy) return item.enabled;
        return false;
    };
    // Away from every line: nothing to delete.
    EXPECT_FALSE(f.window.RightClick(f.At(0, 300, 60)));
    EXPECT_FALSE(deleteEnabled());
    EXPECT_FALSE(f.window.RunCommand(ChartCommand::kDeleteStudy));

    // A horizontal line spans the plot: hit far right of where it was drawn, within 3 pixels.
    ASSERT_TRUE(f.window.RightClick(f.At(0, 500, 142)));
    EXPECT_TRUE(deleteEnabled());
    ASSERT_TRUE(f.window.RunCommand(ChartCommand::kDeleteStudy));
    ASSERT_EQ(f.stock->Studies.size(), 2u);
    EXPECT_NEAR(f.stock->Studies[0].StartValue, f.Frame(0).ValueAt(100), 1e-3);
    EXPECT_FALSE(deleteEnabled());

    // Delete All asks first: No keeps them; Yes in the price pane leaves the MACD pane's study.
    f.window.RightClick(f.At(0, 300, 60));
    f.ui.answer = false;
    EXPECT_FALSE(f.window.RunCommand(ChartCommand::kDeleteAllStudies));
    EXPECT_EQ(f.stock->Studies.size(), 2u);
    EXPECT_EQ(f.ui.questions, std::vector<std::string>{"Delete all studies in this pane?"});
    f.ui.answer = true;
    EXPECT_TRUE(f.window.RunCommand(ChartCommand::kDeleteAllStudies));
    ASSERT_EQ(f.stock->Studies.size(), 1u);
    EXPECT_EQ(f.stock->Studies[0].PaneId, 2);
}

// Runs `edit` on the modal dialog the command opens, then presses OK.
template <typename Dialog, typename Edit>
bool RunWithDialog(ChartWindow& window, int command, Edit edit) {
    bool seen = false;
    QTimer::singleShot(0, [&] {
        if (auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget())) {
            seen = true;
            edit(*dialog);
            dialog->accept();
        }
    });
    return window.RunCommand(command) && seen;
}

TEST(ChartWindow, PropertiesAreStoredIntoTheRightClickedStudy) {
    WindowFixture f;
    f.window.SetTool(static_cast<int>(StudyTool::Trend));
    Drag(f.window, f.At(0, 120, 80), f.At(0, 300, 150));
    ASSERT_EQ(f.stock->Studies.size(), 1u);
    f.stock->Modified = false;
    const QImage before = f.window.Picture().copy();

    ASSERT_TRUE(f.window.RightClick(f.At(0, 210, 115)));
    EXPECT_TRUE(RunWithDialog<gui::TrendLinePropertiesDialog>(
        f.window, ChartCommand::kProperties, [](gui::TrendLinePropertiesDialog& d) {
            for (QCheckBox* box : d.findChildren<QCheckBox*>())
                if (box->text() == "Thick line") box->setChecked(true);
        }));
    EXPECT_TRUE(f.stock->Studies[0].Style & kStyleThick);
    EXPECT_TRUE(f.stock->Modified);
    EXPECT_NE(f.window.Picture(), before);

    // A text study opens the text box dialog; its text is measured into the box size.
    f.window.SetTool(static_cast<int>(StudyTool::Text));
    Mouse(f.window, QEvent::MouseButtonPress, f.At(0, 400, 200));
    f.window.TextBox()->setText("x");
    Mouse(f.window, QEvent::MouseButtonPress, f.At(0, 100, 250));
    ASSERT_EQ(f.stock->Studies.size(), 2u);
    ASSERT_TRUE(f.window.RightClick(f.At(0, 410, 205)));
    EXPECT_TRUE(RunWithDialog<gui::TextBoxPropertiesDialog>(
        f.window, ChartCommand::kProperties, [](gui::TextBoxPropertiesDialog& d) {
            d.findChild<QPlainTextEdit*>()->setPlainText("one\ntwo");
        }));
    EXPECT_EQ(f.stock->Studies[1].Text, "one\r\ntwo");
    EXPECT_EQ(f.stock->Studies[1].EndValue, 2 * kStudyLineHeight);
}

TEST(ChartWindow, PaneCommandsInsertReplaceAndClose) {
    WindowFixture f;
    ChartWindowModel& model = f.window.Model();
    ASSERT_TRUE(f.window.RunCommand(ChartCommand::kInsertBase + 6));
    ASSERT_EQ(model.PaneCount(), 4);
    EXPECT_EQ(model.Pane(3).chartId, 6);
    // Every pane follows the window's scroll bar.
    EXPECT_EQ(model.Pane(3).scroll.position, f.window.ScrollBar()->value());

    f.window.RightClick(f.At(1, 100, 20));
    ASSERT_TRUE(f.window.RunCommand(ChartCommand::kReplaceBase + 11));
    EXPECT_EQ(model.Pane(1).chartId, 11);

    const auto closeItem = [&f] {
        for (const MenuItem& item : f.window.PaneMenu(false))
            if (item.command == ChartCommand::kClosePane) return item;
        return MenuItem{};
    };
    EXPECT_TRUE(closeItem().enabled);
    while (model.PaneCount() > 1) ASSERT_TRUE(f.window.RunCommand(ChartCommand::kClosePane));
    EXPECT_EQ(closeItem().command, ChartCommand::kClosePane);
    EXPECT_FALSE(closeItem().enabled);
    EXPECT_FALSE(f.window.RunCommand(ChartCommand::kClosePane));
    EXPECT_EQ(model.PaneCount(), 1);

    // The plain list replaces; the Chart menu's Insert submenu lists every definition.
    const auto plain = f.window.PaneMenu(true);
    ASSERT_FALSE(plain.empty());
    EXPECT_EQ(plain.front().command, ChartCommand::kReplaceBase + 1);
    const auto chart = f.window.PaneMenu(false);
    ASSERT_FALSE(chart.empty());
    EXPECT_EQ(chart.front().submenu.front().command, ChartCommand::kInsertBase + 1);
}

TEST(ChartWindow, PickClickSelectsTheBarAndArrowKeysMoveIt) {
    WindowFixture f;
    const int visibleBars = f.window.Settings().visibleBars;
    Mouse(f.window, QEvent::MouseButtonPress, f.At(0, 200, 100));
    Mouse(f.window, QEvent::MouseButtonRelease, f.At(0, 200, 100));
    const PaneContext ctx = f.window.PaneContextOf(0);
    const SeriesPlot plot = FramePricePlot(ctx);
    const int expected = ClickToBar(200, 0, PlotGeometry(ctx, plot).plotWidth, plot.visible);
    ASSERT_GE(expected, 0);
    EXPECT_EQ(f.window.Settings().selectedBar, expected);
    EXPECT_TRUE(f.window.Settings().markerShown);
    const auto& q = f.stock->Quotations;
    ASSERT_TRUE(f.context.Maintenance().PickedDate().has_value());
    EXPECT_EQ(*f.context.Maintenance().PickedDate(),
              DateToText(q[static_cast<std::size_t>(plot.scroll + expected)].Date));
    // The commentary runs on the selected bar of the stock.
    EXPECT_EQ(f.window.CommentaryInput().selectedBar, plot.scroll + expected);

    Key(f.window, Qt::Key_Left);
    EXPECT_EQ(f.window.Settings().selectedBar, expected - 1);
    Key(f.window, Qt::Key_Right);
    Key(f.window, Qt::Key_Right);
    EXPECT_EQ(f.window.Settings().selectedBar, expected + 1);

    // Zooming in shows the latest bars and drops the selection.
    f.window.ZoomIn();
    EXPECT_EQ(f.window.Settings().visibleBars, visibleBars / 2);
    EXPECT_EQ(f.window.Settings().selectedBar, -1);
    EXPECT_EQ(f.window.ScrollBar()->value(), static_cast<int>(q.size()) - visibleBars / 2);
    EXPECT_EQ(f.window.ScrollBar()->maximum(), f.window.ScrollBar()->value());
}

TEST(ChartWindow, TooltipNamesTheBarAndValueUnderTheMouse) {
    WindowFixture f;
    const QPoint pos = f.At(0, 250, 120);
    QHelpEvent help(QEvent::ToolTip, pos, f.window.mapToGlobal(pos));
    QCoreApplication::sendEvent(&f.window, &help);
    const StudyFrame frame = f.Frame(0);
    const QString text = QToolTip::text();
    EXPECT_TRUE(text.startsWith(QString::fromStdString(
        "Date: " + DateToText(frame.DateOfBar(frame.BarAt(250))) + "\nValue: ")))
        << text.toStdString();
    EXPECT_TRUE(text.contains("\nClose: "));
    EXPECT_FALSE(text.contains('\r'));

    // In a lower pane the value is read at the pane's own y.
    const QPoint lower = f.At(2, 250, 40);
    QHelpEvent rsi(QEvent::ToolTip, lower, f.window.mapToGlobal(lower));
    QCoreApplication::sendEvent(&f.window, &rsi);
    const double value = f.Frame(2).ValueAt(40);
    EXPECT_TRUE(QToolTip::text().endsWith(QString::asprintf("Value: %.3f", value)))
        << QToolTip::text().toStdString();
}

TEST(ChartWindow, TextToolTakesTheBoxTextOnTheSecondClick) {
    WindowFixture f;
    f.window.SetTool(static_cast<int>(StudyTool::Text));
    Mouse(f.window, QEvent::MouseButtonPress, f.At(0, 150, 100));
    ASSERT_NE(f.window.TextBox(), nullptr);
    EXPECT_EQ(f.window.TextBox()->width(), kTextBoxWidth);
    // An empty box makes no study.
    Mouse(f.window, QEvent::MouseButtonPress, f.At(0, 400, 100));
    EXPECT_EQ(f.window.TextBox(), nullptr);
    EXPECT_TRUE(f.stock->Studies.empty());

    Mouse(f.window, QEvent::MouseButtonPress, f.At(0, 150, 100));
    ASSERT_NE(f.window.TextBox(), nullptr);
    f.window.TextBox()->setText("Breakout");
    Mouse(f.window, QEvent::MouseButtonPress, f.At(0, 400, 100));
    EXPECT_EQ(f.window.TextBox(), nullptr);
    ASSERT_EQ(f.stock->Studies.size(), 1u);
    EXPECT_EQ(f.stock->Studies[0].Kind, StudyKind::kText);
    EXPECT_EQ(f.stock->Studies[0].Text, "Breakout");
    const StudyFrame frame = f.Frame(0);
    EXPECT_EQ(f.stock->Studies[0].StartDate, frame.DateOfBar(frame.BarAt(150)));

    // Enter in the box takes the text too; scrolling closes an open box without a study.
    Mouse(f.window, QEvent::MouseButtonPress, f.At(0, 300, 60));
    f.window.TextBox()->setText("Top");
    Key(*f.window.TextBox(), Qt::Key_Return);
    EXPECT_EQ(f.window.TextBox(), nullptr);
    ASSERT_EQ(f.stock->Studies.size(), 2u);
    EXPECT_EQ(f.stock->Studies[1].Text, "Top");
    Mouse(f.window, QEvent::MouseButtonPress, f.At(0, 300, 60));
    f.window.TextBox()->setText("Gone");
    f.window.ScrollBar()->setValue(f.window.ScrollBar()->value() - 5);
    EXPECT_EQ(f.window.TextBox(), nullptr);
    EXPECT_EQ(f.stock->Studies.size(), 2u);
}

TEST(ChartWindow, FormulaHintGivesTradeArrowsToWindowsOfItsPeriodicity) {
    WindowFixture f;
    ChartWindow weekly(f.context);
    weekly.SetPeriodicity(1);
    EXPECT_EQ(weekly.ShownStock()->Quotations.size(), 60u);  // 300 trading days

    const std::vector<float> buy(300, 1.0f), sell(300, 0.0f);
    HintData data;
    data.buy = buy.data();
    data.sell = sell.data();
    data.runBars = 300;
    f.context.SendFormulaHint(data, Periodicity::Daily);
    EXPECT_EQ(f.window.Model().Pane(0).arrows.buy.size(), 300u);
    EXPECT_TRUE(f.window.Model().Pane(1).arrows.Empty());
    EXPECT_TRUE(weekly.Model().Pane(0).arrows.Empty());
    // A periodicity change drops them.
    f.window.SetPeriodicity(2);
    EXPECT_TRUE(f.window.Model().Pane(0).arrows.Empty());
}

}  // namespace
}  // namespace velmora
