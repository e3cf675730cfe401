#pragma once
// The "Metastock importer" dialog as data: the chosen data folder, the checked list of the
// securities the directory's index names, and the import of the checked rows into the database.
// A widget shows Rows() and forwards Browse, Toggle, check-box clicks and Import.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "database/Database.h"
#include "platform/SettingsStore.h"
#include "platform/UserInterface.h"

namespace velmora {

// One row of the dialog's list.
struct MetastockRow {
    // Ticker and name as the index holds them (MASTER pads them with blanks), in UTF-8: text
    // that is not valid UTF-8 is read in the Windows Western code page.
    std::string ticker;
    std::string fullName;
    std::string format;  // "HLC" for 5 fields per record, "OHLC" otherwise
    std::string from;    // the first and last date as " %06.0lf" of the value mod 1000000
    std::string to;
    bool checked = true;
    std::int32_t value = 0;  // file number * 65536 + number of fields
    bool intraday = false;   // the index gives the time frame 'I': records carry a time

    int FileNumber() const { return value >> 16; }
    int Fields() const { return value & 0xFFFF; }
};

// What the import did with one checked row.
struct MetastockRowResult {
    enum class Outcome {
        Imported,           // the data file was read (stored may still be 0)
        NoTicker,           // the row's ticker is blank: nothing to store it under
        MissingDataFile,    // F<n>.dat is absent or not a readable file
        UnsupportedFields,  // a record layout that is not read (`layout` names it)
        Incomplete,         // stopped by a read error or a stock whose older data is unreadable
        TickerRefused,      // a new stock's file would be another stock's file, or set aside
    };
    int row = 0;
    std::string ticker;  // the stock's ticker (or the row's ticker when none was reached)
    Outcome outcome = Outcome::Imported;
    bool createdStock = false;
    std::string layout;  // the fields of a record, as MetastockLayoutText gives them
    int stored = 0;      // quotations written, one per date
    int replaced = 0;    // records whose date an earlier record of the file had stored
    int merged = 0;      // intraday records merged into the daily bar of an earlier one
    int skipped = 0;     // records left out because they do not decode to a sound quotation
};

// What became of a row, in words: "12 quotations imported (new stock)", "layout not read
// (...), skipped", ...
std::string MetastockRowText(const MetastockRowResult& result);

struct MetastockImportSummary {
    std::vector<MetastockRowResult> rows;
    bool cancelled = false;
};

class MetastockImporter {
  public:
    static constexpr const char* kTitle = "Metastock importer";
    static constexpr const char* kNoFolderText = "<no data folder selected>";
    static constexpr const char* kProgressCaption = "Import...";
    // The Browse dialog: default file name and filter.
    static constexpr const char* kBrowseFileName = "MASTER";
    static constexpr const char* kBrowseFilter =
        "Master files (MASTER)|MASTER|EMaster files (EMASTER)|EMASTER|All Files (*.*)|*.*||";
    // The list's columns and their widths in pixels.
    struct Column {
        const char* caption;
        int width;
    };
    static constexpr Column kColumns[] = {
        {"Ticker", 120}, {"Full name", 160}, {"Format", 60}, {"From", 60}, {"To", 60}};

    MetastockImporter(Database& db, SettingsStore& settings, UserInterface& ui);

    // The directory the Browse dialog starts in: "Paths"/"Metastock" (empty when never set).
    std::string StartDirectory() const;
    // Browse answered with OK: the chosen file's directory becomes the data folder and is
    // stored as "Paths"/"Metastock"; the list is filled from that folder.
    void ChooseFile(const std::filesystem::path& chosenFile);
    // Makes `folder` the data folder and fills the list from its MASTER (or EMASTER). Shows the
    // message when neither opens and returns false; the list is then empty.
    bool OpenFolder(const std::filesystem::path& folder);

    const std::string& DataFolderText() const { return folderText_; }
    bool ImportEnabled() const { return importEnabled_; }
    const std::vector<MetastockRow>& Rows() const { return rows_; }
    void SetChecked(std::size_t row, bool checked);
    // Inverts the check mark of every row.
    void Toggle();

    // The text of a ticker or name column with its trailing blanks removed.
    static std::string Trimmed(std::string_view text);

    // Imports the checked rows in list order, stepping the progress dialog; stops when the
    // user cancels. Missing stocks are created with their full name and marked Continuous.
    MetastockImportSummary Import();

  private:
    Database& db_;
    SettingsStore& settings_;
    UserInterface& ui_;
    std::filesystem::path folder_;
    std::string folderText_ = kNoFolderText;
    bool importEnabled_ = false;
    std::vector<MetastockRow> rows_;
};

// The message shown when a folder has neither index file.
std::string MetastockNoIndexMessage(const std::string& folder);

}  // namespace velmora
