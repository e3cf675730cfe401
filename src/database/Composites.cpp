#include "database/Composites.h"

#include <algorithm>
#include <string>
#include <vector>

#include "platform/Saturate.h"

namespace velmora {

namespace {

// The index of the quotation dated `date`, -1 when there is none.
int IndexOfDate(const std::vector<Quotation>& quotes, PackedDate date) {
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

    // Which of the base's quotations to visit: positions lo..hi, newest first.
    if (base->FirstLoadedDate != kNoDate &&
        (request.count < 0 || request.count > Database::QuotationCount(*base) ||
         (request.count == 0 && request.from < base->FirstLoadedDate))) {
        out.history = db.LoadFullHistory(*base);
        if (!out.history) return 0;
    }
    const std::vector<Quotation>& days = base->Quotations;
    const int total = static_cast<int>(days.size());
    int lo = 0, hi = total - 1;
    if (request.count > 0) {
        lo = std::max(0, total - request.count);
    } else if (request.count == 0) {
        hi = total - 1 -
             static_cast<int>(std::count_if(days.begin(), days.end(), [&](const Quotation& q) {
                 return q.Date > request.to;
             }));
        lo = total - Database::QuotationsFrom(*base, request.from);
    }

    std::vector<Stock*> members, indexes;
    for (const auto& s : db.Stocks()) {
        if (GetMarketID(*s) != request.market) continue;
        (s->IsIndex() ? indexes : members).push_back(s.get());
    }
    out.members = static_cast<int>(members.size());

    if (lo <= hi && !members.empty()) {
        const PackedDate earliest = days[static_cast<std::size_t>(lo)].Date;
        for (Stock* s : members) out.history.Update(LoadBackTo(db, *s, earliest));
        if ((request.flags & kCompositeVolume) && (request.flags & kCompositeCopyVolume)) {
            for (Stock* s : indexes) out.history.Update(LoadBackTo(db, *s, earliest));
        }
        // Composites made from part of a member's history would be wrong for the older days.
        if (!out.history) return 0;
    }

    const bool volume = (request.flags & kCompositeVolume) != 0;
    const bool copyVolume = volume && (request.flags & kCompositeCopyVolume) != 0;
    const bool advDec = (request.flags & kCompositeAdvDec) != 0;
    bool wroteIndexes = false;
    for (int i = hi; i >= lo; --i) {
        ++out.days;
        if (members.empty()) continue;
        const PackedDate date = base->Quotations[static_cast<std::size_t>(i)].Date;
        float totalVolume = 0, advVolume = 0, decVolume = 0, uncVolume = 0;
        std::int32_t advances = 0, declines = 0, unchanged = 0;
        for (const Stock* s : members) {
            const int at = IndexOfDate(s->Quotations, date);
            if (at < 0) continue;
            const Quotation& q = s->Quotations[static_cast<std::size_t>(at)];
            const float v = static_cast<float>(q.Volume);
            if (volume) totalVolume += v;
            if (advDec && at > 0) {
                const float previous = s->Quotations[static_cast<std::size_t>(at - 1)].Close;
                if (q.Close > previous) {
                    ++advances;
                    advVolume += v;
                } else if (q.Close < previous) {
                    ++declines;
                    decVolume += v;
                } else {
                    ++unchanged;
                    uncVolume += v;
                }
            }
        }
        if (volume) {
            const std::int32_t stored = SaturateToInt32(totalVolume);
            base->Quotations[static_cast<std::size_t>(i)].Volume = stored;
            if (copyVolume) {
                for (Stock* s : indexes) {
                    const int at = IndexOfDate(s->Quotations, date);
                    if (at >= 0) s->Quotations[static_cast<std::size_t>(at)].Volume = stored;
                }
                wroteIndexes = true;
            }
        }
        if (advDec) {
            ADQuotation* r = db.AddADQuotation(market, date);
            if (r != nullptr) {
                r->AdvIssues = advances;
                r->AdvVolume = advVolume;
                r->DecIssues = declines;
                r->DecVolume = decVolume;
                r->UncIssues = unchanged;
                r->UncVolume = uncVolume;
            }
        }
    }
    if (wroteIndexes) {
        for (Stock* s : indexes) db.MarkModified(*s);
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
