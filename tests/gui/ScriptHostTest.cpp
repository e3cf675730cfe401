// Scripts run in the desktop program: the chart windows are the automation model's documents.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <filesystem>

#include "chart/ChartWindowModel.h"
#include "common/TestSupport.h"
#include "common/WorkspaceSupport.h"
#include "database/Workspace.h"
#include "gui/DesktopProgram.h"
#include "gui/MainWindow.h"
#include "gui/chart/ChartWindow.h"
#include "gui/dialogs/CommentaryWindow.h"
#include "gui/dialogs/ScriptWindow.h"
#include "platform/ConsoleUserInterface.h"

namespace velmora::gui {
namespace {

namespace fs = std::filesystem;

// ALBA, BORA and CETO with `quotes` daily closes each.
void WriteWorkspace(const fs::path& dir, int quotes) {
    Database db;
    for (const char* ticker : {"ALBA", "BORA", "CETO"}) {
        Stock* stock = db.AddStock(ticker);
        PackedDate d = MakeDate(2012, 3, 1);
        for (int i = 0; i < quotes; ++i, d = AddDays(d, 1)) {
            Quotation* q = db.AddQuotation(*stock, d);
            q->Close = static_cast<float>(5 + i);
            q->High = q->Close + 1;
            q->Low = q->Close - 1;
            q->Open = q->Close;
        }
    }
    ASSERT_TRUE(test::SaveWorkspaceIn(db, dir));
}

void Flush() {
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }
}

struct ScriptHostTest : ::testing::Test {
    test::TempDir profile, workspace, scripts;
    RecordingUserInterface ui;
    std::unique_ptr<DesktopProgram> program;

    void SetUp() override {
        WriteWorkspace(workspace.path(), 300);
        program = std::make_unique<DesktopProgram>(profile.path(), workspace.path(), &ui);
        program->chartWindowFactory = [](GuiContext& c) { return new ChartWindow(c); };
        ASSERT_TRUE(program->StartUp());
    }
    MainWindow& Window() { return *program->Window(); }
    int OpenWindows() {
        int n = 0;
        for (QMdiSubWindow* sub : Window().ChartArea()->subWindowList())
            if (sub->isVisible()) ++n;
        return n;
    }
    // Runs the program; its output lines.
    QStringList Run(const std::string& source, bool expectOk = true) {
        const fs::path file = scripts.path() / "test.js";
        test::WriteText(file, source);
        ScriptWindow* window = Window().ScriptOutput();
        window->Output()->clear();
        const ScriptResult result = window->Run(file);
        EXPECT_EQ(result.ok, expectOk) << result.error;
        return window->Output()->toPlainText().split(QLatin1Char('\n'));
    }
    std::string Current() {
        const Stock* s = program->Context().CurrentStock();
        return s ? std::string(s->TickerText()) : std::string();
    }
};

TEST_F(ScriptHostTest, AScriptOpensADocumentForATickerReadsItsStockAndClosesTheDocuments) {
    ASSERT_EQ(Current(), "ALBA");
    const QStringList out = Run(R"(
        var app = createObject("Tarvik.Application");
        var docs = app.Documents;
        print(docs.Count, app.ActiveDocument.Name);
        var d = docs.Open("BORA");
        print(docs.Count, d.Name, app.ActiveDocument.Name, docs.Item(1).Name);
        // The first window was last active while ALBA was current.
        print(docs.Item(0).Name, docs.Item(2) === null, docs.Open("NONE") === null);
        print(docs._NewEnum.map(function (x) { return x.Name; }).join(","));
        docs.Item(0).Activate();
        print(app.ActiveDocument.Name);
        docs.Close();
        print(docs.Count, d.Name === "", app.ActiveDocument === null);
    )");
    EXPECT_EQ(out, (QStringList{"1 ALBA", "2 BORA BORA BORA", "ALBA true true", "ALBA,BORA", "ALBA",
                                "0 true true"}));
    // Closing the first window activated the second, whose stock became current again; every
    // chart window is gone.
    EXPECT_EQ(Current(), "BORA");
    Flush();
    EXPECT_EQ(OpenWindows(), 0);
    EXPECT_FALSE(Window().HasChartWindow());
}

TEST_F(ScriptHostTest, DocumentsAddedAndClosedOneByOneKeepTheirIdentity) {
    const QStringList out = Run(R"(
        var docs = createObject("Tarvik.Application").Documents;
        var a = docs.Add();
        var b = docs.Add();
        print(docs.Count, a.Name, b.Name);
        a.Close();
        print(docs.Count, a.Name === "", b.Name, docs.Item(1).Name);
        a.Close();  // a closed document stays closed and does no harm
        print(docs.Count);
    )");
    EXPECT_EQ(out, (QStringList{"3 ALBA ALBA", "2 true ALBA ALBA", "2"}));
    Flush();
    EXPECT_EQ(OpenWindows(), 2);
}

TEST_F(ScriptHostTest, QuitAsksTheSaveQuestionOnceTheScriptHasEnded) {
    Run(R"(
        var app = createObject("Tarvik.Application");
        app.Stocks.Item("CETO").FullName = "Changed";
        app.Quit();
        print("after quit");
    )");
    // The close is posted: the script finished first and nothing was asked yet.
    EXPECT_TRUE(ui.questions.empty());
    EXPECT_TRUE(Window().isVisible());
    ui.answer = false;
    Flush();
    ASSERT_EQ(ui.questions.size(), 1u);
    EXPECT_EQ(ui.questions[0], "Save changes to the database?");
    EXPECT_FALSE(Window().isVisible());
}

TEST_F(ScriptHostTest, RemovingTheCurrentStockMovesToItsNeighbourAndTheTreeForgetsIt) {
    const QStringList out = Run(R"(
        var stocks = createObject("Tarvik.Application").Stocks;
        print(stocks.Remove("ALBA"), stocks.Count);
        var added = stocks.Add("ZETA");
        print(added.Ticker);
    )");
    EXPECT_EQ(out, (QStringList{"true 2", "ZETA"}));
    EXPECT_EQ(Current(), "BORA");
    Flush();
    // The ticker bar lists what the database holds after the script.
    EXPECT_EQ(Window().TickerBox()->count(), 3);
    EXPECT_EQ(Window().TickerBox()->itemData(2).toString(), "ZETA");
    EXPECT_EQ(Window().TickerBox()->currentText(), "BORA");
    // The chart window repaints the new current stock.
    auto* chart = qobject_cast<ChartWindow*>(Window().ActiveChartWindow());
    ASSERT_NE(chart, nullptr);
    EXPECT_EQ(chart->ShownStock(), program->Db().FindStock("BORA"));
    EXPECT_FALSE(chart->Picture().isNull());
}

TEST_F(ScriptHostTest, PrintLinesAndTheErrorThatEndedTheScriptAreShown) {
    const QStringList out = Run("print('one', 2);\nnoSuchFunction();\nprint('never');\n", false);
    ASSERT_EQ(out.size(), 2);
    EXPECT_EQ(out[0], "one 2");
    EXPECT_TRUE(out[1].contains("test.js:2:")) << out[1].toStdString();
    EXPECT_TRUE(out[1].contains("noSuchFunction")) << out[1].toStdString();

    // A missing file runs nothing and says so.
    ScriptWindow* window = Window().ScriptOutput();
    const ScriptResult missing = window->Run(scripts.path() / "missing.js");
    EXPECT_FALSE(missing.ok);
    EXPECT_TRUE(window->Output()->toPlainText().contains("cannot read the script"));
}

TEST_F(ScriptHostTest, RefreshAllRepaintsTheCharts) {
    auto* chart = qobject_cast<ChartWindow*>(Window().ActiveChartWindow());
    ASSERT_NE(chart, nullptr);
    chart->ScrollBar()->setValue(0);
    ASSERT_NE(chart->ScrollBar()->maximum(), 0);
    Window().Documents().RefreshAll();
    // The refresh puts the scroll bar back at the latest bars.
    EXPECT_EQ(chart->ScrollBar()->value(), chart->ScrollBar()->maximum());
}

TEST_F(ScriptHostTest, TheViewMenuChecksThePeriodicityAndChartTypeTheActiveWindowSwitchedTo) {
    auto* chart = qobject_cast<ChartWindow*>(Window().ActiveChartWindow());
    ASSERT_NE(chart, nullptr);
    const auto checked = [this](const char* text) {
        for (QAction* a : Window().findChildren<QAction*>())
            if (a->text() == QLatin1String(text)) return a->isChecked();
        ADD_FAILURE() << "no action " << text;
        return false;
    };
    EXPECT_TRUE(checked("&Daily"));
    // The pane menu's command, not the main window's, changes the periodicity.
    ASSERT_TRUE(chart->RunCommand(ChartCommand::kWeekly));
    EXPECT_TRUE(checked("&Weekly"));
    EXPECT_FALSE(checked("&Daily"));
    ASSERT_TRUE(chart->RunCommand(ChartCommand::kChartTypeAuto + 2));
    EXPECT_TRUE(checked("Candlesticks"));
    EXPECT_FALSE(checked("Auto"));
}

TEST_F(ScriptHostTest, TheCommentaryWindowIsReusedUntilItIsClosed) {
    CommentaryWindow* first = Window().ShowCommentary();
    ASSERT_NE(first, nullptr);
    first->FormulaEdit()->setPlainText("writeln(\"kept\");");
    EXPECT_EQ(Window().ShowCommentary(), first);
    // The formula typed in it is still there.
    EXPECT_EQ(first->FormulaEdit()->toPlainText(), "writeln(\"kept\");");
    int windows = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (qobject_cast<CommentaryWindow*>(w) != nullptr) ++windows;
    EXPECT_EQ(windows, 1);
    first->close();
    Flush();
    CommentaryWindow* second = Window().ShowCommentary();
    ASSERT_NE(second, nullptr);
    EXPECT_TRUE(second->FormulaEdit()->toPlainText().isEmpty());
}

}  // namespace
}  // namespace velmora::gui

namespace velmora::gui {
namespace {

// Started for a script: nothing is shown, the script works on the program, and the program
// closes afterwards asking about the changes.
struct AutomationStartTest : ::testing::Test {
    test::TempDir profile, workspace, scripts;
    RecordingUserInterface ui;
    DesktopProgram program{profile.path(), workspace.path(), &ui};
    std::vector<std::string> lines;
    std::string error;

    AutomationStartTest() {
        WriteWorkspace(workspace.path(), 30);
        program.chartWindowFactory = [](GuiContext& c) { return new ChartWindow(c); };
    }
    bool Run(const std::string& source) {
        const fs::path file = scripts.path() / "auto.js";
        test::WriteText(file, source);
        return program.RunAutomation(
            file, {"x"}, [this](std::string_view l) { lines.emplace_back(l); }, error);
    }
    std::string StoredFullName(const char* ticker) {
        Database db;
        Preferences prefs;
        RecordingUserInterface quiet;
        db.SetWorkspaceDir(workspace.path());
        EXPECT_TRUE(Workspace(db, prefs, quiet).LoadWorkspace());
        const Stock* s = db.FindStock(ticker);
        return s ? std::string(s->FullName.View()) : std::string("<none>");
    }
};

TEST_F(AutomationStartTest, TheScriptRunsHiddenAndTheCloseAsksAboutItsChanges) {
    ui.answer = true;
    ASSERT_TRUE(Run(R"(
        var app = createObject("Tarvik.Application");
        print(app.Documents.Count, app.Stocks.Count, args[0]);
        var d = app.Documents.Open("CETO");
        print(d.Name, app.Documents.Count);
        app.Stocks.Item("BORA").FullName = "Bora plc";
    )")) << error;
    EXPECT_EQ(lines, (std::vector<std::string>{"0 3 x", "CETO 1"}));
    ASSERT_NE(program.Window(), nullptr);
    EXPECT_FALSE(program.Window()->isVisible());
    EXPECT_TRUE(program.Window()->Closed());
    EXPECT_EQ(ui.questions, (std::vector<std::string>{"Save changes to the database?"}));
    EXPECT_EQ(StoredFullName("BORA"), "Bora plc");
    // The window was never shown: no position of it was stored.
    EXPECT_FALSE(program.Settings().GetString("WindowPos", "Maximized").has_value());
}

TEST_F(AutomationStartTest, AnAnswerGivenBeforehandIsTakenWithoutAsking) {
    ui.answer = true;  // would save, were the question asked
    program.saveAfterScript = false;
    ASSERT_TRUE(Run(R"(
        var app = createObject("Tarvik.Application");
        app.Stocks.Item("BORA").FullName = "Not kept";
        print(app.Stocks.Remove("CETO"));
    )")) << error;
    EXPECT_EQ(lines, (std::vector<std::string>{"true"}));
    EXPECT_TRUE(ui.questions.empty());
    EXPECT_TRUE(program.Window()->Closed());
    EXPECT_EQ(StoredFullName("BORA"), "");
    EXPECT_NE(StoredFullName("CETO"), "<none>");  // the set-aside file came back
}

TEST_F(AutomationStartTest, QuitClosesOnceAndAFailedScriptSaysWhy) {
    ui.answer = false;
    EXPECT_FALSE(Run(R"(
        var app = createObject("Tarvik.Application");
        app.Stocks.Item("ALBA").FullName = "Not kept";
        app.Quit();
        throw new Error("stopped here");
    )"));
    EXPECT_NE(error.find("auto.js:5"), std::string::npos) << error;
    EXPECT_NE(error.find("stopped here"), std::string::npos) << error;
    // Quit's close asked; no second close followed.
    EXPECT_EQ(ui.questions.size(), 1u);
    EXPECT_TRUE(program.Window()->Closed());
    EXPECT_EQ(StoredFullName("ALBA"), "");
}

}  // namespace
}  // namespace velmora::gui
