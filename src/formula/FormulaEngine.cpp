#include "formula/FormulaEngine.h"

#include <utility>

#include "formula/Evaluator.h"

namespace velmora {

FormulaEngine::FormulaEngine(FormulaErrorSink& errors, Database* db)
    : evaluator_(std::make_unique<Evaluator>(errors, db)) {}

FormulaEngine::~FormulaEngine() = default;

FormulaRun FormulaEngine::BeginRun(const Stock& stock) {
    const std::uint64_t id = evaluator_->BeginRun(stock);
    return FormulaRun(*evaluator_, id);
}

FormulaRun FormulaEngine::BeginRun(const Stock& stock, const Stock* original) {
    const std::uint64_t id = evaluator_->BeginRun(stock, original);
    return FormulaRun(*evaluator_, id);
}

bool FormulaEngine::InRun() const {
    return evaluator_->ActiveRun() != 0;
}

bool FormulaEngine::ErrorFlag() const {
    return evaluator_->ErrorFlag();
}

const std::vector<FormulaDiagnostic>& FormulaEngine::Diagnostics() const {
    return evaluator_->Diagnostics();
}

void FormulaEngine::ClearErrorFlag() {
    evaluator_->ClearErrorFlag();
}

void FormulaEngine::SetMemoryLimit(std::size_t bytes) {
    evaluator_->SetMemoryLimit(bytes);
}

std::size_t FormulaEngine::MemoryLimit() const {
    return evaluator_->MemoryLimit();
}

void FormulaEngine::SetParameters(FormulaParameters parameters) {
    evaluator_->SetParameters(std::move(parameters));
}

const FormulaParameters& FormulaEngine::Parameters() const {
    return evaluator_->Parameters();
}

Database* FormulaEngine::GetDatabase() const {
    return evaluator_->GetDatabase();
}

void FormulaEngine::ShowErrorReport(std::string_view report) {
    evaluator_->ShowReport(report);
}

void FormulaEngine::KeepDiagnostics(std::span<const FormulaDiagnostic> diagnostics) {
    evaluator_->KeepDiagnostics(diagnostics);
}

Evaluator& EvaluatorOf(FormulaEngine& engine) {
    return *engine.evaluator_;
}

// --- a run -------------------------------------------------------------------------------------

FormulaRun::FormulaRun(FormulaRun&& other) noexcept
    : evaluator_(std::exchange(other.evaluator_, nullptr)), id_(other.id_) {}

FormulaRun& FormulaRun::operator=(FormulaRun&& other) noexcept {
    if (this != &other) {
        End();
        evaluator_ = std::exchange(other.evaluator_, nullptr);
        id_ = other.id_;
    }
    return *this;
}

bool FormulaRun::Active() const {
    return evaluator_ != nullptr && evaluator_->ActiveRun() == id_;
}

void FormulaRun::End() {
    if (Active()) evaluator_->EndRun();
    evaluator_ = nullptr;
}

void FormulaRun::SetSelectedBar(int index) {
    if (Active()) evaluator_->SetSelectedBar(index);
}

void FormulaRun::Execute(std::string_view text) {
    if (Active()) evaluator_->Execute(text);
}

const float* FormulaRun::GetArray(std::string_view name) {
    return Active() ? evaluator_->GetArray(name) : nullptr;
}

const char* FormulaRun::GetString(std::string_view name) {
    return Active() ? evaluator_->GetString(name) : nullptr;
}

float FormulaRun::GetNumber(std::string_view name) {
    return Active() ? evaluator_->GetNumber(name) : 0.0f;
}

std::string_view FormulaRun::Output() const {
    return Active() ? std::string_view(evaluator_->Output()) : std::string_view();
}

int FormulaRun::BarCount() const {
    return Active() ? evaluator_->BarCount() : 0;
}

std::vector<std::string> FormulaRun::AssignedVariables() const {
    return Active() ? evaluator_->AssignedVariables() : std::vector<std::string>();
}

}  // namespace velmora
