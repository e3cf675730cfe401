// "import.types" and an ASCII format file with a data file, cut from one input at each
// "\n--FILE--\n". The types must keep their limits; the format file then drives an import of
// the data file whose stored quotations must be sound.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzSupport.h"
#include "ImportFuzzSupport.h"
#include "import/ImportTypes.h"

using namespace velmora;

namespace {

std::vector<std::string_view> SplitFiles(std::string_view input) {
    static constexpr std::string_view kSeparator = "\n--FILE--\n";
    std::vector<std::string_view> parts;
    while (parts.size() < 2) {
        const std::size_t at = input.find(kSeparator);
        if (at == std::string_view::npos) break;
        parts.push_back(input.substr(0, at));
        input.remove_prefix(at + kSeparator.size());
    }
    parts.push_back(input);
    parts.resize(3);
    return parts;
}

void Write(const std::filesystem::path& file, std::string_view text) {
    fuzz::WriteFile(file, reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const auto dir = fuzz::FreshDirectory("importtypes");
    const auto parts = SplitFiles(std::string_view(reinterpret_cast<const char*>(data), size));
    Write(dir / "import.types", parts[0]);
    Write(dir / "f.format", parts[1]);
    Write(dir / "DATA.txt", parts[2]);

    const ImportTypes types = ReadImportTypes(dir / "import.types");
    if (types.types.size() > ImportTypes::kMaxTypes ||
        types.filterText.size() > ImportTypes::kMaxFilterText + 1 || types.filterText.empty() ||
        types.filterText.back() != '|') {
        __builtin_trap();
    }
    for (std::size_t i = 0; i < types.types.size(); ++i) {
        const ImportType& t = types.types[i];
        if (t.filter.empty() || t.filter.back() != '|' ||
            t.formatFile.find('|') != std::string::npos ||
            types.FormatFileOf(static_cast<int>(i) + 1).empty()) {
            __builtin_trap();
        }
    }
    if (types.FormatFileOf(0) != "default.format") __builtin_trap();

    fuzz::ImportAndCheck(dir, {"DATA", "A"});
    return 0;
}
