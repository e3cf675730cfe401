#include "import/AsciiText.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

#include "database/PackedDate.h"
#include "platform/Saturate.h"

namespace velmora {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

// The integer at the start of a text after blanks, with an optional sign; nothing when the
// text has no digits there. Values are held within +-10^10, beyond any 32-bit integer.
std::optional<long long> ParsePart(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    if (i >= text.size() || !IsDigit(text[i])) return std::nullopt;
    long long v = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        v = std::min(v * 10 + (text[i] - '0'), 10000000000LL);
    }
    return negative ? -v : v;
}

int MonthOf(std::string_view part) {
    static constexpr std::array<const char*, 12> kNames = {
        "jan", "feb", "mar", "apr", "may", "jun", "jul", "aug", "sep", "oct", "nov", "dec"};
    std::size_t i = 0;
    while (i < part.size() && (part[i] == ' ' || part[i] == '\t')) ++i;
    part.remove_prefix(i);
    if (part.size() >= 3) {
        for (int m = 0; m < 12; ++m) {
            const char* name = kNames[static_cast<std::size_t>(m)];
            if (Lower(part[0]) == name[0] && Lower(part[1]) == name[1] &&
                Lower(part[2]) == name[2]) {
                return m + 1;
            }
        }
    }
    const long long v = ParsePart(part).value_or(0);
    return v < 0 ? 0 : static_cast<int>(std::min(v, 1000LL));
}

// The year of a date part. A year written with three digits or more is taken as written and
// must lie in 1900..2155, the years a stored date holds (0 otherwise); one or two digits (or
// none) are 2000..2050 for 00..50 and 1951..1999 for 51..99.
int YearOf(std::string_view part) {
    std::size_t i = 0;
    while (i < part.size() && (part[i] == ' ' || part[i] == '\t')) ++i;
    const bool negative = i < part.size() && part[i] == '-';
    if (i < part.size() && (part[i] == '+' || part[i] == '-')) ++i;
    long long value = 0;
    std::size_t digits = 0;
    for (; i < part.size() && IsDigit(part[i]); ++i, ++digits) {
        value = std::min(value * 10 + (part[i] - '0'), 10000000000LL);
    }
    if (digits > 2)
        return !negative && value >= 1900 && value <= 2155 ? static_cast<int>(value) : 0;
    const int yy = negative ? 0 : static_cast<int>(value);
    return yy <= 50 ? 2000 + yy : 1900 + yy;
}

}  // namespace

std::string_view TrimRight(std::string_view text) {
    while (!text.empty() && static_cast<unsigned char>(text.back()) < 33) text.remove_suffix(1);
    return text;
}

PackedDate ConvertDateText(std::string_view text, DateOrder order) {
    // The commonest form, "YYYYMMDD", read at once: what the general reading below gives it.
    if (order == DateOrder::YearFirst && text.size() == 8 &&
        std::all_of(text.begin(), text.end(), IsDigit)) {
        const auto digits = [text](std::size_t at, std::size_t count) {
            int v = 0;
            for (std::size_t i = at; i < at + count; ++i) v = v * 10 + (text[i] - '0');
            return v;
        };
        const int year = digits(0, 4), month = digits(4, 2), day = digits(6, 2);
        if (year < 1900 || year > 2155 || month < 1 || month > 12 || day < 1 ||
            day > DaysInMonth(year, month)) {
            return kNoDate;
        }
        return MakeDate(year, month, day);
    }
    std::string_view parts[3];
    const std::size_t cut = text.find_first_of("-/\\.");
    if (cut != std::string_view::npos) {
        parts[0] = text.substr(0, cut);
        std::string_view rest = text.substr(cut + 1);
        const std::size_t second = rest.find_first_of("-/\\.");
        if (second != std::string_view::npos) {
            parts[1] = rest.substr(0, second);
            parts[2] = rest.substr(second + 1);
        } else {
            parts[1] = rest;
        }
    } else {
        if (text.size() < 6) return kNoDate;
        const std::size_t first = order == DateOrder::YearFirst && text.size() > 7 ? 4 : 2;
        parts[0] = text.substr(0, first);
        parts[1] = text.substr(first, 2);
        parts[2] = text.substr(first + 2);
    }
    std::string_view yearText, monthText, dayText;
    switch (order) {
        case DateOrder::YearFirst:
            yearText = parts[0], monthText = parts[1], dayText = parts[2];
            break;
        case DateOrder::MonthFirst:
            monthText = parts[0], dayText = parts[1], yearText = parts[2];
            break;
        case DateOrder::DayFirst:
            dayText = parts[0], monthText = parts[1], yearText = parts[2];
            break;
    }
    const int year = YearOf(yearText);
    const int month = MonthOf(monthText);
    const long long day = std::max(ParsePart(dayText).value_or(0), 0LL);
    if (year == 0 || month < 1 || month > 12 || day < 1 || day > 31) return kNoDate;
    // A day past the end of its month would be stored as a date no calendar has.
    if (day > DaysInMonth(year, month)) return kNoDate;
    return MakeDate(year, month, static_cast<int>(day));
}

double ParseLeadingNumber(std::string_view text, std::size_t* end) {
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    const std::size_t digitsStart = i;
    double value = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i) value = value * 10 + (text[i] - '0');
    bool any = i > digitsStart;
    if (i < text.size() && text[i] == '.') {
        std::size_t j = i + 1;
        double scale = 0.1, fraction = 0;
        for (; j < text.size() && IsDigit(text[j]); ++j, scale *= 0.1) {
            fraction += (text[j] - '0') * scale;
        }
        if (j > i + 1 || any) {
            any = true;
            value += fraction;
            i = j;
        }
    }
    if (!any) {
        if (end != nullptr) *end = 0;
        return 0;
    }
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        bool expNegative = false;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) expNegative = text[j++] == '-';
        if (j < text.size() && IsDigit(text[j])) {
            int exponent = 0;
            for (; j < text.size() && IsDigit(text[j]); ++j) {
                exponent = std::min(exponent * 10 + (text[j] - '0'), 100000);
            }
            if (value != 0) value *= std::pow(10.0, expNegative ? -exponent : exponent);
            i = j;
        }
    }
    if (end != nullptr) *end = i;
    return negative ? -value : value;
}

std::int32_t ParseCommandInteger(std::string_view text) {
    const long long v = ParsePart(text).value_or(0);
    return ClampToInt32(v);
}

std::uint8_t MarkCode(std::string_view text) {
    static constexpr std::array<const char*, 9> kMarks = {"nk", "ns", "rk", "rs", "ok",
                                                          "os", "z",  "bd", "zd"};
    int best = 0;
    std::size_t bestLength = 0;
    for (std::size_t m = 0; m < kMarks.size(); ++m) {
        const std::string_view mark = kMarks[m];
        if (mark.size() <= bestLength || text.size() < mark.size()) continue;
        bool match = true;
        for (std::size_t i = 0; i < mark.size() && match; ++i) match = Lower(text[i]) == mark[i];
        if (match) {
            best = static_cast<int>(m) + 1;
            bestLength = mark.size();
        }
    }
    if (best != 0) return static_cast<std::uint8_t>(best);
    return text.empty() ? 0 : static_cast<std::uint8_t>(text[0]);
}

}  // namespace velmora
