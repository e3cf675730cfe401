#include <gtest/gtest.h>

#include "common/TestSupport.h"
#include "formula/FormulaFile.h"
#include "platform/MemorySettingsStore.h"

namespace velmora {
namespace {

TEST(FormulaFile, LoadGivesEveryLineACarriageReturnAndLineFeed) {
    EXPECT_EQ(FormulaTextFromFile(""), "");
    EXPECT_EQ(FormulaTextFromFile("a = 1;"), "a = 1;\r\n");
    EXPECT_EQ(FormulaTextFromFile("a\nb\n"), "a\r\nb\r\n");
    EXPECT_EQ(FormulaTextFromFile("a\r\nb\r\n"), "a\r\nb\r\n");
    EXPECT_EQ(FormulaTextFromFile("a\r\n\r\nb"), "a\r\n\r\nb\r\n");
    EXPECT_EQ(FormulaTextFromFile("\n"), "\r\n");
}

TEST(FormulaFile, SaveStoresEveryLineFeedAsCarriageReturnLineFeed) {
    EXPECT_EQ(FormulaFileFromText("a\r\nb\r\n"), "a\r\nb\r\n");
    EXPECT_EQ(FormulaFileFromText("a\nb"), "a\r\nb");
    EXPECT_EQ(FormulaFileFromText("a\r\r\nb\rc"), "a\r\nbc");
}

TEST(FormulaFile, RoundTripThroughAFile) {
    test::TempDir dir;
    const auto path = dir / "signals.qrx";
    const std::string text = "buy = cross( macd(), 0 );\r\nsell = cross( 0, macd() );\r\n";
    ASSERT_TRUE(SaveFormulaFile(path, text));
    EXPECT_EQ(test::ReadText(path), text);
    const auto loaded = LoadFormulaFile(path);
    ASSERT_TRUE(loaded.IsOk());
    EXPECT_EQ(*loaded, text);
    EXPECT_FALSE(LoadFormulaFile(dir / "missing.qrx").IsOk());
    EXPECT_FALSE(SaveFormulaFile(dir / "no" / "such" / "dir.qrx", text));
}

TEST(FormulaFile, DialogFolderIsRemembered) {
    MemorySettingsStore settings;
    EXPECT_EQ(FormulaFileFolder(settings), "");
    RememberFormulaFileFolder(settings, "/home/user/formulas/trend.qrx");
    EXPECT_EQ(settings.GetString("Paths", "QRX"), "/home/user/formulas");
    EXPECT_EQ(FormulaFileFolder(settings), "/home/user/formulas");
}

}  // namespace
}  // namespace velmora
