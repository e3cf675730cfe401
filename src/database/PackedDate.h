#pragma once
// The packed date every quotation carries, its text form "yy-mm-dd" and the calendar
// operations the program uses. A packed date orders chronologically as an unsigned integer:
// bits 31..24 year-1900, 23..20 month, 19..15 day, 14..0 all ones; 0 means no date.

#include <cstdint>
#include <string>
#include <string_view>

namespace velmora {

using PackedDate = std::uint32_t;

inline constexpr PackedDate kNoDate = 0;

// Keeps the low 8 bits of year-1900, 4 bits of the month and 5 bits of the day.
constexpr PackedDate MakeDate(int year, int month, int day) {
    return (static_cast<std::uint32_t>(year - 1900) & 0xFFu) << 24 |
           (static_cast<std::uint32_t>(month) & 0xFu) << 20 |
           (static_cast<std::uint32_t>(day) & 0x1Fu) << 15 | 0x7FFFu;
}
constexpr int DateYear(PackedDate d) {
    return static_cast<int>(d >> 24) + 1900;
}
constexpr int DateMonth(PackedDate d) {
    return static_cast<int>((d >> 20) & 0xF);
}
constexpr int DateDay(PackedDate d) {
    return static_cast<int>((d >> 15) & 0x1F);
}

// How a date is written: the program's own "yy-mm-dd", or "YYYY-MM-DD" with the year in full,
// for readers (scripts) that must never meet an ambiguous year.
enum class DateStyle { Short, Iso };

// "%02d-%02d-%02d" of (year mod 100, month, day); Iso: "%04d-%02d-%02d" of (year, month, day).
std::string DateToText(PackedDate d, DateStyle style = DateStyle::Short);
// Reads the digits at positions 0-1, 3-4 and 6-7 (separators unchecked); years up to 50 are
// 20xx, above 50 19xx. A text shorter than 8 characters, with non-digits there, or with a month
// outside 1..12 or a day outside 1..31 gives kNoDate.
PackedDate TextToDate(std::string_view text);

// February has 29 days in every year divisible by 4 (no century rule).
int DaysInMonth(int year, int month);

// The calendar arithmetic runs on seconds since 1 January 1970 with the same leap rule.
std::int64_t DateToSeconds(PackedDate d);
PackedDate SecondsToDate(std::int64_t seconds);
PackedDate AddDays(PackedDate d, int days);
// 0 = Monday ... 6 = Sunday.
int DayOfWeek(PackedDate d);
PackedDate WeekStart(PackedDate d);  // the Monday on or before
PackedDate WeekEnd(PackedDate d);    // the Sunday on or after
PackedDate MonthEnd(PackedDate d);   // the last day of the month

}  // namespace velmora
