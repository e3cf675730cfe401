#include "formula/BuiltinReference.h"

#include <algorithm>
#include <cstdio>
#include <string_view>
#include <vector>

#include "formula/Builtins.h"
#include "formula/MathFunctions.h"

namespace velmora {

namespace {

// A run of `count` parameters named `kind`, numbered when there is more than one.
void AppendParameters(std::vector<std::string>& out, int count, const char* kind) {
    for (int i = 0; i < count; ++i) {
        out.push_back(count == 1 ? std::string(kind) : kind + std::to_string(i + 1));
    }
}

std::string DefaultText(float value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", static_cast<double>(value));
    return text;
}

}  // namespace

std::string BuiltinSignature(const BuiltinEntry& entry) {
    std::vector<std::string> params;
    AppendParameters(params, entry.arrays, "array");
    AppendParameters(params, entry.strings, "text");
    const int numbers = entry.numbers + entry.optionals;
    std::vector<std::string> numberNames;
    AppendParameters(numberNames, numbers, "n");
    for (int i = 0; i < numbers; ++i) {
        const int optional = i - entry.numbers;
        params.push_back(optional < 0
                             ? numberNames[static_cast<std::size_t>(i)]
                             : numberNames[static_cast<std::size_t>(i)] + " = " +
                                   DefaultText(entry.defaults[static_cast<std::size_t>(optional)]));
    }
    std::string text = std::string(entry.name) + "(";
    for (std::size_t i = 0; i < params.size(); ++i) {
        if (i > 0) text += ", ";
        text += params[i];
    }
    return text + ")";
}

std::string BuiltinReferenceMarkdown() {
    std::vector<const BuiltinEntry*> entries;
    for (const BuiltinEntry& entry : BuiltinTable()) entries.push_back(&entry);
    std::sort(entries.begin(), entries.end(), [](const BuiltinEntry* a, const BuiltinEntry* b) {
        return std::string_view(a->name) < std::string_view(b->name);
    });

    std::string page =
        "# QRX built-in functions\n\n"
        "This page is written from the program's own table of built-in functions.\n\n"
        "Arguments are written in this order: arrays (`close`, a variable, an expression over "
        "bars), then texts in double quotes, then numbers. A number shown with a default may be "
        "left out, from the end; it then takes that default. A call always needs its "
        "parentheses, even without arguments: `obv()`. Names are matched without regard to "
        "letter case.\n\n";
    for (const BuiltinEntry* entry : entries) page += "- `" + BuiltinSignature(*entry) + "`\n";
    page += "\n" + std::to_string(entries.size()) + " built-in functions.\n\n";

    page +=
        "## Math functions\n\n"
        "Each takes exactly one argument, a number or an array, and works bar by bar:\n\n";
    std::string names;
    for (const MathFunction& math : MathFunctions()) {
        if (!names.empty()) names += ", ";
        names += "`" + std::string(math.name) + "`";
    }
    page += names + ".\n\n";
    page +=
        "## Price arrays\n\n"
        "`close` (`c`), `open` (`o`), `high` (`h`), `low` (`l`), `avg` (`a`), `volume` (`v`), "
        "`openint` (`oi`): one value per bar of the stock the formula runs on.\n";
    return page;
}

}  // namespace velmora
