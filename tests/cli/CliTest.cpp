#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "cli/Cli.h"
#include "cli/CliTestSupport.h"
#include "common/TestSupport.h"

namespace velmora::cli {
namespace {

using CommandRun = test_support::CliRun;

CommandRun RunCommand(const test::TempDir& profile, const std::string& workspace,
                      const std::string& name, std::vector<std::string> args) {
    return test_support::RunCliCommand(profile, workspace, name, std::move(args));
}

TEST(Cli, SampleWorkspaceListsAndQuotesDeterministically) {
    test::TempDir profile, a, b;
    ASSERT_EQ(RunCommand(profile, "", "sample-workspace", {a.path().string()}).status, 0);
    ASSERT_EQ(RunCommand(profile, "", "sample-workspace", {b.path().string()}).status, 0);
    const CommandRun listA = RunCommand(profile, a.path().string(), "list", {});
    const CommandRun listB = RunCommand(profile, b.path().string(), "list", {});
    ASSERT_EQ(listA.status, 0);
    EXPECT_EQ(listA.out, listB.out);
    // About 40 securities, each on its own line with five tab-separated fields.
    int lines = 0;
    for (char c : listA.out) lines += c == '\n';
    EXPECT_GE(lines, 35);
    EXPECT_NE(listA.out.find("WIG\t"), std::string::npos);
    EXPECT_EQ(test::ReadBytes(a / "j" / "JORVEN"), test::ReadBytes(b / "j" / "JORVEN"));

    const CommandRun quotes = RunCommand(profile, a.path().string(), "quotes", {"wig"});
    ASSERT_EQ(quotes.status, 0);
    EXPECT_EQ(quotes.out.rfind("date,open,high,low,close,volume,openint,mark,reduction\n", 0), 0u);
    EXPECT_GT(quotes.out.size(), 2000u * 20);

    const CommandRun info = RunCommand(profile, a.path().string(), "info", {});
    EXPECT_NE(info.out.find("stocks\t39\n"), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("last date\t24-12-31\n"), std::string::npos) << info.out;
}

TEST(Cli, UnknownStockAndBadArgumentsFail) {
    test::TempDir profile, ws;
    EXPECT_EQ(RunCommand(profile, ws.path().string(), "quotes", {"NONE"}).status, kFailure);
    EXPECT_EQ(RunCommand(profile, ws.path().string(), "quotes", {}).status, kUsage);
    EXPECT_EQ(RunCommand(profile, ws.path().string(), "list", {"extra"}).status, kUsage);
    EXPECT_EQ(FormatPrice(-1e10), "EMPTY");
    EXPECT_EQ(FormatPrice(12.25), "12.25");
}

}  // namespace
}  // namespace velmora::cli
