// Weekly compression as the charts see it, and the one-stock cache.

#include <gtest/gtest.h>

#include "ChartTestSupport.h"
#include "chart/Compression.h"

namespace velmora {
namespace {

TEST(Compression, WeeksAreDatedMondayWithFridaysClose) {
    Stock s = test::MakeStock(10, false);  // 3 to 14 January 2005, Monday to Friday
    const auto weekly = CompressQuotations(s, Periodicity::Weekly);
    const auto& weeks = weekly->Quotations;
    ASSERT_EQ(weeks.size(), 2u);
    EXPECT_EQ(weeks[0].Date, MakeDate(2005, 1, 3));
    EXPECT_EQ(weeks[1].Date, MakeDate(2005, 1, 10));
    EXPECT_EQ(weeks[0].Close, s.Quotations[4].Close);
    EXPECT_EQ(weeks[0].Open, s.Quotations[0].Open);
    int volume = 0;
    float high = -1e9f, low = 1e9f;
    for (int i = 0; i < 5; ++i) {
        volume += s.Quotations[i].Volume;
        high = std::max(high, s.Quotations[i].High);
        low = std::min(low, s.Quotations[i].Low);
    }
    EXPECT_EQ(weeks[0].Volume, volume);
    EXPECT_EQ(weeks[0].High, high);
    EXPECT_EQ(weeks[0].Low, low);
}

TEST(Compression, WeekStartingMidweekAndSundaysBelongToTheirWeek) {
    Stock s;
    for (PackedDate d : {MakeDate(2005, 1, 5), MakeDate(2005, 1, 9), MakeDate(2005, 1, 10),
                         MakeDate(2005, 12, 30), MakeDate(2006, 1, 2)})
        s.Quotations.push_back({d, 1, 1, 1, 1, 1, 2, 0, 0});
    const auto weekly = CompressQuotations(s, Periodicity::Weekly);
    const auto& weeks = weekly->Quotations;
    ASSERT_EQ(weeks.size(), 4u);
    EXPECT_EQ(weeks[0].Date, MakeDate(2005, 1, 5));  // the first trading day of its week
    EXPECT_EQ(weeks[0].Volume, 2);                   // Sunday the 9th joins it
    EXPECT_EQ(weeks[0].OpenInt, 4);
    EXPECT_EQ(weeks[2].Date, MakeDate(2005, 12, 30));
    EXPECT_EQ(weeks[3].Date, MakeDate(2006, 1, 2));
}

TEST(CompressionCache, OneStockAtATimeAndRebuiltOnChange) {
    Stock a = test::MakeStock(30, false, "A");
    Stock b = test::MakeStock(40, false, "B");
    CompressedStockCache cache;
    EXPECT_EQ(&cache.Get(a, Periodicity::Daily), &a);
    const Stock& weekly = cache.Get(a, Periodicity::Weekly);
    EXPECT_EQ(weekly.TickerText(), "A");
    EXPECT_TRUE(GetContinuous(weekly));
    EXPECT_FALSE(GetContinuous(a));
    EXPECT_EQ(weekly.Quotations.size(), 6u);
    const std::size_t weeksOfA = weekly.Quotations.size();
    EXPECT_EQ(&cache.Get(a, Periodicity::Weekly).Quotations, &weekly.Quotations);
    EXPECT_EQ(cache.Get(b, Periodicity::Weekly).TickerText(), "B");
    EXPECT_EQ(cache.Get(a, Periodicity::Monthly).Quotations.size(), 2u);
    // New data for the same stock is not hidden by the cache.
    EXPECT_EQ(cache.Get(a, Periodicity::Weekly).Quotations.size(), weeksOfA);
    a.Quotations.push_back({AddDays(a.Quotations.back().Date, 7), 1, 1, 1, 1, 0, 0, 0, 0});
    EXPECT_EQ(cache.Get(a, Periodicity::Weekly).Quotations.size(), weeksOfA + 1);
}

}  // namespace
}  // namespace velmora
