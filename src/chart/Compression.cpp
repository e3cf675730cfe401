#include "chart/Compression.h"

namespace velmora {

const Stock& CompressedStockCache::Get(const Stock& daily, Periodicity periodicity) {
    if (periodicity == Periodicity::Daily) return daily;
    const auto& q = daily.Quotations;
    const PackedDate first = q.empty() ? 0 : q.front().Date;
    const PackedDate last = q.empty() ? 0 : q.back().Date;
    if (copy_ && source_ == &daily && periodicity_ == periodicity && count_ == q.size() &&
        firstDate_ == first && lastDate_ == last)
        return *copy_;
    copy_ = CompressQuotations(daily, periodicity);
    source_ = &daily;
    periodicity_ = periodicity;
    count_ = q.size();
    firstDate_ = first;
    lastDate_ = last;
    return *copy_;
}

void CompressedStockCache::Drop() {
    copy_.reset();
    source_ = nullptr;
}

}  // namespace velmora
