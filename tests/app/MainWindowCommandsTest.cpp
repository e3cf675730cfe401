#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "app/MainWindowCommands.h"
#include "common/TestSupport.h"
#include "common/WorkspaceSupport.h"
#include "database/Workspace.h"
#include "platform/ConsoleUserInterface.h"
#include "platform/MemorySettingsStore.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

// A workspace of `tickers`, each with `quotes` daily quotations, written into `dir`.
void WriteWorkspace(const fs::path& dir, const std::vector<std::string>& tickers, int quotes) {
    Database db;
    for (const std::string& t : tickers) {
        test::AddDailyCloses(db, *db.AddStock(t), MakeDate(2010, 1, 4), quotes, 20);
    }
    ASSERT_TRUE(test::SaveWorkspaceIn(db, dir));
}

// Every file under the directory with its bytes and modification time.
std::map<std::string, std::pair<std::vector<unsigned char>, fs::file_time_type>> Snapshot(
    const fs::path& dir) {
    std::map<std::string, std::pair<std::vector<unsigned char>, fs::file_time_type>> files;
    for (const auto& e : fs::recursive_directory_iterator(dir)) {
        if (!e.is_regular_file()) continue;
        const auto bytes = test::ReadBytes(e.path());
        files[e.path().string()] = {std::vector<unsigned char>(bytes.begin(), bytes.end()),
                                    fs::last_write_time(e.path())};
    }
    return files;
}

struct ShellFixture : ::testing::Test {
    test::TempDir profile, workspace;
    Database db;
    Preferences prefs;
    MemorySettingsStore settings;
    RecordingUserInterface ui;
    Application app{db, prefs, settings, ui, profile.path()};
};

TEST(WindowPlacement, OnlyANormalWindowStoresItsRectangle) {
    MemorySettingsStore settings;
    EXPECT_FALSE(StoredWindowRect(settings).has_value());
    StoreWindowPlacement(settings, {10, 20, 800, 600, false, false});
    ASSERT_TRUE(StoredWindowRect(settings).has_value());
    EXPECT_EQ(settings.GetInt("WindowPos", "Width", 0), 800);
    EXPECT_EQ(settings.GetInt("WindowPos", "Maximized", -1), 0);

    // Minimised: the rectangle stays, "Maximized" 0.
    StoreWindowPlacement(settings, {-32000, -32000, 160, 24, true, false});
    const auto kept = StoredWindowRect(settings);
    ASSERT_TRUE(kept.has_value());
    EXPECT_EQ(kept->left, 10);
    EXPECT_EQ(kept->top, 20);
    EXPECT_EQ(kept->height, 600);
    EXPECT_EQ(settings.GetInt("WindowPos", "Maximized", -1), 0);

    // Maximised: the rectangle stays, "Maximized" 1.
    StoreWindowPlacement(settings, {0, 0, 1920, 1080, false, true});
    EXPECT_EQ(StoredWindowRect(settings)->width, 800);
    EXPECT_EQ(settings.GetInt("WindowPos", "Maximized", -1), 1);

    settings.SetString("WindowPos", "Height", "0");
    EXPECT_FALSE(StoredWindowRect(settings).has_value());
}

TEST_F(ShellFixture, ClosingWithNoWritesNoFileButStoresThePlacementAndBars) {
    WriteWorkspace(workspace.path(), {"ALPHA", "BETA"}, 30);
    ASSERT_TRUE(app.LoadWorkspaceDir(workspace.path()));
    const auto before = Snapshot(workspace.path());
    db.AddQuotation(*db.FindStock("ALPHA"), MakeDate(2011, 5, 5))->Close = 99;
    ASSERT_TRUE(db.WorkspaceDirty());

    ui.answer = false;
    ASSERT_TRUE(CloseMainWindow(app, ui, settings, {1, 2, 300, 200, false, false}, "bars"));
    EXPECT_EQ(ui.questions, std::vector<std::string>{"Save changes to the database?"});
    EXPECT_FALSE(db.WorkspaceDirty());
    EXPECT_EQ(Snapshot(workspace.path()), before);
    EXPECT_EQ(StoredBarState(settings), "bars");
    EXPECT_EQ(settings.GetInt("WindowPos", "Left", 0), 1);
}

TEST_F(ShellFixture, ClosingWithYesSavesAndAFailedSaveAsksWhetherToCloseAnyway) {
    WriteWorkspace(workspace.path(), {"ALPHA"}, 5);
    ASSERT_TRUE(app.LoadWorkspaceDir(workspace.path()));
    db.AddQuotation(*db.FindStock("ALPHA"), MakeDate(2011, 5, 5))->Close = 99;
    ui.answer = true;
    ASSERT_TRUE(CloseMainWindow(app, ui, settings, {}, "x"));
    EXPECT_FALSE(db.WorkspaceDirty());
    Database reread;
    reread.SetWorkspaceDir(workspace.path());
    ASSERT_TRUE(Workspace(reread, prefs, ui).LoadWorkspace());
    EXPECT_EQ(Database::QuotationCount(*reread.FindStock("ALPHA")), 6);

    // The workspace directory is a file: the save fails and the user is asked.
    db.AddQuotation(*db.FindStock("ALPHA"), MakeDate(2011, 5, 6))->Close = 98;
    test::TempDir other;
    const fs::path blocked = other.path() / "file";
    test::WriteText(blocked, "x");
    db.SetWorkspaceDir(blocked);
    ui.questions.clear();
    ui.answer = true;
    // Yes to saving, then Yes to closing anyway.
    EXPECT_TRUE(CloseMainWindow(app, ui, settings, {}, "y"));
    EXPECT_EQ(
        ui.questions.back(),
        "The database could not be saved completely.\ncannot create the workspace directory " +
            blocked.string() + "\nClose anyway?");
    EXPECT_EQ(StoredBarState(settings), "y");
}

TEST_F(ShellFixture, LoadingAllRemainingQuotationsStopsAfterTheStockCancelledAt) {
    WriteWorkspace(workspace.path(), {"A", "B", "C", "D"}, 40);
    prefs.SetPartialLoading(true);
    prefs.SetLoadUpto(10);
    ASSERT_TRUE(app.LoadWorkspaceDir(workspace.path()));
    ASSERT_TRUE(HasRemainingQuotations(db.FindStock("A")));
    EXPECT_FALSE(HasRemainingQuotations(nullptr));

    // Cancel pressed while B (index 1) loads: A and B are whole, C and D as they were.
    ui.progress.cancelAt = 1;
    EXPECT_EQ(LoadAllRemainingQuotations(db, ui), 2);
    ASSERT_EQ(ui.progress.steps.size(), 2u);
    EXPECT_EQ(ui.progress.steps[1].detail, "B");
    EXPECT_EQ(ui.progress.steps[1].total, 4);
    EXPECT_EQ(ui.progress.steps[1].caption, "Loading quotations...");
    EXPECT_EQ(ui.progress.closes, 1);
    EXPECT_EQ(Database::QuotationCount(*db.FindStock("A")), 40);
    EXPECT_EQ(Database::QuotationCount(*db.FindStock("B")), 40);
    EXPECT_FALSE(HasRemainingQuotations(db.FindStock("B")));
    EXPECT_EQ(Database::QuotationCount(*db.FindStock("C")), 10);
    EXPECT_TRUE(HasRemainingQuotations(db.FindStock("D")));

    // Again without cancelling: only the two left are stepped.
    ui.progress.cancelAt = -1;
    ui.progress.steps.clear();
    EXPECT_EQ(LoadAllRemainingQuotations(db, ui), 2);
    ASSERT_EQ(ui.progress.steps.size(), 2u);
    EXPECT_EQ(ui.progress.steps[0].index, 2);
    EXPECT_EQ(Database::QuotationCount(*db.FindStock("D")), 40);
}

}  // namespace
}  // namespace velmora
