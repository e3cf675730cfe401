#pragma once
// The ASCII import command behind its file dialog: the dialog's initial directory and type
// come from the settings ("Paths"/"ASCII" and "ASCIIFileType"); on OK the log is deleted, the
// chosen type's format file imports every selected file (with a progress dialog and Cancel
// when there are several), and the directory and type are stored back.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "import/AsciiImporter.h"
#include "import/ImportTypes.h"
#include "platform/SettingsStore.h"
#include "platform/UserInterface.h"

namespace velmora {

// What the file dialog starts with.
struct AsciiImportDialogDefaults {
    std::string initialDir;  // "Paths"/"ASCII", empty when unset
    int typeNumber = 0;      // "Paths"/"ASCIIFileType", 1-based; 0 when unset
};
AsciiImportDialogDefaults ReadAsciiImportDefaults(const SettingsStore& settings);

// What the user chose in the dialog.
struct AsciiImportChoice {
    std::vector<std::filesystem::path> files;
    int typeNumber = 0;  // 1-based; outside 1..count means "default.format"
    // A format file named directly instead of a type (the command-line tool's --format).
    std::optional<std::string> formatFile;
};

struct AsciiImportFileResult {
    std::filesystem::path file;
    bool imported = false;  // false: not reached because the user cancelled
    int status = kAsciiImportDone;
    AsciiImportStats stats;
    Status failure;  // why the data file could not be opened
};

// Runs the import of the chosen files, in order. Deletes "import.log" first; steps the
// progress dialog ("Importing...") when more than one file was chosen and stops at Cancel;
// stores the first file's directory as "ASCII" and the type number as "ASCIIFileType".
std::vector<AsciiImportFileResult> RunAsciiImport(AsciiImporter& importer, const ImportTypes& types,
                                                  const AsciiImportChoice& choice,
                                                  UserInterface& ui, SettingsStore& settings);

// The text of an ImportAsciiFile result: "done", "cannot be opened", ...
const char* AsciiImportStatusText(int status);

// "N lines stored, N lines not stored, N stocks added, N volumes clamped, N lines replaced,
// N lines with warnings".
std::string AsciiImportCounts(const AsciiImportStats& stats);

// A sentence for each kind of line the import did not store as written, with its remedy.
std::vector<std::string> AsciiImportNotes(const AsciiImportStats& stats);

// The one message the desktop program shows after importing: a paragraph per file (the first
// 20), and the totals when there were several.
std::string DescribeAsciiImport(const std::vector<AsciiImportFileResult>& results);

}  // namespace velmora
