#include "formula/Optimize.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <optional>

#include "formula/Scanner.h"

namespace velmora {

namespace {

bool IsChar(const Token& t, char c) {
    return t.kind == TokenKind::Char && t.ch == static_cast<unsigned char>(c);
}

bool SameName(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

// Reads the call's arguments from the token after "(": a text, then four numbers (each may be
// negated), "," between them and ")" at the end.
std::optional<OptimizeParameter> ReadCall(const std::vector<Token>& tokens, std::size_t at) {
    OptimizeParameter p;
    if (at >= tokens.size() || tokens[at].kind != TokenKind::String) return std::nullopt;
    p.Name = tokens[at++].text;
    float* const fields[] = {&p.Default, &p.Min, &p.Max, &p.Step};
    for (float* field : fields) {
        if (at >= tokens.size() || !IsChar(tokens[at++], ',')) return std::nullopt;
        const bool negative = at < tokens.size() && IsChar(tokens[at], '-');
        if (negative) ++at;
        if (at >= tokens.size() || tokens[at].kind != TokenKind::Number) return std::nullopt;
        *field = negative ? -tokens[at].number : tokens[at].number;
        ++at;
    }
    if (at >= tokens.size() || !IsChar(tokens[at], ')')) return std::nullopt;
    return p;
}

std::string Where(int line) {
    return " (line " + std::to_string(line) + ")";
}

}  // namespace

Result<std::vector<OptimizeParameter>> FindOptimizeParameters(std::string_view formula) {
    std::vector<Token> tokens;
    std::vector<int> lines;
    Scanner scanner(formula);
    for (Token t = scanner.Next(); t.kind != TokenKind::End; t = scanner.Next()) {
        const std::string_view done = formula.substr(0, t.begin);
        lines.push_back(1 + static_cast<int>(std::count(done.begin(), done.end(), '\n')));
        tokens.push_back(std::move(t));
    }
    std::vector<OptimizeParameter> found;
    for (std::size_t i = 0; i + 1 < tokens.size(); ++i) {
        if (tokens[i].kind != TokenKind::Identifier || !SameName(tokens[i].text, "optimize") ||
            !IsChar(tokens[i + 1], '(')) {
            continue;
        }
        const int line = lines[i];
        std::optional<OptimizeParameter> p = ReadCall(tokens, i + 2);
        if (!p) {
            return Status::Error(
                "optimize takes a name in quotes and four numbers written out: "
                "optimize(\"name\", default, min, max, step)" +
                Where(line));
        }
        p->Line = line;
        if (!(p->Step > 0) || p->Min > p->Max) {
            return Status::Error("optimize(\"" + p->Name +
                                 "\"): the step must be above 0 and min at most max" + Where(line));
        }
        const auto same = std::find_if(found.begin(), found.end(), [&](const OptimizeParameter& q) {
            return q.Name == p->Name;
        });
        if (same == found.end()) {
            found.push_back(std::move(*p));
        } else if (same->Default != p->Default || same->Min != p->Min || same->Max != p->Max ||
                   same->Step != p->Step) {
            return Status::Error("optimize(\"" + p->Name +
                                 "\") is called with two different ranges" + Where(line));
        }
    }
    return found;
}

std::size_t ParameterValueCount(const OptimizeParameter& p, std::size_t limit) {
    const double span = (static_cast<double>(p.Max) - p.Min) / p.Step;
    const double steps = std::floor(span + 1e-6 * std::max(1.0, span));
    if (!(steps < static_cast<double>(limit))) return limit + 1;
    return static_cast<std::size_t>(steps) + 1;
}

namespace {

// A number as the formula reads it written out ("-" then the digits).
float ReadWritten(const std::string& text) {
    if (!text.empty() && text[0] == '-') return -DecimalToFloat(std::string_view(text).substr(1));
    return DecimalToFloat(text);
}

std::string Written(double value, int digits) {
    char text[48];
    std::snprintf(text, sizeof text, "%.*g", digits, value);
    return text;
}

}  // namespace

float ParameterValue(const OptimizeParameter& p, std::size_t k) {
    const double v = static_cast<double>(p.Min) + static_cast<double>(k) * p.Step;
    return ReadWritten(Written(std::min(v, static_cast<double>(p.Max)), 10));
}

std::string ParameterText(float value) {
    for (int digits = 6; digits < 9; ++digits) {
        std::string text = Written(value, digits);
        if (ReadWritten(text) == value) return text;
    }
    return Written(value, 9);
}

}  // namespace velmora
