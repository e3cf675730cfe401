#pragma once
// The splitter of a chart window: one column, up to 16 rows, each row's height a percentage
// of the client height left after the splitter bars. In proportional mode each layout pass
// gives row i (client height - bars) × percent[i] / 100 pixels (the last row takes what is
// left); after a drag or a split the percentages are recomputed from the resulting heights.

#include <array>
#include <vector>

namespace velmora {

class ProportionalSplitter {
  public:
    static constexpr int kMaxRows = 16;
    static constexpr int kBarSize = 7;  // pixels between two rows
    static constexpr int kInitialPercent = 6;

    ProportionalSplitter();

    int RowCount() const { return rows_; }
    int Percent(int row) const { return percent_[static_cast<std::size_t>(row)]; }
    void SetPercent(int row, int percent) { percent_[static_cast<std::size_t>(row)] = percent; }
    int ColumnPercent(int column) const { return columnPercent_[static_cast<std::size_t>(column)]; }
    int MinHeight(int row) const { return minHeight_[static_cast<std::size_t>(row)]; }
    int IdealHeight(int row) const { return idealHeight_[static_cast<std::size_t>(row)]; }
    void SetRowHeights(int row, int minHeight, int idealHeight);
    bool Proportional() const { return proportional_; }

    // Adds a row at the end (false at 16 rows); removes a row.
    bool AddRow();
    bool RemoveRow(int row);

    // The client height minus the splitter bars.
    int Available(int clientHeight) const;
    // The row heights of a proportional layout pass.
    std::vector<int> LayoutRows(int clientHeight) const;
    // percent[i] = height[i] × 100 / available height.
    void RecomputePercents(const std::vector<int>& heights, int clientHeight);
    // Splits the last row at half its height into a new last row (false at 16 rows).
    bool SplitLastRow(int clientHeight);
    // Splits a row at half its height; the lower half is a new row right below it.
    bool SplitRow(int row, int clientHeight);
    // Moves the bar below `row` by dy pixels (the rows on both sides trade height, neither
    // going below 0), then recomputes the percentages.
    void DragBar(int row, int dy, int clientHeight);

  private:
    int rows_ = 1;
    std::array<int, kMaxRows> percent_{};
    std::array<int, kMaxRows> columnPercent_{};
    std::array<int, kMaxRows> minHeight_{};
    std::array<int, kMaxRows> idealHeight_{};
    bool proportional_ = true;
};

}  // namespace velmora
