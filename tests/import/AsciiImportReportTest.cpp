// What an ASCII import stores from real-world files and what it reports about them: four-digit
// years, byte-order marks.

#include <gtest/gtest.h>

#include <string>

#include "common/TestSupport.h"
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

}  // namespace
}  // namespace velmora
