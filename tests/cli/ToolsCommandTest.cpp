#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <thread>

#include "cli/CliTestSupport.h"
#include "platform/IniSettingsStore.h"

namespace velmora::cli {
namespace {

using test_support::Lines;
using test_support::RunCliCommand;

TEST(ToolsCommand, EditsTheListInTheProfileSettings) {
    velmora::test::TempDir profile;
    auto run = [&](std::vector<std::string> args) {
        return RunCliCommand(profile, {}, "tools", std::move(args));
    };
    EXPECT_EQ(run({"list"}).out, "");
    EXPECT_EQ(run({"add", "Editor", "--command", "/usr/bin/vi", "--args", "-R"}).out, "0\n");
    EXPECT_EQ(run({"add", "Docs", "--command", "https://example.org", "--prompt"}).out, "1\n");
    auto r = run({"move", "0", "up"});
    EXPECT_EQ(r.status, kSuccess);
    EXPECT_EQ(Lines(r.out), (std::vector<std::string>{"0\tEditor\t/usr/bin/vi\t-R\t\t-",
                                                      "1\tDocs\thttps://example.org\t\t\tprompt"}));
    r = run({"move", "0", "down"});
    EXPECT_EQ(Lines(r.out)[0], "0\tDocs\thttps://example.org\t\t\tprompt");
    EXPECT_EQ(run({"remove", "1"}).status, kSuccess);
    EXPECT_EQ(Lines(run({"list"}).out).size(), 1u);

    IniSettingsStore settings(profile.path() / "settings.ini");
    EXPECT_EQ(settings.GetString("Custom Tools", "Count"), "1");
    EXPECT_EQ(settings.GetString("Custom Tools", "PromptForArgs0"), "1");
    EXPECT_FALSE(settings.GetString("Custom Tools", "Command1").has_value());

    EXPECT_EQ(run({"remove", "1"}).status, kFailure);
    EXPECT_EQ(run({"move", "0", "sideways"}).status, kUsage);
    EXPECT_EQ(run({"add", "NoCommand"}).status, kUsage);
    EXPECT_EQ(run({"frobnicate"}).status, kUsage);
}

TEST(ToolsCommand, RunPassesTheGivenArguments) {
    velmora::test::TempDir profile;
    auto run = [&](std::vector<std::string> args) {
        return RunCliCommand(profile, {}, "tools", std::move(args));
    };
    const auto dir = profile.path().string();
    run({"add", "Write", "--command", "/bin/sh", "--args", "-c 'echo stored > a.txt'", "--dir", dir,
         "--prompt"});
    auto r = run({"run", "0", "--args", "-c 'echo given > b.tmp; mv b.tmp b.txt'"});
    ASSERT_EQ(r.status, kSuccess) << r.err;
    const auto file = profile.path() / "b.txt";
    for (int i = 0; i < 400 && !std::filesystem::exists(file); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    std::ifstream in(file);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "given\n");
    EXPECT_FALSE(std::filesystem::exists(profile.path() / "a.txt"));

    EXPECT_EQ(run({"run", "1"}).status, kFailure);  // no such tool
}

}  // namespace
}  // namespace velmora::cli
