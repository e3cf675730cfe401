#include <gtest/gtest.h>

#include "database/StockFilter.h"

namespace velmora {
namespace {

class StockFilterTest : public ::testing::Test {
  protected:
    StockFilterTest() {
        categories.SetDefaultNames();
        categories.Industries[7].SectorID = 1;
        categories.Industries[8].SectorID = 2;
    }
    Stock MakeStock(int market, int group, int industry, std::int32_t flags = 0) {
        Stock s;
        SetMarketID(s, market);
        SetGroupID(s, group);
        s.IndustryID = industry;
        s.Flags = flags;
        return s;
    }
    bool Passes(const StockFilter& f, const Stock& s) { return f.Passes(s, categories); }

    CategoryTables categories;
};

TEST_F(StockFilterTest, NewFilterHasIncludeThenExcludeAndPassesEveryStock) {
    StockFilter f;
    ASSERT_EQ(f.Items.size(), 2u);
    EXPECT_EQ(f.Items[0].Mode, FilterItem::kInclude);
    EXPECT_EQ(f.Items[1].Mode, FilterItem::kExclude);
    EXPECT_TRUE(f.Items[0].IsAny());
    EXPECT_TRUE(f.Items[1].IsAny());
    EXPECT_TRUE(Passes(f, MakeStock(0, 0, 0)));
    EXPECT_TRUE(Passes(f, MakeStock(200, 17, 255, Stock::kIndexFlag | Stock::kFavouriteFlag)));
}

TEST_F(StockFilterTest, IncludeMarketAndExcludeIndexes) {
    StockFilter f;
    f.Items[0].Market = 3;
    EXPECT_TRUE(Passes(f, MakeStock(3, 0, 0)));
    EXPECT_TRUE(Passes(f, MakeStock(3, 9, 4, Stock::kIndexFlag)));
    EXPECT_FALSE(Passes(f, MakeStock(2, 0, 0)));

    StockFilter g;
    g.Items[1].Index = 1;
    EXPECT_TRUE(Passes(g, MakeStock(1, 1, 1)));
    EXPECT_TRUE(Passes(g, MakeStock(1, 1, 1, Stock::kFavouriteFlag)));
    EXPECT_FALSE(Passes(g, MakeStock(1, 1, 1, Stock::kIndexFlag)));
}

TEST_F(StockFilterTest, IncludeAndExcludeTheSameGroupPassesNothing) {
    StockFilter f;
    f.Items[0].Group = 2;
    f.Items[1].Group = 2;
    EXPECT_FALSE(Passes(f, MakeStock(0, 2, 0)));
    EXPECT_FALSE(Passes(f, MakeStock(0, 3, 0)));
}

TEST_F(StockFilterTest, SectorIsTheSectorOfTheStocksIndustry) {
    StockFilter f;
    f.Items[0].Sector = 1;
    EXPECT_TRUE(Passes(f, MakeStock(0, 0, 7)));
    EXPECT_FALSE(Passes(f, MakeStock(0, 0, 8)));
    // An industry index outside the table has no sector.
    EXPECT_FALSE(Passes(f, MakeStock(0, 0, 300)));
    EXPECT_FALSE(Passes(f, MakeStock(0, 0, -5)));
}

TEST_F(StockFilterTest, EveryCriterionOfAnItemMustHold) {
    StockFilter f;
    f.Items[0].Market = 1;
    f.Items[0].Industry = 7;
    f.Items[0].Favourite = 1;
    EXPECT_TRUE(Passes(f, MakeStock(1, 0, 7, Stock::kFavouriteFlag)));
    EXPECT_FALSE(Passes(f, MakeStock(1, 0, 7)));
    EXPECT_FALSE(Passes(f, MakeStock(1, 0, 8, Stock::kFavouriteFlag)));
    EXPECT_FALSE(Passes(f, MakeStock(2, 0, 7, Stock::kFavouriteFlag)));
    // Excluding favourites of market 1 from market 1.
    StockFilter g;
    g.Items[0].Market = 1;
    g.Items[1].Market = 1;
    g.Items[1].Favourite = 1;
    EXPECT_TRUE(Passes(g, MakeStock(1, 0, 0)));
    EXPECT_FALSE(Passes(g, MakeStock(1, 0, 0, Stock::kFavouriteFlag)));
}

TEST_F(StockFilterTest, ClearKeepsTheModeAndResetsTheCriteria) {
    FilterItem item;
    item.Mode = FilterItem::kExclude;
    item.Market = 4;
    item.Index = 1;
    item.Sector = 0;
    item.Clear();
    EXPECT_EQ(item.Mode, FilterItem::kExclude);
    EXPECT_TRUE(item.IsAny());
    // Sector 0 is a criterion, not "any".
    item.Sector = 0;
    EXPECT_FALSE(item.IsAny());
}

TEST_F(StockFilterTest, OtherItemListsFollowTheWalk) {
    Stock m1 = MakeStock(1, 0, 0), m2 = MakeStock(2, 0, 0), m3 = MakeStock(3, 0, 0);
    // Two Include items: a stock matching either of them is included.
    StockFilter f;
    f.Items.clear();
    FilterItem a, b, x;
    a.Market = 1;
    b.Market = 2;
    x.Mode = FilterItem::kExclude;
    f.Items = {a, b, x};
    EXPECT_TRUE(Passes(f, m1));
    EXPECT_TRUE(Passes(f, m2));
    EXPECT_FALSE(Passes(f, m3));
    // An Include item after the first Exclude item refuses the stocks it matches.
    f.Items = {FilterItem{}, x, a};
    EXPECT_FALSE(Passes(f, m1));
    EXPECT_TRUE(Passes(f, m2));
    // Without an Exclude item the walk ends with a pass whatever matched.
    f.Items = {a};
    EXPECT_TRUE(Passes(f, m3));
    // An Exclude item alone refuses everything: nothing was included before it.
    f.Items = {x};
    EXPECT_FALSE(Passes(f, m1));
    f.Items.clear();
    EXPECT_TRUE(Passes(f, m1));
}

}  // namespace
}  // namespace velmora
