#include "analysis/ResultExport.h"

#include <algorithm>

#include "analysis/BacktestReport.h"
#include "platform/FileUtil.h"

namespace velmora {

namespace {
constexpr std::size_t kListColumns = 5;
}

std::string ResultExportText(std::string_view formula, const ResultList& rows,
                             std::size_t shownRows, std::string_view statusText) {
    std::string out = "Formula used:\n";
    for (const char c : formula) {
        if (c != '\r') out += c;
    }
    out += "\n\nAnalysis results:\n";
    shownRows = std::min(shownRows, rows.Size());
    for (std::size_t i = 0; i < shownRows; ++i) {
        const auto columns = SplitColumns(rows[i].Text);
        for (std::size_t c = 0; c < kListColumns; ++c) {
            if (c < columns.size()) out += columns[c];
            out += '\t';
        }
        out += '\n';
    }
    out += "\n\n";
    out += statusText;
    out += '\n';
    return out;
}

std::filesystem::path SummaryReportPath(const std::filesystem::path& textFile) {
    std::filesystem::path path = textFile;
    path += "_Summary.html";
    return path;
}

Status ExportResults(const std::filesystem::path& textFile, std::string_view formula,
                     const ResultList& rows, std::size_t shownRows, std::string_view statusText,
                     const BacktestResults& results, const SystemTestSettings& settings,
                     ProgressReporter& progress, DateStyle dates) {
    if (Status written =
            WriteFileAtomically(textFile, ResultExportText(formula, rows, shownRows, statusText));
        !written) {
        return written;
    }
    return WriteBacktestReport(SummaryReportPath(textFile), results, rows, settings, progress,
                               dates);
}

}  // namespace velmora
