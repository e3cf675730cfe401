#pragma once
// The windows of a program start: the About window, which closes by itself after a few seconds,
// and the tip of the day, whose "Show tips at startup" box is kept in the settings (section
// "Tips", "StartUp" 1 or 0, with the next tip to show in "Next"). Neither is modal: the program
// goes on loading and answering behind them.

#include <QDialog>
#include <QString>

class QCheckBox;
class QLabel;

namespace velmora {
class SettingsStore;
}

namespace velmora::gui {

inline constexpr char kTipsSection[] = "Tips";
inline constexpr int kAboutAtStartMs = 4000;

// The program's name, version and purpose, as the About window and Help > About show them.
QString AboutText();

// Shows the About window beside `parent`; it closes itself after kAboutAtStartMs.
QDialog* ShowAboutAtStart(QWidget* parent);

class TipOfTheDayDialog : public QDialog {
    Q_OBJECT
  public:
    TipOfTheDayDialog(SettingsStore& settings, QWidget* parent = nullptr);

    QString Tip() const;
    QCheckBox* ShowAtStartBox() const { return showAtStart_; }

  public slots:
    void NextTip();

  private:
    SettingsStore& settings_;
    QLabel* tip_ = nullptr;
    QCheckBox* showAtStart_ = nullptr;
    int index_ = 0;
};

// Whether the tip of the day is shown at start-up (on until the user turns it off).
bool TipsAtStartUp(const SettingsStore& settings);
// The tip of the day, non-modal; `atStart` shows nothing when the user turned tips off.
TipOfTheDayDialog* ShowTipOfTheDay(SettingsStore& settings, QWidget* parent, bool atStart);

}  // namespace velmora::gui
