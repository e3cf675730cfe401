#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <thread>

#include "app/CustomTools.h"
#include "common/TestSupport.h"
#include "platform/ConsoleUserInterface.h"
#include "platform/DesktopOpen.h"
#include "platform/IniSettingsStore.h"
#include "platform/MemorySettingsStore.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

CustomTools ThreeTools() {
    CustomTools tools;
    for (const char* name : {"Editor", "Browser", "Script"}) tools.Rename(tools.New(), name);
    return tools;
}

std::vector<std::string> Names(const CustomTools& tools) {
    std::vector<std::string> names;
    for (const CustomTool& t : tools.Tools()) names.push_back(t.name);
    return names;
}

// Waits (up to 20 s) for a file a started program writes.
std::string WaitForFile(const fs::path& file) {
    for (int i = 0; i < 400 && !fs::exists(file); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    std::ifstream in(file);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(CustomTools, WithoutCountTheMenuShowsNoTools) {
    MemorySettingsStore settings;
    settings.SetString(kCustomToolsSection, "Name0", "Stale");  // no "Count": not a tool
    CustomTools tools;
    tools.Load(settings);
    EXPECT_EQ(tools.Count(), 0);
    // Items left from an earlier list go; the menu's own items stay.
    std::vector<ToolsMenuItem> menu{{"&Customize...", kCustomizeToolsCommand},
                                    {"Old", kFirstCustomToolCommand}};
    EXPECT_TRUE(tools.RebuildMenu(menu));
    ASSERT_EQ(menu.size(), 1u);
    EXPECT_EQ(menu[0].command, kCustomizeToolsCommand);
    EXPECT_FALSE(tools.RebuildMenu(menu));  // nothing changed since
}

TEST(CustomTools, LoadHoldsTheCountToTheListSize) {
    MemorySettingsStore settings;
    settings.SetInt(kCustomToolsSection, "Count", 25);
    settings.SetString(kCustomToolsSection, "Command19", "/bin/true");
    CustomTools tools;
    tools.Load(settings);
    ASSERT_EQ(tools.Count(), kMaxCustomTools);
    EXPECT_EQ(tools.At(19).command, "/bin/true");
    EXPECT_EQ(tools.At(0), CustomTool{});  // absent values read empty
    EXPECT_EQ(tools.New(), -1);
    settings.SetString(kCustomToolsSection, "Count", "-3");
    tools.Load(settings);
    EXPECT_EQ(tools.Count(), 0);
}

TEST(CustomTools, DialogEditsKeepTheSelectionOnTheMovedTool) {
    CustomTools tools = ThreeTools();
    EXPECT_EQ(tools.MoveUp(0), 0);
    EXPECT_EQ(Names(tools), (std::vector<std::string>{"Editor", "Browser", "Script"}));
    EXPECT_EQ(tools.MoveDown(2), 2);
    EXPECT_EQ(Names(tools), (std::vector<std::string>{"Editor", "Browser", "Script"}));
    EXPECT_EQ(tools.MoveDown(0), 1);
    EXPECT_EQ(tools.MoveUp(2), 1);
    EXPECT_EQ(Names(tools), (std::vector<std::string>{"Browser", "Script", "Editor"}));
    EXPECT_FALSE(tools.Rename(1, ""));
    EXPECT_TRUE(tools.Rename(1, "Run it"));
    EXPECT_EQ(tools.Delete(2), 1);  // the last deleted: its predecessor is selected
    EXPECT_EQ(tools.Delete(0), 0);
    EXPECT_EQ(Names(tools), (std::vector<std::string>{"Run it"}));
    EXPECT_EQ(tools.Delete(0), -1);
    EXPECT_EQ(tools.InitialSelection(), -1);
    EXPECT_EQ(tools.New(), 0);
    EXPECT_EQ(tools.At(0).name, kNewToolName);
}

TEST(CustomTools, CloseWritesTheListThatTheNextStartReads) {
    test::TempDir dir;
    CustomTools tools = ThreeTools();
    tools.At(0).command = "/usr/bin/editor";
    tools.At(0).arguments = "--line 3 \"a b\"\\x";
    tools.At(0).initialDirectory = "/tmp/work dir";
    tools.At(0).promptForArguments = true;
    tools.At(2).arguments = "multi\nline=value";
    std::vector<ToolsMenuItem> menu;
    tools.RebuildMenu(menu);
    {
        IniSettingsStore settings(dir.path() / "settings.ini");
        tools.CloseCustomizeDialog(settings);
    }
    EXPECT_TRUE(tools.RebuildMenu(menu));
    ASSERT_EQ(menu.size(), 3u);
    EXPECT_EQ(menu[2].text, "Script");
    EXPECT_EQ(tools.ToolOfCommand(menu[2].command), 2);
    EXPECT_EQ(tools.ToolOfCommand(kFirstCustomToolCommand + 3), -1);
    EXPECT_EQ(CustomTools::StatusPrompt(3876), "User defined tool 20");
    EXPECT_EQ(CustomTools::StatusPrompt(3877), "");

    IniSettingsStore settings(dir.path() / "settings.ini");
    EXPECT_EQ(settings.GetString(kCustomToolsSection, "PromptForArgs0"), "1");
    EXPECT_EQ(settings.GetString(kCustomToolsSection, "Name1"), "Browser");
    ApplicationHooks hooks;
    CustomTools loaded;
    AttachCustomTools(hooks, loaded, settings);
    hooks.loadCustomTools();
    EXPECT_EQ(loaded.Tools(), tools.Tools());

    // After a delete the entries of the vanished number go, the others are renumbered.
    loaded.Delete(0);
    loaded.CloseCustomizeDialog(settings);
    EXPECT_EQ(settings.GetInt(kCustomToolsSection, "Count", -1), 2);
    EXPECT_EQ(settings.GetString(kCustomToolsSection, "Name0"), "Browser");
    EXPECT_FALSE(settings.GetString(kCustomToolsSection, "Name2").has_value());
    EXPECT_FALSE(settings.GetString(kCustomToolsSection, "Args2").has_value());
}

TEST(CustomTools, RunPromptsOnlyWhenFlagged) {
    CustomTools tools = ThreeTools();
    tools.At(0).command = "/usr/bin/editor";
    tools.At(0).arguments = "stored";
    tools.At(0).initialDirectory = "/tmp";
    tools.At(1).arguments = "stored";
    tools.At(1).promptForArguments = true;
    std::vector<std::tuple<std::string, std::string, fs::path>> started;
    auto launch = [&](std::string_view c, std::string_view a, const fs::path& d) {
        started.emplace_back(std::string(c), std::string(a), d);
        return true;
    };
    RecordingUserInterface ui;
    EXPECT_TRUE(tools.Run(0, ui, launch));
    EXPECT_TRUE(ui.prompts.empty());
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0], std::make_tuple(std::string("/usr/bin/editor"), std::string("stored"),
                                          fs::path("/tmp")));

    ui.stringAnswer = "typed";
    EXPECT_TRUE(tools.Run(1, ui, launch));
    ASSERT_EQ(ui.prompts.size(), 1u);
    EXPECT_EQ(ui.prompts[0].prompt, "Arguments for command");
    EXPECT_EQ(ui.prompts[0].initial, "stored");
    EXPECT_EQ(std::get<1>(started.back()), "typed");
    EXPECT_EQ(tools.At(1).arguments, "stored");  // the typed text is not kept

    ui.stringAnswer.reset();  // cancelled: nothing starts
    EXPECT_FALSE(tools.Run(1, ui, launch));
    EXPECT_FALSE(tools.Run(3, ui, launch));
    EXPECT_EQ(started.size(), 2u);
}

TEST(CustomTools, RunStartsTheProgramWithItsArgumentsInItsDirectory) {
    test::TempDir dir;
    fs::create_directory(dir.path() / "work dir");
    CustomTools tools;
    tools.New();
    tools.At(0).command = "/bin/sh";
    // The file appears whole (renamed into place) once the program has written it.
    tools.At(0).arguments =
        "-c 'pwd > out.tmp; printf \"%s|%s\\n\" \"$1\" \"$2\" >> out.tmp; mv out.tmp out.txt' "
        "sh \"two words\" it\\'s";
    tools.At(0).initialDirectory = (dir.path() / "work dir").string();
    RecordingUserInterface ui;
    ASSERT_TRUE(tools.Run(0, ui));
    const std::string text = WaitForFile(dir.path() / "work dir" / "out.txt");
    EXPECT_EQ(text, fs::canonical(dir.path() / "work dir").string() + "\ntwo words|it's\n");
    EXPECT_TRUE(ui.messages.empty());
}

TEST(DesktopOpen, StartFailuresAreResults) {
    test::TempDir dir;
    EXPECT_FALSE(StartDetached({dir.path().string() + "/missing"}, {}));
    EXPECT_FALSE(StartDetached({"/bin/true"}, dir.path() / "no such dir"));
    EXPECT_FALSE(StartDetached({}, {}));
    EXPECT_TRUE(StartDetached({"true"}, dir.path()));  // found on PATH
    EXPECT_TRUE(IsExecutableCommand("sh"));
    EXPECT_FALSE(IsExecutableCommand("https://example.org/"));
    test::WriteText(dir.path() / "notes.txt", "x");
    EXPECT_FALSE(IsExecutableCommand((dir.path() / "notes.txt").string()));
    EXPECT_FALSE(IsExecutableCommand(dir.path().string()));  // a directory
}

TEST(DesktopOpen, SplitArgumentsWithoutAShell) {
    using V = std::vector<std::string>;
    EXPECT_EQ(SplitArguments(""), V{});
    EXPECT_EQ(SplitArguments("  a\tb  "), (V{"a", "b"}));
    EXPECT_EQ(SplitArguments(R"("a b" 'c "d"' e\ f "g\"h" $HOME *)"),
              (V{"a b", "c \"d\"", "e f", "g\"h", "$HOME", "*"}));
    EXPECT_EQ(SplitArguments(R"("" x"y"z "open)"), (V{"", "xyz", "open"}));
}

}  // namespace
}  // namespace velmora
