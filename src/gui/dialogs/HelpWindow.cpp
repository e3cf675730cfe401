#include "gui/dialogs/HelpWindow.h"

#include <QAction>
#include <QToolBar>
#include <QVBoxLayout>

#include "formula/FunctionHelp.h"
#include "platform/InstallLayout.h"

namespace velmora::gui {

namespace {

constexpr char kReferencePage[] = "functions.md";

}  // namespace

QVariant HelpBrowser::loadResource(int type, const QUrl& name) {
    if (name.fileName() == QLatin1String(kReferencePage)) {
        return QString::fromStdString(FunctionReferenceMarkdown());
    }
    return QTextBrowser::loadResource(type, name);
}

HelpWindow::HelpWindow(const std::filesystem::path& manualDir, QWidget* parent)
    : QWidget(parent, Qt::Window), manualDir_(manualDir) {
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(tr("Velmora Help"));
    resize(820, 640);
    browser_ = new HelpBrowser(this);
    browser_->setOpenExternalLinks(true);
    auto* bar = new QToolBar(this);
    QAction* back = bar->addAction(tr("Back"), browser_, &QTextBrowser::backward);
    QAction* forward = bar->addAction(tr("Forward"), browser_, &QTextBrowser::forward);
    bar->addAction(tr("Contents"), this, [this] { ShowPage(QStringLiteral("index.md")); });
    bar->addAction(tr("Formula functions"), this,
                   [this] { ShowPage(QLatin1String(kReferencePage)); });
    back->setEnabled(false);
    forward->setEnabled(false);
    connect(browser_, &QTextBrowser::backwardAvailable, back, &QAction::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, forward, &QAction::setEnabled);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(bar);
    layout->addWidget(browser_);
}

void HelpWindow::ShowPage(const QString& page) {
    const std::filesystem::path file = manualDir_ / page.toStdString();
    std::error_code ec;
    if (page != QLatin1String(kReferencePage) && !std::filesystem::is_regular_file(file, ec)) {
        browser_->setMarkdown(tr("# The manual is missing\n\n`%1` was not found.")
                                  .arg(QString::fromStdString(file.string())));
    } else {
        browser_->setSource(QUrl::fromLocalFile(QString::fromStdString(file.string())),
                            QTextDocument::MarkdownResource);
    }
    show();
    raise();
    activateWindow();
}

HelpWindow* ShowHelp(QWidget* parent, const QString& page) {
    auto* window =
        parent->findChild<HelpWindow*>(QStringLiteral("HelpWindow"), Qt::FindDirectChildrenOnly);
    if (window == nullptr) window = new HelpWindow(ProgramDocDirectory() / "manual", parent);
    window->ShowPage(page);
    return window;
}

}  // namespace velmora::gui
