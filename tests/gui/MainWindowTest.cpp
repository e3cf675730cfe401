#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QProgressDialog>
#include <QScrollBar>
#include <QToolBar>
#include <QTreeWidget>
#include <QWidgetAction>
#include <filesystem>
#include <set>

#include "app/MainWindowCommands.h"
#include "common/TestSupport.h"
#include "common/WorkspaceSupport.h"
#include "database/PreferencesFile.h"
#include "database/StockFile.h"
#include "database/Workspace.h"
#include "gui/DesktopProgram.h"
#include "gui/MainWindow.h"
#include "gui/ProfileView.h"
#include "gui/QtUserInterface.h"
#include "gui/StockTreePane.h"
#include "gui/chart/ChartWindow.h"
#include "platform/ConsoleUserInterface.h"
#include "platform/ProfileDirectory.h"

namespace velmora::gui {
namespace {

namespace fs = std::filesystem;

// Stands in for a chart window: records the commands the main window forwards.
class FakeChart : public QWidget {
    Q_OBJECT
  public:
    QStringList calls;
  public slots:
    void SetPeriodicity(int p) { calls << QStringLiteral("SetPeriodicity %1").arg(p); }
    void SetChartType(int t) { calls << QStringLiteral("SetChartType %1").arg(t); }
    void SetTool(int t) { calls << QStringLiteral("SetTool %1").arg(t); }
    void ZoomIn() { calls << QStringLiteral("ZoomIn"); }
    void ZoomInStep() { calls << QStringLiteral("ZoomInStep"); }
    void ZoomAll() { calls << QStringLiteral("ZoomAll"); }
};

// ALBA (market 1, group 2, favourite), BORA (market 0), CETO (market 1, index).
void WriteWorkspace(const fs::path& dir, int quotes) {
    Database db;
    const struct {
        const char* ticker;
        int market, group;
        std::int32_t flags;
    } stocks[] = {{"ALBA", 1, 2, Stock::kFavouriteFlag},
                  {"BORA", 0, 0, 0},
                  {"CETO", 1, 0, Stock::kIndexFlag}};
    for (const auto& s : stocks) {
        Stock* stock = db.AddStock(s.ticker);
        SetMarketID(*stock, s.market);
        SetGroupID(*stock, s.group);
        stock->Flags = s.flags;
        test::AddDailyCloses(db, *stock, MakeDate(2012, 3, 1), quotes, 5);
    }
    db.Categories().Markets[1].ProfileTemplate.Set("https://example.org/q?s={t}");
    ASSERT_TRUE(test::SaveWorkspaceIn(db, dir));
}

QAction* FindAction(QWidget* window, const QString& text) {
    for (QAction* a : window->findChildren<QAction*>()) {
        if (a->text() == text) return a;
    }
    return nullptr;
}

struct MainWindowTest : ::testing::Test {
    test::TempDir profile, workspace;
    RecordingUserInterface ui;
    std::unique_ptr<DesktopProgram> program;
    std::vector<FakeChart*> charts;

    void Start(int quotes = 20, bool realCharts = false) {
        WriteWorkspace(workspace.path(), quotes);
        program = std::make_unique<DesktopProgram>(profile.path(), workspace.path(), &ui);
        program->chartWindowFactory = [this](GuiContext&) {
            charts.push_back(new FakeChart);
            return charts.back();
        };
        if (realCharts) {
            program->chartWindowFactory = [](GuiContext& c) { return new ChartWindow(c); };
        }
        ASSERT_TRUE(program->StartUp());
        ASSERT_NE(program->Window(), nullptr);
    }
    MainWindow& Window() { return *program->Window(); }
    QTreeWidget& Tree() { return *Window().TreePane()->TreeWidget(); }
};

TEST_F(MainWindowTest, StartUpFillsTheTreeAndTickerBarAndOpensAChartWindowOnTheFirstStock) {
    Start();
    EXPECT_TRUE(Window().isVisible());
    ASSERT_EQ(Tree().topLevelItemCount(), 5);
    QStringList roots;
    for (int i = 0; i < 5; ++i) roots << Tree().topLevelItem(i)->text(0);
    EXPECT_EQ(roots, (QStringList{"All", "Markets", "Groups", "Favourites", "Indexes"}));
    EXPECT_EQ(Tree().topLevelItem(0)->childCount(), 3);
    QTreeWidgetItem* markets = Tree().topLevelItem(1);
    ASSERT_EQ(markets->childCount(), 2);
    EXPECT_EQ(markets->child(1)->text(0), "Market 1");
    EXPECT_EQ(markets->child(1)->childCount(), 2);
    EXPECT_EQ(Tree().topLevelItem(3)->child(0)->text(0), "ALBA");
    EXPECT_EQ(Tree().topLevelItem(4)->child(0)->text(0), "CETO");

    Stock* first = program->Db().FindStock("ALBA");
    EXPECT_EQ(program->Context().CurrentStock(), first);
    ASSERT_NE(Tree().currentItem(), nullptr);
    EXPECT_EQ(Tree().currentItem()->text(0), "ALBA");
    EXPECT_EQ(Window().TickerBox()->count(), 3);
    EXPECT_EQ(Window().TickerBox()->currentText(), "ALBA");
    ASSERT_EQ(charts.size(), 1u);
    EXPECT_TRUE(Window().HasChartWindow());
    EXPECT_EQ(charts[0]->windowTitle(), "ALBA");
    // The recent list starts with the workspace.
    EXPECT_EQ(program->App().RecentList().front(),
              fs::absolute(workspace.path()).lexically_normal());
}

TEST_F(MainWindowTest, PickingAStockInTheTreeOrTickerBarMakesItCurrentEverywhere) {
    Start();
    Stock* ceto = program->Db().FindStock("CETO");
    QTreeWidgetItem* market1 = Tree().topLevelItem(1)->child(1);
    market1->setExpanded(true);
    Tree().setCurrentItem(market1->child(1));
    EXPECT_EQ(program->Context().CurrentStock(), ceto);
    EXPECT_EQ(Window().TickerBox()->currentText(), "CETO");
    EXPECT_EQ(charts[0]->windowTitle(), "CETO");
    // Market 1 has a profile template, and the pane is showing.
    EXPECT_EQ(Window().ProfilePage()->Address(), "https://example.org/q?s=CETO");

    // The ticker bar picks BORA; the tree's selection leaves the "Markets" subtree for the
    // next root that lists BORA.
    const int bora = Window().TickerBox()->findData(QStringLiteral("BORA"));
    ASSERT_GE(bora, 0);
    emit Window().TickerBox()->activated(bora);
    EXPECT_EQ(program->Context().CurrentStock(), program->Db().FindStock("BORA"));
    ASSERT_NE(Tree().currentItem(), nullptr);
    EXPECT_EQ(Tree().currentItem()->text(0), "BORA");
    EXPECT_EQ(Tree().currentItem()->parent()->text(0), "Group 0");
    // BORA's market has no template: the pane stays on CETO's page.
    EXPECT_EQ(Window().ProfilePage()->Address(), "https://example.org/q?s=CETO");
}

TEST_F(MainWindowTest, TheProfilePaneShowsTheCurrentStocksPageInsideTheProgram) {
    Start();
    // A local page stands in for the market's web page.
    test::TempDir pages;
    test::WriteText(pages.path() / "CETO.html",
                    "<html><head><title>CETO profile</title></head><body>Index</body></html>");
    const std::string pageTemplate = "file://" + pages.path().string() + "/{t}.html";
    program->Db().Categories().Markets[1].ProfileTemplate.Set(pageTemplate);
    ProfileView& page = *Window().ProfilePage();
    bool loaded = false;
    QObject::connect(&page, &ProfileView::pageLoaded, [&loaded](bool ok) { loaded = ok; });
    program->Context().MakeCurrent(program->Db().FindStock("CETO"), kChosenStockFlags);
    QDeadlineTimer deadline(30000);
    while (!loaded && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(page.PageTitle(), "CETO profile");
    ASSERT_NE(page.Browser(), nullptr);
    EXPECT_TRUE(page.Browser()->isVisibleTo(&Window()));
}

// The toolbar buttons show images, each its own; the menus show the same actions.
TEST_F(MainWindowTest, EveryToolbarButtonShowsAnImageOfItsOwn) {
    Start();
    std::set<QByteArray> images;
    int buttons = 0;
    for (QToolBar* bar : Window().findChildren<QToolBar*>()) {
        for (QAction* a : bar->actions()) {
            if (a->isSeparator() || qobject_cast<QWidgetAction*>(a) != nullptr) continue;
            SCOPED_TRACE(a->text().toStdString());
            const QImage image =
                a->icon().pixmap(24, 24).toImage().convertToFormat(QImage::Format_ARGB32);
            ASSERT_EQ(image.size(), QSize(24, 24));
            int drawn = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x) drawn += qAlpha(image.pixel(x, y)) > 0;
            EXPECT_GT(drawn, 24);
            images.emplace(reinterpret_cast<const char*>(image.constBits()),
                           static_cast<qsizetype>(image.sizeInBytes()));
            ++buttons;
        }
    }
    EXPECT_EQ(buttons, 28);
    EXPECT_EQ(images.size(), 28u);
}

TEST_F(MainWindowTest, ANewStockAppearsInTheExpandedNodesAfterTheRebuild) {
    Start();
    QTreeWidgetItem* all = Tree().topLevelItem(0);
    all->setExpanded(true);
    QTreeWidgetItem* market1 = Tree().topLevelItem(1)->child(1);
    Stock* added = program->Context().Maintenance().NewStock("AAA");
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(all->childCount(), 4);
    EXPECT_EQ(all->child(0)->text(0), "AAA");
    EXPECT_EQ(Window().TickerBox()->count(), 4);
    // The new stock is in market 0; market 1's collapsed node is unchanged.
    EXPECT_EQ(market1->childCount(), 2);
    EXPECT_EQ(program->Context().CurrentStock(), program->Db().FindStock("ALBA"));
}

TEST_F(MainWindowTest, DeletingTheCurrentStockLeavesNoWayBackToIt) {
    Start();
    QTreeWidgetItem* market1 = Tree().topLevelItem(1)->child(1);
    ASSERT_EQ(market1->child(0)->text(0), "ALBA");
    ui.answer = true;
    FindAction(&Window(), "&Delete stock")->trigger();
    EXPECT_EQ(ui.questions.back(), "Are you sure you want to delete the current stock?");
    EXPECT_EQ(program->Db().FindStock("ALBA"), nullptr);
    Stock* bora = program->Db().FindStock("BORA");
    EXPECT_EQ(program->Context().CurrentStock(), bora);
    EXPECT_EQ(Tree().topLevelItem(0)->childCount(), 2);
    EXPECT_EQ(Window().TickerBox()->count(), 2);
    EXPECT_EQ(Window().TickerBox()->currentText(), "BORA");
    // The collapsed market node still lists ALBA until it is expanded.
    ASSERT_EQ(market1->child(0)->text(0), "ALBA");
    market1->setExpanded(true);
    ASSERT_EQ(market1->childCount(), 1);
    EXPECT_EQ(market1->child(0)->text(0), "CETO");
    EXPECT_EQ(program->Context().CurrentStock(), bora);
}

TEST_F(MainWindowTest, DeleteSessionAsksFirstAndNoLeavesEveryStockUnchanged) {
    Start();
    Database& db = program->Db();
    const PackedDate day = db.FindStock("BORA")->Quotations[3].Date;
    program->Context().Maintenance().SetPickedDate(day);
    const auto counts = [&db] {
        std::vector<std::size_t> n;
        for (const auto& stock : db.Stocks()) n.push_back(stock->Quotations.size());
        return n;
    };
    const std::vector<std::size_t> before = counts();
    ui.answer = false;
    FindAction(&Window(), "Delete &session")->trigger();
    EXPECT_EQ(ui.questions, std::vector<std::string>{"Delete the session of " + DateToText(day) +
                                                     " from every stock?"});
    EXPECT_EQ(counts(), before);
    ui.answer = true;
    FindAction(&Window(), "Delete &session")->trigger();
    for (const auto& stock : db.Stocks()) {
        EXPECT_EQ(Database::FindQuotation(*stock, day), nullptr) << stock->TickerText();
        EXPECT_EQ(stock->Quotations.size(), before.front() - 1) << stock->TickerText();
    }
    db.SetWorkspaceDirty(false);
}

TEST_F(MainWindowTest, SwitchingWorkspacesShowsTheNewOneAndAFailedSwitchKeepsTheOld) {
    Start();
    test::TempDir other;
    WriteWorkspace(other.path(), 7);
    Application& app = program->App();
    EXPECT_TRUE(Window().ReplaceWorkspace([&] { return app.OpenWorkspace(other.path()); }));
    Stock* alba = program->Context().CurrentStock();
    ASSERT_NE(alba, nullptr);
    EXPECT_EQ(alba->TickerText(), "ALBA");
    EXPECT_EQ(alba->Quotations.size(), 7u);
    EXPECT_EQ(Tree().currentItem()->text(0), "ALBA");
    EXPECT_EQ(Window().TickerBox()->count(), 3);

    // Unsaved changes whose save fails: the switch stops and the old stock stays current.
    program->Db().AddQuotation(*alba, MakeDate(2015, 1, 1))->Close = 3;
    const fs::path blocked = other.path() / "blocked";
    test::WriteText(blocked, "x");
    program->Db().SetWorkspaceDir(blocked);
    ui.answer = true;
    EXPECT_FALSE(Window().ReplaceWorkspace([&] { return app.OpenWorkspace(workspace.path()); }));
    EXPECT_EQ(program->Context().CurrentStock(), alba);
    EXPECT_EQ(alba->Quotations.size(), 8u);
    program->Db().SetWorkspaceDirty(false);
}

TEST_F(MainWindowTest, ImportedFilesAddTheirStocksToTheTreeAndTickerBar) {
    ASSERT_GT(SeedProfileDirectory(profile.path(), ProfileResourcesDirectory()), 0);
    Start();
    const fs::path file = workspace.path() / "NEWCO.csv";
    test::WriteText(file,
                    "Date,Open,High,Low,Close,Volume\n2024-01-02,4,5,3,4.5,100\n"
                    "2024-01-03,4.5,5,4,4.8,200\n");
    // Type 2 of the shipped "import.types": comma-separated Date,Open,High,Low,Close,Volume.
    Window().ImportAsciiFiles({QString::fromStdString(file.string())}, 2);
    Stock* newco = program->Db().FindStock("NEWCO");
    ASSERT_NE(newco, nullptr);
    ASSERT_EQ(newco->Quotations.size(), 2u);
    EXPECT_FLOAT_EQ(newco->Quotations[1].Close, 4.8f);
    // One message sums the import up.
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(
        ui.messages[0].rfind("NEWCO.csv: 2 lines stored, 1 lines not stored, 1 stocks added", 0),
        0u)
        << ui.messages[0];
    EXPECT_EQ(program->Settings().GetInt("Paths", "ASCIIFileType", 0), 2);
    EXPECT_EQ(Window().TickerBox()->count(), 4);
    EXPECT_EQ(Tree().topLevelItem(0)->child(3)->text(0), "NEWCO");
    EXPECT_EQ(program->Context().CurrentStock(), program->Db().FindStock("ALBA"));
    program->Db().SetWorkspaceDirty(false);
}

TEST_F(MainWindowTest, ViewAndDrawCommandsGoToTheActiveChartWindow) {
    Start();
    FindAction(&Window(), "&Weekly")->trigger();
    FindAction(&Window(), "Candlesticks")->trigger();
    FindAction(&Window(), "Zoom &In")->trigger();
    const QList<QAction*> tools = Window().DrawBar()->actions();
    ASSERT_EQ(tools.size(), 7);
    tools[3]->trigger();
    EXPECT_TRUE(tools[3]->isChecked());
    EXPECT_FALSE(tools[0]->isChecked());
    // Ctrl+Shift+= (Ctrl++ on a keyboard with "+" above "=") zooms in by the plain step, not
    // as a click with SHIFT held.
    QAction* zoomIn = FindAction(&Window(), "Zoom &In");
    EXPECT_TRUE(zoomIn->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Equal)));
    QShortcutEvent key(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Equal), 0);
    QCoreApplication::sendEvent(zoomIn, &key);
    EXPECT_EQ(charts[0]->calls, (QStringList{"SetPeriodicity 1", "SetChartType 2", "ZoomIn",
                                             "SetTool 3", "ZoomInStep"}));

    // Window "&New" opens a second chart window, side by side with the first, and the
    // commands go to it.
    FindAction(&Window(), "&New")->trigger();
    ASSERT_EQ(charts.size(), 2u);
    EXPECT_EQ(Window().ActiveChartWindow(), charts[1]);
    EXPECT_EQ(Window().ChartArea()->subWindowList().size(), 2);
    FindAction(&Window(), "Zoom &All")->trigger();
    // Each window keeps its own drawing tool: the new one starts with the pick tool.
    EXPECT_EQ(charts[1]->calls, (QStringList{"ZoomAll"}));
    EXPECT_TRUE(tools[0]->isChecked());
    EXPECT_FALSE(charts[0]->calls.contains("ZoomAll"));
}

TEST_F(MainWindowTest, ChartWindowsTakeTheBarsCommandsAndTheBarsFollowTheActiveWindow) {
    Start(60, true);
    auto* first = qobject_cast<ChartWindow*>(Window().ActiveChartWindow());
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->windowTitle(), "ALBA");
    FindAction(&Window(), "&Monthly")->trigger();
    EXPECT_EQ(first->Model().GetPeriodicity(), Periodicity::Monthly);
    const QList<QAction*> tools = Window().DrawBar()->actions();
    tools[1]->trigger();
    EXPECT_EQ(first->Tool(), StudyTool::Trend);
    // The window going back to the pick tool by itself checks the Pick button.
    first->SetTool(0);
    EXPECT_TRUE(tools[0]->isChecked());

    FindAction(&Window(), "&New")->trigger();
    auto* second = qobject_cast<ChartWindow*>(Window().ActiveChartWindow());
    ASSERT_NE(second, nullptr);
    ASSERT_NE(second, first);
    FindAction(&Window(), "&Weekly")->trigger();
    FindAction(&Window(), "Bars")->trigger();
    EXPECT_EQ(second->Model().GetPeriodicity(), Periodicity::Weekly);
    EXPECT_EQ(first->Model().GetPeriodicity(), Periodicity::Monthly);

    Window().ChartArea()->setActiveSubWindow(Window().ChartArea()->subWindowList().first());
    EXPECT_EQ(Window().ActiveChartWindow(), first);
    EXPECT_TRUE(FindAction(&Window(), "&Monthly")->isChecked());
    // The chart type is the same in every window.
    EXPECT_TRUE(FindAction(&Window(), "Bars")->isChecked());
    EXPECT_EQ(first->Settings().chartType, ChartType::Bars);
}

TEST_F(MainWindowTest, TwoChartWindowsShowTwoStocksAndActivationMakesAWindowsStockCurrent) {
    Start(300, true);
    auto* first = qobject_cast<ChartWindow*>(Window().ActiveChartWindow());
    FindAction(&Window(), "&New")->trigger();
    auto* second = qobject_cast<ChartWindow*>(Window().ActiveChartWindow());
    ASSERT_TRUE(first != nullptr && second != nullptr && first != second);
    first->ScrollBar()->setValue(5);
    // A stock picked in the ticker bar goes to the active window only; the other window keeps
    // its stock and its bars.
    emit Window().TickerBox()->activated(Window().TickerBox()->findData(QStringLiteral("BORA")));
    EXPECT_EQ(second->OwnStock()->TickerText(), "BORA");
    EXPECT_EQ(first->OwnStock()->TickerText(), "ALBA");
    EXPECT_EQ(first->ScrollBar()->value(), 5);
    EXPECT_EQ(first->windowTitle(), "ALBA");
    EXPECT_EQ(second->windowTitle(), "BORA");
    second->ScrollBar()->setValue(3);

    // Activating the first window makes ALBA current in the tree, ticker bar and status bar;
    // the second window keeps its stock and its scroll position.
    Window().ChartArea()->setActiveSubWindow(Window().ChartArea()->subWindowList().first());
    EXPECT_EQ(program->Context().CurrentStock()->TickerText(), "ALBA");
    EXPECT_EQ(Window().TickerBox()->currentText(), "ALBA");
    EXPECT_EQ(Tree().currentItem()->text(0), "ALBA");
    EXPECT_EQ(Window().Indicator(0)->text(), "ALBA");
    EXPECT_EQ(second->OwnStock()->TickerText(), "BORA");
    EXPECT_EQ(second->ScrollBar()->value(), 3);
}

TEST_F(MainWindowTest, TheInsertMenuListsTheChartsAndInsertsBelowThePaneClickedLast) {
    Start(60, true);
    auto* chart = qobject_cast<ChartWindow*>(Window().ActiveChartWindow());
    ASSERT_NE(chart, nullptr);
    QMenu* insert = nullptr;
    for (QAction* a : Window().menuBar()->actions())
        if (a->text() == "&Insert") insert = a->menu();
    ASSERT_NE(insert, nullptr);
    emit insert->aboutToShow();
    const QList<QAction*> items = insert->actions();
    ASSERT_EQ(items.size(), 20);
    EXPECT_EQ(items.front()->text(), "&Price");
    EXPECT_EQ(items[18]->text(), "Parabolic SAR");
    ASSERT_NE(items[19]->menu(), nullptr);
    EXPECT_EQ(items[19]->text(), "Custom in&dicators");
    EXPECT_EQ(items[19]->menu()->actions().size(), 20);

    // Price, MACD, RSI; the price pane was clicked last, so RSI goes right below it.
    chart->Model().SetActivePane(0);
    items[2]->trigger();
    std::vector<int> ids;
    for (int i = 0; i < chart->Model().PaneCount(); ++i)
        ids.push_back(chart->Model().Pane(i).chartId);
    EXPECT_EQ(ids, (std::vector<int>{1, 3, 2, 3}));
    EXPECT_EQ(chart->Model().ActivePane(), 1);
}

TEST_F(MainWindowTest, CancelOrEscapeAtTheExitQuestionKeepsTheProgramAndItsChanges) {
    Start();
    program->Db().AddQuotation(*program->Db().FindStock("BORA"), MakeDate(2013, 1, 1))->Close = 7;
    const auto stockFile = StockFilePath(workspace.path(), "BORA");
    const auto before = test::ReadBytes(stockFile);
    ui.cancel = true;
    EXPECT_FALSE(Window().close());
    EXPECT_EQ(ui.questions, std::vector<std::string>{"Save changes to the database?"});
    EXPECT_TRUE(Window().isVisible());
    EXPECT_TRUE(program->Db().WorkspaceDirty());
    EXPECT_EQ(test::ReadBytes(stockFile), before);
    program->Db().SetWorkspaceDirty(false);
}

TEST_F(MainWindowTest, PreferencesChangedAndNeverSavedAreOfferedAtTheExit) {
    Start();
    Preferences& prefs = program->Context().Services().prefs;
    prefs.SetFatLineChart(!prefs.FatLineChart());
    const fs::path file = profile.path() / kPreferencesFileName;
    ui.cancel = true;
    EXPECT_FALSE(Window().close());
    EXPECT_EQ(ui.questions, std::vector<std::string>{"Save the preferences?"});
    EXPECT_FALSE(fs::exists(file));

    ui.cancel = false;
    ui.answer = true;
    EXPECT_TRUE(Window().close());
    Preferences saved;
    ASSERT_TRUE(LoadPreferences(file, saved));
    EXPECT_EQ(saved.FatLineChart(), prefs.FatLineChart());
    program->Exit();
}

TEST_F(MainWindowTest, AReadOnlySessionClosesWithoutAQuestion) {
    Start();
    program->Db().SetReadOnly(true);
    program->Db().AddQuotation(*program->Db().FindStock("BORA"), MakeDate(2013, 1, 1))->Close = 7;
    const auto before = test::ReadBytes(StockFilePath(workspace.path(), "BORA"));
    EXPECT_TRUE(Window().close());
    EXPECT_TRUE(ui.questions.empty());
    EXPECT_EQ(test::ReadBytes(StockFilePath(workspace.path(), "BORA")), before);
    program->Exit();
}

TEST_F(MainWindowTest, ClosingWithNoKeepsTheFilesAndStoresThePositionAndBars) {
    Start();
    program->Db().AddQuotation(*program->Db().FindStock("BORA"), MakeDate(2013, 1, 1))->Close = 7;
    const auto stockFile = StockFilePath(workspace.path(), "BORA");
    const auto before = test::ReadBytes(stockFile);
    Window().setGeometry(40, 50, 900, 640);
    ui.answer = false;
    EXPECT_TRUE(Window().close());
    EXPECT_EQ(ui.questions, std::vector<std::string>{"Save changes to the database?"});
    EXPECT_EQ(test::ReadBytes(stockFile), before);
    const SettingsStore& settings = program->Settings();
    EXPECT_EQ(settings.GetInt("WindowPos", "Width", 0), 900);
    EXPECT_EQ(settings.GetInt("WindowPos", "Left", 0), 40);
    EXPECT_EQ(settings.GetInt("WindowPos", "Maximized", -1), 0);
    const auto bars = StoredBarState(settings);
    ASSERT_TRUE(bars.has_value());
    program->Exit();

    // The next run finds the window where it was and the bars as they were.
    DesktopProgram again(profile.path(), workspace.path(), &ui);
    ASSERT_TRUE(again.StartUp());
    EXPECT_EQ(again.Window()->geometry(), QRect(40, 50, 900, 640));
    EXPECT_EQ(again.Db().FindStock("BORA")->Quotations.size(), 20u);
    again.Exit();
}

TEST_F(MainWindowTest, ToolsMenuListsTheCustomToolsAndRemainingQuotationsLoad) {
    test::WriteText(profile.path() / "settings.ini",
                    "[Custom Tools]\nCount=1\nName0=Notes\nCommand0=true\n"
                    "[Defaults]\n");
    Preferences partial;
    partial.SetPartialLoading(true);
    partial.SetLoadUpto(5);
    partial.SetDefaultDatabasePath(workspace.path().string());
    ASSERT_TRUE(SavePreferences(profile.path() / "tarvik.prefs", partial));
    Start(12);

    emit Window().ToolsMenu()->aboutToShow();
    QStringList items;
    for (QAction* a : Window().ToolsMenu()->actions()) {
        if (!a->isSeparator()) items << a->text();
    }
    EXPECT_EQ(items,
              (QStringList{"Notes", "&Customize...", "Indicator &Builder...", "&Commentary...",
                           "&Portfolio manager...", "&Calculate composites...", "&Run script..."}));
    // No customize dialog was given to this program; one attached after the menu was built
    // enables the entry.
    EXPECT_FALSE(Window().ToolsMenu()->actions()[2]->isEnabled());
    Window().customizeTools = [](GuiContext&, CustomTools&, QWidget*) {};
    emit Window().ToolsMenu()->aboutToShow();
    EXPECT_TRUE(Window().ToolsMenu()->actions()[2]->isEnabled());

    Stock* alba = program->Db().FindStock("ALBA");
    ASSERT_EQ(alba->Quotations.size(), 5u);
    ASSERT_TRUE(HasRemainingQuotations(alba));
    Window().LoadRemainingCurrent();
    EXPECT_EQ(alba->Quotations.size(), 12u);
    EXPECT_EQ(program->Db().FindStock("BORA")->Quotations.size(), 5u);
    Window().LoadRemainingAll();
    EXPECT_EQ(program->Db().FindStock("CETO")->Quotations.size(), 12u);
    EXPECT_EQ(ui.progress.steps.size(), 2u);
}

TEST(QtProgressTest, CancelStopsTheOperationAndCloseTakesTheDialogAway) {
    QtProgress progress;
    EXPECT_TRUE(progress.Step(0, 3, "ALBA", kLoadingQuotationsCaption));
    ASSERT_NE(progress.Dialog(), nullptr);
    EXPECT_EQ(progress.Dialog()->windowTitle(), "Loading quotations...");
    EXPECT_EQ(progress.Dialog()->labelText(), "ALBA");
    EXPECT_EQ(progress.Dialog()->maximum(), 3);
    progress.Dialog()->cancel();
    EXPECT_FALSE(progress.Step(1, 3, "BORA", kLoadingQuotationsCaption));
    progress.Close();
    EXPECT_EQ(progress.Dialog(), nullptr);
    EXPECT_TRUE(progress.Step(0, 1, "x", "y"));
    progress.Close();
}

}  // namespace
}  // namespace velmora::gui

#include "MainWindowTest.moc"
