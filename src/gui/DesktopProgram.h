#pragma once
// The objects of one run of the desktop program and their start-up: the settings store of the
// profile directory, the preferences, the database, the user interface, the application object
// with its hooks filled (chart definitions, custom tools, the main window, the current stock,
// the chart windows), the chart definition table and the formula engine.

#include <QWidget>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/CustomTools.h"
#include "chart/ChartDefinition.h"
#include "database/Application.h"
#include "database/Database.h"
#include "database/Preferences.h"
#include "formula/FormulaEngine.h"
#include "formula/FormulaErrorSink.h"
#include "gui/GuiContext.h"
#include "platform/IniSettingsStore.h"

namespace velmora::gui {

class MainWindow;
class QtUserInterface;

// The refresh flags of a stock made current after a workspace was opened: a full refresh,
// the stock tree rebuilt from scratch, the stock selected.
inline constexpr int kWorkspaceOpenedFlags = 7 | kCurrentRebuildTree | kCurrentTreeFromScratch;

class DesktopProgram {
  public:
    // `profileDir` must exist. A `workspace` replaces the preferences' database path for this
    // run. Without `ui` the program shows its own dialogs.
    DesktopProgram(std::filesystem::path profileDir, std::optional<std::filesystem::path> workspace,
                   UserInterface* ui = nullptr);
    ~DesktopProgram();

    // Creates a chart window; set before StartUp.
    std::function<QWidget*(GuiContext&)> chartWindowFactory;
    std::function<void(GuiContext&, CustomTools&, QWidget*)> customizeTools;

    // The interactive start-up: the main window shown, the workspace loaded, its first stock
    // current and the first chart window opened. False when the workspace could not be loaded.
    bool StartUp(bool maximized = false);
    // Whether StartUp shows the About window and the tip of the day (when the user keeps tips
    // on). Off for tests and pictures taken without a user; neither window is modal.
    bool startupScreens = false;
    // The automation start-up: the workspace loaded, the main window made but not shown. The
    // script then runs against the program (its chart windows are the documents; print()
    // lines go to `print`), and the main window closes the normal way, asking about unsaved
    // changes. False when the workspace could not be loaded or the script failed (`error`
    // says why). A close the user refused shows the main window instead, which then runs on.
    // With saveAfterScript set, the question is answered by it instead: true saves the
    // changes, false discards them.
    bool RunAutomation(const std::filesystem::path& script, const std::vector<std::string>& args,
                       const std::function<void(std::string_view)>& print, std::string& error);
    std::optional<bool> saveAfterScript;
    // After the main window closed: the window goes, the database is released and the chart
    // definitions are written.
    void Exit();

    MainWindow* Window() const { return window_.get(); }
    GuiContext& Context() { return *context_; }
    Application& App() { return app_; }
    Database& Db() { return db_; }
    Preferences& Prefs() { return prefs_; }
    IniSettingsStore& Settings() { return settings_; }
    CustomTools& Tools() { return tools_; }

  private:
    void AttachHooks();

    std::filesystem::path profileDir_;
    std::optional<std::filesystem::path> workspace_;
    IniSettingsStore settings_;
    Preferences prefs_;
    Database db_;
    std::unique_ptr<QtUserInterface> ownUi_;
    UserInterface& ui_;
    Application app_;
    ChartTable charts_;
    UserInterfaceFormulaErrorSink formulaErrors_;
    FormulaEngine engine_;
    CustomTools tools_;
    std::unique_ptr<GuiContext> context_;
    std::unique_ptr<MainWindow> window_;
};

}  // namespace velmora::gui
