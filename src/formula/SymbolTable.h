#pragma once
// The symbols of one formula run: every identifier registered or met while scanning, with what
// it stands for (a variable, a math function or a built-in function). Names compare without
// regard to ASCII letter case; a symbol keeps the spelling it was first written with.

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "formula/MathFunctions.h"
#include "formula/Value.h"

namespace velmora {

struct BuiltinEntry;

enum class SymbolKind : std::uint8_t { Ident, MathFunc, Func };

// State of a variable.
enum class SymbolState : std::uint8_t {
    Unassigned = 0,  // met in the text but never assigned: using it is an error
    Assigned = 1,    // assigned by the formula
    PriceArray = 2,  // a predefined price array
};

struct Symbol {
    std::string name;
    SymbolKind kind = SymbolKind::Ident;
    SymbolState state = SymbolState::Unassigned;
    Value value = Value::Number(0.0f);
    MathRoutine math = nullptr;             // MathFunc
    const BuiltinEntry* builtin = nullptr;  // Func
};

class SymbolTable {
  public:
    // The symbol of that name, or null.
    Symbol* FindSymbol(std::string_view name);
    // A new symbol (unassigned, the number 0) of that name and kind. Callers look first.
    Symbol* AddSymbol(std::string_view name, SymbolKind kind);
    // Every symbol, oldest first.
    const std::deque<Symbol>& Symbols() const { return symbols_; }
    void Clear();

  private:
    std::deque<Symbol> symbols_;                      // stable addresses
    std::unordered_map<std::string, Symbol*> index_;  // by lower-case name
};

}  // namespace velmora
