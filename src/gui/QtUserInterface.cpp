#include "gui/QtUserInterface.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QInputDialog>
#include <QMainWindow>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStatusBar>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <system_error>

namespace velmora::gui {

namespace {

// The window a message or question belongs to: the one the user works in (the analysis window,
// a dialog), so that it is active again when the box closes; the fallback when none is active.
QWidget* DialogParent(QWidget* fallback) {
    QWidget* active = QApplication::activeWindow();
    // A run's progress dialog goes at the run's end: a message belongs to the window below it.
    if (qobject_cast<QProgressDialog*>(active) != nullptr) active = active->parentWidget();
    return active != nullptr ? active : fallback;
}

}  // namespace

QtProgress::QtProgress(QWidget* parent) : parent_(parent) {}
QtProgress::~QtProgress() {
    Close();
}

bool QtProgress::Step(int index, int total, std::string_view detail, std::string_view caption) {
    if (!dialog_) {
        // Owned by its parent window as well: a window that goes first takes it along.
        dialog_ = new QProgressDialog(DialogParent(parent_.data()));
        dialog_->setWindowModality(Qt::WindowModal);
        dialog_->setCancelButtonText(QObject::tr("Cancel"));
        dialog_->setMinimumDuration(0);
        dialog_->setAutoClose(false);
        dialog_->setAutoReset(false);
    }
    dialog_->setWindowTitle(ToQString(caption));
    dialog_->setLabelText(ToQString(detail));
    dialog_->setRange(0, total > 0 ? total : 1);
    dialog_->setValue(index < 0 ? 0 : index);
    if (!dialog_->isVisible()) dialog_->show();
    QApplication::processEvents();
    return !dialog_->wasCanceled();
}

QProgressDialog* QtProgress::Dialog() const {
    return dialog_.data();
}

void QtProgress::Close() {
    delete dialog_.data();
}

QtUserInterface::QtUserInterface() = default;
QtUserInterface::~QtUserInterface() = default;

void QtUserInterface::AttachMainWindow(QMainWindow* window) {
    window_ = window;
    progress_.SetParent(window);
    if (window == nullptr) return;
    auto* bar = new QProgressBar(window->statusBar());
    bar->setRange(0, 100);
    bar->setMaximumWidth(160);
    bar->setVisible(false);
    window->statusBar()->addPermanentWidget(bar);
    bar_ = bar;
    if (!status_.isEmpty()) window->statusBar()->showMessage(status_);
}

void QtUserInterface::ShowMessage(std::string_view text) {
    QMessageBox::information(DialogParent(window_.data()), kProgramTitle, ToQString(text));
}

void QtUserInterface::ShowMessageWithFile(std::string_view text,
                                          const std::filesystem::path& file) {
    QMessageBox box(QMessageBox::Information, kProgramTitle, ToQString(text), QMessageBox::Ok,
                    DialogParent(window_.data()));
    std::error_code ec;
    QPushButton* show = std::filesystem::is_regular_file(file, ec)
                            ? box.addButton(QObject::tr("Show log"), QMessageBox::ActionRole)
                            : nullptr;
    box.exec();
    if (show != nullptr && box.clickedButton() == show) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(file.string())));
    }
}

void QtUserInterface::ShowAlignedReport(std::string_view title, std::string_view report) {
    QDialog dialog(DialogParent(window_.data()));
    dialog.setWindowTitle(ToQString(title));
    auto* text = new QPlainTextEdit(ToQString(report), &dialog);
    text->setReadOnly(true);
    // Unwrapped and in a fixed-pitch font: the caret line stays under the character it points
    // at.
    text->setLineWrapMode(QPlainTextEdit::NoWrap);
    text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    const QFontMetrics metrics(text->font());
    int widest = 0;
    const QStringList lines = text->toPlainText().split(QLatin1Char('\n'));
    for (const QString& line : lines) widest = std::max(widest, metrics.horizontalAdvance(line));
    const QRect screen = dialog.screen()->availableGeometry();
    const int frame =
        2 * text->frameWidth() + 2 * static_cast<int>(text->document()->documentMargin()) + 4;
    text->setMinimumSize(std::min(widest + frame, screen.width() * 3 / 4),
                         std::min(static_cast<int>(lines.size()) * metrics.lineSpacing() + frame +
                                      text->horizontalScrollBar()->sizeHint().height(),
                                  screen.height() / 2));
    auto* buttons = new QDialogButtonBox(&dialog);
    buttons->addButton(QObject::tr("Close"), QDialogButtonBox::AcceptRole);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(text);
    layout->addWidget(buttons);
    dialog.exec();
}

bool QtUserInterface::AskYesNo(std::string_view question) {
    return QMessageBox::question(DialogParent(window_.data()), kProgramTitle, ToQString(question),
                                 QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::Yes) == QMessageBox::Yes;
}

std::optional<bool> QtUserInterface::AskYesNoCancel(std::string_view question) {
    const auto button = QMessageBox::question(
        DialogParent(window_.data()), kProgramTitle, ToQString(question),
        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
    if (button == QMessageBox::Yes) return true;
    if (button == QMessageBox::No) return false;
    return std::nullopt;
}

std::optional<std::string> QtUserInterface::AskString(std::string_view prompt,
                                                      std::string_view initial) {
    bool ok = false;
    const QString text =
        QInputDialog::getText(DialogParent(window_.data()), kProgramTitle, ToQString(prompt),
                              QLineEdit::Normal, ToQString(initial), &ok);
    if (!ok) return std::nullopt;
    return text.toStdString();
}

void QtUserInterface::SetStatusText(std::string_view text) {
    status_ = ToQString(text);
    if (window_) window_->statusBar()->showMessage(status_);
}

void QtUserInterface::SetProgressPercent(int percent) {
    if (!bar_) return;
    // 0 and 100 mean no operation is running.
    bar_->setVisible(percent > 0 && percent < 100);
    bar_->setValue(percent < 0 ? 0 : percent > 100 ? 100 : percent);
}

}  // namespace velmora::gui
