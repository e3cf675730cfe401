// The format files shipped in resources/profile import their samples in resources/samples.

#include <gtest/gtest.h>

#include <filesystem>

#include "common/TestSupport.h"
#include "import/AsciiImportCommand.h"
#include "platform/ConsoleUserInterface.h"
#include "platform/MemorySettingsStore.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

fs::path Resources() {
    return test::TestDataDir().parent_path().parent_path() / "resources";
}

class ShippedFormats : public ::testing::Test {
  protected:
    ShippedFormats() { types = ReadImportTypes(Resources() / "profile" / "import.types"); }

    // Imports one sample with the import type whose format file is named.
    AsciiImportFileResult ImportSample(const std::string& sample, const std::string& format) {
        AsciiImportChoice choice;
        for (std::size_t i = 0; i < types.types.size(); ++i) {
            if (types.types[i].formatFile == format) choice.typeNumber = static_cast<int>(i) + 1;
        }
        EXPECT_NE(choice.typeNumber, 0) << format << " has no entry in import.types";
        choice.files = {Resources() / "samples" / sample};
        // The log goes to the profile directory: keep it out of the source tree.
        AsciiImporter local(db, ui, profile.path(), "WIG");
        for (const auto& entry : fs::directory_iterator(Resources() / "profile")) {
            fs::copy_file(entry.path(), profile / entry.path().filename().string(),
                          fs::copy_options::skip_existing);
        }
        auto results = RunAsciiImport(local, types, choice, ui, settings);
        EXPECT_EQ(results.size(), 1u);
        return results.empty() ? AsciiImportFileResult{} : results[0];
    }

    void ExpectQuote(const char* ticker, PackedDate date, float open, float high, float low,
                     float close, int volume) {
        Stock* s = db.FindStock(ticker);
        ASSERT_NE(s, nullptr) << ticker;
        const Quotation* q = Database::FindQuotation(*s, date);
        ASSERT_NE(q, nullptr) << ticker << " " << DateToText(date);
        EXPECT_FLOAT_EQ(q->Open, open);
        EXPECT_FLOAT_EQ(q->High, high);
        EXPECT_FLOAT_EQ(q->Low, low);
        EXPECT_FLOAT_EQ(q->Close, close);
        EXPECT_EQ(q->Volume, volume);
    }

    test::TempDir profile;
    Database db;
    RecordingUserInterface ui;
    MemorySettingsStore settings;
    ImportTypes types;
};

TEST_F(ShippedFormats, ImportTypesNameExistingFormatFiles) {
    ASSERT_GE(types.types.size(), 5u);
    for (const ImportType& t : types.types) {
        EXPECT_TRUE(fs::is_regular_file(Resources() / "profile" / t.formatFile)) << t.formatFile;
        EXPECT_EQ(t.filter.back(), '|');
    }
}

TEST_F(ShippedFormats, CommaSeparatedWithHeader) {
    const auto r = ImportSample("KORVEX.csv", "csv-ohlcv.format");
    EXPECT_EQ(r.status, kAsciiImportDone);
    EXPECT_EQ(r.stats.storedLines, 5);
    EXPECT_EQ(r.stats.errorLines, 1);  // the header line
    ExpectQuote("KORVEX", MakeDate(2024, 1, 2), 41.20f, 42.05f, 40.90f, 41.75f, 120300);
    ExpectQuote("KORVEX", MakeDate(2024, 1, 8), 42.50f, 42.90f, 41.80f, 42.10f, 87600);
}

TEST_F(ShippedFormats, CommaSeparatedWithAdjustedClose) {
    const auto r = ImportSample("MIRALD.csv", "csv-adjclose.format");
    EXPECT_EQ(r.stats.storedLines, 4);
    ExpectQuote("MIRALD", MakeDate(2024, 1, 3), 12.30f, 12.35f, 11.70f, 11.80f, 1024500);
}

TEST_F(ShippedFormats, TickerFirstDailyExportAddsStocks) {
    const auto r = ImportSample("daily-export.txt", "ticker-daily.format");
    EXPECT_EQ(r.stats.storedLines, 8);
    EXPECT_EQ(r.stats.addedStocks, 3);
    ExpectQuote("BRAVEN", MakeDate(2024, 1, 4), 18.05f, 18.30f, 17.90f, 18.25f, 38900);
    ExpectQuote("CELMIR", MakeDate(2024, 1, 2), 95.00f, 96.40f, 94.70f, 96.10f, 12050);
    ExpectQuote("DUNVAR.F", MakeDate(2024, 1, 3), 1515.0f, 1520.0f, 1490.5f, 1494.0f, 410);
    EXPECT_EQ(Database::FindQuotation(*db.FindStock("DUNVAR.F"), MakeDate(2024, 1, 3))->OpenInt,
              1872);
}

TEST_F(ShippedFormats, SemicolonSeparatedDayFirst) {
    const auto r = ImportSample("TERVOS.csv", "semicolon-dmy.format");
    EXPECT_EQ(r.stats.storedLines, 4);
    ExpectQuote("TERVOS", MakeDate(2024, 1, 4), 7.66f, 7.68f, 7.40f, 7.42f, 51000);
}

TEST_F(ShippedFormats, DefaultFormatNeedsAnExistingStock) {
    auto r = ImportSample("DELMAR.txt", "default.format");
    EXPECT_EQ(r.stats.storedLines, 0);
    db.AddStock("DELMAR");
    r = ImportSample("DELMAR.txt", "default.format");
    EXPECT_EQ(r.stats.storedLines, 3);
    ExpectQuote("DELMAR", MakeDate(2024, 1, 3), 22.30f, 22.35f, 21.70f, 21.85f, 17250);
}

TEST_F(ShippedFormats, UsExportWithFourDigitYears) {
    const auto r = ImportSample("HALDEN.csv", "csv-us.format");
    EXPECT_EQ(r.stats.storedLines, 4);
    EXPECT_EQ(r.stats.errorLines, 1);  // the header line
    EXPECT_EQ(r.stats.addedStocks, 1);
    ExpectQuote("HALDEN", MakeDate(2024, 1, 2), 185.20f, 186.10f, 183.90f, 185.64f, 82488700);
    ExpectQuote("HALDEN", MakeDate(2024, 1, 5), 181.99f, 182.76f, 180.17f, 181.18f, 62303300);
}

TEST_F(ShippedFormats, IntradayBarsMergedIntoDailyBars) {
    const auto r = ImportSample("NORVIK.csv", "csv-intraday.format");
    EXPECT_EQ(r.stats.storedLines, 5);
    EXPECT_EQ(r.stats.replacedLines, 0);
    EXPECT_EQ(r.stats.intradayLines, 5);
    ASSERT_NE(db.FindStock("NORVIK"), nullptr);
    EXPECT_EQ(db.FindStock("NORVIK")->Quotations.size(), 2u);
    ExpectQuote("NORVIK", MakeDate(2024, 1, 2), 30.10f, 30.40f, 29.90f, 29.95f, 3600);
    ExpectQuote("NORVIK", MakeDate(2024, 1, 3), 30.00f, 30.10f, 29.70f, 30.02f, 1800);
}

}  // namespace
}  // namespace velmora
