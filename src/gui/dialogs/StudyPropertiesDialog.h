#pragma once
// The property dialogs of a study: "Trend line properties" for every line study and "Text box
// properties" for text studies. They edit a copy of the fields; the caller stores them into
// the study (StudyHit::StoreProperties) when the user pressed OK.

#include <QComboBox>
#include <QDialog>

#include "chart/Canvas.h"
#include "chart/Studies.h"

class QCheckBox;
class QDateEdit;
class QLineEdit;
class QPlainTextEdit;

namespace velmora::gui {

// A choice of the 16 chart palette entries, each shown with its colour.
class PaletteComboBox : public QComboBox {
    Q_OBJECT
  public:
    PaletteComboBox(const ChartPalette& palette, QWidget* parent = nullptr);
    int Index() const { return currentIndex() < 0 ? 0 : currentIndex(); }
    void SetIndex(int index) { setCurrentIndex(index & 15); }
};

class TrendLinePropertiesDialog : public QDialog {
    Q_OBJECT
  public:
    TrendLinePropertiesDialog(const TrendLineProperties& properties, const ChartPalette& palette,
                              QWidget* parent = nullptr);
    // The fields as the dialog shows them (a value field that does not read as a number keeps
    // the value the dialog opened with).
    TrendLineProperties Properties() const;

  private:
    TrendLineProperties initial_;
    QDateEdit* startX_;
    QDateEdit* endX_;
    QLineEdit* startY_;
    QLineEdit* endY_;
    PaletteComboBox* colour_;
    QCheckBox* thick_;
    QCheckBox* dotted_;
    QCheckBox* leftExtend_;
    QCheckBox* rightExtend_;
};

class TextBoxPropertiesDialog : public QDialog {
    Q_OBJECT
  public:
    TextBoxPropertiesDialog(const TextBoxProperties& properties, const ChartPalette& palette,
                            QWidget* parent = nullptr);
    // The text's lines are CR LF separated, as the studies keep them.
    TextBoxProperties Properties() const;
    // OK: a text holding a tab keeps the dialog open with a message saying where.
    void accept() override;

  private:
    TextBoxProperties initial_;
    QDateEdit* startX_;
    QLineEdit* startY_;
    QPlainTextEdit* text_;
    PaletteComboBox* textColour_;
    PaletteComboBox* background_;
    QCheckBox* transparent_;
};

// Modal dialogs over the fields; true (fields updated) when closed with OK.
bool EditTrendLineProperties(TrendLineProperties& properties, const ChartPalette& palette,
                             QWidget* parent);
bool EditTextBoxProperties(TextBoxProperties& properties, const ChartPalette& palette,
                           QWidget* parent);

// Measures study texts in the chart font, as the panes draw them.
TextMeasure ChartTextMeasure();

}  // namespace velmora::gui
