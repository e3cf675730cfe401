// Saves that fail, or are killed, part of the way through: whatever happens, the workspace loads
// and every stock is its old or its new version; a save is all or nothing unless a rename
// itself fails.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include "common/FaultyFileSystem.h"
#include "common/TestSupport.h"
#include "common/WorkspaceSupport.h"
#include "platform/CommitRecord.h"

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

    // The old versions on disk: kStocks stocks and "DEL" of kOldCount quotations, market 0
    // "Old".
    Fixture() {
        for (int i = 0; i < kStocks; ++i) {
            test::AddDailyCloses(db, *db.AddStock(Ticker(i)), MakeDate(2001, 1, 1), kOldCount,
                                 static_cast<float>(i));
        }
        test::AddDailyCloses(db, *db.AddStock("DEL"), MakeDate(2001, 1, 1), kOldCount, 7);
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
    // stock, a new stock "NEW", market 0 "New", and with `deleteOne` "DEL" deleted.
    void LoadAndChange(bool deleteOne = false) {
        ASSERT_TRUE(Load(db));
        if (deleteOne) {
            ASSERT_TRUE(db.RemoveStock("DEL"));
            ASSERT_TRUE(Workspace(db, prefs, ui).MarkStockFileDeleted("DEL"));
        }
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
    // the number of new versions found ("DEL" gone counts as one).
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
        if (const Stock* kept = disk.FindStock("DEL")) {
            EXPECT_EQ(kept->Quotations.size(), std::size_t{kOldCount});
        } else {
            ++fresh;
        }
        const std::string market(disk.Categories().Markets[0].Name.View());
        EXPECT_TRUE(market == "Old" || market == "New") << market;
        fresh += market == "New" ? 1 : 0;
        return fresh;
    }
};

// Every call of a whole save fails in turn, with no space left or permission denied: the
// save says which file and why and keeps the workspace dirty; a failure before the renames
// leaves every file old, a later one each file old or new; and saving again writes everything.
TEST(WorkspaceFaults, EveryFailedCallOfASaveLeavesOldOrNewFilesAndTheNextSaveCompletes) {
    int calls = 0;
    int firstRename = 0;
    {
        Fixture f;
        f.LoadAndChange();
        test::FaultyFileSystem counting;
        Workspace ws(f.db, f.prefs, f.ui);
        ws.SetFileSystem(counting);
        ASSERT_TRUE(ws.SaveWorkspace());
        calls = counting.Calls();
        const auto log = counting.Log();
        while (firstRename < calls && log[firstRename].rfind("rename", 0) != 0) ++firstRename;
        EXPECT_EQ(f.CheckOldOrNew(), kStocks + 2);
    }
    // Per file: create, write, close, sync, rename; the commit record; the directories. The
    // last call syncs the removal of the commit record: the save is complete without it (a
    // record that comes back after a crash names nothing left to do).
    ASSERT_GT(calls, 5 * (kStocks + 2));
    for (int n = 1; n < calls; ++n) {
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
            const int fresh = f.CheckOldOrNew();
            if (n <= firstRename) {
                EXPECT_EQ(fresh, 0);
            }

            EXPECT_TRUE(f.Save());
            EXPECT_FALSE(f.db.WorkspaceDirty());
            EXPECT_EQ(f.CheckOldOrNew(), kStocks + 2);
        }
    }
}

// The names under the directory that a finished save leaves nowhere: temporary files, the
// commit record and set-aside deleted files.
std::vector<std::string> Leftovers(const fs::path& dir) {
    std::vector<std::string> found;
    for (const auto& e : fs::recursive_directory_iterator(dir)) {
        const std::string name = e.path().filename().string();
        if (IsTemporaryFileName(name) || name == kCommitRecordName ||
            name.find(".ZZZ") != std::string::npos) {
            found.push_back(name);
        }
    }
    return found;
}

// A process killed at any call of its save, a stock deletion included: the next open finishes
// the save when its commit record was complete and leaves the old workspace otherwise, every
// file old or every file new, and no temporary file, record or set-aside file is left.
TEST(WorkspaceFaults, ASaveKilledAtAnyCallIsWholeOrAbsentAfterTheNextOpen) {
    constexpr int kAllNew = kStocks + 3;
    int calls = 0;
    {
        Fixture f;
        f.LoadAndChange(true);
        test::FaultyFileSystem counting;
        Workspace ws(f.db, f.prefs, f.ui);
        ws.SetFileSystem(counting);
        ASSERT_TRUE(ws.SaveWorkspace());
        calls = counting.Calls();
        EXPECT_EQ(f.CheckOldOrNew(), kAllNew);
    }
    int killedOld = 0;
    for (int n = 1; n <= calls; ++n) {
        SCOPED_TRACE("killed at call " + std::to_string(n));
        Fixture f;
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            f.LoadAndChange(true);
            test::FaultyFileSystem killing;
            killing.SignalAtCall(n, SIGKILL);
            Workspace ws(f.db, f.prefs, f.ui);
            ws.SetFileSystem(killing);
            ws.SaveWorkspace();
            ::_exit(0);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status));
        EXPECT_EQ(WTERMSIG(status), SIGKILL);
        const int fresh = f.CheckOldOrNew();
        EXPECT_TRUE(fresh == 0 || fresh == kAllNew) << fresh;
        killedOld += fresh == 0 ? 1 : 0;
        EXPECT_EQ(Leftovers(f.dir.path()), std::vector<std::string>{});
    }
    // The kills before the commit record's text was written (create, write, close and sync of
    // every file, then the record's create and write) leave it old; from the record's close
    // on, its text is whole in the file and the save is finished at the open.
    EXPECT_EQ(killedOld, 4 * (kStocks + 2) + 2);
}

// SIGTERM while a save writes its files stops it before anything is replaced; SIGTERM while
// it renames them waits until it is done. Either way the process then ends by the signal and
// leaves nothing behind.
TEST(WorkspaceFaults, ATerminationSignalStopsASaveBeforeItsCommitOrWaitsForItsEnd) {
    int firstRename = 0;
    {
        Fixture f;
        f.LoadAndChange(true);
        test::FaultyFileSystem counting;
        Workspace ws(f.db, f.prefs, f.ui);
        ws.SetFileSystem(counting);
        ASSERT_TRUE(ws.SaveWorkspace());
        const auto log = counting.Log();
        while (log[static_cast<std::size_t>(firstRename)].rfind("rename", 0) != 0) ++firstRename;
    }
    for (const auto& [call, fresh] : {std::pair{2, 0}, std::pair{firstRename + 1, kStocks + 3}}) {
        SCOPED_TRACE("SIGTERM at call " + std::to_string(call));
        Fixture f;
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            f.LoadAndChange(true);
            test::FaultyFileSystem signalling;
            signalling.SignalAtCall(call, SIGTERM);
            Workspace ws(f.db, f.prefs, f.ui);
            ws.SetFileSystem(signalling);
            ws.SaveWorkspace();
            ::_exit(0);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status));
        EXPECT_EQ(WTERMSIG(status), SIGTERM);
        // Before any open: no temporary file or record; the deleted stock's file is still set
        // aside when the save was stopped (the open puts it back).
        EXPECT_EQ(Leftovers(f.dir.path()),
                  fresh == 0 ? std::vector<std::string>{"DEL.ZZZ"} : std::vector<std::string>{});
        EXPECT_EQ(f.CheckOldOrNew(), fresh);
    }
}

}  // namespace
}  // namespace velmora
