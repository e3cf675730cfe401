#include "app/MainWindowCommands.h"

#include <utility>

namespace velmora {

std::string SaveFailureText(const Status& failure) {
    std::string text = "The database could not be saved completely.";
    if (!failure) text += "\n" + failure.ToString();
    return text;
}

bool SaveWorkspaceCommand(Application& app, UserInterface& ui,
                          const std::optional<std::filesystem::path>& saveAsDir) {
    const bool saved = saveAsDir ? app.SaveWorkspaceAs(*saveAsDir) : app.SaveWorkspace();
    if (saved && !app.Db().WorkspaceDirty()) return true;
    // A cancelled save says nothing more.
    if (!app.SaveStatus()) ui.ShowMessage(SaveFailureText(app.SaveStatus()));
    return false;
}

bool CloseWorkspaceOrAsk(Application& app, UserInterface& ui) {
    if (app.CloseWorkspace()) return true;
    const std::string question = app.SaveStatus()
                                     ? std::string(kSaveFailedCloseAnyway)
                                     : SaveFailureText(app.SaveStatus()) + "\nClose anyway?";
    return ui.AskYesNo(question);
}

bool ClosePreferencesOrAsk(Application& app, UserInterface& ui) {
    if (!app.PreferencesUnsaved()) return true;
    const std::optional<bool> save = ui.AskYesNoCancel(kSavePreferencesQuestion);
    if (!save) return false;
    if (!*save || app.SavePreferences()) return true;
    return ui.AskYesNo(kPreferencesNotSavedCloseAnyway);
}

void StoreWindowPlacement(SettingsStore& settings, const WindowPlacement& placement) {
    if (!placement.minimized && !placement.maximized) {
        settings.SetInt(kWindowPosSection, "Left", placement.left);
        settings.SetInt(kWindowPosSection, "Top", placement.top);
        settings.SetInt(kWindowPosSection, "Width", placement.width);
        settings.SetInt(kWindowPosSection, "Height", placement.height);
    }
    settings.SetInt(kWindowPosSection, "Maximized", placement.maximized ? 1 : 0);
}

std::optional<WindowRect> StoredWindowRect(const SettingsStore& settings) {
    constexpr int kAbsent = -2147483647 - 1;
    WindowRect r{settings.GetInt(kWindowPosSection, "Left", kAbsent),
                 settings.GetInt(kWindowPosSection, "Top", kAbsent),
                 settings.GetInt(kWindowPosSection, "Width", kAbsent),
                 settings.GetInt(kWindowPosSection, "Height", kAbsent)};
    if (r.left == kAbsent || r.top == kAbsent || r.width <= 0 || r.height <= 0) {
        return std::nullopt;
    }
    return r;
}

void StoreBarState(SettingsStore& settings, std::string_view state) {
    settings.SetString(kBarStateSection, kBarStateValue, state);
}

std::optional<std::string> StoredBarState(const SettingsStore& settings) {
    return settings.GetString(kBarStateSection, kBarStateValue);
}

bool CloseMainWindow(Application& app, UserInterface& ui, SettingsStore& settings,
                     const WindowPlacement& placement, std::string_view barState) {
    // CloseWorkspace asks, saves a dirty workspace or discards it on No.
    if (!CloseWorkspaceOrAsk(app, ui)) return false;
    StoreWindowPlacement(settings, placement);
    StoreBarState(settings, barState);
    return true;
}

bool HasRemainingQuotations(const Stock* stock) {
    return stock != nullptr && stock->FirstLoadedDate != 0;
}

int LoadAllRemainingQuotations(Database& db, UserInterface& ui) {
    ProgressReporter& progress = ui.Progress();
    int loaded = 0;
    Status failure;
    const int total = db.StockCount();
    for (int i = 0; i < total; ++i) {
        Stock& stock = *db.StockAt(i);
        if (!HasRemainingQuotations(&stock)) continue;
        const bool goOn = progress.Step(i, total, stock.TickerText(), kLoadingQuotationsCaption);
        Status one = db.LoadFullHistory(stock);
        if (one) ++loaded;
        failure.Update(std::move(one));
        if (!goOn) break;
    }
    progress.Close();
    if (!failure) ui.ShowMessage(failure.ToString());
    return loaded;
}

}  // namespace velmora
