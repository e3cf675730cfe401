#pragma once
// The records of the market database: a security (`Stock`) with its daily quotations and its
// chart drawings, and one day of a market's advance/decline data.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "database/FixedText.h"
#include "database/PackedDate.h"
#include "database/QuotationMemory.h"

namespace velmora {

// One day of data. Its 30-byte stored image runs from Date to Reduction.
struct Quotation {
    PackedDate Date = 0;
    float Close = 0;
    float Open = 0;
    float High = 0;
    float Low = 0;
    std::int32_t Volume = 0;
    std::int32_t OpenInt = 0;
    std::uint8_t Mark = 0;
    std::uint8_t Reduction = 0;
};

// A stock's quotations, or any list of them.
using QuotationList = std::vector<Quotation, QuotationAllocator<Quotation>>;

// Mark codes 1..9 stand for these texts; a code of 10 or more is itself the mark character.
std::string MarkText(std::uint8_t mark);

// One day of advance/decline data of a market.
struct ADQuotation {
    PackedDate Date = 0;
    float AdvVolume = 0;
    float DecVolume = 0;
    float UncVolume = 0;
    std::int32_t AdvIssues = 0;
    std::int32_t DecIssues = 0;
    std::int32_t UncIssues = 0;
    std::array<std::uint8_t, 2> Reserved{};
};

// A drawing on a stock's charts, kept with the stock (record layout as stored).
struct Study {
    std::int32_t PaneId = 0;
    std::uint8_t Kind = 0;
    std::uint8_t Extend = 0;
    std::uint8_t Reserved1 = 0;
    std::uint8_t Style = 0;
    std::int32_t Colour = 0;
    PackedDate StartDate = 0;
    float StartValue = 0;
    PackedDate EndDate = 0;
    float EndValue = 0;
    std::int32_t Background = 0;
    std::array<std::uint8_t, 12> Reserved2{};
    std::string Text;  // empty: no text
};

struct Stock {
    // Bits of Flags.
    static constexpr std::int32_t kIndexFlag = 1;
    static constexpr std::int32_t kFavouriteFlag = 2;

    FixedText<64> FullName;
    FixedText<128> Address;
    FixedText<40> Country;
    FixedText<8> Currency;
    FixedText<16> Alias;
    FixedText<16> Ticker;
    FixedText<10> WebID;
    std::int32_t CategoryWord = 0;
    std::int32_t Code = 0;
    std::int32_t Issue = 0;
    std::int32_t NominalValue = 0;
    std::int32_t BookValue = 0;
    std::array<std::int32_t, 6> Reserved{};
    std::int32_t IndustryID = 0;
    std::int32_t Flags = 0;
    std::array<std::int32_t, 4> FinanceYear{};
    std::array<std::int32_t, 4> FinanceIncome{};
    std::array<std::int32_t, 4> FinanceEBT{};
    std::array<std::int32_t, 4> FinanceEAT{};

    // Ascending by date, at most one per date.
    QuotationList Quotations;
    bool Modified = false;
    std::int32_t SkippedCount = 0;
    PackedDate FirstLoadedDate = 0;
    std::vector<Study> Studies;
    // Given by the database when the stock joins it and never given to another stock while
    // the program runs: tells this stock from a later one at the same address.
    std::uint64_t Serial = 0;

    std::string_view TickerText() const { return Ticker.View(); }
    bool IsIndex() const { return (Flags & kIndexFlag) != 0; }
    bool IsFavourite() const { return (Flags & kFavouriteFlag) != 0; }
};

// CategoryWord: MarketID is bit 0 of the word for its bit 0 and bits 2..15 for its bits 1..14;
// bit 1 is Continuous; the upper 16 bits are GroupID as a signed 16-bit value.
int GetMarketID(const Stock& s);
void SetMarketID(Stock& s, int id);
int GetGroupID(const Stock& s);
void SetGroupID(Stock& s, int id);
bool GetContinuous(const Stock& s);
void SetContinuous(Stock& s, bool on);

}  // namespace velmora
