#include "analysis/AnalysisWindowModel.h"

#include "formula/LookAhead.h"

namespace velmora {

std::string LoadDefaultAnalysisFormula(const SettingsStore& settings) {
    auto saved = settings.GetString(kAnalysisFormulaSection, kAnalysisFormulaValue);
    return saved ? *saved : std::string(kDefaultAnalysisFormula);
}

void SaveDefaultAnalysisFormula(SettingsStore& settings, std::string_view formula) {
    settings.SetString(kAnalysisFormulaSection, kAnalysisFormulaValue, formula);
}

AnalysisWindowModel::AnalysisWindowModel(Database& db, FormulaEngine& engine, UserInterface& ui,
                                         SettingsStore& settings, PackedDate today)
    : formula(LoadDefaultAnalysisFormula(settings)),
      db_(db),
      engine_(engine),
      ui_(ui),
      settings_(settings) {
    selection.from = today;
    selection.to = today;
}

AnalysisWindowModel::~AnalysisWindowModel() {
    results_.SetObserver(nullptr);
    SaveDefaultFormula();
}

void AnalysisWindowModel::SetStatus(std::string_view text) {
    status_.assign(text);
    if (statusObserver_) statusObserver_(status_);
}

bool AnalysisWindowModel::Scan(const Stock* currentStock, ScanOutcome* outcome) {
    if (selection.range == RangeMode::FromTo && selection.from > selection.to) {
        ui_.ShowMessage(kWrongFromTo);
        return false;
    }
    SetStatus("Removing items...");
    results_.SetObserver(rowObserver_);
    results_.Clear();
    SetStatus("Running...");
    AnalysisSelection run = selection;
    run.currentStock = currentStock;
    ScanEngine scan(db_, engine_, ui_);
    scan.SetThreads(threads);
    const ScanOutcome result = scan.Run(formula, run, results_);
    if (outcome != nullptr) *outcome = result;
    // A rule that reads later bars still runs; the status line says why its signals mislead.
    const auto lookAhead = FindLookAhead(formula);
    SetStatus(lookAhead ? LookAheadWarning(*lookAhead) : std::string("Ready"));
    return true;
}

Stock* AnalysisWindowModel::StockOfRow(std::size_t row) const {
    if (row >= results_.Size()) return nullptr;
    std::string_view ticker = SplitColumns(results_[row].Text).front();
    if (ticker.empty() && row > 0) ticker = SplitColumns(results_[row - 1].Text).front();
    return ticker.empty() ? nullptr : db_.FindStock(ticker);
}

}  // namespace velmora
