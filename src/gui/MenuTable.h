#pragma once
// Menus built from tables. An entry is one of the window's actions, a command of the menu's
// own, a separator, the actions of a group, a submenu with its own entries, or entries that
// code elsewhere adds. An action may carry a predicate that sets its enabled state each time
// its menu is about to show.

#include <QIcon>
#include <QString>
#include <functional>
#include <vector>

class QAction;
class QActionGroup;
class QMenu;
class QMenuBar;
class QObject;

namespace velmora::gui {

struct MenuEntry {
    enum class Kind { Action, Command, Separator, Group, Submenu, Extension };

    Kind kind = Kind::Separator;
    QAction* action = nullptr;              // Action
    std::function<bool()> enabledWhen;      // Action: empty leaves the enabled state alone
    QString caption;                        // Command, Submenu
    std::function<void()> command;          // Command
    QString iconText;                       // Command: its text on a toolbar; empty: the caption
    QIcon icon;                             // Command: its image; null: none
    QActionGroup* group = nullptr;          // Group
    std::vector<MenuEntry> entries;         // Submenu
    QString objectName;                     // Submenu
    QMenu** keep = nullptr;                 // Submenu: where the window keeps it
    std::function<void(QMenu*)> whenShown;  // Submenu: runs each time it is about to show
    std::function<void(QMenu*)> extend;     // Extension: adds its entries to the menu

    static MenuEntry Of(QAction* action, std::function<bool()> enabledWhen = {});
    static MenuEntry Command(const QString& caption, std::function<void()> command,
                             const QString& iconText = {}, const QIcon& icon = {});
    static MenuEntry Separator();
    static MenuEntry Group(QActionGroup* group);
    static MenuEntry Submenu(const QString& caption, std::vector<MenuEntry> entries);
    static MenuEntry Extension(std::function<void(QMenu*)> extend);

    // A submenu entry kept in `where`, named, or run each time it is about to show.
    MenuEntry KeptIn(QMenu** where) &&;
    MenuEntry Named(const QString& name) &&;
    MenuEntry WhenShown(std::function<void(QMenu*)> run) &&;
};

// Adds the entries to the menu in their order. Commands and the menus' handlers run in
// `context`, and end with it.
void AddMenuEntries(QMenu* menu, const std::vector<MenuEntry>& entries, QObject* context);

// Adds each Submenu entry as a menu of the bar.
void AddMenus(QMenuBar* bar, const std::vector<MenuEntry>& menus, QObject* context);

}  // namespace velmora::gui
