#include "analysis/QuickReview.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "platform/Saturate.h"
#include "platform/StringFormat.h"

namespace velmora {

namespace {

constexpr std::int32_t kLargestKey = std::numeric_limits<std::int32_t>::max();

// Truncated toward zero and held within the 32-bit range.
std::int32_t KeyOf(double v) {
    return std::isnan(v) ? kLargestKey : SaturateToInt32(v);
}

ResultRow MakeRow(const std::string& text, std::int32_t key = 0) {
    ResultRow row;
    row.SetText(text);
    row.SortKey = key;
    return row;
}

// How many quotations back each type may look (the quotation on the day counts).
constexpr int kLookBack[kReviewTypeCount] = {2, 2, 7, 31, 100, 380, 1, 1};

}  // namespace

const ResultRow& ReviewList::Append(ResultRow row) {
    rows_.push_back(std::move(row));
    return rows_.back();
}

const ResultRow& ReviewList::InsertSorted(ResultRow row) {
    const auto at =
        std::upper_bound(rows_.begin(), rows_.end(), row.SortKey,
                         [](std::int32_t key, const ResultRow& r) { return key < r.SortKey; });
    return *rows_.insert(at, std::move(row));
}

const char* QuickReview::TypeName(int type) {
    static const char* const kNames[kReviewTypeCount] = {"Quotes (alphabetically)",
                                                         "Daily returns",
                                                         "Weekly returns",
                                                         "Monthly returns",
                                                         "Quarterly returns",
                                                         "Yearly returns",
                                                         "Price/Earnings comparison",
                                                         "Price/Book value comparison"};
    return type >= 0 && type < kReviewTypeCount ? kNames[type] : "";
}

const std::vector<ReviewColumn>& QuickReview::Columns(int type) {
    static const std::vector<ReviewColumn> kQuotes = {
        {"Ticker", 100, true}, {"Price", 60, false}, {"% change", 60, false},
        {"High", 60, false},   {"Low", 60, false},   {"Volume", 100, false}};
    static const std::vector<ReviewColumn> kReturns = {{"Ticker", 100, true},
                                                       {"Prev. price", 100, false},
                                                       {"Current price", 100, false},
                                                       {"% change", 100, false}};
    static const std::vector<ReviewColumn> kRatios = {
        {"Ticker", 100, true}, {"Price", 100, false}, {"P/E", 100, false}, {"P/BV", 100, false}};
    static const std::vector<ReviewColumn> kNone;
    if (type == 0) return kQuotes;
    if (type >= 1 && type <= 5) return kReturns;
    if (type == 6 || type == 7) return kRatios;
    return kNone;
}

std::string QuickReview::RowTicker(const ResultRow& row) {
    const auto columns = SplitColumns(row.Text);
    return columns.empty() ? std::string() : std::string(columns.front());
}

void QuickReview::Open(PackedDate day) {
    type_ = 0;
    day_ = day;
    Fill();
}

void QuickReview::SetType(int type) {
    type_ = type;
    Fill();
}

void QuickReview::SetDay(PackedDate day) {
    day_ = day;
    Fill();
}

void QuickReview::SetFilter(const StockFilter& filter) {
    filter_ = filter;
    Fill();
}

int QuickReview::QuotationIndex(Stock& stock, PackedDate day, int lookBack) {
    auto find = [&stock, day]() -> int {
        const auto& q = stock.Quotations;
        const auto it = std::lower_bound(
            q.begin(), q.end(), day, [](const Quotation& a, PackedDate d) { return a.Date < d; });
        return it != q.end() && it->Date == day ? static_cast<int>(it - q.begin()) : -1;
    };
    int index = find();
    if (stock.FirstLoadedDate != 0 &&
        ((index < 0 && day < stock.FirstLoadedDate) || (index >= 0 && index < lookBack))) {
        Status loaded = db_.LoadFullHistory(stock);
        if (!loaded) {
            historyStatus_.Update(std::move(loaded));
            return -1;
        }
        index = find();
    }
    return index;
}

void QuickReview::AddQuoteRow(Stock& stock, PackedDate day) {
    const std::string ticker = stock.Ticker.Str();
    const int i = QuotationIndex(stock, day, kLookBack[0]);
    if (i < 0) {
        rows_.Append(MakeRow(ticker));
        return;
    }
    const Quotation& q = stock.Quotations[i];
    const long volume = q.Volume;
    const double prev = i > 0 ? stock.Quotations[i - 1].Close : 0.0;
    // The first quotation, or one after a close of 0, has no change to show.
    if (i == 0 || prev == 0) {
        rows_.Append(
            MakeRow(FormatString("%s\t%9.2lf\t      \t%9.2lf\t%9.2lf\t%14ld", ticker.c_str(),
                                 double{q.Close}, double{q.High}, double{q.Low}, volume)));
        return;
    }
    const double change = (q.Close - prev) * 100 / prev;
    rows_.Append(MakeRow(FormatString("%s\t%9.2lf\t%+5.1lf%%\t%9.2lf\t%9.2lf\t%14ld",
                                      ticker.c_str(), double{q.Close}, NoNegativeZero(change, 1),
                                      double{q.High}, double{q.Low}, volume)));
}

void QuickReview::AddReturnRow(Stock& stock, PackedDate day, int type) {
    const int i = QuotationIndex(stock, day, kLookBack[type]);
    if (i < 0) return;
    int j = -1;
    switch (type) {
        case 1:
            j = i - 1;
            break;
        case 2:
            j = Database::WeekBack(stock, i);
            break;
        case 3:
            j = Database::MonthBack(stock, i);
            break;
        case 4:
            j = Database::QuarterBack(stock, i);
            break;
        case 5:
            j = Database::YearBack(stock, i);
            break;
        default:
            break;
    }
    if (j < 0) return;
    const double earlier = stock.Quotations[j].Close, close = stock.Quotations[i].Close;
    // A return on a close of 0 has no meaning.
    if (earlier == 0) return;
    const double change = (close - earlier) / (earlier * 0.01);
    rows_.InsertSorted(
        MakeRow(FormatString("%s\t%9.2lf\t%9.2lf\t%9.2lf%%", stock.Ticker.Str().c_str(), earlier,
                             close, NoNegativeZero(change, 2)),
                KeyOf(change * -100)));
}

void QuickReview::AddRatioRow(Stock& stock, PackedDate day, int type) {
    const std::string ticker = stock.Ticker.Str();
    const int i = QuotationIndex(stock, day, kLookBack[type]);
    if (i < 0) {
        rows_.InsertSorted(MakeRow(ticker, kLargestKey));
        return;
    }
    const double close = stock.Quotations[i].Close;
    long long earnings = 0;
    for (std::int32_t e : stock.FinanceEAT) earnings += e;
    const double pe = earnings >= 1 ? close * stock.Issue / static_cast<double>(earnings) : 0;
    const double pbv = stock.BookValue >= 1 ? close * stock.Issue / stock.BookValue : 0;
    const double ratio = type == 6 ? pe : pbv;
    const std::int32_t key = ratio > 0 ? KeyOf(ratio * 1000) : kLargestKey;
    rows_.InsertSorted(
        MakeRow(FormatString("%s\t%9.2lf\t%9.2lf\t%9.2lf", ticker.c_str(), close, pe, pbv), key));
}

void QuickReview::Fill(int type, std::string_view dayText, const StockFilter& filter) {
    rows_.Clear();
    historyStatus_ = Status::Ok();
    const PackedDate day = TextToDate(dayText);
    if (day == kNoDate || type < 0 || type >= kReviewTypeCount) return;
    for (const auto& stock : db_.Stocks()) {
        if (!filter.Passes(*stock, db_.Categories())) continue;
        if (type == 0) {
            AddQuoteRow(*stock, day);
        } else if (type <= 5) {
            AddReturnRow(*stock, day, type);
        } else {
            AddRatioRow(*stock, day, type);
        }
    }
}

}  // namespace velmora
