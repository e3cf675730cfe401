#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDateEdit>
#include <QDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QTreeWidget>

#include "chart/SeriesPlot.h"
#include "gui/ChartGuiSupport.h"
#include "gui/DialogCaptions.h"
#include "gui/FormFields.h"
#include "gui/chart/ChartWindow.h"
#include "gui/dialogs/CommentaryWindow.h"
#include "gui/dialogs/CustomizeToolsDialog.h"
#include "gui/dialogs/IndicatorBuilderDialog.h"
#include "gui/dialogs/StudyPropertiesDialog.h"

namespace velmora {
namespace {

TEST(DateFields, ADateTypedWholeIsTheDateTyped) {
    test::EnsureWidgetsApplication();
    QWidget window;
    QDateEdit* edit = gui::MakeDateEdit(QDate(2026, 12, 10), &window);
    window.show();
    window.activateWindow();
    edit->setFocus();
    for (int i = 0; i < 100 && !edit->hasFocus(); ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    ASSERT_NE(QApplication::focusWidget(), nullptr);
    // The first section is selected, as when the field takes the focus.
    for (const QChar c : QStringLiteral("19-04-16")) {
        const int key = c.isDigit() ? Qt::Key_0 + c.digitValue() : Qt::Key_Minus;
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(c));
        QCoreApplication::sendEvent(QApplication::focusWidget(), &press);
    }
    EXPECT_EQ(edit->date(), QDate(2019, 4, 16)) << edit->text().toStdString();
}

TEST(DialogCaptionWidth, ADialogIsWidenedToShowItsCaption) {
    test::EnsureWidgetsApplication();
    gui::DialogCaptionWidth widen;
    qApp->installEventFilter(&widen);
    QDialog dialog;
    dialog.setWindowTitle(QStringLiteral("Composites recalculation tool"));
    dialog.resize(60, 40);
    dialog.show();
    QFont bold = QApplication::font();
    bold.setBold(true);
    EXPECT_GT(dialog.width(), QFontMetrics(bold).horizontalAdvance(dialog.windowTitle()));
    EXPECT_EQ(dialog.height(), 40);
    qApp->removeEventFilter(&widen);
}

TEST(IndicatorBuilderDialog, ApplyAndChangingRowsStoreTheFields) {
    test::GuiFixture f;
    int refreshes = 0;
    gui::IndicatorBuilderDialog dialog(f.charts, f.settings, [&] { ++refreshes; });
    ASSERT_EQ(dialog.List()->topLevelItemCount(), kCustomChartCount);
    EXPECT_EQ(dialog.List()->headerItem()->text(0), "Indicator name");
    EXPECT_EQ(dialog.List()->currentItem()->text(0), "Custom 0");
    // Custom rows start with custom scaling: Min and Max are editable.
    EXPECT_TRUE(dialog.CustomButton()->isChecked());
    EXPECT_TRUE(dialog.MinEdit()->isEnabled());

    dialog.FormulaEdit()->setPlainText("a := close;\ngraph0 = a;");
    dialog.MinEdit()->setText("0");
    dialog.MaxEdit()->setText("100");
    dialog.GridBox(1)->setChecked(true);  // "Limits"
    dialog.GridBox(2)->setChecked(true);  // "50"
    dialog.Apply();
    EXPECT_EQ(refreshes, 1);
    const ChartDefinition* custom0 = f.charts.FindById(kFirstCustomChartId);
    ASSERT_TRUE(custom0->formula.has_value());
    EXPECT_EQ(*custom0->formula, "a := close;\r\ngraph0 = a;");
    EXPECT_EQ(custom0->scaleMax, 100.0f);
    EXPECT_EQ(custom0->gridFlags, GridFlags::kLimitMin | GridFlags::kLimitMax | GridFlags::k50);
    EXPECT_FALSE(custom0->AutomaticScaling());

    // Leaving a row stores it; the next row's fields are shown.
    dialog.AutomaticButton()->setChecked(true);
    EXPECT_FALSE(dialog.MinEdit()->isEnabled());
    dialog.GridBox(1)->setChecked(false);
    dialog.List()->setCurrentItem(dialog.List()->topLevelItem(1));
    EXPECT_TRUE(custom0->AutomaticScaling());
    EXPECT_EQ(custom0->gridFlags, GridFlags::k50);
    EXPECT_TRUE(dialog.FormulaEdit()->toPlainText().isEmpty());
    EXPECT_FALSE(dialog.GridBox(2)->isChecked());
    EXPECT_EQ(refreshes, 1);

    // Renaming an item renames its definition, cut to the name's 39 bytes.
    dialog.List()->topLevelItem(1)->setText(0, QString(50, QLatin1Char('x')));
    EXPECT_EQ(f.charts.FindById(kFirstCustomChartId + 1)->name, std::string(39, 'x'));
    EXPECT_EQ(dialog.List()->topLevelItem(1)->text(0).size(), 39);

    // Load formula: the file's text is shown; an unreadable file leaves the fields alone.
    const auto file = f.dir / "f.qrx";
    test::WriteText(file, "graph0 = rsi(14);\n");
    EXPECT_TRUE(dialog.LoadFormulaFrom(file));
    EXPECT_EQ(dialog.FormulaEdit()->toPlainText(), "graph0 = rsi(14);\n");
    EXPECT_FALSE(dialog.LoadFormulaFrom(f.dir / "missing.qrx"));
    EXPECT_EQ(dialog.FormulaEdit()->toPlainText(), "graph0 = rsi(14);\n");
}

TEST(IndicatorBuilderDialog, ApplyRepaintsTheCustomPaneOfAChartWindow) {
    test::GuiFixture f;
    gui::ChartWindow chart(f.context);
    chart.resize(640, 480);
    ASSERT_TRUE(chart.RunCommand(ChartCommand::kInsertBase + kFirstCustomChartId));
    const int pane = chart.Model().PaneCount() - 1;
    const auto rect = chart.PaneRects()[static_cast<std::size_t>(pane)];
    const auto paneImage = [&] { return chart.Picture().copy(0, rect.top, 640, rect.height); };
    const QImage empty = paneImage();

    gui::IndicatorBuilderDialog dialog(f.charts, f.settings, [&] { f.context.RefreshCharts(0); });
    dialog.FormulaEdit()->setPlainText("graph0 = close;");
    dialog.AutomaticButton()->setChecked(true);
    dialog.Apply();
    const QImage drawn = paneImage();
    EXPECT_NE(drawn, empty);
    EXPECT_TRUE(f.errors.reports.empty());

    // A formula error is reported once per paint and leaves the pane without its graph.
    dialog.FormulaEdit()->setPlainText("graph0 = close +;");
    dialog.Apply();
    EXPECT_NE(paneImage(), drawn);
    EXPECT_EQ(f.errors.reports.size(), 1u);
    EXPECT_FALSE(f.engine.InRun());
}

TEST(CommentaryWindow, RunsOnTheActiveChartAndShowsTwoLines) {
    test::GuiFixture f;
    gui::ChartWindow chart(f.context);
    gui::CommentaryWindow window(f.context);
    EXPECT_EQ(window.Tabs()->tabText(0), "Commentary ");
    EXPECT_EQ(window.Tabs()->tabText(1), "Formula ");

    // An empty formula leaves the output as it is.
    window.OutputView()->setPlainText("earlier");
    window.Refresh();
    EXPECT_EQ(window.OutputView()->toPlainText(), "earlier");

    window.FormulaEdit()->setPlainText(
        "\"first line\"; writeif(close > 0, \"second\", \"no\");\nbuy = close > 105; sell = 0;");
    window.Tabs()->setCurrentIndex(1);
    window.Tabs()->setCurrentIndex(0);                            // back to the output: runs
    EXPECT_EQ(window.OutputView()->document()->blockCount(), 3);  // two lines and the last break
    EXPECT_EQ(window.OutputView()->toPlainText(), "first line\nsecond\n");
    EXPECT_EQ(chart.Model().Pane(0).arrows.buy.size(), f.stock->Quotations.size());

    // The weekly chart window runs it on weekly bars.
    chart.SetPeriodicity(1);
    window.FormulaEdit()->setPlainText("writeval(cum(1), 2.0);");
    window.Refresh();
    EXPECT_EQ(window.OutputView()->toPlainText(), "60\n");

    // A new current stock runs it again once the refresh has gone round.
    Stock* other = f.db.AddStock("OTHER");
    for (int i = 0; i < 10; ++i) {
        Quotation q;
        q.Date = AddDays(MakeDate(2006, 1, 2), 7 * i);
        q.Close = 10;
        other->Quotations.push_back(q);
    }
    f.context.MakeCurrent(other, 0);
    EXPECT_EQ(window.OutputView()->toPlainText(), "60\n");
    QCoreApplication::processEvents();
    EXPECT_EQ(window.OutputView()->toPlainText(), "10\n");

    const auto file = f.dir / "c.qrx";
    ASSERT_TRUE(window.SaveTo(file));
    window.FormulaEdit()->clear();
    ASSERT_TRUE(window.LoadFrom(file));
    EXPECT_EQ(window.FormulaEdit()->toPlainText(), "writeval(cum(1), 2.0);\n");
    EXPECT_FALSE(window.LoadFrom(f.dir / "missing.qrx"));
}

TEST(CustomizeToolsDialog, EditsTheListAndClosingWritesIt) {
    test::GuiFixture f;
    CustomTools tools;
    gui::CustomizeToolsDialog dialog(tools, f.settings);
    EXPECT_EQ(dialog.Selection(), -1);
    EXPECT_FALSE(dialog.CommandEdit()->isEnabled());

    dialog.NewTool();
    dialog.CommandEdit()->setText("/usr/bin/editor");
    dialog.PromptBox()->setChecked(true);
    dialog.NewTool();
    EXPECT_EQ(dialog.Selection(), 1);
    EXPECT_EQ(dialog.List()->currentItem()->text(0), "New Item");
    EXPECT_TRUE(dialog.CommandEdit()->text().isEmpty());
    dialog.List()->currentItem()->setText(0, "Browser");
    dialog.ArgumentsEdit()->setText("--new");
    dialog.MoveUp();
    EXPECT_EQ(dialog.Selection(), 0);
    dialog.MoveUp();  // the first stays first
    EXPECT_EQ(dialog.Selection(), 0);
    EXPECT_EQ(dialog.ArgumentsEdit()->text(), "--new");

    // Selecting the other row shows its fields.
    dialog.List()->setCurrentItem(dialog.List()->topLevelItem(1));
    EXPECT_EQ(dialog.CommandEdit()->text(), "/usr/bin/editor");
    EXPECT_TRUE(dialog.PromptBox()->isChecked());

    dialog.reject();
    EXPECT_EQ(f.settings.GetInt(kCustomToolsSection, "Count", 0), 2);
    EXPECT_EQ(f.settings.GetString(kCustomToolsSection, "Name0"), "Browser");
    EXPECT_EQ(f.settings.GetString(kCustomToolsSection, "Args0"), "--new");
    EXPECT_EQ(f.settings.GetString(kCustomToolsSection, "Command1"), "/usr/bin/editor");
    EXPECT_EQ(f.settings.GetInt(kCustomToolsSection, "PromptForArgs1", 0), 1);
    EXPECT_TRUE(tools.MenuNeedsRebuild());
}

TEST(StudyPropertiesDialogs, ShowAndReturnTheFields) {
    test::EnsureWidgetsApplication();
    const ChartPalette palette;
    TrendLineProperties trend;
    trend.startX = MakeDate(2005, 3, 1);
    trend.endX = MakeDate(2005, 6, 30);
    trend.startY = 101.5f;
    trend.endY = 99.25f;
    trend.colour = 12;
    trend.dotted = true;
    trend.rightExtend = true;
    gui::TrendLinePropertiesDialog trendDialog(trend, palette);
    EXPECT_EQ(trendDialog.windowTitle(), "Trend line properties");
    TrendLineProperties back = trendDialog.Properties();
    EXPECT_EQ(back.startX, trend.startX);
    EXPECT_EQ(back.endX, trend.endX);
    EXPECT_EQ(back.startY, trend.startY);
    EXPECT_EQ(back.endY, trend.endY);
    EXPECT_EQ(back.colour, 12);
    EXPECT_TRUE(back.dotted && back.rightExtend);
    EXPECT_FALSE(back.thick || back.leftExtend);
    // A value that is no finite number keeps the stored one.
    int changed = 0;
    for (QLineEdit* edit : trendDialog.findChildren<QLineEdit*>()) {
        if (edit->text() == QString::number(trend.startY)) {
            edit->setText("inf");
            ++changed;
        }
    }
    ASSERT_EQ(changed, 1);
    EXPECT_EQ(trendDialog.Properties().startY, trend.startY);

    TextBoxProperties text;
    text.startX = MakeDate(2005, 3, 1);
    text.startY = 100;
    text.text = "two\r\nlines";
    text.textColour = 3;
    text.background = 9;
    text.transparent = false;
    gui::TextBoxPropertiesDialog textDialog(text, palette);
    EXPECT_EQ(textDialog.windowTitle(), "Text box properties");
    const TextBoxProperties textBack = textDialog.Properties();
    EXPECT_EQ(textBack.text, "two\r\nlines");
    EXPECT_EQ(textBack.textColour, 3);
    EXPECT_EQ(textBack.background, 9);
    EXPECT_FALSE(textBack.transparent);

    // Texts are measured as the panes draw them: one line height per line.
    const TextExtent extent = gui::ChartTextMeasure()("two\r\nlines");
    EXPECT_EQ(extent.height, 2 * kStudyLineHeight);
    EXPECT_GT(extent.width, 0);
}

}  // namespace
}  // namespace velmora
