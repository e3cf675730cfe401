#include "formula/SymbolTable.h"

namespace velmora {

namespace {

std::string Folded(std::string_view name) {
    std::string key(name);
    for (char& c : key) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return key;
}

}  // namespace

Symbol* SymbolTable::FindSymbol(std::string_view name) {
    const auto it = index_.find(Folded(name));
    return it == index_.end() ? nullptr : it->second;
}

Symbol* SymbolTable::AddSymbol(std::string_view name, SymbolKind kind) {
    Symbol& s = symbols_.emplace_back();
    s.name.assign(name);
    s.kind = kind;
    // A newer symbol of the same name hides the older one.
    index_[Folded(name)] = &s;
    return &s;
}

void SymbolTable::Clear() {
    index_.clear();
    symbols_.clear();
}

}  // namespace velmora
