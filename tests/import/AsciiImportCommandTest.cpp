#include <gtest/gtest.h>

#include "common/TestSupport.h"
#include "import/AsciiImportCommand.h"
#include "platform/ConsoleUserInterface.h"
#include "platform/MemorySettingsStore.h"

namespace velmora {
namespace {

TEST(ImportTypesFile, FiltersFormatFilesAndLimits) {
    const ImportTypes t = ParseImportTypes(
        "Text (*.txt)|*.txt|text.format  \r\n"
        "no bar on this line\n"
        "\n"
        "Odd|a|b|c.format\n"
        "Nothing after|*.x|\n");
    ASSERT_EQ(t.types.size(), 3u);
    EXPECT_EQ(t.types[0].filter, "Text (*.txt)|*.txt|");
    EXPECT_EQ(t.types[0].formatFile, "text.format");
    EXPECT_EQ(t.types[1].filter, "Odd|a|b|");  // the last '|' ends the filter part
    EXPECT_EQ(t.types[1].formatFile, "c.format");
    EXPECT_EQ(t.filterText, "Text (*.txt)|*.txt|Odd|a|b|Nothing after|*.x||");
    EXPECT_EQ(t.FormatFileOf(1), "text.format");
    EXPECT_EQ(t.FormatFileOf(3), "default.format");  // empty name
    EXPECT_EQ(t.FormatFileOf(0), "default.format");
    EXPECT_EQ(t.FormatFileOf(4), "default.format");

    std::string many;
    for (int i = 0; i < 150; ++i) many += "Type " + std::string(100, 'x') + "|*.t|f.format\n";
    const ImportTypes m = ParseImportTypes(many);
    EXPECT_EQ(m.types.size(), 100u);
    EXPECT_LE(m.filterText.size(), 6401u);
    EXPECT_EQ(m.filterText.back(), '|');
    EXPECT_TRUE(ReadImportTypes("/nonexistent/import.types").types.empty());
}

TEST(AsciiImportCommand, SeveralFilesWithProgressCancelAndSettings) {
    test::TempDir profile, files;
    Database db;
    db.AddStock("A");
    db.AddStock("B");
    db.AddStock("C");
    RecordingUserInterface ui;
    MemorySettingsStore settings;
    settings.SetString("Paths", "ASCIIFileType", "2");
    settings.SetString("Paths", "ASCII", "/some/dir");
    EXPECT_EQ(ReadAsciiImportDefaults(settings).typeNumber, 2);
    EXPECT_EQ(ReadAsciiImportDefaults(settings).initialDir, "/some/dir");

    test::WriteText(profile / "import.types", "One|*.a|one.format\nTwo|*.b|two.format\n");
    test::WriteText(profile / "two.format", "$FORMAT DATE_YMD CLOSE\n$DEBUG 1\n");
    test::WriteText(profile / "import.log", "old log\n");
    for (const char* name : {"A.b", "B.b", "C.b"}) test::WriteText(files / name, "2001-02-01 5\n");

    AsciiImporter importer(db, ui, profile.path(), "WIG");
    AsciiImportChoice choice;
    choice.typeNumber = 2;
    choice.files = {files / "A.b", files / "B.b", files / "C.b"};
    ui.progress.cancelAt = 2;
    const auto results =
        RunAsciiImport(importer, ReadImportTypes(profile / "import.types"), choice, ui, settings);
    ASSERT_EQ(results.size(), 3u);
    EXPECT_TRUE(results[0].imported);
    EXPECT_TRUE(results[1].imported);
    EXPECT_FALSE(results[2].imported);
    EXPECT_EQ(db.FindStock("B")->Quotations.size(), 1u);
    EXPECT_TRUE(db.FindStock("C")->Quotations.empty());
    ASSERT_EQ(ui.progress.steps.size(), 3u);
    EXPECT_EQ(ui.progress.steps[1].caption, "Importing...");
    EXPECT_EQ(ui.progress.steps[1].detail, (files / "B.b").string());
    EXPECT_EQ(ui.progress.closes, 1);
    EXPECT_EQ(settings.GetString("Paths", "ASCII"), files.path().string());
    EXPECT_EQ(settings.GetString("Paths", "ASCIIFileType"), "2");
    // The old log was deleted before the import started.
    EXPECT_EQ(test::ReadText(profile / "import.log").find("old log"), std::string::npos);
    // One message for all files: a paragraph each, then the totals.
    EXPECT_EQ(DescribeAsciiImport(results),
              "A.b: 1 lines stored, 0 lines not stored, 0 stocks added, 0 volumes clamped, 0 lines "
              "replaced, 0 lines with warnings\n"
              "B.b: 1 lines stored, 0 lines not stored, 0 stocks added, 0 volumes clamped, 0 lines "
              "replaced, 0 lines with warnings\n"
              "C.b: not imported (cancelled)\n"
              "\nAll 3 files: 2 lines stored, 0 lines not stored, 0 stocks added, 0 volumes "
              "clamped, 0 lines replaced, 0 lines with warnings\n");

    // One file: no progress dialog.
    ui.progress.steps.clear();
    choice.files = {files / "C.b"};
    RunAsciiImport(importer, ImportTypes{}, choice, ui, settings);
    EXPECT_TRUE(ui.progress.steps.empty());
}

}  // namespace
}  // namespace velmora
