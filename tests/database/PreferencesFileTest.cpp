#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "common/TestSupport.h"
#include "database/CategoryNames.h"
#include "database/PreferencesFile.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

std::uint32_t LE(const Preferences::Block& b, std::size_t offset, std::size_t width) {
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < width; ++i) v |= std::uint32_t{b[offset + i]} << (8 * i);
    return v;
}

// The documented layout, written down independently of Preferences.cpp: offset, width and
// default of every field, and a setter that writes a distinctive value through the accessor.
struct FieldCase {
    std::size_t offset, width;
    std::uint32_t defaultValue;
    std::function<void(Preferences&)> set;
    std::uint32_t setValue;
};

std::vector<FieldCase> Layout() {
    return {
        {0, 4, 0, [](Preferences& p) { p.SetFatLineChart(true); }, 1},
        {4, 4, 1, [](Preferences& p) { p.SetMarkQuotations(false); }, 0},
        {8, 2, 0, [](Preferences& p) { p.SetVolumeBarChartType(2); }, 2},
        {10, 4, 1, [](Preferences& p) { p.SetShortTimeShown(false); }, 0},
        {14, 2, 15, [](Preferences& p) { p.SetShortTimePeriods(0xABCD); }, 0xABCD},
        {16, 4, 1, [](Preferences& p) { p.SetMidTimeShown(false); }, 0},
        {20, 2, 45, [](Preferences& p) { p.SetMidTimePeriods(1234); }, 1234},
        {22, 4, 1, [](Preferences& p) { p.SetBollingerShown(false); }, 0},
        {26, 2, 200, [](Preferences& p) { p.SetBollingerWidth(333); }, 333},
        {28, 2, 10, [](Preferences& p) { p.SetRocRange(0xFFFF); }, 0xFFFF},
        {30, 2, 9, [](Preferences& p) { p.SetRsiRange(21); }, 21},
        {32, 2, 12, [](Preferences& p) { p.SetMacdFast(22); }, 22},
        {34, 2, 26, [](Preferences& p) { p.SetMacdSlow(23); }, 23},
        {36, 2, 9, [](Preferences& p) { p.SetMacdSignal(24); }, 24},
        {38, 2, 14, [](Preferences& p) { p.SetStochasticRange(25); }, 25},
        {40, 2, 7, [](Preferences& p) { p.SetUltimateFast(26); }, 26},
        {42, 2, 14, [](Preferences& p) { p.SetUltimateMedium(27); }, 27},
        {44, 2, 28, [](Preferences& p) { p.SetUltimateSlow(28000); }, 28000},
        {290, 4, 1, [](Preferences& p) { p.SetAutoArrangeCharts(false); }, 0},
        {294, 4, 0, [](Preferences& p) { p.SetLogarithmicScale(true); }, 1},
        {298, 2, 159, [](Preferences& p) { p.SetDefaultQuotationsInChart(500); }, 500},
        {300, 2, 9, [](Preferences& p) { p.SetTrixRange(31); }, 31},
        {302, 4, 1, [](Preferences& p) { p.SetLongTimeShown(false); }, 0},
        {306, 2, 100, [](Preferences& p) { p.SetLongTimePeriods(200); }, 200},
        {308, 2, 15, [](Preferences& p) { p.SetVolumeAveragePeriods(33); }, 33},
        {342, 4, 0, [](Preferences& p) { p.SetLimitSavedQuotations(true); }, 1},
        {346, 2, 300, [](Preferences& p) { p.SetLimitSavedMax(301); }, 301},
        {348, 2, 14, [](Preferences& p) { p.SetCciRange(34); }, 34},
        {350, 2, 9, [](Preferences& p) { p.SetCciAveragePeriods(35); }, 35},
        {352, 4, 1, [](Preferences& p) { p.SetFullNameTooltipsInTree(false); }, 0},
        {618, 4, 1, [](Preferences& p) { p.SetPriceDataTooltips(false); }, 0},
        {622, 4, 0, [](Preferences& p) { p.SetLoadAllQuotesWhenSelected(true); }, 1},
        {626, 4, 0, [](Preferences& p) { p.SetPartialLoading(true); }, 1},
        {630, 4, 250, [](Preferences& p) { p.SetLoadUpto(0x01020304); }, 0x01020304},
        {634, 2, 15, [](Preferences& p) { p.SetTrinFast(36); }, 36},
        {636, 2, 45, [](Preferences& p) { p.SetTrinSlow(37); }, 37},
        {638, 2, 0, [](Preferences& p) { p.SetShortTimeAverageType(3); }, 3},
        {640, 2, 0, [](Preferences& p) { p.SetMidTimeAverageType(4); }, 4},
        {642, 2, 0, [](Preferences& p) { p.SetLongTimeAverageType(5); }, 5},
        {644, 2, 14, [](Preferences& p) { p.SetDmiAdxRange(38); }, 38},
        {646, 4, 0x3CA3D70A, [](Preferences& p) { p.SetParabolicStep(1.0f); }, 0x3F800000},
        {650, 4, 0x3E4CCCCD, [](Preferences& p) { p.SetParabolicMaximum(-2.0f); }, 0xC0000000},
        {654, 4, 0, [](Preferences& p) { p.SetAddParabolicSar(true); }, 1},
        {658, 2, 0, [](Preferences& p) { p.SetDefaultStyle(2); }, 2},
        {660, 2, 0, [](Preferences& p) { p.SetFullNameInTree(true); }, 1},
        {662, 2, 0, [](Preferences& p) { p.SetFullNameInTickerBox(true); }, 1},
    };
}

TEST(Preferences, EveryFieldSitsAtItsOffsetWithItsDefaultAndMovesNothingElse) {
    const Preferences defaults;
    const auto& d = defaults.Raw();
    for (const FieldCase& f : Layout()) {
        SCOPED_TRACE(f.offset);
        EXPECT_EQ(LE(d, f.offset, f.width), f.defaultValue);
        Preferences p;
        f.set(p);
        EXPECT_EQ(LE(p.Raw(), f.offset, f.width), f.setValue);
        for (std::size_t i = 0; i < Preferences::kBlockSize; ++i) {
            if (i >= f.offset && i < f.offset + f.width) continue;
            ASSERT_EQ(p.Raw()[i], d[i]) << "byte " << i;
        }
    }
    const int colours[20] = {1, 4, 6, 5, 2, 5, 3, 4, 6, 1, 0, 7, 7, 1, 1, 8, 7, 0, 1, 7};
    for (int i = 0; i < 20; ++i) EXPECT_EQ(LE(d, 48 + 2 * i, 2), std::uint32_t(colours[i]));
    const int palette[16] = {0xAAA, 0x000, 0xFFF, 0x68B, 0xF00, 0x0F0, 0x00F, 0xFF0,
                             0x0F0, 0xFB0, 0x0FF, 0xF0F, 0x60A, 0xEA9, 0xBEF, 0xC46};
    for (int i = 0; i < 16; ++i) EXPECT_EQ(LE(d, 88 + 2 * i, 2), std::uint32_t(palette[i]));
    EXPECT_EQ(std::memcmp(&d[310], "WIG\0", 4), 0);
    EXPECT_EQ(defaults.DefaultRSBase(), "WIG");
    EXPECT_EQ(std::memcmp(&d[362], "data\0", 5), 0);
    // Reserved bytes are zero in a fresh block.
    for (std::size_t i : {46, 47, 120, 289, 354, 361}) EXPECT_EQ(d[i], 0) << i;

    // Text fields keep to their size: 31 bytes of the base ticker, 255 of the path.
    Preferences p;
    p.SetDefaultRSBase(std::string(40, 'R'));
    EXPECT_EQ(p.DefaultRSBase(), std::string(31, 'R'));
    EXPECT_EQ(p.Raw()[342], 0);
    p.SetDefaultDatabasePath(std::string(300, 'p'));
    EXPECT_EQ(p.DefaultDatabasePath().size(), 255u);
    EXPECT_EQ(LE(p.Raw(), 618, 4), 1u);
}

Bytes PrefsFile(char version, const Preferences::Block& block, std::size_t blockBytes) {
    Bytes b = {'T', 'A', 'R', 'V', 'P', 'R', 'E', static_cast<std::uint8_t>(version)};
    b.insert(b.end(), block.begin(), block.begin() + static_cast<std::ptrdiff_t>(blockBytes));
    return b;
}

TEST(PreferencesFile, SaveWritesMagicAndBlockAndReservedBytesSurviveARoundTrip) {
    test::TempDir dir;
    Preferences p;
    p.Raw()[46] = 0x5A;   // reserved
    p.Raw()[356] = 0xA5;  // reserved
    p.SetLoadUpto(77);
    p.SetDefaultDatabasePath("/srv/quotes");
    ASSERT_TRUE(SavePreferences(dir / "tarvik.prefs", p));
    const Bytes bytes = test::ReadBytes(dir / "tarvik.prefs");
    ASSERT_EQ(bytes.size(), 672u);
    EXPECT_EQ(std::memcmp(bytes.data(), "TARVPRE3", 8), 0);
    EXPECT_EQ(bytes[8 + 630], 77);

    Preferences q;
    ASSERT_TRUE(LoadPreferences(dir / "tarvik.prefs", q));
    EXPECT_EQ(q.Raw(), p.Raw());

    EXPECT_FALSE(SavePreferences(dir / "no" / "such" / "tarvik.prefs", p));
}

TEST(PreferencesFile, VersionFShiftsTheColoursAndSetsMidTimeAndTooltips) {
    test::TempDir dir;
    Preferences old;
    for (int i = 0; i < 20; ++i) old.SetColourAt(i, 100 + i);
    test::WriteBytes(dir / "p", PrefsFile('F', old.Raw(), Preferences::kBlockSize));
    Preferences p;
    ASSERT_TRUE(LoadPreferences(dir / "p", p));
    EXPECT_EQ(p.ColourAt(0), 100);
    EXPECT_EQ(p.ColourAt(1), 101);
    EXPECT_EQ(p.ColourAt(2), 6);
    for (int i = 3; i <= 11; ++i) EXPECT_EQ(p.ColourAt(i), 100 + i - 1) << i;
    EXPECT_EQ(p.ColourAt(12), 7);
    for (int i = 13; i < 20; ++i) EXPECT_EQ(p.ColourAt(i), 100 + i) << i;
}

TEST(PreferencesFile, VersionTwoSetsTooltipsAndZeroLaterColoursAreRepaired) {
    test::TempDir dir;
    Preferences old;
    for (int i = 0; i < 20; ++i) old.SetColourAt(i, i < 13 ? 50 + i : 0);
    test::WriteBytes(dir / "p", PrefsFile('2', old.Raw(), Preferences::kBlockSize));
    Preferences p;
    ASSERT_TRUE(LoadPreferences(dir / "p", p));
    for (int i = 0; i < 12; ++i) EXPECT_EQ(p.ColourAt(i), 50 + i) << i;
    EXPECT_EQ(p.ColourAt(12), 7);
    const int repaired[7] = {1, 1, 8, 7, 0, 1, 7};
    for (int i = 13; i < 20; ++i) EXPECT_EQ(p.ColourAt(i), repaired[i - 13]) << i;

    // The current version keeps its colours, unless settings 13..19 are all zero.
    old.SetColourAt(19, 3);
    test::WriteBytes(dir / "p", PrefsFile('3', old.Raw(), Preferences::kBlockSize));
    ASSERT_TRUE(LoadPreferences(dir / "p", p));
    EXPECT_EQ(p.ColourAt(12), 62);
    EXPECT_EQ(p.ColourAt(13), 0);
    EXPECT_EQ(p.ColourAt(19), 3);
}

TEST(PreferencesFile, ShortBadAndMissingFilesKeepWhatTheyDoNotHold) {
    test::TempDir dir;
    Preferences source;
    source.SetFatLineChart(true);     // offset 0
    source.SetVolumeBarChartType(1);  // offset 8, beyond the 6 bytes stored below
    source.SetLoadUpto(5);
    test::WriteBytes(dir / "short", PrefsFile('3', source.Raw(), 6));
    Preferences p;
    p.SetLoadUpto(9);
    // Used as far as it goes, and answered as cut short.
    const Status cut = LoadPreferences(dir / "short", p);
    EXPECT_EQ(cut.Code(), StatusCode::Corrupt);
    EXPECT_EQ(cut.ToString(), "cannot read the preferences file " + (dir / "short").string() +
                                  ": cut short after 6 of its 664 bytes");
    EXPECT_TRUE(p.FatLineChart());
    EXPECT_EQ(p.VolumeBarChartType(), 0);
    EXPECT_EQ(p.LoadUpto(), 9);

    const Preferences before = p;
    test::WriteBytes(dir / "bad", {'T', 'A', 'R', 'V', 'D', 'A', 'T', '4', 1, 1, 1, 1});
    EXPECT_EQ(LoadPreferences(dir / "bad", p).Code(), StatusCode::BadMagic);
    test::WriteBytes(dir / "seven", {'T', 'A', 'R', 'V', 'P', 'R', 'E'});
    EXPECT_EQ(LoadPreferences(dir / "seven", p).Code(), StatusCode::BadMagic);
    test::WriteBytes(dir / "empty", {});
    EXPECT_EQ(LoadPreferences(dir / "empty", p).Code(), StatusCode::BadMagic);
    EXPECT_EQ(LoadPreferences(dir / "absent", p).Code(), StatusCode::NotFound);
    fs::create_directory(dir / "folder");
    EXPECT_EQ(LoadPreferences(dir / "folder", p).ErrorNumber(), EISDIR);
    EXPECT_EQ(p.Raw(), before.Raw());

    // A longer file gives its block and nothing more.
    Bytes longer = PrefsFile('3', source.Raw(), Preferences::kBlockSize);
    longer.resize(longer.size() + 100, 0xEE);
    test::WriteBytes(dir / "long", longer);
    ASSERT_TRUE(LoadPreferences(dir / "long", p));
    EXPECT_EQ(p.Raw(), source.Raw());
}

TEST(Preferences, ColourValueNeverReadsOutsideThePalette) {
    Preferences p;
    EXPECT_EQ(p.ColourValue(ColourSetting::Price), 0x000);       // index 1
    EXPECT_EQ(p.ColourValue(ColourSetting::Background), 0xAAA);  // index 0
    p.SetColourAt(static_cast<int>(ColourSetting::Price), 16);
    EXPECT_EQ(p.ColourValue(ColourSetting::Price), 0x000);  // the default index again
    p.SetPaletteEntry(1, 0xF123);
    EXPECT_EQ(p.ColourValue(ColourSetting::Price), 0x123);
}

// --- category name files ------------------------------------------------------------------

TEST(CategoryNames, FilesNameTheirTablesLineByLine) {
    test::TempDir dir;
    test::WriteText(dir / "tarvik.markets", "Main Market\r\nNewConnect\n\nBonds");
    test::WriteText(dir / "TARVIK.Groups", "Blue chips\n");
    test::WriteText(dir / "tarvik.industries",
                    "3 Banks\n12\tInsurance\n-1 Odd\n  7xMining\nNoNumber\n"
                    "99999999999 Huge\n5");
    std::string sectors;
    for (int i = 0; i < 40; ++i) sectors += "S" + std::to_string(i) + "\n";
    test::WriteText(dir / "tarvik.sectors", sectors);

    CategoryTables t;
    t.SetDefaultNames();
    LoadCategoryNames(dir.path(), t);
    EXPECT_EQ(t.Markets[0].Name.Str(), "Main Market");
    EXPECT_EQ(t.Markets[1].Name.Str(), "NewConnect");
    EXPECT_EQ(t.Markets[2].Name.Str(), "");
    EXPECT_EQ(t.Markets[3].Name.Str(), "Bonds");
    EXPECT_EQ(t.Markets[4].Name.Str(), "Market 4");
    EXPECT_EQ(t.Groups[0].Name.Str(), "Blue chips");
    EXPECT_EQ(t.Groups[1].Name.Str(), "Group 1");
    EXPECT_EQ(t.Sectors[31].Name.Str(), "S31");

    EXPECT_EQ(t.Industries[0].Name.Str(), "Banks");
    EXPECT_EQ(t.Industries[0].SectorID, 3);
    EXPECT_EQ(t.Industries[1].Name.Str(), "Insurance");
    EXPECT_EQ(t.Industries[1].SectorID, 12);
    EXPECT_EQ(t.Industries[2].SectorID, -1);
    EXPECT_EQ(t.Industries[3].Name.Str(), "Mining");
    EXPECT_EQ(t.Industries[3].SectorID, 7);
    EXPECT_EQ(t.Industries[4].Name.Str(), "NoNumber");
    EXPECT_EQ(t.Industries[4].SectorID, 0);
    EXPECT_EQ(t.Industries[5].SectorID, 2147483647);
    EXPECT_EQ(t.Industries[6].Name.Str(), "");
    EXPECT_EQ(t.Industries[6].SectorID, 5);
    EXPECT_EQ(t.Industries[7].Name.Str(), "Industry 7");
}

TEST(CategoryNames, OverlongAndBinaryLinesNeverOverflowOrSpillIntoTheNextEntry) {
    test::TempDir dir;
    std::string text = std::string(100, 'x') + "\n";
    text += std::string(38, 'a') + "\xc3\xa9" + "tail\n";  // a two-byte letter across byte 39
    text += std::string("bin\0ary\xff\x01", 10) + "\n";
    text += std::string(5000, '\xff');
    test::WriteText(dir / "tarvik.groups", text);
    CategoryTables t;
    t.SetDefaultNames();
    LoadCategoryNames(dir.path(), t);
    EXPECT_EQ(t.Groups[0].Name.Str(), std::string(39, 'x'));
    EXPECT_EQ(t.Groups[1].Name.Str(), std::string(38, 'a'));
    EXPECT_EQ(t.Groups[2].Name.Str(), "bin");
    EXPECT_EQ(t.Groups[3].Name.View().size(), 39u);
    EXPECT_EQ(t.Groups[4].Name.Str(), "Group 4");
}

}  // namespace
}  // namespace velmora
