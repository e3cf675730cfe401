#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "cli/Cli.h"
#include "cli/CliTestSupport.h"
#include "common/TestSupport.h"
#include "portfolio/PortfolioFile.h"

namespace velmora::cli {
namespace {

using test_support::RunCliCommand;
using Result = test_support::CliRun;
constexpr auto RunCli = &RunCliCommand;

TEST(PortfolioCommand, TradesOnTheSampleWorkspaceAndSavesTheFile) {
    test::TempDir profile, ws;
    ASSERT_EQ(RunCli(profile, {}, "sample-workspace", {ws.path().string()}).status, 0);
    const auto p = ws.path();
    Result r = RunCli(profile, p, "portfolio", {"show"});
    ASSERT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("Total stock value:\t0.00\t-\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Cash:\t0.00\t-\n"), std::string::npos);

    ASSERT_EQ(
        RunCli(profile, p, "portfolio",
               {"table", "set", "t1=1000", "t2=1e9", "t3=1e9", "t4=1e9", "b0=5", "b1=5", "p1=1"})
            .status,
        0);
    EXPECT_EQ(RunCli(profile, p, "portfolio", {"commission", "3000"}).out, "25.00\n");
    // The first band takes its base alone: its percentage shows as "-" and cannot be set.
    r = RunCli(profile, p, "portfolio", {"table"});
    EXPECT_NE(r.out.find("0\t\t1000.00\t5.00\t-\n1\t1000.00\t1000000000.00\t5.00\t1\n"),
              std::string::npos)
        << r.out;
    r = RunCli(profile, p, "portfolio", {"table", "set", "b1=6", "p0=2"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("p0 cannot be set"), std::string::npos) << r.err;
    EXPECT_EQ(RunCli(profile, p, "portfolio", {"commission", "3000"}).out, "25.00\n");
    ASSERT_EQ(RunCli(profile, p, "portfolio", {"pay-in", "1010"}).status, 0);
    r = RunCli(profile, p, "portfolio", {"buy", "WIG", "--qty", "100", "--price", "10"});
    ASSERT_EQ(r.status, 0) << r.err;
    r = RunCli(profile, p, "portfolio", {"buy", "WIG", "--qty", "100", "--price", "10"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("You don't have enough money!"), std::string::npos);

    Portfolio loaded;
    ASSERT_TRUE(LoadPortfolio(PortfolioPath(p), loaded));
    EXPECT_DOUBLE_EQ(loaded.Cash, 5);  // 1010 less 1000 and the commission of 5
    ASSERT_EQ(loaded.PositionCount(), 1);
    EXPECT_EQ(loaded.Positions[0].Whole, 100);
    EXPECT_EQ(loaded.Commissions.Percent[1], 0.01);
    EXPECT_GT(loaded.StoredStockValue, 0);  // the present value of the 100 shares

    r = RunCli(profile, p, "portfolio", {"show", "0"});
    EXPECT_NE(r.out.find("Buy price:\t10.00\n"), std::string::npos) << r.out;
    r = RunCli(profile, p, "portfolio", {"sell", "0", "--qty", "100.01", "--price", "10"});
    EXPECT_NE(r.err.find("You don't have enough stocks in portfolio!"), std::string::npos);
    ASSERT_EQ(
        RunCli(profile, p, "portfolio", {"sell", "0", "--qty", "100", "--price", "10"}).status, 0);
    ASSERT_TRUE(LoadPortfolio(PortfolioPath(p), loaded));
    EXPECT_EQ(loaded.PositionCount(), 0);
    EXPECT_DOUBLE_EQ(loaded.Cash, 1000);

    EXPECT_EQ(RunCli(profile, p, "portfolio", {"sell", "3"}).status, 1);  // no such position
    EXPECT_EQ(RunCli(profile, p, "portfolio", {"pay-in", "ten"}).status, 2);
    EXPECT_EQ(RunCli(profile, p, "portfolio", {"frobnicate"}).status, 2);
}

}  // namespace
}  // namespace velmora::cli
