#pragma once
// Runs a JavaScript program against the automation model in a QJSEngine. The program sees:
//   createObject("Tarvik.Application")  a new AApplication (the name is case-insensitive;
//                                       any other name throws an Error)
//   print(a, b, ...)                    the values as texts, separated by blanks, as one line
//   args                                the extra arguments, an array of strings
//   gc()                                runs the engine's garbage collector
// Parameterised members are methods: stocks.Item(key), stock.FinanceYear(q) and
// stock.SetFinanceYear(q, value). A collection's _NewEnum is an array holding a snapshot of
// its members, so `for (const s of app.Stocks._NewEnum)` walks it; Count and Item(i) index it.
// Dates are script Date values at the day's first local moment (midnight, unless the clocks
// skip it that day); an automation date number is accepted where a day is asked for. Numbers
// written to members or passed to methods are checked against the member's type (long,
// short, float): a non-number is a TypeError, a value beyond the range a RangeError. The caller
// provides the QCoreApplication the engine needs.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "automation/AutomationContext.h"

namespace velmora {

struct ScriptResult {
    bool ok = true;
    // For a failed run: "FILE:LINE: message" of the exception that ended it, LINE being the
    // script's own line where it arose (inside a function, the line in that function).
    std::string error;
};

class ScriptRunner {
  public:
    explicit ScriptRunner(AutomationContext& context) : context_(context) {}

    // Runs the program; every print() line goes to `print` (without its line feed).
    ScriptResult Run(std::string_view source, const std::string& fileName,
                     const std::vector<std::string>& args,
                     const std::function<void(std::string_view)>& print);

  private:
    ScriptResult RunInEngine(std::string_view source, const std::string& fileName,
                             const std::vector<std::string>& args,
                             const std::function<void(std::string_view)>& print);

    AutomationContext& context_;
};

}  // namespace velmora
