#include <gtest/gtest.h>

#include "database/Database.h"
#include "database/TickerFile.h"

namespace velmora {
namespace {

TEST(PackedDate, PacksAndOrdersAsUnsigned) {
    EXPECT_EQ(MakeDate(2000, 3, 1), 0x6430FFFFu);
    EXPECT_EQ(MakeDate(1999, 12, 31), 0x63CFFFFFu);
    EXPECT_LT(MakeDate(1999, 12, 31), MakeDate(2000, 3, 1));
    EXPECT_EQ(DateYear(MakeDate(2155, 12, 31)), 2155);
}

TEST(PackedDate, TextFormReadsCenturyByTwoDigitYear) {
    EXPECT_EQ(TextToDate("00-01-05"), MakeDate(2000, 1, 5));
    EXPECT_EQ(TextToDate("51-01-05"), MakeDate(1951, 1, 5));
    EXPECT_EQ(TextToDate("50-12-31"), MakeDate(2050, 12, 31));
    EXPECT_EQ(TextToDate("99/07/04"), MakeDate(1999, 7, 4));  // separators are not checked
    EXPECT_EQ(TextToDate("9-1-1"), kNoDate);
    EXPECT_EQ(TextToDate("07-13-01"), kNoDate);
    EXPECT_EQ(TextToDate("07-00-01"), kNoDate);
    EXPECT_EQ(TextToDate("07-01-32"), kNoDate);
    EXPECT_EQ(DateToText(MakeDate(2007, 3, 9)), "07-03-09");
    EXPECT_EQ(DateToText(MakeDate(1950, 1, 3)), "50-01-03");
    // The full year over the whole stored range.
    EXPECT_EQ(DateToText(MakeDate(1900, 1, 1), DateStyle::Iso), "1900-01-01");
    EXPECT_EQ(DateToText(MakeDate(1950, 1, 3), DateStyle::Iso), "1950-01-03");
    EXPECT_EQ(DateToText(MakeDate(2155, 12, 31), DateStyle::Iso), "2155-12-31");
}

TEST(PackedDate, CalendarUsesEveryFourthYearAsLeap) {
    EXPECT_EQ(DaysInMonth(2100, 2), 29);
    EXPECT_EQ(DaysInMonth(2023, 2), 28);
    EXPECT_EQ(AddDays(MakeDate(2100, 2, 28), 1), MakeDate(2100, 2, 29));
    EXPECT_EQ(AddDays(MakeDate(1999, 12, 31), 1), MakeDate(2000, 1, 1));
    EXPECT_EQ(AddDays(MakeDate(2000, 1, 1), -1), MakeDate(1999, 12, 31));
    EXPECT_EQ(AddDays(MakeDate(1960, 1, 1), 366), MakeDate(1961, 1, 1));
    // 2024-01-10 was a Wednesday.
    EXPECT_EQ(WeekStart(MakeDate(2024, 1, 10)), MakeDate(2024, 1, 8));
    EXPECT_EQ(WeekEnd(MakeDate(2024, 1, 10)), MakeDate(2024, 1, 14));
    EXPECT_EQ(WeekStart(MakeDate(2024, 1, 8)), MakeDate(2024, 1, 8));
    EXPECT_EQ(WeekEnd(MakeDate(2024, 1, 14)), MakeDate(2024, 1, 14));
    EXPECT_EQ(MonthEnd(MakeDate(2024, 2, 3)), MakeDate(2024, 2, 29));
    for (PackedDate d = MakeDate(1995, 1, 1); d < MakeDate(2005, 1, 1); d = AddDays(d, 1)) {
        ASSERT_EQ(SecondsToDate(DateToSeconds(d)), d);
    }
}

TEST(CategoryWord, MarketAndGroupDoNotDisturbEachOther) {
    Stock s;
    SetContinuous(s, true);
    SetGroupID(s, -3);
    SetMarketID(s, 5);
    EXPECT_EQ(s.CategoryWord & 0xFFFF, 0b1011);  // market bits 0 and 3, Continuous bit 1
    EXPECT_EQ(GetMarketID(s), 5);
    EXPECT_EQ(GetGroupID(s), -3);
    EXPECT_TRUE(GetContinuous(s));
    for (int id = 0; id < 256; ++id) {
        SetMarketID(s, id);
        ASSERT_EQ(GetMarketID(s), id);
        ASSERT_EQ(GetGroupID(s), -3);
        ASSERT_TRUE(GetContinuous(s));
    }
    SetGroupID(s, 200);
    EXPECT_EQ(GetMarketID(s), 255);
    EXPECT_EQ(GetGroupID(s), 200);
}

TEST(StockList, KeepsCaseInsensitiveOrderAndPutsEqualTickersFirst) {
    Database db;
    Stock* abc = db.AddStock("ABC");
    db.AddStock("zed");
    db.AddStock("Mid");
    Stock* lower = db.AddStock("abc");
    ASSERT_EQ(db.StockCount(), 4);
    EXPECT_EQ(db.StockAt(0), lower);
    EXPECT_EQ(db.StockAt(1), abc);
    EXPECT_EQ(db.StockAt(2)->TickerText(), "Mid");
    Stock* found = db.FindStock("aBc");
    EXPECT_TRUE(found == abc || found == lower);
    EXPECT_EQ(db.NextStock(lower), abc);
    EXPECT_EQ(db.PreviousStock(abc), lower);
    EXPECT_EQ(db.PreviousStock(lower), nullptr);
    EXPECT_EQ(db.NextStock(db.LastStock()), nullptr);
    EXPECT_EQ(db.IndexOfStock("MID"), 2);
    EXPECT_EQ(db.IndexOfStock("nothing"), 0);
}

TEST(StockList, LookupsBetweenNeighboursAndAfterRenameAndRemove) {
    Database db;
    for (const char* t : {"AAA", "AAC", "BBB", "KGHM", "PKN"}) db.AddStock(t);
    EXPECT_EQ(db.FindStock("AAB"), nullptr);
    EXPECT_EQ(db.FindStock("A"), nullptr);
    EXPECT_EQ(db.FindStock("ZZZ"), nullptr);
    EXPECT_EQ(db.FindStock(""), nullptr);
    ASSERT_NE(db.FindStock("kghm"), nullptr);  // becomes the shortcut
    EXPECT_TRUE(db.RenameStock("KGHM", "AAB"));
    EXPECT_EQ(db.FindStock("KGHM"), nullptr);
    EXPECT_EQ(db.StockAt(1)->TickerText(), "AAB");
    EXPECT_TRUE(db.StockAt(1)->Modified);
    EXPECT_TRUE(db.RemoveStock("aab"));
    EXPECT_EQ(db.FindStock("AAB"), nullptr);
    EXPECT_FALSE(db.RemoveStock("AAB"));
    EXPECT_EQ(db.StockCount(), 4);
    // A ticker is cut to 15 bytes.
    Stock* s = db.AddStock("ABCDEFGHIJKLMNOPQRS");
    EXPECT_EQ(s->TickerText(), "ABCDEFGHIJKLMNO");
}

TEST(StockList, AliasLookupSkipsScanWhileNoStockHasAlias) {
    Database db;
    Stock* a = db.AddStock("ONE");
    db.AddStock("TWO");
    EXPECT_EQ(db.FindStockOrAlias(""), nullptr);
    EXPECT_EQ(db.FindStockOrAlias("X1"), nullptr);
    a->Alias.Set("X1");
    // The scan found no alias and is skipped until an alias is announced or a stock added.
    EXPECT_EQ(db.FindStockOrAlias("x1"), nullptr);
    db.AliasChanged();
    EXPECT_EQ(db.FindStockOrAlias("x1"), a);
    EXPECT_EQ(db.FindStockOrAlias("two")->TickerText(), "TWO");
}

TEST(Quotations, AddFindDeleteKeepDateOrderAndMarkChanges) {
    Database db;
    Stock* s = db.AddStock("S");
    s->Modified = false;
    db.SetWorkspaceDirty(false);
    Quotation* q = db.AddQuotation(*s, MakeDate(2020, 1, 3));
    q->Close = 10;
    db.AddQuotation(*s, MakeDate(2020, 1, 6))->Close = 11;
    db.AddQuotation(*s, MakeDate(2020, 1, 2))->Close = 9;
    EXPECT_TRUE(s->Modified);
    EXPECT_TRUE(db.WorkspaceDirty());
    s->Modified = false;
    Quotation* again = db.AddQuotation(*s, MakeDate(2020, 1, 3));
    EXPECT_EQ(again->Close, 10);
    EXPECT_TRUE(s->Modified);
    ASSERT_EQ(Database::QuotationCount(*s), 3);
    EXPECT_EQ(s->Quotations[0].Close, 9);
    EXPECT_EQ(s->Quotations[2].Close, 11);
    EXPECT_EQ(Database::QuotationsFrom(*s, MakeDate(2020, 1, 3)), 2);
    EXPECT_EQ(Database::QuotationsFrom(*s, MakeDate(2020, 1, 4)), 1);
    EXPECT_EQ(Database::FindQuotation(*s, MakeDate(2020, 1, 4)), nullptr);
    EXPECT_FALSE(db.DeleteQuotationText(*s, "20-01-04"));
    EXPECT_TRUE(db.DeleteQuotationText(*s, "20-01-03"));
    EXPECT_EQ(Database::QuotationCount(*s), 2);
}

TEST(Quotations, DeleteQuotationMarksTheStock) {
    Database db;
    Stock* s = db.AddStock("S");
    db.AddQuotation(*s, MakeDate(2020, 1, 3));
    s->Modified = false;
    ASSERT_TRUE(db.DeleteQuotation(*s, MakeDate(2020, 1, 3)));
    EXPECT_TRUE(s->Modified);
}

TEST(Quotations, SetQuotationStoresEveryValueThroughAlias) {
    Database db;
    Stock* s = db.AddStock("PKOBP");
    s->Alias.Set("PKO");
    db.AliasChanged();
    ASSERT_TRUE(db.SetQuotation("PKO", "21-06-30", 41.5, 1200, 7, 3, 25, 40.25, 42, 40));
    const Quotation* q = Database::FindQuotation(*s, MakeDate(2021, 6, 30));
    ASSERT_NE(q, nullptr);
    EXPECT_EQ(q->Close, 41.5f);
    EXPECT_EQ(q->Volume, 1200);
    EXPECT_EQ(q->OpenInt, 7);
    EXPECT_EQ(q->Mark, 3);
    EXPECT_EQ(q->Reduction, 25);
    EXPECT_EQ(q->Open, 40.25f);
    EXPECT_EQ(q->High, 42.0f);
    EXPECT_EQ(q->Low, 40.0f);
    EXPECT_FALSE(db.SetQuotation("NONE", "21-06-30", 1, 1, 1, 0, 0, 1, 1, 1));
    EXPECT_FALSE(db.SetQuotation("PKO", "21-6-30", 1, 1, 1, 0, 0, 1, 1, 1));
    EXPECT_EQ(Database::QuotationCount(*s), 1);
}

TEST(Quotations, LookBackWalksALimitedNumberOfQuotations) {
    Database db;
    Stock* s = db.AddStock("S");
    // 2024-03-04 .. 2024-03-06: the third quotation has no quotation a week earlier.
    for (int d = 4; d <= 6; ++d) db.AddQuotation(*s, MakeDate(2024, 3, d));
    EXPECT_EQ(Database::WeekBack(*s, 2), -1);
    // Daily quotations over two years.
    Stock* t = db.AddStock("T");
    for (PackedDate d = MakeDate(2022, 1, 3); d <= MakeDate(2023, 12, 29); d = AddDays(d, 1)) {
        if (DayOfWeek(d) < 5) db.AddQuotation(*t, d);
    }
    const int last = Database::QuotationCount(*t) - 1;  // Friday 2023-12-29
    EXPECT_EQ(t->Quotations[Database::WeekBack(*t, last)].Date, MakeDate(2023, 12, 22));
    EXPECT_EQ(t->Quotations[Database::MonthBack(*t, last)].Date, MakeDate(2023, 11, 29));
    EXPECT_EQ(t->Quotations[Database::QuarterBack(*t, last)].Date, MakeDate(2023, 9, 29));
    EXPECT_EQ(t->Quotations[Database::YearBack(*t, last)].Date, MakeDate(2022, 12, 29));
    // Day 3 of a month goes back into the previous month: 2023-01-03 - 7 = 2022-12-27.
    int idx = 0;
    while (t->Quotations[idx].Date != MakeDate(2023, 1, 3)) ++idx;
    EXPECT_EQ(t->Quotations[Database::WeekBack(*t, idx)].Date, MakeDate(2022, 12, 27));
    // Month back from 31 March clamps to the end of February.
    while (t->Quotations[idx].Date != MakeDate(2023, 3, 31)) ++idx;
    EXPECT_EQ(t->Quotations[Database::MonthBack(*t, idx)].Date, MakeDate(2023, 2, 28));
    // The year walk stops at the start of the list.
    EXPECT_EQ(Database::YearBack(*t, 100), -1);
}

TEST(ADQuotations, AddFindAndClear) {
    Database db;
    Market& m = db.Categories().Markets[3];
    db.AddADQuotation(m, MakeDate(2020, 5, 6))->AdvIssues = 2;
    db.AddADQuotation(m, MakeDate(2020, 5, 4))->AdvIssues = 1;
    EXPECT_EQ(db.AddADQuotation(m, MakeDate(2020, 5, 6))->AdvIssues, 2);
    ASSERT_EQ(m.ADQuotations.size(), 2u);
    EXPECT_EQ(m.ADQuotations[0].Date, MakeDate(2020, 5, 4));
    EXPECT_EQ(Database::FindADQuotation(m, MakeDate(2020, 5, 5)), nullptr);
    db.ClearADQuotations(m);
    EXPECT_TRUE(m.ADQuotations.empty());
    EXPECT_EQ(db.Categories().Markets[7].Name.View(), "Market 7");
    EXPECT_EQ(db.Categories().Industries[255].Name.View(), "Industry 255");
}

TEST(BaseIndex, FallsBackFromGroupToIndustryToMarketToDefault) {
    Database db;
    Stock* wig = db.AddStock("WIG");
    Stock* grp = db.AddStock("GRPIDX");
    Stock* mkt = db.AddStock("MKTIDX");
    Stock* s = db.AddStock("S");
    SetGroupID(*s, 4);
    SetMarketID(*s, 2);
    s->IndustryID = 9;
    EXPECT_EQ(db.BaseIndexStock(*s, "WIG"), wig);
    db.Categories().Markets[2].RSBase.Set("MKTIDX");
    EXPECT_EQ(db.BaseIndexStock(*s, "WIG"), mkt);
    db.Categories().Industries[9].RSBase.Set("NOSUCH");
    EXPECT_EQ(db.BaseIndexStock(*s, "WIG"), mkt);
    db.Categories().Groups[4].RSBase.Set("grpidx");
    EXPECT_EQ(db.BaseIndexStock(*s, "WIG"), grp);
}

TEST(FixedText, CutsWithoutSplittingUtf8) {
    FixedText<8> f;
    f.Set("abcdef\xC3\xA9xyz");  // é would straddle the 7-byte limit
    EXPECT_EQ(f.View(), "abcdef");
    f.Set("abcde\xC3\xA9xyz");
    EXPECT_EQ(f.View(), "abcde\xC3\xA9");
    std::memset(f.bytes.data(), 'x', 8);
    f.Terminate();
    EXPECT_EQ(f.View(), "xxxxxxx");
}

}  // namespace
// The index an import checks its new tickers with answers as the check over every stock does,
// the stocks it is told of included.
TEST(TickerFileIndex, AnswersAsTheCheckOverEveryStock) {
    Database db;
    for (const char* ticker : {"A_B", "a/b", "Beta", "_x", "ZZZ"}) db.AddStock(ticker);
    TickerFileIndex index(db);
    index.Added(*db.AddStock("New"));
    for (const char* ticker : {"A|B", "a_b", "BETA", "beta2", ".x", "AAA.zzz", "NEW", "zzz", "C"}) {
        EXPECT_EQ(index.Check(ticker).ToString(), CheckTickerFile(db, ticker).ToString()) << ticker;
    }
    EXPECT_EQ(index.Check("A|B").ToString(),
              "the ticker \"A|B\" would be stored in \"A_B\", the file of the stock \"a/b\"");
    EXPECT_FALSE(index.Check("new").IsOk());
    EXPECT_TRUE(index.Check("C").IsOk());
}

}  // namespace velmora
