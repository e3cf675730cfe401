#include "gui/MenuTable.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>
#include <utility>

namespace velmora::gui {

namespace {

// A submenu entry's menu: named, kept, filled, and watched as the entry asks.
void FillMenu(QMenu* menu, const MenuEntry& entry, QObject* context) {
    if (!entry.objectName.isEmpty()) menu->setObjectName(entry.objectName);
    if (entry.keep != nullptr) *entry.keep = menu;
    AddMenuEntries(menu, entry.entries, context);
    if (entry.whenShown) {
        QObject::connect(menu, &QMenu::aboutToShow, context,
                         [menu, whenShown = entry.whenShown] { whenShown(menu); });
    }
}

}  // namespace

MenuEntry MenuEntry::Of(QAction* action, std::function<bool()> enabledWhen) {
    MenuEntry e;
    e.kind = Kind::Action;
    e.action = action;
    e.enabledWhen = std::move(enabledWhen);
    return e;
}

MenuEntry MenuEntry::Command(const QString& caption, std::function<void()> command,
                             const QString& iconText, const QIcon& icon) {
    MenuEntry e;
    e.kind = Kind::Command;
    e.caption = caption;
    e.command = std::move(command);
    e.iconText = iconText;
    e.icon = icon;
    return e;
}

MenuEntry MenuEntry::Separator() {
    return MenuEntry{};
}

MenuEntry MenuEntry::Group(QActionGroup* group) {
    MenuEntry e;
    e.kind = Kind::Group;
    e.group = group;
    return e;
}

MenuEntry MenuEntry::Submenu(const QString& caption, std::vector<MenuEntry> entries) {
    MenuEntry e;
    e.kind = Kind::Submenu;
    e.caption = caption;
    e.entries = std::move(entries);
    return e;
}

MenuEntry MenuEntry::Extension(std::function<void(QMenu*)> extend) {
    MenuEntry e;
    e.kind = Kind::Extension;
    e.extend = std::move(extend);
    return e;
}

MenuEntry MenuEntry::KeptIn(QMenu** where) && {
    keep = where;
    return std::move(*this);
}

MenuEntry MenuEntry::Named(const QString& name) && {
    objectName = name;
    return std::move(*this);
}

MenuEntry MenuEntry::WhenShown(std::function<void(QMenu*)> run) && {
    whenShown = std::move(run);
    return std::move(*this);
}

void AddMenuEntries(QMenu* menu, const std::vector<MenuEntry>& entries, QObject* context) {
    std::vector<std::pair<QAction*, std::function<bool()>>> enabling;
    for (const MenuEntry& e : entries) {
        switch (e.kind) {
            case MenuEntry::Kind::Action:
                menu->addAction(e.action);
                if (e.enabledWhen) enabling.emplace_back(e.action, e.enabledWhen);
                break;
            case MenuEntry::Kind::Command: {
                QAction* a = menu->addAction(e.caption, context, e.command);
                if (!e.iconText.isEmpty()) a->setIconText(e.iconText);
                if (!e.icon.isNull()) a->setIcon(e.icon);
                break;
            }
            case MenuEntry::Kind::Separator:
                menu->addSeparator();
                break;
            case MenuEntry::Kind::Group:
                menu->addActions(e.group->actions());
                break;
            case MenuEntry::Kind::Submenu:
                FillMenu(menu->addMenu(e.caption), e, context);
                break;
            case MenuEntry::Kind::Extension:
                e.extend(menu);
                break;
        }
    }
    if (!enabling.empty()) {
        QObject::connect(menu, &QMenu::aboutToShow, context, [enabling = std::move(enabling)] {
            for (const auto& [action, when] : enabling) action->setEnabled(when());
        });
    }
}

void AddMenus(QMenuBar* bar, const std::vector<MenuEntry>& menus, QObject* context) {
    for (const MenuEntry& e : menus) FillMenu(bar->addMenu(e.caption), e, context);
}

}  // namespace velmora::gui
