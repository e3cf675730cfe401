#pragma once
// The application object without its toolkit: the start-up order, the default workspace
// directory, the workspace commands of the File menu (New, Open, Save, Save As, the recent
// list) and exit. Windows, chart definitions, custom tools and automation are reached through
// hooks that the parts of the program owning them fill in; an empty hook is skipped.
//
// The application does not own the database, the preferences, the settings store or the user
// interface: the caller keeps them alive for the application's lifetime.

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "database/Database.h"
#include "database/Preferences.h"
#include "database/PreferencesFile.h"
#include "database/Workspace.h"
#include "database/WorkspaceLock.h"
#include "platform/SettingsStore.h"
#include "platform/UserInterface.h"

namespace velmora {

inline constexpr int kRecentListSize = 8;
inline constexpr char kRecentSection[] = "Recent File List";

struct ApplicationHooks {
    // Start-up step 5: the chart's initial number of visible quotations and price chart style.
    std::function<void(const Preferences&)> preferencesLoaded;
    // Start-up step 7: build the chart definition table and read the charts file (Ok, or why
    // the file could not be read); read the custom tools.
    std::function<Status()> loadChartDefinitions;
    std::function<void()> loadCustomTools;
    // Start-up step 9: the document template, the automation class factories, the main window.
    std::function<void()> createMainWindow;
    // Interactive start-up: show the main window (maximized or not) and the About window.
    std::function<void(bool maximized)> showMainWindow;
    // After a workspace was opened: the first stock (null for an empty database) becomes
    // current in the chart windows, with a full refresh.
    std::function<void(Stock* first)> makeStockCurrent;
    // True when at least one chart window is open; opening one.
    std::function<bool()> hasChartWindow;
    std::function<void()> openChartWindow;
    // Interactive start-up, last: the tip of the day (when enabled and not suppressed).
    std::function<void()> showTipOfTheDay;
    // Exit: write the chart definitions file.
    std::function<void()> saveChartDefinitions;
};

class Application {
  public:
    enum class StartMode {
        Interactive,  // shows the main window and opens the first chart window
        Automation,   // started by an automation client: loads the workspace, stays hidden
    };

    Application(Database& db, Preferences& prefs, SettingsStore& settings, UserInterface& ui,
                std::filesystem::path profileDir);

    ApplicationHooks& Hooks() { return hooks_; }

    // Start-up steps 2 to 9: the recent list, "Defaults"/"DataDir", the default category
    // names, the preferences (which set the workspace directory), the category name files,
    // the chart definitions and custom tools, the empty database, the main window. The
    // profile's files that could not be read (settings, preferences, category names, chart
    // definitions) are listed in one message, unless SetReportUnreadFiles(false) leaves that
    // to the caller.
    void Initialise();
    // The profile's files that the last Initialise could not read, each naming its file.
    const std::vector<Status>& ProfileUnreadFiles() const { return profileUnreadFiles_; }
    // Initialise, then load the workspace the way the start mode asks. False when the
    // workspace could not be loaded (the database is then empty).
    bool StartUp(StartMode mode, bool maximizedRequested = false);

    // Releases the database, loads the directory as the workspace, makes its first stock
    // current and puts the directory at the top of the recent list. A workspace with unsaved
    // changes is saved or discarded first, as the user answers. False when the load failed
    // (the database is then empty) or saving the old workspace was cancelled (nothing changed).
    bool OpenWorkspace(const std::filesystem::path& dir);
    // "&Open Workspace...": only a folder that the layout check accepts replaces the open
    // workspace; a refused folder leaves it as it is.
    bool OpenWorkspaceFolder(const std::filesystem::path& dir);
    // "&New workspace...": the workspace file path chosen in the save dialog; its directory is
    // opened (an empty directory gives an empty database).
    bool NewWorkspace(const std::filesystem::path& workspaceFile);
    // "&Save Workspace".
    bool SaveWorkspace();
    // "Save Workspace &As...": every stock is written into `dir`, which becomes the workspace
    // directory and joins the recent list. A folder the layout check refuses changes nothing.
    // A folder that holds another workspace is written into only when the user agrees (or
    // `intoOtherWorkspace` says so already): its stocks of this workspace's tickers are
    // replaced, the others stay.
    bool SaveWorkspaceAs(const std::filesystem::path& dir, bool intoOtherWorkspace = false);
    // A recent-list entry: opens it, and a chart window when none is open.
    bool OpenRecent(int index);
    // "&Save preferences": writes the preference block to the profile's "tarvik.prefs". A file
    // that could not be read at start-up is replaced only as SetDamagedPreferences says (the
    // old file is then kept as tarvik.prefs.bak); refused, the preferences stay in memory.
    Status SavePreferences();
    // What a save does with a preferences file that could not be read at start-up: ask the user
    // at each save until it is replaced (the default), replace it (the command line's --force),
    // or keep it.
    enum class DamagedPreferences { Ask, Replace, Keep };
    void SetDamagedPreferences(DamagedPreferences choice) { damagedPrefs_ = choice; }
    // The preferences file could not be read at start-up (other than missing) and has not been
    // replaced since.
    bool PreferencesFileDamaged() const { return prefsDamaged_; }
    // The preferences differ from those loaded at start-up or saved last.
    bool PreferencesUnsaved() const { return prefs_.Raw() != savedPrefs_; }
    // Asks "Save changes to the database?" when the workspace is dirty and saves or discards
    // (discarding undoes the deferred deletions). False when a save was cancelled or failed.
    bool CloseWorkspace();
    // Exit: releases the database and the workspace's lock, and writes the chart definitions.
    void Exit();

    // Takes the one-writer lock of `dir` (kept when it is held already), releasing the one held
    // before; the status says which program holds it otherwise.
    Status LockWorkspace(const std::filesystem::path& dir);
    const WorkspaceLock& Lock() const { return lock_; }

    // Loads `dir` into the emptied database without touching the recent list or the windows
    // (automation start-up and batch tools). The files that could not be read are listed in
    // one message, unless SetReportUnreadFiles(false) leaves that to the caller.
    bool LoadWorkspaceDir(const std::filesystem::path& dir);
    void SetReportUnreadFiles(bool report) { reportUnreadFiles_ = report; }

    // The workspace directory for a database path of the preferences: a relative path is
    // taken relative to the profile directory.
    std::filesystem::path ResolveWorkspacePath(const std::string& path) const;

    const std::vector<std::filesystem::path>& RecentList() const { return recent_; }
    // Puts the directory at the top of the recent list (removing an equal entry) and stores
    // the list.
    void AddToRecentList(const std::filesystem::path& dir);

    const Status& PreferencesStatus() const { return prefsStatus_; }
    // The first failure of the last save of the workspace (which file, and why).
    const Status& SaveStatus() const { return saveStatus_; }
    bool StartMaximized() const;
    const std::filesystem::path& ProfileDir() const { return profileDir_; }
    Database& Db() { return db_; }
    Preferences& Prefs() { return prefs_; }

    // A Workspace over this application's database whose category name loader reads the
    // profile's category name files.
    Workspace MakeWorkspace();
    // The file system the saves of workspaces and preferences go through (tests put one there
    // that fails on purpose).
    void SetFileSystem(FileSystem& fs) { fs_ = &fs; }

  private:
    // Before a workspace is opened interactively: a missing folder is created when the user
    // agrees, and the directory's lock is taken into `lock`, or, when another program holds it,
    // the user may open it read-only. False when it is not to be opened.
    bool PrepareOpen(const std::filesystem::path& dir, WorkspaceLock& lock, bool& readOnly);
    void LoadRecentList();
    void StoreRecentList();
    // Before a save over a preferences file that could not be read: Ok when it may be replaced
    // (it is then kept as FILE.bak), otherwise why not.
    Status KeepDamagedPreferences(const std::filesystem::path& file);

    Database& db_;
    Preferences& prefs_;
    Preferences::Block savedPrefs_{};  // the block as "tarvik.prefs" holds it (or would)
    SettingsStore& settings_;
    UserInterface& ui_;
    std::filesystem::path profileDir_;
    ApplicationHooks hooks_;
    std::vector<std::filesystem::path> recent_;
    Status prefsStatus_ = Status::Error("preferences not read", StatusCode::NotFound);
    bool prefsDamaged_ = false;
    DamagedPreferences damagedPrefs_ = DamagedPreferences::Ask;
    Status saveStatus_;
    std::vector<Status> profileUnreadFiles_;
    WorkspaceLock lock_;
    bool reportUnreadFiles_ = true;
    FileSystem* fs_ = &SystemFileSystem();
};

}  // namespace velmora
