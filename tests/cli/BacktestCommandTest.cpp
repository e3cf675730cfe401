#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "cli/Cli.h"
#include "cli/CliTestSupport.h"
#include "common/TestSupport.h"

namespace velmora::cli {
namespace {

using test_support::CliRun;
constexpr auto RunCommand = &test_support::RunCliCommand;

using test_support::Lines;

constexpr char kRule[] = "buy = c > ma(c, 20); sell = c < ma(c, 20);";

TEST(BacktestCommand, PrintsTradesAndSummaryAndWritesReportExportAndJson) {
    test::TempDir profile, ws, out;
    ASSERT_EQ(RunCommand(profile, {}, "sample-workspace", {ws.path().string()}).status, 0);
    const CliRun r =
        RunCommand(profile, ws.path(), "backtest",
                   {"--formula", kRule, "--report", (out / "r.html").string(), "--export",
                    (out / "e.txt").string(), "--json", (out / "r.json").string()});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto lines = Lines(r.out);
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines.back().rfind("Trans no.: ", 0), 0u);
    EXPECT_EQ(lines.back().back(), ')');  // the whole summary line, not the row's 79 bytes
    EXPECT_EQ(lines[lines.size() - 2], "");
    for (std::size_t i = 0; i + 2 < lines.size(); ++i) {
        EXPECT_EQ(std::count(lines[i].begin(), lines[i].end(), '\t'), 4) << lines[i];
        EXPECT_TRUE(lines[i].find("\tLong\t") != std::string::npos) << lines[i];
    }
    const std::string report = test::ReadText(out / "r.html");
    EXPECT_EQ(report.rfind("<HEAD>\n<TITLE>Velmora System Test Report</TITLE>", 0), 0u);
    EXPECT_NE(report.find("Overall performance summary"), std::string::npos);
    EXPECT_EQ(report.substr(report.size() - 8), "</BODY>\n");
    EXPECT_EQ(test::ReadText(out / "e.txt_Summary.html"), report);
    const std::string exported = test::ReadText(out / "e.txt");
    EXPECT_EQ(exported.rfind(std::string("Formula used:\n") + kRule + "\n\nAnalysis results:\n", 0),
              0u);
    EXPECT_NE(exported.find("\n\n\n" + lines.back() + "\n"), std::string::npos);
    const std::string json = test::ReadText(out / "r.json");
    for (const char* key : {"\"stocks\"", "\"overall\"", "\"max_consecutive_losers\"",
                            "\"buy_and_hold_equity\"", "\"current_run\""}) {
        EXPECT_NE(json.find(key), std::string::npos) << key;
    }

    // The report switches and the settings options.
    const CliRun bare =
        RunCommand(profile, ws.path(), "backtest",
                   {"--formula", kRule, "--positions", "both", "--commission", "percent=0.5",
                    "--stop", "percent=10", "--buy-delay", "1", "--buy-price", "open", "--report",
                    (out / "bare.html").string(), "--no-overall", "--no-stock-summary",
                    "--no-trade-list", "--apply", "current=WIG"});
    ASSERT_EQ(bare.status, 0) << bare.err;
    EXPECT_NE(bare.out.find("\tShort\t"), std::string::npos);
    EXPECT_EQ(test::ReadText(out / "bare.html").find("<TABLE"), std::string::npos);
}

TEST(BacktestCommand, SeveralThreadsGiveTheOneThreadOutputReportAndJson) {
    test::TempDir profile, ws, out;
    ASSERT_EQ(RunCommand(profile, {}, "sample-workspace", {ws.path().string()}).status, 0);
    std::string outputs[2];
    for (const int threads : {1, 3}) {
        const std::string n = std::to_string(threads);
        const CliRun r =
            RunCommand(profile, ws.path(), "backtest",
                       {"--formula", kRule, "--positions", "both", "--threads", n, "--report",
                        (out / (n + ".html")).string(), "--json", (out / (n + ".json")).string()});
        ASSERT_EQ(r.status, 0) << r.err;
        outputs[threads == 1 ? 0 : 1] = r.out;
    }
    EXPECT_GT(Lines(outputs[0]).size(), 100u);
    EXPECT_EQ(outputs[1], outputs[0]);
    EXPECT_EQ(test::ReadText(out / "3.html"), test::ReadText(out / "1.html"));
    EXPECT_EQ(test::ReadText(out / "3.json"), test::ReadText(out / "1.json"));
}

// The extended statistics only add: the rows, the classic report and the classic figures stay
// as without them, also when the stocks run on several threads.
TEST(BacktestCommand, StatsAddToTheClassicOutputs) {
    test::TempDir profile, ws, out;
    ASSERT_EQ(RunCommand(profile, {}, "sample-workspace", {ws.path().string()}).status, 0);
    const auto run = [&](const std::string& name, std::vector<std::string> extra) {
        std::vector<std::string> args = {"--formula", kRule,
                                         "--report",  (out / (name + ".html")).string(),
                                         "--json",    (out / (name + ".json")).string()};
        args.insert(args.end(), extra.begin(), extra.end());
        return RunCommand(profile, ws.path(), "backtest", args);
    };
    const CliRun classic = run("classic", {});
    const CliRun stats = run("stats", {"--stats", "--threads", "3"});
    ASSERT_EQ(stats.status, 0) << stats.err;
    EXPECT_EQ(stats.out, classic.out);
    const std::string report = test::ReadText(out / "classic.html");
    const std::string extended = test::ReadText(out / "stats.html");
    const std::string body = report.substr(0, report.size() - 8);  // without "</BODY>\n"
    EXPECT_EQ(extended.substr(0, body.size()), body);
    EXPECT_NE(extended.find("<svg", body.size()), std::string::npos);
    EXPECT_EQ(report.find("<svg"), std::string::npos);
    const std::string json = test::ReadText(out / "stats.json");
    EXPECT_EQ(test::ReadText(out / "classic.json").find("equity_curve"), std::string::npos);
    const std::string overall = json.substr(json.find("\"overall\""));
    for (const char* key : {"\"car_percent\"", "\"max_drawdown_percent\"", "\"sharpe\"",
                            "\"exposure_percent\"", "\"equity_curve\": [[\"20"}) {
        EXPECT_NE(overall.find(key), std::string::npos) << key;
    }
}

// A rule that reads later bars still runs; the warning goes to stderr and the report's head.
TEST(BacktestCommand, LookAheadRuleIsWarnedOnce) {
    test::TempDir profile, ws, out;
    ASSERT_EQ(RunCommand(profile, {}, "sample-workspace", {ws.path().string()}).status, 0);
    const std::string warning =
        "The formula looks into the future (zig in line 1): its signals are not tradable and "
        "the back test overstates results";
    const CliRun r =
        RunCommand(profile, ws.path(), "backtest",
                   {"--formula", "z = zig(c, 5);\nbuy = z > ref(z, -1); sell = z < ref(z, -1);",
                    "--report", (out / "r.html").string()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, warning + "\n");
    EXPECT_GT(Lines(r.out).size(), 2u);
    EXPECT_NE(test::ReadText(out / "r.html").find("<BODY>\n<P><B>" + warning + "</B></P>\n"),
              std::string::npos);
}

TEST(BacktestCommand, RejectsBadOptions) {
    test::TempDir profile, ws;
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--positions", "sideways"},
          {"--equity", "0"},
          {"--commission", "percent=-1"},
          {"--buy-price", "mid"},
          {"--sell-delay", "-1"},
          {"--stop", "points=2"},
          {"--range", "last=x"},
          {"--threads", "0"},
          {"--report"},
          {"extra"}}) {
        const CliRun r = RunCommand(profile, ws.path(), "backtest", args);
        EXPECT_EQ(r.status, 2) << args.front();
        EXPECT_FALSE(r.err.empty());
    }
}

}  // namespace
}  // namespace velmora::cli
