#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "import/AsciiText.h"

namespace velmora {
namespace {

// The converted date as "yyyy-mm-dd", so that the century shows.
std::string Date(std::string_view text, DateOrder order) {
    const PackedDate d = ConvertDateText(text, order);
    if (d == kNoDate) return "invalid";
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", DateYear(d), DateMonth(d), DateDay(d));
    return buf;
}

TEST(AsciiDateText, TheThreeOrdersWithAndWithoutSeparators) {
    EXPECT_EQ(Date("31.12.99", DateOrder::DayFirst), "1999-12-31");
    EXPECT_EQ(Date("991231", DateOrder::YearFirst), "1999-12-31");
    EXPECT_EQ(Date("12/31/1999", DateOrder::MonthFirst), "1999-12-31");
    EXPECT_EQ(Date("Dec/31/99", DateOrder::MonthFirst), "1999-12-31");
    EXPECT_EQ(Date("19991231", DateOrder::YearFirst), "1999-12-31");
    EXPECT_EQ(Date("123199", DateOrder::MonthFirst), "1999-12-31");
    EXPECT_EQ(Date("311299", DateOrder::DayFirst), "1999-12-31");
    EXPECT_EQ(Date("2000-10-31", DateOrder::YearFirst), "2000-10-31");
    EXPECT_EQ(Date("31-oct-2000", DateOrder::DayFirst), "2000-10-31");
    EXPECT_EQ(Date("2024\\1\\2", DateOrder::YearFirst), "2024-01-02");
    // A year of four digits is taken as written; two digits 00..50 are 2000..2050.
    EXPECT_EQ(Date("1950-06-01", DateOrder::YearFirst), "1950-06-01");
    EXPECT_EQ(Date("01/03/1950", DateOrder::MonthFirst), "1950-01-03");
    EXPECT_EQ(Date("19500103", DateOrder::YearFirst), "1950-01-03");
    EXPECT_EQ(Date("2155-12-31", DateOrder::YearFirst), "2155-12-31");
    EXPECT_EQ(Date("1900-01-01", DateOrder::YearFirst), "1900-01-01");
    EXPECT_EQ(Date("50-06-01", DateOrder::YearFirst), "2050-06-01");
    EXPECT_EQ(Date("51-06-01", DateOrder::YearFirst), "1951-06-01");
    // A missing third part is 0: the year 2000.
    EXPECT_EQ(Date("12/31", DateOrder::MonthFirst), "2000-12-31");
}

// "YYYYMMDD" is read by a shortcut: the same years, months and days hold as in other forms.
TEST(AsciiDateText, EightDigitsAtTheEdgesOfTheCalendar) {
    EXPECT_EQ(Date("19000101", DateOrder::YearFirst), "1900-01-01");
    EXPECT_EQ(Date("21551231", DateOrder::YearFirst), "2155-12-31");
    EXPECT_EQ(Date("20240229", DateOrder::YearFirst), "2024-02-29");
    for (const char* text : {"18991231", "21560101", "00990101", "20230229", "20240431", "20241301",
                             "20240001", "20240100"}) {
        EXPECT_EQ(Date(text, DateOrder::YearFirst), "invalid") << text;
    }
    // In the other orders the eight digits split 2+2+4.
    EXPECT_EQ(Date("12312024", DateOrder::MonthFirst), "2024-12-31");
}

TEST(AsciiDateText, InvalidTexts) {
    EXPECT_EQ(Date("99123", DateOrder::YearFirst), "invalid");  // too short, no separator
    EXPECT_EQ(Date("", DateOrder::DayFirst), "invalid");
    EXPECT_EQ(Date("13/01/99", DateOrder::MonthFirst), "invalid");
    EXPECT_EQ(Date("32.01.99", DateOrder::DayFirst), "invalid");
    EXPECT_EQ(Date("00.01.99", DateOrder::DayFirst), "invalid");
    EXPECT_EQ(Date("Foo/12/99", DateOrder::MonthFirst), "invalid");
    EXPECT_EQ(Date("<DTYYYYMMDD>", DateOrder::YearFirst), "invalid");
    // Past the month's end.
    EXPECT_EQ(Date("30.02.2001", DateOrder::DayFirst), "invalid");
    EXPECT_EQ(Date("29.02.2001", DateOrder::DayFirst), "invalid");
    EXPECT_EQ(Date("29.02.2004", DateOrder::DayFirst), "2004-02-29");
    EXPECT_EQ(Date("31.04.2004", DateOrder::DayFirst), "invalid");
    // Years a stored date cannot hold are not wrapped into another century.
    EXPECT_EQ(Date("1899-12-31", DateOrder::YearFirst), "invalid");
    EXPECT_EQ(Date("2156-01-01", DateOrder::YearFirst), "invalid");
    EXPECT_EQ(Date("0099-01-01", DateOrder::YearFirst), "invalid");
    // Huge numbers do not overflow into a valid date.
    EXPECT_EQ(Date("99999999999999999999.1.1", DateOrder::YearFirst), "invalid");
    EXPECT_EQ(Date("1.99999999999999999999.2000", DateOrder::MonthFirst), "invalid");
}

TEST(AsciiNumbers, LeadingNumberAndCommandInteger) {
    std::size_t used = 0;
    EXPECT_DOUBLE_EQ(ParseLeadingNumber("10.5,rest", &used), 10.5);
    EXPECT_EQ(used, 4u);
    EXPECT_DOUBLE_EQ(ParseLeadingNumber("-3", &used), -3);
    EXPECT_DOUBLE_EQ(ParseLeadingNumber(".25", &used), 0.25);
    EXPECT_DOUBLE_EQ(ParseLeadingNumber("1.5e3x", &used), 1500);
    EXPECT_EQ(used, 5u);
    EXPECT_DOUBLE_EQ(ParseLeadingNumber("abc", &used), 0);
    EXPECT_EQ(used, 0u);
    EXPECT_TRUE(std::isinf(ParseLeadingNumber("1e99999")));
    EXPECT_DOUBLE_EQ(ParseLeadingNumber("0e99999"), 0);  // no NaN from 0 x infinity
    EXPECT_EQ(ParseCommandInteger("  12 rest"), 12);
    EXPECT_EQ(ParseCommandInteger("-1"), -1);
    EXPECT_EQ(ParseCommandInteger("x"), 0);
    EXPECT_EQ(ParseCommandInteger("99999999999999"), 2147483647);
    EXPECT_EQ(ParseCommandInteger("-99999999999999"), -2147483647 - 1);
}

TEST(AsciiMarks, LongestMarkTextElseFirstCharacter) {
    EXPECT_EQ(MarkCode("nk"), 1);
    EXPECT_EQ(MarkCode("NS"), 2);
    EXPECT_EQ(MarkCode("os-"), 6);
    EXPECT_EQ(MarkCode("z"), 7);
    EXPECT_EQ(MarkCode("zd"), 9);  // longer than "z"
    EXPECT_EQ(MarkCode("Zdx"), 9);
    EXPECT_EQ(MarkCode("bd"), 8);
    EXPECT_EQ(MarkCode("q"), 'q');
    EXPECT_EQ(MarkCode("n"), 'n');
    EXPECT_EQ(MarkCode(""), 0);
    EXPECT_EQ(TrimRight("abc \t\r\n"), "abc");
}

}  // namespace
}  // namespace velmora
