#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "cli/Cli.h"
#include "cli/CliTestSupport.h"
#include "common/TestSupport.h"

namespace velmora::cli {
namespace {

using test_support::CliRun;
using test_support::Lines;

// Runs one command of the table on the workspace "ws" inside `workspace`.
CliRun Command(const test::TempDir& profile, const test::TempDir& workspace,
               const std::string& name, std::vector<std::string> args, bool noSave = false) {
    return test_support::RunCliCommandAt(profile.path(), workspace.path() / "ws", name,
                                         std::move(args), noSave);
}

struct MaintenanceCli : ::testing::Test {
    test::TempDir profile, workspace;
    void SetUp() override {
        ASSERT_EQ(
            Command(profile, workspace, "sample-workspace", {(workspace.path() / "ws").string()})
                .status,
            0);
    }
    CliRun Do(const std::string& name, std::vector<std::string> args) {
        return Command(profile, workspace, name, std::move(args));
    }
};

TEST_F(MaintenanceCli, StockNewRenameSetQuoteAndDelete) {
    ASSERT_EQ(Do("stock", {"new", "NEWCO", "--name", "New Company"}).status, 0);
    EXPECT_EQ(Do("stock", {"new", "newco"}).status, 1);
    ASSERT_EQ(Do("set-quote", {"NEWCO", "24-03-01", "--close", "10", "--open", "12"}).status, 0);
    EXPECT_EQ(Do("set-quote", {"NEWCO", "24-03-02", "--close", "0"}).status, 1);
    EXPECT_EQ(Do("quotes", {"NEWCO"}).out,
              "date,open,high,low,close,volume,openint,mark,reduction\n"
              "24-03-01,12,12,10,10,0,0,0,0\n");
    EXPECT_EQ(Do("stock", {"rename", "NEWCO", "WIG"}).status, 1);
    ASSERT_EQ(Do("stock", {"rename", "NEWCO", "AAANEW"}).status, 0);
    ASSERT_EQ(Do("stock", {"set", "AAANEW", "--issue", "77", "--market", "300"}).status, 2);
    const auto list = Lines(Do("list", {}).out);
    ASSERT_FALSE(list.empty());
    EXPECT_EQ(list.front(), "AAANEW\t1\t24-03-01\t24-03-01\tNew Company");
    ASSERT_EQ(Do("stock", {"delete", "AAANEW"}).status, 0);
    EXPECT_EQ(Do("quotes", {"AAANEW"}).status, 1);
}

TEST_F(MaintenanceCli, RunsThatDoNotSaveLeaveStocksAndPortfolioAlone) {
    ASSERT_EQ(Do("portfolio", {"pay-in", "1000"}).status, 0);
    ASSERT_EQ(Do("portfolio", {"buy", "JORVEN", "--qty", "1", "--price", "1"}).status, 0);
    const std::string list = Do("list", {}).out;
    const std::string portfolio = Do("portfolio", {"show"}).out;
    EXPECT_EQ(Command(profile, workspace, "stock", {"delete", "JORVEN"}, true).status, 0);
    EXPECT_EQ(Command(profile, workspace, "stock", {"rename", "JORVEN", "AAAA"}, true).status, 0);
    EXPECT_EQ(Do("list", {}).out, list);
    EXPECT_EQ(Do("portfolio", {"show"}).out, portfolio);
    // A later run that saves keeps JORVEN too.
    ASSERT_EQ(Do("set-quote", {"ALDORA", "25-01-02", "--close", "5"}).status, 0);
    EXPECT_EQ(Do("quotes", {"JORVEN"}).status, 0);
    // Renaming for real carries the position along.
    ASSERT_EQ(Do("stock", {"rename", "JORVEN", "AAAA"}).status, 0);
    EXPECT_NE(Do("portfolio", {"show"}).out.find("AAAA"), std::string::npos);
}

TEST_F(MaintenanceCli, SplitFindSplitAndDeleteSession) {
    const CliRun found = Do("find-split", {"JORVEN"});
    ASSERT_EQ(found.status, 0);
    const auto tab = found.out.find('\t');
    ASSERT_NE(tab, std::string::npos);
    const std::string date = found.out.substr(0, tab);
    const CliRun before = Do("quotes", {"JORVEN"});
    ASSERT_EQ(Do("split", {"JORVEN", "--date", "24-01-02", "--ratio", "2"}).status, 0);
    EXPECT_EQ(Do("split", {"JORVEN", "--date", "24-01-02", "--ratio", "-2"}).status, 2);
    EXPECT_EQ(Do("split", {"NOSUCH", "--date", "24-01-02", "--ratio", "2"}).status, 1);
    const auto oldLines = Lines(before.out), newLines = Lines(Do("quotes", {"JORVEN"}).out);
    ASSERT_EQ(oldLines.size(), newLines.size());
    EXPECT_NE(oldLines[1], newLines[1]);  // before the date: halved
    EXPECT_EQ(oldLines.back(), newLines.back());
    // The split shows up as a reverse split on the split date.
    EXPECT_EQ(Do("find-split", {"JORVEN", "--after", "23-12-29"}).out, "24-01-02\t0.5\n");
    EXPECT_FALSE(date.empty());

    const CliRun deleted = Do("delete-session", {"24-12-30"});
    ASSERT_EQ(deleted.status, 0);
    EXPECT_EQ(deleted.out.rfind("deleted\t", 0), 0u);
    EXPECT_EQ(Do("delete-session", {"24-12-30"}).out, "deleted\t0\n");
}

TEST_F(MaintenanceCli, ReviewRiskMapAndCategories) {
    const auto daily = Lines(Do("review", {"--type", "1", "--date", "24-06-14"}).out);
    ASSERT_GT(daily.size(), 10u);
    double previous = 1e9;
    for (const std::string& line : daily) {  // best return first
        const double change = std::stod(line.substr(line.rfind('\t') + 1));
        EXPECT_LE(change, previous + 0.006);
        previous = change;
    }
    const auto market1 = Lines(Do("review", {"--type", "0", "--date", "24-06-14", "--include",
                                             "market=1", "--exclude", "indexes"})
                                   .out);
    EXPECT_LT(market1.size(), daily.size());
    EXPECT_EQ(Do("review", {"--type", "8", "--date", "24-06-14"}).status, 2);
    EXPECT_EQ(Do("review", {"--date", "24-06-14", "--include", "colour=3"}).status, 2);

    const auto map = Lines(Do("riskmap", {}).out);
    ASSERT_GT(map.size(), 30u);
    EXPECT_EQ(map.back().rfind("range\t", 0), 0u);
    EXPECT_EQ(map.front().rfind("ALDORA\tALD\t", 0), 0u);

    EXPECT_EQ(Do("categories", {"rename", "markets", "2", "Funds board"}).out, "2\tFunds board\n");
    const CliRun moved = Do("categories", {"exchange", "groups", "1", "9"});
    ASSERT_EQ(moved.status, 0);
    const CliRun back = Do("categories", {"assign", "groups", "1", "9", "GRYFEL"});
    EXPECT_EQ(back.out, "moved\t1\n");
    EXPECT_EQ(Do("categories", {"assign", "groups", "1", "9", "ALDORA"}).status, 1);
}

}  // namespace
}  // namespace velmora::cli
