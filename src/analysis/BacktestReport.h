#pragma once
// The HTML report of a backtest: the look-ahead warning when the rule has one, a performance
// table of the overall summary, then for every stock kept, in the order the backtest kept them,
// its performance table and its trade list, each part switched by the report settings of
// SystemTestSettings. The trade lists take the trade rows of the result list in one forward pass,
// since the rows lie in the order of the kept stocks. A value whose divisor is 0 (no trades, no
// winners, no losers, no loss) prints "n/a".
//
// The report command writes the report once into a temporary file ("Report" prefix, in the
// system's temporary directory), which is kept until the next backtest, and opens it with the
// desktop's "open".

#include <filesystem>
#include <optional>
#include <string>

#include "analysis/Backtest.h"
#include "analysis/ResultList.h"
#include "analysis/SystemTestSettings.h"
#include "platform/ProgressReporter.h"
#include "platform/Status.h"

namespace velmora {

inline constexpr char kReportProgressText[] = "Preparing report";

// The report text, the trade lists' dates written in `dates`. The progress reporter is stepped
// once per kept stock; nothing when the user cancelled it.
std::optional<std::string> BuildBacktestReport(const BacktestResults& results,
                                               const ResultList& rows,
                                               const SystemTestSettings& settings,
                                               ProgressReporter& progress,
                                               DateStyle dates = DateStyle::Short);

// The performance table of one record (the overall summary when its name is empty).
std::string PerformanceTable(const StockTestSummary& record);

// Writes the report to the path, replacing any file there. A failure when it was cancelled or
// the file could not be written (the status names the file and the reason; nothing is left at
// the path then).
Status WriteBacktestReport(const std::filesystem::path& path, const BacktestResults& results,
                           const ResultList& rows, const SystemTestSettings& settings,
                           ProgressReporter& progress, DateStyle dates = DateStyle::Short);

// The temporary report file of the analysis window.
class TemporaryReportFile {
  public:
    TemporaryReportFile() = default;
    ~TemporaryReportFile() { Delete(); }
    TemporaryReportFile(const TemporaryReportFile&) = delete;
    TemporaryReportFile& operator=(const TemporaryReportFile&) = delete;

    // The file, when one has been written since the last Delete.
    const std::optional<std::filesystem::path>& Path() const { return path_; }
    // Deletes the file and forgets it: at the start of every backtest, and when the window
    // goes.
    void Delete();
    // Forgets the file without deleting it, for a viewer that reads it after we are gone.
    void Keep() { path_.reset(); }
    // The report command's file: when there is none yet, a new unique file
    // "<temp>/ReportXXXXXX.html" holding the report. Nothing when it could not be made or the
    // report was cancelled.
    std::optional<std::filesystem::path> Prepare(const BacktestResults& results,
                                                 const ResultList& rows,
                                                 const SystemTestSettings& settings,
                                                 ProgressReporter& progress,
                                                 DateStyle dates = DateStyle::Short);

  private:
    std::optional<std::filesystem::path> path_;
};

// Opens the file with the desktop's "open" (xdg-open) without waiting for the viewer. False
// when xdg-open is not on the PATH or could not be started.
bool OpenWithDesktop(const std::filesystem::path& file);

}  // namespace velmora
