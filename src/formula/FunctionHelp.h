#pragma once
// What the formula editor, the command-line tool's `functions` command and the manual say about
// each QRX function: one row per built-in (Builtins.h) and per math function with the names of
// its arguments, a one-line description, what it returns, its warm-up and an example. How many
// arguments of which kind a call takes, and the defaults, come from the built-in table itself,
// so the help cannot disagree with what a call accepts.

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

struct BuiltinEntry;

struct FunctionHelp {
    const char* name;
    const char* arguments;  // the argument names in written order, ", " between them
    const char* summary;    // one line
    const char* returns;
    const char* warmUp;  // the empty bars at the start, counted from the input's first value
    const char* example;
};

// Every function: the built-ins in table order, then the math functions.
std::span<const FunctionHelp> FunctionHelpTable();
// By name, without regard to letter case; null for a name that is no function.
const FunctionHelp* FindFunctionHelp(std::string_view name);
// The built-in table's row of a built-in; null for a math function.
const BuiltinEntry* FindBuiltin(std::string_view name);

// The call with its argument names and the defaults of the optional ones:
// "ema(array, periods)", "sar(step = 0.02, maximum = 0.2)".
std::string FunctionSignature(const FunctionHelp& help);
// "signature — summary".
std::string FunctionLine(const FunctionHelp& help);
// The whole entry: the signature and summary, then each argument (its kind, required or its
// default), what the function returns, its warm-up and an example, a line each.
std::string FunctionEntry(const FunctionHelp& help);
// The reference of every function as a Markdown page, for the manual.
std::string FunctionReferenceMarkdown();

// The words a formula may use that begin with `prefix` (without regard to letter case): the
// functions, the keywords AND, OR and NOT and the price arrays, sorted and each once.
std::vector<std::string> CompletionsFor(std::string_view prefix);

}  // namespace velmora
