#pragma once
// The commentary window: a QRX formula run on the current stock whose text output is shown.
// Two tabs, "Commentary " (the output) and "Formula " (the editable formula); Close, Refresh,
// Load and Save. Switching to the output, Refresh, Load and the main window's refresh run the
// formula; while its run is open the chart windows take its buy and sell arrays as trade
// arrows.

#include <QWidget>
#include <filesystem>

#include "chart/Commentary.h"
#include "gui/FormulaEditor.h"

class QPlainTextEdit;
class QTabWidget;

namespace velmora::gui {

class GuiContext;

inline constexpr char kCommentaryCaption[] = "Commentary";

class CommentaryWindow : public QWidget {
    Q_OBJECT
  public:
    explicit CommentaryWindow(GuiContext& context, QWidget* parent = nullptr);

    Commentary& Model() { return commentary_; }
    QTabWidget* Tabs() const { return tabs_; }
    QPlainTextEdit* OutputView() const { return output_; }
    FormulaEditor* FormulaEdit() const { return formula_; }

    // Load and Save without the file dialog; false when the file cannot be read or written.
    bool LoadFrom(const std::filesystem::path& path);
    bool SaveTo(const std::filesystem::path& path);

  public slots:
    // Runs the editor's formula on the current stock (nothing for an empty formula or without
    // a stock) and shows its output.
    void Refresh();
    void LoadFormula();
    void SaveFormula();

  private:
    CommentarySource Source();
    void ShowOutput();

    GuiContext& context_;
    Commentary commentary_;
    QTabWidget* tabs_;
    QPlainTextEdit* output_;
    FormulaEditor* formula_;
};

// Opens the commentary window (a modeless window that deletes itself when closed) and runs it.
// The main window keeps the pointer to refresh it and to bring it back instead of opening a
// second one.
CommentaryWindow* ShowCommentaryWindow(GuiContext& context, QWidget* parent);

}  // namespace velmora::gui
