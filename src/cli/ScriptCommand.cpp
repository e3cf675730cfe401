// script FILE.js [ARGS...]: runs a JavaScript program against the automation model of the
// workspace, then saves the workspace when the program changed it.

#include <QCoreApplication>
#include <cerrno>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "automation/ScriptRunner.h"
#include "chart/qt/QtCanvas.h"
#include "cli/Cli.h"
#include "platform/FileUtil.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VELMORA_LEAK_CHECKED 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define VELMORA_LEAK_CHECKED 1
#endif

#ifdef VELMORA_LEAK_CHECKED
// Sanitized builds: once the script engine's Qt libraries are loaded, Qt destroys its
// per-thread font caches' storages at exit before the application object releases the main
// thread's data, so every program that drew text reports the font caches as leaked at exit.
// They belong to Qt's font machinery (freed by nobody at exit in any case), so the leak
// checker leaves allocations made inside those libraries alone; everything else is checked.
// NOLINTNEXTLINE(bugprone-reserved-identifier): the name the leak checker calls
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libQt6Gui.so\nleak:libfreetype.so\nleak:libharfbuzz.so\n";
}
#endif

namespace velmora::cli {

int RunScript(Context& ctx, std::vector<std::string>& args) {
    if (args.empty()) {
        ctx.Error("script: expected FILE.js [ARGS...]");
        return kUsage;
    }
    const std::string file = args.front();
    const std::vector<std::string> scriptArgs(args.begin() + 1, args.end());
    const Result<Bytes> bytes = ReadFile(file, FileKind::Script);
    if (!bytes) {
        ctx.Error(bytes.GetStatus().ToString());
        return kFailure;
    }
    if (!ctx.OpenWorkspace(Access::Write)) return kFailure;

    // The script engine wants an application object; a host program already has one.
    std::unique_ptr<QCoreApplication> app;
    int argc = 1;
    char name[] = "velmora-cli";
    char* argv[] = {name, nullptr};
    if (QCoreApplication::instance() == nullptr) {
        app = std::make_unique<QCoreApplication>(argc, argv);
        KeepPortableNumbers();
    }

    NullDocumentHost host;
    AutomationContext automation{ctx.db, ctx.prefs, ctx.ui, host, ctx.profileDir, {}};
    ScriptRunner runner(automation);
    const std::string source(bytes->begin(), bytes->end());
    const ScriptResult result = runner.Run(source, file, scriptArgs, [&](std::string_view line) {
        std::fwrite(line.data(), 1, line.size(), ctx.out);
        std::fputc('\n', ctx.out);
        std::fflush(ctx.out);
    });
    std::fflush(ctx.out);
    int status = kSuccess;
    if (!result.ok) {
        ctx.Error(result.error);
        status = kFailure;
    }
    // What the script changed is in the database, as it would be in the running program.
    if (ctx.noSave) {
        // Stock files set aside by removals and renames go back when nothing is saved.
        for (const std::string& ticker : automation.setAsideTickers) {
            ctx.PutBackSetAsideFile(ticker);
        }
    } else if (ctx.db.WorkspaceDirty() && !ctx.SaveWorkspace()) {
        status = kFailure;
    }
    return status;
}

}  // namespace velmora::cli
