#pragma once
// The manual in a window of its own. Its pages are the Markdown files of the manual folder
// (the installation's share/doc/velmora/manual, or docs/manual of the source tree for a program
// run from its build folder); links between them are followed in the window, links to web
// addresses open in the desktop's browser. The page "functions.md", the reference of the QRX
// built-in functions, is written from the program's own table whenever it is shown.

#include <QTextBrowser>
#include <QWidget>
#include <filesystem>

namespace velmora::gui {

// The window's browser: manual pages from the folder, the function reference from the table.
class HelpBrowser : public QTextBrowser {
    Q_OBJECT
  public:
    using QTextBrowser::QTextBrowser;
    QVariant loadResource(int type, const QUrl& name) override;
};

class HelpWindow : public QWidget {
    Q_OBJECT
  public:
    HelpWindow(const std::filesystem::path& manualDir, QWidget* parent);

    // Shows a page of the manual ("index.md", "functions.md", ...) and raises the window.
    void ShowPage(const QString& page);
    HelpBrowser* Browser() const { return browser_; }

  private:
    std::filesystem::path manualDir_;
    HelpBrowser* browser_ = nullptr;
};

// The one help window of `parent` (made on first use, over the installed manual), showing
// `page`.
HelpWindow* ShowHelp(QWidget* parent, const QString& page);

}  // namespace velmora::gui
