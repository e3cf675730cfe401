#pragma once
// The content of the "Profile" pane: the web page of the current stock shown inside the
// program. Built with Qt WebEngine it is a full web view; without it (or in builds where the
// web engine cannot run, see src/gui/CMakeLists.txt) a text browser shows the page's HTML,
// fetched over the network, and every link it shows opens in the desktop's own browser.
// The browser widget is created on the first navigation, that is when the pane is first shown.

#include <QPointer>
#include <QString>
#include <QWidget>

class QNetworkAccessManager;
class QNetworkReply;
class QTextBrowser;
class QWebEngineView;

namespace velmora::gui {

class ProfileView : public QWidget {
    Q_OBJECT
  public:
    explicit ProfileView(QWidget* parent = nullptr);

    // True when the pane shows pages in a web view (the program was built with Qt WebEngine).
    static bool HasWebView();
    // Settings the web engine needs before the QApplication exists: shared OpenGL contexts,
    // and no sandbox for the root user (Chromium refuses to start a sandbox as root). Does
    // nothing in a build without the web engine.
    static void PrepareApplication();

    // Shows the page at `address` (an address a user would type: "example.org/x" is taken as
    // http). The page's title arrives later, with `pageLoaded`.
    void Open(const QString& address);
    // The address last opened; empty before the first.
    const QString& Address() const { return address_; }
    // The shown page's title, once it has loaded.
    QString PageTitle() const;
    // The widget that shows the page; null before the first Open.
    QWidget* Browser() const;

  signals:
    // The page at the last opened address finished loading (`ok` false: it could not be had).
    void pageLoaded(bool ok);

  private:
    void OpenInTextBrowser(const QUrl& url);
    void ShowReply(QNetworkReply* reply);
    void ShowFailure(const QUrl& url, const QString& reason);

    QString address_;
    QWebEngineView* webView_ = nullptr;
    QTextBrowser* textBrowser_ = nullptr;
    QNetworkAccessManager* network_ = nullptr;
    QPointer<QNetworkReply> pending_;
};

}  // namespace velmora::gui
