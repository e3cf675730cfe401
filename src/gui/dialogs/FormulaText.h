#pragma once
// Formula texts between the editors of the dialogs and the formula engine: in memory a formula
// breaks its lines with CR LF, the editors with LF alone. And the formula file dialogs' filter
// and starting folder.

#include <QString>
#include <filesystem>
#include <string>
#include <string_view>

namespace velmora {
class SettingsStore;
}

namespace velmora::gui {

inline const QString kFormulaFileDialogFilter = QStringLiteral("QRX Files (*.qrx);;All Files (*)");

// CR LF (and a lone CR) shown as line feeds.
QString FormulaForEditor(std::string_view text);
// Every line feed stored as CR LF; no line break is added at the end.
std::string FormulaFromEditor(const QString& text);
// The folder the formula file dialogs start in ("Paths"/"QRX").
QString FormulaFolder(const SettingsStore& settings);
// A file name without an extension gets ".qrx".
std::filesystem::path WithFormulaExtension(std::filesystem::path path);

}  // namespace velmora::gui
