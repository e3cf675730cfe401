#include "chart/ProportionalSplitter.h"

#include <algorithm>

namespace velmora {

ProportionalSplitter::ProportionalSplitter() {
    percent_.fill(kInitialPercent);
    columnPercent_.fill(kInitialPercent);
    columnPercent_[0] = 100;  // the chart window's single column
}

void ProportionalSplitter::SetRowHeights(int row, int minHeight, int idealHeight) {
    minHeight_[static_cast<std::size_t>(row)] = minHeight;
    idealHeight_[static_cast<std::size_t>(row)] = idealHeight;
}

bool ProportionalSplitter::AddRow() {
    if (rows_ >= kMaxRows) return false;
    percent_[static_cast<std::size_t>(rows_)] = kInitialPercent;
    minHeight_[static_cast<std::size_t>(rows_)] = 0;
    idealHeight_[static_cast<std::size_t>(rows_)] = 0;
    ++rows_;
    return true;
}

bool ProportionalSplitter::RemoveRow(int row) {
    if (rows_ <= 1 || row < 0 || row >= rows_) return false;
    for (int i = row; i + 1 < rows_; ++i) {
        const auto a = static_cast<std::size_t>(i);
        percent_[a] = percent_[a + 1];
        minHeight_[a] = minHeight_[a + 1];
        idealHeight_[a] = idealHeight_[a + 1];
    }
    --rows_;
    percent_[static_cast<std::size_t>(rows_)] = kInitialPercent;
    return true;
}

int ProportionalSplitter::Available(int clientHeight) const {
    return std::max(0, clientHeight - (rows_ - 1) * kBarSize);
}

std::vector<int> ProportionalSplitter::LayoutRows(int clientHeight) const {
    const int available = Available(clientHeight);
    std::vector<int> heights(static_cast<std::size_t>(rows_));
    int used = 0;
    for (int i = 0; i < rows_; ++i) {
        int h = static_cast<int>(static_cast<long long>(available) * Percent(i) / 100);
        h = std::clamp(h, 0, available - used);
        if (i == rows_ - 1) h = available - used;
        heights[static_cast<std::size_t>(i)] = h;
        used += h;
    }
    return heights;
}

void ProportionalSplitter::RecomputePercents(const std::vector<int>& heights, int clientHeight) {
    const int available = Available(clientHeight);
    if (available <= 0) return;
    for (int i = 0; i < rows_ && i < static_cast<int>(heights.size()); ++i)
        percent_[static_cast<std::size_t>(i)] = static_cast<int>(
            static_cast<long long>(heights[static_cast<std::size_t>(i)]) * 100 / available);
}

bool ProportionalSplitter::SplitLastRow(int clientHeight) {
    return SplitRow(rows_ - 1, clientHeight);
}

bool ProportionalSplitter::SplitRow(int row, int clientHeight) {
    if (rows_ >= kMaxRows || row < 0 || row >= rows_) return false;
    std::vector<int> heights = LayoutRows(clientHeight);
    const auto at = static_cast<std::size_t>(row);
    const int whole = heights[at];
    heights[at] = whole / 2;
    heights.insert(heights.begin() + row + 1, std::max(0, whole - whole / 2 - kBarSize));
    proportional_ = false;
    AddRow();
    // The rows below the split move down one place.
    for (int i = rows_ - 1; i > row + 1; --i) {
        const auto a = static_cast<std::size_t>(i);
        minHeight_[a] = minHeight_[a - 1];
        idealHeight_[a] = idealHeight_[a - 1];
    }
    minHeight_[at + 1] = 0;
    idealHeight_[at + 1] = 0;
    RecomputePercents(heights, clientHeight);
    proportional_ = true;
    return true;
}

void ProportionalSplitter::DragBar(int row, int dy, int clientHeight) {
    if (row < 0 || row + 1 >= rows_) return;
    std::vector<int> heights = LayoutRows(clientHeight);
    auto& above = heights[static_cast<std::size_t>(row)];
    auto& below = heights[static_cast<std::size_t>(row) + 1];
    dy = std::clamp(dy, -above, below);
    above += dy;
    below -= dy;
    proportional_ = false;
    RecomputePercents(heights, clientHeight);
    proportional_ = true;
}

}  // namespace velmora
