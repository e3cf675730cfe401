// One exit-status rule for every command: a change that could not be kept is a failure (1) whose
// message on stderr names the file and the reason; "no such" stock or position is a failure;
// arguments a command does not take (a reversed date range, text that would break the
// tab-separated output) are a usage error (2).

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "cli/Cli.h"
#include "cli/CliTestSupport.h"
#include "common/FaultyFileSystem.h"
#include "common/TestSupport.h"

namespace velmora::cli {
namespace {

using test_support::CliRun;
using test_support::DrainFile;
namespace fs = std::filesystem;

struct ExitStatusCli : ::testing::Test {
    test::TempDir profile, workspace;
    fs::path ws = workspace.path() / "ws";

    void SetUp() override {
        ASSERT_EQ(Run("sample-workspace", {ws.string()}).status, kSuccess);
        ASSERT_EQ(Run("tools", {"add", "T", "--command", "true"}).status, kSuccess);
        ASSERT_EQ(Run("portfolio", {"pay-in", "1000"}).status, kSuccess);
    }

    // Runs the command on the workspace with its saves going through `files` (when given);
    // the user interface's messages are captured with stderr.
    CliRun Run(const std::string& name, std::vector<std::string> args,
               FileSystem* files = nullptr) {
        Context ctx;
        ctx.requestedProfile = profile.path();
        ctx.requestedWorkspace = ws;
        if (files != nullptr) ctx.files = files;
        ctx.out = std::tmpfile();
        ctx.err = std::tmpfile();
        ctx.ui = ConsoleUserInterface(ctx.err);
        CliRun r;
        for (const Command& c : Commands()) {
            if (name == c.name) r.status = c.run(ctx, args);
        }
        r.out = DrainFile(ctx.out);
        r.err = DrainFile(ctx.err);
        return r;
    }
};

TEST_F(ExitStatusCli, AChangeThatCannotBeKeptExitsOneNamingTheFileAndWhy) {
    struct Case {
        const char* file;  // the file whose writes fail
        std::string command;
        std::vector<std::string> args;
    };
    const std::string elsewhere = (workspace.path() / "other").string();
    const std::vector<Case> cases = {
        {"ALDORA", "stock", {"delete", "ALDORA"}},
        {"ALDORA", "stock", {"rename", "ALDORA", "ALDORB"}},
        {"ALDORA", "stock", {"set", "ALDORA", "--name", "Other"}},
        {"NEWCO", "stock", {"new", "NEWCO"}},
        {"ALDORA", "set-quote", {"ALDORA", "24-12-30", "--close", "5"}},
        {"ALDORA", "delete-quote", {"ALDORA", "24-12-31"}},
        {"ALDORA", "split", {"ALDORA", "--date", "24-06-03", "--ratio", "2"}},
        {"ALDORA",
         "study",
         {"add", "ALDORA", "--pane", "1", "--tool", "hline", "--from", "24-12-31:100"}},
        {"tarvik.workspace", "categories", {"rename", "markets", "1", "Renamed"}},
        {"tarvik.workspace", "categories", {"set", "markets", "1", "--rs-base", "ALDORA"}},
        {"tarvik.portfolio", "portfolio", {"pay-in", "100"}},
        {"tarvik.prefs", "prefs", {"set", "fat_line_chart", "1"}},
        {"settings.ini", "tools", {"add", "U", "--command", "true"}},
        {"settings.ini", "tools", {"remove", "0"}},
        {"tarvik.charts", "charts", {"set", "1000", "--name", "Mine"}},
        {"settings.ini", "save-as", {elsewhere}},
        {"tarvik.workspace", "new", {(workspace.path() / "new").string()}},
        {"tarvik.workspace", "sample-workspace", {(workspace.path() / "sample").string()}},
        {"ALDORA", "delete-session", {"24-12-31"}},
    };
    const std::string reason = std::strerror(ENOSPC);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command + " " + c.args.front() + ", " + c.file + " full");
        test::FaultyFileSystem full;
        full.FailNamed(c.file, ENOSPC);
        const CliRun r = Run(c.command, c.args, &full);
        EXPECT_EQ(r.status, kFailure) << r.err;
        EXPECT_NE(r.err.find(std::string(c.file) + ": " + reason), std::string::npos) << r.err;
    }
    // Nothing that failed to leave was lost: the stock and the tool are still there.
    EXPECT_EQ(Run("quotes", {"ALDORA"}).status, kSuccess);
    EXPECT_NE(Run("tools", {"list"}).out.find("0\tT\t"), std::string::npos);
}

TEST_F(ExitStatusCli, NoSuchThingFailsAndArgumentsOutOfRuleAreUsageErrors) {
    struct Case {
        int status;
        std::string command;
        std::vector<std::string> args;
    };
    const std::vector<Case> cases = {
        {kFailure, "quotes", {"NOPE"}},
        {kFailure, "portfolio", {"show", "3"}},
        {kFailure, "portfolio", {"sell", "3"}},
        {kFailure, "portfolio", {"dividend", "3", "1"}},
        {kUsage, "portfolio", {"show", "x"}},
        {kFailure, "tools", {"remove", "5"}},
        // A reversed date range is the same usage error in every command that takes one.
        {kUsage, "scan", {"--formula", "buy = c;", "--range", "from=24-12-31,to=24-12-30"}},
        {kUsage, "backtest", {"--range", "from=24-12-31,to=24-12-30"}},
        {kUsage, "composites", {"--from", "24-12-31", "--to", "24-12-30"}},
        // Criteria named twice, days that are not on the calendar, text with tabs or breaks.
        {kUsage, "scan", {"--formula", "buy = c;", "--include", "market=0,market=1"}},
        {kUsage, "review", {"--date", "24-12-31", "--include", "group=0,group=1"}},
        {kUsage, "set-quote", {"ALDORA", "24-02-30", "--close", "5"}},
        {kUsage, "scan", {"--formula", "buy = c;", "--range", "from=24-02-30,to=24-03-01"}},
        {kUsage, "review", {"--date", "24-02-30"}},
        {kUsage, "portfolio", {"buy", "ALDORA", "--date", "24-02-30"}},
        {kUsage, "composites", {"--from", "24-02-30", "--to", "24-03-01"}},
        {kUsage, "split", {"ALDORA", "--date", "24-06-03", "--ratio", "1000.5"}},
        {kUsage, "stock", {"new", "A\tB"}},
        {kUsage, "stock", {"set", "ALDORA", "--name", "two\nlines"}},
        {kUsage, "categories", {"rename", "groups", "1", "a\tb"}},
        {kUsage, "charts", {"set", "1000", "--name", "a\rb"}},
        {kUsage, "tools", {"add", "T\t2", "--command", "true"}},
        {kUsage,
         "study",
         {"add", "ALDORA", "--pane", "1", "--tool", "text", "--from", "24-12-31:1", "--text",
          "a\tb"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command + " " + c.args.front());
        const CliRun r = Run(c.command, c.args);
        EXPECT_EQ(r.status, c.status) << r.err;
        EXPECT_FALSE(r.err.empty());
    }
    // The boundaries are accepted: the last day of February of a leap year, a ratio of 1000.
    EXPECT_EQ(Run("set-quote", {"ALDORA", "24-02-29", "--close", "5"}).status, kSuccess);
    EXPECT_EQ(Run("split", {"ALDORA", "--date", "24-06-03", "--ratio", "1000"}).status, kSuccess);
}

TEST_F(ExitStatusCli, PayOutBeyondTheCashIsRefusedAsABuyIs) {
    EXPECT_EQ(Run("portfolio", {"pay-out", "1000.01"}).status, kFailure);
    ASSERT_EQ(Run("portfolio", {"pay-out", "1000"}).status, kSuccess);
    EXPECT_NE(Run("portfolio", {"show"}).out.find("Cash:\t0.00"), std::string::npos);
}

}  // namespace
}  // namespace velmora::cli
