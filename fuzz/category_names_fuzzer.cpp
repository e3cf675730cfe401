// The four category name files of a profile directory, cut from one input at each
// "\n--FILE--\n" (groups, markets, sectors, industries in that order), read over the default
// names as a new workspace does. Every name must fit its field and be the start of its line;
// entries beyond a file's lines keep their default names.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzSupport.h"
#include "database/CategoryNames.h"

using namespace velmora;

namespace {

std::vector<std::string_view> SplitFiles(std::string_view input) {
    static constexpr std::string_view kSeparator = "\n--FILE--\n";
    std::vector<std::string_view> parts;
    while (parts.size() < 3) {
        const std::size_t at = input.find(kSeparator);
        if (at == std::string_view::npos) break;
        parts.push_back(input.substr(0, at));
        input.remove_prefix(at + kSeparator.size());
    }
    parts.push_back(input);
    return parts;
}

// The lines of a file as the reader cuts them (without "\n" and one trailing "\r").
std::vector<std::string_view> Lines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        pos = end + 1;
    }
    return lines;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

template <typename Table, typename Name>
void Check(const Table& table, const std::vector<std::string_view>& lines, Name nameOf,
           const char* defaultPrefix) {
    for (std::size_t i = 0; i < table.size(); ++i) {
        const std::string_view name = nameOf(table[i]);
        if (name.size() > 39) __builtin_trap();
        if (i < lines.size()) {
            // Industries carry their sector number first: the name is the end of the line.
            if (!StartsWith(lines[i], name) && lines[i].find(name) == std::string_view::npos) {
                __builtin_trap();
            }
        } else if (name != defaultPrefix + std::to_string(i)) {
            __builtin_trap();
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const auto dir = fuzz::FreshDirectory("categories");
    static const char* const kFiles[] = {"tarvik.groups", "tarvik.markets", "tarvik.sectors",
                                         "tarvik.industries"};
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const auto parts = SplitFiles(input);
    for (std::size_t i = 0; i < 4; ++i) {
        std::error_code ec;
        std::filesystem::remove(dir / kFiles[i], ec);
        if (i < parts.size()) {
            fuzz::WriteFile(dir / kFiles[i], reinterpret_cast<const std::uint8_t*>(parts[i].data()),
                            parts[i].size());
        }
    }
    static CategoryTables tables;
    tables.SetDefaultNames();
    LoadCategoryNames(dir, tables);
    auto lines = [&](std::size_t i) {
        return i < parts.size() ? Lines(parts[i]) : std::vector<std::string_view>{};
    };
    Check(
        tables.Groups, lines(0), [](const Group& g) { return g.Name.View(); }, "Group ");
    Check(
        tables.Markets, lines(1), [](const Market& m) { return m.Name.View(); }, "Market ");
    Check(
        tables.Sectors, lines(2), [](const Sector& s) { return s.Name.View(); }, "Sector ");
    Check(
        tables.Industries, lines(3), [](const Industry& d) { return d.Name.View(); }, "Industry ");
    return 0;
}
