#pragma once
// Saving the results of the analysis window: a text file with the formula (its CR characters
// removed), every row the window's list shows as five tab-ended columns, and the status text;
// then the HTML report of the last backtest beside it, named after the chosen file with
// "_Summary.html" appended.

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

#include "analysis/Backtest.h"
#include "analysis/ResultList.h"
#include "analysis/SystemTestSettings.h"
#include "platform/ProgressReporter.h"
#include "platform/Status.h"

namespace velmora {

// The file dialog of the command.
inline constexpr char kResultExportExtension[] = "TXT";
inline constexpr char kResultExportFilter[] = "TXT Files (*.txt)|*.txt|All Files (*.*)|*.*||";

// The text file: "Formula used:\n", the formula without CRs, "\n\nAnalysis results:\n", for
// each of the first `shownRows` rows its five columns each followed by "\t" and then "\n",
// "\n\n", the status text and "\n".
std::string ResultExportText(std::string_view formula, const ResultList& rows,
                             std::size_t shownRows, std::string_view statusText);

// The chosen name with "_Summary.html" appended, extension and all.
std::filesystem::path SummaryReportPath(const std::filesystem::path& textFile);

// Writes the text file, then the report to SummaryReportPath (its trade dates written in
// `dates`). The failure of the one that could not be written (or the report's cancellation).
Status ExportResults(const std::filesystem::path& textFile, std::string_view formula,
                     const ResultList& rows, std::size_t shownRows, std::string_view statusText,
                     const BacktestResults& results, const SystemTestSettings& settings,
                     ProgressReporter& progress, DateStyle dates = DateStyle::Short);

}  // namespace velmora
