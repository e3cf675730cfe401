#pragma once
// The stock filter of the automatic analysis and the quick review: an Include set of criteria
// that a stock must match and an Exclude set that it must not match. The criteria are the
// stock's categories and its favourite and index flags.

#include <cstdint>
#include <vector>

#include "database/Categories.h"
#include "database/Stock.h"

namespace velmora {

struct FilterItem {
    static constexpr std::int32_t kInclude = 0;
    static constexpr std::int32_t kExclude = 1;
    static constexpr std::int32_t kAny = -1;

    std::int32_t Mode = kInclude;
    std::int32_t Market = kAny;    // 0..255
    std::int32_t Group = kAny;     // 0..255
    std::int32_t Sector = kAny;    // 0..31, compared with the sector of the stock's industry
    std::int32_t Industry = kAny;  // 0..255
    std::int32_t Favourite = 0;    // non-zero: the stock must be a favourite
    std::int32_t Index = 0;        // non-zero: the stock must be an index

    bool IsExclude() const { return Mode == kExclude; }
    // True when every criterion is "any".
    bool IsAny() const;
    // Sets every criterion back to "any"; the mode stays.
    void Clear();
    // Every criterion that is not "any" holds. An Include item with no criteria matches every
    // stock, an Exclude item with no criteria none.
    bool Matches(const Stock& stock, const CategoryTables& categories) const;

    bool operator==(const FilterItem&) const = default;
};

class StockFilter {
  public:
    // A new filter: an Include item and an Exclude item, every criterion "any".
    StockFilter();

    std::vector<FilterItem> Items;

    // True when the stock passes: walking the items in order, an Include item seen before the
    // first Exclude item marks the stock included when it matches; from the first Exclude item
    // on, every item ends the walk with a refusal when the stock is not included or the item
    // matches.
    bool Passes(const Stock& stock, const CategoryTables& categories) const;

    bool operator==(const StockFilter&) const = default;
};

}  // namespace velmora
