#include "gui/ToolbarIcons.h"

#include <QFile>
#include <QString>
#include <array>

// The resources of a static library are registered by hand; Q_INIT_RESOURCE is used outside
// any namespace.
static bool RegisterToolbarIcons() {
    Q_INIT_RESOURCE(toolbar_icons);
    return true;
}

namespace velmora::gui {

namespace {

struct IconName {
    std::string_view own;  // the program's drawing
    const char* theme;     // the freedesktop name, when the command has one
};

// Only the theme's names whose picture means the command are used; the chart types, the
// periodicities, the drawing tools and the analysis windows have no such name.
constexpr std::array<IconName, 11> kThemeNames = {{
    {"new-workspace", "document-new"},
    {"open-workspace", "document-open"},
    {"save-workspace", "document-save"},
    {"new-stock", "list-add"},
    {"delete-stock", "edit-delete"},
    {"new-window", "window-new"},
    {"text", "insert-text"},
    {"zoom-in", "zoom-in"},
    {"zoom-out", "zoom-out"},
    {"zoom-all", "zoom-fit-best"},
    {"zoom-normal", "zoom-original"},
}};

}  // namespace

QIcon ToolbarIcon(std::string_view name) {
    static const bool registered = RegisterToolbarIcons();
    (void)registered;
    const QString file =
        QStringLiteral(":/toolbar/%1.svg")
            .arg(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
    if (!QFile::exists(file)) return {};
    QIcon own(file);
    for (const IconName& n : kThemeNames) {
        if (n.own == name) return QIcon::fromTheme(QString::fromLatin1(n.theme), own);
    }
    return own;
}

}  // namespace velmora::gui
