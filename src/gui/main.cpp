// velmora [--profile DIR] [--workspace DIR] [--maximized] [--screenshot FILE.png]: the desktop
// program.

#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <optional>
#include <string>

#include "gui/DesktopProgram.h"
#include "gui/MainWindow.h"
#include "gui/chart/ChartWindow.h"
#include "gui/dialogs/CustomizeToolsDialog.h"
#include "platform/ProfileDirectory.h"
#include "platform/qt/QtCanvas.h"

namespace {

void PrintUsage(std::FILE* out) {
    std::fputs(
        "usage: velmora [--profile DIR] [--workspace DIR] [--maximized] [--screenshot FILE.png]\n"
        "\n"
        "  --profile DIR    the profile directory (preferences, settings.ini, chart definitions)\n"
        "  --workspace DIR  the workspace directory (default: the preferences' database path)\n"
        "  --maximized      start with the main window maximised\n"
        "  --screenshot F   start, save a picture of the main window as F (PNG), and quit\n",
        out);
}

}  // namespace

int main(int argc, char** argv) {
    std::optional<std::filesystem::path> profile;
    std::optional<std::filesystem::path> workspace;
    bool maximized = false;
    std::optional<std::string> screenshot;
    // The toolkit's own options (-platform, -style, ...) are taken out by QApplication first.
    QApplication qtApp(argc, argv);
    velmora::KeepPortableNumbers();
    QApplication::setApplicationName(QStringLiteral("Velmora"));
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
            (a == "--profile" ? profile : workspace) = std::filesystem::path(argv[++i]);
        } else if (a == "--screenshot") {
            if (i + 1 >= argc) {
                std::fputs("velmora: --screenshot needs a file name\n", stderr);
                return 2;
            }
            screenshot = argv[++i];
        } else if (a == "--maximized") {
            maximized = true;
        } else {
            std::fprintf(stderr, "velmora: unknown option '%s'\n", a.c_str());
            PrintUsage(stderr);
            return 2;
        }
    }
    const auto profileDir = velmora::OpenProfileDirectory(profile);
    if (!profileDir) {
        std::fputs("velmora: cannot create the profile directory\n", stderr);
        return 1;
    }

    velmora::gui::DesktopProgram program(*profileDir, workspace);
    program.chartWindowFactory = [](velmora::gui::GuiContext& context) -> QWidget* {
        return new velmora::gui::ChartWindow(context);
    };
    program.customizeTools = [](velmora::gui::GuiContext& context, velmora::CustomTools& tools,
                                QWidget* parent) {
        velmora::gui::ShowCustomizeTools(context, tools, parent);
    };
    program.StartUp(maximized);
    if (screenshot) {
        // Let the windows lay themselves out and paint once before the picture is taken.
        QTimer::singleShot(500, [&program, &screenshot] {
            QWidget* window = program.Window();
            const bool saved =
                window != nullptr && window->grab().save(QString::fromStdString(*screenshot), "PNG");
            if (saved)
                std::printf("%s\n", screenshot->c_str());
            else
                std::fprintf(stderr, "velmora: cannot write %s\n", screenshot->c_str());
            QApplication::exit(saved ? 0 : 1);
        });
    }
    const int status = QApplication::exec();
    program.Exit();
    return status;
}
