#include "analysis/ResultList.h"

namespace velmora {

void ResultRow::SetText(std::string_view text) {
    Text.assign(text.substr(0, Utf8Cut(text, kMaxText)));
}

std::vector<std::string_view> SplitColumns(std::string_view text) {
    std::vector<std::string_view> columns;
    std::size_t start = 0;
    for (;;) {
        const std::size_t tab = text.find('\t', start);
        if (tab == std::string_view::npos) {
            columns.push_back(text.substr(start));
            return columns;
        }
        columns.push_back(text.substr(start, tab - start));
        start = tab + 1;
    }
}

const ResultRow& ResultList::Add(std::string_view text) {
    rows_.emplace_back().SetText(text);
    if (observer_ != nullptr) observer_->RowAdded(rows_.back());
    return rows_.back();
}

const ResultRow& ResultList::Add(ResultRow row) {
    if (row.Text.size() > ResultRow::kMaxText) row.SetText(std::string(row.Text));
    rows_.push_back(std::move(row));
    if (observer_ != nullptr) observer_->RowAdded(rows_.back());
    return rows_.back();
}

void ResultList::Append(ResultList& from) {
    for (ResultRow& row : from.rows_) {
        rows_.push_back(std::move(row));
        if (observer_ != nullptr) observer_->RowAdded(rows_.back());
    }
    from.rows_.clear();
}

void ResultList::Clear() {
    if (rows_.empty()) return;
    rows_.clear();
    if (observer_ != nullptr) observer_->Cleared();
}

}  // namespace velmora
