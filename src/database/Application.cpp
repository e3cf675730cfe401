#include "database/Application.h"

#include <algorithm>
#include <system_error>

#include "database/CategoryNames.h"
#include "platform/FileUtil.h"

namespace velmora {

namespace fs = std::filesystem;

namespace {

constexpr char kDeletedSuffix[] = ".ZZZ";

// The form a directory takes in the recent list: absolute, normalised, without a trailing
// separator, so that one directory is one entry however it was spelled.
fs::path RecentForm(const fs::path& dir) {
    std::error_code ec;
    fs::path p = fs::absolute(dir, ec);
    if (ec) p = dir;
    p = p.lexically_normal();
    if (!p.has_filename() && p.has_relative_path()) p = p.parent_path();
    return p;
}

// Renames the stock files of `dir` whose deletion was deferred back to their own names: the
// deletions were never saved into that directory.
void RestoreDeferredDeletions(const fs::path& dir) {
    std::error_code ec;
    for (int letter = 0; letter < kDirectoryLetterCount; ++letter) {
        const fs::path sub = MatchNoCase(dir, std::string(1, kDirectoryLetters[letter]));
        for (const DirEntry& e : ListDirectory(sub)) {
            const std::string& n = e.name;
            if (e.isDirectory || n.size() <= 4 || n.compare(n.size() - 4, 4, kDeletedSuffix) != 0)
                continue;
            const fs::path original = sub / n.substr(0, n.size() - 4);
            if (!fs::exists(fs::symlink_status(original, ec))) fs::rename(sub / n, original, ec);
        }
    }
}

}  // namespace

Application::Application(Database& db, Preferences& prefs, SettingsStore& settings,
                         UserInterface& ui, fs::path profileDir)
    : db_(db),
      prefs_(prefs),
      savedPrefs_(prefs.Raw()),
      settings_(settings),
      ui_(ui),
      profileDir_(std::move(profileDir)) {}

Workspace Application::MakeWorkspace() {
    Workspace ws(db_, prefs_, ui_);
    ws.SetFileSystem(*fs_);
    // The names of a workspace without a workspace file; the files that could not be read
    // were reported at start-up.
    ws.SetCategoryNamesLoader(
        [dir = profileDir_](CategoryTables& tables) { LoadCategoryNames(dir, tables); });
    return ws;
}

fs::path Application::ResolveWorkspacePath(const std::string& path) const {
    // An empty path would put the workspace at the file system's root: use the default.
    fs::path p = path.empty() ? fs::path("data") : fs::path(path);
    if (p.is_relative()) p = profileDir_ / p;
    return p;
}

void Application::Initialise() {
    profileUnreadFiles_.clear();
    if (Status settings = settings_.LoadStatus(); !settings) {
        profileUnreadFiles_.push_back(std::move(settings));
    }
    LoadRecentList();
    if (auto dataDir = settings_.GetString("Defaults", "DataDir"); dataDir && !dataDir->empty()) {
        prefs_.SetDefaultDatabasePath(*dataDir);
    }
    db_.Categories().SetDefaultNames();
    prefsStatus_ = LoadPreferences(MatchNoCase(profileDir_, kPreferencesFileName), prefs_);
    // A missing file is a first start; any other failure is damage, kept until replaced.
    prefsDamaged_ = !prefsStatus_ && prefsStatus_.Code() != StatusCode::NotFound;
    if (prefsDamaged_) profileUnreadFiles_.push_back(prefsStatus_);
    savedPrefs_ = prefs_.Raw();
    if (hooks_.preferencesLoaded) hooks_.preferencesLoaded(prefs_);
    // A damaged preferences file keeps the block's path as well, rather than leaving the
    // workspace directory unset.
    db_.SetWorkspaceDir(ResolveWorkspacePath(prefs_.DefaultDatabasePath()));
    for (Status& unread : LoadCategoryNames(profileDir_, db_.Categories())) {
        profileUnreadFiles_.push_back(std::move(unread));
    }
    if (hooks_.loadChartDefinitions) {
        if (Status charts = hooks_.loadChartDefinitions(); !charts) {
            profileUnreadFiles_.push_back(std::move(charts));
        }
    }
    if (hooks_.loadCustomTools) hooks_.loadCustomTools();
    db_.ReleaseAll();
    db_.SetWorkspaceDirty(false);
    if (hooks_.createMainWindow) hooks_.createMainWindow();
    if (reportUnreadFiles_ && !profileUnreadFiles_.empty()) {
        std::string text =
            "These files of the profile could not be read; none of them is "
            "replaced without asking:";
        for (const Status& unread : profileUnreadFiles_) text += "\n" + unread.ToString();
        ui_.ShowMessage(text);
    }
}

bool Application::StartUp(StartMode mode, bool maximizedRequested) {
    Initialise();
    const fs::path dir = db_.WorkspaceDir();
    if (mode == StartMode::Interactive && hooks_.showMainWindow) {
        hooks_.showMainWindow(maximizedRequested || StartMaximized());
    }
    WorkspaceLock lock;
    bool readOnly = false;
    if (!PrepareOpen(dir, lock, readOnly)) {
        // Declined: an empty database that never touches the directory.
        db_.SetReadOnly(true);
        return false;
    }
    lock_ = std::move(lock);
    db_.SetReadOnly(readOnly);
    if (mode == StartMode::Automation) return LoadWorkspaceDir(dir);
    AddToRecentList(dir);
    const bool ok = LoadWorkspaceDir(dir);
    if (db_.StockCount() > 0 && hooks_.makeStockCurrent) hooks_.makeStockCurrent(db_.FirstStock());
    if (hooks_.openChartWindow) hooks_.openChartWindow();
    if (hooks_.showTipOfTheDay) hooks_.showTipOfTheDay();
    return ok;
}

bool Application::LoadWorkspaceDir(const fs::path& dir) {
    db_.ReleaseAll();
    db_.SetWorkspaceDirty(false);
    db_.SetWorkspaceDir(dir);
    Workspace ws = MakeWorkspace();
    if (ws.LoadWorkspace()) {
        if (reportUnreadFiles_ && !db_.UnreadFiles().empty()) {
            std::string text = "These files of the workspace could not be read:";
            for (const Status& unread : db_.UnreadFiles()) text += "\n" + unread.ToString();
            ui_.ShowMessage(text);
        }
        return true;
    }
    // Whatever was read before the failure goes: a failed load leaves an empty database.
    db_.ReleaseAll();
    db_.SetWorkspaceDirty(false);
    return false;
}

Status Application::LockWorkspace(const fs::path& dir) {
    std::error_code ec;
    if (lock_.Held() && fs::equivalent(lock_.Dir(), dir, ec)) return Status::Ok();
    WorkspaceLock next;
    Status locked = next.Acquire(dir);
    if (locked) lock_ = std::move(next);
    return locked;
}

bool Application::PrepareOpen(const fs::path& dir, WorkspaceLock& lock, bool& readOnly) {
    readOnly = false;
    std::error_code ec;
    if (!IsDirectory(dir)) {
        if (!ui_.AskYesNo("The folder '" + dir.string() + "' does not exist. Create it?")) {
            return false;
        }
        fs::create_directories(dir, ec);
        if (!IsDirectory(dir)) {
            ui_.ShowMessage("Could not create the workspace directory\n'" + dir.string() + "'.");
            return false;
        }
    }
    if (lock_.Held() && fs::equivalent(lock_.Dir(), dir, ec)) {
        lock = std::move(lock_);
        return true;
    }
    const Status locked = lock.Acquire(dir);
    if (locked.Code() != StatusCode::InUse) return true;  // a directory that cannot hold a lock
    if (!ui_.AskYesNo(locked.Message() + ".\nOpen it read-only?")) return false;
    readOnly = true;
    return true;
}

bool Application::CloseWorkspace() {
    // A read-only session has nothing to save and sets nothing right on disk.
    if (db_.ReadOnly()) return true;
    Workspace ws = MakeWorkspace();
    if (db_.WorkspaceDirty() && ui_.AskYesNo("Save changes to the database?")) {
        const bool saved = ws.SaveWorkspace();
        saveStatus_ = ws.SaveStatus();
        return saved && !db_.WorkspaceDirty();
    }
    // Declined (or nothing to save): a save of a clean workspace undoes deferred deletions.
    db_.SetWorkspaceDirty(false);
    ws.SaveWorkspace();
    return true;
}

bool Application::OpenWorkspace(const fs::path& dir) {
    WorkspaceLock lock;
    bool readOnly = false;
    const bool prepared = PrepareOpen(dir, lock, readOnly);
    if (!prepared || !CloseWorkspace()) {
        // The open workspace stays, with its lock (taken over when it was the same directory).
        if (!lock_.Held() && lock.Held()) lock_ = std::move(lock);
        return false;
    }
    lock_ = std::move(lock);
    db_.SetReadOnly(readOnly);
    const bool ok = LoadWorkspaceDir(dir);
    if (hooks_.makeStockCurrent) hooks_.makeStockCurrent(db_.FirstStock());
    if (ok) AddToRecentList(dir);
    return ok;
}

bool Application::OpenWorkspaceFolder(const fs::path& dir) {
    Workspace ws = MakeWorkspace();
    if (!ws.EnsureLayout(dir)) return false;
    return OpenWorkspace(dir);
}

bool Application::NewWorkspace(const fs::path& workspaceFile) {
    const fs::path dir = workspaceFile.has_parent_path() ? workspaceFile.parent_path() : ".";
    return OpenWorkspace(dir);
}

bool Application::SaveWorkspace() {
    Workspace ws = MakeWorkspace();
    const bool saved = ws.SaveWorkspace();
    saveStatus_ = ws.SaveStatus();
    return saved;
}

bool Application::SaveWorkspaceAs(const fs::path& dir, bool intoOtherWorkspace) {
    std::error_code same;
    if (!intoOtherWorkspace && HoldsWorkspaceData(dir) &&
        !fs::equivalent(dir, db_.WorkspaceDir(), same) &&
        !ui_.AskYesNo("The folder '" + dir.string() +
                      "' holds another workspace.\nSave this workspace into it? Its stocks of "
                      "the same tickers are replaced; the others stay.")) {
        saveStatus_ = Status::Ok();
        return false;
    }
    Workspace ws = MakeWorkspace();
    if (!ws.EnsureLayout(dir)) return false;
    // The folder becomes this program's workspace: it must not be another program's.
    if (Status locked = LockWorkspace(dir); locked.Code() == StatusCode::InUse) {
        saveStatus_ = std::move(locked);
        return false;
    }
    const bool wasReadOnly = db_.ReadOnly();
    db_.SetReadOnly(false);
    const fs::path oldDir = db_.WorkspaceDir();
    for (int i = 0; i < db_.StockCount(); ++i) db_.StockAt(i)->Modified = true;
    db_.SetWorkspaceDirty(true);
    db_.SetWorkspaceDir(dir);
    // The older quotations of partially loaded stocks are still read from the loaded-from
    // directory, which the save leaves pointing at the old workspace until it is done.
    const bool ok = ws.SaveWorkspace();
    saveStatus_ = ws.SaveStatus();
    std::error_code ec;
    if (ok && !wasReadOnly && !fs::equivalent(oldDir, dir, ec)) RestoreDeferredDeletions(oldDir);
    if (ok) AddToRecentList(dir);
    return ok && !db_.WorkspaceDirty();
}

bool Application::OpenRecent(int index) {
    if (index < 0 || index >= static_cast<int>(recent_.size())) return false;
    const fs::path dir = recent_[static_cast<std::size_t>(index)];
    const bool ok = OpenWorkspace(dir);
    if (hooks_.hasChartWindow && !hooks_.hasChartWindow() && hooks_.openChartWindow) {
        hooks_.openChartWindow();
    }
    return ok;
}

Status Application::SavePreferences() {
    const fs::path file = MatchNoCase(profileDir_, kPreferencesFileName);
    if (prefsDamaged_) {
        if (Status kept = KeepDamagedPreferences(file); !kept) return kept;
    }
    Status saved = velmora::SavePreferences(file, prefs_, *fs_);
    if (saved) savedPrefs_ = prefs_.Raw();
    return saved;
}

Status Application::KeepDamagedPreferences(const fs::path& file) {
    const bool replace =
        damagedPrefs_ == DamagedPreferences::Replace ||
        (damagedPrefs_ == DamagedPreferences::Ask &&
         ui_.AskYesNo("The preferences file\n'" + file.string() +
                      "'\ncould not be read at start-up. Saving replaces it with the "
                      "preferences shown now.\nReplace it? The old file is kept as '" +
                      file.string() + ".bak'; otherwise the preferences are not saved."));
    if (!replace) {
        return Status::FileError("not replacing the preferences file", file,
                                 "it could not be read when it was loaded", StatusCode::Corrupt);
    }
    std::error_code ec;
    if (fs::exists(fs::symlink_status(file, ec))) {
        const Result<fs::path> kept = KeepOldFile(file, ".bak");
        if (!kept) return kept.GetStatus();
    }
    prefsDamaged_ = false;
    return Status::Ok();
}

void Application::Exit() {
    db_.ReleaseAll();
    lock_.Release();
    if (hooks_.saveChartDefinitions) hooks_.saveChartDefinitions();
}

bool Application::StartMaximized() const {
    return settings_.GetInt("WindowPos", "Maximized", 0) != 0;
}

void Application::LoadRecentList() {
    recent_.clear();
    for (int i = 1; i <= kRecentListSize; ++i) {
        const auto entry = settings_.GetString(kRecentSection, "File" + std::to_string(i));
        if (!entry || entry->empty()) continue;
        const fs::path p = RecentForm(*entry);
        if (std::find(recent_.begin(), recent_.end(), p) == recent_.end()) recent_.push_back(p);
    }
}

void Application::StoreRecentList() {
    for (int i = 0; i < kRecentListSize; ++i) {
        const std::string name = "File" + std::to_string(i + 1);
        if (i < static_cast<int>(recent_.size())) {
            settings_.SetString(kRecentSection, name,
                                recent_[static_cast<std::size_t>(i)].string());
        } else {
            settings_.Remove(kRecentSection, name);
        }
    }
}

void Application::AddToRecentList(const fs::path& dir) {
    const fs::path p = RecentForm(dir);
    recent_.erase(std::remove(recent_.begin(), recent_.end(), p), recent_.end());
    recent_.insert(recent_.begin(), p);
    if (recent_.size() > static_cast<std::size_t>(kRecentListSize)) recent_.resize(kRecentListSize);
    StoreRecentList();
}

}  // namespace velmora
