#include "database/Composites.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Saturate.h"

namespace velmora {

namespace {

// The index of the quotation dated `date`, -1 when there is none.
int IndexOfDate(const QuotationList& quotes, PackedDate date) {
    auto it = std::lower_bound(quotes.begin(), quotes.end(), date,
                               [](const Quotation& q, PackedDate d) { return q.Date < d; });
    return it != quotes.end() && it->Date == date ? static_cast<int>(it - quotes.begin()) : -1;
}

// Brings the stock's older quotations into memory when the computation reaches back to them,
// so that a partially loaded stock is neither missing its days nor their previous closes.
Status LoadBackTo(Database& db, Stock& stock, PackedDate earliest) {
    if (stock.FirstLoadedDate != kNoDate && stock.FirstLoadedDate >= earliest) {
        return db.LoadFullHistory(stock);
    }
    return Status::Ok();
}

// Whether the request reaches before the base's loaded quotations, so that its whole history
// is needed.
bool ReachesBeforeLoaded(const Stock& base, const CompositesRequest& request) {
    return base.FirstLoadedDate != kNoDate &&
           (request.count < 0 || request.count > Database::QuotationCount(base) ||
            (request.count == 0 && request.from < base.FirstLoadedDate));
}

// Which of the base's quotations to visit: positions lo..hi, newest first.
struct DayRange {
    int lo = 0;
    int hi = -1;
};

DayRange BaseDayRange(const Stock& base, const CompositesRequest& request) {
    const QuotationList& days = base.Quotations;
    const int total = static_cast<int>(days.size());
    DayRange range{0, total - 1};
    if (request.count > 0) {
        range.lo = std::max(0, total - request.count);
    } else if (request.count == 0) {
        range.hi =
            total - 1 -
            static_cast<int>(std::count_if(
                days.begin(), days.end(), [&](const Quotation& q) { return q.Date > request.to; }));
        range.lo = total - Database::QuotationsFrom(base, request.from);
    }
    return range;
}

// The stocks of one market: the members the composites are made from, and the indexes.
struct MarketStocks {
    std::vector<Stock*> members;
    std::vector<Stock*> indexes;
};

MarketStocks StocksOfMarket(Database& db, int market) {
    MarketStocks stocks;
    for (const auto& s : db.Stocks()) {
        if (GetMarketID(*s) != market) continue;
        (s->IsIndex() ? stocks.indexes : stocks.members).push_back(s.get());
    }
    return stocks;
}

// What to compute, from the request flags.
struct CompositeParts {
    bool volume = false;
    bool copyVolume = false;
    bool advDec = false;
};

CompositeParts PartsOf(const CompositesRequest& request) {
    CompositeParts parts;
    parts.volume = (request.flags & kCompositeVolume) != 0;
    parts.copyVolume = parts.volume && (request.flags & kCompositeCopyVolume) != 0;
    parts.advDec = (request.flags & kCompositeAdvDec) != 0;
    return parts;
}

// Brings in the older quotations of every stock the computation reads, and of the indexes it
// writes, back to `earliest`; `history` collects the failures.
void LoadStocksBackTo(Database& db, const MarketStocks& stocks, const CompositeParts& parts,
                      PackedDate earliest, Status& history) {
    for (Stock* s : stocks.members) history.Update(LoadBackTo(db, *s, earliest));
    if (parts.copyVolume) {
        for (Stock* s : stocks.indexes) history.Update(LoadBackTo(db, *s, earliest));
    }
}

// What the members did on one day.
struct DayTally {
    float totalVolume = 0, advVolume = 0, decVolume = 0, uncVolume = 0;
    std::int32_t advances = 0, declines = 0, unchanged = 0;
};

// Adds the member's quotation at position `at` to the day's tally.
void TallyMember(const QuotationList& quotes, int at, const CompositeParts& parts,
                 DayTally& tally) {
    const Quotation& q = quotes[static_cast<std::size_t>(at)];
    const float v = static_cast<float>(q.Volume);
    if (parts.volume) tally.totalVolume += v;
    if (!parts.advDec || at == 0) return;
    const float previous = quotes[static_cast<std::size_t>(at - 1)].Close;
    if (q.Close > previous) {
        ++tally.advances;
        tally.advVolume += v;
    } else if (q.Close < previous) {
        ++tally.declines;
        tally.decVolume += v;
    } else {
        ++tally.unchanged;
        tally.uncVolume += v;
    }
}

DayTally TallyDay(const std::vector<Stock*>& members, PackedDate date,
                  const CompositeParts& parts) {
    DayTally tally;
    for (const Stock* s : members) {
        const int at = IndexOfDate(s->Quotations, date);
        if (at >= 0) TallyMember(s->Quotations, at, parts, tally);
    }
    return tally;
}

// Writes the day's total volume into the base quotation and, when asked, into every index
// quoted that day.
void StoreVolume(Quotation& baseDay, const std::vector<Stock*>& indexes, bool copyVolume,
                 float totalVolume) {
    const std::int32_t stored = SaturateToInt32(totalVolume);
    baseDay.Volume = stored;
    if (!copyVolume) return;
    for (Stock* s : indexes) {
        const int at = IndexOfDate(s->Quotations, baseDay.Date);
        if (at >= 0) s->Quotations[static_cast<std::size_t>(at)].Volume = stored;
    }
}

void StoreAdvanceDecline(Database& db, Market& market, PackedDate date, const DayTally& tally) {
    ADQuotation* r = db.AddADQuotation(market, date);
    if (r == nullptr) return;
    r->AdvIssues = tally.advances;
    r->AdvVolume = tally.advVolume;
    r->DecIssues = tally.declines;
    r->DecVolume = tally.decVolume;
    r->UncIssues = tally.unchanged;
    r->UncVolume = tally.uncVolume;
}

}  // namespace

int ComputeComposites(Database& db, std::string_view defaultBase, const CompositesRequest& request,
                      CompositesResult* result) {
    CompositesResult local;
    CompositesResult& out = result != nullptr ? *result : local;
    out = CompositesResult{};
    if (request.market < 0 || request.market >= kMarketCount) return 0;
    Market& market = db.Categories().Markets[static_cast<std::size_t>(request.market)];
    const std::string baseTicker(market.CompositesBase.Empty() ? defaultBase
                                                               : market.CompositesBase.View());
    Stock* base = baseTicker.empty() ? nullptr : db.FindStock(baseTicker);
    if (base == nullptr) return 1;
    out.base = base;
    if (GetMarketID(*base) != request.market) return 0;

    if (ReachesBeforeLoaded(*base, request)) {
        out.history = db.LoadFullHistory(*base);
        if (!out.history) return 0;
    }
    DayRange range = BaseDayRange(*base, request);
    const MarketStocks stocks = StocksOfMarket(db, request.market);
    out.members = static_cast<int>(stocks.members.size());
    const CompositeParts parts = PartsOf(request);

    if (range.lo <= range.hi && !stocks.members.empty()) {
        const PackedDate earliest = base->Quotations[static_cast<std::size_t>(range.lo)].Date;
        LoadStocksBackTo(db, stocks, parts, earliest, out.history);
        // Composites made from part of a member's history would be wrong for the older days.
        if (!out.history) return 0;
        // The base is one of the indexes whose older quotations may just have come in: the
        // same days now lie at other positions.
        range = BaseDayRange(*base, request);
    }

    bool wroteIndexes = false;
    for (int i = range.hi; i >= range.lo; --i) {
        ++out.days;
        if (stocks.members.empty()) continue;
        Quotation& baseDay = base->Quotations[static_cast<std::size_t>(i)];
        const DayTally tally = TallyDay(stocks.members, baseDay.Date, parts);
        if (parts.volume) {
            StoreVolume(baseDay, stocks.indexes, parts.copyVolume, tally.totalVolume);
            wroteIndexes = wroteIndexes || parts.copyVolume;
        }
        if (parts.advDec) StoreAdvanceDecline(db, market, baseDay.Date, tally);
    }
    if (wroteIndexes) {
        for (Stock* s : stocks.indexes) db.MarkModified(*s);
    }
    db.MarkModified(*base);
    return 1;
}

bool ComputeCompositesAllMarkets(Database& db, std::string_view defaultBase,
                                 const CompositesRequest& request, ProgressReporter& progress,
                                 const CompositesMarketHook& onMarket) {
    bool cancelled = false;
    for (int m = 0; m < kMarketCount && !cancelled; ++m) {
        const std::string name(db.Categories().Markets[static_cast<std::size_t>(m)].Name.View());
        cancelled = !progress.Step(m, kMarketCount, name, "Processing...");
        CompositesRequest one = request;
        one.market = m;
        CompositesResult result;
        const int status = ComputeComposites(db, defaultBase, one, &result);
        if (onMarket) onMarket(m, status, result);
    }
    progress.Close();
    return !cancelled;
}

bool DeleteAdvanceDecline(Database& db, UserInterface& ui, int market) {
    if (market >= kMarketCount) return false;
    if (!ui.AskYesNo("You are about to delete advance/decline\ninformation from selected "
                     "market(s).\n\nAre you sure?")) {
        return false;
    }
    CategoryTables& tables = db.Categories();
    if (market >= 0) {
        db.ClearADQuotations(tables.Markets[static_cast<std::size_t>(market)]);
        return true;
    }
    ProgressReporter& progress = ui.Progress();
    for (int m = 0; m < kMarketCount; ++m) {
        Market& entry = tables.Markets[static_cast<std::size_t>(m)];
        const bool goOn = progress.Step(m, kMarketCount, entry.Name.View(), "Deleting...");
        db.ClearADQuotations(entry);
        if (!goOn) break;
    }
    progress.Close();
    return true;
}

}  // namespace velmora
