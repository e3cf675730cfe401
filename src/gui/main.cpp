// velmora [--profile DIR] [--workspace DIR] [--maximized] [--open TICKER]...
//         [--screenshot FILE.png] [--save | --no-save] [--script FILE.js [ARGS...]] [WORKSPACE]:
//         the desktop program.

#include <QApplication>
#include <QGuiApplication>
#include <QIcon>
#include <QTimer>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "chart/qt/QtCanvas.h"
#include "gui/DesktopProgram.h"
#include "gui/DialogCaptions.h"
#include "gui/MainWindow.h"
#include "gui/ProfileView.h"
#include "gui/chart/ChartWindow.h"
#include "gui/dialogs/CustomizeToolsDialog.h"
#include "platform/InstallLayout.h"
#include "platform/ProfileDirectory.h"

namespace {

void PrintUsage(std::FILE* out) {
    std::fputs(
        "usage: velmora [--profile DIR] [--workspace DIR] [--maximized] [--open TICKER]...\n"
        "               [--screenshot FILE.png] [--save | --no-save]\n"
        "               [--script FILE.js [ARGS...]] [WORKSPACE]\n"
        "       velmora --help | --version\n"
        "\n"
        "The Velmora desktop program: end-of-day technical analysis of stocks, indexes and\n"
        "funds, with charts, QRX formulas, scans, back tests and a portfolio.\n"
        "\n"
        "  --profile DIR    the profile directory (preferences, settings.ini, chart definitions)\n"
        "  --workspace DIR  the workspace directory (default: the preferences' database path)\n"
        "  --maximized      start with the main window maximised\n"
        "  --open TICKER    open a further chart window on the stock (repeatable); the windows "
        "are\n"
        "                   tiled side by side\n"
        "  --screenshot F   start, save a picture of the main window as F (PNG), and quit\n"
        "  --script FILE.js [ARGS...]\n"
        "                   start for a script: the workspace is loaded without showing the\n"
        "                   window, the script runs against the program (the arguments after\n"
        "                   the file are its args) and the program closes, asking about\n"
        "                   unsaved changes (on the offscreen platform it saves them)\n"
        "  --save           after the script, save the changes without asking\n"
        "  --no-save        after the script, discard the changes without asking\n"
        "  WORKSPACE        the workspace directory, or its tarvik.workspace file (as "
        "--workspace)\n"
        "  --help           show this help and exit\n"
        "  --version        show the version and exit\n",
        out);
}

// --help and --version are answered before the toolkit starts, so they work without a display.
std::optional<int> AnswerInformationOptions(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view a = argv[i];
        if (a == "--script") break;
        if (a == "--help" || a == "-h") {
            PrintUsage(stdout);
            return 0;
        }
        if (a == "--version") {
            const std::string_view version = velmora::ProgramVersion();
            std::printf("velmora %.*s\n", static_cast<int>(version.size()), version.data());
            return 0;
        }
    }
    return std::nullopt;
}

// A workspace named on the command line: its directory, or the directory of its workspace file.
std::filesystem::path WorkspaceDirectory(const std::filesystem::path& path) {
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec) ? path.parent_path() : path;
}

// The command line after the toolkit's own options.
struct Options {
    std::optional<std::filesystem::path> profile;
    std::optional<std::filesystem::path> workspace;
    bool maximized = false;
    std::optional<std::filesystem::path> script;
    std::vector<std::string> scriptArgs;
    // --save or --no-save: the answer to the save question after a script.
    std::optional<bool> save;
    std::optional<std::string> screenshot;
    std::vector<std::string> open;  // tickers of further chart windows
};

// Reads the options into `options`. Returns the exit status when the program ends here: 0 after
// the usage was asked for, 2 for a wrong command line.
std::optional<int> ParseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--help" || a == "-h") {
            PrintUsage(stdout);
            return 0;
        } else if (a == "--profile" || a == "--workspace") {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "velmora: %s needs a directory\n", a.c_str());
                return 2;
            }
            (a == "--profile" ? options.profile : options.workspace) =
                std::filesystem::path(argv[++i]);
        } else if (a == "--screenshot") {
            if (i + 1 >= argc) {
                std::fputs("velmora: --screenshot needs a file name\n", stderr);
                return 2;
            }
            options.screenshot = argv[++i];
        } else if (a == "--open") {
            if (i + 1 >= argc) {
                std::fputs("velmora: --open needs a ticker\n", stderr);
                return 2;
            }
            options.open.emplace_back(argv[++i]);
        } else if (a == "--maximized") {
            options.maximized = true;
        } else if (a == "--save" || a == "--no-save") {
            options.save = a == "--save";
        } else if (a == "--script") {
            if (i + 1 >= argc) {
                std::fputs("velmora: --script needs a file\n", stderr);
                return 2;
            }
            options.script = std::filesystem::path(argv[++i]);
            options.scriptArgs.assign(argv + i + 1, argv + argc);
            break;
        } else if (!a.empty() && a[0] != '-' && !options.workspace) {
            options.workspace = WorkspaceDirectory(std::filesystem::path(a));
        } else {
            std::fprintf(stderr, "velmora: unknown option '%s'\n", a.c_str());
            PrintUsage(stderr);
            return 2;
        }
    }
    return std::nullopt;
}

// Runs the script against the program and closes it; the exit status. With nobody to answer
// the save question (the offscreen platform) and no --save or --no-save, the changes are saved,
// as the command-line tool's script command does.
int RunScript(velmora::gui::DesktopProgram& program, const Options& options) {
    program.saveAfterScript = options.save;
    if (!options.save && QGuiApplication::platformName() == QLatin1String("offscreen")) {
        program.saveAfterScript = true;
        std::fputs(
            "velmora: no one to ask on the offscreen platform: changes the script makes "
            "are saved (--no-save discards them)\n",
            stderr);
    }
    std::string error;
    const bool ok = program.RunAutomation(
        *options.script, options.scriptArgs,
        [](std::string_view line) {
            std::fwrite(line.data(), 1, line.size(), stdout);
            std::fputc('\n', stdout);
            std::fflush(stdout);
        },
        error);
    std::fflush(stdout);
    if (!ok) std::fprintf(stderr, "velmora: %s\n", error.c_str());
    // Nothing was started for a script that could not be read.
    if (program.Window() == nullptr) return 1;
    // A refused close left the window open for the user.
    if (program.Window()->isVisible()) QApplication::exec();
    program.Exit();
    return ok ? 0 : 1;
}

// Saves a picture of the main window as `file` once the event loop has run a while, and quits.
void ScheduleScreenshot(velmora::gui::DesktopProgram& program, const std::string& file) {
    // Let the windows lay themselves out and paint once before the picture is taken.
    QTimer::singleShot(500, [&program, file] {
        QWidget* window = program.Window();
        const bool saved =
            window != nullptr && window->grab().save(QString::fromStdString(file), "PNG");
        if (saved)
            std::printf("%s\n", file.c_str());
        else
            std::fprintf(stderr, "velmora: cannot write %s\n", file.c_str());
        QApplication::exit(saved ? 0 : 1);
    });
}

// A chart window per ticker (unknown tickers are named on stderr), then the windows side by
// side.
void OpenFurtherWindows(velmora::gui::DesktopProgram& program,
                        const std::vector<std::string>& tickers) {
    velmora::gui::MainWindow* window = program.Window();
    if (window == nullptr || tickers.empty()) return;
    for (const std::string& ticker : tickers) {
        velmora::Stock* stock = program.Db().FindStock(ticker);
        if (stock == nullptr || !window->Documents().Open(*stock))
            std::fprintf(stderr, "velmora: cannot open a chart window on '%s'\n", ticker.c_str());
    }
    window->TileSideBySide();
}

}  // namespace

int main(int argc, char** argv) {
    if (const std::optional<int> early = AnswerInformationOptions(argc, argv)) return *early;
    // The toolkit's own options (-platform, -style, ...) are taken out by QApplication first.
    velmora::gui::ProfileView::PrepareApplication();
    QApplication qtApp(argc, argv);
    velmora::KeepPortableNumbers();
    qtApp.installEventFilter(new velmora::gui::DialogCaptionWidth(&qtApp));
    QApplication::setApplicationName(QStringLiteral("Velmora"));
    QApplication::setApplicationVersion(
        QString::fromUtf8(velmora::ProgramVersion().data(),
                          static_cast<qsizetype>(velmora::ProgramVersion().size())));
    // The desktop entry's id, which lets the desktop match the windows to the entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.velmora.Velmora"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("org.velmora.Velmora")));
    Options options;
    if (const std::optional<int> early = ParseOptions(argc, argv, options)) return *early;
    const auto profileDir = velmora::OpenProfileDirectory(options.profile);
    if (!profileDir) {
        std::fputs("velmora: cannot create the profile directory\n", stderr);
        return 1;
    }

    velmora::gui::DesktopProgram program(*profileDir, options.workspace);
    program.chartWindowFactory = [](velmora::gui::GuiContext& context) -> QWidget* {
        return new velmora::gui::ChartWindow(context);
    };
    program.customizeTools = [](velmora::gui::GuiContext& context, velmora::CustomTools& tools,
                                QWidget* parent) {
        velmora::gui::ShowCustomizeTools(context, tools, parent);
    };
    if (options.script) return RunScript(program, options);
    // The About window and the tip of the day greet a user; a picture or an offscreen run has
    // none.
    program.startupScreens =
        !options.screenshot && QGuiApplication::platformName() != QLatin1String("offscreen");
    program.StartUp(options.maximized);
    OpenFurtherWindows(program, options.open);
    if (options.screenshot) ScheduleScreenshot(program, *options.screenshot);
    const int status = QApplication::exec();
    program.Exit();
    return status;
}
