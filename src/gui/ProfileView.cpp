#include "gui/ProfileView.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QDesktopServices>
#include <QLabel>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QStringDecoder>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#ifdef VELMORA_HAVE_WEBENGINE
#include <QWebEngineView>
#endif

namespace velmora::gui {

namespace {

// A profile page is a few hundred kilobytes at most; anything past this is not shown.
constexpr qint64 kMaxPageBytes = qint64{8} * 1024 * 1024;
constexpr int kTransferTimeoutMs = 30000;

QString LinkTo(const QUrl& url) {
    const QString text = url.toDisplayString().toHtmlEscaped();
    return QStringLiteral("<a href=\"%1\">%2</a>")
        .arg(QString::fromUtf8(url.toEncoded()).toHtmlEscaped(), text);
}

}  // namespace

ProfileView::ProfileView(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    setMinimumSize(40, 40);
}

bool ProfileView::HasWebView() {
#ifdef VELMORA_HAVE_WEBENGINE
    return true;
#else
    return false;
#endif
}

void ProfileView::PrepareApplication() {
#ifdef VELMORA_HAVE_WEBENGINE
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    if (::geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX")) {
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    }
#endif
}

void ProfileView::Open(const QString& address) {
    address_ = address;
    const QUrl url = QUrl::fromUserInput(address);
#ifdef VELMORA_HAVE_WEBENGINE
    if (webView_ == nullptr) {
        webView_ = new QWebEngineView(this);
        layout()->addWidget(webView_);
        connect(webView_, &QWebEngineView::loadFinished, this, &ProfileView::pageLoaded);
    }
    webView_->setUrl(url);
#else
    OpenInTextBrowser(url);
#endif
}

QString ProfileView::PageTitle() const {
#ifdef VELMORA_HAVE_WEBENGINE
    if (webView_ != nullptr) return webView_->title();
#endif
    if (textBrowser_ != nullptr) return textBrowser_->documentTitle();
    return {};
}

QWidget* ProfileView::Browser() const {
#ifdef VELMORA_HAVE_WEBENGINE
    if (webView_ != nullptr) return webView_;
#endif
    return textBrowser_;
}

void ProfileView::OpenInTextBrowser(const QUrl& url) {
    if (textBrowser_ == nullptr) {
        // The page's address above it, for the full page in the desktop's browser.
        auto* link = new QLabel(this);
        link->setObjectName(QStringLiteral("ProfileAddress"));
        link->setTextInteractionFlags(Qt::TextBrowserInteraction);
        link->setOpenExternalLinks(true);
        link->setWordWrap(true);
        layout()->addWidget(link);
        textBrowser_ = new QTextBrowser(this);
        // A text browser cannot follow links to the web: every link opens outside.
        textBrowser_->setOpenLinks(false);
        connect(textBrowser_, &QTextBrowser::anchorClicked, this, [this](const QUrl& target) {
            QDesktopServices::openUrl(textBrowser_->document()->baseUrl().resolved(target));
        });
        layout()->addWidget(textBrowser_);
        network_ = new QNetworkAccessManager(this);
    }
    findChild<QLabel*>(QStringLiteral("ProfileAddress"))->setText(LinkTo(url));
    if (pending_) pending_->abort();
    QNetworkRequest request(url);
    request.setTransferTimeout(kTransferTimeoutMs);
    QNetworkReply* reply = network_->get(request);
    pending_ = reply;
    connect(reply, &QNetworkReply::finished, this, [this, reply] { ShowReply(reply); });
}

void ProfileView::ShowReply(QNetworkReply* reply) {
    reply->deleteLater();
    // The reply of a page the user has since left.
    if (reply != pending_) return;
    pending_ = nullptr;
    if (reply->error() != QNetworkReply::NoError) {
        ShowFailure(reply->url(), reply->errorString());
        emit pageLoaded(false);
        return;
    }
    const QByteArray body = reply->read(kMaxPageBytes);
    textBrowser_->document()->setBaseUrl(reply->url());
    // Local files come without a content type; they are taken as HTML like web pages.
    const QString type = reply->header(QNetworkRequest::ContentTypeHeader).toString();
    if (!type.isEmpty() && !type.contains(QLatin1String("html"), Qt::CaseInsensitive)) {
        textBrowser_->setPlainText(QString::fromUtf8(body));
    } else {
        QStringDecoder decoder = QStringDecoder::decoderForHtml(body);
        textBrowser_->setHtml(decoder.isValid() ? decoder.decode(body) : QString::fromUtf8(body));
    }
    emit pageLoaded(true);
}

void ProfileView::ShowFailure(const QUrl& url, const QString& reason) {
    textBrowser_->document()->setBaseUrl(url);
    textBrowser_->setHtml(tr("<p>The page could not be shown here: %1</p><p>%2</p>")
                              .arg(reason.toHtmlEscaped(), LinkTo(url)));
}

}  // namespace velmora::gui
