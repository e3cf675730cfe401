#pragma once
// The script window: runs a JavaScript program against the automation model of the running
// program (its chart windows are the documents) and shows what the program printed and the
// error that ended it. Buttons "Clear" and "Close".

#include <QWidget>
#include <filesystem>
#include <string>
#include <vector>

#include "automation/DocumentHost.h"
#include "automation/ScriptRunner.h"

class QPlainTextEdit;

namespace velmora::gui {

class GuiContext;

inline constexpr char kScriptWindowCaption[] = "Script output";
inline constexpr char kScriptFileFilter[] = "JavaScript Files (*.js);;All Files (*)";

class ScriptWindow : public QWidget {
    Q_OBJECT
  public:
    ScriptWindow(GuiContext& context, DocumentHost& documents, QWidget* parent = nullptr);

    QPlainTextEdit* Output() const { return output_; }

    // Runs the program in the file; its print() lines and, when it failed, its error are
    // appended to the output. Afterwards the stock tree and the chart windows show what the
    // program changed. A program started while another one runs (from a message box of the
    // first) does not run.
    ScriptResult Run(const std::filesystem::path& file, const std::vector<std::string>& args = {});
    bool Running() const { return running_; }

  protected:
    // The window stays while its program runs (a message box of the program lets the user
    // reach it).
    void closeEvent(QCloseEvent* event) override;

  private:
    void Append(const QString& line);

    GuiContext& context_;
    DocumentHost& documents_;
    QPlainTextEdit* output_;
    bool running_ = false;
};

// Tools "Run script...": asks for a .js file and runs it in the window (made when null).
// Returns the window, or null when no file was chosen and no window was given.
ScriptWindow* RunScriptFromFileDialog(GuiContext& context, DocumentHost& documents,
                                      ScriptWindow* window, QWidget* parent);

}  // namespace velmora::gui
