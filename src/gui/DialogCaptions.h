#pragma once
// Dialogs as wide as their captions: a dialog about to be shown narrower than its window title
// (with room for the title bar's icon and buttons) is widened, so the caption is not cut.

#include <QObject>

namespace velmora::gui {

class DialogCaptionWidth final : public QObject {
  public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace velmora::gui
