#pragma once
// The teletext importer: a saved teletext page of the exchange's daily stock table, plain text
// in fixed columns, one security per line after a header line that carries the session date.
// Each line gives the fixing price, the fixing mark, the reduction percentage and the turnover
// in thousands; the volume is derived from the turnover, and the lines of the exchange's indexes
// receive the summed volume of the stocks listed before them. Stocks are never created: lines
// of tickers the database does not know are skipped.

#include <filesystem>
#include <string>
#include <vector>

#include "database/Database.h"
#include "platform/SettingsStore.h"
#include "platform/Status.h"

namespace velmora {

struct TeletextImportResult {
    bool opened = false;       // false: the file could not be opened
    bool headerFound = false;  // false: no header line, nothing imported
    bool dateValid = false;    // false: the header's date is not a calendar date
    std::string dateText;      // the session date, "yy-mm-dd"
    int stored = 0;            // quotation lines stored
    int skipped = 0;           // table lines not stored (unknown ticker, no price, 'z' mark...)
    int tooWide = 0;           // of the skipped: a number ran past the columns of its field
    int clamped = 0;           // stored lines whose volume was held at the 32-bit range
    Status failure;            // why the file could not be opened
};

// Imports one page; the details of what happened.
TeletextImportResult ImportTeletext(Database& db, const std::filesystem::path& path);

// What an import of one page did, in words ("session 05-01-03, 12 quotations stored, 3 lines
// skipped"); the session date as the caller shows dates.
std::string TeletextResultText(const TeletextImportResult& r, std::string_view sessionDate);

// 1, or 0 when the file cannot be opened.
inline int ImportTeletextFile(Database& db, const std::filesystem::path& path) {
    return ImportTeletext(db, path).opened ? 1 : 0;
}

// The teletext command: imports every chosen file in turn and stores the directory of the
// chosen files as "Paths"/"Teletext". StartDirectory is where its file dialog opens.
std::vector<TeletextImportResult> ImportTeletextFiles(
    Database& db, SettingsStore& settings, const std::vector<std::filesystem::path>& files);
std::string TeletextStartDirectory(const SettingsStore& settings);

// The columns of one quotation line (exposed for tests and tools).
struct TeletextLine {
    std::string ticker;  // empty for a 'z' mark
    double price = 0;    // 0 when unreadable
    int mark = 0;        // 1..6 for "nk", "ns", "rk", "rs", "ok", "os"
    int reduction = 0;   // only with marks 1..4
    long long turnover = 0;
    // A number wider than the columns of its field (it runs into the next field or begins in
    // the one before): the line is an error, its numbers are not the ones written.
    bool tooWide = false;
};
TeletextLine ParseTeletextLine(std::string_view line);

}  // namespace velmora
