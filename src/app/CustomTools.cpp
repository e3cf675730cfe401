#include "app/CustomTools.h"

#include <algorithm>
#include <utility>

#include "platform/DesktopOpen.h"

namespace velmora {

namespace {

std::string Key(const char* name, int i) {
    return name + std::to_string(i);
}

}  // namespace

void CustomTools::Load(const SettingsStore& settings) {
    const int count =
        std::clamp(settings.GetInt(kCustomToolsSection, "Count", 0), 0, kMaxCustomTools);
    tools_.clear();
    for (int i = 0; i < count; ++i) {
        auto text = [&](const char* name) {
            return settings.GetString(kCustomToolsSection, Key(name, i)).value_or("");
        };
        CustomTool tool;
        tool.name = text("Name");
        tool.command = text("Command");
        tool.arguments = text("Args");
        tool.initialDirectory = text("InitDir");
        tool.promptForArguments =
            settings.GetInt(kCustomToolsSection, Key("PromptForArgs", i), 0) != 0;
        tools_.push_back(std::move(tool));
    }
    menuDirty_ = true;
}

void CustomTools::Save(SettingsStore& settings) const {
    settings.SetInt(kCustomToolsSection, "Count", Count());
    for (int i = 0; i < Count(); ++i) {
        const CustomTool& tool = tools_[static_cast<std::size_t>(i)];
        settings.SetString(kCustomToolsSection, Key("Name", i), tool.name);
        settings.SetString(kCustomToolsSection, Key("Command", i), tool.command);
        settings.SetString(kCustomToolsSection, Key("Args", i), tool.arguments);
        settings.SetString(kCustomToolsSection, Key("InitDir", i), tool.initialDirectory);
        settings.SetInt(kCustomToolsSection, Key("PromptForArgs", i), tool.promptForArguments);
    }
    for (int i = Count(); i < kMaxCustomTools; ++i) {
        for (const char* name : {"Name", "Command", "Args", "InitDir", "PromptForArgs"}) {
            settings.Remove(kCustomToolsSection, Key(name, i));
        }
    }
}

int CustomTools::New() {
    if (Count() >= kMaxCustomTools) return -1;
    CustomTool tool;
    tool.name = kNewToolName;
    tools_.push_back(std::move(tool));
    return Count() - 1;
}

int CustomTools::Delete(int i) {
    if (i < 0 || i >= Count()) return -1;
    tools_.erase(tools_.begin() + i);
    return Count() == 0 ? -1 : std::min(i, Count() - 1);
}

int CustomTools::MoveUp(int i) {
    if (i < 0 || i >= Count()) return -1;
    if (i == 0) return 0;
    std::swap(tools_[static_cast<std::size_t>(i)], tools_[static_cast<std::size_t>(i) - 1]);
    return i - 1;
}

int CustomTools::MoveDown(int i) {
    if (i < 0 || i >= Count()) return -1;
    if (i == Count() - 1) return i;
    std::swap(tools_[static_cast<std::size_t>(i)], tools_[static_cast<std::size_t>(i) + 1]);
    return i + 1;
}

bool CustomTools::Rename(int i, std::string_view name) {
    if (i < 0 || i >= Count() || name.empty()) return false;
    tools_[static_cast<std::size_t>(i)].name = std::string(name);
    return true;
}

void CustomTools::CloseCustomizeDialog(SettingsStore& settings) {
    Save(settings);
    menuDirty_ = true;
}

bool CustomTools::RebuildMenu(std::vector<ToolsMenuItem>& menu) {
    if (!menuDirty_) return false;
    std::erase_if(menu, [](const ToolsMenuItem& item) {
        return item.command >= kFirstCustomToolCommand &&
               item.command < kFirstCustomToolCommand + kMaxCustomTools;
    });
    for (int i = 0; i < Count(); ++i) {
        menu.push_back({tools_[static_cast<std::size_t>(i)].name, kFirstCustomToolCommand + i});
    }
    menuDirty_ = false;
    return true;
}

int CustomTools::ToolOfCommand(int command) const {
    const int i = command - kFirstCustomToolCommand;
    return i >= 0 && i < Count() ? i : -1;
}

std::string CustomTools::StatusPrompt(int command) {
    const int i = command - kFirstCustomToolCommand;
    if (i < 0 || i >= kMaxCustomTools) return {};
    return "User defined tool " + std::to_string(i + 1);
}

bool CustomTools::Run(int i, UserInterface& ui, const Launcher& launch) const {
    if (i < 0 || i >= Count()) return false;
    const CustomTool& tool = tools_[static_cast<std::size_t>(i)];
    std::string arguments = tool.arguments;
    if (tool.promptForArguments) {
        auto entered = ui.AskString(kToolArgumentsPrompt, arguments);
        if (!entered) return false;
        arguments = std::move(*entered);
    }
    return launch(tool.command, arguments, tool.initialDirectory);
}

bool CustomTools::Run(int i, UserInterface& ui) const {
    return Run(i, ui,
               [](std::string_view command, std::string_view arguments,
                  const std::filesystem::path& directory) {
                   return DesktopOpen(command, arguments, directory);
               });
}

void AttachCustomTools(ApplicationHooks& hooks, CustomTools& tools, SettingsStore& settings) {
    hooks.loadCustomTools = [&tools, &settings] { tools.Load(settings); };
}

}  // namespace velmora
