#include "database/PackedDate.h"

#include <cstdio>

namespace velmora {

namespace {

constexpr int kMonthDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
constexpr std::int64_t kSecondsPerDay = 86400;

bool LeapYear(int year) {
    return year % 4 == 0;
}

int TwoDigits(std::string_view text, std::size_t at) {
    const char a = text[at], b = text[at + 1];
    if (a < '0' || a > '9' || b < '0' || b > '9') return -1;
    return (a - '0') * 10 + (b - '0');
}

// Days from 1970-01-01 to the first of January of `year`, with the every-4-years leap rule.
std::int64_t DaysBeforeYear(int year) {
    auto leapsBefore = [](std::int64_t y) {  // years below y divisible by 4, floor division
        const std::int64_t n = y - 1;
        return n >= 0 ? n / 4 : -((-n + 3) / 4);
    };
    return 365 * static_cast<std::int64_t>(year - 1970) + leapsBefore(year) - leapsBefore(1970);
}

}  // namespace

std::string DateToText(PackedDate d, DateStyle style) {
    char buf[16];
    if (style == DateStyle::Iso) {
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", DateYear(d), DateMonth(d), DateDay(d));
    } else {
        std::snprintf(buf, sizeof buf, "%02d-%02d-%02d", DateYear(d) % 100, DateMonth(d),
                      DateDay(d));
    }
    return buf;
}

PackedDate TextToDate(std::string_view text) {
    if (text.size() < 8) return kNoDate;
    const int yy = TwoDigits(text, 0), mm = TwoDigits(text, 3), dd = TwoDigits(text, 6);
    if (yy < 0 || mm < 1 || mm > 12 || dd < 1 || dd > 31) return kNoDate;
    return MakeDate(yy <= 50 ? 2000 + yy : 1900 + yy, mm, dd);
}

int DaysInMonth(int year, int month) {
    if (month < 1 || month > 12) return 31;
    return month == 2 && LeapYear(year) ? 29 : kMonthDays[month - 1];
}

std::int64_t DateToSeconds(PackedDate d) {
    const int year = DateYear(d), month = DateMonth(d);
    std::int64_t days = DaysBeforeYear(year);
    for (int m = 1; m < month && m <= 12; ++m) days += DaysInMonth(year, m);
    days += DateDay(d) - 1;
    return days * kSecondsPerDay;
}

PackedDate SecondsToDate(std::int64_t seconds) {
    std::int64_t days = seconds >= 0 ? seconds / kSecondsPerDay
                                     : -((-seconds + kSecondsPerDay - 1) / kSecondsPerDay);
    int year = 1970;
    while (days < 0) {
        --year;
        days += LeapYear(year) ? 366 : 365;
    }
    while (days >= (LeapYear(year) ? 366 : 365)) {
        days -= LeapYear(year) ? 366 : 365;
        ++year;
    }
    int month = 1;
    while (days >= DaysInMonth(year, month)) {
        days -= DaysInMonth(year, month);
        ++month;
    }
    return MakeDate(year, month, static_cast<int>(days) + 1);
}

PackedDate AddDays(PackedDate d, int days) {
    return SecondsToDate(DateToSeconds(d) + static_cast<std::int64_t>(days) * kSecondsPerDay);
}

int DayOfWeek(PackedDate d) {
    // 1 January 1970 was a Thursday (3 when Monday is 0).
    std::int64_t days = DateToSeconds(d) / kSecondsPerDay;
    return static_cast<int>(((days + 3) % 7 + 7) % 7);
}

PackedDate WeekStart(PackedDate d) {
    return AddDays(d, -DayOfWeek(d));
}
PackedDate WeekEnd(PackedDate d) {
    return AddDays(d, 6 - DayOfWeek(d));
}

PackedDate MonthEnd(PackedDate d) {
    return MakeDate(DateYear(d), DateMonth(d), DaysInMonth(DateYear(d), DateMonth(d)));
}

}  // namespace velmora
