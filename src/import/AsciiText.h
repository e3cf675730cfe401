#pragma once
// The text conversions of the ASCII importer: date texts in three orders, numbers with the
// "12 3/8" fraction form, fixing marks, and the trimming every text gets.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "database/PackedDate.h"

namespace velmora {

enum class DateOrder { YearFirst, MonthFirst, DayFirst };

// Converts a date text to a packed date. The text splits at the first two of '-', '/', '\',
// '.'; without any, it needs 6 characters or more and splits as 2+2+rest (4+2+rest for a
// year-first text longer than 7). The month is 1..12 or a name "Jan".."Dec". A year of three
// or more digits is taken as written (1900..2155); two digits or fewer give 2000..2050 for
// 00..50 and 1951..1999 for 51..99. kNoDate when the year, month or day is out of range or the
// day is past the month's end.
PackedDate ConvertDateText(std::string_view text, DateOrder order);

// Removes the trailing characters with codes below 33.
std::string_view TrimRight(std::string_view text);

// The decimal number at the start of `text` (sign, digits, point, exponent), or 0 when there
// is none. `end` receives the number of characters used. Overflowing numbers give infinity.
double ParseLeadingNumber(std::string_view text, std::size_t* end = nullptr);

// The integer at the start of a text after blanks, as a command value: 0 when there is none,
// held at the ends of the 32-bit range.
std::int32_t ParseCommandInteger(std::string_view text);

// The fixing mark code of an INFO text: 1..9 for the longest of "nk", "ns", "rk", "rs", "ok",
// "os", "z", "bd", "zd" that it begins with (any case), else its first character's code, 0 for
// an empty text.
std::uint8_t MarkCode(std::string_view text);

}  // namespace velmora
