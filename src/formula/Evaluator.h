#pragma once
// The inside of the QRX formula engine: the state of one run and the operations that the
// grammar actions (Grammar.y) and the built-in functions call — the operators, assignment,
// argument lists and built-in calls, the run's memory, and the bound stock's price and market
// arrays. Internal to the formula library and its tests; callers use FormulaEngine and
// FormulaRun (FormulaEngine.h), which drive the run functions below.

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "formula/Builtins.h"
#include "formula/FormulaEngine.h"
#include "formula/FormulaErrorSink.h"
#include "formula/MemArray.h"
#include "formula/Scanner.h"
#include "formula/SymbolTable.h"
#include "formula/Value.h"

namespace velmora {

class Database;
struct Stock;

enum class PriceField { Close, Open, High, Low, Avg, Volume, OpenInt };
enum class MarketField { AdvIssues, DecIssues, UncIssues, AdvVolume, DecVolume, UncVolume };
enum class BinaryOperator { Add, Sub, Mul, Div, Pow, Lt, Gt, Le, Ge, Eq, Ne, And, Or };

// The arguments of one built-in call, in written order.
struct ArgList {
    std::vector<Value> values;
};

class Evaluator {
  public:
    Evaluator(FormulaErrorSink& errors, Database* db) : errors_(errors), db_(db) {}
    Evaluator(const Evaluator&) = delete;
    Evaluator& operator=(const Evaluator&) = delete;

    // --- a run ----------------------------------------------------------------------------
    // Binds the stock (ending a run still active), fills the price arrays, registers the
    // symbols and selects the last bar; gives the new run's id (never 0).
    std::uint64_t BeginRun(const Stock& stock, const Stock* original = nullptr);
    // Releases everything the run made. Harmless when no run is active.
    void EndRun();
    // The id of the active run, 0 when none.
    std::uint64_t ActiveRun() const { return activeRun_; }

    // The functions below, up to the error flag, are for an active run.
    void SetSelectedBar(int index);
    void Execute(std::string_view text);
    const float* GetArray(std::string_view name);
    const char* GetString(std::string_view name);
    float GetNumber(std::string_view name);
    const std::string& Output() const { return output_; }
    std::vector<std::string> AssignedVariables() const;

    int BarCount() const { return barCount_; }
    bool ErrorFlag() const { return errorFlag_; }
    void ClearErrorFlag() {
        errorFlag_ = false;
        diagnostics_.clear();
    }
    const std::vector<FormulaDiagnostic>& Diagnostics() const { return diagnostics_; }
    void SetMemoryLimit(std::size_t bytes) { pool_.SetLimit(bytes); }
    std::size_t MemoryLimit() const { return pool_.Limit(); }

    // --- error reports --------------------------------------------------------------------
    // Builds the report (the current line up to the scan position, a caret under its last
    // character, an empty line, the message), keeps it to FormulaEngine::kMaxReport
    // characters, sets the error flag and shows it. The diagnostic it adds lies where the
    // grammar last marked (MarkErrorsAt).
    void ReportFormulaError(std::string_view message);
    // Shows a finished report (made by another evaluator) and sets the error flag.
    void ShowReport(std::string_view report);
    // Keeps diagnostics made by another evaluator after its own, up to
    // FormulaEngine::kMaxDiagnostics.
    void KeepDiagnostics(std::span<const FormulaDiagnostic> diagnostics);
    // Where the reports of the operation about to run lie in the text.
    void MarkErrorsAt(TextSpan span) { mark_ = span; }

    // --- what the grammar actions call ---------------------------------------------------
    Value BinaryOp(Value left, Value right, BinaryOperator op);
    Value Negate(Value v);
    Value LogicalNot(Value v);
    Value ApplyMath(Value v, MathRoutine routine);
    Value Assign(Symbol& symbol, Value v);
    void WriteStatement(Value v);
    // A statement (or a statement skipped after an error) is over: the arrays it made and the
    // arrays its assignments replaced go back to the pool unless a variable holds them.
    void EndStatement();
    ArgList* EmptyArgs();
    ArgList* ArgsOf(Value v);
    ArgList* AddArg(ArgList* list, Value v);
    Value CallBuiltin(const Symbol& symbol, ArgList* list);
    SymbolTable& Symbols() { return symbols_; }
    // A new text of the run holding the given bytes; null after a report.
    const char* NewString(std::string_view text);

    // --- what the built-in functions use ---------------------------------------------------
    // A new array of the bar count, its contents undefined; null after a report.
    float* NewArray();
    // A new array holding v at every bar; null after a report.
    float* Broadcast(float v);
    // The bound stock's price array as loaded (a formula may have copied new data into it).
    float* PriceArray(PriceField field) { return prices_[static_cast<int>(field)].data(); }
    // The market array of the bound stock's market, built on first use in the run.
    float* MarketArray(MarketField field);
    int SelectedBar() const { return selectedBar_; }
    // Whether the selected bar lies within the bars.
    bool SelectedBarValid() const { return selectedBar_ >= 0 && selectedBar_ < barCount_; }
    const Stock* BoundStock() const { return stock_; }
    // The stock to read for a database stock found by name: the bound stock when it is a copy
    // standing for that very stock, else the stock itself.
    const Stock* AsBound(const Stock* found) const {
        return found != nullptr && found == original_ ? stock_ : found;
    }
    Database* GetDatabase() const { return db_; }
    MemArray& Memory() { return pool_; }
    // The values optimize() calls give by name instead of their defaults.
    void SetParameters(FormulaParameters parameters) { parameters_ = std::move(parameters); }
    const FormulaParameters& Parameters() const { return parameters_; }

  private:
    void ReportOutOfMemory();
    void AddDiagnostic(std::string_view text, std::string_view message);
    void BuildMarketArrays();
    void RegisterSymbols();

    FormulaErrorSink& errors_;
    Database* db_;

    std::uint64_t runCount_ = 0;   // runs begun so far: the id of the latest
    std::uint64_t activeRun_ = 0;  // 0 between runs
    const Stock* stock_ = nullptr;
    const Stock* original_ = nullptr;  // the database stock the bound copy stands for, if any
    int barCount_ = 0;
    int selectedBar_ = -1;
    std::array<std::vector<float>, 7> prices_;
    std::array<std::vector<float>, 6> market_;
    bool marketBuilt_ = false;
    SymbolTable symbols_;
    std::string output_;
    bool errorFlag_ = false;
    MemArray pool_;
    // Arrays of the statement being run that no variable may hold: those made by it, those its
    // assignments replaced (EndStatement).
    std::vector<float*> unclaimed_;
    FormulaParameters parameters_;
    std::deque<ArgList> argLists_;
    std::vector<ArgList*> freeArgLists_;
    const Scanner* scanner_ = nullptr;  // while Execute runs
    TextSpan mark_;
    std::vector<FormulaDiagnostic> diagnostics_;
};

// The evaluator inside an engine, for the formula library's own tests.
Evaluator& EvaluatorOf(FormulaEngine& engine);

}  // namespace velmora
