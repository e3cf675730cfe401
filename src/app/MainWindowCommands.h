#pragma once
// The main window's logic without its widgets: closing (the question about unsaved changes,
// the save, the stored window position and bar arrangement) and loading the quotations that
// partial loading left on disk.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "database/Application.h"
#include "database/Database.h"
#include "platform/ProgressReporter.h"
#include "platform/SettingsStore.h"
#include "platform/UserInterface.h"

namespace velmora {

inline constexpr char kWindowPosSection[] = "WindowPos";
inline constexpr char kBarStateSection[] = "Toolbar2";
inline constexpr char kBarStateValue[] = "State";
inline constexpr char kLoadingQuotationsCaption[] = "Loading quotations...";
inline constexpr char kSaveFailedCloseAnyway[] =
    "The database could not be saved completely. Close anyway?";

// What a failed save of the workspace says: which file could not be written and why, when the
// save knows it.
std::string SaveFailureText(const Status& failure);
// "&Save Workspace" and "Save Workspace &As..." (with a directory): false after the message of
// SaveFailureText when the workspace was not saved completely.
bool SaveWorkspaceCommand(Application& app, UserInterface& ui,
                          const std::optional<std::filesystem::path>& saveAsDir = std::nullopt);

// CloseWorkspace; when its save failed, asks whether to close anyway (naming the file that
// could not be written and why). False when the workspace is to stay open.
bool CloseWorkspaceOrAsk(Application& app, UserInterface& ui);

// Closing the program with preferences changed since they were loaded or saved asks "Save the
// preferences?": Yes saves them ("&Save preferences"), and when that fails asks whether to close
// anyway; No closes without them. False when the program is to stay open (Cancel, or a failed
// save the user does not close on).
inline constexpr char kSavePreferencesQuestion[] = "Save the preferences?";
inline constexpr char kPreferencesNotSavedCloseAnyway[] =
    "The preferences could not be saved. Close anyway?";
bool ClosePreferencesOrAsk(Application& app, UserInterface& ui);

// The window as it is when it closes.
struct WindowPlacement {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool minimized = false;
    bool maximized = false;
};

struct WindowRect {
    int left, top, width, height;
};

// "WindowPos": the rectangle only when the window is neither minimised nor maximised (the
// previous one stays otherwise); "Maximized" 1 or 0.
void StoreWindowPlacement(SettingsStore& settings, const WindowPlacement& placement);
// The stored rectangle, when all four values are there and the size is positive.
std::optional<WindowRect> StoredWindowRect(const SettingsStore& settings);

// The bar arrangement, as an opaque text.
void StoreBarState(SettingsStore& settings, std::string_view state);
std::optional<std::string> StoredBarState(const SettingsStore& settings);

// Closing the main window: asks "Save changes to the database?" when the workspace is dirty
// (No discards the changes), saves, then stores the window placement and the bar arrangement.
// When the save fails the user is asked whether to close anyway; false keeps the window open
// and stores nothing.
bool CloseMainWindow(Application& app, UserInterface& ui, SettingsStore& settings,
                     const WindowPlacement& placement, std::string_view barState);

// Whether the stock still has older quotations on disk ("Current stock" is enabled).
bool HasRemainingQuotations(const Stock* stock);
// "All stocks": loads the older quotations of every partially loaded stock, stepping the
// progress dialog with the ticker under "Loading quotations..."; Cancel stops after the stock
// being loaded. The dialog is closed at the end. A stock whose older quotations cannot be read
// keeps what it holds; the first such failure is shown after the dialog closes. The number of
// stocks loaded.
int LoadAllRemainingQuotations(Database& db, UserInterface& ui);

}  // namespace velmora
