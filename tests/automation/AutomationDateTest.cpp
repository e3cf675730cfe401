#include <gtest/gtest.h>

#include <limits>

#include "automation/AutomationDate.h"

namespace velmora {
namespace {

TEST(AutomationDate, SerialNumbersAgainstPackedDays) {
    EXPECT_EQ(ToAutomationDate(MakeDate(1900, 1, 1)), 2.0);
    EXPECT_EQ(ToAutomationDate(MakeDate(2000, 1, 1)), 36526.0);
    EXPECT_EQ(ToAutomationDate(MakeDate(2024, 1, 5)), 45296.0);
    EXPECT_EQ(ToAutomationDate(MakeDate(2024, 2, 29)), 45351.0);
    EXPECT_EQ(ToAutomationDate(kNoDate), 0.0);
    EXPECT_EQ(ToAutomationDate(MakeDate(2023, 2, 30)), 0.0);  // not a calendar day

    EXPECT_EQ(FromAutomationDate(45296.0), MakeDate(2024, 1, 5));
    EXPECT_EQ(FromAutomationDate(45296.99), MakeDate(2024, 1, 5));  // the time is ignored
    EXPECT_EQ(FromAutomationDate(2.5), MakeDate(1900, 1, 1));
    EXPECT_EQ(FromAutomationDate(36585.0), MakeDate(2000, 2, 29));  // a leap century
    EXPECT_EQ(FromAutomationDate(73109.0), MakeDate(2100, 2, 28));  // 2100 is no leap year
    EXPECT_EQ(FromAutomationDate(73110.0), MakeDate(2100, 3, 1));
    EXPECT_EQ(FromAutomationDate(1.0), kNoDate);  // 1899 is out of range
    EXPECT_EQ(FromAutomationDate(-1.25), kNoDate);
    EXPECT_EQ(FromAutomationDate(1e300), kNoDate);
    EXPECT_EQ(FromAutomationDate(std::numeric_limits<double>::quiet_NaN()), kNoDate);
    for (PackedDate d : {MakeDate(1900, 3, 1), MakeDate(1999, 12, 31), MakeDate(2155, 12, 31)}) {
        EXPECT_EQ(FromAutomationDate(ToAutomationDate(d)), d) << DateToText(d);
    }
}

TEST(AutomationDate, ParserFormsAndRejections) {
    const PackedDate jan5 = MakeDate(2024, 1, 5);
    EXPECT_EQ(ParseAutomationDate("2024-01-05"), jan5);
    EXPECT_EQ(ParseAutomationDate("2024/1/5"), jan5);
    EXPECT_EQ(ParseAutomationDate("1/5/2024"), jan5);  // month first with slashes
    EXPECT_EQ(ParseAutomationDate("5.1.2024"), jan5);  // day first with dots
    EXPECT_EQ(ParseAutomationDate("24-01-05"), jan5);  // the database's form
    EXPECT_EQ(ParseAutomationDate(" 1/5/24 13:45:10 "), jan5);
    EXPECT_EQ(ParseAutomationDate("2024-01-05T09:30"), jan5);
    EXPECT_EQ(ParseAutomationDate("1/5/30"), MakeDate(1930, 1, 5));
    EXPECT_EQ(ParseAutomationDate("99-12-31"), MakeDate(1999, 12, 31));

    for (const char* bad : {"", "2024", "2024-01", "2023-02-29", "2024-13-01", "2024-01-05 25:00",
                            "2024-01-05 12", "2024-01/05", "1/5/2024/1", "x2024-01-05",
                            "12345-01-01", "2024--01-05", "0/5/2024", "1899-12-31"}) {
        EXPECT_FALSE(ParseAutomationDate(bad).has_value()) << bad;
    }
}

}  // namespace
}  // namespace velmora
