#pragma once
// The QRX formula engine. One run binds one stock and evaluates formula texts over its bars;
// the variables they assign stay readable until the run ends:
//
//     engine.ClearErrorFlag();
//     engine.BeginRun(stock);            // the stock must have quotations
//     engine.Execute(text);              // statements run as they are parsed
//     const float* buy = engine.GetArray("buy");
//     if (engine.ErrorFlag()) ...        // a "QRX Error" report was shown
//     engine.EndRun();                   // everything read above becomes invalid
//
// Runs never nest. Formula errors are not returned: they are reported through the
// FormulaErrorSink and set the error flag, and evaluation goes on with the next statement.
//
// The second half of the interface is what the grammar actions and the built-in functions
// call: the operators, assignment, argument lists and built-in calls, the run's memory, and
// the bound stock's price and market arrays.

#include <array>
#include <cstddef>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "formula/Builtins.h"
#include "formula/FormulaErrorSink.h"
#include "formula/MemArray.h"
#include "formula/SymbolTable.h"
#include "formula/Value.h"

namespace velmora {

class Database;
struct Stock;
class Scanner;

enum class PriceField { Close, Open, High, Low, Avg, Volume, OpenInt };
enum class MarketField { AdvIssues, DecIssues, UncIssues, AdvVolume, DecVolume, UncVolume };
enum class BinaryOperator { Add, Sub, Mul, Div, Pow, Lt, Gt, Le, Ge, Eq, Ne, And, Or };

// The arguments of one built-in call, in written order.
struct ArgList {
    std::vector<Value> values;
};

class FormulaEngine {
  public:
    // The database gives the market data and the other stocks that some built-ins read; it may
    // be null (those built-ins then find nothing).
    explicit FormulaEngine(FormulaErrorSink& errors, Database* db = nullptr);
    ~FormulaEngine();
    FormulaEngine(const FormulaEngine&) = delete;
    FormulaEngine& operator=(const FormulaEngine&) = delete;

    // --- a run --------------------------------------------------------------------------
    // Binds the stock (ending a run still active), fills the price arrays, registers the
    // symbols and selects the last bar. The stock must stay unchanged until EndRun.
    void BeginRun(const Stock& stock);
    // -1, or the bar count itself, selects the last bar; any other index is kept as given
    // (built-ins reading the selected bar check it against the bar count).
    void SetSelectedBar(int index);
    // Parses and evaluates the text, statement by statement; text after a NUL byte is ignored.
    // Does nothing outside a run.
    void Execute(std::string_view text);
    // The variable's array; a number variable gives a new array holding it at every bar. Null
    // for an unknown name, a function name, a text variable, or outside a run.
    const float* GetArray(std::string_view name);
    // The text of a text variable, else null.
    const char* GetString(std::string_view name);
    // The value of a number variable, else 0.
    float GetNumber(std::string_view name);
    // The text written by string statements, each followed by a line feed.
    const std::string& Output() const { return output_; }
    int BarCount() const { return barCount_; }
    bool ErrorFlag() const { return errorFlag_; }
    void ClearErrorFlag() { errorFlag_ = false; }
    // Releases everything the run made. Harmless when no run is active.
    void EndRun();
    bool InRun() const { return running_; }

    // Variables the formulas of this run assigned (state 1), in the order they were first met.
    std::vector<std::string> AssignedVariables() const;

    // Bytes the run's memory may hold (arrays, texts, output); beyond it an operation reports
    // "Out of memory\n" and yields nothing.
    void SetMemoryLimit(std::size_t bytes) { pool_.SetLimit(bytes); }

    // --- error reports --------------------------------------------------------------------
    // Builds the report (the current line up to the scan position, a caret under its last
    // character, an empty line, the message), keeps it to 511 characters, sets the error flag
    // and shows it.
    void ReportFormulaError(std::string_view message);
    static constexpr std::size_t kMaxReport = 511;

    // --- what the grammar actions call ---------------------------------------------------
    Value BinaryOp(Value left, Value right, BinaryOperator op);
    Value Negate(Value v);
    Value LogicalNot(Value v);
    Value ApplyMath(Value v, MathRoutine routine);
    Value Assign(Symbol& symbol, Value v);
    void WriteStatement(Value v);
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
    Database* GetDatabase() const { return db_; }
    MemArray& Memory() { return pool_; }

  private:
    void ReportOutOfMemory();
    void BuildMarketArrays();
    void RegisterSymbols();

    FormulaErrorSink& errors_;
    Database* db_;

    bool running_ = false;
    const Stock* stock_ = nullptr;
    int barCount_ = 0;
    int selectedBar_ = -1;
    std::array<std::vector<float>, 7> prices_;
    std::array<std::vector<float>, 6> market_;
    bool marketBuilt_ = false;
    SymbolTable symbols_;
    std::string output_;
    bool errorFlag_ = false;
    MemArray pool_;
    std::deque<ArgList> argLists_;
    std::vector<ArgList*> freeArgLists_;
    const Scanner* scanner_ = nullptr;  // while Execute runs
};

}  // namespace velmora
