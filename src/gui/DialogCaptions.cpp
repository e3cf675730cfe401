#include "gui/DialogCaptions.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QFontMetrics>

namespace velmora::gui {

namespace {

// The title bar's icon and its buttons, beside the caption.
constexpr int kTitleBarExtras = 120;

}  // namespace

bool DialogCaptionWidth::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::Show) return false;
    auto* dialog = qobject_cast<QDialog*>(watched);
    if (dialog == nullptr || !dialog->isWindow() || dialog->windowTitle().isEmpty()) return false;
    // Title bars commonly set their caption in a bold face of the program's font.
    QFont font = QApplication::font();
    font.setBold(true);
    const int wanted =
        QFontMetrics(font).horizontalAdvance(dialog->windowTitle()) + kTitleBarExtras;
    if (dialog->width() < wanted) dialog->resize(wanted, dialog->height());
    return false;
}

}  // namespace velmora::gui
