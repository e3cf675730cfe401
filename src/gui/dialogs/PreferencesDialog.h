#pragma once
// The preferences dialog: the pages "Main chart", "Indicators ", "Colours", "Miscellaneous" and
// "Other indicators" over the preference block. Every control is bound to its field's offset in
// the block; the dialog edits a copy, and OK puts the copy in place, repaints the chart windows
// and, when the full-name options changed, rebuilds the stock tree and ticker box. The file is
// written only by "Save preferences".
//
// Each control's object name is its caption (the periods and types of the moving averages are
// "Short-time periods", "Short-time type" and so on), so that a caller can find it.

#include <QComboBox>
#include <QDialog>
#include <array>
#include <vector>

#include "database/Preferences.h"

class QPushButton;
class QTabWidget;

namespace velmora::gui {

class GuiContext;

// The screen colour of a 12-bit palette colour 0x0RGB (each nibble times 17), and the nearest
// 12-bit colour of a screen colour.
QColor PaletteColour(int rgb12);
int ToPaletteColour(const QColor& colour);

// A combo box of the 16 palette entries, each shown as a swatch; its index is the entry.
class PaletteColourBox : public QComboBox {
    Q_OBJECT
  public:
    explicit PaletteColourBox(QWidget* parent = nullptr);
    // Repaints the swatches; the chosen entry stays.
    void SetPalette(const std::array<int, kPaletteSize>& palette);
};

// "&Palette editor": the 16 palette entries as colour buttons; a click opens the colour picker.
class PaletteEditorDialog : public QDialog {
    Q_OBJECT
  public:
    PaletteEditorDialog(const std::array<int, kPaletteSize>& palette, QWidget* parent = nullptr);
    const std::array<int, kPaletteSize>& Palette() const { return palette_; }
    void SetEntry(int index, const QColor& colour);
    QPushButton* EntryButton(int index) const { return buttons_[static_cast<std::size_t>(index)]; }

  private:
    void Pick(int index);
    std::array<int, kPaletteSize> palette_;
    std::array<QPushButton*, kPaletteSize> buttons_{};
};

class PreferencesDialog : public QDialog {
    Q_OBJECT
  public:
    PreferencesDialog(GuiContext& context, QWidget* parent = nullptr);

    QTabWidget* Pages() const { return pages_; }
    // The colour setting's combo box (ColourSetting order).
    PaletteColourBox* ColourBox(int setting) const {
        return colours_[static_cast<std::size_t>(setting)];
    }
    // The block as the controls show it, over the block the dialog opened with.
    Preferences Edited() const;
    const std::array<int, kPaletteSize>& Palette() const { return palette_; }
    void SetPalette(const std::array<int, kPaletteSize>& palette);

    void accept() override;

  public slots:
    void EditPalette();
    void BrowseDatabasePath();

  private:
    enum class Kind { IntFlag, WordFlag, Word, Int, Float, Text, Choice };
    struct Binding {
        std::size_t offset;
        Kind kind;
        QWidget* widget;
        std::size_t size = 0;  // text fields: the field's bytes, terminator included
    };

    QWidget* MainChartPage();
    QWidget* IndicatorsPage();
    QWidget* ColoursPage();
    QWidget* MiscellaneousPage();
    QWidget* OtherIndicatorsPage();
    QWidget* Flag(const char* caption, std::size_t offset, Kind kind = Kind::IntFlag);
    QWidget* Number(const char* name, std::size_t offset, int minimum, int maximum,
                    Kind kind = Kind::Word);
    QWidget* Decimal(const char* name, std::size_t offset);
    QWidget* Choice(const char* name, std::size_t offset, const QStringList& items);
    QWidget* Text(const char* name, std::size_t offset, std::size_t size);
    void Load();

    GuiContext& context_;
    Preferences initial_;
    std::array<int, kPaletteSize> palette_{};
    std::vector<Binding> bindings_;
    std::array<PaletteColourBox*, kColourSettingCount> colours_{};
    QTabWidget* pages_ = nullptr;
    QWidget* databasePath_ = nullptr;
};

// Opens the modal dialog over the context's preferences.
void ShowPreferences(GuiContext& context, QWidget* parent);

}  // namespace velmora::gui
