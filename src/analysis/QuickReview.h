#pragma once
// The quick review: the stocks of one day, listed as quotes or ranked by their return over a
// day, week, month, quarter or year, or by their price/earnings and price/book-value ratios.
// Its rows go into a list of its own, separate from the analysis runs' list, which keeps them
// in insertion order or sorted by their keys.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/ResultList.h"
#include "database/Database.h"
#include "database/StockFilter.h"
#include "platform/Status.h"

namespace velmora {

// The quick review's list: rows appended, or inserted in ascending key order after every row
// whose key is equal or smaller (so equal keys keep their order of arrival).
class ReviewList {
  public:
    const ResultRow& Append(ResultRow row);
    const ResultRow& InsertSorted(ResultRow row);
    void Clear() { rows_.clear(); }

    std::size_t Size() const { return rows_.size(); }
    bool Empty() const { return rows_.empty(); }
    const ResultRow& operator[](std::size_t i) const { return rows_[i]; }
    const std::vector<ResultRow>& Rows() const { return rows_; }
    auto begin() const { return rows_.begin(); }
    auto end() const { return rows_.end(); }

  private:
    std::vector<ResultRow> rows_;
};

struct ReviewColumn {
    const char* Title;
    int Width;
    bool LeftAligned;  // "Ticker"; every other column is right-aligned
};

inline constexpr int kReviewTypeCount = 8;

class QuickReview {
  public:
    explicit QuickReview(Database& db) : db_(db) {}

    // The items of the "Review type:" combo, index 0 to 7.
    static const char* TypeName(int type);
    // The columns of a review type.
    static const std::vector<ReviewColumn>& Columns(int type);
    // The ticker a row names (its first column): double-clicking shows its chart.
    static std::string RowTicker(const ResultRow& row);

    int Type() const { return type_; }
    PackedDate Day() const { return day_; }
    StockFilter& Filter() { return filter_; }
    const StockFilter& Filter() const { return filter_; }

    // Opening: type 0 and the day (the chart's selected bar, or today), then fill.
    void Open(PackedDate day);
    // Each change refills the list.
    void SetType(int type);
    void SetDay(PackedDate day);
    void SetFilter(const StockFilter& filter);

    // Empties the list and adds the rows of the type for the day and the stocks that pass the
    // filter, in database order. An unknown type or a text that is not a date lists nothing.
    void Fill(int type, std::string_view dayText, const StockFilter& filter);
    void Fill() { Fill(type_, DateToText(day_), filter_); }

    const ReviewList& Rows() const { return rows_; }
    // Ok, or why the last fill could not read the older quotations of a stock it needed (the
    // first such stock); that stock is listed as having no quotation on the day.
    const Status& HistoryStatus() const { return historyStatus_; }

  private:
    void AddQuoteRow(Stock& stock, PackedDate day);
    void AddReturnRow(Stock& stock, PackedDate day, int type);
    void AddRatioRow(Stock& stock, PackedDate day, int type);
    // The index of the stock's quotation on the day, -1 for none; older quotations still on
    // disk are brought in when the day or the look-back of the type may reach them (-1 when
    // they cannot be, recorded in historyStatus_).
    int QuotationIndex(Stock& stock, PackedDate day, int lookBack);

    Database& db_;
    int type_ = 0;
    PackedDate day_ = kNoDate;
    StockFilter filter_;
    ReviewList rows_;
    Status historyStatus_;
};

}  // namespace velmora
