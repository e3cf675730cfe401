#include "gui/analysis/AnalysisWindow.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QDateEdit>
#include <QDesktopServices>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTableWidget>
#include <QUrl>
#include <QVBoxLayout>

#include "analysis/ResultExport.h"
#include "formula/FormulaFile.h"
#include "formula/LookAhead.h"
#include "gui/FormFields.h"
#include "gui/GuiContext.h"
#include "gui/QtUserInterface.h"
#include "gui/analysis/EquityCurveWindow.h"
#include "gui/analysis/OptimizationWindow.h"
#include "gui/analysis/SystemTestSettingsDialog.h"
#include "gui/chart/ChartWindow.h"
#include "gui/dialogs/FilterSettingsDialog.h"
#include "gui/dialogs/FormulaText.h"

namespace velmora::gui {

namespace {

constexpr int kColumnCount = 5;
constexpr int kModelRowRole = Qt::UserRole;
constexpr int kSortValueRole = Qt::UserRole + 1;

// The column with a scan row's date and a back-test trade's entry date.
constexpr int kDateColumn = 2;

struct ColumnInfo {
    const char* title;
    const char* backTestTitle;  // the title while the list shows trades; null: the same
    int width;
    bool right;
};
constexpr std::array<ColumnInfo, kColumnCount> kColumns = {{{"Ticker", nullptr, 100, false},
                                                            {"Trade", nullptr, 100, false},
                                                            {"Date", "Entry", 70, true},
                                                            {"Close", "Exit", 70, true},
                                                            {"% Yield", nullptr, 60, true}}};

// A cell's value for sorting: a yy-mm-dd date as its packed date, a number (a trailing
// percent sign allowed) as itself; nothing for other texts, which sort as texts.
QVariant SortValue(const QString& text) {
    static const QRegularExpression date(QStringLiteral("^\\d\\d-\\d\\d-\\d\\d$"));
    if (date.match(text).hasMatch()) {
        const std::string bytes = text.toStdString();
        const PackedDate d = TextToDate(bytes);
        if (d != kNoDate) return QVariant::fromValue(static_cast<double>(d));
    }
    QString number = text.trimmed();
    if (number.endsWith(QLatin1Char('%'))) number.chop(1);
    bool ok = false;
    const double v = number.toDouble(&ok);
    return ok ? QVariant::fromValue(v) : QVariant();
}

class ResultItem : public QTableWidgetItem {
  public:
    explicit ResultItem(const QString& text) : QTableWidgetItem(text) {
        setData(kSortValueRole, SortValue(text));
    }
    bool operator<(const QTableWidgetItem& other) const override {
        const QVariant a = data(kSortValueRole);
        const QVariant b = other.data(kSortValueRole);
        if (a.isValid() && b.isValid()) return a.toDouble() < b.toDouble();
        // Numbers before texts; texts without regard to case.
        if (a.isValid() != b.isValid()) return a.isValid();
        return text().compare(other.text(), Qt::CaseInsensitive) < 0;
    }
};

// Shows the wait cursor while a run lasts.
class WaitCursor {
  public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

PackedDate Today() {
    return FromQDate(QDate::currentDate());
}

}  // namespace

AnalysisWindow::AnalysisWindow(GuiContext& context, QWidget* parent)
    : QWidget(parent, Qt::Window),
      context_(context),
      model_(context.Services().db, context.Services().engine, context.Services().ui,
             context.Services().settings, Today()) {
    setWindowTitle(QString::fromLatin1(kAnalysisWindowCaption));
    model_.threads = DefaultAnalysisThreads();
    openReport = [](const std::filesystem::path& file) {
        return QDesktopServices::openUrl(
            QUrl::fromLocalFile(QString::fromStdString(file.string())));
    };
    editFilter = [this](StockFilter& filter) {
        return EditStockFilter(filter, context_.Services().db.Categories(), this);
    };
    editSettings = [this](SystemTestSettings& s) { return EditSystemTestSettings(s, this); };

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Trading rules definition"), this));
    formula_ = new FormulaEditor(this);
    layout->addWidget(formula_, 1);

    auto* choices = new QHBoxLayout;
    auto* applyBox = new QGroupBox(QStringLiteral("Apply to"), this);
    auto* applyLayout = new QVBoxLayout(applyBox);
    auto* applyGroup = new QButtonGroup(this);
    const std::array<const char*, 3> applyCaptions = {"all stocks", "current stock", "use filter"};
    for (std::size_t i = 0; i < applyTo_.size(); ++i) {
        applyTo_[i] = new QRadioButton(QString::fromLatin1(applyCaptions[i]), applyBox);
        applyGroup->addButton(applyTo_[i], static_cast<int>(i));
        applyLayout->addWidget(applyTo_[i]);
    }
    auto* define = new QPushButton(QStringLiteral("&Define..."), applyBox);
    applyLayout->addWidget(define);
    choices->addWidget(applyBox);

    auto* rangeBox = new QGroupBox(QStringLiteral("Range"), this);
    auto* rangeLayout = new QGridLayout(rangeBox);
    auto* rangeGroup = new QButtonGroup(this);
    const std::array<const char*, 4> rangeCaptions = {"all quotations", "n last quotations",
                                                      "n last days", "from:"};
    for (std::size_t i = 0; i < range_.size(); ++i) {
        range_[i] = new QRadioButton(QString::fromLatin1(rangeCaptions[i]), rangeBox);
        rangeGroup->addButton(range_[i], static_cast<int>(i));
        rangeLayout->addWidget(range_[i], static_cast<int>(i), 0);
    }
    rangeLayout->addWidget(new QLabel(QStringLiteral("n="), rangeBox), 1, 1);
    n_ = new QLineEdit(rangeBox);
    n_->setValidator(new QIntValidator(-99999, 99999, n_));
    rangeLayout->addWidget(n_, 1, 2);
    from_ = MakeDateEdit(model_.selection.from, QDate::currentDate(), rangeBox);
    to_ = MakeDateEdit(model_.selection.to, QDate::currentDate(), rangeBox);
    rangeLayout->addWidget(from_, 3, 1, 1, 2);
    rangeLayout->addWidget(new QLabel(QStringLiteral("to:"), rangeBox), 3, 3);
    rangeLayout->addWidget(to_, 3, 4);
    choices->addWidget(rangeBox, 1);
    layout->addLayout(choices);

    auto* commands = new QHBoxLayout;
    auto* load = new QPushButton(QStringLiteral("&Load"), this);
    auto* save = new QPushButton(QStringLiteral("Sa&ve"), this);
    auto* scan = new QPushButton(QStringLiteral("&Scan"), this);
    auto* backTest = new QPushButton(QStringLiteral("&Back Test"), this);
    auto* optimize = new QPushButton(QStringLiteral("&Optimize"), this);
    auto* settings = new QPushButton(QStringLiteral("Se&ttings..."), this);
    auto* report = new QPushButton(QStringLiteral("&Report..."), this);
    auto* curve = new QPushButton(QStringLiteral("&Equity curve..."), this);
    auto* saveResults = new QPushButton(QStringLiteral("Save res&ults..."), this);
    auto* close = new QPushButton(QStringLiteral("&Close"), this);
    for (QPushButton* b :
         {load, save, scan, backTest, optimize, settings, report, curve, saveResults, close})
        commands->addWidget(b);
    layout->addLayout(commands);

    table_ = new QTableWidget(0, kColumnCount, this);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setShowGrid(true);
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setSectionsMovable(true);
    table_->horizontalHeader()->setSortIndicatorShown(false);
    for (int c = 0; c < kColumnCount; ++c) {
        const ColumnInfo& info = kColumns[static_cast<std::size_t>(c)];
        auto* header = new QTableWidgetItem(QString::fromLatin1(info.title));
        header->setTextAlignment(info.right ? Qt::AlignRight | Qt::AlignVCenter
                                            : Qt::AlignLeft | Qt::AlignVCenter);
        table_->setHorizontalHeaderItem(c, header);
        table_->setColumnWidth(c, info.width);
    }
    FitColumnsToTitles(table_->horizontalHeader());
    layout->addWidget(table_, 2);
    status_ = new QLabel(QStringLiteral("Ready"), this);
    layout->addWidget(status_);

    connect(load, &QPushButton::clicked, this, &AnalysisWindow::LoadFormula);
    connect(save, &QPushButton::clicked, this, &AnalysisWindow::SaveFormula);
    connect(define, &QPushButton::clicked, this, &AnalysisWindow::DefineFilter);
    connect(scan, &QPushButton::clicked, this, &AnalysisWindow::Scan);
    connect(backTest, &QPushButton::clicked, this, &AnalysisWindow::BackTest);
    connect(optimize, &QPushButton::clicked, this, &AnalysisWindow::Optimize);
    connect(curve, &QPushButton::clicked, this, &AnalysisWindow::ShowEquityCurve);
    connect(settings, &QPushButton::clicked, this, &AnalysisWindow::EditSettings);
    connect(report, &QPushButton::clicked, this, &AnalysisWindow::ShowReport);
    connect(saveResults, &QPushButton::clicked, this, &AnalysisWindow::SaveResults);
    connect(close, &QPushButton::clicked, this, &QWidget::hide);
    connect(table_, &QTableWidget::cellDoubleClicked, this,
            [this](int row, int) { ShowRowStock(row); });
    connect(table_->horizontalHeader(), &QHeaderView::sectionClicked, this,
            &AnalysisWindow::SortBy);

    model_.SetRowObserver(this);
    model_.SetStatusObserver([this](std::string_view text) { SetStatus(text); });
    ShowControls();
    resize(560, 600);
}

AnalysisWindow::~AnalysisWindow() {
    // The model saves the formula as the default formula when it goes.
    model_.formula = FormulaFromEditor(formula_->toPlainText());
    model_.SetStatusObserver(nullptr);
    model_.Results().SetObserver(nullptr);
}

QString AnalysisWindow::StatusText() const {
    return ToQString(statusText_);
}

void AnalysisWindow::SetStatus(std::string_view text) {
    statusText_.assign(text);
    status_->setText(ToQString(text));
}

void AnalysisWindow::TakeControls() {
    AnalysisSelection& s = model_.selection;
    model_.formula = FormulaFromEditor(formula_->toPlainText());
    for (std::size_t i = 0; i < applyTo_.size(); ++i)
        if (applyTo_[i]->isChecked()) s.applyTo = static_cast<ApplyTo>(i);
    for (std::size_t i = 0; i < range_.size(); ++i)
        if (range_[i]->isChecked()) s.range = static_cast<RangeMode>(i);
    bool ok = false;
    const int n = n_->text().trimmed().toInt(&ok);
    if (ok) s.n = n;
    s.from = FromQDate(from_->date());
    s.to = FromQDate(to_->date());
    s.loadRemainingQuotes = testSettings_.LoadRemainingQuotes != 0;
}

void AnalysisWindow::ShowControls() {
    const AnalysisSelection& s = model_.selection;
    formula_->setPlainText(FormulaForEditor(model_.formula));
    const auto apply = static_cast<std::size_t>(s.applyTo);
    if (apply < applyTo_.size()) applyTo_[apply]->setChecked(true);
    const auto range = static_cast<std::size_t>(s.range);
    if (range < range_.size()) range_[range]->setChecked(true);
    n_->setText(QString::number(s.n));
    from_->setDate(ToQDate(s.from));
    to_->setDate(ToQDate(s.to));
}

// --- the result list ------------------------------------------------------------------------

void AnalysisWindow::RowAdded(const ResultRow& row) {
    const int r = table_->rowCount();
    table_->insertRow(r);
    const std::vector<std::string_view> columns = SplitColumns(row.Text);
    const int modelRow = static_cast<int>(model_.Results().Size()) - 1;
    for (int c = 0; c < kColumnCount; ++c) {
        const QString text = static_cast<std::size_t>(c) < columns.size()
                                 ? ToQString(columns[static_cast<std::size_t>(c)])
                                 : QString();
        auto* item = new ResultItem(text);
        item->setData(kModelRowRole, modelRow);
        item->setTextAlignment(kColumns[static_cast<std::size_t>(c)].right
                                   ? Qt::AlignRight | Qt::AlignVCenter
                                   : Qt::AlignLeft | Qt::AlignVCenter);
        table_->setItem(r, c, item);
    }
}

void AnalysisWindow::Cleared() {
    table_->setRowCount(0);
}

void AnalysisWindow::SortBy(int column) {
    if (column == sortColumn_) {
        sortDescending_ = !sortDescending_;
    } else {
        sortColumn_ = column;
        sortDescending_ = false;
    }
    table_->sortItems(column, sortDescending_ ? Qt::DescendingOrder : Qt::AscendingOrder);
    table_->horizontalHeader()->setSortIndicatorShown(true);
    table_->horizontalHeader()->setSortIndicator(
        column, sortDescending_ ? Qt::DescendingOrder : Qt::AscendingOrder);
}

Stock* AnalysisWindow::StockOfShownRow(int row) const {
    const QTableWidgetItem* item = table_->item(row, 0);
    if (item == nullptr) return nullptr;
    const int modelRow = item->data(kModelRowRole).toInt();
    if (modelRow < 0) return nullptr;
    return model_.StockOfRow(static_cast<std::size_t>(modelRow));
}

void AnalysisWindow::ShowRowStock(int row) {
    Stock* stock = StockOfShownRow(row);
    if (stock == nullptr) return;
    context_.MakeCurrent(stock, kChosenStockFlags);
    // The chart shows the row's date (a signal's, a trade's entry) as the selected bar.
    const QTableWidgetItem* dateItem = table_->item(row, kDateColumn);
    const PackedDate date =
        dateItem != nullptr ? TextToDate(dateItem->text().trimmed().toStdString()) : kNoDate;
    if (date == kNoDate) return;
    if (auto* chart = qobject_cast<ChartWindow*>(context_.ActiveChart())) chart->ShowDate(date);
}

void AnalysisWindow::KeepInFront() {
    if (!isVisible()) return;
    raise();
    activateWindow();
}

void AnalysisWindow::NameColumns(bool backTest) {
    for (int c = 0; c < kColumnCount; ++c) {
        const ColumnInfo& info = kColumns[static_cast<std::size_t>(c)];
        const char* title =
            backTest && info.backTestTitle != nullptr ? info.backTestTitle : info.title;
        table_->horizontalHeaderItem(c)->setText(QString::fromLatin1(title));
    }
    FitColumnsToTitles(table_->horizontalHeader());
}

// --- the runs --------------------------------------------------------------------------------

void AnalysisWindow::StartRun(bool backTest) {
    NameColumns(backTest);
    // A new run lists its rows in the order they come.
    sortColumn_ = -1;
    table_->horizontalHeader()->setSortIndicatorShown(false);
    table_->setRowCount(0);
}

bool AnalysisWindow::DatesOk() {
    const AnalysisSelection& s = model_.selection;
    if (s.range == RangeMode::FromTo && s.from > s.to) {
        context_.Services().ui.ShowMessage(kWrongFromTo);
        return false;
    }
    return true;
}

void AnalysisWindow::Scan() {
    TakeControls();
    if (!DatesOk()) {
        KeepInFront();
        return;
    }
    StartRun(false);
    ScanOutcome outcome = ScanOutcome::Completed;
    FormulaEngine& engine = context_.Services().engine;
    engine.ClearErrorFlag();
    {
        const WaitCursor wait;
        model_.Scan(context_.CurrentStock(), &outcome);
    }
    formula_->ShowRunErrors(engine.Diagnostics());
    FitColumnsToCells(*table_, table_->horizontalHeader());
    if (outcome == ScanOutcome::Completed) SendArrows();
    KeepInFront();
}

void AnalysisWindow::BackTest() {
    report_.Delete();
    TakeControls();
    if (!DatesOk()) {
        KeepInFront();
        return;
    }
    StartRun(true);
    SetStatus("Removing items...");
    ResultList& rows = model_.Results();
    rows.SetObserver(this);
    rows.Clear();
    SetStatus("Running...");
    AnalysisSelection run = model_.selection;
    run.currentStock = context_.CurrentStock();
    BacktestOutcome outcome = BacktestOutcome::Completed;
    GuiServices& s = context_.Services();
    s.engine.ClearErrorFlag();
    {
        const WaitCursor wait;
        Backtester backtester(s.db, s.engine, s.ui);
        backtester.SetThreads(model_.threads);
        outcome = backtester.Run(model_.formula, run, testSettings_, rows, backtest_);
    }
    formula_->ShowRunErrors(s.engine.Diagnostics());
    // The summary line goes from the list into the status line (whole: the rows keep only 79
    // bytes of it); the empty row before it stays.
    const BackTestListState state = BackTestCommandResult(rows, backtest_);
    // A rule that reads later bars: the warning comes first, the summary after it.
    const auto lookAhead = FindLookAhead(model_.formula);
    SetStatus(lookAhead ? LookAheadWarning(*lookAhead) + ". " + state.StatusText
                        : state.StatusText);
    table_->setRowCount(static_cast<int>(state.ShownRows));
    FitColumnsToCells(*table_, table_->horizontalHeader());
    if (outcome == BacktestOutcome::Completed) SendArrows();
    KeepInFront();
}

void AnalysisWindow::Optimize() {
    TakeControls();
    if (!DatesOk()) return;
    GuiServices& s = context_.Services();
    const auto grid = OptimizationGrid::Of(model_.formula);
    if (!grid) {
        s.ui.ShowMessage(grid.GetStatus().ToString());
        return;
    }
    SetStatus("Running...");
    AnalysisSelection run = model_.selection;
    run.currentStock = context_.CurrentStock();
    std::vector<OptimizationRow> rows;
    AnalysisOutcome outcome = AnalysisOutcome::Completed;
    s.engine.ClearErrorFlag();
    {
        const WaitCursor wait;
        Optimizer optimizer(s.db, s.engine, s.ui);
        optimizer.SetThreads(model_.threads);
        outcome = optimizer.Run(model_.formula, *grid, run, testSettings_, rows);
    }
    formula_->ShowRunErrors(s.engine.Diagnostics());
    std::string status = "Optimized: " + std::to_string(rows.size()) + " of " +
                         std::to_string(grid->Combinations()) + " combinations";
    if (outcome == AnalysisOutcome::Cancelled) status += " (cancelled)";
    if (const auto lookAhead = FindLookAhead(model_.formula)) {
        status = LookAheadWarning(*lookAhead) + ". " + status;
    }
    SetStatus(status);
    if (optimization_ == nullptr) {
        optimization_ = new OptimizationWindow(this);
        optimization_->runBackTest = [this](const FormulaParameters& p) { BackTestWith(p); };
    }
    optimization_->ShowRows(*grid, rows, status);
    optimization_->show();
    optimization_->raise();
}

void AnalysisWindow::BackTestWith(const FormulaParameters& parameters) {
    FormulaEngine& engine = context_.Services().engine;
    const FormulaParameters kept = engine.Parameters();
    engine.SetParameters(parameters);
    BackTest();
    engine.SetParameters(kept);
    std::string values;
    for (const auto& [name, value] : parameters) {
        values += (values.empty() ? "" : ", ") + name + " = " + ParameterText(value);
    }
    SetStatus(values + ": " + statusText_);
}

void AnalysisWindow::ShowEquityCurve() {
    if (!backtest_.WithStatistics) {
        context_.Services().ui.ShowMessage(kNoEquityCurve);
        return;
    }
    if (equityCurve_ == nullptr) equityCurve_ = new EquityCurveWindow(this);
    equityCurve_->SetCurve(backtest_.OverallStatistics.Curve);
    equityCurve_->show();
    equityCurve_->raise();
}

void AnalysisWindow::SendArrows() {
    Stock* current = context_.CurrentStock();
    AnalysisSelection visit = model_.selection;
    visit.currentStock = current;
    if (current == nullptr || current->Quotations.empty() ||
        !StockTaken(context_.Services().db, *current, visit)) {
        return;
    }
    FormulaEngine& engine = context_.Services().engine;
    engine.ClearErrorFlag();
    {
        FormulaRun run = engine.BeginRun(*current);
        run.Execute(model_.formula);
        if (!engine.ErrorFlag()) {
            HintData hint;
            hint.barCount = run.BarCount();
            hint.buy = run.GetArray("buy");
            hint.sell = run.GetArray("sell");
            hint.runBars = run.BarCount();
            context_.SendFormulaHint(hint, Periodicity::Daily);
        }
    }
    for (QWidget* w : QApplication::allWidgets())
        if (auto* chart = qobject_cast<ChartWindow*>(w)) chart->update();
}

// --- commands --------------------------------------------------------------------------------

void AnalysisWindow::DefineFilter() {
    StockFilter filter = model_.selection.filter;
    if (!editFilter || !editFilter(filter)) return;
    model_.selection.filter = filter;
    model_.FilterAccepted();
    applyTo_[static_cast<std::size_t>(ApplyTo::Filter)]->setChecked(true);
}

void AnalysisWindow::EditSettings() {
    if (editSettings) editSettings(testSettings_);
}

void AnalysisWindow::ShowReport() {
    GuiServices& s = context_.Services();
    const std::optional<std::filesystem::path> file =
        report_.Prepare(backtest_, model_.Results(), testSettings_, s.ui.Progress());
    s.ui.Progress().Close();
    if (!file) return;
    if (!openReport || !openReport(*file)) {
        s.ui.ShowMessage("The report could not be opened: " + file->string());
    }
}

bool AnalysisWindow::LoadFormulaFrom(const std::filesystem::path& path) {
    Result<std::string> text = LoadFormulaFile(path);
    if (!text) return false;
    model_.formula = std::move(*text);
    formula_->setPlainText(FormulaForEditor(model_.formula));
    return true;
}

bool AnalysisWindow::SaveFormulaTo(const std::filesystem::path& path) {
    TakeControls();
    return SaveFormulaFile(path, model_.formula);
}

bool AnalysisWindow::SaveResultsTo(const std::filesystem::path& path) {
    TakeControls();
    GuiServices& s = context_.Services();
    const bool ok = ExportResults(path, model_.formula, model_.Results(),
                                  static_cast<std::size_t>(table_->rowCount()), statusText_,
                                  backtest_, testSettings_, s.ui.Progress())
                        .IsOk();
    s.ui.Progress().Close();
    return ok;
}

void AnalysisWindow::LoadFormula() {
    SettingsStore& settings = context_.Services().settings;
    const QString file = QFileDialog::getOpenFileName(
        this, QStringLiteral("Load"), FormulaFolder(settings), kFormulaFileDialogFilter);
    if (file.isEmpty()) return;
    RememberFormulaFileFolder(settings, file.toStdString());
    if (!LoadFormulaFrom(file.toStdString()))
        context_.Services().ui.ShowMessage("Can not read the file " + file.toStdString());
}

void AnalysisWindow::SaveFormula() {
    SettingsStore& settings = context_.Services().settings;
    const QString file = QFileDialog::getSaveFileName(
        this, QStringLiteral("Save"), FormulaFolder(settings), kFormulaFileDialogFilter);
    if (file.isEmpty()) return;
    RememberFormulaFileFolder(settings, file.toStdString());
    if (!SaveFormulaTo(WithFormulaExtension(file.toStdString())))
        context_.Services().ui.ShowMessage("Can not write the file " + file.toStdString());
}

void AnalysisWindow::SaveResults() {
    TakeControls();
    QString file = QFileDialog::getSaveFileName(this, QStringLiteral("Save results"), QString(),
                                                QStringLiteral("TXT Files (*.txt);;All Files (*)"));
    if (file.isEmpty()) return;
    std::filesystem::path path = file.toStdString();
    if (!path.has_extension()) path += ".TXT";
    if (!SaveResultsTo(path))
        context_.Services().ui.ShowMessage("Can not write the file " + path.string());
}

void AnalysisWindow::closeEvent(QCloseEvent* e) {
    // Closing only hides the window: its choices last until the program ends.
    e->ignore();
    hide();
}

AnalysisWindow* ShowAnalysisWindow(GuiContext& context, QWidget* mainWindow) {
    auto* window = mainWindow ? mainWindow->findChild<AnalysisWindow*>() : nullptr;
    if (window == nullptr) window = new AnalysisWindow(context, mainWindow);
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

}  // namespace velmora::gui
