#pragma once
// The table of QRX built-in functions. Each row gives a name, a handler and the argument
// descriptor that Evaluator::CallBuiltin checks before the handler runs: so many leading
// array arguments, then strings, then required numbers, then optional numbers with defaults.
// A handler gets the completed vector in written order (its length is the declared total),
// never changes its argument arrays, and returns a number, a new array of the bar count, a
// text, or Value::None() after Evaluator::ReportFormulaError.

#include <array>
#include <cstdint>
#include <span>

#include "formula/Value.h"

namespace velmora {

class Evaluator;

using BuiltinHandler = Value (*)(Evaluator& evaluator, int count, const Value* args);

struct BuiltinEntry {
    static constexpr int kMaxOptionals = 4;

    const char* name;
    BuiltinHandler handler;
    std::uint8_t arrays;
    std::uint8_t strings;
    std::uint8_t numbers;
    std::uint8_t optionals;
    std::array<float, kMaxOptionals> defaults;

    int Required() const { return arrays + strings + numbers; }
    int Total() const { return Required() + optionals; }
};

// Every built-in, in table order (the order in which a run registers them).
std::span<const BuiltinEntry> BuiltinTable();

}  // namespace velmora
