#pragma once
// The "Indicator Builder" dialog: the custom chart definitions in an editable list
// ("Indicator name"), and for the selected one its formula, its scaling (automatic, or custom
// between Min and Max) and its grid lines; Apply stores the selection and repaints the charts,
// Load formula and Save formula read and write formula files.

#include <QDialog>
#include <array>
#include <filesystem>
#include <functional>

#include "chart/IndicatorBuilder.h"
#include "gui/FormulaEditor.h"

class QCheckBox;
class QLineEdit;
class QRadioButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace velmora {
class SettingsStore;
}

namespace velmora::gui {

class GuiContext;

class IndicatorBuilderDialog : public QDialog {
    Q_OBJECT
  public:
    // `refreshCharts` repaints every chart window; `settings` keeps the formula file folder.
    IndicatorBuilderDialog(ChartTable& table, SettingsStore& settings,
                           std::function<void()> refreshCharts, QWidget* parent = nullptr);

    IndicatorBuilder& Builder() { return builder_; }
    QTreeWidget* List() const { return list_; }
    FormulaEditor* FormulaEdit() const { return formula_; }
    QRadioButton* AutomaticButton() const { return automatic_; }
    QRadioButton* CustomButton() const { return custom_; }
    QLineEdit* MinEdit() const { return min_; }
    QLineEdit* MaxEdit() const { return max_; }
    // The grid-line boxes in the order of GridLineBoxes().
    QCheckBox* GridBox(int i) const { return grid_[static_cast<std::size_t>(i)]; }

    // Load formula / Save formula without the file dialog; false when the file cannot be
    // read or written.
    bool LoadFormulaFrom(const std::filesystem::path& path);
    bool SaveFormulaTo(const std::filesystem::path& path);

  public slots:
    void Apply();
    void LoadFormula();
    void SaveFormula();

  private:
    // The widgets into the builder's fields, and back.
    void ReadWidgets();
    void ShowFields();
    void CurrentRowChanged(QTreeWidgetItem* current);
    void ItemRenamed(QTreeWidgetItem* item);

    IndicatorBuilder builder_;
    SettingsStore& settings_;
    QTreeWidget* list_;
    FormulaEditor* formula_;
    QRadioButton* automatic_;
    QRadioButton* custom_;
    QLineEdit* min_;
    QLineEdit* max_;
    std::array<QCheckBox*, 9> grid_{};
    bool filling_ = false;
};

// Opens the dialog (modal) over the context's chart table; Apply repaints the chart windows.
void ShowIndicatorBuilder(GuiContext& context, QWidget* parent);

}  // namespace velmora::gui
