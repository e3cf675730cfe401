#include <gtest/gtest.h>

#include <string>

#include "cli/Cli.h"
#include "cli/CliTestSupport.h"
#include "common/TestSupport.h"
#include "formula/Builtins.h"
#include "formula/FunctionHelp.h"

namespace velmora::cli {
namespace {

using test_support::CliRun;
using test_support::Lines;

CliRun RunCli(const test::TempDir& profile, const std::string& name,
              std::vector<std::string> args) {
    return test_support::RunCliCommandAt(profile.path(), {}, name, std::move(args));
}

TEST(FormulaCommands, FunctionsListEveryFunctionAndShowOneInFull) {
    test::TempDir profile;
    CliRun r = RunCli(profile, "functions", {});
    ASSERT_EQ(r.status, kSuccess) << r.err;
    const auto lines = Lines(r.out);
    ASSERT_EQ(lines.size(), FunctionHelpTable().size());
    for (const BuiltinEntry& entry : BuiltinTable()) {
        const std::string start = std::string(entry.name) + "(";
        EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                                [&](const std::string& l) { return l.rfind(start, 0) == 0; }),
                  1)
            << entry.name;
    }
    EXPECT_EQ(lines[4], "ema(array, periods) \u2014 exponential moving average");

    r = RunCli(profile, "functions", {"MACD"});
    ASSERT_EQ(r.status, kSuccess);
    EXPECT_EQ(Lines(r.out)[0],
              "macd(fast = 12, slow = 26) \u2014 MACD line of the close: fast "
              "minus slow exponential average");
    EXPECT_NE(r.out.find("\n  slow: number, default 26\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\n  example: m = macd(); buy = cross(m, 0);\n"), std::string::npos);

    EXPECT_EQ(RunCli(profile, "functions", {"nosuch"}).status, kFailure);
    EXPECT_EQ(RunCli(profile, "functions", {"ma", "ema"}).status, kUsage);
    EXPECT_EQ(RunCli(profile, "functions", {"--markdown"}).out.rfind("# QRX functions\n", 0), 0u);
}

TEST(FormulaCommands, CheckPrintsEachErrorAsFileLineColumn) {
    test::TempDir profile, dir;
    const std::string good = (dir / "good.qrx").string(), bad = (dir / "bad.qrx").string();
    test::WriteText(good, "buy = cross(c, ma(c, 5));\r\nsell = 0;\r\n");
    test::WriteText(bad, "a = 1;\nb = zz;\nc1 = ma(c);\n");

    CliRun r = RunCli(profile, "check", {good});
    EXPECT_EQ(r.status, kSuccess);
    EXPECT_EQ(r.out, "");
    r = RunCli(profile, "check", {good, bad});
    EXPECT_EQ(r.status, kFailure);
    EXPECT_EQ(r.out, bad + ":2:5: Unknown identifier\n" + bad + ":3:6: Missing arguments\n");
    r = RunCli(profile, "check", {"--formula", "x = 1"});
    EXPECT_EQ(r.status, kFailure);
    EXPECT_EQ(r.out, "formula:1:6: Syntax error\n");
    r = RunCli(profile, "check", {(dir / "none.qrx").string()});
    EXPECT_EQ(r.status, kFailure);
    EXPECT_NE(r.err.find("cannot read"), std::string::npos);
    EXPECT_EQ(RunCli(profile, "check", {}).status, kUsage);
    EXPECT_EQ(RunCli(profile, "check", {good, "--formula", "x = 1;"}).status, kUsage);
}

}  // namespace
}  // namespace velmora::cli
