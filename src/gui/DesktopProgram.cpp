#include "gui/DesktopProgram.h"

#include <QCoreApplication>
#include <cerrno>
#include <cstring>

#include "automation/AutomationContext.h"
#include "automation/ScriptRunner.h"
#include "chart/ChartDefinitionsHooks.h"
#include "gui/MainWindow.h"
#include "gui/QtUserInterface.h"
#include "gui/StartupScreens.h"
#include "platform/FileUtil.h"

namespace velmora::gui {

namespace {

UserInterface& ChooseUi(UserInterface* given, std::unique_ptr<QtUserInterface>& own) {
    if (given != nullptr) return *given;
    own = std::make_unique<QtUserInterface>();
    return *own;
}

}  // namespace

DesktopProgram::DesktopProgram(std::filesystem::path profileDir,
                               std::optional<std::filesystem::path> workspace, UserInterface* ui)
    : profileDir_(std::move(profileDir)),
      workspace_(std::move(workspace)),
      settings_(profileDir_ / "settings.ini"),
      ui_(ChooseUi(ui, ownUi_)),
      app_(db_, prefs_, settings_, ui_, profileDir_),
      formulaErrors_(ui_),
      engine_(formulaErrors_, &db_) {
    context_ = std::make_unique<GuiContext>(
        GuiServices{app_, db_, prefs_, settings_, ui_, charts_, engine_, profileDir_});
    // A settings file that could not be read at start is replaced only when the user agrees,
    // asked at the first write; otherwise this session's settings stay in memory.
    settings_.SetConfirmReplace([this](const Status&) {
        const std::string file = settings_.File().string();
        return ui_.AskYesNo("The settings file\n'" + file +
                            "'\ncould not be read at start-up. Saving the settings replaces it."
                            "\nReplace it? The old file is kept as '" +
                            file + ".bak'; otherwise this session's settings are not saved.");
    });
    AttachHooks();
}

DesktopProgram::~DesktopProgram() {
    if (ownUi_) ownUi_->AttachMainWindow(nullptr);
    window_.reset();
}

void DesktopProgram::AttachHooks() {
    ApplicationHooks& hooks = app_.Hooks();
    AttachChartDefinitions(hooks, charts_, profileDir_, &ui_);
    AttachCustomTools(hooks, tools_, settings_);
    hooks.createMainWindow = [this] {
        // A workspace named on the command line replaces the preferences' path for this run
        // (the preferences themselves keep theirs).
        if (workspace_) db_.SetWorkspaceDir(*workspace_);
        window_ = std::make_unique<MainWindow>(*context_, tools_);
        window_->chartWindowFactory = chartWindowFactory;
        window_->customizeTools = customizeTools;
        if (ownUi_) ownUi_->AttachMainWindow(window_.get());
    };
    hooks.showMainWindow = [this](bool maximized) {
        window_->ShowAtStart(maximized);
        if (startupScreens) ShowAboutAtStart(window_.get());
    };
    hooks.makeStockCurrent = [this](Stock* first) {
        if (window_) window_->UpdateCaption();
        context_->MakeCurrent(first, kWorkspaceOpenedFlags);
    };
    hooks.hasChartWindow = [this] { return window_ && window_->HasChartWindow(); };
    hooks.openChartWindow = [this] {
        if (window_) window_->OpenChartWindow();
    };
}

bool DesktopProgram::StartUp(bool maximized) {
    const bool ok = app_.StartUp(Application::StartMode::Interactive, maximized);
    if (window_) window_->UpdateCaption();
    // An empty workspace makes no stock current; the tree still gets its root nodes.
    if (db_.StockCount() == 0) context_->MakeCurrent(nullptr, kWorkspaceOpenedFlags);
    if (startupScreens && window_) ShowTipOfTheDay(settings_, window_.get(), true);
    return ok;
}

bool DesktopProgram::RunAutomation(const std::filesystem::path& script,
                                   const std::vector<std::string>& args,
                                   const std::function<void(std::string_view)>& print,
                                   std::string& error) {
    const Result<Bytes> bytes = ReadFile(script, FileKind::Script);
    if (!bytes) {
        error = bytes.GetStatus().ToString();
        return false;
    }
    if (!app_.StartUp(Application::StartMode::Automation)) {
        error = "cannot load the workspace " + db_.WorkspaceDir().string();
        return false;
    }
    AutomationContext automation{db_, prefs_, ui_, window_->Documents(), profileDir_, {}};
    ScriptRunner runner(automation);
    ScriptResult result =
        runner.Run(std::string(bytes->begin(), bytes->end()), script.string(), args, print);
    if (!result.ok) error = result.error;
    // An answer given beforehand: the close below then finds nothing to ask about. Without
    // saving, the clean workspace's save on closing puts set-aside stock files back.
    if (saveAfterScript && db_.WorkspaceDirty()) {
        if (!*saveAfterScript) {
            db_.SetWorkspaceDirty(false);
        } else if (!app_.SaveWorkspace()) {
            error = "cannot save the workspace " + db_.WorkspaceDir().string();
            result.ok = false;
        }
    }
    // A close the script posted (Quit) comes first; otherwise the program ends as its last
    // automation object goes.
    QCoreApplication::sendPostedEvents();
    if (!window_->Closed() && !window_->close()) window_->ShowAtStart(false);
    return result.ok;
}

void DesktopProgram::Exit() {
    if (ownUi_) ownUi_->AttachMainWindow(nullptr);
    window_.reset();
    // The windows that showed the stocks are gone: the current stock goes with the database.
    context_->Maintenance().MakeCurrent(nullptr, 0);
    app_.Exit();
}

}  // namespace velmora::gui
