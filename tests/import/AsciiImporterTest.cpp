#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "common/TestSupport.h"
#include "database/Composites.h"
#include "import/AsciiImporter.h"
#include "platform/ConsoleUserInterface.h"

namespace velmora {
namespace {

class AsciiImport : public ::testing::Test {
  protected:
    AsciiImport() : importer(db, ui, profile.path(), "WIG") {}

    // Writes the format file and the data file, then imports.
    int Import(const std::string& format, const std::string& data,
               const std::string& dataName = "DATA.txt") {
        if (!format.empty()) test::WriteText(profile / "test.format", format);
        test::WriteText(files / dataName, data);
        return importer.ImportAsciiFile(files / dataName, format.empty() ? "" : "test.format");
    }

    const Quotation* Quote(const std::string& ticker, int y, int m, int d) {
        Stock* s = db.FindStock(ticker);
        return s == nullptr ? nullptr : Database::FindQuotation(*s, MakeDate(y, m, d));
    }

    std::string Log() {
        return std::filesystem::exists(importer.LogPath()) ? test::ReadText(importer.LogPath())
                                                           : "";
    }

    test::TempDir profile, files;
    Database db;
    RecordingUserInterface ui;
    AsciiImporter importer;
};

TEST_F(AsciiImport, FileNameIsTheTickerWithTheBuiltInFieldList) {
    db.AddStock("ABC");
    ASSERT_EQ(Import("", "12/31/1999 10 11 9 10.5 1200\n01/03/2000 10.5 12 10 11 900\n", "ABC.txt"),
              kAsciiImportDone);
    const Quotation* q = Quote("ABC", 1999, 12, 31);
    ASSERT_NE(q, nullptr);
    EXPECT_FLOAT_EQ(q->Open, 10);
    EXPECT_FLOAT_EQ(q->High, 11);
    EXPECT_FLOAT_EQ(q->Low, 9);
    EXPECT_FLOAT_EQ(q->Close, 10.5f);
    EXPECT_EQ(q->Volume, 1200);
    EXPECT_EQ(db.FindStock("ABC")->Quotations.size(), 2u);
    EXPECT_EQ(importer.LastStats().storedLines, 2);
    EXPECT_EQ(ui.statusTexts.back(), "Ready");
    EXPECT_EQ(ui.progressPercents.back(), 100);
}

TEST_F(AsciiImport, TickerFirstCommaLineForAnExistingStock) {
    db.AddStock("ABC");
    ASSERT_EQ(Import("$SEPARATOR ,\n$FORMAT TICKER DATE_YMD OPEN HIGH LOW CLOSE VOLUME\n",
                     "ABC,20001031,10,11,9,10.5,1200\nXYZ,20001031,1,1,1,1,1\n"),
              kAsciiImportDone);
    const Quotation* q = Quote("ABC", 2000, 10, 31);
    ASSERT_NE(q, nullptr);
    EXPECT_FLOAT_EQ(q->Close, 10.5f);
    EXPECT_EQ(q->Volume, 1200);
    // Without auto add the unknown stock is an error line and is not created.
    EXPECT_EQ(db.FindStock("XYZ"), nullptr);
    EXPECT_EQ(importer.LastStats().errorLines, 1);
}

TEST_F(AsciiImport, QuotedTickerKeepsItsBlankAndAnUnterminatedLastTextIsEmpty) {
    ASSERT_EQ(Import("$SEPARATOR ,\n$AUTOADD 1\n$DEBUG 1\n"
                     "$FORMAT DATE_YMD CLOSE TICKER\n",
                     "20001031,5,\"AB C\",\n20001101,6,ABC\n"),
              kAsciiImportDone);
    ASSERT_NE(db.FindStock("AB C"), nullptr);
    EXPECT_EQ(db.StockCount(), 1);
    EXPECT_NE(Quote("AB C", 2000, 10, 31), nullptr);
    // The second line's ticker has no separator after it: empty, an error line.
    EXPECT_EQ(importer.LastStats().errorLines, 1);
    const std::string log = Log();
    EXPECT_NE(log.find("\nLogging started for '"), std::string::npos);
    EXPECT_NE(log.find("Error in line 2: 20001101,6,ABC\nTicker name is empty (unknown)\n"),
              std::string::npos);
}

TEST_F(AsciiImport, OnlyACloseFillsOpenHighLow) {
    db.AddStock("S");
    ASSERT_EQ(Import("$NAME S\n$FORMAT DATE_YMD CLOSE\n", "2001-02-03 7.25\n"), kAsciiImportDone);
    const Quotation* q = Quote("S", 2001, 2, 3);
    ASSERT_NE(q, nullptr);
    EXPECT_FLOAT_EQ(q->Open, 7.25f);
    EXPECT_FLOAT_EQ(q->High, 7.25f);
    EXPECT_FLOAT_EQ(q->Low, 7.25f);
}

TEST_F(AsciiImport, ZeroCloseIsAnErrorLineAndBreakOnErrorStopsReading) {
    db.AddStock("S");
    ASSERT_EQ(Import("$NAME S\n$DEBUG 1\n$FORMAT DATE_YMD CLOSE\n",
                     "2001-02-01 1\n2001-02-02 0\n2001-02-03 3\n"),
              kAsciiImportDone);
    EXPECT_NE(Quote("S", 2001, 2, 3), nullptr);
    EXPECT_EQ(Quote("S", 2001, 2, 2), nullptr);
    EXPECT_NE(Log().find("Error in line 2: 2001-02-02 0\nInvalid (close) price\n"),
              std::string::npos);

    db.RemoveStock("S");
    db.AddStock("S");
    ASSERT_EQ(Import("$NAME S\n$BREAKONERR 1\n$FORMAT DATE_YMD CLOSE\n",
                     "2001-02-01 1\n2001-02-02 0\n2001-02-03 3\n"),
              kAsciiImportDone);
    EXPECT_NE(Quote("S", 2001, 2, 1), nullptr);
    EXPECT_EQ(Quote("S", 2001, 2, 3), nullptr);
    EXPECT_TRUE(importer.LastStats().stopped);
}

TEST_F(AsciiImport, HybridMergesLinesOfOneDay) {
    db.AddStock("S");
    ASSERT_EQ(Import("$NAME S\n$HYBRID 1\n$SEPARATOR ,\n$FORMAT DATE_YMD OPEN HIGH LOW CLOSE "
                     "VOLUME INFO\n",
                     "2001-02-01,10,12,9,11,100,nk,\n2001-02-01,11.5,13,9.5,12.5,50,rs,\n"),
              kAsciiImportDone);
    ASSERT_EQ(db.FindStock("S")->Quotations.size(), 1u);
    const Quotation* q = Quote("S", 2001, 2, 1);
    EXPECT_FLOAT_EQ(q->Open, 10);
    EXPECT_FLOAT_EQ(q->High, 13);
    EXPECT_FLOAT_EQ(q->Low, 9);
    EXPECT_FLOAT_EQ(q->Close, 12.5f);
    EXPECT_EQ(q->Volume, 150);
    EXPECT_EQ(q->Mark, 1);  // the stored mark stays

    // Without hybrid the second line replaces the first.
    ASSERT_EQ(Import("$NAME S\n$SEPARATOR ,\n$FORMAT DATE_YMD OPEN HIGH LOW CLOSE VOLUME\n",
                     "2001-02-01,11.5,13,9.5,12.5,50\n"),
              kAsciiImportDone);
    EXPECT_EQ(Quote("S", 2001, 2, 1)->Volume, 50);
    EXPECT_FLOAT_EQ(Quote("S", 2001, 2, 1)->Open, 11.5f);
}

TEST_F(AsciiImport, UnknownKeywordEndsWithThreeAndMissingDataFileWithFour) {
    EXPECT_EQ(Import("$FORMAT DATE_YMD PRICE\n", "2001-02-01 1\n"), kAsciiImportUnknownKeyword);
    // The $FORMAT of a data file counts as well; lines before it were stored.
    db.AddStock("S");
    EXPECT_EQ(Import("$NAME S\n$FORMAT DATE_YMD CLOSE\n",
                     "2001-02-01 1\n$FORMAT DATE_YMD CLOSEX BOGUS\n2001-02-02 2\n"),
              kAsciiImportUnknownKeyword);
    EXPECT_NE(Quote("S", 2001, 2, 1), nullptr);
    EXPECT_EQ(Quote("S", 2001, 2, 2), nullptr);
    EXPECT_EQ(importer.ImportAsciiFile(files / "missing.txt"), kAsciiImportCannotOpen);
    EXPECT_EQ(importer.ImportAsciiFile(files.path()), kAsciiImportCannotOpen);
    // A missing format file is passed over: the built-in field list applies.
    db.AddStock("T");
    test::WriteText(files / "T.txt", "01/02/2001 1 2 0.5 1.5 10\n");
    EXPECT_EQ(importer.ImportAsciiFile(files / "T.txt", "nonexistent.format"), kAsciiImportDone);
    EXPECT_NE(Quote("T", 2001, 1, 2), nullptr);
}

TEST_F(AsciiImport, KeywordsTakeTheLongestMatchAndFractions) {
    db.AddStock("S");
    ASSERT_EQ(Import("$NAME S\n$SEPARATOR ,\n"
                     "$format date_ymd, openint close vol1000 REDUCTION info\n",
                     "2001-02-01,77,12 3/8,2.5,40,ns,\n2001-02-02,5,10 1\\2,1,0,q,\n"),
              kAsciiImportDone);
    const Quotation* q = Quote("S", 2001, 2, 1);
    ASSERT_NE(q, nullptr);
    EXPECT_EQ(q->OpenInt, 77);
    // OPENINT is not OPEN: the open comes from the close.
    EXPECT_FLOAT_EQ(q->Open, 12.37f);
    EXPECT_FLOAT_EQ(q->Close, 12.37f);
    EXPECT_EQ(q->Volume, 2500);
    EXPECT_EQ(q->Reduction, 40);
    EXPECT_EQ(q->Mark, 2);
    EXPECT_FLOAT_EQ(Quote("S", 2001, 2, 2)->Close, 10.5f);
    EXPECT_EQ(Quote("S", 2001, 2, 2)->Mark, 'q');
}

TEST_F(AsciiImport, AutoAddAppliesCategoriesAndOverwriteChangesExisting) {
    Stock* existing = db.AddStock("OLD");
    existing->FullName.Set("Old Name");
    ASSERT_EQ(Import("$AUTOADD 1\n$MARKET 3\n$GROUP 7\n$INDUSTRY 12\n$CONT 1\n"
                     "$FULLNAME A Fine Company\n$SEPARATOR ,\n$FORMAT TICKER DATE_YMD CLOSE\n",
                     "NEW,2001-02-01,5\nOLD,2001-02-01,6\n"),
              kAsciiImportDone);
    Stock* added = db.FindStock("NEW");
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(GetMarketID(*added), 3);
    EXPECT_EQ(GetGroupID(*added), 7);
    EXPECT_EQ(added->IndustryID, 12);
    EXPECT_TRUE(GetContinuous(*added));
    EXPECT_EQ(added->FullName.View(), "A Fine Company");
    EXPECT_EQ(existing->FullName.View(), "Old Name");
    EXPECT_EQ(GetMarketID(*existing), 0);
    EXPECT_EQ(importer.LastStats().addedStocks, 1);

    ASSERT_EQ(Import("$OVERWRITE 1\n$MARKET 4\n$CONT 0\n$SEPARATOR ,\n"
                     "$FORMAT TICKER DATE_YMD CLOSE FULLNAME\n",
                     "OLD,2001-02-02,6,\"Renamed, Inc.\",\n"),
              kAsciiImportDone);
    EXPECT_EQ(GetMarketID(*existing), 4);
    EXPECT_FALSE(GetContinuous(*existing));
    EXPECT_EQ(existing->FullName.View(), "Renamed, Inc.");
}

TEST_F(AsciiImport, LongTickersAreCutOnceAndAddedOnce) {
    ASSERT_EQ(Import("$AUTOADD 1\n$SEPARATOR ,\n$FORMAT TICKER DATE_YMD CLOSE\n",
                     "ABCDEFGHIJKLMNOPQRST,2001-02-01,5\nABCDEFGHIJKLMNOPQRST,2001-02-02,6\n"),
              kAsciiImportDone);
    EXPECT_EQ(db.StockCount(), 1);
    ASSERT_NE(db.FindStock("ABCDEFGHIJKLMNO"), nullptr);
    EXPECT_EQ(db.FindStock("ABCDEFGHIJKLMNO")->Quotations.size(), 2u);
}

TEST_F(AsciiImport, AppendFieldsExtendTheTickerForOneLine) {
    db.AddStock("BASE-A");
    db.AddStock("-B");
    ASSERT_EQ(Import("$NAME BASE\n$SEPARATOR ,\n$FORMAT APPENDTICKER DATE_YMD CLOSE\n",
                     "-A,2001-02-01,5\n-B,2001-02-01,6\n"),
              kAsciiImportDone);
    EXPECT_NE(Quote("BASE-A", 2001, 2, 1), nullptr);
    // The ticker was cleared after the first line, so the second is "-B" alone.
    EXPECT_NE(Quote("-B", 2001, 2, 1), nullptr);
}

TEST_F(AsciiImport, CommandsKeepStateAndAFixedDateApplies) {
    db.AddStock("S");
    ASSERT_EQ(Import("$NAME S\n$FORMAT CLOSE VOLUME\n$VOLFACTOR 10\n$PRICEFACTOR 0.5\n"
                     "  # comment\n* comment\n; comment\n\n$AUTOADD\n$NAME\n",
                     "$DATE_DMY 05.03.2001\n4 7\n$date_mdy 03/06/2001\n8 0\n"),
              kAsciiImportDone);
    EXPECT_EQ(db.StockCount(), 1);  // the bare $NAME and $AUTOADD changed nothing
    const Quotation* q = Quote("S", 2001, 3, 5);
    ASSERT_NE(q, nullptr);
    EXPECT_FLOAT_EQ(q->Close, 2);
    EXPECT_EQ(q->Volume, 70);
    EXPECT_FLOAT_EQ(Quote("S", 2001, 3, 6)->Close, 4);
}

TEST_F(AsciiImport, FactorsOutsideTheirRangeRefuseTheLinesReadUnderThem) {
    db.AddStock("S");
    // Both ends of the range are taken; beyond either, the lines under the factor are refused.
    ASSERT_EQ(Import("$NAME S\n$DEBUG 1\n$FORMAT DATE_YMD CLOSE VOLUME\n",
                     "$PRICEFACTOR 0.000001\n2001-02-01 4000000 1\n"
                     "$PRICEFACTOR 1000000\n$VOLFACTOR 0.000001\n2001-02-02 0.5 3500000\n"
                     "$PRICEFACTOR 0\n2001-02-03 4 1\n"
                     "$PRICEFACTOR 1\n$VOLFACTOR 1000001\n2001-02-04 4 1\n"),
              kAsciiImportDone);
    EXPECT_FLOAT_EQ(Quote("S", 2001, 2, 1)->Close, 4);
    EXPECT_FLOAT_EQ(Quote("S", 2001, 2, 2)->Close, 500000);
    EXPECT_EQ(Quote("S", 2001, 2, 2)->Volume, 3);
    EXPECT_EQ(Quote("S", 2001, 2, 3), nullptr);
    EXPECT_EQ(Quote("S", 2001, 2, 4), nullptr);
    EXPECT_EQ(importer.LastStats().errorLines, 2);
    EXPECT_NE(Log().find("outside 1e-06 to 1e+06"), std::string::npos) << Log();
}

TEST_F(AsciiImport, TurnoverGivesTheVolumeAndOverflowIsClamped) {
    db.AddStock("S");
    ASSERT_EQ(Import("$NAME S\n$DEBUG 1\n$SEPARATOR ,\n$FORMAT DATE_YMD CLOSE TURNOVER VOLUME\n",
                     "2001-02-01,4,800,0\n2001-02-02,4,0,9e12\n2001-02-03,4,0,-9e12\n"),
              kAsciiImportDone);
    EXPECT_EQ(Quote("S", 2001, 2, 1)->Volume, 100);  // 800 / (2 x 4)
    EXPECT_EQ(Quote("S", 2001, 2, 2)->Volume, 2147483647);
    EXPECT_EQ(Quote("S", 2001, 2, 3)->Volume, -2147483647 - 1);
    EXPECT_EQ(importer.LastStats().clampedVolumes, 2);
    EXPECT_NE(Log().find("Volume clamped in line 2: 2001-02-02,4,0,9e12\n"), std::string::npos);
}

TEST_F(AsciiImport, AdvanceDeclineLines) {
    ASSERT_EQ(Import("$SEPARATOR ,\n$FORMAT DATE_YMD MARKET ADVISSUES DECISSUES UNCISSUES "
                     "ADVVOLUME DECVOLUME UNCVOLUME\n",
                     "2001-02-01,2,10,5,3,1000,500,300\n2001-02-02,2,0,0,0,1,1,1\n"
                     "2001-02-03,300,1,1,1,1,1,1\n"),
              kAsciiImportDone);
    Market& m = db.Categories().Markets[2];
    ASSERT_EQ(m.ADQuotations.size(), 1u);
    const ADQuotation& r = m.ADQuotations[0];
    EXPECT_EQ(r.Date, MakeDate(2001, 2, 1));
    EXPECT_EQ(r.AdvIssues, 10);
    EXPECT_EQ(r.DecIssues, 5);
    EXPECT_EQ(r.UncIssues, 3);
    EXPECT_FLOAT_EQ(r.AdvVolume, 1000);
    EXPECT_FLOAT_EQ(r.DecVolume, 500);
    EXPECT_FLOAT_EQ(r.UncVolume, 300);
    // No counts: not an advance/decline line, and with no ticker no quotation; market 300 does
    // not exist.
    EXPECT_EQ(importer.LastStats().storedLines, 1);
    EXPECT_EQ(importer.LastStats().errorLines, 2);
}

TEST_F(AsciiImport, SkipLinesAndTheLogOfMissingStocks) {
    ASSERT_EQ(Import("$SKIPLINES 2\n$DEBUG 1\n$NAME NOPE\n$FORMAT DATE_YMD CLOSE\n",
                     "garbage\nmore garbage\n2001-02-01 1\n"),
              kAsciiImportDone);
    EXPECT_EQ(importer.LastStats().dataLines, 1);
    EXPECT_NE(Log().find("'NOPE' - this stock/ticker does not exist in the database\n"),
              std::string::npos);
}

TEST_F(AsciiImport, HostileBytesGiveErrorLinesNeverGarbage) {
    db.AddStock("S");
    std::string data = "$NAME S\n$DEBUG 1\n$FORMAT DATE_YMD CLOSE\n";
    data += "2001-02-01 1" + std::string(300, ' ') + "\n";  // too long
    data += std::string("2001-02-02 2\0junk\n", 18);        // a NUL byte
    data += "2001-02-03 1e39\n";                            // beyond a float
    data += "2001-02-04 4\r\n";                             // CRLF is fine
    for (int i = 0; i < 256; ++i) data += static_cast<char>(i);
    data += "\n\"unterminated\n2001-02-05 5";  // last line without its line end
    ASSERT_EQ(Import("", data), kAsciiImportDone);
    Stock* s = db.FindStock("S");
    ASSERT_EQ(s->Quotations.size(), 2u);
    EXPECT_EQ(s->Quotations[0].Date, MakeDate(2001, 2, 4));
    EXPECT_EQ(s->Quotations[1].Date, MakeDate(2001, 2, 5));
    const std::string log = Log();
    EXPECT_NE(log.find("Line longer than 254 characters\n"), std::string::npos);
    EXPECT_NE(log.find("Line contains a NUL character\n"), std::string::npos);
    EXPECT_NE(log.find("Number out of range\n"), std::string::npos);

    // An empty data file is noted in the log.
    ASSERT_EQ(Import("$DEBUG 1\n", ""), kAsciiImportDone);
    EXPECT_NE(Log().find("The data file holds no data lines\n"), std::string::npos);
}

TEST_F(AsciiImport, RecalculationAtTheEndComputesComposites) {
    db.Categories().Markets[0].CompositesBase.Set("IDX");
    Stock* idx = db.AddStock("IDX");
    idx->Flags |= Stock::kIndexFlag;
    ASSERT_EQ(Import("$AUTOADD 1\n$MARKET 0\n$RECALCAD 1\n$RECALCVOL 1\n$SEPARATOR ,\n"
                     "$FORMAT TICKER DATE_YMD CLOSE VOLUME\n",
                     "IDX,2001-02-01,100,0\nIDX,2001-02-02,101,0\n"
                     "A,2001-02-01,10,5\nA,2001-02-02,11,7\n"
                     "B,2001-02-01,10,3\nB,2001-02-02,9,4\n"),
              kAsciiImportDone);
    EXPECT_EQ(Quote("IDX", 2001, 2, 2)->Volume, 11);
    EXPECT_EQ(Quote("IDX", 2001, 2, 1)->Volume, 8);
    ADQuotation* r = Database::FindADQuotation(db.Categories().Markets[0], MakeDate(2001, 2, 2));
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->AdvIssues, 1);
    EXPECT_EQ(r->DecIssues, 1);
    EXPECT_FLOAT_EQ(r->AdvVolume, 7);
}

TEST_F(AsciiImport, StatusAndProgressEverySixtyFourLines) {
    db.AddStock("S");
    std::string data;
    for (int d = 1; d <= 130; ++d) {
        data += "2001-01-01 " + std::to_string(d) + "\n";
    }
    ASSERT_EQ(Import("$NAME S\n$FORMAT DATE_YMD CLOSE\n", data, "S.txt"), kAsciiImportDone);
    int importing = 0;
    for (const auto& t : ui.statusTexts)
        importing += t == "Importing " + (files / "S.txt").string();
    EXPECT_EQ(importing, 2);
    ASSERT_EQ(ui.progressPercents.size(), 3u);
    EXPECT_GT(ui.progressPercents[0], 40);
    EXPECT_LT(ui.progressPercents[0], 55);
    EXPECT_EQ(ui.progressPercents[2], 100);
}

}  // namespace
// Lines are decoded a batch ahead on other threads: with every kind of line, in batches that
// a format change crosses, the database, the log, the counts and the progress are those of one
// thread.
TEST(AsciiImportThreads, ManyThreadsGiveTheOutcomeOfOne) {
    test::TempDir files;
    std::string data;
    for (int i = 0; i < 30000; ++i) {
        const std::string ticker = "T" + std::to_string(i % 7 == 0 ? i % 5 : i / 1000);
        const int day = 1 + i % 28, month = 1 + i / 28 % 12;
        const std::string text =
            ticker + "," + std::to_string(2000 + i / 336) + (month < 10 ? "0" : "") +
            std::to_string(month) + (day < 10 ? "0" : "") + std::to_string(day) + "," +
            std::to_string(10 + i % 13) + ".25," + std::to_string(i % 17 == 0 ? 0 : 12) + ",9," +
            std::to_string(i % 19 == 0 ? 0 : 11) + "," +
            std::to_string(i % 23 == 0 ? 1e10 : 1000.0 + i) + "\r\n";
        data += i % 101 == 0 ? text + text : text;
        if (i % 997 == 0) data += "T1,20201301,1,1,1,1,1\n" + std::string(300, 'x') + "\n";
        if (i == 12000) data += "$SEPARATOR ;\n";
        if (i == 14000) data += "$SEPARATOR ,\n$FORMAT SKIP DATE_YMD OPEN HIGH LOW CLOSE\n";
        if (i == 14000) data += "$TICKER T2\n";
        if (i == 20500) data += "$FORMAT TICKER DATE_YMD OPEN HIGH LOW CLOSE VOLUME\n";
    }
    test::WriteText(files / "DATA.txt", data);
    const auto run = [&](int threads) {
        test::TempDir profile;
        test::WriteText(profile / "test.format",
                        "$SEPARATOR ,\n$FORMAT TICKER DATE_YMD OPEN HIGH LOW CLOSE VOLUME\n"
                        "$AUTOADD 1\n");
        Database db;
        RecordingUserInterface ui;
        AsciiImporter importer(db, ui, profile.path(), "WIG");
        importer.SetThreads(threads);
        EXPECT_EQ(importer.ImportAsciiFile(files / "DATA.txt", "test.format"), kAsciiImportDone);
        const AsciiImportStats& st = importer.LastStats();
        std::string outcome = test::ReadText(importer.LogPath());
        char line[160];
        std::snprintf(line, sizeof line, "%d %d %d %d %d %d %d %d\n", st.dataLines, st.storedLines,
                      st.errorLines, st.clampedVolumes, st.replacedLines, st.warningLines,
                      st.addedStocks, static_cast<int>(ui.statusTexts.size()));
        outcome += line;
        for (const int percent : ui.progressPercents) outcome += std::to_string(percent) + " ";
        for (const auto& s : db.Stocks()) {
            outcome += std::string(s->TickerText()) + " " + std::to_string(s->Serial) + "\n";
            for (const Quotation& q : s->Quotations) {
                std::snprintf(line, sizeof line, "%u %a %a %a %a %d %d\n",
                              static_cast<unsigned>(q.Date), q.Open, q.High, q.Low, q.Close,
                              q.Volume, q.OpenInt);
                outcome += line;
            }
        }
        return outcome;
    };
    const std::string one = run(1);
    for (const char* logged : {"Error in line 3: T1,20201301", "Line longer than 254",
                               "Replaced in", "Volume clamped in", "Warning in"}) {
        EXPECT_NE(one.find(logged), std::string::npos) << logged;
    }
    // The first difference, not the whole text (a diff of two long texts takes too long).
    const std::string many = run(3);
    const std::size_t at = static_cast<std::size_t>(
        std::mismatch(one.begin(), one.end(), many.begin(), many.end()).first - one.begin());
    EXPECT_EQ(many.substr(at, 160), one.substr(at, 160)) << "from byte " << at;
    EXPECT_EQ(many.size(), one.size());
}

}  // namespace velmora
