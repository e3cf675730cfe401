#pragma once
// What the logic of every subsystem may ask of the user interface: message boxes, Yes/No
// questions, the status bar text, the main window's progress indicator and the progress dialog.
// The GUI implements it with widgets; the command-line tool and the tests with
// ConsoleUserInterface.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "platform/ProgressReporter.h"

namespace velmora {

class UserInterface {
  public:
    virtual ~UserInterface() = default;
    virtual void ShowMessage(std::string_view text) = 0;
    // A message with a button that opens `file` (a log the message sums up). Without a way to
    // open files, the message alone.
    virtual void ShowMessageWithFile(std::string_view text, const std::filesystem::path& file) {
        (void)file;
        ShowMessage(text);
    }
    // A report whose lines are aligned column by column (a caret under a formula's error
    // position), shown under `title` in a fixed-pitch font. Without such a font: the title, an
    // empty line and the report as one message.
    virtual void ShowAlignedReport(std::string_view title, std::string_view report) {
        std::string text(title);
        text += "\n\n";
        text += report;
        ShowMessage(text);
    }
    virtual bool AskYesNo(std::string_view question) = 0;
    // Yes, No or Cancel: true, false, or nothing for Cancel. Without a Cancel of its own an
    // interface asks Yes or No.
    virtual std::optional<bool> AskYesNoCancel(std::string_view question) {
        return AskYesNo(question);
    }
    // A one-line text prompt with `initial` as the starting text: the text entered, or
    // nothing when the user cancelled.
    virtual std::optional<std::string> AskString(std::string_view prompt,
                                                 std::string_view initial) = 0;
    virtual void SetStatusText(std::string_view text) = 0;
    virtual void SetProgressPercent(int percent) = 0;
    virtual ProgressReporter& Progress() = 0;
};

}  // namespace velmora
