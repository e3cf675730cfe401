#include <gtest/gtest.h>

#include "app/ProfileAddress.h"

namespace velmora {
namespace {

Stock MakeStock() {
    Stock s;
    s.Ticker.Set("ABC");
    s.Alias.Set("XY");
    s.WebID.Set("W123");
    return s;
}

TEST(ProfileAddress, PlaceholdersExpand) {
    const Stock s = MakeStock();
    EXPECT_EQ(ExpandProfileAddress("q?s={t}", s), "q?s=ABC");
    EXPECT_EQ(ExpandProfileAddress("{t0}/{t}", s), "A/ABC");
    EXPECT_EQ(ExpandProfileAddress("x{z}y", s), "xy");
    EXPECT_EQ(ExpandProfileAddress("{a}-{i}-{i3}-{a1}", s), "XY-W123-3-Y");
    EXPECT_EQ(ExpandProfileAddress("{t7}|{t99999999999999999999}|", s), "||");
    EXPECT_EQ(ExpandProfileAddress("{t1junk}z", s), "Bz");
    EXPECT_EQ(ExpandProfileAddress("end{t", s), "endA");  // no digits: position 0
    EXPECT_EQ(ExpandProfileAddress("end{", s), "end");
    EXPECT_EQ(ExpandProfileAddress("open{t0", s), "openA");
    EXPECT_EQ(ExpandProfileAddress(std::string(2000, 'x'), s).size(), kMaxProfileAddress);
}

TEST(ProfileAddress, PaneFollowsTheStockAndKeepsItsPageOnAnEmptyAddress) {
    CategoryTables t;
    t.Markets[2].ProfileTemplate.Set("http://p/{t}");
    Stock a = MakeStock();
    SetMarketID(a, 2);
    Stock b;
    b.Ticker.Set("DEF");
    SetMarketID(b, 3);  // no template

    ProfilePane pane;
    EXPECT_FALSE(pane.StockBecameCurrent(t, a));  // hidden: no navigation
    EXPECT_EQ(pane.Show(t, &a), "http://p/ABC");
    EXPECT_TRUE(pane.BrowserCreated());
    EXPECT_FALSE(pane.StockBecameCurrent(t, b));
    EXPECT_EQ(pane.Address(), "http://p/ABC");
    pane.Hide();
    a.Ticker.Set("NEW");
    EXPECT_FALSE(pane.StockBecameCurrent(t, a));
}

}  // namespace
}  // namespace velmora
