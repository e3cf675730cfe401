#include "gui/dialogs/ScriptWindow.h"

#include <QCloseEvent>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/StockMaintenance.h"
#include "automation/AutomationContext.h"
#include "gui/GuiContext.h"
#include "platform/FileUtil.h"

namespace velmora::gui {

namespace {

constexpr char kScriptFolderSection[] = "Paths";
constexpr char kScriptFolderValue[] = "Script";

QString FromStd(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

ScriptWindow::ScriptWindow(GuiContext& context, DocumentHost& documents, QWidget* parent)
    : QWidget(parent, Qt::Window), context_(context), documents_(documents) {
    setWindowTitle(QString::fromLatin1(kScriptWindowCaption));
    auto* layout = new QVBoxLayout(this);
    output_ = new QPlainTextEdit(this);
    output_->setReadOnly(true);
    output_->setLineWrapMode(QPlainTextEdit::NoWrap);
    output_->setMaximumBlockCount(100000);
    layout->addWidget(output_, 1);
    auto* buttons = new QHBoxLayout;
    auto* clear = new QPushButton(QStringLiteral("Clear"), this);
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    buttons->addStretch(1);
    buttons->addWidget(clear);
    buttons->addWidget(close);
    layout->addLayout(buttons);
    connect(clear, &QPushButton::clicked, output_, &QPlainTextEdit::clear);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    resize(560, 360);
}

void ScriptWindow::closeEvent(QCloseEvent* event) {
    if (running_) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

void ScriptWindow::Append(const QString& line) {
    output_->appendPlainText(line);
}

ScriptResult ScriptWindow::Run(const std::filesystem::path& file,
                               const std::vector<std::string>& args) {
    ScriptResult result;
    const QString name = QString::fromStdString(file.string());
    if (running_) {
        result.ok = false;
        result.error = "another script is running";
        Append(QStringLiteral("%1: %2").arg(name, FromStd(result.error)));
        return result;
    }
    const Result<Bytes> bytes = ReadFile(file, FileKind::Script);
    if (!bytes) {
        result.ok = false;
        result.error = bytes.GetStatus().ToString();
        Append(FromStd(result.error));
        return result;
    }
    GuiServices& s = context_.Services();
    AutomationContext automation{s.db, s.prefs, s.ui, documents_, s.profileDir, {}};
    ScriptRunner runner(automation);
    running_ = true;
    result = runner.Run(std::string(bytes->begin(), bytes->end()), file.string(), args,
                        [this](std::string_view line) { Append(FromStd(line)); });
    running_ = false;
    if (!result.ok) Append(FromStd(result.error));
    // New, renamed and removed stocks reach the tree and the ticker bar; the charts show the
    // data as the program left it.
    Stock* current = context_.CurrentStock();
    if (current == nullptr) current = s.db.FirstStock();
    context_.MakeCurrent(current,
                         7 | kCurrentSelect | kCurrentRebuildTree | kCurrentTreeFromScratch);
    return result;
}

ScriptWindow* RunScriptFromFileDialog(GuiContext& context, DocumentHost& documents,
                                      ScriptWindow* window, QWidget* parent) {
    SettingsStore& settings = context.Services().settings;
    const auto folder = settings.GetString(kScriptFolderSection, kScriptFolderValue);
    const QString file = QFileDialog::getOpenFileName(
        parent, QStringLiteral("Run script"), folder ? QString::fromStdString(*folder) : QString(),
        QString::fromLatin1(kScriptFileFilter));
    if (file.isEmpty()) return window;
    settings.SetString(kScriptFolderSection, kScriptFolderValue,
                       std::filesystem::path(file.toStdString()).parent_path().string());
    if (window == nullptr) {
        window = new ScriptWindow(context, documents, parent);
        window->setAttribute(Qt::WA_DeleteOnClose);
    }
    window->show();
    window->raise();
    window->Run(file.toStdString());
    return window;
}

}  // namespace velmora::gui
