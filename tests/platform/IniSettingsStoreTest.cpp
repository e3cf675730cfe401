#include <gtest/gtest.h>

#include <filesystem>

#include "common/TestSupport.h"
#include "platform/IniSettingsStore.h"
#include "platform/ProfileDirectory.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

TEST(IniSettingsStore, ValuesSurviveAReopenAndAbsentDiffersFromEmpty) {
    test::TempDir dir;
    const fs::path file = dir / "settings.ini";
    {
        IniSettingsStore s(file);
        EXPECT_FALSE(s.GetString("Defaults", "DataDir").has_value());
        EXPECT_FALSE(fs::exists(file));  // nothing written until something is set
        s.SetString("Defaults", "DataDir", "/home/u/quotes");
        s.SetString("Recent File List", "File1", "");
        s.SetInt("WindowPos", "Maximized", 1);
    }
    IniSettingsStore s(file);
    EXPECT_EQ(s.GetString("Defaults", "DataDir"), "/home/u/quotes");
    // Section and value names match without regard to case.
    EXPECT_EQ(s.GetString("defaults", "DATADIR"), "/home/u/quotes");
    ASSERT_TRUE(s.GetString("Recent File List", "File1").has_value());
    EXPECT_EQ(*s.GetString("Recent File List", "File1"), "");
    EXPECT_FALSE(s.GetString("Recent File List", "File2").has_value());
    EXPECT_EQ(s.GetInt("WindowPos", "Maximized", 0), 1);
    EXPECT_EQ(test::ReadText(file),
              "[Defaults]\nDataDir=/home/u/quotes\n\n[Recent File List]\nFile1=\n\n"
              "[WindowPos]\nMaximized=1\n");

    s.Remove("Defaults", "DataDir");
    EXPECT_FALSE(IniSettingsStore(file).GetString("Defaults", "DataDir").has_value());
    // Only the file itself is left in the folder: the temporary files were renamed.
    int entries = 0;
    for (const auto& e : fs::directory_iterator(dir.path())) entries += e.exists();
    EXPECT_EQ(entries, 1);
}

TEST(IniSettingsStore, AwkwardTextsRoundTrip) {
    test::TempDir dir;
    const fs::path file = dir / "settings.ini";
    const std::string value = "line1\nline2\r\\x=y ] [z] ;c";
    {
        IniSettingsStore s(file);
        s.SetString("Custom Tools", "Tool=1", value);
        s.SetString("Sec]tion", ";name", " leading space");
        s.SetString("Custom Tools", "[x", "#");
    }
    IniSettingsStore s(file);
    EXPECT_EQ(s.GetString("Custom Tools", "Tool=1"), value);
    EXPECT_EQ(s.GetString("Sec]tion", ";name"), " leading space");
    EXPECT_EQ(s.GetString("Custom Tools", "[x"), "#");
}

// Names with blanks at either end (found by the settings harness: they came back trimmed),
// next to the hand-written "name = value" whose blanks are not part of the name.
TEST(IniSettingsStore, BlanksAroundNamesSurviveWhereWritten) {
    test::TempDir dir;
    const fs::path file = dir / "settings.ini";
    test::WriteText(file, "[S]\n  hand\t = v\n");
    const char* const names[] = {" TxCame0", "tail ", "\t", " ", "both  ", "back\\ "};
    {
        IniSettingsStore s(file);
        for (const char* n : names) s.SetString("S", n, n);
    }
    IniSettingsStore s(file);
    EXPECT_EQ(s.GetString("S", "hand"), " v");
    for (const char* n : names) EXPECT_EQ(s.GetString("S", n), n) << '[' << n << ']';
    EXPECT_FALSE(s.GetString("S", "tail").has_value());
    IniSettingsStore reread(dir / "other.ini");
    reread.Parse(s.Serialize());
    EXPECT_EQ(reread.Serialize(), s.Serialize());
}

TEST(IniSettingsStore, DamagedOrHandWrittenFilesKeepWhatCanBeUnderstood) {
    test::TempDir dir;
    const fs::path file = dir / "settings.ini";
    std::string text =
        "orphan=1\r\n; comment\r\n[Paths]\r\n  ASCII = /data/in\r\nno equals\r\n"
        "[broken\r\nlost=1\r\n[Paths]\r\nQRX=/q\r\nQRX=/q2\r\n";
    text.push_back('\0');
    text += "\xff\xfe=bin\n[QRX]\nDefaultAnalysisFormula=buy:=1";
    test::WriteText(file, text);
    IniSettingsStore s(file);
    EXPECT_FALSE(s.GetString("", "orphan").has_value());
    EXPECT_EQ(s.GetString("Paths", "ASCII"), " /data/in");
    EXPECT_FALSE(s.GetString("broken", "lost").has_value());
    EXPECT_EQ(s.GetString("Paths", "QRX"), "/q2");
    EXPECT_EQ(s.GetString("QRX", "DefaultAnalysisFormula"), "buy:=1");
    EXPECT_EQ(s.GetInt("Paths", "QRX", 7), 7);
}

TEST(IniSettingsStore, FailedWriteKeepsTheValueInMemoryAndSaysSo) {
    test::TempDir dir;
    IniSettingsStore s(dir / "missing-folder" / "settings.ini");
    s.SetString("Defaults", "DataDir", "x");
    EXPECT_FALSE(s.LastSaveSucceeded());
    EXPECT_EQ(s.GetString("Defaults", "DataDir"), "x");
}

TEST(ProfileDirectory, SeedingCopiesOnlyTheMissingFiles) {
    test::TempDir resources, home;
    test::WriteText(resources / "import.types", "default types\n");
    test::WriteText(resources / "stooq.format", "fmt\n");
    fs::create_directory(resources / "sub");
    test::WriteText(resources / "sub" / "nested", "x");

    const fs::path profile = home / "a" / "b" / "velmora";
    auto opened = OpenProfileDirectory(profile, resources.path());
    ASSERT_TRUE(opened.has_value());
    EXPECT_EQ(*opened, profile);
    EXPECT_EQ(test::ReadText(profile / "import.types"), "default types\n");
    EXPECT_EQ(test::ReadText(profile / "stooq.format"), "fmt\n");
    EXPECT_FALSE(fs::exists(profile / "sub"));

    // The user's edited file stays; a deleted default comes back on the next open.
    test::WriteText(profile / "import.types", "mine\n");
    fs::remove(profile / "stooq.format");
    EXPECT_EQ(SeedProfileDirectory(profile, resources.path()), 1);
    EXPECT_EQ(test::ReadText(profile / "import.types"), "mine\n");
    EXPECT_EQ(test::ReadText(profile / "stooq.format"), "fmt\n");

    EXPECT_EQ(SeedProfileDirectory(profile, resources / "absent"), 0);
}

TEST(ProfileDirectory, AProfilePathThatIsAFileIsRefused) {
    test::TempDir home;
    test::WriteText(home / "file", "x");
    EXPECT_FALSE(OpenProfileDirectory(home / "file", home / "none").has_value());
}

}  // namespace
}  // namespace velmora
