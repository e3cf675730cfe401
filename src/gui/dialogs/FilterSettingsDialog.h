#pragma once
// The "Filter settings" dialog over a StockFilter: one tab per item, labelled "Include" or
// "Exclude" by its mode, with the category combo boxes (no selection: any) and the favourite
// and index check boxes. "&Clear" sets the shown item's criteria back to any. The dialog
// edits a copy; OK hands it back, Cancel leaves the filter as it was.

#include <QDialog>
#include <vector>

#include "database/Categories.h"
#include "database/StockFilter.h"

class QCheckBox;
class QComboBox;
class QPushButton;
class QTabWidget;

namespace velmora::gui {

inline constexpr char kFilterSettingsCaption[] = "Filter settings";

class FilterSettingsDialog : public QDialog {
    Q_OBJECT
  public:
    FilterSettingsDialog(const StockFilter& filter, const CategoryTables& categories,
                         QWidget* parent = nullptr);

    // The filter as the dialog's controls show it.
    StockFilter Filter() const;

    // The controls of one item's tab.
    struct ItemControls {
        QComboBox* market = nullptr;
        QComboBox* group = nullptr;
        QComboBox* sector = nullptr;
        QComboBox* industry = nullptr;
        QCheckBox* favourites = nullptr;
        QCheckBox* indexes = nullptr;
    };
    QTabWidget* Tabs() const { return tabs_; }
    const ItemControls& Item(int i) const { return items_[static_cast<std::size_t>(i)]; }
    QPushButton* ClearButton() const { return clear_; }

  public slots:
    // Every criterion of the shown item back to any.
    void ClearShownItem();

  private:
    StockFilter initial_;
    QTabWidget* tabs_;
    std::vector<ItemControls> items_;
    QPushButton* clear_;
};

// The modal dialog; true (filter replaced by the edits) when closed with OK.
bool EditStockFilter(StockFilter& filter, const CategoryTables& categories, QWidget* parent);

}  // namespace velmora::gui
