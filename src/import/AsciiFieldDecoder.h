#pragma once
// The fields of the ASCII importer's data lines: the field kinds a $FORMAT list names and the
// decoder that reads a data line's tokens into the line's values, one table entry per kind.
// Used by the importer only.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "database/PackedDate.h"

namespace velmora::ascii {

inline constexpr std::size_t kMaxTicker = 24;     // characters of the ticker the import keeps
inline constexpr std::size_t kMaxFullName = 127;  // characters of the full name the import keeps

enum class Field {
    Skip,
    DateYmd,
    DateMdy,
    DateDmy,
    Ticker,
    AppendTicker,
    FullName,
    Info,
    High,
    Low,
    Close,
    Open,
    Volume,
    Vol1000,
    VolMil,
    VolFactor,
    PriceFactor,
    Turnover,
    Reduction,
    Group,
    Market,
    Industry,
    AdvIssues,
    DecIssues,
    UncIssues,
    AdvVolume,
    DecVolume,
    UncVolume,
    OpenInt,
};

// The field kind of a $FORMAT token: the longest keyword the token begins with, compared
// without regard to case. Nothing when no keyword matches.
std::optional<Field> MatchFieldKeyword(std::string_view token);

// Values that a data line sets for itself and every line after it; commands set them too.
struct CarriedValues {
    std::string ticker;
    std::string fullName;
    PackedDate date = kNoDate;  // kNoDate until a valid date was read
    double volumeFactor = 1.0;
    double priceFactor = 1.0;
    int market = -1;
    int group = -1;
    int industry = -1;
};

// The range a $VOLFACTOR or $PRICEFACTOR must lie in (a millionth to a million): beyond it the
// factor is a mistake (a 0 that would store nothing, a thousand typed as a billion), and lines
// read under it are refused rather than stored scaled by it.
inline constexpr double kMinFactor = 1e-6;
inline constexpr double kMaxFactor = 1e6;
inline bool SaneFactor(double factor) {
    return factor >= kMinFactor && factor <= kMaxFactor;
}

// Bits of LineValues::given and LineValues::repaired.
inline constexpr unsigned kGivenOpen = 1;
inline constexpr unsigned kGivenHigh = 2;
inline constexpr unsigned kGivenLow = 4;

// The values of one data line. A field the line does not reach keeps its zero.
struct LineValues {
    double close = 0, open = 0, high = 0, low = 0, volume = 0, openInt = 0, turnover = 0;
    double reduction = 0, advVolume = 0, decVolume = 0, uncVolume = 0;
    double advIssues = 0, decIssues = 0, uncIssues = 0;
    std::uint8_t mark = 0;
    bool appended = false;   // an APPENDTICKER field extended the carried ticker
    bool timeOfDay = false;  // the date token carries a time of day ("2020-12-15 09:30")
    unsigned given = 0;      // the open, high and low the line's tokens gave
    unsigned repaired = 0;   // given ones that were not above 0 and were completed
};

// Bits of DecodedLine::carriedSet: the carried values the line's fields set.
inline constexpr unsigned kSetTicker = 1u << 0;
inline constexpr unsigned kSetFullName = 1u << 1;
inline constexpr unsigned kSetDate = 1u << 2;
inline constexpr unsigned kSetVolumeFactor = 1u << 3;
inline constexpr unsigned kSetPriceFactor = 1u << 4;
inline constexpr unsigned kSetMarket = 1u << 5;
inline constexpr unsigned kSetGroup = 1u << 6;
inline constexpr unsigned kSetIndustry = 1u << 7;

// A data line's tokens read into values, before the carried values apply to it.
struct DecodedLine {
    LineValues values;
    CarriedValues carried;    // the members named by carriedSet
    unsigned carriedSet = 0;  // kSet... bits
};

// Reads the tokens of a data line in the order of `fields`, parted by `separator`, until the
// line ends. An APPENDTICKER field extends the ticker an earlier field of the line set, else
// `ticker` (the carried one). Depends on nothing else, so lines can be decoded in any order.
DecodedLine DecodeFields(std::string_view text, std::span<const Field> fields, char separator,
                         std::string_view ticker);

// Applies a decoded line to the carried values, then completes its prices (an open not above 0
// is the close, a high or low not above 0 the larger or smaller of open and close; `repaired`
// notes the given ones), applies the price and volume factors, and derives a missing volume
// from the turnover. The line keeps the carried strings it replaced.
LineValues CompleteLine(DecodedLine& line, CarriedValues& carried);

// DecodeFields and CompleteLine for the next line of a file.
inline LineValues DecodeLine(std::string_view text, std::span<const Field> fields, char separator,
                             CarriedValues& carried) {
    DecodedLine line = DecodeFields(text, fields, separator, carried.ticker);
    return CompleteLine(line, carried);
}

// At most `limit` bytes of the text, never ending inside a UTF-8 sequence.
std::string Cut(std::string_view text, std::size_t limit);

inline bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

}  // namespace velmora::ascii
