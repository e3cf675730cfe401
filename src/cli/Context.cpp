#include <cmath>
#include <cstdio>
#include <system_error>

#include "cli/Cli.h"
#include "database/StockFile.h"
#include "database/Workspace.h"
#include "database/WorkspaceFile.h"
#include "formula/FormulaFile.h"
#include "platform/FileUtil.h"
#include "platform/IniSettingsStore.h"
#include "platform/PlainText.h"
#include "platform/ProfileDirectory.h"

namespace velmora::cli {

namespace fs = std::filesystem;

bool Context::OpenProfile() {
    if (app) return true;
    auto profile = OpenProfileDirectory(requestedProfile);
    if (!profile) {
        Error("cannot create the profile directory");
        return false;
    }
    profileDir = *profile;
    // With --no-save the settings (recent workspaces, custom tools) change only in memory.
    settings = std::make_unique<IniSettingsStore>(profileDir / "settings.ini", !noSave, *files);
    // A settings file that could not be read is replaced only with --force (kept as .bak).
    settings->SetReplaceDamaged(force);
    app = std::make_unique<Application>(db, prefs, *settings, ui, profileDir);
    // The files a load could not read are written to stderr one by one, not as one message.
    app->SetReportUnreadFiles(false);
    db.SetReplaceDamaged(force);
    // Nobody to ask: a preferences file that could not be read is replaced only with --force.
    app->SetDamagedPreferences(force ? Application::DamagedPreferences::Replace
                                     : Application::DamagedPreferences::Keep);
    app->SetFileSystem(*files);
    app->Initialise();
    for (const Status& unread : app->ProfileUnreadFiles()) Error(unread.ToString());
    return true;
}

std::string Context::SettingsSaveFailure() const {
    const Status& saved = settings->LastSaveStatus();
    std::string text = saved.ToString();
    if (!saved && !settings->LoadStatus() && !force) text += kForceReplacesIt;
    return text;
}

namespace {

// A reader finishes a save that a crash interrupted before it reads the workspace, unless
// another program holds the workspace (it may be saving right now). Without a commit record
// nothing is touched: a reader sees the old files, whatever temporary files lie beside them.
void FinishInterruptedSave(Context& ctx, const fs::path& dir) {
    std::error_code ec;
    if (!fs::exists(dir / kCommitRecordName, ec)) return;
    WorkspaceLock lock;
    if (!lock.Acquire(dir)) return;
    Workspace(ctx.db, ctx.prefs, ctx.ui).FinishInterruptedSave(dir).IgnoreError();
}

}  // namespace

bool Context::OpenWorkspace(Access access) {
    if (!OpenProfile()) return false;
    // A --workspace directory is taken as given (relative to the current directory); the
    // preferences' path was resolved against the profile directory at start-up.
    const fs::path dir = requestedWorkspace ? *requestedWorkspace : db.WorkspaceDir();
    // A mistyped path is not a new workspace: only the preferences' own one is made on demand.
    const bool exists = access == Access::Read ? LooksLikeWorkspace(dir) : IsDirectory(dir);
    if (!exists && (access == Access::Read || requestedWorkspace)) {
        Error("no workspace at " + dir.string());
        return false;
    }
    if (access == Access::Write) {
        std::error_code ec;
        fs::create_directories(dir, ec);
        if (const Status locked = app->LockWorkspace(dir); !locked) {
            Error(locked.ToString());
            return false;
        }
    }
    if (access == Access::Read) FinishInterruptedSave(*this, dir);
    db.SetReadOnly(access == Access::Read);
    if (!app->LoadWorkspaceDir(dir)) {
        Error("cannot open the workspace " + dir.string());
        return false;
    }
    for (const Status& unread : db.UnreadFiles()) Error(unread.ToString());
    return true;
}

bool Context::SaveWorkspace() {
    if (noSave) return true;
    if (app && !app->Lock().Held()) {
        if (const Status locked = app->LockWorkspace(db.WorkspaceDir()); !locked) {
            Error(locked.ToString());
            return false;
        }
    }
    if (db.WorkspaceFileDamaged() && db.WorkspaceDirty() && !force &&
        db.WorkspaceDir() == db.LoadedFromDir()) {
        Error("the workspace file " + (db.LoadedFromDir() / kWorkspaceFileName).string() +
              " could not be read and is not replaced; nothing was saved (--force replaces it, "
              "keeping the old file as .bak)");
        return false;
    }
    Workspace ws(db, prefs, ui);
    ws.SetFileSystem(*files);
    const bool saved = app ? app->SaveWorkspace() : ws.SaveWorkspace();
    const Status& failure = app ? app->SaveStatus() : ws.SaveStatus();
    if (!saved || db.WorkspaceDirty()) {
        std::string text = "the workspace could not be saved completely";
        if (!failure) text += ": " + failure.ToString();
        Error(text);
        return false;
    }
    return true;
}

bool Context::LoadAllQuotations() {
    for (const auto& s : db.Stocks()) {
        if (!LoadFullHistory(*s)) return false;
    }
    return true;
}

bool Context::LoadFullHistory(Stock& stock) {
    const Status loaded = db.LoadFullHistory(stock);
    if (!loaded) Error(loaded.ToString());
    return loaded.IsOk();
}

std::string Context::Date(const std::string& shortText) const {
    const PackedDate date = TextToDate(shortText);
    return date == kNoDate || dates == DateStyle::Short ? shortText : Date(date);
}

void Context::Error(const std::string& message) {
    std::fprintf(err, "velmora-cli: %s\n", message.c_str());
}

void Context::PutBackSetAsideFile(const std::string& ticker) {
    const fs::path file = StockFilePath(db.WorkspaceDir(), ticker);
    fs::path aside = file;
    aside += ".ZZZ";
    std::error_code ec;
    if (fs::exists(aside, ec) && !fs::exists(file, ec)) fs::rename(aside, file, ec);
}

bool LockNewWorkspace(Context& ctx, const fs::path& dir, WorkspaceLock& lock) {
    std::error_code ec;
    fs::create_directories(dir, ec);
    const Status locked = lock.Acquire(dir);
    if (!locked) ctx.Error(locked.ToString());
    return locked.IsOk();
}

bool WantsHelp(Context& ctx, const Command& cmd, const std::vector<std::string>& args) {
    for (const auto& a : args) {
        if (a == "--help" || a == "-h") {
            std::fprintf(ctx.out, "usage: velmora-cli [GLOBAL OPTIONS] %s %s\n%s\n", cmd.name,
                         cmd.usage, cmd.summary);
            return true;
        }
    }
    return false;
}

std::optional<PackedDate> ParseDay(const std::string& text) {
    const PackedDate d = TextToDate(text);
    if (d == kNoDate || text.size() != 8) return std::nullopt;
    if (DateDay(d) > DaysInMonth(DateYear(d), DateMonth(d))) return std::nullopt;
    return d;
}

bool PlainText(Context& ctx, const std::string& command, const std::string& what,
               const std::string& text) {
    if (FindTabOrLineBreak(text) == std::string_view::npos) return true;
    ctx.Error(command + ": " + what + " " + kPlainTextRule);
    return false;
}

std::string FormatPrice(double value) {
    if (value == -1e10 || static_cast<float>(value) == -1e10f) return "EMPTY";
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.9g", value);
    return buf;
}

std::optional<std::string> FormulaText(Context& ctx, const std::optional<std::string>& formula,
                                       const std::optional<std::string>& formulaFile) {
    if (formula) return *formula;
    if (!formulaFile) return std::string();
    Result<std::string> text = LoadFormulaFile(*formulaFile);
    if (!text) {
        ctx.Error(text.GetStatus().ToString());
        return std::nullopt;
    }
    return std::move(*text);
}

bool PeriodicityOption(Context& ctx, const std::string& command,
                       const std::optional<std::string>& text, Periodicity& periodicity) {
    periodicity = Periodicity::Daily;
    if (!text) return true;
    const std::optional<Periodicity> p = ParsePeriodicity(*text);
    if (!p) {
        ctx.Error(command + ": --periodicity must be daily, weekly or monthly");
        return false;
    }
    periodicity = *p;
    return true;
}

Stock* OpenWorkspaceStock(Context& ctx, const std::string& ticker, bool aliases, Access access) {
    if (!ctx.OpenWorkspace(access)) return nullptr;
    Stock* stock = aliases ? ctx.db.FindStockOrAlias(ticker) : ctx.db.FindStock(ticker);
    if (stock == nullptr) {
        ctx.Error("no stock '" + ticker + "'");
        return nullptr;
    }
    return ctx.LoadFullHistory(*stock) ? stock : nullptr;
}

}  // namespace velmora::cli
