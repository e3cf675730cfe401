#include <gtest/gtest.h>

#include <limits>

#include "analysis/QuickReview.h"

namespace velmora {
namespace {

ResultRow Keyed(const std::string& text, std::int32_t key) {
    ResultRow r;
    r.Text = text;
    r.SortKey = key;
    return r;
}

std::vector<std::string> Texts(const ReviewList& list) {
    std::vector<std::string> t;
    for (const ResultRow& r : list) t.push_back(r.Text);
    return t;
}

std::vector<std::string> Tickers(const ReviewList& list) {
    std::vector<std::string> t;
    for (const ResultRow& r : list) t.push_back(QuickReview::RowTicker(r));
    return t;
}

TEST(ReviewList, SortedInsertionGoesAfterEqualAndSmallerKeys) {
    ReviewList list;
    list.InsertSorted(Keyed("a", 5));
    list.InsertSorted(Keyed("b", 1));
    list.InsertSorted(Keyed("c", 5));
    list.InsertSorted(Keyed("d", -3));
    list.InsertSorted(Keyed("e", 1));
    list.InsertSorted(Keyed("f", 9));
    EXPECT_EQ(Texts(list), (std::vector<std::string>{"d", "b", "e", "a", "c", "f"}));
    list.Append(Keyed("g", -100));
    EXPECT_EQ(list.Rows().back().Text, "g");
    list.Clear();
    EXPECT_TRUE(list.Empty());
}

struct ReviewTest : ::testing::Test {
    Database db;
    QuickReview review{db};

    // Quotations on consecutive calendar days from 24-01-01 (a Monday).
    Stock& Add(const std::string& ticker, const std::vector<float>& closes,
               PackedDate first = MakeDate(2024, 1, 1)) {
        Stock* s = db.AddStock(ticker);
        PackedDate d = first;
        for (float c : closes) {
            Quotation* q = db.AddQuotation(*s, d);
            q->Close = c;
            q->High = c + 1;
            q->Low = c - 1;
            q->Volume = 500;
            d = AddDays(d, 1);
        }
        return *s;
    }
    void Fill(int type, const char* day, const StockFilter& filter = StockFilter()) {
        review.Fill(type, day, filter);
    }
};

TEST_F(ReviewTest, QuotesListEveryStockInDatabaseOrderWithTheirTexts) {
    Add("BBB", {10, 12.5f});
    Add("AAA", {20});
    Add("CCC", {1}, MakeDate(2023, 1, 1));
    Fill(0, "24-01-02");
    ASSERT_EQ(review.Rows().Size(), 3u);
    EXPECT_EQ(review.Rows()[0].Text, "AAA");  // no quotation on the day: the ticker alone
    EXPECT_EQ(review.Rows()[1].Text,
              "BBB\t    12.50\t+25.0%\t    13.50\t    11.50\t           500");
    EXPECT_EQ(review.Rows()[2].Text, "CCC");
    Fill(0, "24-01-01");
    EXPECT_EQ(review.Rows()[0].Text,
              "AAA\t    20.00\t      \t    21.00\t    19.00\t           500");
    EXPECT_EQ(QuickReview::Columns(0).size(), 6u);
    EXPECT_TRUE(QuickReview::Columns(0)[0].LeftAligned);
    EXPECT_FALSE(QuickReview::Columns(0)[5].LeftAligned);
    EXPECT_STREQ(QuickReview::TypeName(6), "Price/Earnings comparison");
}

TEST_F(ReviewTest, DailyReturnsRankBestFirstAndKeepDatabaseOrderOnTies) {
    Add("AAA", {10, 11});
    Add("BBB", {10, 12});
    Add("CCC", {10, 11});
    Add("DDD", {10, 9});
    Add("EEE", {10});    // only the day itself: no earlier quotation, no row
    Add("FFF", {0, 5});  // a return on a close of 0: no row
    Fill(1, "24-01-02");
    EXPECT_EQ(Tickers(review.Rows()), (std::vector<std::string>{"BBB", "AAA", "CCC", "DDD"}));
    EXPECT_EQ(review.Rows()[0].Text, "BBB\t    10.00\t    12.00\t    20.00%");
    EXPECT_EQ(review.Rows()[0].SortKey, -2000);
    EXPECT_EQ(review.Rows()[3].SortKey, 1000);
}

TEST_F(ReviewTest, WeeklyReturnsNeedAQuotationAWeekBack) {
    // Trading days: Monday 24-01-01 to Monday 24-01-08.
    auto addWeekdays = [this](const std::string& ticker, PackedDate first) {
        Stock* s = db.AddStock(ticker);
        for (PackedDate d = first; d <= MakeDate(2024, 1, 8); d = AddDays(d, 1)) {
            if (DayOfWeek(d) < 5)
                db.AddQuotation(*s, d)->Close = d == MakeDate(2024, 1, 8) ? 20 : 10;
        }
    };
    addWeekdays("AAA", MakeDate(2024, 1, 1));
    addWeekdays("BBB", MakeDate(2024, 1, 2));  // its first quotation is less than 7 days back
    // Quotations on every calendar day: the week back lies 7 quotations back, beyond the walk.
    Add("CCC", {10, 10, 10, 10, 10, 10, 10, 20});
    Fill(2, "24-01-08");
    ASSERT_EQ(Tickers(review.Rows()), (std::vector<std::string>{"AAA"}));
    EXPECT_EQ(review.Rows()[0].Text, "AAA\t    10.00\t    20.00\t   100.00%");
}

TEST_F(ReviewTest, MonthlyLookBackIsLimitedTo31Quotations) {
    // Daily quotations from 23-12-01 to 24-01-15: the month back from 24-01-15 is 23-12-15,
    // 32 quotations back, beyond the walk's 31.
    std::vector<float> closes(46, 10.0f);
    closes.back() = 11;
    Add("DAILY", closes, MakeDate(2023, 12, 1));
    // Weekly quotations: the month back lies a few quotations back.
    Stock& weekly = *db.AddStock("WEEKLY");
    for (int i = 0; i < 8; ++i) {
        Quotation* q = db.AddQuotation(weekly, AddDays(MakeDate(2023, 11, 27), 7 * i));
        q->Close = i == 7 ? 15.0f : 10.0f;
    }
    Fill(3, "24-01-15");
    EXPECT_EQ(Tickers(review.Rows()), (std::vector<std::string>{"WEEKLY"}));
    EXPECT_EQ(review.Rows()[0].Text, "WEEKLY\t    10.00\t    15.00\t    50.00%");
}

TEST_F(ReviewTest, RatiosRankSmallestPositiveFirstAndMissingOnesLast) {
    Stock& a = Add("AAA", {10});
    a.Issue = 100;
    a.FinanceEAT = {100, 100, 100, 200};  // E = 500: P/E = 2
    a.BookValue = 250;                    // P/BV = 4
    Stock& b = Add("BBB", {10});
    b.Issue = 100;
    b.FinanceEAT = {0, 0, 0, 1000};  // P/E = 1
    Stock& c = Add("CCC", {10});     // no earnings: P/E 0
    c.Issue = 100;
    c.BookValue = 2000;                      // P/BV = 0.5
    Add("DDD", {10}, MakeDate(2020, 1, 1));  // no quotation on the day
    Fill(6, "24-01-01");
    EXPECT_EQ(Tickers(review.Rows()), (std::vector<std::string>{"BBB", "AAA", "CCC", "DDD"}));
    EXPECT_EQ(review.Rows()[1].Text, "AAA\t    10.00\t     2.00\t     4.00");
    EXPECT_EQ(review.Rows()[1].SortKey, 2000);
    EXPECT_EQ(review.Rows()[2].SortKey, std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(review.Rows()[3].Text, "DDD");
    Fill(7, "24-01-01");
    EXPECT_EQ(Tickers(review.Rows()), (std::vector<std::string>{"CCC", "AAA", "BBB", "DDD"}));
}

TEST_F(ReviewTest, FilterAndChangesRefill) {
    Stock& a = Add("AAA", {10, 11});
    Add("BBB", {10, 12});
    SetMarketID(a, 3);
    StockFilter filter;
    filter.Items[0].Market = 3;
    review.Open(MakeDate(2024, 1, 2));
    EXPECT_EQ(review.Rows().Size(), 2u);
    review.SetFilter(filter);
    EXPECT_EQ(Tickers(review.Rows()), (std::vector<std::string>{"AAA"}));
    review.SetType(1);
    EXPECT_EQ(review.Rows()[0].Text, "AAA\t    10.00\t    11.00\t    10.00%");
    review.SetDay(MakeDate(2024, 1, 1));
    EXPECT_TRUE(review.Rows().Empty());
    Fill(9, "24-01-02");
    EXPECT_TRUE(review.Rows().Empty());
    Fill(0, "not a date");
    EXPECT_TRUE(review.Rows().Empty());
}

}  // namespace
}  // namespace velmora
