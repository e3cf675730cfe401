// Saves that fail, or are killed, part of the way through: whatever happens, the workspace loads
// and every stock is its old or its new version.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <string>

#include "common/FaultyFileSystem.h"
#include "common/TestSupport.h"
#include "common/WorkspaceSupport.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

constexpr int kStocks = 5;
constexpr int kOldCount = 3;

std::string Ticker(int i) {
    return "S" + std::to_string(i);
}

struct Fixture {
    test::TempDir dir;
    Preferences prefs;
    RecordingUserInterface ui;
    Database db;

    // The old versions on disk: kStocks stocks of kOldCount quotations, market 0 "Old".
    Fixture() {
        for (int i = 0; i < kStocks; ++i) {
            test::AddDailyCloses(db, *db.AddStock(Ticker(i)), MakeDate(2001, 1, 1), kOldCount,
                                 static_cast<float>(i));
        }
        db.Categories().Markets[0].Name.Set("Old");
        db.SetWorkspaceDir(dir.path());
        EXPECT_TRUE(Save());
    }
    // A save through a file system that fails nothing and skips the syncs.
    bool Save() {
        test::FaultyFileSystem fast;
        Workspace ws(db, prefs, ui);
        ws.SetFileSystem(fast);
        return ws.SaveWorkspace();
    }
    // Loaded from disk, changed in memory into the new versions: one quotation more for each
    // stock, a new stock "NEW", market 0 "New".
    void LoadAndChange() {
        ASSERT_TRUE(Load(db));
        for (int i = 0; i < kStocks; ++i) {
            db.AddQuotation(*db.FindStock(Ticker(i)), MakeDate(2001, 2, 1))->Close = 99;
        }
        test::AddDailyCloses(db, *db.AddStock("NEW"), MakeDate(2001, 1, 1), 2, 5);
        db.Categories().Markets[0].Name.Set("New");
        db.SetWorkspaceDirty(true);
    }
    bool Load(Database& into) {
        into.ReleaseAll();
        into.SetWorkspaceDir(dir.path());
        return Workspace(into, prefs, ui).LoadWorkspace();
    }
    // Loads what is on disk and checks that each stock and the workspace file is old or new;
    // the number of new versions found.
    int CheckOldOrNew() {
        Database disk;
        EXPECT_TRUE(Load(disk));
        int fresh = 0;
        for (int i = 0; i < kStocks; ++i) {
            const Stock* s = disk.FindStock(Ticker(i));
            if (s == nullptr) {
                ADD_FAILURE() << Ticker(i) << " is gone";
                continue;
            }
            const std::size_t n = s->Quotations.size();
            EXPECT_TRUE(n == kOldCount || (n == kOldCount + 1 && s->Quotations.back().Close == 99))
                << Ticker(i) << " has " << n << " quotations";
            fresh += n == kOldCount + 1 ? 1 : 0;
        }
        if (const Stock* added = disk.FindStock("NEW")) {
            EXPECT_EQ(added->Quotations.size(), 2u);
            ++fresh;
        }
        const std::string market(disk.Categories().Markets[0].Name.View());
        EXPECT_TRUE(market == "Old" || market == "New") << market;
        fresh += market == "New" ? 1 : 0;
        return fresh;
    }
};

// Every call of a whole save fails in turn, with no space left or permission denied: the
// save says which file and why and keeps the workspace dirty, what is on disk loads with each
// file old or new, and saving again writes everything.
TEST(WorkspaceFaults, EveryFailedCallOfASaveLeavesOldOrNewFilesAndTheNextSaveCompletes) {
    int calls = 0;
    {
        Fixture f;
        f.LoadAndChange();
        test::FaultyFileSystem counting;
        Workspace ws(f.db, f.prefs, f.ui);
        ws.SetFileSystem(counting);
        ASSERT_TRUE(ws.SaveWorkspace());
        calls = counting.Calls();
        EXPECT_EQ(f.CheckOldOrNew(), kStocks + 2);
    }
    // Per file: create, write, close, sync, rename; then the directories.
    ASSERT_GT(calls, 5 * (kStocks + 2));
    for (int n = 1; n <= calls; ++n) {
        const int error = n % 2 == 0 ? ENOSPC : EACCES;
        {
            SCOPED_TRACE("call " + std::to_string(n) + ", error " + std::to_string(error));
            Fixture f;
            f.LoadAndChange();
            test::FaultyFileSystem faulty;
            faulty.FailCall(n, error);
            Workspace ws(f.db, f.prefs, f.ui);
            ws.SetFileSystem(faulty);
            EXPECT_TRUE(ws.SaveWorkspace());
            EXPECT_TRUE(f.db.WorkspaceDirty());
            EXPECT_EQ(ws.SaveStatus().ErrorNumber(), error);
            EXPECT_NE(ws.SaveStatus().ToString().find(f.dir.path().string()), std::string::npos)
                << ws.SaveStatus().ToString();
            f.CheckOldOrNew();

            EXPECT_TRUE(f.Save());
            EXPECT_FALSE(f.db.WorkspaceDirty());
            EXPECT_EQ(f.CheckOldOrNew(), kStocks + 2);
        }
    }
}

// A process killed between two renames of its save leaves a workspace that loads, with the
// files renamed before the kill new and the others old.
TEST(WorkspaceFaults, AProcessKilledBetweenTheRenamesLeavesOldOrNewFiles) {
    Fixture f;
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        f.LoadAndChange();
        test::FaultyFileSystem killing;
        killing.AtRename(4, [] { ::raise(SIGKILL); });
        Workspace ws(f.db, f.prefs, f.ui);
        ws.SetFileSystem(killing);
        ws.SaveWorkspace();
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGKILL);
    EXPECT_EQ(f.CheckOldOrNew(), 3);
}

}  // namespace
}  // namespace velmora
