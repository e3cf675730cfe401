#include "import/AsciiImportCommand.h"

#include <algorithm>
#include <system_error>

#include "import/AsciiText.h"

namespace velmora {

namespace fs = std::filesystem;

AsciiImportDialogDefaults ReadAsciiImportDefaults(const SettingsStore& settings) {
    AsciiImportDialogDefaults d;
    d.initialDir = settings.GetString("Paths", "ASCII").value_or("");
    if (const auto type = settings.GetString("Paths", "ASCIIFileType")) {
        d.typeNumber = std::max(0, static_cast<int>(ParseCommandInteger(*type)));
    }
    return d;
}

std::vector<AsciiImportFileResult> RunAsciiImport(AsciiImporter& importer, const ImportTypes& types,
                                                  const AsciiImportChoice& choice,
                                                  UserInterface& ui, SettingsStore& settings) {
    std::error_code ec;
    fs::remove(importer.LogPath(), ec);
    const std::string format =
        choice.formatFile ? *choice.formatFile : types.FormatFileOf(choice.typeNumber);
    std::vector<AsciiImportFileResult> results;
    const int count = static_cast<int>(choice.files.size());
    const bool useProgress = count > 1;
    ProgressReporter& progress = ui.Progress();
    bool cancelled = false;
    for (int i = 0; i < count; ++i) {
        AsciiImportFileResult r;
        r.file = choice.files[static_cast<std::size_t>(i)];
        if (!cancelled && useProgress &&
            !progress.Step(i, count, r.file.string(), "Importing...")) {
            cancelled = true;
        }
        if (!cancelled) {
            r.status = importer.ImportAsciiFile(r.file, format);
            r.stats = importer.LastStats();
            r.imported = true;
        }
        results.push_back(std::move(r));
    }
    if (useProgress) progress.Close();
    if (count > 0) {
        settings.SetString("Paths", "ASCII", choice.files.front().parent_path().string());
    }
    settings.SetString("Paths", "ASCIIFileType", std::to_string(choice.typeNumber));
    return results;
}

}  // namespace velmora
