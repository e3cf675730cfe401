#pragma once
// The result list that the scan and the backtest fill and the analysis window and the report
// read: rows in the order they were added, each with a text of at most 79 bytes whose tab
// characters separate the columns, a sort key for the quick review, and the trade fields of
// backtest rows. A window observes the list to show each row as it is added.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "database/FixedText.h"
#include "database/PackedDate.h"

namespace velmora {

struct ResultRow {
    static constexpr std::size_t kMaxText = 79;
    // Trade types of backtest rows.
    static constexpr std::int16_t kLong = 1;
    static constexpr std::int16_t kShort = 2;

    std::string Text;  // at most kMaxText bytes, never ending inside a UTF-8 sequence
    std::int32_t SortKey = 0;

    // Backtest trades only.
    std::int16_t TradeType = 0;
    PackedDate EntryDate = kNoDate;
    PackedDate ExitDate = kNoDate;
    float EntryPrice = 0;
    float ExitPrice = 0;
    double EquityBefore = 0;
    double EquityAfter = 0;
    FixedText<16> Ticker;

    // Keeps at most kMaxText bytes of the text.
    void SetText(std::string_view text);
};

// The row text split at its tab characters: the columns of the list control, in order.
std::vector<std::string_view> SplitColumns(std::string_view text);

class ResultListObserver {
  public:
    virtual ~ResultListObserver() = default;
    // Called at once for every row added, after it is in the list.
    virtual void RowAdded(const ResultRow& row) = 0;
    // Called when a list that held rows has been emptied.
    virtual void Cleared() {}
};

class ResultList {
  public:
    // Appends a row with the text (cut to kMaxText bytes) and tells the observer.
    const ResultRow& Add(std::string_view text);
    // Appends a filled row (its text cut to kMaxText bytes) and tells the observer.
    const ResultRow& Add(ResultRow row);
    // Moves the rows of `from` to the end of this list in order, telling the observer of each,
    // and empties `from`.
    void Append(ResultList& from);
    // Empties the list; the observer hears of it when there were rows.
    void Clear();

    std::size_t Size() const { return rows_.size(); }
    bool Empty() const { return rows_.empty(); }
    const ResultRow& operator[](std::size_t i) const { return rows_[i]; }
    // Rows stay where they are while rows are added, until the list is emptied.
    const std::deque<ResultRow>& Rows() const { return rows_; }
    auto begin() const { return rows_.begin(); }
    auto end() const { return rows_.end(); }

    // The observer (null: none) that sees the rows of the runs to come.
    void SetObserver(ResultListObserver* observer) { observer_ = observer; }
    ResultListObserver* Observer() const { return observer_; }

  private:
    std::deque<ResultRow> rows_;
    ResultListObserver* observer_ = nullptr;
};

}  // namespace velmora
