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

TEST(Cli, IsoDatesWriteTheFullYearInEveryDatedOutput) {
    test::TempDir profile, ws;
    ASSERT_EQ(RunCommand(profile, "", "sample-workspace", {ws.path().string()}).status, 0);
    const auto iso = [&](const std::string& name, std::vector<std::string> args) {
        const CommandRun r = test_support::RunCliCommandAt(profile.path(), ws.path(), name,
                                                           std::move(args), false, DateStyle::Iso);
        EXPECT_EQ(r.status, 0) << name << ": " << r.err;
        return r.out;
    };
    // A quotation of the last century ahead of the sample history.
    ASSERT_EQ(iso("set-quote", {"ALDORA", "51-01-05", "--close", "5"}), "");
    EXPECT_NE(iso("info", {}).find("first date\t1951-01-05\nlast date\t2024-12-31\n"),
              std::string::npos);
    EXPECT_NE(iso("list", {}).find("ALDORA\t2561\t1951-01-05\t2024-12-31\t"), std::string::npos);
    EXPECT_EQ(test_support::Lines(iso("quotes", {"ALDORA"}))[1].rfind("1951-01-05,5,", 0), 0u);
    EXPECT_EQ(test_support::Lines(iso("eval", {"ALDORA", "--formula", "a=c;", "--print", "a"}))[1],
              "1951-01-05,5");
    EXPECT_EQ(
        iso("scan", {"--formula", "buy=c>0;", "--apply", "current=ALDORA", "--range", "last=0"}),
        "ALDORA\tBuy\t2024-12-31\t371.43\n");
    const test::TempDir reports;
    const std::string trades =
        iso("backtest", {"--formula", "buy=c>0; sell=c>0;", "--apply", "current=ALDORA", "--range",
                         "from=24-12-27,to=24-12-31", "--report", (reports / "r.html").string()});
    EXPECT_EQ(trades.rfind("ALDORA\tLong\t2024-12-27\t2024-12-30\t", 0), 0u) << trades;
    EXPECT_NE(test::ReadText(reports / "r.html").find("<TD>2024-12-27</TD><TD>2024-12-30</TD>"),
              std::string::npos);
    iso("study", {"add", "ALDORA", "--pane", "1", "--tool", "trend", "--from", "51-01-05:5", "--to",
                  "24-12-31:9"});
    EXPECT_NE(iso("study", {"list", "ALDORA"}).find("\t1951-01-05\t2024-12-31\t"),
              std::string::npos);
    iso("portfolio", {"pay-in", "1000"});
    iso("portfolio", {"buy", "ALDORA", "--date", "51-01-05", "--qty", "1", "--price", "5"});
    EXPECT_EQ(iso("portfolio", {"show", "0"}).rfind("Buy date:\t1951-01-05\n", 0), 0u);
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
