#include "import/ImportTypes.h"

#include "import/AsciiText.h"
#include "platform/FileUtil.h"

namespace velmora {

std::string ImportTypes::FormatFileOf(int typeNumber) const {
    if (typeNumber < 1 || static_cast<std::size_t>(typeNumber) > types.size()) {
        return "default.format";
    }
    const std::string& name = types[static_cast<std::size_t>(typeNumber) - 1].formatFile;
    return name.empty() ? "default.format" : name;
}

ImportTypes ParseImportTypes(std::string_view text) {
    ImportTypes result;
    std::size_t pos = 0;
    while (pos < text.size() && result.types.size() < ImportTypes::kMaxTypes) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = TrimRight(text.substr(pos, end - pos));
        pos = end + 1;
        const std::size_t bar = line.rfind('|');
        if (bar == std::string_view::npos) continue;
        ImportType type;
        type.filter = std::string(line.substr(0, bar + 1));
        type.formatFile = std::string(line.substr(bar + 1));
        if (result.filterText.size() + type.filter.size() <= ImportTypes::kMaxFilterText) {
            result.filterText += type.filter;
        }
        result.types.push_back(std::move(type));
    }
    result.filterText += '|';
    return result;
}

ImportTypes ReadImportTypes(const std::filesystem::path& path, Status* unread) {
    // 100 types of a few hundred characters each fit well within the first megabyte.
    const Result<Bytes> bytes = ReadFileHead(path, FileKind::FormatDefinitions, 1 << 20);
    if (!bytes) {
        if (unread != nullptr && bytes.GetStatus().Code() != StatusCode::NotFound) {
            *unread = bytes.GetStatus();
        }
        return ParseImportTypes({});
    }
    return ParseImportTypes(
        std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
}

}  // namespace velmora
