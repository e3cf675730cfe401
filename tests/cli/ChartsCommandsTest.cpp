#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "CliTestSupport.h"
#include "chart/ChartDefinition.h"
#include "chart/ChartsFile.h"

namespace velmora::cli {
namespace {

using test_support::CliRun;
using test_support::Lines;
using test_support::RunCliCommand;

class ChartsCommands : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(Run("", "sample-workspace", {workspace_.path().string()}).status, 0);
    }
    CliRun Run(const std::filesystem::path& ws, const std::string& name,
               std::vector<std::string> args) {
        return RunCliCommand(profile_, ws, name, std::move(args));
    }
    CliRun Charts(std::vector<std::string> args) { return Run("", "charts", std::move(args)); }
    std::string FirstTicker() {
        const auto lines = Lines(Run(workspace_.path(), "list", {}).out);
        return lines.empty() ? "" : lines[0].substr(0, lines[0].find('\t'));
    }
    test::TempDir profile_;
    test::TempDir workspace_;
};

TEST_F(ChartsCommands, SetListShowRoundTripThroughTheChartsFile) {
    const std::filesystem::path formula = profile_.path() / "osc.qrx";
    test::WriteText(formula, "graph0 = rsi(14);\ngraph1 = 50;\n");
    CliRun r = Charts({"set", "1002", "--name", "My RSI", "--formula-file", formula.string(),
                       "--min", "0", "--max", "100", "--grid", "30/70,middle"});
    ASSERT_EQ(r.status, 0) << r.err;
    r = Charts({"list"});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 39u);
    EXPECT_EQ(lines[17], "18\tADX/DMI\tautomatic\tlevel0,limits,percent,30/70\tformula");
    EXPECT_EQ(lines[21], "1002\tMy RSI\tcustom 0 .. 100\t30/70,middle\tformula");

    r = Charts({"show", "1002"});
    EXPECT_EQ(r.out,
              "id: 1002\nname: My RSI\nscaling: custom 0 .. 100\ngrid: 30/70,middle (0xD00)\n"
              "formula:\ngraph0 = rsi(14);\ngraph1 = 50;\n");
    // The file holds the definition as the program reads it.
    ChartTable table;
    ASSERT_TRUE(ReadChartsFile(table, profile_.path() / kChartsFileName));
    EXPECT_EQ(table.FindById(1002)->formula, "graph0 = rsi(14);\r\ngraph1 = 50;\r\n");
    EXPECT_EQ(table.FindById(1002)->gridFlags, 0xD00);

    // --auto keeps the bounds but takes them from the data; --grid none clears the boxes.
    r = Charts({"set", "1002", "--auto", "--grid", "none"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Lines(Charts({"list"}).out)[21], "1002\tMy RSI\tautomatic\t-\tformula");
}

TEST_F(ChartsCommands, SetRejectsBadRequestsAndLeavesTheFile) {
    EXPECT_EQ(Charts({"set", "3", "--auto"}).status, 1);  // built-in
    EXPECT_EQ(Charts({"set", "1000", "--min", "5", "--max", "1"}).status, 2);
    EXPECT_EQ(Charts({"set", "1000", "--auto", "--min", "0", "--max", "1"}).status, 2);
    EXPECT_EQ(Charts({"set", "1000", "--grid", "level0,bogus"}).status, 2);
    EXPECT_FALSE(std::filesystem::exists(profile_.path() / kChartsFileName));
}

TEST_F(ChartsCommands, CommentaryPrintsTheFormulasText) {
    const std::string ticker = FirstTicker();
    ASSERT_FALSE(ticker.empty());
    CliRun r = Run(workspace_.path(), "commentary",
                   {ticker, "--formula", "\"Hello \" + name(); writeif(1, \"second\", \"no\");"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Hello " + ticker + "\nsecond\n");

    // --date selects the bar of that day.
    const auto quotes = Lines(Run(workspace_.path(), "quotes", {ticker}).out);
    ASSERT_GT(quotes.size(), 12u);
    const std::string day = quotes[10].substr(0, quotes[10].find(','));
    r = Run(workspace_.path(), "commentary", {ticker, "--formula", "date();", "--date", day});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, day + "\n");
    EXPECT_EQ(Run(workspace_.path(), "commentary", {ticker, "--formula", "x = nosuch(1);"}).status,
              1);
    r = Run(workspace_.path(), "commentary",
            {ticker, "--formula-file", (profile_.path() / "none.qrx").string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("cannot read the formula file"), std::string::npos) << r.err;
    EXPECT_EQ(Run(workspace_.path(), "commentary", {"NO SUCH", "--formula", "\"x\";"}).status, 1);
}

TEST_F(ChartsCommands, ChartRendersCustomAndFormulaDrivenPanes) {
    const std::filesystem::path formula = profile_.path() / "osc.qrx";
    test::WriteText(formula, "graph0 = rsi(14); graph1 = ma(rsi(14), 9); graph2 = 50;");
    ASSERT_EQ(Charts({"set", "1000", "--formula-file", formula.string(), "--auto"}).status, 0);
    const std::filesystem::path png = profile_.path() / "c.png";
    const CliRun r =
        Run(workspace_.path(), "chart",
            {FirstTicker(), "--out", png.string(), "--panes", "1:40,1000:20,18:20,19:20"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(r.err.empty()) << r.err;
    EXPECT_GT(std::filesystem::file_size(png), 1000u);

    // A pane whose formula fails: the image is still written, but the run fails and says so.
    test::WriteText(formula, "graph0 = rsi(14); graph1 = nosuch(3);");
    ASSERT_EQ(Charts({"set", "1001", "--formula-file", formula.string()}).status, 0);
    const std::filesystem::path failed = profile_.path() / "failed.png";
    const CliRun bad = Run(workspace_.path(), "chart",
                           {FirstTicker(), "--out", failed.string(), "--panes", "1:60,1001:40"});
    EXPECT_EQ(bad.status, 1);
    EXPECT_GT(std::filesystem::file_size(failed), 1000u);
    EXPECT_NE(bad.err.find("QRX Error"), std::string::npos) << bad.err;
    EXPECT_NE(bad.err.find("the formula of a pane failed"), std::string::npos) << bad.err;
}

}  // namespace
}  // namespace velmora::cli
