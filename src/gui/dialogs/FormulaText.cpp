#include "gui/dialogs/FormulaText.h"

#include "formula/FormulaFile.h"

namespace velmora::gui {

QString FormulaForEditor(std::string_view text) {
    QString shown = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return shown;
}

std::string FormulaFromEditor(const QString& text) {
    QString stored = text;
    stored.remove(QLatin1Char('\r'));
    stored.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return stored.toStdString();
}

QString FormulaFolder(const SettingsStore& settings) {
    return QString::fromStdString(FormulaFileFolder(settings).string());
}

std::filesystem::path WithFormulaExtension(std::filesystem::path path) {
    if (!path.has_extension()) path += ".qrx";
    return path;
}

}  // namespace velmora::gui
