#include <gtest/gtest.h>

#include "app/QuotationEditor.h"

namespace velmora {
namespace {

struct EditorTest : ::testing::Test {
    Database db;
    QuotationEditor editor{db};
    int changes = 0;

    EditorTest() {
        editor.SetChangedHandler([this] { ++changes; });
        Stock* a = db.AddStock("AAA");
        Quotation* q = db.AddQuotation(*a, MakeDate(2020, 1, 2));
        q->Close = 10.5f;
        q->Open = 10;
        q->High = 11;
        q->Low = 9.25f;
        q->Volume = 1200;
        db.AddQuotation(*a, MakeDate(2020, 1, 3))->Close = 11;
        db.AddStock("BBB");
    }
    QuotationEditFields Fields(const std::string& ticker, PackedDate date, float close,
                               float open = 0, float high = 0, float low = 0) {
        QuotationEditFields f;
        f.Ticker = ticker;
        f.Date = date;
        f.Close = close;
        f.Open = open;
        f.High = high;
        f.Low = low;
        return f;
    }
};

TEST_F(EditorTest, MissingOpenHighLowAreCompletedFromCloseAndOpen) {
    auto f = Fields("AAA", MakeDate(2020, 2, 1), 12.5f);
    ASSERT_TRUE(ApplyEditFields(db, f));
    const Quotation* q = Database::FindQuotation(*db.FindStock("AAA"), MakeDate(2020, 2, 1));
    ASSERT_NE(q, nullptr);
    EXPECT_FLOAT_EQ(q->Open, 12.5f);
    EXPECT_FLOAT_EQ(q->High, 12.5f);
    EXPECT_FLOAT_EQ(q->Low, 12.5f);

    f = Fields("aaa", MakeDate(2020, 2, 2), 10, 12);
    ASSERT_TRUE(ApplyEditFields(db, f));
    q = Database::FindQuotation(*db.FindStock("AAA"), MakeDate(2020, 2, 2));
    EXPECT_FLOAT_EQ(q->High, 12);
    EXPECT_FLOAT_EQ(q->Low, 10);

    f = Fields("AAA", MakeDate(2020, 2, 3), 10, 8, 0, 9);  // a given low stays
    ASSERT_TRUE(ApplyEditFields(db, f));
    EXPECT_FLOAT_EQ(f.High, 10);
    EXPECT_FLOAT_EQ(f.Low, 9);
}

TEST_F(EditorTest, ACloseOfZeroOrBelowOrAnUnknownTickerStoresNothing) {
    const auto count = db.FindStock("AAA")->Quotations.size();
    auto f = Fields("AAA", MakeDate(2020, 2, 1), 0, 5);
    EXPECT_FALSE(ApplyEditFields(db, f));
    f = Fields("AAA", MakeDate(2020, 2, 1), -3);
    EXPECT_FALSE(ApplyEditFields(db, f));
    f = Fields("NOPE", MakeDate(2020, 2, 1), 3);
    EXPECT_FALSE(ApplyEditFields(db, f));
    f = Fields("AAA", kNoDate, 3);
    EXPECT_FALSE(ApplyEditFields(db, f));
    EXPECT_EQ(db.FindStock("AAA")->Quotations.size(), count);
}

TEST_F(EditorTest, CurrentStockModeListsNewestFirstWithItsFormats) {
    editor.Load(db.FindStock("AAA"), kNoDate);
    EXPECT_FALSE(editor.DatePickerEnabled());
    ASSERT_EQ(editor.Rows().size(), 2u);
    EXPECT_EQ(editor.Rows()[0].Cells[QuotationEditorRow::kDate], "20-01-03");
    const auto& old = editor.Rows()[1].Cells;
    EXPECT_EQ(old[QuotationEditorRow::kTicker], "AAA");
    EXPECT_EQ(old[QuotationEditorRow::kClose], "10.5");
    EXPECT_EQ(old[QuotationEditorRow::kOpen], "10");
    EXPECT_EQ(old[QuotationEditorRow::kHigh], "11");
    EXPECT_EQ(old[QuotationEditorRow::kLow], "9.25");
    EXPECT_EQ(old[QuotationEditorRow::kVolume], "1200");
    EXPECT_EQ(old[QuotationEditorRow::kOpenInt], "0");
    EXPECT_EQ(editor.SelectedRow(), 0);
    EXPECT_FLOAT_EQ(editor.Fields().Close, 11);
}

TEST_F(EditorTest, LeavingAnEditedRowStoresItAndWritesItBack) {
    Stock* a = db.FindStock("AAA");
    a->Quotations[1].Mark = 3;
    a->Modified = false;
    editor.Load(a, kNoDate);
    editor.SelectRow(1);  // leaving an unedited row stores nothing
    EXPECT_EQ(changes, 0);
    EXPECT_FALSE(a->Modified);
    EXPECT_EQ(a->Quotations[1].Mark, 3);
    editor.Fields().Close = 20;
    editor.Fields().High = 0;
    editor.SelectRow(0);
    EXPECT_EQ(changes, 1);
    const Quotation* q = Database::FindQuotation(*db.FindStock("AAA"), MakeDate(2020, 1, 2));
    EXPECT_FLOAT_EQ(q->Close, 20);
    EXPECT_FLOAT_EQ(q->High, 20);  // the greater of close 20 and open 10
    const auto& row = editor.Rows()[1].Cells;
    EXPECT_EQ(row[QuotationEditorRow::kHigh], "20");
    EXPECT_EQ(row[QuotationEditorRow::kOpenInt], "0");  // a quotation's zero count is shown
}

TEST_F(EditorTest, SingleQuoteModeRowWithoutQuotationCreatesOneWhenFilled) {
    editor.Load(db.FindStock("AAA"), MakeDate(2020, 1, 2));
    editor.SetMode(QuotationEditorMode::SingleQuote);
    EXPECT_TRUE(editor.DatePickerEnabled());
    ASSERT_EQ(editor.Rows().size(), 2u);
    EXPECT_EQ(editor.Rows()[0].Cells[QuotationEditorRow::kClose], "10.5");
    const auto& empty = editor.Rows()[1].Cells;
    EXPECT_EQ(empty[QuotationEditorRow::kTicker], "BBB");
    EXPECT_EQ(empty[QuotationEditorRow::kDate], "20-01-02");
    EXPECT_EQ(empty[QuotationEditorRow::kClose], "");
    EXPECT_EQ(empty[QuotationEditorRow::kVolume], "");

    editor.SelectRow(1);
    editor.Fields().Close = 7;
    editor.SetPickedDate(MakeDate(2020, 1, 3));  // refills without storing
    EXPECT_TRUE(db.FindStock("BBB")->Quotations.empty());
    editor.SelectRow(1);
    editor.Fields().Close = 7;
    editor.SetMode(QuotationEditorMode::SingleQuote);  // a mode button applies the fields
    ASSERT_EQ(db.FindStock("BBB")->Quotations.size(), 1u);
    EXPECT_EQ(db.FindStock("BBB")->Quotations[0].Date, MakeDate(2020, 1, 3));
    EXPECT_EQ(editor.Rows()[1].Cells[QuotationEditorRow::kClose], "7");
}

TEST_F(EditorTest, RowCellsReadBackSafely) {
    QuotationEditorRow row;
    row.Cells = {"AAA", "2x-01-01", "1e999", "abc", "-2", "3.5", "99999999999", "-12"};
    const auto f = ReadEditFields(row);
    EXPECT_EQ(f.Date, kNoDate);
    EXPECT_EQ(f.Close, 0);
    EXPECT_EQ(f.Open, 0);
    EXPECT_EQ(f.High, -2);
    EXPECT_EQ(f.Low, 3.5f);
    EXPECT_EQ(f.Volume, 2147483647);
    EXPECT_EQ(f.OpenInt, -12);
}

}  // namespace
}  // namespace velmora
