#include "formula/FunctionHelp.h"

#include <algorithm>
#include <cstdio>

#include "formula/Builtins.h"
#include "formula/Vocabulary.h"
#include "platform/NoCase.h"

namespace velmora {

namespace {

std::vector<std::string_view> ArgumentNames(const FunctionHelp& help) {
    std::vector<std::string_view> names;
    std::string_view rest = help.arguments;
    while (!rest.empty()) {
        const std::size_t comma = rest.find(", ");
        names.push_back(rest.substr(0, comma));
        rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 2);
    }
    return names;
}

std::string NumberText(float value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", static_cast<double>(value));
    return text;
}

// What argument i of a built-in takes: "array", "text", "number" or "number, default D".
std::string ArgumentKind(const BuiltinEntry& entry, int i) {
    if (i < entry.arrays) return "array (a number is taken as that value on every bar)";
    if (i < entry.arrays + entry.strings) return "text";
    if (i < entry.Required()) return "number";
    return "number, default " +
           NumberText(entry.defaults[static_cast<std::size_t>(i - entry.Required())]);
}

}  // namespace

const FunctionHelp* FindFunctionHelp(std::string_view name) {
    for (const FunctionHelp& help : FunctionHelpTable()) {
        if (EqualNoCase(help.name, name)) return &help;
    }
    return nullptr;
}

const BuiltinEntry* FindBuiltin(std::string_view name) {
    for (const BuiltinEntry& entry : BuiltinTable()) {
        if (EqualNoCase(entry.name, name)) return &entry;
    }
    return nullptr;
}

std::string FunctionSignature(const FunctionHelp& help) {
    const BuiltinEntry* entry = FindBuiltin(help.name);
    const std::vector<std::string_view> names = ArgumentNames(help);
    std::string text = std::string(help.name) + "(";
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0) text += ", ";
        text += names[i];
        const int optional = entry ? static_cast<int>(i) - entry->Required() : -1;
        if (optional >= 0 && optional < entry->optionals) {
            text += " = " + NumberText(entry->defaults[static_cast<std::size_t>(optional)]);
        }
    }
    return text + ")";
}

std::string FunctionLine(const FunctionHelp& help) {
    return FunctionSignature(help) + " \u2014 " + help.summary;
}

std::string FunctionEntry(const FunctionHelp& help) {
    std::string text = FunctionLine(help) + "\n";
    const BuiltinEntry* entry = FindBuiltin(help.name);
    const std::vector<std::string_view> names = ArgumentNames(help);
    if (names.empty()) text += "  arguments: none (the parentheses are still written)\n";
    for (std::size_t i = 0; i < names.size(); ++i) {
        text += "  ";
        text += names[i];
        text += ": ";
        text += entry ? ArgumentKind(*entry, static_cast<int>(i)) : "number or array";
        text += "\n";
    }
    text += std::string("  returns: ") + help.returns + "\n";
    text += std::string("  warm-up: ") + help.warmUp + "\n";
    text += std::string("  example: ") + help.example + "\n";
    return text;
}

std::string FunctionReferenceMarkdown() {
    std::string page =
        "# QRX functions\n\n"
        "Written from the program's own table of functions (`velmora-cli functions` prints the "
        "same). Arguments are written in this order: arrays, then texts in double quotes, then "
        "numbers; a number shown with a default may be left out from the end. A call needs its "
        "parentheses even without arguments. Names are matched without regard to letter case. "
        "The warm-up counts the empty bars at the start, from the input's first value on.\n\n";
    for (const FunctionHelp& help : FunctionHelpTable()) {
        page += "## `" + FunctionSignature(help) + "`\n\n" + help.summary + ".\n\n";
        std::string entry = FunctionEntry(help);
        // The lines after the first, as a list.
        for (std::size_t at = entry.find('\n') + 1; at < entry.size();) {
            const std::size_t end = entry.find('\n', at);
            page += "- " + entry.substr(at + 2, end - at - 2) + "\n";
            at = end + 1;
        }
        page += "\n";
    }
    return page;
}

std::vector<std::string> CompletionsFor(std::string_view prefix) {
    std::vector<std::string> words;
    const auto take = [&](std::string_view word) {
        if (word.size() >= prefix.size() && EqualNoCase(word.substr(0, prefix.size()), prefix))
            words.emplace_back(word);
    };
    for (const FunctionHelp& help : FunctionHelpTable()) take(help.name);
    for (std::string_view word : kKeywords) take(word);
    for (std::string_view word : kPriceArrayNames) take(word);
    for (std::string_view word : kPriceArrayShortNames) take(word);
    std::sort(words.begin(), words.end(),
              [](const std::string& a, const std::string& b) { return CompareNoCase(a, b) < 0; });
    words.erase(std::unique(words.begin(), words.end()), words.end());
    return words;
}

}  // namespace velmora
