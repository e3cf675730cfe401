#pragma once
// The user interface of the desktop program: message boxes and Yes/No questions over the
// window the user works in (the main window when none is active), the string prompt, the status
// bar's message area and progress bar, and the progress dialog with its Cancel button. Before the
// main window exists, dialogs have no parent and status texts are kept until a status bar is
// attached.

#include <QPointer>
#include <QString>
#include <memory>

#include "platform/UserInterface.h"

class QMainWindow;
class QProgressBar;
class QProgressDialog;
class QWidget;

namespace velmora::gui {

inline constexpr char kProgramTitle[] = "Velmora";

// The progress dialog: shown at the first step, closed by Close.
class QtProgress final : public ProgressReporter {
  public:
    explicit QtProgress(QWidget* parent = nullptr);
    ~QtProgress() override;
    void SetParent(QWidget* parent) { parent_ = parent; }

    bool Step(int index, int total, std::string_view detail, std::string_view caption) override;
    void Close() override;

    // The dialog while it is shown (null otherwise).
    QProgressDialog* Dialog() const;

  private:
    QPointer<QWidget> parent_;
    QPointer<QProgressDialog> dialog_;
};

class QtUserInterface final : public UserInterface {
  public:
    QtUserInterface();
    ~QtUserInterface() override;

    // The window that owns the dialogs and whose status bar shows the texts.
    void AttachMainWindow(QMainWindow* window);

    void ShowMessage(std::string_view text) override;
    // The button "Show log" opens the file with the desktop's viewer; it is left out when the
    // file does not exist.
    void ShowMessageWithFile(std::string_view text, const std::filesystem::path& file) override;
    // A window captioned `title` with the report in the fixed-pitch system font, as wide as its
    // longest line allows on the screen, and "Close".
    void ShowAlignedReport(std::string_view title, std::string_view report) override;
    bool AskYesNo(std::string_view question) override;
    // Escape and the close box answer Cancel.
    std::optional<bool> AskYesNoCancel(std::string_view question) override;
    std::optional<std::string> AskString(std::string_view prompt,
                                         std::string_view initial) override;
    void SetStatusText(std::string_view text) override;
    void SetProgressPercent(int percent) override;
    ProgressReporter& Progress() override { return progress_; }

    const QString& LastStatusText() const { return status_; }

  private:
    QPointer<QMainWindow> window_;
    QPointer<QProgressBar> bar_;
    QtProgress progress_;
    QString status_;
};

inline QString ToQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace velmora::gui
