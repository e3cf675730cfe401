#pragma once
// The QRX formula engine. A run binds one stock and evaluates formula texts over its bars;
// the variables they assign stay readable while the run lives:
//
//     engine.ClearErrorFlag();
//     {
//         FormulaRun run = engine.BeginRun(stock);
//         run.Execute(text);                      // statements run as they are parsed
//         const float* buy = run.GetArray("buy");
//         if (engine.ErrorFlag()) ...             // a "QRX Error" report was shown
//     }                                           // the run ends: everything read is invalid
//
// An array read with GetArray also goes when a later Execute of the run assigns its variable
// again: a variable's old array is given back at the end of the statement that replaced it
// (unless another variable still holds it), so a long formula that reassigns its variables
// runs in the memory of its variables, not of its statements.
//
// Runs never nest: beginning a run ends the one still active, and a FormulaRun whose run was
// ended that way reads nothing and, when destroyed, leaves the newer run alone. Formula
// errors are not returned: they are reported through the FormulaErrorSink and set the error
// flag, and evaluation goes on with the next statement.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "formula/FormulaErrorSink.h"
#include "formula/Optimize.h"

namespace velmora {

class Database;
class Evaluator;
class FormulaRun;
struct Stock;

// One error of a run, where it lies in the text that was executed: the bytes [begin, end) it
// concerns (the token the parser could not accept, the unknown identifier, the whole call or
// operation that failed; an empty span at the end of the text), the line and column (both from
// 1, the column in bytes) of its beginning and of its end, and the report's message without its
// line break.
struct FormulaDiagnostic {
    std::size_t begin = 0;
    std::size_t end = 0;
    int line = 1;
    int column = 1;
    int endLine = 1;
    int endColumn = 1;
    std::string message;

    bool operator==(const FormulaDiagnostic&) const = default;
};

class FormulaEngine {
  public:
    // The database gives the market data and the other stocks that some built-ins read; it may
    // be null (those built-ins then find nothing).
    explicit FormulaEngine(FormulaErrorSink& errors, Database* db = nullptr);
    ~FormulaEngine();
    FormulaEngine(const FormulaEngine&) = delete;
    FormulaEngine& operator=(const FormulaEngine&) = delete;

    // Binds the stock (ending a run still active), fills the price arrays, registers the
    // symbols and selects the last bar. The stock must stay unchanged, and the engine alive,
    // while the run lives.
    [[nodiscard]] FormulaRun BeginRun(const Stock& stock);
    // BeginRun on a copy of the database's stock `original` (a parallel run works on copies
    // holding the full history, leaving the database unchanged): a built-in that finds
    // `original` by name reads the copy instead, as it would read the stock itself.
    [[nodiscard]] FormulaRun BeginRun(const Stock& stock, const Stock* original);
    bool InRun() const;

    // Set by every report; kept across runs until cleared.
    bool ErrorFlag() const;
    // Clears the flag and the diagnostics.
    void ClearErrorFlag();
    // Every report since the flag was last cleared (at most kMaxDiagnostics), in order; the
    // positions are within the text whose Execute made the report.
    const std::vector<FormulaDiagnostic>& Diagnostics() const;
    static constexpr std::size_t kMaxDiagnostics = 1000;

    // Bytes a run's memory may hold (arrays, texts, output); beyond it an operation reports
    // "Out of memory\n" and yields nothing.
    void SetMemoryLimit(std::size_t bytes);
    std::size_t MemoryLimit() const;

    // The values that optimize() calls give by name in the runs from now on instead of their
    // defaults (a parameter left out gives its default). Empty by default.
    void SetParameters(FormulaParameters parameters);
    const FormulaParameters& Parameters() const;

    // The database the engine was made with (may be null).
    Database* GetDatabase() const;
    // Shows a report made by another engine (a worker's in a parallel run) through this
    // engine's error sink and sets the error flag, as the engine's own reports do.
    void ShowErrorReport(std::string_view report);
    // Adds the diagnostics another engine made (a worker's in a parallel run) after this
    // engine's own, up to kMaxDiagnostics, so that the caller finds the positions of the
    // errors whose reports ShowErrorReport shows, as it would after a run of its own.
    void KeepDiagnostics(std::span<const FormulaDiagnostic> diagnostics);

    // The longest report the error sink is given, in characters.
    static constexpr std::size_t kMaxReport = 511;

  private:
    friend Evaluator& EvaluatorOf(FormulaEngine& engine);

    std::unique_ptr<Evaluator> evaluator_;
};

// One run of an engine; move-only. Destroying it, or End, ends the run if it is still the
// engine's active one. Once the run has ended every reader below gives nothing (null, 0, an
// empty text) and Execute does nothing.
class FormulaRun {
  public:
    FormulaRun(FormulaRun&& other) noexcept;
    FormulaRun& operator=(FormulaRun&& other) noexcept;
    FormulaRun(const FormulaRun&) = delete;
    FormulaRun& operator=(const FormulaRun&) = delete;
    ~FormulaRun() { End(); }

    // Whether this run is still the engine's active one.
    bool Active() const;
    // Releases everything the run made; harmless once it has ended.
    void End();

    // -1, or the bar count itself, selects the last bar; any other index is kept as given
    // (built-ins reading the selected bar check it against the bar count).
    void SetSelectedBar(int index);
    // Parses and evaluates the text, statement by statement; text after a NUL byte is ignored.
    void Execute(std::string_view text);
    // The variable's array; a number variable gives a new array holding it at every bar. Null
    // for an unknown name, a function name or a text variable.
    const float* GetArray(std::string_view name);
    // The text of a text variable, else null.
    const char* GetString(std::string_view name);
    // The value of a number variable, else 0.
    float GetNumber(std::string_view name);
    // The text written by string statements, each followed by a line feed.
    std::string_view Output() const;
    int BarCount() const;
    // Variables the formulas of this run assigned, in the order they were first met.
    std::vector<std::string> AssignedVariables() const;

  private:
    friend class FormulaEngine;
    FormulaRun(Evaluator& evaluator, std::uint64_t id) : evaluator_(&evaluator), id_(id) {}

    Evaluator* evaluator_;
    std::uint64_t id_;
};

}  // namespace velmora
