#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "cli/Cli.h"
#include "cli/CliTestSupport.h"
#include "common/TestSupport.h"

namespace velmora::cli {
namespace {

using test_support::CliRun;
using test_support::Lines;
constexpr auto RunCommand = &test_support::RunCliCommand;

constexpr char kRule[] =
    "n = optimize(\"n\", 20, 10, 30, 10);\n"
    "buy = c > ma(c, n) * optimize(\"k\", 1, 1, 1.02, 0.02);\nsell = c < ma(c, n);";

TEST(OptimizeCommand, OneRowPerCombinationTheSameOnSeveralThreadsSortedAndAsJson) {
    test::TempDir profile, ws, out;
    ASSERT_EQ(RunCommand(profile, {}, "sample-workspace", {ws.path().string()}).status, 0);
    std::string outputs[2];
    for (const int threads : {1, 3}) {
        const std::string n = std::to_string(threads);
        const CliRun r = RunCommand(profile, ws.path(), "optimize",
                                    {"--formula", kRule, "--threads", n, "--commission",
                                     "percent=0.1", "--json", (out / (n + ".json")).string()});
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.err, "");
        outputs[threads == 1 ? 0 : 1] = r.out;
    }
    EXPECT_EQ(outputs[1], outputs[0]);
    EXPECT_EQ(test::ReadText(out / "3.json"), test::ReadText(out / "1.json"));
    const auto lines = Lines(outputs[0]);
    ASSERT_EQ(lines.size(), 7u);  // the header and 3 x 2 combinations
    EXPECT_EQ(lines[0],
              " n     k  Net profit  Trades  % Profitable  Max DD %  CAR %  Sharpe  Profit factor");
    EXPECT_EQ(lines[2].substr(0, 8), "10  1.02");
    const std::string json = test::ReadText(out / "1.json");
    EXPECT_EQ(json.rfind("{\n  \"results\": [\n    {\"params\": {\"n\": 10, \"k\": 1}, "
                         "\"net_profit\": ",
                         0),
              0u)
        << json;
    for (const char* key :
         {"\"trades\": ", "\"percent_profitable\": ", "\"max_drawdown_percent\": ",
          "\"car_percent\": ", "\"sharpe\": ", "\"profit_factor\": "}) {
        EXPECT_NE(json.find(key), std::string::npos) << key;
    }

    // Sorted by the number of trades: the rows of the table, most trades first.
    const CliRun sorted =
        RunCommand(profile, ws.path(), "optimize",
                   {"--formula", kRule, "--commission", "percent=0.1", "--sort", "trades"});
    ASSERT_EQ(sorted.status, 0) << sorted.err;
    const auto sortedLines = Lines(sorted.out);
    ASSERT_EQ(sortedLines.size(), lines.size());
    const auto trades = [](const std::string& line) {
        std::istringstream cells(line);
        std::string n, k, profit;
        int count = -1;
        cells >> n >> k >> profit >> count;
        return count;
    };
    for (std::size_t i = 2; i < sortedLines.size(); ++i) {
        EXPECT_GE(trades(sortedLines[i - 1]), trades(sortedLines[i])) << sorted.out;
    }
    EXPECT_GT(trades(sortedLines[1]), trades(sortedLines.back()));
}

TEST(OptimizeCommand, RefusesAGridTooLargeAndWarnsOfLookAhead) {
    test::TempDir profile, ws;
    ASSERT_EQ(RunCommand(profile, {}, "sample-workspace", {ws.path().string()}).status, 0);
    const CliRun large = RunCommand(
        profile, ws.path(), "optimize",
        {"--formula", "a = optimize(\"a\", 1, 1, 1001, 1) * optimize(\"b\", 1, 1, 100, 1);"});
    EXPECT_EQ(large.status, 1);
    EXPECT_EQ(large.out, "");
    EXPECT_NE(large.err.find("more than 100,000 combinations"), std::string::npos) << large.err;
    const CliRun ahead = RunCommand(
        profile, ws.path(), "optimize",
        {"--formula", "buy = c < ref(c, optimize(\"p\", 1, 1, 2, 1)); sell = c > ref(c, 1);",
         "--apply", "current=WIG"});
    EXPECT_EQ(ahead.status, 0);
    EXPECT_EQ(ahead.err.rfind("The formula looks into the future (ref in line 1)", 0), 0u)
        << ahead.err;
    EXPECT_EQ(Lines(ahead.out).size(), 3u);
    EXPECT_EQ(
        RunCommand(profile, ws.path(), "optimize", {"--formula", kRule, "--sort", "x"}).status, 2);
}

}  // namespace
}  // namespace velmora::cli
