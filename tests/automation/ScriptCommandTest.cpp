#include <gtest/gtest.h>

#include "cli/CliTestSupport.h"
#include "database/StockFile.h"

namespace velmora::cli {
namespace {

using test_support::CliRun;
using test_support::Lines;
using test_support::RunCliCommandAt;

TEST(ScriptCommand, RunsSavesAndReportsErrors) {
    test::TempDir profile, ws, dir;
    ASSERT_EQ(RunCliCommandAt(profile.path(), {}, "sample-workspace", {ws.path().string()}).status,
              0);
    const auto script = [&](const std::string& name, const std::string& text) {
        test::WriteText(dir / name, text);
        return (dir / name).string();
    };
    const std::string change = script("change.js",
                                      "var app = createObject('Tarvik.Application');\n"
                                      "var s = app.Stocks.Item(0); s.FullName = args.join('+');\n"
                                      "print(s.Ticker, s.IsDirty);\n");
    const std::string read =
        script("read.js", "print(createObject('Tarvik.Application').Stocks.Item(0).FullName);");

    // --no-save leaves the workspace as it was.
    CliRun r = RunCliCommandAt(profile.path(), ws.path(), "script", {change, "a", "b"}, true);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Lines(r.out), (std::vector<std::string>{"ALDORA true"}));
    EXPECT_EQ(Lines(RunCliCommandAt(profile.path(), ws.path(), "script", {read}).out),
              (std::vector<std::string>{"Aldora Mining Works"}));
    r = RunCliCommandAt(profile.path(), ws.path(), "script", {change, "x y", "z"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Lines(RunCliCommandAt(profile.path(), ws.path(), "script", {read}).out),
              (std::vector<std::string>{"x y+z"}));

    // Market names and advance/decline days live in the workspace file, which is written too.
    const std::string market =
        script("market.js",
               "var m = createObject('Tarvik.Application').Markets.Item(7); m.Name = 'Seventh';\n"
               "m.ADQuotations.Add('2024-03-01').AdvIssues = 42;");
    ASSERT_EQ(RunCliCommandAt(profile.path(), ws.path(), "script", {market}).status, 0);
    const std::string readMarket =
        script("readmarket.js",
               "var m = createObject('Tarvik.Application').Markets.Item(7);\n"
               "print(m.Name, m.ADQuotations.Item('2024-03-01').AdvIssues);");
    EXPECT_EQ(RunCliCommandAt(profile.path(), ws.path(), "script", {readMarket}).out,
              "Seventh 42\n");

    // A stock removed by a run that does not save keeps its file.
    const std::string remove =
        script("remove.js", "print(createObject('Tarvik.Application').Stocks.Remove('ALDORA'));");
    r = RunCliCommandAt(profile.path(), ws.path(), "script", {remove}, true);
    EXPECT_EQ(r.out, "true\n");
    EXPECT_TRUE(std::filesystem::exists(StockFilePath(ws.path(), "ALDORA")));

    // An uncaught exception: its file and line on stderr, exit status 1, what ran before kept.
    const std::string failing =
        script("fail.js", "print('before');\ncreateObject('Tarvik.Application')\n  .Nothing();\n");
    r = RunCliCommandAt(profile.path(), ws.path(), "script", {failing});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "before\n");
    EXPECT_NE(r.err.find(failing + ":3: TypeError"), std::string::npos) << r.err;
    EXPECT_NE(RunCliCommandAt(profile.path(), ws.path(), "script", {script("syntax.js", "if (")})
                  .err.find("SyntaxError"),
              std::string::npos);

    EXPECT_EQ(
        RunCliCommandAt(profile.path(), ws.path(), "script", {(dir / "none.js").string()}).status,
        1);
    EXPECT_EQ(RunCliCommandAt(profile.path(), ws.path(), "script", {}).status, 2);
}

TEST(ScriptCommand, SampleScriptRunsOnTheSampleWorkspace) {
    test::TempDir profile, ws;
    ASSERT_EQ(RunCliCommandAt(profile.path(), {}, "sample-workspace", {ws.path().string()}).status,
              0);
    const auto sample =
        test::TestDataDir().parent_path().parent_path() / "resources" / "samples" / "summary.js";
    const CliRun r =
        RunCliCommandAt(profile.path(), ws.path(), "script", {sample.string(), "ALDORA", "NONE"});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 4u) << r.out;
    EXPECT_EQ(lines[0], "Velmora automation 3.22.0, 39 stocks");
    EXPECT_EQ(lines[1].rfind("ALDORA\t2024-12-31\t", 0), 0u) << lines[1];
    EXPECT_EQ(lines[2], "NONE: no such stock");
}

}  // namespace
}  // namespace velmora::cli
