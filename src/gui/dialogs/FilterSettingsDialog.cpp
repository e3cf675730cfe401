#include "gui/dialogs/FilterSettingsDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace velmora::gui {

namespace {

template <typename Table>
QComboBox* MakeCategoryBox(const Table& table, std::int32_t selected, QWidget* parent) {
    auto* box = new QComboBox(parent);
    for (const auto& entry : table) {
        const std::string_view name = entry.Name.View();
        box->addItem(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
    }
    // An index outside the table (a damaged filter) shows as any.
    box->setCurrentIndex(selected >= 0 && selected < box->count() ? selected : -1);
    return box;
}

std::int32_t Selected(const QComboBox* box) {
    return box->currentIndex() < 0 ? FilterItem::kAny : box->currentIndex();
}

}  // namespace

FilterSettingsDialog::FilterSettingsDialog(const StockFilter& filter,
                                           const CategoryTables& categories, QWidget* parent)
    : QDialog(parent), initial_(filter) {
    setWindowTitle(QString::fromLatin1(kFilterSettingsCaption));
    auto* layout = new QVBoxLayout(this);
    tabs_ = new QTabWidget(this);
    for (const FilterItem& item : filter.Items) {
        auto* page = new QWidget(tabs_);
        auto* form = new QFormLayout(page);
        ItemControls c;
        c.market = MakeCategoryBox(categories.Markets, item.Market, page);
        c.group = MakeCategoryBox(categories.Groups, item.Group, page);
        c.sector = MakeCategoryBox(categories.Sectors, item.Sector, page);
        c.industry = MakeCategoryBox(categories.Industries, item.Industry, page);
        c.favourites = new QCheckBox(page);
        c.favourites->setChecked(item.Favourite != 0);
        c.indexes = new QCheckBox(page);
        c.indexes->setChecked(item.Index != 0);
        form->addRow(QStringLiteral("Market:"), c.market);
        form->addRow(QStringLiteral("Group:"), c.group);
        form->addRow(QStringLiteral("Sector:"), c.sector);
        form->addRow(QStringLiteral("Industry:"), c.industry);
        form->addRow(QStringLiteral("Favourites:"), c.favourites);
        form->addRow(QStringLiteral("Indexes:"), c.indexes);
        items_.push_back(c);
        tabs_->addTab(page,
                      item.IsExclude() ? QStringLiteral("Exclude") : QStringLiteral("Include"));
    }
    layout->addWidget(tabs_);

    auto* row = new QHBoxLayout;
    clear_ = new QPushButton(QStringLiteral("&Clear"), this);
    connect(clear_, &QPushButton::clicked, this, &FilterSettingsDialog::ClearShownItem);
    row->addWidget(clear_);
    row->addStretch(1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    row->addWidget(buttons);
    layout->addLayout(row);
}

void FilterSettingsDialog::ClearShownItem() {
    const int shown = tabs_->currentIndex();
    if (shown < 0 || shown >= static_cast<int>(items_.size())) return;
    const ItemControls& c = items_[static_cast<std::size_t>(shown)];
    for (QComboBox* box : {c.market, c.group, c.sector, c.industry}) box->setCurrentIndex(-1);
    c.favourites->setChecked(false);
    c.indexes->setChecked(false);
}

StockFilter FilterSettingsDialog::Filter() const {
    StockFilter filter = initial_;
    for (std::size_t i = 0; i < items_.size() && i < filter.Items.size(); ++i) {
        FilterItem& item = filter.Items[i];
        const ItemControls& c = items_[i];
        item.Market = Selected(c.market);
        item.Group = Selected(c.group);
        item.Sector = Selected(c.sector);
        item.Industry = Selected(c.industry);
        item.Favourite = c.favourites->isChecked() ? 1 : 0;
        item.Index = c.indexes->isChecked() ? 1 : 0;
    }
    return filter;
}

bool EditStockFilter(StockFilter& filter, const CategoryTables& categories, QWidget* parent) {
    FilterSettingsDialog dialog(filter, categories, parent);
    if (dialog.exec() != QDialog::Accepted) return false;
    filter = dialog.Filter();
    return true;
}

}  // namespace velmora::gui
