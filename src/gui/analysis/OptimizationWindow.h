#pragma once
// The "Optimization" window of the automatic analysis: one row per combination of the
// formula's optimize() parameters with its values and figures (net profit, trades, percent
// profitable, max drawdown %, CAR %, Sharpe, profit factor). Clicking a header sorts by that
// column; double-clicking a row runs the back test with the row's values.

#include <QWidget>
#include <functional>
#include <vector>

#include "analysis/Optimizer.h"

class QLabel;
class QTableWidget;

namespace velmora::gui {

inline constexpr char kOptimizationCaption[] = "Optimization";

class OptimizationWindow : public QWidget {
    Q_OBJECT
  public:
    explicit OptimizationWindow(QWidget* parent = nullptr);

    // Shows the rows of an optimisation over the grid, in grid order, and the status text.
    void ShowRows(const OptimizationGrid& grid, const std::vector<OptimizationRow>& rows,
                  std::string_view status);

    QTableWidget* Table() const { return table_; }
    QLabel* StatusLabel() const { return status_; }

    // Double-click: the back test with the parameters of the row.
    std::function<void(const FormulaParameters&)> runBackTest;

  public slots:
    void RunRow(int row);

  private:
    void SortBy(int column);

    std::vector<FormulaParameters> assignments_;  // by the row's index in grid order
    int sortColumn_ = -1;
    bool sortDescending_ = false;
    QTableWidget* table_;
    QLabel* status_;
};

}  // namespace velmora::gui
