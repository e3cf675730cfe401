#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "cli/Cli.h"
#include "cli/CliTestSupport.h"
#include "common/TestSupport.h"

namespace velmora::cli {
namespace {

using test_support::RunCliCommand;
using ScanRun = test_support::CliRun;
constexpr auto RunNamed = &RunCliCommand;

using test_support::Lines;

TEST(ScanCommand, ListsTheSignalsOfTheSampleWorkspace) {
    test::TempDir profile, ws;
    ASSERT_EQ(RunNamed(profile, {}, "sample-workspace", {ws.path().string()}).status, 0);
    const auto p = ws.path();

    // Every stock's last bar: one Buy row per stock with quotations, in database order.
    ScanRun r = RunNamed(profile, p, "scan", {"--formula", "buy = c > 0;", "--range", "last=0"});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto all = Lines(r.out);
    ASSERT_GE(all.size(), 30u);
    for (const std::string& line : all) {
        ASSERT_EQ(std::count(line.begin(), line.end(), '\t'), 3) << line;
        EXPECT_NE(line.find("\tBuy\t"), std::string::npos);
    }
    EXPECT_TRUE(std::is_sorted(all.begin(), all.end(), [](const auto& a, const auto& b) {
        return CompareNoCase(a.substr(0, a.find('\t')), b.substr(0, b.find('\t'))) < 0;
    }));

    // The current stock alone, over a date range.
    r = RunNamed(profile, p, "scan",
                 {"--formula", "buy = c > 0; sell = c > 0;", "--apply", "current=wig", "--range",
                  "from=24-12-30,to=24-12-31"});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto wig = Lines(r.out);
    ASSERT_EQ(wig.size(), 4u);
    EXPECT_EQ(wig[0].rfind("WIG\tBuy\t24-12-30\t", 0), 0u);
    EXPECT_EQ(wig[1].rfind("WIG\tSell\t24-12-30\t", 0), 0u);

    // Indexes only, through the filter.
    r = RunNamed(profile, p, "scan",
                 {"--formula", "buy = c > 0;", "--range", "last=0", "--include", "indexes"});
    ASSERT_EQ(r.status, 0);
    const auto indexes = Lines(r.out);
    EXPECT_GE(indexes.size(), 1u);
    EXPECT_LT(indexes.size(), all.size());
    r = RunNamed(profile, p, "scan",
                 {"--formula", "buy = c > 0;", "--range", "last=0", "--exclude", "indexes"});
    EXPECT_EQ(Lines(r.out).size() + indexes.size(), all.size());

    // Failures: no buy/sell, a formula error, wrong dates, bad options.
    EXPECT_EQ(RunNamed(profile, p, "scan", {"--formula", "x = 1;"}).status, 1);
    r = RunNamed(profile, p, "scan", {"--formula", "buy = c +;"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("QRX Error"), std::string::npos);
    EXPECT_EQ(RunNamed(profile, p, "scan",
                       {"--formula", "buy = c;", "--range", "from=24-12-31,to=24-12-30"})
                  .status,
              2);
    EXPECT_EQ(RunNamed(profile, p, "scan", {"--formula", "buy = c;", "--range", "last=x"}).status,
              2);
    EXPECT_EQ(
        RunNamed(profile, p, "scan", {"--formula", "buy = c;", "--include", "market=256"}).status,
        2);
    EXPECT_EQ(RunNamed(profile, p, "scan", {"--range", "all"}).status, 2);
    EXPECT_EQ(
        RunNamed(profile, p, "scan", {"--formula", "buy=c;", "--apply", "current=NOPE"}).status, 1);
}

}  // namespace
}  // namespace velmora::cli
