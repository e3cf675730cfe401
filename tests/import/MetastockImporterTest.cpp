#include <gtest/gtest.h>

#include "MetastockFixture.h"
#include "import/MetastockImporter.h"
#include "platform/ConsoleUserInterface.h"
#include "platform/MemorySettingsStore.h"

namespace velmora {
namespace {

using Outcome = MetastockRowResult::Outcome;
using test::MsRecord;
using test::MsSecurity;

struct Fixture {
    test::TempDir dir;
    Database db;
    MemorySettingsStore settings;
    RecordingUserInterface ui;
    MetastockImporter importer{db, settings, ui};
};

const Quotation* QuoteOn(Database& db, const char* ticker, PackedDate date) {
    Stock* s = db.FindStock(ticker);
    return s ? Database::FindQuotation(*s, date) : nullptr;
}

TEST(MetastockImporter, RowsToggleFolderTextAndSetting) {
    Fixture f;
    EXPECT_EQ(f.importer.DataFolderText(), "<no data folder selected>");
    EXPECT_FALSE(f.importer.ImportEnabled());
    EXPECT_EQ(f.importer.StartDirectory(), "");
    test::WriteMaster(f.dir.path(), {{1, 5, "HLCX", "Five fields", 991231, 1001231},
                                     {12, 7, "OHLCX", "Seven fields", 50101, 1050228}});
    f.importer.ChooseFile(f.dir / "MASTER");
    EXPECT_EQ(f.settings.GetString("Paths", "Metastock"), f.dir.path().string());
    EXPECT_EQ(f.importer.StartDirectory(), f.dir.path().string());
    EXPECT_EQ(f.importer.DataFolderText(), f.dir.path().string());
    EXPECT_TRUE(f.importer.ImportEnabled());
    EXPECT_TRUE(f.ui.messages.empty());

    const auto& rows = f.importer.Rows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].ticker, "HLCX          ");
    EXPECT_EQ(rows[0].fullName, "Five fields     ");
    EXPECT_EQ(rows[0].format, "HLC");
    EXPECT_EQ(rows[0].from, " 991231");
    EXPECT_EQ(rows[0].to, " 001231");
    EXPECT_EQ(rows[0].value, 1 * 65536 + 5);
    EXPECT_EQ(rows[1].format, "OHLC");
    EXPECT_EQ(rows[1].from, " 050101");
    EXPECT_EQ(rows[1].value, 12 * 65536 + 7);
    EXPECT_EQ(rows[1].FileNumber(), 12);
    EXPECT_EQ(rows[1].Fields(), 7);
    EXPECT_TRUE(rows[0].checked && rows[1].checked);

    f.importer.SetChecked(1, false);
    f.importer.Toggle();
    EXPECT_FALSE(rows[0].checked);
    EXPECT_TRUE(rows[1].checked);
    f.importer.SetChecked(7, true);  // no such row: ignored
}

TEST(MetastockImporter, WindowsCodePageNamesBecomeUtf8) {
    Fixture f;
    test::WriteMaster(f.dir.path(), {{1, 7, "SOC", "Soci\xe9t\xe9 \x80 \x9d", 1, 2},
                                     {2, 7, "UTF",
                                      "Zak\xc5\x82"
                                      "ady",
                                      1, 2}});
    ASSERT_TRUE(f.importer.OpenFolder(f.dir.path()));
    EXPECT_EQ(MetastockImporter::Trimmed(f.importer.Rows()[0].fullName),
              "Soci\xc3\xa9t\xc3\xa9 \xe2\x82\xac ?");
    EXPECT_EQ(MetastockImporter::Trimmed(f.importer.Rows()[1].fullName),
              "Zak\xc5\x82"
              "ady");
}

TEST(MetastockImporter, FolderWithoutIndexShowsTheMessage) {
    Fixture f;
    test::WriteMaster(f.dir.path(), {{1, 5, "A", "", 1, 2}});
    ASSERT_TRUE(f.importer.OpenFolder(f.dir.path()));
    ASSERT_EQ(f.importer.Rows().size(), 1u);
    test::TempDir empty;
    EXPECT_FALSE(f.importer.OpenFolder(empty.path()));
    ASSERT_EQ(f.ui.messages.size(), 1u);
    EXPECT_EQ(f.ui.messages[0], "No 'MASTER' or 'EMASTER' file found\nin directory '" +
                                    empty.path().string() +
                                    "'.\nYou should select the directory\nwhere MASTER or "
                                    "EMASTER file is located\nalong with data files Fxx.DAT");
    EXPECT_TRUE(f.importer.Rows().empty());
    EXPECT_TRUE(f.importer.ImportEnabled());
    EXPECT_EQ(f.importer.DataFolderText(), empty.path().string());
}

TEST(MetastockImporter, FiveFieldSecurityCreatesContinuousStock) {
    Fixture f;
    test::WriteMaster(f.dir.path(), {{1, 5, "NEWCO", "New Company Ltd", 991231, 1001231}});
    test::WriteDataFile(f.dir.path(), 1, 5,
                        {{991231, 0, 11, 9, 10, 1500, 0}, {1001231, 0, 12.5f, 10, 12, 2500, 0}});
    ASSERT_TRUE(f.importer.OpenFolder(f.dir.path()));
    const auto summary = f.importer.Import();
    ASSERT_EQ(summary.rows.size(), 1u);
    EXPECT_FALSE(summary.cancelled);
    EXPECT_EQ(summary.rows[0].outcome, Outcome::Imported);
    EXPECT_TRUE(summary.rows[0].createdStock);
    EXPECT_EQ(summary.rows[0].stored, 2);

    Stock* s = f.db.FindStock("NEWCO");
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->FullName.Str(), "New Company Ltd");
    EXPECT_TRUE(GetContinuous(*s));
    EXPECT_TRUE(s->Modified);
    EXPECT_TRUE(f.db.WorkspaceDirty());
    ASSERT_EQ(s->Quotations.size(), 2u);
    EXPECT_EQ(s->Quotations[0].Date, MakeDate(1999, 12, 31));
    const Quotation& q = s->Quotations[1];
    EXPECT_EQ(q.Date, MakeDate(2000, 12, 31));
    EXPECT_EQ(q.Open, q.Close);
    EXPECT_EQ(q.Close, 12.0f);
    EXPECT_EQ(q.High, 12.5f);
    EXPECT_EQ(q.OpenInt, 0);
    EXPECT_EQ(q.Volume, 2500);

    // Progress: one step per checked row with the stock's ticker, then closed.
    ASSERT_EQ(f.ui.progress.steps.size(), 1u);
    EXPECT_EQ(f.ui.progress.steps[0].caption, "Import...");
    EXPECT_EQ(f.ui.progress.steps[0].detail, "NEWCO");
    EXPECT_EQ(f.ui.progress.closes, 1);
}

TEST(MetastockImporter, SecondImportOverwritesKeepingOneQuotationPerDate) {
    Fixture f;
    Stock* own = f.db.AddStock("KEEP");
    own->FullName.Set("Kept name");
    own->Flags = Stock::kIndexFlag;
    f.db.AddQuotation(*own, MakeDate(1990, 1, 2))->Close = 3;  // not in the file: stays

    test::WriteMaster(f.dir.path(), {{4, 7, "KEEP", "Other name", 1000103, 1000104}});
    test::WriteDataFile(f.dir.path(), 4, 7,
                        {{1000103, 1, 2, 1, 1.5f, 10, 0}, {1000104, 1, 3, 1, 2.5f, 20, 0}});
    ASSERT_TRUE(f.importer.OpenFolder(f.dir.path()));
    f.importer.Import();
    test::WriteDataFile(f.dir.path(), 4, 7,
                        {{1000103, 1, 2, 1, 1.75f, 11, 0}, {1000105, 2, 3, 2, 2.5f, 30, 0}});
    const auto summary = f.importer.Import();
    EXPECT_FALSE(summary.rows[0].createdStock);

    ASSERT_EQ(f.db.StockCount(), 1);
    EXPECT_EQ(own->FullName.Str(), "Kept name");
    EXPECT_EQ(own->Flags, Stock::kIndexFlag);
    EXPECT_FALSE(GetContinuous(*own));
    ASSERT_EQ(own->Quotations.size(), 4u);
    EXPECT_EQ(own->Quotations[0].Close, 3.0f);
    EXPECT_EQ(QuoteOn(f.db, "KEEP", MakeDate(2000, 1, 3))->Close, 1.75f);
    EXPECT_EQ(QuoteOn(f.db, "KEEP", MakeDate(2000, 1, 3))->Volume, 11);
    EXPECT_EQ(QuoteOn(f.db, "KEEP", MakeDate(2000, 1, 4))->Close, 2.5f);
    EXPECT_EQ(QuoteOn(f.db, "KEEP", MakeDate(2000, 1, 5))->Open, 2.0f);
}

TEST(MetastockImporter, AliasLongTickerAndBlankTicker) {
    Fixture f;
    Stock* target = f.db.AddStock("ORLEN");
    target->Alias.Set("PKN");
    f.db.AliasChanged();
    test::WriteMaster(f.dir.path(), {{1, 7, "PKN", "Via alias", 1000103, 1000103},
                                     {2, 7, "ABCDEFGHIJKLMN", "Long", 1000103, 1000103},
                                     {3, 7, "", "No ticker", 1000103, 1000103}});
    // EMASTER tickers may be longer than a stock's 15 bytes.
    test::WriteBytes(f.dir / "EMASTER",
                     test::EMasterBytes({{2, 7, "ABCDEFGHIJKLMNOPQR", "", 0, 0}}));
    for (int n : {1, 2, 3}) {
        test::WriteDataFile(f.dir.path(), n, 7, {{1000103, 1, 2, 1, 1.5f, 10, 0}});
    }
    ASSERT_TRUE(f.importer.OpenFolder(f.dir.path()));
    const auto summary = f.importer.Import();
    ASSERT_EQ(summary.rows.size(), 3u);
    EXPECT_EQ(summary.rows[0].ticker, "ORLEN");
    EXPECT_FALSE(summary.rows[0].createdStock);
    EXPECT_EQ(summary.rows[2].outcome, Outcome::NoTicker);
    EXPECT_EQ(f.db.FindStock("PKN"), nullptr);
    ASSERT_EQ(target->Quotations.size(), 1u);
    EXPECT_EQ(target->Quotations[0].Close, 1.5f);

    // The same long ticker through EMASTER twice ends up in one stock of 15 bytes.
    std::filesystem::remove(f.dir / "MASTER");
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(f.importer.OpenFolder(f.dir.path()));
        f.importer.Import();
    }
    EXPECT_EQ(f.db.StockCount(), 3);
    ASSERT_NE(f.db.FindStock("ABCDEFGHIJKLMNO"), nullptr);
}

TEST(MetastockImporter, UnreadableDataLeavesNoEmptyStock) {
    Fixture f;
    test::WriteMaster(
        f.dir.path(),
        {{1, 7, "MISSING", "", 1, 2}, {2, 6, "SIXFIELDS", "", 1, 2}, {3, 5, "GOOD", "", 1, 2}});
    test::WriteDataFile(f.dir.path(), 2, 7, {{1000103, 1, 2, 1, 1.5f, 10, 0}});
    test::WriteDataFile(f.dir.path(), 3, 5, {{1000103, 0, 2, 1, 1.5f, 10, 0}});
    ASSERT_TRUE(f.importer.OpenFolder(f.dir.path()));
    EXPECT_EQ(f.importer.Rows()[1].format, "OHLC");
    const auto summary = f.importer.Import();
    ASSERT_EQ(summary.rows.size(), 3u);
    EXPECT_EQ(summary.rows[0].outcome, Outcome::MissingDataFile);
    EXPECT_EQ(summary.rows[1].outcome, Outcome::UnsupportedFields);
    EXPECT_EQ(summary.rows[2].outcome, Outcome::Imported);
    EXPECT_EQ(f.db.StockCount(), 1);
    EXPECT_NE(f.db.FindStock("GOOD"), nullptr);
}

TEST(MetastockImporter, UncheckedRowsAndCancel) {
    Fixture f;
    std::vector<MsSecurity> list;
    for (int n = 1; n <= 4; ++n) {
        list.push_back({n, 5, "S" + std::to_string(n), "", 1, 2});
        test::WriteDataFile(f.dir.path(), n, 5, {{1000103, 0, 2, 1, 1.5f, 10, 0}});
    }
    test::WriteMaster(f.dir.path(), list);
    ASSERT_TRUE(f.importer.OpenFolder(f.dir.path()));
    f.importer.SetChecked(1, false);
    f.ui.progress.cancelAt = 3;
    const auto summary = f.importer.Import();
    EXPECT_TRUE(summary.cancelled);
    ASSERT_EQ(f.ui.progress.steps.size(), 3u);  // rows 0, 2 and the cancelled 3
    EXPECT_EQ(f.ui.progress.steps[1].index, 2);
    EXPECT_EQ(f.ui.progress.steps[1].total, 4);
    EXPECT_EQ(f.ui.progress.closes, 1);
    EXPECT_NE(f.db.FindStock("S1"), nullptr);
    EXPECT_EQ(f.db.FindStock("S2"), nullptr);
    EXPECT_NE(f.db.FindStock("S3"), nullptr);
    EXPECT_EQ(f.db.FindStock("S4"), nullptr);
}

TEST(MetastockImporter, IntradayRecordsBecomeDailyBarsAndUnknownLayoutsAreRefused) {
    Fixture f;
    // A time of day such as 093000 read as a price would be far above every real one.
    test::WriteEMaster(f.dir.path(), {{1, 7, "MIN", "Minute bars", 1010201, 1010202, 'I'},
                                      {2, 8, "MINOI", "With open interest", 1, 2, 'I'},
                                      {3, 6, "SIX", "Six fields", 1, 2, 'I'}});
    test::WriteDataFile(f.dir.path(), 1, 7,
                        {{1010201, 10, 11, 9, 10.5f, 100, 0, 93000},
                         {1010201, 10.5f, 12, 10, 11, 50, 0, 93100},
                         {1010201, 11, 11.5f, 8, 9, 70, 0, 160000},
                         {1010202, 9, 9.5f, 8.5f, 9.25f, 30, 0, 93000}},
                        true);
    test::WriteDataFile(f.dir.path(), 2, 8, {{1010201, 5, 6, 4, 5.5f, 10, 77, 93000}}, true);
    test::WriteDataFile(f.dir.path(), 3, 6, {{1010201, 93000, 6, 4, 5.5f, 10}});
    ASSERT_TRUE(f.importer.OpenFolder(f.dir.path()));
    const auto summary = f.importer.Import();
    ASSERT_EQ(summary.rows.size(), 3u);
    EXPECT_EQ(summary.rows[0].stored, 2);
    EXPECT_EQ(summary.rows[0].merged, 2);
    ASSERT_EQ(f.db.FindStock("MIN")->Quotations.size(), 2u);
    const Quotation* day = QuoteOn(f.db, "MIN", MakeDate(2001, 2, 1));
    EXPECT_FLOAT_EQ(day->Open, 10);
    EXPECT_FLOAT_EQ(day->High, 12);
    EXPECT_FLOAT_EQ(day->Low, 8);
    EXPECT_FLOAT_EQ(day->Close, 9);
    EXPECT_EQ(day->Volume, 220);
    EXPECT_EQ(MetastockRowText(summary.rows[0]),
              "2 quotations imported (new stock), 2 intraday records merged into daily bars");
    const Quotation* oi = QuoteOn(f.db, "MINOI", MakeDate(2001, 2, 1));
    ASSERT_NE(oi, nullptr);
    EXPECT_FLOAT_EQ(oi->Open, 5);
    EXPECT_EQ(oi->OpenInt, 77);
    EXPECT_EQ(summary.rows[2].outcome, Outcome::UnsupportedFields);
    EXPECT_EQ(MetastockRowText(summary.rows[2]),
              "layout not read (intraday records of 6 fields), skipped");
    EXPECT_EQ(f.db.FindStock("SIX"), nullptr);
}

TEST(MetastockImporter, TheCountIsOfStoredQuotationsWhenADateRepeats) {
    Fixture f;
    test::WriteMaster(f.dir.path(), {{1, 7, "DUP", "Duplicate", 1010201, 1010201}});
    test::WriteDataFile(f.dir.path(), 1, 7,
                        {{1010201, 1, 2, 0.5f, 1.5f, 10, 0}, {1010201, 3, 4, 2.5f, 3.5f, 20, 0}});
    ASSERT_TRUE(f.importer.OpenFolder(f.dir.path()));
    const auto summary = f.importer.Import();
    ASSERT_EQ(summary.rows.size(), 1u);
    EXPECT_EQ(summary.rows[0].stored, 1);
    EXPECT_EQ(summary.rows[0].replaced, 1);
    ASSERT_EQ(f.db.FindStock("DUP")->Quotations.size(), 1u);
    EXPECT_FLOAT_EQ(f.db.FindStock("DUP")->Quotations[0].Close, 3.5f);
    EXPECT_EQ(MetastockRowText(summary.rows[0]),
              "1 quotation imported (new stock), 1 record replaced an earlier record of the "
              "same date");
}

}  // namespace
}  // namespace velmora
