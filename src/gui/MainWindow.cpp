#include "gui/MainWindow.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QDockWidget>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QScreen>
#include <QStatusBar>
#include <QToolBar>

#include "app/MainWindowCommands.h"
#include "gui/DesktopDocumentHost.h"
#include "gui/ProfileView.h"
#include "gui/QtUserInterface.h"
#include "gui/StockTreePane.h"
#include "gui/chart/ChartWindow.h"
#include "gui/dialogs/CommentaryWindow.h"
#include "gui/dialogs/ImportDialogs.h"
#include "gui/dialogs/ScriptWindow.h"
#include "import/AsciiImportCommand.h"

namespace velmora::gui {

namespace {

constexpr int kFullRefreshFlags = 7;

QString FolderDialogTitle() {
    return QStringLiteral("Please select workspace directory");
}

// A file dialog filter of an import type ("Description|*.ext;*.alt|"): the description with
// its patterns in parentheses, "*.*" standing for every file.
QString NameFilter(const std::string& filter) {
    const QStringList parts = QString::fromStdString(filter).split(QLatin1Char('|'));
    QString description = parts.value(0).trimmed();
    const qsizetype open = description.lastIndexOf(QLatin1Char('('));
    if (open > 0 && description.endsWith(QLatin1Char(')'))) {
        description = description.left(open).trimmed();
    }
    QStringList patterns;
    for (const QString& p : parts.value(1).split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        patterns << (p.trimmed() == QLatin1String("*.*") ? QStringLiteral("*") : p.trimmed());
    }
    if (patterns.isEmpty()) patterns << QStringLiteral("*");
    return QStringLiteral("%1 (%2)").arg(description, patterns.join(QLatin1Char(' ')));
}

}  // namespace

MainWindow::MainWindow(GuiContext& context, CustomTools& tools, QWidget* parent)
    : QMainWindow(parent), context_(context), tools_(tools) {
    setObjectName(QStringLiteral("MainWindow"));
    setWindowTitle(kProgramTitle);
    mdi_ = new QMdiArea(this);
    mdi_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdi_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(mdi_);
    connect(mdi_, &QMdiArea::subWindowActivated, this, &MainWindow::ChartActivated);
    documents_ = new DesktopDocumentHost(*this, context_);

    CreateActions();
    CreateMenus();
    CreateBars();

    connect(&context_, &GuiContext::stockTreeRebuildRequested, this,
            [this](bool) { RebuildTickerBox(); });
    connect(&context_, &GuiContext::stockSelected, this, [this](const Stock* stock) {
        SelectTicker(stock);
        UpdateProfile();
    });
    connect(&context_, &GuiContext::chartsRefreshRequested, this,
            [this](int) { UpdateIndicators(); });
    // Chart windows caption themselves by their own stock; other windows standing in for them
    // take the current stock's caption.
    connect(&context_, &GuiContext::chartCaptionChanged, this, [this](const QString& caption) {
        QWidget* chart = ActiveChartWindow();
        if (chart != nullptr && qobject_cast<ChartWindow*>(chart) == nullptr)
            chart->setWindowTitle(caption);
    });
}

MainWindow::~MainWindow() {
    // The children go after this destructor: their signals must not reach a half-destroyed
    // main window.
    disconnect(mdi_, nullptr, this, nullptr);
    disconnect(&context_, nullptr, this, nullptr);
    delete documents_;
    documents_ = nullptr;
    for (QMdiSubWindow* sub : mdi_->subWindowList()) {
        if (sub->widget() != nullptr) disconnect(sub->widget(), nullptr, this, nullptr);
    }
}

void MainWindow::CreateBars() {
    standardBar_ = new QToolBar(tr("Standard"), this);
    standardBar_->setObjectName(QStringLiteral("Standard"));
    standardBar_->addAction(newWorkspace_);
    standardBar_->addAction(openWorkspace_);
    standardBar_->addAction(saveWorkspace_);
    standardBar_->addSeparator();
    standardBar_->addAction(newStock_);
    standardBar_->addAction(deleteStock_);
    if (auto* analysis = findChild<QMenu*>(QStringLiteral("AnalysisMenu"))) {
        standardBar_->addSeparator();
        standardBar_->addActions(analysis->actions());
    }
    addToolBar(Qt::TopToolBarArea, standardBar_);

    tickerBar_ = new QToolBar(tr("Ticker"), this);
    tickerBar_->setObjectName(QStringLiteral("Ticker"));
    tickerBox_ = new QComboBox(tickerBar_);
    tickerBox_->setMinimumContentsLength(16);
    tickerBox_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    tickerBar_->addWidget(tickerBox_);
    addToolBar(Qt::TopToolBarArea, tickerBar_);
    connect(tickerBox_, &QComboBox::activated, this, [this](int index) {
        const QString ticker = tickerBox_->itemData(index).toString();
        if (Stock* stock = context_.Services().db.FindStock(ticker.toStdString())) {
            context_.MakeCurrent(stock, kChosenStockFlags);
        }
    });

    toolsBar_ = new QToolBar(tr("Tools"), this);
    toolsBar_->setObjectName(QStringLiteral("Tools"));
    toolsBar_->addAction(newWindow_);
    toolsBar_->addAction(loadAll_);
    addToolBar(Qt::TopToolBarArea, toolsBar_);

    addToolBarBreak(Qt::TopToolBarArea);
    drawBar_ = new QToolBar(tr("Draw"), this);
    drawBar_->setObjectName(QStringLiteral("Draw"));
    drawBar_->addActions(drawTools_->actions());
    addToolBar(Qt::TopToolBarArea, drawBar_);

    viewBar_ = new QToolBar(tr("View"), this);
    viewBar_->setObjectName(QStringLiteral("View"));
    viewBar_->addActions(periodicity_->actions());
    viewBar_->addSeparator();
    viewBar_->addActions(chartType_->actions());
    viewBar_->addSeparator();
    viewBar_->addAction(zoomIn_);
    viewBar_->addAction(zoomOut_);
    viewBar_->addAction(zoomAll_);
    viewBar_->addAction(zoomNormal_);
    addToolBar(Qt::TopToolBarArea, viewBar_);

    treePane_ = new StockTreePane(context_, this);
    connect(treePane_, &StockTreePane::openInNewWindowRequested, this, &MainWindow::NewChartWindow);
    addDockWidget(Qt::LeftDockWidgetArea, treePane_);

    profileDock_ = new QDockWidget(tr("Profile"), this);
    profileDock_->setObjectName(QStringLiteral("Profile"));
    profileView_ = new ProfileView(profileDock_);
    profileDock_->setWidget(profileView_);
    addDockWidget(Qt::LeftDockWidgetArea, profileDock_);
    connect(profileDock_, &QDockWidget::visibilityChanged, this, [this](bool visible) {
        if (!visible) {
            profile_.Hide();
            return;
        }
        if (profile_.Visible()) return;
        if (auto address =
                profile_.Show(context_.Services().db.Categories(), context_.CurrentStock())) {
            profileView_->Open(ToQString(*address));
        }
    });

    // Initial sizes: the stock tree 200 by 200, the Profile pane 100 by 100.
    resizeDocks({treePane_, profileDock_}, {200, 200}, Qt::Horizontal);
    resizeDocks({treePane_, profileDock_}, {200, 100}, Qt::Vertical);

    viewMenuPanes_->addAction(treePane_->toggleViewAction());
    QAction* profileToggle = profileDock_->toggleViewAction();
    profileToggle->setText(tr("&Profile"));
    profileToggle->setStatusTip(tr("Shows Profile pane (using embedded web browser)"));
    viewMenuPanes_->addAction(profileToggle);

    statusBar()->showMessage(tr("Ready"));
    for (QLabel*& indicator : indicators_) {
        indicator = new QLabel(this);
        indicator->setMinimumWidth(60);
        indicator->setAlignment(Qt::AlignCenter);
        statusBar()->addPermanentWidget(indicator);
    }
}

QString MainWindow::ChooseFolder() {
    return QFileDialog::getExistingDirectory(this, FolderDialogTitle(), QString());
}

bool MainWindow::ReplaceWorkspace(const std::function<bool()>& open) {
    // The windows let go of the current stock before the database may be released: a message
    // box shown while the new workspace loads would otherwise repaint them with a freed stock.
    const Stock* old = context_.CurrentStock();
    const std::string oldTicker = old ? std::string(old->TickerText()) : std::string();
    context_.MakeCurrent(nullptr, 0);
    const bool ok = open();
    // Nothing was replaced (the save of the old workspace was cancelled, or the folder was
    // refused): the old stock comes back.
    if (!ok && context_.CurrentStock() == nullptr && !oldTicker.empty()) {
        if (Stock* again = context_.Services().db.FindStock(oldTicker)) {
            context_.MakeCurrent(again, kFullRefreshFlags);
        }
    }
    return ok;
}

void MainWindow::RebuildTickerBox() {
    const Preferences& prefs = context_.Services().prefs;
    QSignalBlocker block(tickerBox_);
    tickerBox_->clear();
    for (const auto& stock : context_.Services().db.Stocks()) {
        QString label = ToQString(stock->TickerText());
        if (prefs.FullNameInTickerBox() && !stock->FullName.View().empty()) {
            label += QStringLiteral(" (%1)").arg(ToQString(stock->FullName.View()));
        }
        tickerBox_->addItem(label, ToQString(stock->TickerText()));
    }
    SelectTicker(context_.CurrentStock());
}

void MainWindow::SelectTicker(const Stock* stock) {
    QSignalBlocker block(tickerBox_);
    const int position = context_.Services().db.PositionOf(stock);
    tickerBox_->setCurrentIndex(position < tickerBox_->count() ? position : -1);
}

void MainWindow::UpdateProfile() {
    const Stock* stock = context_.CurrentStock();
    if (stock == nullptr) return;
    if (auto address = profile_.StockBecameCurrent(context_.Services().db.Categories(), *stock)) {
        profileView_->Open(ToQString(*address));
    }
}

void MainWindow::UpdateIndicators() {
    const Stock* stock = context_.CurrentStock();
    const Database& db = context_.Services().db;
    indicators_[0]->setText(stock ? ToQString(stock->TickerText()) : QString());
    indicators_[1]->setText(stock ? QString::number(Database::QuotationCount(*stock)) : QString());
    indicators_[2]->setText(stock && !stock->Quotations.empty()
                                ? ToQString(DateToText(stock->Quotations.back().Date))
                                : QString());
    indicators_[3]->setText(QString::number(db.StockCount()));
}

void MainWindow::Forward(const char* method, int argument) {
    QWidget* chart = ActiveChartWindow();
    if (chart == nullptr) return;
    if (argument < 0) {
        QMetaObject::invokeMethod(chart, method);
    } else {
        QMetaObject::invokeMethod(chart, method, Q_ARG(int, argument));
    }
}

QWidget* MainWindow::OpenChartWindow() {
    if (!chartWindowFactory) return nullptr;
    QWidget* chart = chartWindowFactory(context_);
    if (chart == nullptr) return nullptr;
    QMdiSubWindow* sub = mdi_->addSubWindow(chart);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    if (const Stock* stock = context_.CurrentStock()) {
        chart->setWindowTitle(ToQString(ChartCaption(*stock)));
    }
    if (mdi_->subWindowList().size() == 1) {
        sub->showMaximized();
    } else {
        sub->show();
    }
    mdi_->setActiveSubWindow(sub);
    context_.SetActiveChart(chart);
    // A chart window that changes its tool itself (the text tool, Escape) checks the Draw bar's
    // button of the new tool.
    if (chart->metaObject()->indexOfSignal("toolChanged(int)") >= 0) {
        connect(chart, SIGNAL(toolChanged(int)), this, SLOT(CheckTool(int)));
    }
    // Its pane menu's periodicity reaches the View menu's check marks.
    if (chart->metaObject()->indexOfSignal("periodicityChanged(int)") >= 0) {
        connect(chart, SIGNAL(periodicityChanged(int)), this, SLOT(UpdateViewChecks()));
    }
    if (chart->metaObject()->indexOfSignal("chartTypeChanged(int)") >= 0) {
        connect(chart, SIGNAL(chartTypeChanged(int)), this, SLOT(UpdateViewChecks()));
    }
    // A new window starts with the pick tool (each window keeps its own tool).
    CheckTool(0);
    return chart;
}

void MainWindow::ChartActivated(QMdiSubWindow* sub) {
    if (sub == nullptr || sub->widget() == nullptr) return;
    context_.SetActiveChart(sub->widget());
    // The View and Draw bars and menus show the activated window's periodicity, chart type and
    // drawing tool.
    UpdateViewChecks();
    if (auto* chart = qobject_cast<ChartWindow*>(sub->widget()))
        CheckTool(static_cast<int>(chart->Tool()));
}

void MainWindow::UpdateViewChecks() {
    auto* chart = qobject_cast<ChartWindow*>(ActiveChartWindow());
    if (chart == nullptr) return;
    const QList<QAction*> periods = periodicity_->actions();
    const int p = static_cast<int>(chart->Model().GetPeriodicity());
    if (p >= 0 && p < periods.size()) periods[p]->setChecked(true);
    const QList<QAction*> types = chartType_->actions();
    const int t = static_cast<int>(chart->Settings().chartType);
    if (t >= 0 && t < types.size()) types[t]->setChecked(true);
}

DocumentHost& MainWindow::Documents() {
    return *documents_;
}

CommentaryWindow* MainWindow::ShowCommentary() {
    if (commentary_ == nullptr) {
        commentary_ = ShowCommentaryWindow(context_, this);
    } else {
        commentary_->showNormal();
        commentary_->raise();
        commentary_->activateWindow();
        commentary_->Refresh();
    }
    return commentary_;
}

ScriptWindow* MainWindow::ScriptOutput() {
    if (scriptWindow_ == nullptr) {
        scriptWindow_ = new ScriptWindow(context_, *documents_, this);
        scriptWindow_->setAttribute(Qt::WA_DeleteOnClose);
    }
    return scriptWindow_;
}

void MainWindow::RunScript() {
    ScriptWindow* window =
        RunScriptFromFileDialog(context_, *documents_, scriptWindow_.data(), this);
    if (window != nullptr) scriptWindow_ = window;
}

void MainWindow::PrintChart() {
    Forward("Print");
}

void MainWindow::CheckTool(int tool) {
    const QList<QAction*> tools = drawTools_->actions();
    if (tool >= 0 && tool < tools.size() && !tools[tool]->isChecked())
        tools[tool]->setChecked(true);
}

bool MainWindow::HasChartWindow() const {
    return !mdi_->subWindowList().isEmpty();
}

QWidget* MainWindow::ActiveChartWindow() const {
    QMdiSubWindow* sub = mdi_->activeSubWindow();
    if (sub == nullptr) sub = mdi_->currentSubWindow();
    if (sub == nullptr && !mdi_->subWindowList().isEmpty()) sub = mdi_->subWindowList().last();
    return sub != nullptr ? sub->widget() : nullptr;
}

void MainWindow::NewChartWindow() {
    if (OpenChartWindow() != nullptr) TileSideBySide();
}

void MainWindow::TileSideBySide() {
    const QList<QMdiSubWindow*> windows = mdi_->subWindowList();
    if (windows.isEmpty()) return;
    const QRect area = mdi_->viewport()->rect();
    const int n = static_cast<int>(windows.size());
    const int width = area.width() / n;
    for (int i = 0; i < n; ++i) {
        QMdiSubWindow* sub = windows[i];
        if (sub->isMaximized() || sub->isMinimized()) sub->showNormal();
        const int w = i == n - 1 ? area.width() - width * i : width;
        sub->setGeometry(area.x() + width * i, area.y(), w, area.height());
    }
}

void MainWindow::UpdateCaption() {
    QString title = QString::fromLatin1(kProgramTitle);
    if (context_.Services().db.ReadOnly()) title += tr(" [read-only]");
    setWindowTitle(title);
}

void MainWindow::ShowAtStart(bool maximized) {
    SettingsStore& settings = context_.Services().settings;
    // The stored rectangle, unless it lies off every screen (a screen taken away since).
    const auto rect = StoredWindowRect(settings);
    const QRect stored = rect ? QRect(rect->left, rect->top, rect->width, rect->height) : QRect();
    if (rect && QGuiApplication::screenAt(stored.center()) != nullptr) {
        setGeometry(stored);
    } else if (rect) {
        resize(stored.size());
    } else {
        resize(1024, 720);
    }
    if (auto state = StoredBarState(settings)) {
        restoreState(QByteArray::fromBase64(QByteArray::fromStdString(*state)));
    }
    shown_ = true;
    if (maximized) {
        showMaximized();
    } else {
        show();
    }
}

void MainWindow::ImportAscii() {
    GuiServices& s = context_.Services();
    Status typesUnread;
    const ImportTypes types = ReadImportTypes(s.profileDir / "import.types", &typesUnread);
    if (!typesUnread) s.ui.ShowMessage(typesUnread.ToString() + "; no import types are offered");
    const AsciiImportDialogDefaults defaults = ReadAsciiImportDefaults(s.settings);
    QStringList filters;
    for (const ImportType& type : types.types) filters << NameFilter(type.filter);
    QFileDialog dialog(this, tr("Import"), QString::fromStdString(defaults.initialDir));
    dialog.setFileMode(QFileDialog::ExistingFiles);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        if (defaults.typeNumber >= 1 && defaults.typeNumber <= filters.size()) {
            dialog.selectNameFilter(filters[defaults.typeNumber - 1]);
        }
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    ImportAsciiFiles(dialog.selectedFiles(),
                     static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1);
}

void MainWindow::ImportAsciiFiles(const QStringList& files, int typeNumber) {
    GuiServices& s = context_.Services();
    const ImportTypes types = ReadImportTypes(s.profileDir / "import.types");
    AsciiImportChoice choice;
    for (const QString& f : files) choice.files.emplace_back(f.toStdString());
    choice.typeNumber = typeNumber;
    AsciiImporter importer(s.db, s.ui, s.profileDir, s.prefs.DefaultRSBase());
    const auto results = RunAsciiImport(importer, types, choice, s.ui, s.settings);
    s.ui.ShowMessageWithFile(DescribeAsciiImport(results), importer.LogPath());
    // New stocks join the tree and the ticker bar; the charts show the imported quotations.
    Stock* current = context_.CurrentStock();
    context_.MakeCurrent(current != nullptr ? current : s.db.FirstStock(),
                         kFullRefreshFlags | kCurrentRebuildTree);
}

void MainWindow::LoadRemainingCurrent() {
    Stock* stock = context_.CurrentStock();
    if (!HasRemainingQuotations(stock)) return;
    const Status loaded = context_.Services().db.LoadFullHistory(*stock);
    if (!loaded) {
        context_.Services().ui.ShowMessage(loaded.ToString());
        return;
    }
    context_.RefreshCharts(kFullRefreshFlags);
}

void MainWindow::LoadRemainingAll() {
    LoadAllRemainingQuotations(context_.Services().db, context_.Services().ui);
    context_.RefreshCharts(kFullRefreshFlags);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    // Its keys hold CTRL (and SHIFT for "+"), which a click on the command would read as
    // "back to the default" or "double": from a key it is the plain step.
    if (watched == zoomIn_ && event->type() == QEvent::Shortcut) zoomByKey_ = true;
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    GuiServices& s = context_.Services();
    if (!shown_) {
        // Never shown (started for a script): the stored position and bars stay as they are.
        if (!CloseWorkspaceOrAsk(s.app, s.ui)) {
            event->ignore();
            return;
        }
        closed_ = true;
        event->accept();
        return;
    }
    // Yes saves now, No discards the changes (the close then writes nothing), Cancel (Escape,
    // the close box) keeps the program open. A read-only session saves nothing, so it asks
    // nothing.
    if (s.db.WorkspaceDirty() && !s.db.ReadOnly()) {
        const std::optional<bool> save = s.ui.AskYesNoCancel("Save changes to the database?");
        if (!save) {
            event->ignore();
            return;
        }
        if (*save)
            s.app.SaveWorkspace();  // a failed save leaves it dirty: the close asks again
        else
            s.db.SetWorkspaceDirty(false);
    }
    if (!ClosePreferencesOrAsk(s.app, s.ui)) {
        event->ignore();
        return;
    }
    WindowPlacement placement;
    const QRect r = geometry();
    placement.left = r.x();
    placement.top = r.y();
    placement.width = r.width();
    placement.height = r.height();
    placement.minimized = isMinimized();
    placement.maximized = isMaximized();
    const QByteArray bars = saveState().toBase64();
    if (!CloseMainWindow(s.app, s.ui, s.settings, placement, bars.toStdString())) {
        event->ignore();
        return;
    }
    closed_ = true;
    event->accept();
}

}  // namespace velmora::gui
