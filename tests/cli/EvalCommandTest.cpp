#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "cli/Cli.h"
#include "cli/CliTestSupport.h"
#include "common/TestSupport.h"

namespace velmora::cli {
namespace {

using Result = test_support::CliRun;
using test_support::Lines;

// Eval never saves; the other commands of these tests run without saving as well.
Result RunCli(const test::TempDir& profile, const std::string& workspace, const std::string& name,
              std::vector<std::string> args) {
    return test_support::RunCliCommandAt(profile.path(), workspace, name, std::move(args), true);
}

class EvalCommand : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        profile_ = std::make_unique<test::TempDir>();
        workspace_ = std::make_unique<test::TempDir>();
        ASSERT_EQ(RunCli(*profile_, "", "sample-workspace", {workspace_->path().string()}).status,
                  0);
    }
    static void TearDownTestSuite() {
        workspace_.reset();
        profile_.reset();
    }
    Result Eval(std::vector<std::string> args) {
        return RunCli(*profile_, workspace_->path().string(), "eval", std::move(args));
    }
    static inline std::unique_ptr<test::TempDir> profile_;
    static inline std::unique_ptr<test::TempDir> workspace_;
};

TEST_F(EvalCommand, PrintsTheArraysPerBar) {
    const Result quotes = RunCli(*profile_, workspace_->path().string(), "quotes", {"WIG"});
    const auto quoteLines = Lines(quotes.out);
    const Result r = Eval({"WIG", "--formula", "x = close * 2; m = ma(close, 3); k = 7; s = \"t\";",
                           "--print", "close,x,m,k,s,nothing"});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto lines = Lines(r.out);
    ASSERT_EQ(lines.size(), quoteLines.size());
    EXPECT_EQ(lines[0], "date,close,x,m,k,s,nothing");
    // date,open,high,low,close,... of the quotes against date,close,x,m,k,s,nothing.
    const std::string& q1 = quoteLines[1];
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (std::size_t comma; (comma = q1.find(',', start)) != std::string::npos; start = comma + 1) {
        fields.push_back(q1.substr(start, comma - start));
    }
    const std::string& row1 = lines[1];
    EXPECT_EQ(row1.substr(0, row1.find(',')), fields[0]);
    EXPECT_NE(row1.find("," + fields[4] + ","), std::string::npos);
    EXPECT_TRUE(row1.ends_with(",EMPTY,7,,")) << row1;
    char doubled[64];
    std::snprintf(doubled, sizeof doubled, "%.9g", std::stof(fields[4]) * 2.0f);
    EXPECT_NE(row1.find(std::string(",") + doubled + ","), std::string::npos) << row1;
    EXPECT_TRUE(lines[4].find("EMPTY") == std::string::npos) << lines[4];
}

TEST_F(EvalCommand, DefaultColumnsOutputAndErrors) {
    Result r = Eval({"wig", "--formula", "b = close > open; t = \"up\"; \"line\";", "--output"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "up\nline\n");
    r = Eval({"WIG", "--formula", "b = close > open; t = \"up\"; n = 1;"});
    EXPECT_EQ(Lines(r.out)[0], "date,b,n");
    r = Eval({"WIG", "--formula", "a1 = 1; y = x + 1; z = 2;", "--print", "a1,z"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "QRX Error\na1 = 1; y = x +\n              ^\n\nUnknown identifier\n\n");
    EXPECT_TRUE(Lines(r.out)[1].ends_with(",1,2"));
    // Selected bar and periodicity.
    r = Eval(
        {"WIG", "--formula", "v = lastvalue(line(0, 1));", "--selected-bar", "3", "--print", "v"});
    EXPECT_TRUE(Lines(r.out)[1].ends_with(",3"));
    const Result weekly = Eval({"WIG", "--formula", "x = 1;", "--periodicity", "weekly"});
    const Result daily = Eval({"WIG", "--formula", "x = 1;"});
    EXPECT_EQ(weekly.status, 0);
    EXPECT_LT(Lines(weekly.out).size() * 4, Lines(daily.out).size());
    EXPECT_GT(Lines(weekly.out).size() * 6, Lines(daily.out).size());
}

TEST_F(EvalCommand, FormulaFilesAndUsage) {
    test::TempDir dir;
    test::WriteText(dir / "f.qrx", "x = close;\n// comment\ny = x + 1;\n");
    Result r = Eval({"WIG", "--formula-file", (dir / "f.qrx").string(), "--print", "y"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Lines(r.out)[0], "date,y");
    EXPECT_EQ(Eval({"WIG", "--formula-file", (dir / "none.qrx").string()}).status, 1);
    EXPECT_EQ(Eval({"WIG"}).status, 2);
    EXPECT_EQ(Eval({"WIG", "--formula", "x=1;", "--formula-file", "f"}).status, 2);
    EXPECT_EQ(Eval({"WIG", "--formula", "x=1;", "--periodicity", "yearly"}).status, 2);
    EXPECT_EQ(Eval({"WIG", "--formula", "x=1;", "--selected-bar", "z"}).status, 2);
    EXPECT_EQ(Eval({"NOSUCH", "--formula", "x=1;"}).status, 1);
}

}  // namespace
}  // namespace velmora::cli
