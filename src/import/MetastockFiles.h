#pragma once
// The files of a Metastock data directory: the index ("MASTER", or "EMASTER" when MASTER cannot
// be opened) listing the securities, and one data file "F<n>.dat" per security. All numbers are
// little-endian; prices and dates in MASTER and the data files are Microsoft Binary Format
// (MBF) singles, the dates in EMASTER IEEE singles.
//
// Every reader here takes the files as untrusted: counts are checked against the bytes present,
// and a record that does not decode to a sound quotation is skipped.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "database/PackedDate.h"
#include "database/Stock.h"
#include "platform/FileUtil.h"
#include "platform/Status.h"

namespace velmora {

// MBF single (read little-endian) to IEEE single. Exponent byte 0 or 1 gives 0: those encode
// zero or magnitudes too small to be any price, and the plain bit shuffle would turn them into
// infinities or huge numbers.
float MbfToIeee(std::uint32_t mbf);

// A date float holding YYMMDD, plus 1000000 for years from 2000: years 00..50 are 20xx, 51..99
// 19xx. kNoDate when the value is not a date (not finite, negative, month or day out of range).
PackedDate MetastockDate(double value);

// The list text of an index date: " %06.0lf" of the value mod 1000000.
std::string MetastockDateText(double value);

// One entry of MASTER or EMASTER.
struct MetastockSecurity {
    int fileNumber = 0;
    int fields = 0;         // numbers per data record (MetastockLayoutText says which)
    bool intraday = false;  // the time frame 'I': records carry a time after the date
    std::string ticker;     // as stored, up to its first zero byte (MASTER pads with blanks)
    std::string fullName;   // likewise
    double firstDate = 0;
    double lastDate = 0;
};

enum class MetastockIndexKind { Master, EMaster };

struct MetastockIndex {
    MetastockIndexKind kind = MetastockIndexKind::Master;
    std::vector<MetastockSecurity> securities;
};

// The securities of a directory from "MASTER", or from "EMASTER" when MASTER cannot be opened
// (names matched without regard to case). Nothing when neither opens. Only whole records that
// are present are read, however large the stored count.
std::optional<MetastockIndex> ReadMetastockIndex(const std::filesystem::path& dir);

// The data file of a file number: dir/F<n>.dat, matched without regard to case.
std::filesystem::path MetastockDataPath(const std::filesystem::path& dir, int fileNumber);

// The fields of a data record, in order, for a number of fields and a time frame: daily records
// of 5 (date, high, low, close, volume) or 7 (date, open, high, low, close, volume, open
// interest); intraday records of 7 (date, time, open, high, low, close, volume) or 8 (the same
// and open interest). Other layouts are not read; the text then says what they are.
std::string MetastockLayoutText(int fields, bool intraday);
bool IsReadableMetastockLayout(int fields, bool intraday);

// Reads the quotation records of one data file, the header record skipped, a final partial
// record ignored. Each record is decoded into a Quotation (Mark and Reduction 0); without an
// open field Open is the close, without open interest OpenInt 0. Records with an invalid date,
// or a close, high or low that is not a positive number, are counted in `skipped` and not
// delivered; an open that is not a positive number becomes the close; volume and open interest
// are truncated and held to 0..INT32_MAX. Intraday records of one date that follow each other
// are delivered as one daily bar: the first open, the highest high, the lowest low, the last
// close and open interest, the summed volume (`merged` counts the records merged into another).
class MetastockDataReader {
  public:
    // Opens the file. Failures: NotSupported (a layout IsReadableMetastockLayout refuses),
    // NotFound or IoError (no file there, not a regular file, too large, or it cannot be
    // opened or read).
    MetastockDataReader(const std::filesystem::path& path, int fields, bool intraday = false);
    ~MetastockDataReader();
    MetastockDataReader(const MetastockDataReader&) = delete;
    MetastockDataReader& operator=(const MetastockDataReader&) = delete;

    const Status& status() const { return status_; }
    // The next sound record; false at the end of the file (or on a read error: status()).
    bool Next(Quotation& out);
    int skipped() const { return skipped_; }
    int merged() const { return merged_; }

  private:
    bool Fill();
    bool NextRecord(Quotation& out);
    bool Decode(const std::uint8_t* rec, Quotation& out) const;

    std::unique_ptr<InputFile> file_;
    std::filesystem::path path_;
    Status status_;
    int fields_ = 0;
    bool intraday_ = false;
    Quotation pending_;  // an intraday record read ahead, of the next day
    bool hasPending_ = false;
    int merged_ = 0;
    std::size_t recordSize_ = 0;
    std::uint64_t offset_ = 0;
    std::vector<std::uint8_t> buffer_;
    std::size_t pos_ = 0;
    int skipped_ = 0;
};

}  // namespace velmora
