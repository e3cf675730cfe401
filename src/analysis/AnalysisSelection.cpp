#include "analysis/AnalysisSelection.h"

#include <algorithm>

#include "database/Workspace.h"

namespace velmora {

namespace {

constexpr std::int64_t kSecondsPerDay = 86400;

int FirstOnOrAfter(const QuotationList& q, PackedDate date) {
    const auto it = std::lower_bound(q.begin(), q.end(), date,
                                     [](const Quotation& a, PackedDate d) { return a.Date < d; });
    return static_cast<int>(it - q.begin());
}

int FirstAfter(const QuotationList& q, PackedDate date) {
    const auto it = std::upper_bound(q.begin(), q.end(), date,
                                     [](PackedDate d, const Quotation& a) { return d < a.Date; });
    return static_cast<int>(it - q.begin());
}

}  // namespace

bool StockTaken(const Database& db, const Stock& stock, const AnalysisSelection& selection) {
    switch (selection.applyTo) {
        case ApplyTo::AllStocks:
            return true;
        case ApplyTo::CurrentStock:
            return &stock == selection.currentStock;
        case ApplyTo::Filter:
            return selection.filter.Passes(stock, db.Categories());
    }
    return false;
}

BarRange VisitedBars(const Stock& stock, const AnalysisSelection& selection) {
    const auto& q = stock.Quotations;
    const int bars = static_cast<int>(q.size());
    BarRange r{0, bars};
    if (bars == 0) return r;
    switch (selection.range) {
        case RangeMode::AllQuotations:
            break;
        case RangeMode::LastQuotations: {
            const std::int64_t first = std::int64_t{bars} - selection.n - 1;
            r.First = static_cast<int>(std::clamp<std::int64_t>(first, 0, bars));
            break;
        }
        case RangeMode::LastDays: {
            // Counted on the calendar from the stock's own last quotation. A start before the
            // first representable date takes every bar.
            const std::int64_t start =
                DateToSeconds(q.back().Date) - std::int64_t{selection.n} * kSecondsPerDay;
            if (start > DateToSeconds(MakeDate(1900, 1, 1))) {
                r.First = FirstOnOrAfter(q, SecondsToDate(start));
            }
            break;
        }
        case RangeMode::FromTo:
            r.First = FirstOnOrAfter(q, selection.from);
            r.End = std::max(r.First, FirstAfter(q, selection.to));
            break;
    }
    return r;
}

bool NeedsOlderQuotations(const Stock& stock, const AnalysisSelection& selection) {
    const PackedDate firstLoaded = stock.FirstLoadedDate;
    if (!selection.loadRemainingQuotes || firstLoaded == kNoDate) return false;
    return selection.range != RangeMode::FromTo || selection.from < firstLoaded;
}

OlderQuotationsForRun::OlderQuotationsForRun(Database& db, Stock& stock,
                                             const AnalysisSelection& selection)
    : stock_(stock) {
    const PackedDate firstLoaded = stock.FirstLoadedDate;
    if (!NeedsOlderQuotations(stock, selection)) return;
    status_ = db.LoadFullHistory(stock);
    if (status_) formerFirstLoaded_ = firstLoaded;
}

OlderQuotationsForRun::~OlderQuotationsForRun() {
    if (Loaded()) DropQuotationsBefore(stock_, formerFirstLoaded_);
}

}  // namespace velmora
