#include "gui/analysis/OptimizationWindow.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>
#include <array>
#include <optional>

#include "gui/QtUserInterface.h"
#include "platform/StringFormat.h"

namespace velmora::gui {

namespace {

constexpr int kRowRole = Qt::UserRole;
constexpr int kSortRole = Qt::UserRole + 1;

constexpr std::array<const char*, 7> kFigureTitles = {
    "Net profit", "Trades", "% Profitable", "Max DD %", "CAR %", "Sharpe", "Profit factor"};

// A cell that sorts by its number; cells without one ("-") sort below every number.
class NumberItem : public QTableWidgetItem {
  public:
    NumberItem(const QString& text, std::optional<double> value) : QTableWidgetItem(text) {
        if (value) setData(kSortRole, *value);
        setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    bool operator<(const QTableWidgetItem& other) const override {
        const QVariant a = data(kSortRole);
        const QVariant b = other.data(kSortRole);
        if (a.isValid() != b.isValid()) return !a.isValid();
        return a.isValid() && a.toDouble() < b.toDouble();
    }
};

QString Fixed(std::optional<double> v, int decimals) {
    return v ? QString::number(*v, 'f', decimals) : QStringLiteral("-");
}

}  // namespace

OptimizationWindow::OptimizationWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setWindowTitle(QString::fromLatin1(kOptimizationCaption));
    auto* layout = new QVBoxLayout(this);
    table_ = new QTableWidget(0, 0, this);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->verticalHeader()->hide();
    layout->addWidget(table_, 1);
    status_ = new QLabel(this);
    layout->addWidget(status_);
    connect(table_, &QTableWidget::cellDoubleClicked, this, [this](int row, int) { RunRow(row); });
    connect(table_->horizontalHeader(), &QHeaderView::sectionClicked, this,
            &OptimizationWindow::SortBy);
    resize(640, 400);
}

void OptimizationWindow::ShowRows(const OptimizationGrid& grid,
                                  const std::vector<OptimizationRow>& rows,
                                  std::string_view status) {
    sortColumn_ = -1;
    table_->horizontalHeader()->setSortIndicatorShown(false);
    table_->setRowCount(0);
    const auto& parameters = grid.Parameters();
    QStringList titles;
    for (const OptimizeParameter& p : parameters) titles << ToQString(p.Name);
    for (const char* title : kFigureTitles) titles << QString::fromLatin1(title);
    table_->setColumnCount(static_cast<int>(titles.size()));
    table_->setHorizontalHeaderLabels(titles);
    assignments_.clear();
    table_->setRowCount(static_cast<int>(rows.size()));
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const OptimizationRow& row = rows[r];
        assignments_.push_back(grid.Assignment(row.Values));
        std::vector<QTableWidgetItem*> cells;
        for (const float v : row.Values) {
            cells.push_back(new NumberItem(ToQString(ParameterText(v)), v));
        }
        cells.push_back(new NumberItem(Fixed(row.NetProfit, 2), row.NetProfit));
        cells.push_back(new NumberItem(QString::number(row.Trades), row.Trades));
        cells.push_back(new NumberItem(Fixed(row.PercentProfitable, 2), row.PercentProfitable));
        cells.push_back(new NumberItem(Fixed(row.MaxDrawdownPercent, 2), row.MaxDrawdownPercent));
        cells.push_back(new NumberItem(Fixed(row.CarPercent, 2), row.CarPercent));
        cells.push_back(new NumberItem(Fixed(row.Sharpe, 3), row.Sharpe));
        cells.push_back(new NumberItem(Fixed(row.ProfitFactor, 3), row.ProfitFactor));
        for (std::size_t c = 0; c < cells.size(); ++c) {
            cells[c]->setData(kRowRole, static_cast<int>(r));
            table_->setItem(static_cast<int>(r), static_cast<int>(c), cells[c]);
        }
    }
    table_->resizeColumnsToContents();
    status_->setText(ToQString(status));
}

void OptimizationWindow::SortBy(int column) {
    // The figures sort best first at the first click; the values from the lowest.
    const bool figure = column >= table_->columnCount() - static_cast<int>(kFigureTitles.size());
    if (column == sortColumn_) {
        sortDescending_ = !sortDescending_;
    } else {
        sortColumn_ = column;
        sortDescending_ = figure;
    }
    const Qt::SortOrder order = sortDescending_ ? Qt::DescendingOrder : Qt::AscendingOrder;
    table_->sortItems(column, order);
    table_->horizontalHeader()->setSortIndicatorShown(true);
    table_->horizontalHeader()->setSortIndicator(column, order);
}

void OptimizationWindow::RunRow(int row) {
    const QTableWidgetItem* item = table_->item(row, 0);
    if (item == nullptr || !runBackTest) return;
    const int index = item->data(kRowRole).toInt();
    if (index < 0 || static_cast<std::size_t>(index) >= assignments_.size()) return;
    runBackTest(assignments_[static_cast<std::size_t>(index)]);
}

}  // namespace velmora::gui
