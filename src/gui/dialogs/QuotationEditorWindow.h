#pragma once
// The "Quotations editor": a modeless window over the QuotationEditor, listing every quotation
// of the current stock (newest first) or one date across all stocks. Selecting a row copies it
// into the edit fields; leaving the row (or a mode button, or "Apply") stores the edited fields
// in the database and the chart windows repaint. The window is made on first use and kept
// for the rest of the run; while it is shown it reads the rows again whenever the stock tree
// is rebuilt (stocks added, removed or renamed, an import, another workspace).

#include <QWidget>
#include <array>

#include "app/QuotationEditor.h"

class QDateEdit;
class QLineEdit;
class QRadioButton;
class QTreeWidget;

namespace velmora::gui {

class GuiContext;

class QuotationEditorWindow : public QWidget {
    Q_OBJECT
  public:
    explicit QuotationEditorWindow(GuiContext& context, QWidget* parent = nullptr);

    QuotationEditor& Editor() { return editor_; }
    QTreeWidget* List() const { return list_; }
    QRadioButton* CurrentStockButton() const { return currentMode_; }
    QRadioButton* SingleQuoteButton() const { return singleMode_; }
    QDateEdit* DatePicker() const { return date_; }
    // The edit field of a list column (QuotationEditorRow::Column).
    QLineEdit* Field(int column) const { return fields_[static_cast<std::size_t>(column)]; }

  public slots:
    // Loads the window's values: the current stock, and the picked date of the chart windows
    // (else the newest date of the current stock) in the date picker.
    void Reload();
    // Stores the edit fields of the selected row now.
    void Apply();

  private:
    void SetMode(QuotationEditorMode mode);
    void Fill();
    void WriteRow(int row);
    void ShowFields();
    void ReadFields();
    void RowChanged();

    GuiContext& context_;
    QuotationEditor editor_;
    QRadioButton* currentMode_;
    QRadioButton* singleMode_;
    QDateEdit* date_;
    QTreeWidget* list_;
    std::array<QLineEdit*, QuotationEditorRow::kColumnCount> fields_{};
    bool filling_ = false;
};

// Shows the window, making it on first use (a child window of `parent`, which keeps it).
QuotationEditorWindow* ShowQuotationEditor(GuiContext& context, QWidget* parent);

}  // namespace velmora::gui
