#pragma once
// Records dated by a `Date` member (quotations, advance/decline records) in the order the
// lookups need: ascending, with one record per date.

#include <algorithm>
#include <vector>

namespace velmora {

// Sorts the records by date, keeping the order of equal dates, and of each date keeps the last
// one, as a later store of the same day would have replaced the earlier. Returns false, having
// changed nothing, when they were already ascending with one record per date.
template <typename Record, typename Allocator>
bool SortByDateKeepLast(std::vector<Record, Allocator>& records) {
    const auto notAscending = [](const Record& a, const Record& b) { return !(a.Date < b.Date); };
    if (std::adjacent_find(records.begin(), records.end(), notAscending) == records.end()) {
        return false;
    }
    std::stable_sort(records.begin(), records.end(),
                     [](const Record& a, const Record& b) { return a.Date < b.Date; });
    auto kept = records.begin();
    for (auto it = records.begin(); it != records.end(); ++it) {
        if (kept != records.begin() && (kept - 1)->Date == it->Date) {
            *(kept - 1) = *it;
        } else {
            *kept++ = *it;
        }
    }
    records.erase(kept, records.end());
    return true;
}

}  // namespace velmora
