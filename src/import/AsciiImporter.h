#pragma once
// The ASCII importer: reads text files of quotations (one security-day per line) or of market
// advance/decline data (one market-day per line). A format file written in a small definition
// language ('$' commands and a $FORMAT field list) is read first, then the data file through
// the same interpreter, so a data file may carry its own commands.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "database/Database.h"
#include "platform/ParallelFor.h"
#include "platform/Status.h"
#include "platform/UserInterface.h"

namespace velmora {

// Return codes of ImportAsciiFile.
inline constexpr int kAsciiImportDone = 0;
inline constexpr int kAsciiImportUnknownKeyword = 3;  // unknown field keyword in $FORMAT
inline constexpr int kAsciiImportCannotOpen = 4;      // the data file cannot be opened

// Counts of the last import, for callers that report them. Each line counted here, apart from
// the stored ones, is in "import.log" with its line number and the reason.
struct AsciiImportStats {
    int dataLines = 0;       // data lines read from both files
    int storedLines = 0;     // quotation and advance/decline lines stored
    int errorLines = 0;      // lines that stored nothing
    int clampedVolumes = 0;  // lines whose volume or open interest was held at the 32-bit range
    int replacedLines = 0;   // lines that replaced the quotation an earlier line had stored
    int warningLines = 0;    // stored lines with an implausible bar or a completed price
    int intradayLines = 0;   // stored lines whose date carries a time of day
    int addedStocks = 0;
    bool stopped = false;  // $BREAKONERR ended the data file early
};

class AsciiImporter {
  public:
    // Format files and "import.log" are in `profileDir`; `defaultRSBase` is the base index of
    // markets without a composites base ticker, for the recomputation at the end.
    AsciiImporter(Database& db, UserInterface& ui, std::filesystem::path profileDir,
                  std::string defaultRSBase);

    // Imports one data file with the named format file (empty: "default.format"), looked up
    // relative to the profile directory. 0 done, 3 unknown field keyword, 4 data file cannot be
    // opened.
    int ImportAsciiFile(const std::filesystem::path& dataPath, std::string_view formatFile = {});

    // The threads that read and decode lines ahead of the one that interprets them (default:
    // every core). The outcome is the same with any number.
    void SetThreads(int threads) { threads_ = threads; }

    const AsciiImportStats& LastStats() const { return stats_; }
    // Why the last import's data file could not be opened (success when it could).
    const Status& LastFailure() const { return failure_; }
    std::filesystem::path LogPath() const { return profileDir_ / "import.log"; }

  private:
    Database& db_;
    UserInterface& ui_;
    std::filesystem::path profileDir_;
    std::string defaultRSBase_;
    AsciiImportStats stats_;
    Status failure_;
    int threads_ = HardwareThreads();
};

}  // namespace velmora
