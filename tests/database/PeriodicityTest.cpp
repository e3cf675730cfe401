#include <gtest/gtest.h>

#include "database/Periodicity.h"

namespace velmora {
namespace {

void AddDay(Stock& s, PackedDate d, float open, float high, float low, float close, int volume) {
    Quotation q;
    q.Date = d;
    q.Open = open;
    q.High = high;
    q.Low = low;
    q.Close = close;
    q.Volume = volume;
    q.OpenInt = 1;
    q.Mark = 5;
    s.Quotations.push_back(q);
}

TEST(Periodicity, WeeklyBarsStartOnTheFirstTradingDayOfTheWeek) {
    Stock s;
    s.Ticker.Set("WEEK");
    // Monday 2024-01-01 to Friday 2024-01-12, then Wednesday 2024-01-17.
    PackedDate d = MakeDate(2024, 1, 1);
    for (int i = 0; i < 12; ++i, d = AddDays(d, 1)) {
        if (DayOfWeek(d) >= 5) continue;
        AddDay(s, d, 10.0f + i, 20.0f + (i % 3), 5.0f - (i % 4), 11.0f + i, 100 * (i + 1));
    }
    AddDay(s, MakeDate(2024, 1, 17), 1, 2, 0.5f, 1.5f, 7);
    const auto w = CompressQuotations(s, Periodicity::Weekly);
    ASSERT_EQ(w->Quotations.size(), 3u);
    EXPECT_TRUE(GetContinuous(*w));
    EXPECT_FALSE(GetContinuous(s));
    EXPECT_EQ(w->TickerText(), "WEEK");
    const Quotation& first = w->Quotations[0];
    EXPECT_EQ(first.Date, MakeDate(2024, 1, 1));
    EXPECT_EQ(first.Open, 10.0f);
    EXPECT_EQ(first.Close, 15.0f);  // Friday's close
    EXPECT_EQ(first.High, 22.0f);
    EXPECT_EQ(first.Low, 2.0f);
    EXPECT_EQ(first.Volume, 100 + 200 + 300 + 400 + 500);
    EXPECT_EQ(first.OpenInt, 5);
    EXPECT_EQ(first.Mark, 0);
    EXPECT_EQ(w->Quotations[1].Date, MakeDate(2024, 1, 8));
    EXPECT_EQ(w->Quotations[1].Close, 22.0f);
    EXPECT_EQ(w->Quotations[2].Date, MakeDate(2024, 1, 17));
    EXPECT_EQ(w->Quotations[2].Volume, 7);
}

TEST(Periodicity, MonthlyBarsAndLimits) {
    Stock s;
    AddDay(s, MakeDate(2024, 1, 30), 1, 5, 1, 2, 2'000'000'000);
    AddDay(s, MakeDate(2024, 1, 31), 2, 6, 0.5f, 3, 2'000'000'000);
    AddDay(s, MakeDate(2024, 2, 1), 3, 4, 2, 4, 1);
    AddDay(s, MakeDate(2024, 2, 29), 4, 4, 2, 5, 1);
    AddDay(s, MakeDate(2024, 3, 1), 5, 5, 5, 5, 1);
    const auto m = CompressQuotations(s, Periodicity::Monthly);
    ASSERT_EQ(m->Quotations.size(), 3u);
    EXPECT_EQ(m->Quotations[0].Date, MakeDate(2024, 1, 30));
    EXPECT_EQ(m->Quotations[0].Close, 3.0f);
    EXPECT_EQ(m->Quotations[0].High, 6.0f);
    EXPECT_EQ(m->Quotations[0].Low, 0.5f);
    EXPECT_EQ(m->Quotations[0].Volume, 2147483647);  // held at the limit
    EXPECT_EQ(m->Quotations[1].Close, 5.0f);
    EXPECT_EQ(m->Quotations[2].Date, MakeDate(2024, 3, 1));
    EXPECT_EQ(CompressQuotations(s, Periodicity::Daily)->Quotations.size(), 5u);
    EXPECT_TRUE(CompressQuotations(Stock{}, Periodicity::Weekly)->Quotations.empty());
    EXPECT_EQ(ParsePeriodicity("weekly"), Periodicity::Weekly);
    EXPECT_FALSE(ParsePeriodicity("Weekly").has_value());
}

}  // namespace
}  // namespace velmora
