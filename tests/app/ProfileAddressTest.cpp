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

TEST(ProfileAddress, AnyTemplateBytesExpandSafely) {
    // Templates come from the workspace file: any bytes must expand without a fault.
    const Stock s = MakeStock();
    std::uint32_t seed = 12345;
    const std::string alphabet("{}tai0123456789x\0\xff", 18);
    for (int round = 0; round < 2000; ++round) {
        std::string t;
        const int length = static_cast<int>(seed % 40);
        for (int i = 0; i < length; ++i) {
            seed = seed * 1103515245u + 12345u;
            t.push_back(alphabet[(seed >> 16) % alphabet.size()]);
        }
        seed = seed * 1103515245u + 12345u;
        const std::string out = ExpandProfileAddress(t, s);
        EXPECT_LE(out.size(), kMaxProfileAddress);
        // Text outside placeholders is copied unchanged.
        const std::size_t brace = std::min(t.find('{'), t.size());
        EXPECT_EQ(out.substr(0, brace), t.substr(0, brace));
        if (brace == t.size()) {
            EXPECT_EQ(out, t);
        }
    }
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
