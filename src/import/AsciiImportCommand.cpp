#include "import/AsciiImportCommand.h"

#include <algorithm>
#include <cstdio>
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
            r.failure = importer.LastFailure();
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

const char* AsciiImportStatusText(int status) {
    switch (status) {
        case kAsciiImportDone:
            return "done";
        case kAsciiImportUnknownKeyword:
            return "unknown field keyword in a $FORMAT line";
        case kAsciiImportCannotOpen:
            return "cannot be opened";
        default:
            return "failed";
    }
}

std::string AsciiImportCounts(const AsciiImportStats& stats) {
    char text[256];
    std::snprintf(text, sizeof text,
                  "%d lines stored, %d lines not stored, %d stocks added, %d volumes clamped, "
                  "%d lines replaced, %d lines with warnings",
                  stats.storedLines, stats.errorLines, stats.addedStocks, stats.clampedVolumes,
                  stats.replacedLines, stats.warningLines);
    return text;
}

std::vector<std::string> AsciiImportNotes(const AsciiImportStats& stats) {
    std::vector<std::string> notes;
    const auto count = [](int n, const char* what) { return std::to_string(n) + " " + what; };
    if (stats.errorLines > 0) {
        notes.push_back(count(stats.errorLines, "lines not stored: import.log says why"));
    }
    if (stats.clampedVolumes > 0) {
        notes.push_back(count(stats.clampedVolumes,
                              "volumes clamped: beyond the 32-bit range of the stock file; "
                              "$VOLFACTOR 0.001 in the format stores thousands"));
    }
    if (stats.replacedLines > 0) {
        std::string note =
            count(stats.replacedLines, "lines replaced an earlier line of the same date");
        if (stats.intradayLines > 0) {
            note +=
                ": the file holds intraday bars (dates with a time of day); $HYBRID 1 in the "
                "format merges them into daily bars";
        }
        notes.push_back(std::move(note));
    }
    if (stats.warningLines > 0) {
        notes.push_back(count(stats.warningLines,
                              "lines stored with warnings (implausible prices or completed "
                              "values): see import.log"));
    }
    return notes;
}

namespace {

// One file's paragraph of the import message.
void AppendFileParagraph(std::string& text, const AsciiImportFileResult& r) {
    text.append(r.file.filename().string()).append(": ");
    if (!r.imported) {
        text.append("not imported (cancelled)\n");
    } else if (r.status != kAsciiImportDone) {
        // The reason names the file that failed: the data file or a format file that could
        // not be read.
        text.append(AsciiImportStatusText(r.status));
        if (!r.failure) text.append(": ").append(r.failure.ToString());
        text.append("\n");
    } else {
        text.append(AsciiImportCounts(r.stats)).append("\n");
        for (const std::string& note : AsciiImportNotes(r.stats)) {
            text.append("    ").append(note).append("\n");
        }
    }
}

}  // namespace

std::string DescribeAsciiImport(const std::vector<AsciiImportFileResult>& results) {
    constexpr std::size_t kListedFiles = 20;
    std::string text;
    AsciiImportStats total;
    for (std::size_t i = 0; i < results.size(); ++i) {
        const AsciiImportStats& s = results[i].stats;
        total.storedLines += s.storedLines;
        total.errorLines += s.errorLines;
        total.addedStocks += s.addedStocks;
        total.clampedVolumes += s.clampedVolumes;
        total.replacedLines += s.replacedLines;
        total.warningLines += s.warningLines;
        if (i < kListedFiles) AppendFileParagraph(text, results[i]);
    }
    if (results.size() > kListedFiles) {
        text.append("... and ")
            .append(std::to_string(results.size() - kListedFiles))
            .append(" more files\n");
    }
    if (results.size() > 1) {
        text.append("\nAll ")
            .append(std::to_string(results.size()))
            .append(" files: ")
            .append(AsciiImportCounts(total))
            .append("\n");
    }
    return text;
}

}  // namespace velmora
