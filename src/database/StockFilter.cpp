#include "database/StockFilter.h"

#include <optional>

namespace velmora {

namespace {

// The sector of the stock's industry; none for an industry index outside the table.
std::optional<std::int32_t> SectorOfStock(const Stock& stock, const CategoryTables& categories) {
    const std::int32_t industry = stock.IndustryID;
    if (industry < 0 || industry >= kIndustryCount) return std::nullopt;
    return categories.Industries[static_cast<std::size_t>(industry)].SectorID;
}

}  // namespace

bool FilterItem::IsAny() const {
    return Market == kAny && Group == kAny && Sector == kAny && Industry == kAny &&
           Favourite == 0 && Index == 0;
}

void FilterItem::Clear() {
    Market = Group = Sector = Industry = kAny;
    Favourite = Index = 0;
}

bool FilterItem::Matches(const Stock& stock, const CategoryTables& categories) const {
    if (IsAny()) return !IsExclude();
    if (Market != kAny && GetMarketID(stock) != Market) return false;
    if (Group != kAny && GetGroupID(stock) != Group) return false;
    if (Industry != kAny && stock.IndustryID != Industry) return false;
    if (Sector != kAny && SectorOfStock(stock, categories) != Sector) return false;
    if (Favourite != 0 && !stock.IsFavourite()) return false;
    if (Index != 0 && !stock.IsIndex()) return false;
    return true;
}

StockFilter::StockFilter() {
    Items.resize(2);
    Items[0].Mode = FilterItem::kInclude;
    Items[1].Mode = FilterItem::kExclude;
}

bool StockFilter::Passes(const Stock& stock, const CategoryTables& categories) const {
    bool included = false;
    bool excluding = false;
    for (const FilterItem& item : Items) {
        if (item.IsExclude()) excluding = true;
        const bool matches = item.Matches(stock, categories);
        if (!excluding) {
            if (matches) included = true;
        } else if (!included || matches) {
            return false;
        }
    }
    return true;
}

}  // namespace velmora
