// velmora-cli tools: the custom tools list of the profile's settings.

#include <unistd.h>

#include <cstdlib>

#include "app/CustomTools.h"
#include "cli/Cli.h"

namespace velmora::cli {

namespace {

// A tool number of the list (0-based, as the settings keys count); nothing when it is not one.
std::optional<int> ToolNumber(const CustomTools& tools, const std::string& text) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos ||
        text.size() > 3) {
        return std::nullopt;
    }
    const int n = std::atoi(text.c_str());
    if (n >= tools.Count()) return std::nullopt;
    return n;
}

void PrintTools(Context& ctx, const CustomTools& tools) {
    for (int i = 0; i < tools.Count(); ++i) {
        const CustomTool& t = tools.At(i);
        std::fprintf(ctx.out, "%d\t%s\t%s\t%s\t%s\t%s\n", i, t.name.c_str(), t.command.c_str(),
                     t.arguments.c_str(), t.initialDirectory.c_str(),
                     t.promptForArguments ? "prompt" : "-");
    }
}

// Whether the list reached settings.ini; false after the message saying why not.
bool ToolsSaved(Context& ctx, const std::string& action) {
    const Status& saved = ctx.settings->LastSaveStatus();
    if (!saved) ctx.Error("tools " + action + ": " + ctx.SettingsSaveFailure());
    return saved.IsOk();
}

// The texts of a new tool (those given): each free of tabs and line breaks.
bool PlainToolTexts(Context& ctx, std::initializer_list<std::optional<std::string>> texts) {
    for (const std::optional<std::string>& text : texts) {
        if (text && !PlainText(ctx, "tools add", "the name, command, arguments or folder", *text)) {
            return false;
        }
    }
    return true;
}

// tools add: the new tool at the end of the list, saved; its number printed.
int AddTool(Context& ctx, CustomTools& tools, const CustomTool& tool) {
    const int n = tools.New();
    if (n < 0) {
        ctx.Error("tools add: the list already holds " + std::to_string(kMaxCustomTools) +
                  " tools");
        return kFailure;
    }
    tools.Rename(n, tool.name);
    CustomTool& t = tools.At(n);
    t.command = tool.command;
    t.arguments = tool.arguments;
    t.initialDirectory = tool.initialDirectory;
    t.promptForArguments = tool.promptForArguments;
    tools.CloseCustomizeDialog(*ctx.settings);
    if (!ToolsSaved(ctx, "add")) return kFailure;
    std::fprintf(ctx.out, "%d\n", n);
    return kSuccess;
}

}  // namespace

int RunTools(Context& ctx, std::vector<std::string>& args) {
    if (args.empty()) {
        ctx.Error("tools: expected list, add, remove, move or run");
        return kUsage;
    }
    const std::string action = args[0];
    args.erase(args.begin());
    // The options are taken before the profile is opened, so a mistake changes nothing.
    std::optional<std::string> command, arguments, directory;
    bool prompt = false;
    if (action == "add") {
        const TakenOptions taken = TakeOptions(args, {{"--command", &command},
                                                      {"--args", &arguments},
                                                      {"--dir", &directory},
                                                      {"--prompt", &prompt}});
        if (taken.AnyMissing() || !command || args.size() != 1 || args[0].empty()) {
            ctx.Error("tools add: expected NAME --command C [--args A] [--dir D] [--prompt]");
            return kUsage;
        }
        if (!PlainToolTexts(ctx, {args[0], command, arguments, directory})) return kUsage;
    } else if (action == "run") {
        const TakenOptions taken = TakeOptions(args, {{"--args", &arguments}});
        if (taken.AnyMissing() || args.size() != 1) {
            ctx.Error("tools run: expected N [--args A]");
            return kUsage;
        }
    } else if (action == "remove") {
        if (args.size() != 1) {
            ctx.Error("tools remove: expected N");
            return kUsage;
        }
    } else if (action == "move") {
        if (args.size() != 2 || (args[1] != "up" && args[1] != "down")) {
            ctx.Error("tools move: expected N up|down");
            return kUsage;
        }
    } else if (action == "list") {
        if (!args.empty()) {
            ctx.Error("tools list: expected no arguments");
            return kUsage;
        }
    } else {
        ctx.Error("tools: unknown action '" + action + "'");
        return kUsage;
    }

    if (!ctx.OpenProfile()) return kFailure;
    CustomTools tools;
    tools.Load(*ctx.settings);
    if (action == "list") {
        PrintTools(ctx, tools);
        return kSuccess;
    }
    if (action == "add") {
        CustomTool t;
        t.name = args[0];
        t.command = *command;
        t.arguments = arguments.value_or("");
        t.initialDirectory = directory.value_or("");
        t.promptForArguments = prompt;
        return AddTool(ctx, tools, t);
    }
    const auto n = ToolNumber(tools, args[0]);
    if (!n) {
        ctx.Error("tools " + action + ": no tool " + args[0]);
        return kFailure;
    }
    if (action == "remove" || action == "move") {
        if (action == "remove") {
            tools.Delete(*n);
        } else if (args[1] == "up") {
            tools.MoveUp(*n);
        } else {
            tools.MoveDown(*n);
        }
        tools.CloseCustomizeDialog(*ctx.settings);
        if (!ToolsSaved(ctx, action)) return kFailure;
        PrintTools(ctx, tools);
        return kSuccess;
    }
    // run: --args stands for what the user would type at the prompt.
    if (arguments) {
        tools.At(*n).arguments = *arguments;
        tools.At(*n).promptForArguments = false;
    } else if (::isatty(STDIN_FILENO)) {
        ctx.ui.SetInput(stdin);
    }
    if (!tools.Run(*n, ctx.ui)) {
        ctx.Error("tools run: '" + tools.At(*n).command + "' was not started");
        return kFailure;
    }
    return kSuccess;
}

}  // namespace velmora::cli
