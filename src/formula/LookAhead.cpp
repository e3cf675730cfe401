#include "formula/LookAhead.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <map>
#include <vector>

#include "formula/Scanner.h"

namespace velmora {

namespace {

struct Item {
    Token token;
    int line = 1;
};

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

bool IsChar(const Item& item, char c) {
    return item.token.kind == TokenKind::Char && item.token.ch == static_cast<unsigned char>(c);
}

bool IsHindsightFunction(const std::string& lower) {
    static constexpr std::array<std::string_view, 5> kNames = {"zig", "peak", "trough", "peakbars",
                                                               "troughbars"};
    return std::find(kNames.begin(), kNames.end(), lower) != kNames.end();
}

// The tokens of the formula with their lines, split into statements at ";", "{" and "}" outside
// parentheses.
std::vector<std::vector<Item>> Statements(std::string_view formula) {
    Scanner scanner(formula);
    std::vector<std::vector<Item>> statements(1);
    int depth = 0;
    for (Token t = scanner.Next(); t.kind != TokenKind::End; t = scanner.Next()) {
        const std::string_view done = formula.substr(0, scanner.Position());
        const int line = 1 + static_cast<int>(std::count(done.begin(), done.end(), '\n'));
        const bool isChar = t.kind == TokenKind::Char;
        if (isChar && t.ch == '(') ++depth;
        if (isChar && t.ch == ')') depth = std::max(0, depth - 1);
        if (isChar && depth == 0 && (t.ch == ';' || t.ch == '{' || t.ch == '}')) {
            if (!statements.back().empty()) statements.emplace_back();
            continue;
        }
        statements.back().push_back({std::move(t), line});
    }
    return statements;
}

// The second argument of the call whose "(" is at `open` reads later bars unless it is a
// number of at most 0 or starts with a minus sign.
bool RefLooksAhead(const std::vector<Item>& items, std::size_t open) {
    int depth = 0;
    for (std::size_t i = open; i < items.size(); ++i) {
        if (IsChar(items[i], '(')) ++depth;
        if (IsChar(items[i], ')') && --depth == 0) return false;  // no period given
        if (depth == 1 && IsChar(items[i], ',')) {
            if (i + 1 >= items.size()) return false;
            const Item& next = items[i + 1];
            if (IsChar(next, '-')) return false;
            return !(next.token.kind == TokenKind::Number && next.token.number <= 0);
        }
    }
    return false;
}

// The first look-ahead call of a statement.
std::optional<LookAheadCall> CallIn(const std::vector<Item>& items) {
    for (std::size_t i = 0; i + 1 < items.size(); ++i) {
        if (items[i].token.kind != TokenKind::Identifier || !IsChar(items[i + 1], '(')) continue;
        const std::string name = Lower(items[i].token.text);
        if (IsHindsightFunction(name) || (name == "ref" && RefLooksAhead(items, i + 1))) {
            return LookAheadCall{items[i].token.text, items[i].line};
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<LookAheadCall> FindLookAhead(std::string_view formula) {
    const std::vector<std::vector<Item>> statements = Statements(formula);
    // The variables that may depend on a look-ahead call, with the call.
    std::map<std::string, LookAheadCall> tainted;
    // Assignments may be repeated and read before they are made (in loops): go over the
    // statements until nothing more is tainted.
    for (bool changed = true; changed;) {
        changed = false;
        for (const std::vector<Item>& items : statements) {
            if (items.size() < 2 || items[0].token.kind != TokenKind::Identifier ||
                !IsChar(items[1], '=')) {
                continue;
            }
            const std::string target = Lower(items[0].token.text);
            if (tainted.count(target) != 0) continue;
            std::optional<LookAheadCall> source = CallIn(items);
            for (std::size_t i = 2; !source && i < items.size(); ++i) {
                if (items[i].token.kind != TokenKind::Identifier) continue;
                const auto found = tainted.find(Lower(items[i].token.text));
                if (found != tainted.end()) source = found->second;
            }
            if (source) {
                tainted.emplace(target, *source);
                changed = true;
            }
        }
    }
    for (const char* signal : {"buy", "sell"}) {
        const auto found = tainted.find(signal);
        if (found != tainted.end()) return found->second;
    }
    return std::nullopt;
}

std::string LookAheadWarning(const LookAheadCall& call) {
    return "The formula looks into the future (" + call.Function + " in line " +
           std::to_string(call.Line) +
           "): its signals are not tradable and the back test overstates results";
}

}  // namespace velmora
