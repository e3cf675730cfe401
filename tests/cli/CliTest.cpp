#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "cli/Cli.h"
#include "common/TestSupport.h"

namespace velmora::cli {
namespace {

// Runs one command the way main() does, capturing its standard output.
struct CommandRun {
    int status = -1;
    std::string out;
};

CommandRun RunCommand(const test::TempDir& profile, const std::string& workspace,
               const std::string& name, std::vector<std::string> args) {
    Context ctx;
    ctx.requestedProfile = profile.path();
    if (!workspace.empty()) ctx.requestedWorkspace = workspace;
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    ctx.out = out;
    ctx.err = err;
    CommandRun r;
    for (const Command& c : Commands()) {
        if (name == c.name) r.status = c.run(ctx, args);
    }
    std::rewind(out);
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, out)) > 0) r.out.append(buf, n);
    std::fclose(out);
    std::fclose(err);
    return r;
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
    EXPECT_EQ(quotes.out.rfind("date,open,high,low,close,volume,openint,mark,reduction\n", 0),
              0u);
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
