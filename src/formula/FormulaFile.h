#pragma once
// Formula files ("*.qrx"): the formula text as plain text lines, each ended by a carriage
// return and line feed. In memory a formula text has "\r\n" after every line, the last one too.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Status.h"

namespace velmora {

class SettingsStore;

inline constexpr const char* kFormulaFileFilter = "QRX Files (*.qrx)|*.qrx|All Files (*.*)|*.*||";
inline constexpr const char* kFormulaFileExtension = "QRX";

// The text of a file's bytes: its lines (split at line feeds, a carriage return before a line
// feed dropped), each followed by "\r\n".
std::string FormulaTextFromFile(std::string_view bytes);
// The bytes stored for a text: every carriage return removed, every line feed written as a
// carriage return and line feed.
std::string FormulaFileFromText(std::string_view text);

// Reads a formula file; a failure names the file and the reason.
Result<std::string> LoadFormulaFile(const std::filesystem::path& path);
// Writes a formula file through a temporary file; false when it cannot be written.
bool SaveFormulaFile(const std::filesystem::path& path, std::string_view text);

// The folder the formula file dialogs start in ("Paths"/"QRX"), empty when none was stored.
std::filesystem::path FormulaFileFolder(const SettingsStore& settings);
// Stores the folder of the file the user chose in a formula file dialog.
void RememberFormulaFileFolder(SettingsStore& settings, const std::filesystem::path& chosen);

}  // namespace velmora
