#pragma once
// The "Automatic analysis" window: the trading-rule formula, which stocks and bars the runs
// visit, the filter, and the two runs (Scan and Back Test) whose rows fill the result list as
// they are found. Double-clicking a row makes its stock current; the report of the last
// backtest opens in the desktop's viewer; the results can be saved as text. After a run that
// visited the current stock the chart windows show the formula's buy and sell arrows.
// Optimize runs the back test once per combination of the formula's optimize() parameters and
// lists them in a window of their own; the equity curve of a back test with extended
// statistics opens in a window too.
// The main window creates it on first use and keeps it (Close only hides it), so its choices
// last until the program ends; when it goes it saves the formula as the default formula.

#include <QWidget>
#include <array>
#include <filesystem>
#include <functional>
#include <string>

#include "analysis/AnalysisWindowModel.h"
#include "analysis/Backtest.h"
#include "analysis/BacktestReport.h"
#include "analysis/Backtester.h"
#include "analysis/Optimizer.h"
#include "analysis/SystemTestSettings.h"
#include "gui/FormulaEditor.h"

class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTableWidget;

namespace velmora::gui {

class EquityCurveWindow;
class GuiContext;
class OptimizationWindow;

inline constexpr char kAnalysisWindowCaption[] = "Automatic analysis";
inline constexpr char kNoEquityCurve[] =
    "The equity curve comes with the extended statistics: tick \"Extended statistics\" in "
    "Settings... and run the back test again";

class AnalysisWindow : public QWidget, private ResultListObserver {
    Q_OBJECT
  public:
    explicit AnalysisWindow(GuiContext& context, QWidget* parent = nullptr);
    ~AnalysisWindow() override;

    AnalysisWindowModel& Model() { return model_; }
    SystemTestSettings& TestSettings() { return testSettings_; }
    const BacktestResults& Backtest() const { return backtest_; }
    const TemporaryReportFile& ReportFile() const { return report_; }
    // The text under the results.
    QString StatusText() const;

    FormulaEditor* FormulaEdit() const { return formula_; }
    QRadioButton* ApplyToButton(int i) const { return applyTo_[static_cast<std::size_t>(i)]; }
    QRadioButton* RangeButton(int i) const { return range_[static_cast<std::size_t>(i)]; }
    QLineEdit* NEdit() const { return n_; }
    QDateEdit* FromEdit() const { return from_; }
    QDateEdit* ToEdit() const { return to_; }
    QTableWidget* ResultTable() const { return table_; }
    QLabel* StatusLabel() const { return status_; }

    // How the report is shown; the desktop's "open" unless replaced (tests).
    std::function<bool(const std::filesystem::path&)> openReport;
    // The modal dialogs of "&Define..." and "Se&ttings...": true when closed with OK. The
    // real dialogs unless replaced (tests).
    std::function<bool(StockFilter&)> editFilter;
    std::function<bool(SystemTestSettings&)> editSettings;

    // The controls' values into the model, and back.
    void TakeControls();
    void ShowControls();

    // Load and Save without the file dialog; false when the file cannot be read or written.
    bool LoadFormulaFrom(const std::filesystem::path& path);
    bool SaveFormulaTo(const std::filesystem::path& path);
    // The results as text, with the report beside them; false when either was not written.
    bool SaveResultsTo(const std::filesystem::path& path);

    // The windows of "&Optimize" and "Equity c&urve..."; null until first shown.
    OptimizationWindow* Optimization() const { return optimization_; }
    EquityCurveWindow* EquityCurve() const { return equityCurve_; }

    // The stock of a row of the list as shown (sorted or not); null when there is none.
    Stock* StockOfShownRow(int row) const;

  public slots:
    void LoadFormula();
    void SaveFormula();
    void DefineFilter();
    void Scan();
    void BackTest();
    // The back test once per combination of the formula's optimize() parameters; the rows go
    // to the Optimization window. A formula without usable parameters, or with too many
    // combinations, gets a message instead.
    void Optimize();
    // The back test with the values of an optimisation row (double-click in its window).
    void BackTestWith(const FormulaParameters& parameters);
    // The last back test's equity curve in its window; without extended statistics a message
    // says how to get it.
    void ShowEquityCurve();
    void EditSettings();
    void ShowReport();
    void SaveResults();
    // Double-click: the row's stock becomes current and the active chart window shows the
    // row's date (a signal's, a trade's entry) as the selected bar.
    void ShowRowStock(int row);

  protected:
    void closeEvent(QCloseEvent* e) override;

  private:
    // ResultListObserver: the rows of the runs as they come.
    void RowAdded(const ResultRow& row) override;
    void Cleared() override;

    void SetStatus(std::string_view text);
    bool DatesOk();
    // The list emptied for a run; its date columns named for scan rows or back-test trades.
    void StartRun(bool backTest);
    void NameColumns(bool backTest);
    // After a run and its messages the window is in front and active again.
    void KeepInFront();
    void SortBy(int column);
    // The current stock's buy and sell arrays to the chart windows, after a run that went through
    // to its end and visited it.
    void SendArrows();

    GuiContext& context_;
    AnalysisWindowModel model_;
    SystemTestSettings testSettings_;
    BacktestResults backtest_;
    TemporaryReportFile report_;
    std::string statusText_ = "Ready";
    int sortColumn_ = -1;
    bool sortDescending_ = false;

    FormulaEditor* formula_;
    std::array<QRadioButton*, 3> applyTo_{};
    std::array<QRadioButton*, 4> range_{};
    QLineEdit* n_;
    QDateEdit* from_;
    QDateEdit* to_;
    QTableWidget* table_;
    QLabel* status_;
    OptimizationWindow* optimization_ = nullptr;
    EquityCurveWindow* equityCurve_ = nullptr;
};

// "&Automatic Analysis...": the main window's analysis window, created on first use, shown
// and brought to the front.
AnalysisWindow* ShowAnalysisWindow(GuiContext& context, QWidget* mainWindow);

}  // namespace velmora::gui
