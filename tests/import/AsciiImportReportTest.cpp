// What an ASCII import stores from real-world files and what it reports about them: four-digit
// years, byte-order marks, clamped volumes, replaced lines, implausible bars and repairs.

#include <gtest/gtest.h>

#include <string>

#include "common/TestSupport.h"
#include "import/AsciiImportCommand.h"
#include "import/AsciiImporter.h"
#include "platform/ConsoleUserInterface.h"

namespace velmora {
namespace {

class AsciiImportReport : public ::testing::Test {
  protected:
    AsciiImportReport() : importer(db, ui, profile.path(), "WIG") {}

    int Import(const std::string& format, const std::string& data) {
        test::WriteText(profile / "test.format", format);
        test::WriteText(files / "S.txt", data);
        return importer.ImportAsciiFile(files / "S.txt", "test.format");
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

TEST_F(AsciiImportReport, FourDigitYearsAreStoredAsWrittenAndTwoDigitYearsKeepTheirRule) {
    std::string data;
    for (int year = 1950; year <= 2012; ++year) {
        data += std::to_string(year) + "-01-03," + std::to_string(year - 1900) + "\n";
    }
    data += "50-06-01,1\n51-06-01,2\n";
    ASSERT_EQ(Import("$SEPARATOR ,\n$AUTOADD 1\n$FORMAT DATE_YMD CLOSE\n", data), kAsciiImportDone);
    const Stock* s = db.FindStock("S");
    ASSERT_NE(s, nullptr);
    ASSERT_EQ(s->Quotations.size(), 65u);
    EXPECT_EQ(s->Quotations.front().Date, MakeDate(1950, 1, 3));
    EXPECT_FLOAT_EQ(s->Quotations.front().Close, 50);
    EXPECT_EQ(s->Quotations[1].Date, MakeDate(1951, 1, 3));
    EXPECT_EQ(s->Quotations[2].Date, MakeDate(1951, 6, 1));  // "51" is 1951
    EXPECT_EQ(s->Quotations[63].Date, MakeDate(2012, 1, 3));
    EXPECT_EQ(s->Quotations[64].Date, MakeDate(2050, 6, 1));  // "50" is 2050
    EXPECT_FLOAT_EQ(s->Quotations[63].Close, 112);
}

TEST_F(AsciiImportReport, ByteOrderMarksAreSkippedInFormatAndDataFiles) {
    const std::string bom = "\xEF\xBB\xBF";
    ASSERT_EQ(Import(bom + "$SEPARATOR ,\n$AUTOADD 1\n$DEBUG 1\n$FORMAT DATE_YMD CLOSE\n",
                     bom + "2001-02-01,5\n"),
              kAsciiImportDone);
    ASSERT_NE(db.FindStock("S"), nullptr);
    EXPECT_EQ(db.FindStock("S")->Quotations.size(), 1u);

    // A header line after the mark is logged without it.
    ASSERT_EQ(Import("$SEPARATOR ,\n$DEBUG 1\n$FORMAT DATE_YMD CLOSE\n",
                     bom + "Date,Close\n2001-02-02,6\n"),
              kAsciiImportDone);
    EXPECT_EQ(db.FindStock("S")->Quotations.size(), 2u);
    const std::string log = Log();
    EXPECT_NE(log.find("Date,Close"), std::string::npos);
    EXPECT_EQ(log.find(bom), std::string::npos);
}

TEST_F(AsciiImportReport, VolumesBeyond32BitsAreCountedAndLoggedWithoutDebug) {
    const std::string data = "2001-02-01,10,3e9\n2001-02-02,10,2147483647\n";
    ASSERT_EQ(Import("$SEPARATOR ,\n$AUTOADD 1\n$FORMAT DATE_YMD CLOSE VOLUME\n", data),
              kAsciiImportDone);
    const Stock* s = db.FindStock("S");
    EXPECT_EQ(s->Quotations[0].Volume, 2147483647);
    EXPECT_EQ(s->Quotations[1].Volume, 2147483647);
    EXPECT_EQ(importer.LastStats().clampedVolumes, 1);
    EXPECT_NE(Log().find("Volume clamped in line 1: 2001-02-01,10,3e9\n"), std::string::npos);
    EXPECT_EQ(Log().find("line 2:"), std::string::npos);

    ASSERT_EQ(Import("$SEPARATOR ,\n$VOLFACTOR 0.001\n$FORMAT DATE_YMD CLOSE VOLUME\n", data),
              kAsciiImportDone);
    EXPECT_EQ(s->Quotations[0].Volume, 3000000);
    EXPECT_EQ(importer.LastStats().clampedVolumes, 0);
}

TEST_F(AsciiImportReport, MinuteBarsReplaceEachOtherUnlessMerged) {
    const std::string bars =
        "2020-12-15 09:30,10,11,9,10.5,100\n2020-12-15 09:31,10.5,12,10,11,50\n"
        "2020-12-15 09:32,11,11.5,8,9,70\n2020-12-16 09:30,9,9.5,8.5,9.25,30\n";
    const std::string format =
        "$SEPARATOR ,\n$AUTOADD 1\n$FORMAT DATE_YMD OPEN HIGH LOW CLOSE VOLUME\n";
    ASSERT_EQ(Import(format, bars), kAsciiImportDone);
    const Stock* s = db.FindStock("S");
    ASSERT_EQ(s->Quotations.size(), 2u);
    EXPECT_FLOAT_EQ(s->Quotations[0].Open, 11);  // the last bar of the day, alone
    EXPECT_EQ(s->Quotations[0].Volume, 70);
    const AsciiImportStats& stats = importer.LastStats();
    EXPECT_EQ(stats.storedLines, 4);
    EXPECT_EQ(stats.replacedLines, 2);
    EXPECT_EQ(stats.intradayLines, 4);
    const std::string log = Log();
    EXPECT_NE(log.find("Replaced in line 3: 2020-12-15 09:32,11,11.5,8,9,70\n"
                       "Replaces the quotation an earlier line stored for the same date\n"
                       "The date carries a time of day: $HYBRID 1"),
              std::string::npos)
        << log;
    const auto notes = AsciiImportNotes(stats);
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0].rfind("2 lines replaced an earlier line of the same date: the file holds "
                             "intraday bars",
                             0),
              0u);

    // Merged: one daily bar, and a second import of the same lines replaces nothing of its own.
    db.RemoveStock("S");
    ASSERT_EQ(Import("$HYBRID 1\n" + format, bars), kAsciiImportDone);
    s = db.FindStock("S");
    ASSERT_EQ(s->Quotations.size(), 2u);
    const Quotation& day = s->Quotations[0];
    EXPECT_FLOAT_EQ(day.Open, 10);
    EXPECT_FLOAT_EQ(day.High, 12);
    EXPECT_FLOAT_EQ(day.Low, 8);
    EXPECT_FLOAT_EQ(day.Close, 9);
    EXPECT_EQ(day.Volume, 220);
    EXPECT_EQ(importer.LastStats().replacedLines, 0);
}

TEST_F(AsciiImportReport, ImplausibleBarsAndRepairsAreStoredWithWarnings) {
    const std::string data =
        "2001-01-01,10,10,10,10\n"
        "2001-01-02,10,9,11,10\n"                   // 2: high below low
        "2001-01-03,12,11,9,10\n"                   // 3: open above high
        "2001-01-04,10,11,9,8\n"                    // 4: close below low
        "2001-01-05,400,400,400,400\n"              // 5: exactly 50 times 8: plausible
        "2001-01-06,0,20001,0,20001\n"              // 6: more than 50 times; open, low completed
        "2001-01-07,400.02,400.02,400.02,400.02\n"  // 7: exactly 1/50 of 20001: plausible
        "2001-01-08,10,0,7,8\n"                     // 8: less than 1/50; high completed
        "2001-01-09,10,11,-1,10\n";                 // 9: low completed
    ASSERT_EQ(Import("$SEPARATOR ,\n$AUTOADD 1\n$FORMAT DATE_YMD OPEN HIGH LOW CLOSE\n", data),
              kAsciiImportDone);
    const Stock* s = db.FindStock("S");
    ASSERT_EQ(s->Quotations.size(), 9u);
    EXPECT_FLOAT_EQ(s->Quotations[5].Open, 20001);
    EXPECT_FLOAT_EQ(s->Quotations[5].Low, 20001);
    EXPECT_FLOAT_EQ(s->Quotations[7].High, 10);
    EXPECT_FLOAT_EQ(s->Quotations[8].Low, 10);
    const AsciiImportStats& stats = importer.LastStats();
    EXPECT_EQ(stats.storedLines, 9);
    EXPECT_EQ(stats.warningLines, 6);
    const std::string log = Log();
    EXPECT_NE(log.find("Warning in line 2: 2001-01-02,10,9,11,10\nHigh below low\n"
                       "Warning in line 3: 2001-01-03,12,11,9,10\nOpen outside low..high\n"
                       "Warning in line 4: 2001-01-04,10,11,9,8\nClose outside low..high\n"
                       "Warning in line 6: 2001-01-06,0,20001,0,20001\n"
                       "Close more than 50 times the previous close (400 on 2001-01-05)\n"
                       "Open not above 0: set to the close\n"
                       "Low not above 0: set to the smaller of open and close\n"
                       "Warning in line 8: 2001-01-08,10,0,7,8\n"
                       "Close less than 1/50 of the previous close (400.02 on 2001-01-07)\n"
                       "High not above 0: set to the larger of open and close\n"
                       "Warning in line 9: 2001-01-09,10,11,-1,10\n"
                       "Low not above 0: set to the smaller of open and close\n"),
              std::string::npos)
        << log;
}

}  // namespace
}  // namespace velmora
