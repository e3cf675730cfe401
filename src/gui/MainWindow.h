#pragma once
// The main window: the frame around the chart windows (a QMdiArea), with the menus, the
// "Standard", "Tools", "Draw" and "View" toolbars, the "Ticker" bar, the "Stock Tree" and
// "Profile" panes and the status bar. View and Draw commands go to the active chart window.
// Closing asks about unsaved changes, saves, and stores the window position and the bars.

#include <QMainWindow>
#include <QPointer>
#include <functional>

#include "app/CustomTools.h"
#include "app/ProfileAddress.h"
#include "automation/DocumentHost.h"
#include "gui/GuiContext.h"

class QActionGroup;
class QComboBox;
class QDockWidget;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QToolBar;

namespace velmora::gui {

class CommentaryWindow;
class DesktopDocumentHost;
class ProfileView;
class ScriptWindow;
class StockTreePane;

class MainWindow : public QMainWindow {
    Q_OBJECT
  public:
    MainWindow(GuiContext& context, CustomTools& tools, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Creates a chart window; none opens while it is empty. main() sets it.
    std::function<QWidget*(GuiContext&)> chartWindowFactory;
    // Opens the "Customize tools" dialog; "&Customize..." is disabled while it is empty.
    std::function<void(GuiContext&, CustomTools&, QWidget* parent)> customizeTools;

    // Opens a chart window through the factory; null when there is no factory.
    QWidget* OpenChartWindow();
    bool HasChartWindow() const;
    // The chart window that View and Draw commands go to; null when none is open.
    QWidget* ActiveChartWindow() const;

    // Shows the window at its stored rectangle, maximised when asked; then restores the bar
    // arrangement of the previous run.
    void ShowAtStart(bool maximized);
    // The program's title, marked when the workspace is open read-only.
    void UpdateCaption();
    // True once a close was accepted (the question about unsaved changes answered).
    bool Closed() const { return closed_; }

    QMdiArea* ChartArea() const { return mdi_; }
    StockTreePane* TreePane() const { return treePane_; }
    QDockWidget* ProfileDock() const { return profileDock_; }
    // The Profile pane's page.
    ProfileView* ProfilePage() const { return profileView_; }
    QComboBox* TickerBox() const { return tickerBox_; }
    QAction* LoadCurrentAction() const { return loadCurrent_; }
    QMenu* ToolsMenu() const { return toolsMenu_; }
    QToolBar* DrawBar() const { return drawBar_; }
    QLabel* Indicator(int i) const { return indicators_[i]; }
    // The chart windows as the automation model's documents.
    DocumentHost& Documents();
    // The script window, made when none is open.
    ScriptWindow* ScriptOutput();

  public slots:
    // File "&Import...": the file dialog over the profile's import types, then the import.
    void ImportAscii();
    // Imports the files with the format of a 1-based import type (outside the types:
    // "default.format"); the tree and the ticker bar then show any new stock.
    void ImportAsciiFiles(const QStringList& files, int typeNumber);
    // "Load remaining quotations": of the current stock, and of all stocks.
    void LoadRemainingCurrent();
    void LoadRemainingAll();
    // Runs a command that may replace the open workspace (New, Open, a recent entry).
    bool ReplaceWorkspace(const std::function<bool()>& open);
    // Window "&New": a further chart window, the windows side by side.
    void NewChartWindow();
    void TileSideBySide();
    // The Draw bar shows the tool a chart window switched to.
    void CheckTool(int tool);
    // Tools "&Commentary...": the one commentary window, opened or brought back, and run.
    CommentaryWindow* ShowCommentary();
    // Tools "&Run script...": a .js file run against the program in the script window.
    void RunScript();
    // File "&Print...": the active chart window on the printer.
    void PrintChart();
    // The View menu and bar check the active chart window's periodicity and chart type.
    void UpdateViewChecks();

  protected:
    void closeEvent(QCloseEvent* event) override;
    // Notes that the zoom-in action is about to run from one of its keys.
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void ChartActivated(QMdiSubWindow* sub);
    void CreateActions();
    void CreateMenus();
    void CreateBars();
    void NewWorkspace();
    void OpenWorkspace();
    void SaveWorkspaceAs();
    void SavePreferences();
    void NewStock();
    void ShowAbout();
    void FillToolbarsMenu(QMenu* menu);
    // The Insert menu: the built-in charts and the custom indicators, inserted into the active
    // chart window below its active pane.
    void FillInsertMenu(QMenu* menu);
    void AddWindowList(QMenu* window);
    void RebuildRecentMenu();
    void RebuildToolsMenu();
    void RebuildTickerBox();
    void SelectTicker(const Stock* stock);
    void UpdateProfile();
    void UpdateIndicators();
    void Forward(const char* method, int argument = -1);
    QString ChooseFolder();

    GuiContext& context_;
    CustomTools& tools_;
    ProfilePane profile_;
    QMdiArea* mdi_ = nullptr;
    StockTreePane* treePane_ = nullptr;
    QDockWidget* profileDock_ = nullptr;
    ProfileView* profileView_ = nullptr;
    QComboBox* tickerBox_ = nullptr;
    QMenu* recentMenu_ = nullptr;
    QMenu* toolsMenu_ = nullptr;
    QToolBar* standardBar_ = nullptr;
    QToolBar* toolsBar_ = nullptr;
    QToolBar* drawBar_ = nullptr;
    QToolBar* viewBar_ = nullptr;
    QToolBar* tickerBar_ = nullptr;
    QActionGroup* periodicity_ = nullptr;
    QActionGroup* chartType_ = nullptr;
    QActionGroup* drawTools_ = nullptr;
    QAction* newWorkspace_ = nullptr;
    QAction* openWorkspace_ = nullptr;
    QAction* saveWorkspace_ = nullptr;
    QAction* saveWorkspaceAs_ = nullptr;
    QAction* savePreferences_ = nullptr;
    QAction* importAscii_ = nullptr;
    QAction* exit_ = nullptr;
    QAction* loadCurrent_ = nullptr;
    QAction* loadAll_ = nullptr;
    QAction* newStock_ = nullptr;
    QAction* deleteStock_ = nullptr;
    QAction* deleteQuotation_ = nullptr;
    QAction* deleteSession_ = nullptr;
    QAction* newWindow_ = nullptr;
    QAction* zoomIn_ = nullptr;
    QAction* zoomOut_ = nullptr;
    QAction* zoomAll_ = nullptr;
    QAction* zoomNormal_ = nullptr;
    QAction* crosshair_ = nullptr;
    QLabel* indicators_[4] = {};
    QMenu* viewMenuPanes_ = nullptr;
    QAction* print_ = nullptr;
    DesktopDocumentHost* documents_ = nullptr;
    QPointer<CommentaryWindow> commentary_;
    QPointer<ScriptWindow> scriptWindow_;
    QPointer<QAction> customize_;  // Tools "Customize..."
    bool zoomByKey_ = false;
    bool shown_ = false;
    bool closed_ = false;
};

}  // namespace velmora::gui
