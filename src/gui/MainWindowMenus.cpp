// The main window's actions and menus: the actions the menus and bars share come from one
// table, the menu bar from another.

#include <QAction>
#include <QActionGroup>
#include <QFileDialog>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QStatusBar>
#include <QToolBar>
#include <optional>
#include <span>
#include <utility>

#include "app/MainWindowCommands.h"
#include "automation/AApplication.h"
#include "chart/Studies.h"
#include "gui/MainWindow.h"
#include "gui/MenuTable.h"
#include "gui/StartupScreens.h"
#include "gui/ToolbarIcons.h"
#include "gui/analysis/AnalysisWindow.h"
#include "gui/analysis/QuickReviewWindow.h"
#include "gui/analysis/RiskYieldMapWindow.h"
#include "gui/dialogs/CompositesDialog.h"
#include "gui/dialogs/HelpWindow.h"
#include "gui/dialogs/ImportDialogs.h"
#include "gui/dialogs/IndicatorBuilderDialog.h"
#include "gui/dialogs/PortfolioWindow.h"
#include "gui/dialogs/PreferencesDialog.h"
#include "gui/dialogs/StockDialogs.h"
#include "platform/InstallLayout.h"

namespace velmora::gui {

namespace {

// The menu texts of the chart types, in the order of their command numbers.
constexpr const char* kChartTypeLabels[] = {"Auto", "Line", "Candlesticks", "Bars"};
constexpr const char* kPeriodicityLabels[] = {"&Daily", "&Weekly", "&Monthly"};
constexpr const char* kPeriodicityKeys[] = {"Ctrl+1", "Ctrl+2", "Ctrl+3"};
// Their toolbar images (ToolbarIcon).
constexpr const char* kChartTypeImages[] = {"auto", "line", "candlesticks", "bars"};
constexpr const char* kPeriodicityImages[] = {"daily", "weekly", "monthly"};
constexpr const char* kToolImages[] = {
    "pick", "trend", "horizontal", "vertical", "fib-retracement", "fib-time", "text"};
// The Draw bar's button texts (the menu and tooltips keep the tools' full names).
constexpr const char* kToolButtonTexts[] = {
    "Pick", "Trend", "Horizontal", "Vertical", "Fib. retracement", "Fib. time", "Text"};
constexpr const char* kToolKeys[] = {"Ctrl+Shift+P", "Ctrl+Shift+T", "Ctrl+Shift+H", "Ctrl+Shift+V",
                                     "Ctrl+Shift+F", "Ctrl+Shift+Z", "Ctrl+Shift+X"};

// An action the menus and bars share.
struct ActionSpec {
    QAction** action;
    const char* caption;
    std::function<void()> command;
    const char* iconText = nullptr;  // its text on a toolbar; null: the caption
    const char* image = nullptr;     // its image (ToolbarIcon); null: none
    std::optional<QKeySequence::StandardKey> shortcut = std::nullopt;
};

}  // namespace

void MainWindow::CreateActions() {
    const auto create = [this](std::span<const ActionSpec> specs) {
        for (const ActionSpec& spec : specs) {
            auto* a = new QAction(tr(spec.caption), this);
            if (spec.image != nullptr) a->setIcon(ToolbarIcon(spec.image));
            if (spec.iconText != nullptr) a->setIconText(tr(spec.iconText));
            if (spec.shortcut) a->setShortcut(*spec.shortcut);
            connect(a, &QAction::triggered, this, spec.command);
            *spec.action = a;
        }
    };
    // Checkable choices, the first checked, each passing its index to the active chart window.
    const auto choices = [this](std::span<const char* const> labels,
                                std::span<const char* const> images, const char* method) {
        auto* group = new QActionGroup(this);
        for (int i = 0; i < static_cast<int>(labels.size()); ++i) {
            auto* a = new QAction(ToolbarIcon(images[static_cast<std::size_t>(i)]),
                                  tr(labels[static_cast<std::size_t>(i)]), group);
            a->setCheckable(true);
            a->setChecked(i == 0);
            // In the menu the check mark shows the choice; an image there would replace it.
            a->setIconVisibleInMenu(false);
            connect(a, &QAction::triggered, this, [this, method, i] { Forward(method, i); });
        }
        return group;
    };

    StockMaintenance& maintenance = context_.Maintenance();
    const ActionSpec workspaceAndStock[] = {
        {&newWorkspace_, "&New workspace...", [this] { NewWorkspace(); }, nullptr, "new-workspace"},
        {&openWorkspace_, "&Open Workspace...", [this] { OpenWorkspace(); }, nullptr,
         "open-workspace", QKeySequence::Open},
        {&saveWorkspace_, "&Save Workspace",
         [this] { SaveWorkspaceCommand(context_.Services().app, context_.Services().ui); }, nullptr,
         "save-workspace", QKeySequence::Save},
        {&saveWorkspaceAs_, "Save Workspace &As...", [this] { SaveWorkspaceAs(); }},
        {&importAscii_, "&Import...", [this] { ImportAscii(); }},
        {&print_, "&Print...", [this] { PrintChart(); }, nullptr, nullptr, QKeySequence::Print},
        {&savePreferences_, "Save &preferences", [this] { SavePreferences(); }},
        {&exit_, "E&xit", [this] { close(); }},
        {&loadCurrent_, "&Current stock", [this] { LoadRemainingCurrent(); }},
        {&loadAll_, "&All stocks", [this] { LoadRemainingAll(); }, "Load all quotations",
         "load-all"},
        {&newStock_, "&New stock...", [this] { NewStock(); }, "New stock", "new-stock"},
        {&deleteStock_, "&Delete stock", [&maintenance] { maintenance.DeleteCurrentStock(); },
         "Delete stock", "delete-stock"},
        {&deleteQuotation_, "Delete &quotation",
         [this, &maintenance] {
             // Asked first: the quotation is gone from memory at once.
             const Stock* stock = context_.CurrentStock();
             if (stock == nullptr || !maintenance.PickedDate()) return;
             const std::string question = "Delete the quotation of " + *maintenance.PickedDate() +
                                          " from " + std::string(stock->TickerText()) + "?";
             if (context_.Services().ui.AskYesNo(question)) maintenance.DeleteQuotation();
         }},
        {&deleteSession_, "Delete &session", [&maintenance] { maintenance.DeleteSession(); }},
        {&newWindow_, "&New", [this] { NewChartWindow(); }, "New window", "new-window"},
    };
    // A zoom key runs the plain step; a click reads SHIFT and CTRL as the chart window's ZoomIn
    // does.
    const ActionSpec zoom[] = {
        {&zoomIn_, "Zoom &In",
         [this] { Forward(std::exchange(zoomByKey_, false) ? "ZoomInStep" : "ZoomIn"); }, nullptr,
         "zoom-in"},
        {&zoomOut_, "Zoom &Out", [this] { Forward("ZoomOut"); }, nullptr, "zoom-out"},
        {&zoomAll_, "Zoom &All", [this] { Forward("ZoomAll"); }, nullptr, "zoom-all"},
        {&zoomNormal_, "Zoom &Normal", [this] { Forward("ZoomNormal"); }, nullptr, "zoom-normal"},
    };
    create(workspaceAndStock);
    periodicity_ = choices(kPeriodicityLabels, kPeriodicityImages, "SetPeriodicity");
    chartType_ = choices(kChartTypeLabels, kChartTypeImages, "SetChartType");
    create(zoom);
    // Ctrl++ on the main keyboard (with or without SHIFT, or the key that carries "+") and on
    // the keypad zooms in; Ctrl+- zooms out.
    zoomIn_->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Plus),
         QKeySequence(Qt::CTRL | Qt::Key_Equal), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Equal),
         QKeySequence(QKeyCombination(Qt::ControlModifier | Qt::KeypadModifier, Qt::Key_Plus))});
    zoomOut_->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Minus),
         QKeySequence(QKeyCombination(Qt::ControlModifier | Qt::KeypadModifier, Qt::Key_Minus))});
    zoomIn_->installEventFilter(this);
    crosshair_ = new QAction(tr("&Crosshair"), this);
    crosshair_->setCheckable(true);
    crosshair_->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C));
    connect(crosshair_, &QAction::toggled, this, [this](bool on) { context_.SetCrosshair(on); });
    for (int i = 0; i < 3; ++i)
        periodicity_->actions()[i]->setShortcut(
            QKeySequence(QString::fromLatin1(kPeriodicityKeys[i])));
    drawTools_ = new QActionGroup(this);
    drawTools_->setExclusive(true);
    for (const StudyToolInfo& info : StudyTools()) {
        auto* a = new QAction(ToolbarIcon(kToolImages[static_cast<int>(info.tool)]),
                              QString::fromUtf8(info.label), drawTools_);
        a->setIconText(tr(kToolButtonTexts[static_cast<int>(info.tool)]));
        a->setToolTip(QString::fromUtf8(info.label));
        a->setCheckable(true);
        a->setChecked(info.tool == StudyTool::Pick);
        a->setIconVisibleInMenu(false);
        const int tool = static_cast<int>(info.tool);
        a->setShortcut(QKeySequence(QString::fromLatin1(kToolKeys[tool])));
        connect(a, &QAction::triggered, this, [this, tool] { Forward("SetTool", tool); });
    }
}

void MainWindow::CreateMenus() {
    using E = MenuEntry;
    const auto current = [this] { return context_.CurrentStock() != nullptr; };
    const auto picked = [this] { return context_.Maintenance().PickedDate().has_value(); };

    std::vector<E> file = {
        E::Of(newWorkspace_),
        E::Of(openWorkspace_),
        E::Of(saveWorkspace_),
        E::Of(saveWorkspaceAs_),
        E::Separator(),
        E::Of(importAscii_),
        E::Extension([this](QMenu* menu) { AddImportActions(context_, menu, this); }),
        E::Of(print_, [this] { return ActiveChartWindow() != nullptr; }),
        E::Submenu(tr("&Load remaining quotations"),
                   {
                       E::Of(loadCurrent_,
                             [this] { return HasRemainingQuotations(context_.CurrentStock()); }),
                       E::Of(loadAll_),
                   }),
        E::Separator(),
        E::Command(tr("P&references..."), [this] { ShowPreferences(context_, this); }),
        E::Of(savePreferences_),
        E::Separator(),
        E::Submenu(tr("Recent &workspaces"), {}).KeptIn(&recentMenu_),
        E::Separator(),
        E::Of(exit_),
    };
    // The stock commands need a current stock; the quotation commands a bar picked in a chart.
    std::vector<E> edit = {
        E::Of(newStock_),
        E::Of(deleteStock_, current),
        E::Separator(),
        E::Of(deleteQuotation_, [current, picked] { return picked() && current(); }),
        E::Of(deleteSession_, picked),
        E::Extension([this](QMenu* menu) { AddStockMaintenanceActions(context_, menu, this); }),
    };
    // The panes' toggles join below the toolbars once the panes are made.
    std::vector<E> view = {
        E::Group(periodicity_),
        E::Separator(),
        E::Submenu(tr("Chart &type"), {E::Group(chartType_)}),
        E::Separator(),
        E::Of(zoomIn_),
        E::Of(zoomOut_),
        E::Of(zoomAll_),
        E::Of(zoomNormal_),
        E::Separator(),
        E::Of(crosshair_),
        E::Separator(),
        E::Submenu(tr("&Toolbars"), {}).WhenShown([this](QMenu* m) { FillToolbarsMenu(m); }),
    };
    // Its commands join the Standard bar, with their short texts.
    std::vector<E> analysis = {
        E::Command(
            tr("&Automatic Analysis..."), [this] { ShowAnalysisWindow(context_, this); },
            tr("Analysis"), ToolbarIcon("analysis")),
        E::Command(
            tr("Quick &Review..."), [this] { ShowQuickReviewWindow(context_, this); }, tr("Review"),
            ToolbarIcon("review")),
        E::Command(
            tr("&Risk/yield map"), [this] { ShowRiskYieldMapWindow(context_, this); },
            tr("Risk/yield"), ToolbarIcon("risk-yield")),
    };
    // The drawing tools, the current chart window's tool checked.
    std::vector<E> draw = {E::Group(drawTools_)};
    std::vector<E> window = {
        E::Of(newWindow_),
        E::Command(tr("&Cascade"), [this] { mdi_->cascadeSubWindows(); }),
        E::Command(tr("&Tile"), [this] { mdi_->tileSubWindows(); }),
        E::Command(tr("Tile &side by side"), [this] { TileSideBySide(); }),
        E::Extension([this](QMenu* menu) { AddWindowList(menu); }),
    };
    // The manual (F1) and the built-in function reference, in the help window.
    auto* contents = new QAction(tr("&Contents"), this);
    contents->setShortcut(QKeySequence::HelpContents);
    connect(contents, &QAction::triggered, this,
            [this] { ShowHelp(this, QStringLiteral("index.md")); });
    std::vector<E> help = {
        E::Of(contents),
        E::Command(tr("&Formula functions"),
                   [this] { ShowHelp(this, QStringLiteral("functions.md")); }),
        E::Separator(),
        E::Command(tr("&Tip of the Day..."),
                   [this] { ShowTipOfTheDay(context_.Services().settings, this, false); }),
        E::Command(tr("&About Velmora..."), [this] { ShowAbout(); }),
    };

    AddMenus(
        menuBar(),
        {
            E::Submenu(tr("&File"), std::move(file)).WhenShown([this](QMenu*) {
                RebuildRecentMenu();
            }),
            E::Submenu(tr("&Edit"), std::move(edit)),
            E::Submenu(tr("&View"), std::move(view)).KeptIn(&viewMenuPanes_),
            // Rebuilt each time it opens: the custom indicators' names may have changed.
            E::Submenu(tr("&Insert"), {}).WhenShown([this](QMenu* m) { FillInsertMenu(m); }),
            E::Submenu(tr("&Draw"), std::move(draw)),
            E::Submenu(tr("&Analysis"), std::move(analysis)).Named(QStringLiteral("AnalysisMenu")),
            E::Submenu(tr("&Window"), std::move(window)),
            // The custom tools, then the fixed entries; rebuilt when the tools have changed.
            E::Submenu(tr("&Tools"), {}).KeptIn(&toolsMenu_).WhenShown([this](QMenu*) {
                RebuildToolsMenu();
            }),
            E::Submenu(tr("&Help"), std::move(help)),
        },
        this);
    RebuildRecentMenu();
    RebuildToolsMenu();
}

void MainWindow::FillInsertMenu(QMenu* menu) {
    menu->clear();
    const bool hasChart = ActiveChartWindow() != nullptr;
    const auto add = [this, hasChart](QMenu* to, const MenuItem& item) {
        QAction* a = to->addAction(QString::fromStdString(item.text));
        a->setEnabled(hasChart);
        const int command = item.command;
        connect(a, &QAction::triggered, this, [this, command] { Forward("RunCommand", command); });
    };
    for (const MenuItem& item : ChartWindowModel::InsertMenu(context_.Services().charts)) {
        if (item.submenu.empty()) {
            add(menu, item);
            continue;
        }
        QMenu* sub = menu->addMenu(QString::fromStdString(item.text));
        for (const MenuItem& custom : item.submenu) add(sub, custom);
    }
}

void MainWindow::ShowAbout() {
    QMessageBox::about(this, tr("About Velmora"), AboutText());
}

void MainWindow::NewWorkspace() {
    Application& app = context_.Services().app;
    QFileDialog dialog(this, QString(), QString(), tr("Velmora Workspace (*.workspace)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("workspace"));
    dialog.selectFile(QStringLiteral("tarvik.workspace"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    const std::string file = dialog.selectedFiles().first().toStdString();
    ReplaceWorkspace([&app, &file] { return app.NewWorkspace(file); });
}

void MainWindow::OpenWorkspace() {
    Application& app = context_.Services().app;
    const QString dir = ChooseFolder();
    if (dir.isEmpty()) return;
    ReplaceWorkspace([&app, &dir] { return app.OpenWorkspaceFolder(dir.toStdString()); });
}

void MainWindow::SaveWorkspaceAs() {
    const QString dir = ChooseFolder();
    if (dir.isEmpty()) return;
    SaveWorkspaceCommand(context_.Services().app, context_.Services().ui, dir.toStdString());
    UpdateCaption();
}

void MainWindow::SavePreferences() {
    if (!context_.Services().app.SavePreferences()) {
        context_.Services().ui.ShowMessage("The preferences could not be saved");
    }
}

void MainWindow::NewStock() {
    const auto ticker = context_.Services().ui.AskString(kNewStockPrompt, "");
    if (ticker) context_.Maintenance().NewStock(*ticker);
}

void MainWindow::FillToolbarsMenu(QMenu* menu) {
    menu->clear();
    for (QToolBar* bar : {standardBar_, tickerBar_, toolsBar_, drawBar_, viewBar_}) {
        menu->addAction(bar->toggleViewAction());
    }
    QAction* status = menu->addAction(tr("&Status Bar"));
    status->setCheckable(true);
    status->setChecked(statusBar()->isVisible());
    connect(status, &QAction::toggled, statusBar(), &QWidget::setVisible);
}

// Below the commands, one entry per chart window, the active one checked.
void MainWindow::AddWindowList(QMenu* window) {
    QAction* listStart = window->addSeparator();
    connect(window, &QMenu::aboutToShow, this, [this, window, listStart] {
        const QList<QAction*> actions = window->actions();
        for (qsizetype i = actions.indexOf(listStart) + 1; i < actions.size(); ++i) {
            window->removeAction(actions[i]);
            actions[i]->deleteLater();
        }
        const QList<QMdiSubWindow*> subs = mdi_->subWindowList();
        listStart->setVisible(!subs.isEmpty());
        for (int i = 0; i < subs.size(); ++i) {
            QMdiSubWindow* sub = subs[i];
            QAction* a =
                window->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(sub->windowTitle()));
            a->setCheckable(true);
            a->setChecked(sub == mdi_->activeSubWindow());
            connect(a, &QAction::triggered, mdi_, [this, sub] { mdi_->setActiveSubWindow(sub); });
        }
    });
}

void MainWindow::RebuildRecentMenu() {
    recentMenu_->clear();
    Application& app = context_.Services().app;
    const auto& recent = app.RecentList();
    for (int i = 0; i < static_cast<int>(recent.size()); ++i) {
        const QString text = QStringLiteral("&%1 %2").arg(i + 1).arg(
            QString::fromStdString(recent[static_cast<std::size_t>(i)].string()));
        recentMenu_->addAction(text, this, [this, &app, i] {
            ReplaceWorkspace([&app, i] { return app.OpenRecent(i); });
        });
    }
    recentMenu_->setEnabled(!recent.empty());
}

void MainWindow::RebuildToolsMenu() {
    std::vector<ToolsMenuItem> items;
    if (!tools_.RebuildMenu(items) && !toolsMenu_->isEmpty()) {
        // The dialog may have been attached since the menu was built.
        if (customize_ != nullptr) customize_->setEnabled(static_cast<bool>(customizeTools));
        return;
    }
    toolsMenu_->clear();
    for (const ToolsMenuItem& item : items) {
        const int i = tools_.ToolOfCommand(item.command);
        QAction* a = toolsMenu_->addAction(QString::fromStdString(item.text), this,
                                           [this, i] { tools_.Run(i, context_.Services().ui); });
        a->setStatusTip(QString::fromStdString(CustomTools::StatusPrompt(item.command)));
    }
    if (!items.empty()) toolsMenu_->addSeparator();
    // Disabled while no customize dialog is attached.
    QAction* customize = toolsMenu_->addAction(tr("&Customize..."));
    customize_ = customize;
    customize->setEnabled(static_cast<bool>(customizeTools));
    connect(customize, &QAction::triggered, this, [this] {
        if (customizeTools) {
            customizeTools(context_, tools_, this);
            tools_.MarkMenuForRebuild();
        }
    });
    using E = MenuEntry;
    AddMenuEntries(toolsMenu_,
                   {
                       E::Separator(),
                       E::Command(tr("Indicator &Builder..."),
                                  [this] { ShowIndicatorBuilder(context_, this); }),
                       E::Command(tr("&Commentary..."), [this] { ShowCommentary(); }),
                       E::Command(tr("&Portfolio manager..."),
                                  [this] { ShowPortfolioManager(context_, this); }),
                       E::Command(tr("&Calculate composites..."),
                                  [this] { ShowCompositesTool(context_, this); }),
                       E::Separator(),
                       E::Command(tr("&Run script..."), [this] { RunScript(); }),
                   },
                   this);
}

}  // namespace velmora::gui
