#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QCompleter>
#include <QKeyEvent>
#include <QPushButton>
#include <QTabWidget>
#include <QTextBrowser>
#include <QThread>

#include "gui/ChartGuiSupport.h"
#include "gui/FormulaEditor.h"
#include "gui/analysis/AnalysisWindow.h"
#include "gui/dialogs/CommentaryWindow.h"
#include "gui/dialogs/IndicatorBuilderDialog.h"

namespace velmora {
namespace {

using gui::FormulaEditor;

void Type(QWidget& w, const QString& text) {
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QCoreApplication::sendEvent(&w, &press);
    }
}

void Press(QWidget& w, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QCoreApplication::sendEvent(&w, &press);
}

// The underlined stretches of the editor, as (from, to) positions.
std::vector<std::pair<int, int>> Underlines(const FormulaEditor& editor) {
    std::vector<std::pair<int, int>> marks;
    for (const QTextEdit::ExtraSelection& s : editor.extraSelections()) {
        if (s.format.underlineStyle() == QTextCharFormat::SpellCheckUnderline)
            marks.emplace_back(s.cursor.selectionStart(), s.cursor.selectionEnd());
    }
    return marks;
}

TEST(FormulaEditor, MarksTheErrorsOfTheCheckerWhereTheyAre) {
    test::EnsureWidgetsApplication();
    FormulaEditor editor;
    editor.setPlainText("a = 1;\nb = zz + ma(c);");
    editor.CheckNow();
    EXPECT_EQ(editor.ErrorLine(), "Line 2, column 5: Unknown identifier");
    const int zz = static_cast<int>(editor.toPlainText().indexOf("zz"));
    EXPECT_EQ(Underlines(editor), (std::vector<std::pair<int, int>>{{zz, zz + 2}}));
    EXPECT_EQ(editor.ErrorAt(zz + 1), "Unknown identifier");
    EXPECT_EQ(editor.ErrorAt(zz + 2), "");

    // A missing ";" at the end marks the last character; the checker runs after a pause.
    editor.setPlainText("x = 1");
    QThread::msleep(FormulaEditor::kCheckDelayMs + 100);
    QCoreApplication::processEvents();
    EXPECT_EQ(editor.ErrorLine(), "Line 1, column 6: Syntax error");
    EXPECT_EQ(Underlines(editor), (std::vector<std::pair<int, int>>{{4, 5}}));
    editor.setPlainText("x = 1;");
    editor.CheckNow();
    EXPECT_EQ(editor.ErrorLine(), "");
    EXPECT_TRUE(Underlines(editor).empty());
}

TEST(FormulaEditor, CompletesShowsArgumentsAndOpensTheReference) {
    test::EnsureWidgetsApplication();
    FormulaEditor editor;
    editor.show();
    editor.setFocus();
    Type(editor, "x = hh");
    ASSERT_TRUE(editor.Completer()->popup()->isVisible());
    EXPECT_EQ(editor.Completer()->completionModel()->rowCount(), 2);  // hhv, hhvbars
    Press(editor, Qt::Key_Escape);
    Type(editor, "v(");
    EXPECT_TRUE(editor.CallHint().startsWith("hhv(<b>array</b>, periods)"))
        << editor.CallHint().toStdString();
    Type(editor, "c, ");
    EXPECT_TRUE(editor.CallHint().contains("<b>periods</b>"));
    Type(editor, "5);");
    EXPECT_EQ(editor.CallHint(), "");

    QTextCursor cursor = editor.textCursor();
    cursor.setPosition(10);  // in the arguments of hhv
    editor.setTextCursor(cursor);
    EXPECT_EQ(editor.FunctionAtCursor(), "hhv");
    cursor.setPosition(1);
    editor.setTextCursor(cursor);
    EXPECT_EQ(editor.FunctionAtCursor(), "");
    cursor.setPosition(5);  // inside "hhv"
    editor.setTextCursor(cursor);
    Press(editor, Qt::Key_F1);
    ASSERT_NE(editor.Reference(), nullptr);
    EXPECT_TRUE(editor.Reference()->isVisible());
    EXPECT_TRUE(editor.Reference()->toPlainText().contains("hhv(array, periods)"));
}

TEST(FormulaEditor, TheFormulaWindowsUseItAndMarkTheErrorsOfTheirRuns) {
    test::GuiFixture f;
    gui::AnalysisWindow analysis(f.context);
    analysis.FormulaEdit()->setPlainText("buy = c > 0;\nsell = zz;");
    analysis.Scan();
    EXPECT_FALSE(f.errors.reports.empty());  // the "QRX Error" report as before
    EXPECT_EQ(analysis.FormulaEdit()->ErrorLine(), "Line 2, column 8: Unknown identifier");

    gui::CommentaryWindow commentary(f.context);
    commentary.FormulaEdit()->setPlainText("writeval(ma(c));");
    commentary.Refresh();
    EXPECT_EQ(commentary.FormulaEdit()->ErrorLine(), "Line 1, column 10: Missing arguments");

    gui::IndicatorBuilderDialog builder(f.charts, f.settings, [] {});
    builder.FormulaEdit()->setPlainText("x = 1");
    builder.Apply();
    EXPECT_EQ(builder.FormulaEdit()->ErrorLine(), "Line 1, column 6: Syntax error");
}

}  // namespace
}  // namespace velmora
