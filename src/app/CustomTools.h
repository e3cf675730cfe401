#pragma once
// The custom tools of the Tools menu: outside programs, scripts, documents or addresses the
// user starts from the menu, each with its arguments and working directory. The list (at most
// 20) is kept in the settings store's "Custom Tools" section and edited by the customize
// dialog, whose operations are here without their widgets.

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "database/Application.h"
#include "platform/SettingsStore.h"
#include "platform/UserInterface.h"

namespace velmora {

inline constexpr int kMaxCustomTools = 20;
inline constexpr int kCustomizeToolsCommand = 3856;
inline constexpr int kFirstCustomToolCommand = 3857;  // tool i: 3857 + i, up to 3876
inline constexpr char kCustomToolsSection[] = "Custom Tools";
inline constexpr char kNewToolName[] = "New Item";
inline constexpr char kToolArgumentsPrompt[] = "Arguments for command";

struct CustomTool {
    std::string name;     // the menu text
    std::string command;  // a program, script, document or address
    std::string arguments;
    std::string initialDirectory;  // the working directory (empty: the program's own)
    bool promptForArguments = false;

    bool operator==(const CustomTool&) const = default;
};

// One item of the Tools menu.
struct ToolsMenuItem {
    std::string text;
    int command = 0;
};

class CustomTools {
  public:
    // Starts a tool: command, arguments, working directory; true when it was started.
    using Launcher = std::function<bool(std::string_view command, std::string_view arguments,
                                        const std::filesystem::path& directory)>;

    // Reads the list: "Count" (absent: 0, held to 0..20) tools of "Name%d", "Command%d",
    // "Args%d", "InitDir%d" and "PromptForArgs%d" (absent texts read empty).
    void Load(const SettingsStore& settings);
    // Writes "Count" and every tool's five values; the values of tool numbers beyond the count
    // (left by deleted tools) are removed.
    void Save(SettingsStore& settings) const;

    int Count() const { return static_cast<int>(tools_.size()); }
    const CustomTool& At(int i) const { return tools_.at(static_cast<std::size_t>(i)); }
    // Edits the fields of tool i (the dialog's "Command:", "Arguments:", "Initial directory:"
    // and "Prompt for arguments").
    CustomTool& At(int i) { return tools_.at(static_cast<std::size_t>(i)); }
    const std::vector<CustomTool>& Tools() const { return tools_; }

    // --- the customize dialog: each returns the index selected afterwards ----------------
    // The tool selected when the dialog opens: the first (-1 when there is none).
    int InitialSelection() const { return tools_.empty() ? -1 : 0; }
    // Appends a tool named "New Item" and selects it; -1 (nothing added) when 20 exist.
    int New();
    // Removes tool i; the selection stays at i (the last tool when i was the last), -1 when
    // the list became empty or i is not a tool.
    int Delete(int i);
    // Swap tool i with its neighbour; the moved tool stays selected. The first tool moved up
    // and the last moved down stay where they are.
    int MoveUp(int i);
    int MoveDown(int i);
    // Renames tool i (the list item's label edited); an empty label is a cancelled edit.
    bool Rename(int i, std::string_view name);
    // "Close": writes the list and marks the Tools menu for rebuilding.
    void CloseCustomizeDialog(SettingsStore& settings);

    // --- the Tools menu -------------------------------------------------------------------
    bool MenuNeedsRebuild() const { return menuDirty_; }
    void MarkMenuForRebuild() { menuDirty_ = true; }
    // When marked: removes every custom tool item from `menu` and appends one item per tool,
    // in list order. True when the menu was rebuilt.
    bool RebuildMenu(std::vector<ToolsMenuItem>& menu);
    // The tool a menu command runs; -1 when the command is no custom tool of the list.
    int ToolOfCommand(int command) const;
    // The status bar prompt of a custom tool command ("User defined tool 1" for the first);
    // empty for other commands.
    static std::string StatusPrompt(int command);

    // Runs tool i: the stored arguments, or the user's text when the tool prompts for them
    // ("Arguments for command", starting from the stored arguments), then the launcher. A
    // cancelled prompt starts nothing. Failures to start are not reported to the user; the
    // result says whether the tool was started.
    bool Run(int i, UserInterface& ui, const Launcher& launch) const;
    bool Run(int i, UserInterface& ui) const;

  private:
    std::vector<CustomTool> tools_;
    bool menuDirty_ = true;  // the menu has not been built yet
};

// Reads the tools from the settings store at start-up. The tools and the store must outlive
// the application's start-up.
void AttachCustomTools(ApplicationHooks& hooks, CustomTools& tools, SettingsStore& settings);

}  // namespace velmora
