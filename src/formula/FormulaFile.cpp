#include "formula/FormulaFile.h"

#include "platform/FileUtil.h"
#include "platform/SettingsStore.h"

namespace velmora {

std::string FormulaTextFromFile(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size() + bytes.size() / 16 + 2);
    std::size_t start = 0;
    while (start < bytes.size()) {
        const std::size_t lineFeed = bytes.find('\n', start);
        const std::size_t end = lineFeed == std::string_view::npos ? bytes.size() : lineFeed;
        std::string_view line = bytes.substr(start, end - start);
        // A carriage return before the line feed belongs to the line break.
        if (lineFeed != std::string_view::npos && !line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        text += line;
        text += "\r\n";
        start = end + 1;
    }
    return text;
}

std::string FormulaFileFromText(std::string_view text) {
    std::string bytes;
    bytes.reserve(text.size() + text.size() / 16);
    for (const char c : text) {
        if (c == '\r') continue;
        if (c == '\n') bytes += '\r';
        bytes += c;
    }
    return bytes;
}

Result<std::string> LoadFormulaFile(const std::filesystem::path& path) {
    const Result<Bytes> bytes = ReadFile(path, FileKind::Formula);
    if (!bytes) return bytes.GetStatus();
    return FormulaTextFromFile(
        std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
}

bool SaveFormulaFile(const std::filesystem::path& path, std::string_view text) {
    return WriteFileAtomically(path, FormulaFileFromText(text)).IsOk();
}

std::filesystem::path FormulaFileFolder(const SettingsStore& settings) {
    return settings.GetString("Paths", "QRX").value_or(std::string());
}

void RememberFormulaFileFolder(SettingsStore& settings, const std::filesystem::path& chosen) {
    settings.SetString("Paths", "QRX", chosen.parent_path().string());
}

}  // namespace velmora
