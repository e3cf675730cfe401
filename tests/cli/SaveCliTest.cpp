// What the commands write and where: nothing with --no-save, never over another workspace
// unasked, through symbolic links to their targets, and a save killed at any moment leaves the
// whole old or the whole new workspace.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "cli/Cli.h"
#include "cli/CliTestSupport.h"
#include "common/FaultyFileSystem.h"
#include "common/TestSupport.h"
#include "common/WorkspaceSupport.h"
#include "database/StockFile.h"
#include "platform/CommitRecord.h"

namespace velmora::cli {
namespace {

namespace fs = std::filesystem;
using test_support::CliRun;

// Every file under the directories by path: a hash of its bytes, or "-> TARGET" for a symbolic
// link.
std::map<std::string, std::string> Snapshot(const std::vector<fs::path>& dirs) {
    std::map<std::string, std::string> files;
    for (const fs::path& dir : dirs) {
        for (const auto& e : fs::recursive_directory_iterator(dir)) {
            if (e.is_symlink()) {
                files[e.path().string()] = "-> " + fs::read_symlink(e.path()).string();
            } else if (e.is_regular_file()) {
                files[e.path().string()] =
                    std::to_string(std::hash<std::string>{}(test::ReadText(e.path())));
            }
        }
    }
    return files;
}

struct Saves : ::testing::Test {
    test::TempDir profile, root;
    fs::path ws = root / "ws";
    // The sample workspace, and the profile with its settings file.
    void SetUp() override {
        ASSERT_EQ(Do("sample-workspace", {ws.string()}).status, 0);
        ASSERT_EQ(Do("tools", {"add", "X", "--command", "true"}).status, 0);
    }
    CliRun Do(const std::string& name, std::vector<std::string> args, bool noSave = false) {
        return test_support::RunCliCommandAt(profile.path(), ws, name, std::move(args), noSave);
    }
};

// Each command that changes the workspace, the portfolio or the profile succeeds with
// --no-save and leaves every file of both as it was.
TEST_F(Saves, NoSaveLeavesEveryFileOfTheWorkspaceAndTheProfileAsItWas) {
    const std::vector<std::vector<std::string>> commands = {
        {"prefs", "set", "short_time", "0"},
        {"tools", "add", "T", "--command", "true"},
        {"categories", "rename", "markets", "0", "Renamed"},
        {"stock", "new", "NEWCO"},
        {"stock", "delete", "ALDORA"},
        {"set-quote", "ALDORA", "25-01-02", "--close", "5"},
        {"delete-session", "24-12-31"},
        {"split", "ALDORA", "--date", "24-06-03", "--ratio", "2"},
        {"portfolio", "pay-in", "100"},
    };
    const auto before = Snapshot({profile.path(), ws});
    for (const auto& command : commands) {
        SCOPED_TRACE(command[0] + " " + command[1]);
        const CliRun r = Do(command[0], {command.begin() + 1, command.end()}, true);
        EXPECT_EQ(r.status, kSuccess) << r.err;
        EXPECT_EQ(Snapshot({profile.path(), ws}), before);
    }
}

// sample-workspace never writes into a workspace; save-as into another workspace needs
// --force, and then replaces that workspace's stocks of the same tickers and keeps the others.
// A folder whose save never committed (empty stock folders) holds no workspace.
TEST_F(Saves, AFolderHoldingAWorkspaceIsWrittenIntoOnlyWithForce) {
    const fs::path other = root / "other";
    const CliRun again = Do("sample-workspace", {ws.string()});
    EXPECT_EQ(again.status, kFailure);
    EXPECT_EQ(again.err, "velmora-cli: sample-workspace: there is a workspace at " + ws.string() +
                             " already\n");

    ASSERT_EQ(Do("new", {other.string()}).status, kSuccess);
    ASSERT_EQ(test_support::RunCliCommandAt(profile.path(), other, "stock", {"new", "OWN"}).status,
              kSuccess);
    const auto before = Snapshot({other});
    const CliRun refused = Do("save-as", {other.string()});
    EXPECT_EQ(refused.status, kFailure);
    EXPECT_NE(refused.err.find(other.string() + " holds another workspace; --force"),
              std::string::npos)
        << refused.err;
    EXPECT_EQ(Snapshot({other}), before);
    EXPECT_EQ(Do("save-as", {other.string(), "--force"}).status, kSuccess);
    const CliRun list =
        test_support::RunCliCommandAt(profile.path(), other, "list", {}, false, DateStyle::Short);
    EXPECT_EQ(test_support::Lines(list.out).size(), 40u);  // the 39 sample stocks and OWN
    EXPECT_NE(list.out.find("\nOWN\t"), std::string::npos);

    const fs::path uncommitted = root / "uncommitted";
    fs::create_directories(uncommitted / "a");
    test::WriteText(uncommitted / "a" / ".ALDORA.tmp0badcafe", "half");
    EXPECT_EQ(Do("sample-workspace", {uncommitted.string()}).status, kSuccess);
}

// A stock file, a report and the settings that are symbolic links stay links: the files they
// lead to get the new contents.
TEST_F(Saves, SavesReplaceTheFilesSymbolicLinksLeadTo) {
    const fs::path stock = StockFilePath(ws, "ALDORA");
    const fs::path elsewhere = root / "kept" / "ALDORA.dat";
    fs::create_directories(elsewhere.parent_path());
    fs::rename(stock, elsewhere);
    fs::create_symlink(fs::relative(elsewhere, stock.parent_path()), stock);
    const fs::path settings = profile / "settings.ini";
    fs::rename(settings, root / "settings.real");
    fs::create_symlink(root / "settings.real", settings);

    ASSERT_EQ(Do("set-quote", {"ALDORA", "25-01-02", "--close", "5"}).status, kSuccess);
    ASSERT_EQ(Do("tools", {"add", "T", "--command", "true"}).status, kSuccess);
    const fs::path report = root / "report.html";
    fs::create_symlink("report-target.html", report);
    ASSERT_EQ(Do("backtest", {"--report", report.string()}).status, kSuccess);

    EXPECT_TRUE(fs::is_symlink(stock));
    EXPECT_TRUE(fs::is_symlink(settings));
    EXPECT_TRUE(fs::is_symlink(report));
    EXPECT_NE(test::ReadText(root / "settings.real").find("true"), std::string::npos);
    EXPECT_NE(test::ReadText(root / "report-target.html")
                  .find("<TITLE>Velmora System Test Report</TITLE>"),
              std::string::npos);
    const CliRun quotes = Do("quotes", {"ALDORA"});
    EXPECT_NE(quotes.out.find("25-01-02"), std::string::npos);
}

// A save killed after its commit record, before its first rename: the next reading command
// finishes it and shows the new quotation.
TEST_F(Saves, AReadingCommandFinishesASaveThatACrashInterrupted) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        Database db;
        db.SetWorkspaceDir(ws);
        Preferences prefs;
        RecordingUserInterface ui;
        Workspace loaded(db, prefs, ui);
        if (!loaded.LoadWorkspace()) ::_exit(1);
        Stock& stock = *db.FindStock("ALDORA");
        db.AddQuotation(stock, MakeDate(2025, 1, 2))->Close = 5;
        db.SetWorkspaceDirty(true);
        // Per file create, write, close and sync, then the record's five calls.
        test::FaultyFileSystem killing;
        killing.SignalAtCall(4 * 2 + 5 + 1, SIGKILL);
        Workspace interrupted(db, prefs, ui);
        interrupted.SetFileSystem(killing);
        interrupted.SaveWorkspace();
        ::_exit(2);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
    ASSERT_TRUE(fs::exists(ws / kCommitRecordName));
    const CliRun quotes = Do("quotes", {"ALDORA"});
    EXPECT_NE(quotes.out.find("25-01-02"), std::string::npos);
    EXPECT_FALSE(fs::exists(ws / kCommitRecordName));
}

// Names a finished save leaves nowhere: temporary files and the commit record.
std::vector<std::string> Leftovers(const fs::path& dir) {
    std::vector<std::string> found;
    for (const auto& e : fs::recursive_directory_iterator(dir)) {
        const std::string name = e.path().filename().string();
        if (IsTemporaryFileName(name) || name == kCommitRecordName) found.push_back(name);
    }
    return found;
}

// The number of quotations of every stock when all have the same, -1 otherwise.
int CommonCount(const fs::path& ws, int stocks) {
    Database db;
    db.SetWorkspaceDir(ws);
    Preferences prefs;
    RecordingUserInterface ui;
    EXPECT_TRUE(Workspace(db, prefs, ui).LoadWorkspace());
    EXPECT_EQ(db.StockCount(), stocks);
    const std::size_t n = db.StockAt(0)->Quotations.size();
    for (int i = 1; i < db.StockCount(); ++i) {
        if (db.StockAt(i)->Quotations.size() != n) return -1;
    }
    return static_cast<int>(n);
}

// delete-session over a few hundred stocks, killed with SIGKILL at fractions of the time one
// whole run takes: after each kill the next open leaves every stock with or every stock without
// the session, and neither a temporary file nor a commit record stays.
TEST(SaveKills, ADeleteSessionKilledAtAnyMomentIsWholeOrAbsent) {
    constexpr int kStocks = 200;
    constexpr int kDays = 200;
    constexpr int kKills = 6;
    test::TempDir profile, root;
    const fs::path ws = root / "ws";
    {
        Database db;
        for (int i = 0; i < kStocks; ++i) {
            test::AddDailyCloses(db, *db.AddStock("K" + std::to_string(1000 + i)),
                                 MakeDate(2020, 1, 1), kDays, 10);
        }
        ASSERT_TRUE(test::SaveWorkspaceIn(db, ws));
    }
    // The sessions of 20-01-01, 20-01-02, ... in turn.
    auto start = [&](int day) {
        const pid_t child = ::fork();
        if (child == 0) {
            const std::string date = "20-01-0" + std::to_string(day + 1);
            ::_exit(
                test_support::RunCliCommandAt(profile.path(), ws, "delete-session", {date}).status);
        }
        return child;
    };
    const auto began = std::chrono::steady_clock::now();
    const pid_t whole = start(0);
    ASSERT_GT(whole, 0);
    int status = 0;
    ASSERT_EQ(::waitpid(whole, &status, 0), whole);
    const auto took = std::chrono::steady_clock::now() - began;
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == kSuccess);
    int count = kDays - 1;
    ASSERT_EQ(CommonCount(ws, kStocks), count);

    for (int k = 1; k <= kKills; ++k) {
        SCOPED_TRACE("kill " + std::to_string(k));
        const pid_t child = start(k);
        ASSERT_GT(child, 0);
        std::this_thread::sleep_for(took * k / (kKills + 1));
        ::kill(child, SIGKILL);
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        const int now = CommonCount(ws, kStocks);
        EXPECT_TRUE(now == count || now == count - 1) << now;
        count = now;
        EXPECT_EQ(Leftovers(ws), std::vector<std::string>{});
    }
}

}  // namespace
}  // namespace velmora::cli
