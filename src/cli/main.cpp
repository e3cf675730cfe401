// velmora-cli [--profile DIR] [--workspace DIR] [--no-save] [--force] [--verbose] [--iso-dates]
// COMMAND ... velmora-cli --help | --version

#include <QtGlobal>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "chart/qt/QtCanvas.h"
#include "cli/Cli.h"
#include "platform/InstallLayout.h"

using namespace velmora::cli;

namespace {

void PrintHelp(std::FILE* out) {
    std::fputs(
        "usage: velmora-cli [--profile DIR] [--workspace DIR] [--no-save] [--force] [--verbose] "
        "[--iso-dates] COMMAND "
        "[ARGS]\n"
        "       velmora-cli --help | --version\n"
        "\n"
        "Works on a Velmora workspace: imports quotation files, evaluates QRX formulas, scans,\n"
        "back tests, charts, the portfolio and scripts, without the desktop program.\n"
        "\n"
        "  --profile DIR    the profile directory (preferences, settings, import definitions)\n"
        "  --workspace DIR  the workspace directory (default: the preferences' database path)\n"
        "  --no-save        leave the workspace, the portfolio and the profile's files unchanged\n"
        "                   after commands that change data\n"
        "  --force          replace a workspace, portfolio, settings.ini, tarvik.prefs or\n"
        "                   charts file that could not be read\n"
        "                   (the old one is kept as FILE.bak)\n"
        "  --verbose        also show the diagnostics of the Qt libraries\n"
        "  --iso-dates      write every date as YYYY-MM-DD (default: yy-mm-dd)\n"
        "  --help           show this help and exit\n"
        "  --version        show the version and exit\n"
        "\ncommands:\n",
        out);
    for (const Command& c : Commands()) {
        std::fprintf(out, "  %-18s %s\n", c.name, c.summary);
    }
    std::fputs("\n'velmora-cli COMMAND --help' describes a command.\n", out);
}

// The Qt libraries' own diagnostics (a missing runtime directory, font fallbacks) are not this
// tool's messages: they are dropped unless --verbose asks for them. Critical and fatal ones
// still show.
void QtDiagnostics(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type != QtCriticalMsg && type != QtFatalMsg) return;
    std::fprintf(stderr, "velmora-cli: %s\n", qPrintable(message));
}

int RunCommand(int argc, char** argv) {
    Context ctx;
    bool verbose = false;
    int i = 1;
    for (; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--help" || a == "-h") {
            PrintHelp(stdout);
            return kSuccess;
        } else if (a == "--version") {
            const std::string_view version = velmora::ProgramVersion();
            std::printf("velmora-cli %.*s\n", static_cast<int>(version.size()), version.data());
            return kSuccess;
        } else if (a == "--profile" || a == "--workspace") {
            if (i + 1 >= argc) {
                ctx.Error(a + " needs a directory");
                return kUsage;
            }
            (a == "--profile" ? ctx.requestedProfile : ctx.requestedWorkspace) = argv[++i];
        } else if (a == "--no-save") {
            ctx.noSave = true;
        } else if (a == "--force") {
            ctx.force = true;
        } else if (a == "--verbose") {
            verbose = true;
        } else if (a == "--iso-dates") {
            ctx.dates = velmora::DateStyle::Iso;
        } else if (!a.empty() && a[0] == '-') {
            ctx.Error("unknown option '" + a + "'");
            return kUsage;
        } else {
            break;
        }
    }
    if (i >= argc) {
        PrintHelp(stderr);
        return kUsage;
    }
    if (!verbose) qInstallMessageHandler(QtDiagnostics);
    const std::string name = argv[i++];
    std::vector<std::string> args(argv + i, argv + argc);
    for (const Command& c : Commands()) {
        if (name != c.name) continue;
        if (WantsHelp(ctx, c, args)) return kSuccess;
        return c.run(ctx, args);
    }
    ctx.Error("unknown command '" + name + "'");
    return kUsage;
}

}  // namespace

int main(int argc, char** argv) {
    const int status = RunCommand(argc, argv);
    // The drawing machinery goes while Qt's own globals are still there.
    velmora::EndGuiApplication();
    return status;
}
