#include "automation/AutomationDate.h"

#include <cctype>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace velmora {

namespace {

bool IsLeap(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int RealDaysInMonth(int y, int m) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

// Days since 1 January 1970 of a proleptic Gregorian date.
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, int& year, int& month, int& day) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (month <= 2));
}

const std::int64_t kAutomationEpoch = DaysFromCivil(1899, 12, 30);

// Splits the text into runs of digits and the single separators between them.
struct Token {
    std::string digits;
    char separatorAfter = 0;
};

// The text without surrounding blanks.
std::string_view TrimBlanks(std::string_view text) {
    std::size_t b = 0, e = text.size();
    while (b < e && std::isspace(static_cast<unsigned char>(text[b]))) ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(text[e - 1]))) --e;
    return text.substr(b, e - b);
}

// Whether `timePart` is hh:mm or hh:mm:ss, each one or two digits, in range.
bool IsTimeOfDay(std::string_view timePart) {
    int parts[3] = {0, 0, 0};
    int count = 0, digits = 0;
    for (char c : timePart) {
        if (std::isdigit(static_cast<unsigned char>(c))) {
            if (++digits > 2) return false;
            parts[count] = parts[count] * 10 + (c - '0');
        } else if (c == ':' && digits > 0 && count < 2) {
            ++count;
            digits = 0;
        } else {
            return false;
        }
    }
    return digits != 0 && count >= 1 && parts[0] <= 23 && parts[1] <= 59 && parts[2] <= 59;
}

// The date part's three numbers with their two separators, or nothing when it is not of that
// shape (a number has at most four digits; the separators are '-', '/' or '.').
std::optional<std::vector<Token>> DateTokens(std::string_view datePart) {
    std::vector<Token> tokens(1);
    for (char c : datePart) {
        if (std::isdigit(static_cast<unsigned char>(c))) {
            if (tokens.back().separatorAfter != 0) tokens.emplace_back();
            if (tokens.back().digits.size() >= 4) return std::nullopt;
            tokens.back().digits += c;
        } else if ((c == '-' || c == '/' || c == '.') && !tokens.back().digits.empty() &&
                   tokens.back().separatorAfter == 0) {
            tokens.back().separatorAfter = c;
        } else {
            return std::nullopt;
        }
    }
    if (tokens.size() != 3 || tokens[2].digits.empty() || tokens[2].separatorAfter != 0) {
        return std::nullopt;
    }
    if (tokens[1].separatorAfter != tokens[0].separatorAfter) return std::nullopt;
    return tokens;
}

// The calendar date the three numbers name: yyyy-mm-dd or yyyy/mm/dd, yy-mm-dd (a year up to
// 50 in this century), mm/dd/yyyy or dd.mm.yyyy (a two-digit year below 30 in this century).
std::optional<PackedDate> DateOfTokens(const std::vector<Token>& tokens) {
    const char sep = tokens[0].separatorAfter;
    const auto number = [&](int i) {
        return std::stoi(tokens[static_cast<std::size_t>(i)].digits);
    };
    const auto twoDigitYear = [](int y) { return y < 30 ? 2000 + y : 1900 + y; };
    const std::size_t firstLen = tokens[0].digits.size();
    const std::size_t lastLen = tokens[2].digits.size();
    int year = 0, month = 0, day = 0;
    if (firstLen == 4 && (sep == '-' || sep == '/')) {
        year = number(0), month = number(1), day = number(2);
    } else if (firstLen == 2 && sep == '-' && tokens[1].digits.size() == 2 && lastLen == 2) {
        year = number(0) <= 50 ? 2000 + number(0) : 1900 + number(0);
        month = number(1), day = number(2);
    } else if ((sep == '/' || sep == '.') && firstLen <= 2 && tokens[1].digits.size() <= 2 &&
               (lastLen == 4 || lastLen == 2)) {
        const int y = number(2);
        year = lastLen == 4 ? y : twoDigitYear(y);
        month = sep == '/' ? number(0) : number(1);
        day = sep == '/' ? number(1) : number(0);
    } else {
        return std::nullopt;
    }
    const PackedDate date = CalendarDate(year, month, day);
    if (date == kNoDate) return std::nullopt;
    return date;
}

}  // namespace

PackedDate CalendarDate(int year, int month, int day) {
    if (year < 1900 || year > 2155 || month < 1 || month > 12 || day < 1 ||
        day > RealDaysInMonth(year, month)) {
        return kNoDate;
    }
    return MakeDate(year, month, day);
}

double ToAutomationDate(PackedDate date) {
    if (date == kNoDate) return 0;
    const int y = DateYear(date), m = DateMonth(date), d = DateDay(date);
    if (CalendarDate(y, m, d) == kNoDate) return 0;
    return static_cast<double>(
        DaysFromCivil(y, static_cast<unsigned>(m), static_cast<unsigned>(d)) - kAutomationEpoch);
}

PackedDate FromAutomationDate(double value) {
    // Packed dates end in 2155; anything far beyond is out of range before the conversion.
    if (!std::isfinite(value) || std::fabs(value) > 1e7) return kNoDate;
    const auto days = static_cast<std::int64_t>(std::trunc(value));
    int y = 0, m = 0, d = 0;
    CivilFromDays(days + kAutomationEpoch, y, m, d);
    return CalendarDate(y, m, d);
}

std::optional<PackedDate> ParseAutomationDate(std::string_view text) {
    // Surrounding blanks are allowed; the date part ends at the first blank or 'T'.
    text = TrimBlanks(text);
    std::string_view datePart = text, timePart;
    const std::size_t cut = text.find_first_of(" T");
    if (cut != std::string_view::npos) {
        datePart = text.substr(0, cut);
        timePart = text.substr(cut + 1);
        while (!timePart.empty() && timePart.front() == ' ') timePart.remove_prefix(1);
    }
    if (!timePart.empty() && !IsTimeOfDay(timePart)) return std::nullopt;
    const std::optional<std::vector<Token>> tokens = DateTokens(datePart);
    if (!tokens) return std::nullopt;
    return DateOfTokens(*tokens);
}

}  // namespace velmora
