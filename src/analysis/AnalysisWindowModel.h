#pragma once
// The automatic analysis window's state and commands, without widgets: the trading-rule
// formula (saved as the default formula in the settings store), the selection of stocks and
// bars, the result list that both runs fill, and the status line under the results.

#include <functional>
#include <string>
#include <string_view>

#include "analysis/AnalysisSelection.h"
#include "analysis/ResultList.h"
#include "analysis/ScanEngine.h"
#include "platform/SettingsStore.h"

namespace velmora {

inline constexpr std::string_view kDefaultAnalysisFormula =
    "buy = cross( macd(), 0 );\r\nsell = cross( 0, macd() );";
inline constexpr std::string_view kAnalysisFormulaSection = "QRX";
inline constexpr std::string_view kAnalysisFormulaValue = "DefaultAnalysisFormula";
inline constexpr std::string_view kWrongFromTo = "Wrong From/To dates";

// The saved default formula, or kDefaultAnalysisFormula when none was saved.
std::string LoadDefaultAnalysisFormula(const SettingsStore& settings);
void SaveDefaultAnalysisFormula(SettingsStore& settings, std::string_view formula);

class AnalysisWindowModel {
  public:
    // Reads the default formula; the from and to dates start at `today`.
    AnalysisWindowModel(Database& db, FormulaEngine& engine, UserInterface& ui,
                        SettingsStore& settings, PackedDate today);
    // Writes the formula back as the default formula.
    ~AnalysisWindowModel();
    AnalysisWindowModel(const AnalysisWindowModel&) = delete;
    AnalysisWindowModel& operator=(const AnalysisWindowModel&) = delete;

    std::string formula;
    // applyTo, range, n, from, to, filter and the "load remaining quotes" setting; the current
    // stock is passed to each run.
    AnalysisSelection selection;
    // The threads the runs use (the desktop program: every core).
    int threads = 1;

    ResultList& Results() { return results_; }
    const ResultList& Results() const { return results_; }

    // The text under the results: "Ready", "Removing items...", "Running...", or after a scan
    // of a rule that reads later bars the look-ahead warning (formula/LookAhead.h).
    const std::string& StatusText() const { return status_; }
    void SetStatusObserver(std::function<void(std::string_view)> observer) {
        statusObserver_ = std::move(observer);
    }
    // The window's list control: it sees every row the runs add, and the emptying of the list.
    void SetRowObserver(ResultListObserver* observer) { rowObserver_ = observer; }

    // "&Define..." closed with OK: the runs use the filter from now on.
    void FilterAccepted() { selection.applyTo = ApplyTo::Filter; }

    // The "&Scan" command. False (with "Wrong From/To dates" shown and the list unchanged) for
    // a from..to range whose from date is after its to date; otherwise the scan's outcome.
    bool Scan(const Stock* currentStock, ScanOutcome* outcome = nullptr);

    // The stock a double-click on result row `row` shows: the ticker of column 0, or when that
    // is empty the column 0 of the row above. Null when there is no such stock.
    Stock* StockOfRow(std::size_t row) const;

    void SaveDefaultFormula() { SaveDefaultAnalysisFormula(settings_, formula); }

  private:
    void SetStatus(std::string_view text);

    Database& db_;
    FormulaEngine& engine_;
    UserInterface& ui_;
    SettingsStore& settings_;
    ResultList results_;
    ResultListObserver* rowObserver_ = nullptr;
    std::string status_ = "Ready";
    std::function<void(std::string_view)> statusObserver_;
};

}  // namespace velmora
