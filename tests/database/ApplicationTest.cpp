#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "common/TestSupport.h"
#include "common/WorkspaceSupport.h"
#include "database/Application.h"
#include "database/StockFile.h"
#include "database/WorkspaceFile.h"
#include "platform/ConsoleUserInterface.h"
#include "platform/MemorySettingsStore.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

// Writes a workspace of the given stocks, each with `quotes` daily quotations, into `dir`.
void WriteWorkspace(const fs::path& dir, const std::vector<std::string>& tickers, int quotes) {
    Database db;
    for (const std::string& t : tickers) {
        test::AddDailyCloses(db, *db.AddStock(t), MakeDate(2001, 1, 1), quotes, 10);
    }
    db.Categories().Markets[0].Name.Set("Main Market");
    ASSERT_TRUE(test::SaveWorkspaceIn(db, dir));
}

struct AppFixture {
    test::TempDir profile;
    Database db;
    Preferences prefs;
    MemorySettingsStore settings;
    RecordingUserInterface ui;
    Application app{db, prefs, settings, ui, profile.path()};
};

TEST(Application, FreshProfileStartsWithDefaultsAndTheDataFolder) {
    AppFixture f;
    std::vector<std::string> calls;
    f.app.Hooks().preferencesLoaded = [&](const Preferences& p) {
        calls.push_back("prefs " + std::to_string(p.DefaultQuotationsInChart()));
    };
    f.app.Hooks().loadChartDefinitions = [&] {
        calls.push_back("charts");
        return Status::Ok();
    };
    f.app.Hooks().loadCustomTools = [&] { calls.push_back("tools"); };
    f.app.Hooks().createMainWindow = [&] { calls.push_back("main window"); };
    f.app.Hooks().showMainWindow = [&](bool maximized) {
        calls.push_back(maximized ? "show maximized" : "show");
    };
    f.app.Hooks().makeStockCurrent = [&](Stock* s) { calls.push_back(s->Ticker.Str()); };
    f.app.Hooks().openChartWindow = [&] { calls.push_back("chart window"); };
    f.app.Hooks().showTipOfTheDay = [&] { calls.push_back("tip"); };
    f.settings.SetInt("WindowPos", "Maximized", 1);

    // The default workspace "data" does not exist yet: it is created, empty, when the user
    // agrees.
    f.ui.answer = true;
    ASSERT_TRUE(f.app.StartUp(Application::StartMode::Interactive));
    EXPECT_EQ(f.ui.questions,
              std::vector<std::string>{"The folder '" + (f.profile / "data").string() +
                                       "' does not exist. Create it?"});
    EXPECT_EQ(f.app.PreferencesStatus().Code(), StatusCode::NotFound);
    EXPECT_EQ(f.prefs.Raw(), Preferences().Raw());
    EXPECT_EQ(f.prefs.DefaultRSBase(), "WIG");
    EXPECT_EQ(f.db.WorkspaceDir(), f.profile / "data");
    EXPECT_TRUE(fs::is_directory(f.profile / "data" / "_"));
    EXPECT_EQ(f.db.StockCount(), 0);
    // No first stock to make current in an empty database.
    EXPECT_EQ(calls, (std::vector<std::string>{"prefs 159", "charts", "tools", "main window",
                                               "show maximized", "chart window", "tip"}));
    ASSERT_EQ(f.app.RecentList().size(), 1u);
    EXPECT_EQ(f.app.RecentList()[0], f.profile / "data");
    EXPECT_EQ(f.settings.GetString(kRecentSection, "File1"), (f.profile / "data").string());
}

TEST(Application, DataDirIsUsedWithoutPreferencesAndThePreferencesPathWins) {
    test::TempDir a, b;
    WriteWorkspace(a.path(), {"ALPHA"}, 3);
    WriteWorkspace(b.path(), {"BETA"}, 3);
    {
        AppFixture f;
        f.settings.SetString("Defaults", "DataDir", a.path().string());
        ASSERT_TRUE(f.app.StartUp(Application::StartMode::Automation));
        EXPECT_EQ(f.db.WorkspaceDir(), a.path());
        EXPECT_NE(f.db.FindStock("ALPHA"), nullptr);
        EXPECT_TRUE(f.app.RecentList().empty());  // automation start-up stays out of the list
    }
    {
        AppFixture f;
        f.settings.SetString("Defaults", "DataDir", a.path().string());
        Preferences saved;
        saved.SetDefaultDatabasePath(b.path().string());
        ASSERT_TRUE(SavePreferences(f.profile / "tarvik.prefs", saved));
        ASSERT_TRUE(f.app.StartUp(Application::StartMode::Automation));
        EXPECT_TRUE(f.app.PreferencesStatus());
        EXPECT_EQ(f.db.WorkspaceDir(), b.path());
        EXPECT_NE(f.db.FindStock("BETA"), nullptr);
    }
    {
        // A damaged preferences file keeps the defaults, DataDir included.
        AppFixture f;
        f.settings.SetString("Defaults", "DataDir", a.path().string());
        test::WriteText(f.profile / "tarvik.prefs", "garbage");
        ASSERT_TRUE(f.app.StartUp(Application::StartMode::Automation));
        EXPECT_EQ(f.app.PreferencesStatus().Code(), StatusCode::BadMagic);
        EXPECT_EQ(f.db.WorkspaceDir(), a.path());
    }
    {
        // A relative path is taken relative to the profile directory.
        AppFixture f;
        f.settings.SetString("Defaults", "DataDir", "quotes/main");
        f.app.Initialise();
        EXPECT_EQ(f.db.WorkspaceDir(), f.profile / "quotes" / "main");
    }
}

TEST(Application, CategoryNameFilesNameAWorkspaceWithoutWorkspaceFile) {
    AppFixture f;
    test::WriteText(f.profile / "tarvik.markets", "Warsaw\nNewConnect\n");
    test::WriteText(f.profile / "tarvik.industries", "3 Banks\n");
    f.app.Initialise();
    EXPECT_EQ(f.db.Categories().Markets[1].Name.Str(), "NewConnect");

    // A workspace with its own file keeps its names; one without gets the files' names.
    test::TempDir withFile, without;
    WriteWorkspace(withFile.path(), {"X"}, 1);
    ASSERT_TRUE(f.app.OpenWorkspace(withFile.path()));
    EXPECT_EQ(f.db.Categories().Markets[0].Name.Str(), "Main Market");
    EXPECT_EQ(f.db.Categories().Markets[1].Name.Str(), "Market 1");
    ASSERT_TRUE(f.app.OpenWorkspace(without.path()));
    EXPECT_EQ(f.db.Categories().Markets[0].Name.Str(), "Warsaw");
    EXPECT_EQ(f.db.Categories().Industries[0].Name.Str(), "Banks");
    EXPECT_EQ(f.db.Categories().Industries[0].SectorID, 3);
}

TEST(Application, SaveAsIntoAnEmptyFolderWritesEveryStockWithItsKeptQuotations) {
    AppFixture f;
    test::TempDir source, target;
    WriteWorkspace(source.path(), {"ALPHA", "BETA", "7DAYS", "_X"}, 600);
    Preferences saved;
    saved.SetPartialLoading(true);
    saved.SetLoadUpto(100);
    ASSERT_TRUE(SavePreferences(f.profile / "tarvik.prefs", saved));
    f.app.Initialise();
    ASSERT_TRUE(f.app.OpenWorkspace(source.path()));
    ASSERT_EQ(f.db.FindStock("ALPHA")->SkippedCount, 500);

    const fs::path dest = target / "copy";
    ASSERT_TRUE(f.app.SaveWorkspaceAs(dest));
    EXPECT_EQ(f.db.WorkspaceDir(), dest);
    EXPECT_FALSE(f.db.WorkspaceDirty());
    int subdirs = 0;
    for (const auto& e : fs::directory_iterator(dest)) subdirs += e.is_directory();
    EXPECT_EQ(subdirs, 37);
    EXPECT_TRUE(fs::exists(dest / kWorkspaceFileName));
    for (const char* t : {"ALPHA", "BETA", "7DAYS", "_X"}) {
        const fs::path file = StockFilePath(dest, t);
        ASSERT_TRUE(fs::exists(file)) << t;
        // The whole history, the 500 quotations never loaded included, byte for byte.
        EXPECT_EQ(test::ReadBytes(file), test::ReadBytes(StockFilePath(source.path(), t))) << t;
    }
    EXPECT_EQ(f.app.RecentList().front(), dest);
    EXPECT_EQ(f.settings.GetString(kRecentSection, "File1"), dest.string());
    EXPECT_EQ(f.settings.GetString(kRecentSection, "File2"), source.path().string());
}

TEST(Application, SaveAsIntoAForeignFolderChangesNothing) {
    AppFixture f;
    test::TempDir source, foreign;
    WriteWorkspace(source.path(), {"ALPHA"}, 5);
    test::WriteText(foreign / "notes.txt", "not a stock file");
    f.app.Initialise();
    ASSERT_TRUE(f.app.OpenWorkspace(source.path()));
    EXPECT_FALSE(f.app.SaveWorkspaceAs(foreign.path()));
    EXPECT_EQ(f.db.WorkspaceDir(), source.path());
    EXPECT_FALSE(f.db.WorkspaceDirty());
    EXPECT_FALSE(f.db.FindStock("ALPHA")->Modified);
    EXPECT_EQ(f.ui.messages.size(), 1u);
    EXPECT_FALSE(fs::exists(foreign / "_"));
    EXPECT_EQ(f.app.RecentList().size(), 1u);
}

// Save As into a folder holding another workspace asks first: declined, nothing is written
// and no failure is reported; agreed, the stocks are written beside that workspace's others.
TEST(Application, SaveAsIntoAnotherWorkspaceAsksFirst) {
    AppFixture f;
    test::TempDir source, other;
    WriteWorkspace(source.path(), {"ALPHA"}, 5);
    WriteWorkspace(other.path(), {"OTHER"}, 3);
    f.app.Initialise();
    ASSERT_TRUE(f.app.OpenWorkspace(source.path()));
    f.ui.answer = false;
    EXPECT_FALSE(f.app.SaveWorkspaceAs(other.path()));
    ASSERT_EQ(f.ui.questions.size(), 1u);
    EXPECT_EQ(f.ui.questions[0].rfind(
                  "The folder '" + other.path().string() + "' holds another workspace.", 0),
              0u);
    EXPECT_TRUE(f.app.SaveStatus().IsOk());
    EXPECT_FALSE(fs::exists(StockFilePath(other.path(), "ALPHA")));
    EXPECT_EQ(f.db.WorkspaceDir(), source.path());
    f.ui.answer = true;
    ASSERT_TRUE(f.app.SaveWorkspaceAs(other.path()));
    EXPECT_TRUE(fs::exists(StockFilePath(other.path(), "ALPHA")));
    EXPECT_TRUE(fs::exists(StockFilePath(other.path(), "OTHER")));
}

TEST(Application, SaveAsLeavesTheOldWorkspaceAsItWasLastSaved) {
    AppFixture f;
    test::TempDir source, target;
    WriteWorkspace(source.path(), {"KEEP", "GONE"}, 5);
    f.app.Initialise();
    ASSERT_TRUE(f.app.OpenWorkspace(source.path()));
    ASSERT_TRUE(f.app.MakeWorkspace().MarkStockFileDeleted("GONE"));
    f.db.RemoveStock("GONE");
    ASSERT_TRUE(f.app.SaveWorkspaceAs(target.path()));
    EXPECT_FALSE(fs::exists(StockFilePath(target.path(), "GONE")));
    EXPECT_TRUE(fs::exists(StockFilePath(source.path(), "GONE")));
    EXPECT_FALSE(fs::exists(StockFilePath(source.path(), "GONE").string() + ".ZZZ"));
}

TEST(Application, OpeningAnotherWorkspaceAsksBeforeDroppingChanges) {
    test::TempDir a, b;
    WriteWorkspace(a.path(), {"ALPHA", "GONE"}, 5);
    WriteWorkspace(b.path(), {"BETA"}, 5);
    const auto alphaBefore = test::ReadBytes(StockFilePath(a.path(), "ALPHA"));
    {
        AppFixture f;
        f.app.Initialise();
        ASSERT_TRUE(f.app.OpenWorkspace(a.path()));
        f.db.FindStock("ALPHA")->Quotations.back().Close = 99;
        f.db.MarkModified(*f.db.FindStock("ALPHA"));
        ASSERT_TRUE(f.app.MakeWorkspace().MarkStockFileDeleted("GONE"));
        f.db.RemoveStock("GONE");
        f.ui.answer = false;
        ASSERT_TRUE(f.app.OpenWorkspace(b.path()));
        EXPECT_EQ(f.ui.questions, std::vector<std::string>{"Save changes to the database?"});
        EXPECT_NE(f.db.FindStock("BETA"), nullptr);
        // Declined: nothing was written and the deleted file is back.
        EXPECT_EQ(test::ReadBytes(StockFilePath(a.path(), "ALPHA")), alphaBefore);
        EXPECT_TRUE(fs::exists(StockFilePath(a.path(), "GONE")));
    }
    {
        AppFixture f;
        f.app.Initialise();
        ASSERT_TRUE(f.app.OpenWorkspace(a.path()));
        f.db.FindStock("ALPHA")->Quotations.back().Close = 99;
        f.db.MarkModified(*f.db.FindStock("ALPHA"));
        f.ui.answer = true;
        ASSERT_TRUE(f.app.OpenWorkspace(b.path()));
        EXPECT_NE(test::ReadBytes(StockFilePath(a.path(), "ALPHA")), alphaBefore);
        // A clean workspace is left without a question.
        ASSERT_TRUE(f.app.OpenWorkspace(a.path()));
        EXPECT_EQ(f.ui.questions.size(), 1u);
        EXPECT_FLOAT_EQ(f.db.FindStock("ALPHA")->Quotations.back().Close, 99.0f);
    }
}

TEST(Application, RecentListIsMostRecentFirstWithoutDuplicatesAndAtMostEight) {
    test::TempDir root;
    AppFixture f;
    f.settings.SetString(kRecentSection, "File1", (root / "old1").string());
    f.settings.SetString(kRecentSection, "File3", (root / "old3").string());
    f.settings.SetString(kRecentSection, "File4", (root / "old1").string() + "/");
    f.app.Initialise();
    ASSERT_EQ(f.app.RecentList().size(), 2u);
    EXPECT_EQ(f.app.RecentList()[1], root / "old3");

    for (int i = 0; i < 10; ++i) f.app.AddToRecentList(root / ("w" + std::to_string(i)));
    f.app.AddToRecentList(root.path() / "x" / ".." / "w5" / "");  // the same as w5
    std::vector<std::string> expected = {"w5", "w9", "w8", "w7", "w6", "w4", "w3", "w2"};
    ASSERT_EQ(f.app.RecentList().size(), 8u);
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(f.app.RecentList()[i], root / expected[i]) << i;
        EXPECT_EQ(f.settings.GetString(kRecentSection, "File" + std::to_string(i + 1)),
                  (root / expected[i]).string());
    }
    EXPECT_FALSE(f.settings.GetString(kRecentSection, "File9").has_value());

    // The list is read back by the next start.
    Database db2;
    Preferences prefs2;
    Application again(db2, prefs2, f.settings, f.ui, f.profile.path());
    again.Initialise();
    EXPECT_EQ(again.RecentList(), f.app.RecentList());
}

TEST(Application, OpeningARecentEntryOpensAChartWindowWhenNoneIsOpen) {
    test::TempDir a;
    WriteWorkspace(a.path(), {"ALPHA"}, 2);
    AppFixture f;
    f.app.Initialise();
    f.app.AddToRecentList(a.path());
    int windows = 0;
    Stock* current = nullptr;
    f.app.Hooks().hasChartWindow = [&] { return windows > 0; };
    f.app.Hooks().openChartWindow = [&] { ++windows; };
    f.app.Hooks().makeStockCurrent = [&](Stock* s) { current = s; };
    ASSERT_TRUE(f.app.OpenRecent(0));
    EXPECT_EQ(windows, 1);
    ASSERT_NE(current, nullptr);
    EXPECT_EQ(current->Ticker.Str(), "ALPHA");
    ASSERT_TRUE(f.app.OpenRecent(0));
    EXPECT_EQ(windows, 1);
    EXPECT_FALSE(f.app.OpenRecent(1));
    EXPECT_FALSE(f.app.OpenRecent(-1));
}

TEST(Application, AWorkspaceThatCannotBeUsedGivesAMessageAndAnEmptyDatabase) {
    test::TempDir a, root;
    WriteWorkspace(a.path(), {"ALPHA"}, 2);
    test::WriteText(root / "plainfile", "x");
    AppFixture f;
    f.app.Initialise();
    ASSERT_TRUE(f.app.OpenWorkspace(a.path()));
    // A folder that cannot be created, though the user agreed to it, leaves the open workspace.
    f.ui.answer = true;
    EXPECT_FALSE(f.app.OpenWorkspace(root / "plainfile" / "sub"));
    EXPECT_EQ(f.db.StockCount(), 1);
    ASSERT_EQ(f.ui.messages.size(), 1u);
    EXPECT_NE(f.ui.messages[0].find("Could not create the workspace directory"), std::string::npos);
    EXPECT_EQ(f.app.RecentList().front(), a.path());

    // Open Workspace checks the folder first and keeps the open database when it is refused.
    ASSERT_TRUE(f.app.OpenWorkspace(a.path()));
    EXPECT_FALSE(f.app.OpenWorkspaceFolder(root / "plainfile"));
    EXPECT_EQ(f.db.StockCount(), 1);

    // New workspace opens the folder of the chosen workspace file: an empty database.
    ASSERT_TRUE(f.app.NewWorkspace(root / "fresh" / "tarvik.workspace"));
    EXPECT_EQ(f.db.StockCount(), 0);
    EXPECT_EQ(f.db.WorkspaceDir(), root / "fresh");
}

TEST(Application, SavePreferencesWritesTheProfilesFile) {
    AppFixture f;
    f.app.Initialise();
    f.prefs.SetLoadUpto(42);
    ASSERT_TRUE(f.app.SavePreferences());
    Preferences read;
    ASSERT_TRUE(LoadPreferences(f.profile / "tarvik.prefs", read));
    EXPECT_EQ(read.LoadUpto(), 42);

    // A file that could not be read is listed at start-up and replaced only when the user
    // agrees at a save, the old one kept as .bak; declined, the preferences stay in memory.
    const fs::path file = f.profile / "tarvik.prefs";
    test::WriteText(file, "garbage");
    f.app.Initialise();
    ASSERT_EQ(f.ui.messages.size(), 1u);
    EXPECT_NE(f.ui.messages[0].find(file.string() + ": not a preferences file"), std::string::npos);
    f.prefs.SetLoadUpto(43);
    f.ui.answer = false;
    EXPECT_FALSE(f.app.SavePreferences());
    EXPECT_EQ(test::ReadText(file), "garbage");
    EXPECT_TRUE(f.app.PreferencesUnsaved());
    f.ui.answer = true;
    ASSERT_TRUE(f.app.SavePreferences());
    EXPECT_EQ(f.ui.questions.size(), 2u);
    EXPECT_EQ(test::ReadText(fs::path(file.string() + ".bak")), "garbage");
    ASSERT_TRUE(LoadPreferences(file, read));
    EXPECT_EQ(read.LoadUpto(), 43);
}

// Another program holds the workspace: the desktop program offers to open it read-only; a
// read-only session shows the stocks but never writes. Declining keeps the open workspace.
TEST(Application, AWorkspaceInUseOpensReadOnlyOnRequestAndIsNeverSaved) {
    AppFixture f;
    test::TempDir first, held;
    WriteWorkspace(first.path(), {"A"}, 3);
    WriteWorkspace(held.path(), {"B"}, 3);
    WorkspaceLock other;
    ASSERT_TRUE(other.Acquire(held.path()).IsOk());
    ASSERT_TRUE(f.app.OpenWorkspace(first.path()));

    f.ui.answer = false;
    EXPECT_FALSE(f.app.OpenWorkspace(held.path()));
    EXPECT_EQ(f.ui.questions.back(), "The workspace is in use by another Velmora program (PID " +
                                         std::to_string(::getpid()) + ").\nOpen it read-only?");
    EXPECT_NE(f.db.FindStock("A"), nullptr);

    f.ui.answer = true;
    ASSERT_TRUE(f.app.OpenWorkspace(held.path()));
    EXPECT_TRUE(f.db.ReadOnly());
    const auto before = test::ReadBytes(held / "b" / "B");
    test::AddDailyCloses(f.db, *f.db.FindStock("B"), MakeDate(2002, 1, 1), 2, 50);
    EXPECT_FALSE(f.app.SaveWorkspace());
    EXPECT_EQ(f.app.SaveStatus().ToString(),
              "the workspace " + held.path().string() + " is open read-only");
    EXPECT_TRUE(f.app.CloseWorkspace());
    EXPECT_EQ(test::ReadBytes(held / "b" / "B"), before);
}

// A folder that does not exist is created only when the user agrees.
TEST(Application, OpeningAMissingFolderAsksBeforeCreatingIt) {
    AppFixture f;
    test::TempDir root;
    const fs::path missing = root / "typo";
    EXPECT_FALSE(f.app.OpenWorkspace(missing));
    EXPECT_EQ(f.ui.questions.back(),
              "The folder '" + missing.string() + "' does not exist. Create it?");
    EXPECT_FALSE(fs::exists(missing));
    f.ui.answer = true;
    EXPECT_TRUE(f.app.OpenWorkspace(missing));
    EXPECT_TRUE(fs::is_directory(missing / "_"));
}

// The desktop program learns of every file its load could not read in one message; a workspace
// file among them is replaced only when the user agrees, the old one kept as .bak.
TEST(Application, UnreadFilesAreListedOnceAndTheWorkspaceFileIsReplacedOnlyWhenAgreed) {
    AppFixture f;
    test::TempDir root;
    const fs::path ws = root / "ws";
    WriteWorkspace(ws, {"AAA", "BBB"}, 3);
    test::WriteText(ws / "a" / "AAA", "noise");
    const fs::path file = ws / kWorkspaceFileName;
    std::vector<std::uint8_t> cut = test::ReadBytes(file);
    cut.resize(12);
    test::WriteBytes(file, cut);

    ASSERT_TRUE(f.app.LoadWorkspaceDir(ws));
    ASSERT_EQ(f.ui.messages.size(), 1u);
    EXPECT_NE(f.ui.messages[0].find(file.string()), std::string::npos) << f.ui.messages[0];
    EXPECT_NE(f.ui.messages[0].find((ws / "a" / "AAA").string()), std::string::npos);

    f.db.MarkModified(*f.db.FindStock("BBB"));
    f.ui.answer = false;
    EXPECT_FALSE(f.app.SaveWorkspace());
    EXPECT_EQ(f.ui.questions.size(), 1u);
    EXPECT_EQ(test::ReadBytes(file), cut);

    f.ui.answer = true;
    EXPECT_TRUE(f.app.SaveWorkspace());
    EXPECT_EQ(test::ReadBytes(fs::path(file.string() + ".bak")), cut);
    CategoryTables tables;
    EXPECT_TRUE(ReadWorkspaceFile(file, tables).IsOk());
}

}  // namespace
}  // namespace velmora
