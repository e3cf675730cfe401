#include <gtest/gtest.h>

#include "analysis/ResultList.h"

namespace velmora {
namespace {

struct Recorder final : ResultListObserver {
    void RowAdded(const ResultRow& row) override { texts.push_back(row.Text); }
    void Cleared() override { ++clears; }
    std::vector<std::string> texts;
    int clears = 0;
};

TEST(ResultList, KeepsInsertionOrderAndTellsTheObserver) {
    ResultList list;
    list.Add("first");
    Recorder rec;
    list.SetObserver(&rec);
    list.Add("B\tSell\t24-01-02\t1.00");
    ResultRow trade;
    trade.SetText("A\tLong\t24-01-02\t24-02-01\t5.00");
    trade.TradeType = ResultRow::kLong;
    trade.EquityAfter = 10500;
    trade.Ticker.Set("A");
    list.Add(trade);
    ASSERT_EQ(list.Size(), 3u);
    EXPECT_EQ(list[0].Text, "first");
    EXPECT_EQ(list[2].TradeType, ResultRow::kLong);
    EXPECT_EQ(list[2].Ticker.View(), "A");
    EXPECT_EQ(rec.texts, (std::vector<std::string>{"B\tSell\t24-01-02\t1.00", trade.Text}));
    list.Clear();
    EXPECT_TRUE(list.Empty());
    EXPECT_EQ(rec.clears, 1);
}

TEST(ResultList, TextsAreCutTo79BytesOnACharacterBoundary) {
    ResultList list;
    EXPECT_EQ(list.Add(std::string(200, 'x')).Text.size(), 79u);
    // 78 ASCII bytes then a two-byte character: the character does not fit and goes.
    const std::string text = std::string(78, 'a') + "\xc3\xa9" + "zz";
    EXPECT_EQ(list.Add(text).Text, std::string(78, 'a'));
    ResultRow row;
    row.Text = std::string(100, 'y');
    EXPECT_EQ(list.Add(row).Text.size(), 79u);
}

TEST(ResultList, ColumnsAreSplitAtTabs) {
    EXPECT_EQ(SplitColumns("KGHM\tBuy\t24-01-02\t12.50"),
              (std::vector<std::string_view>{"KGHM", "Buy", "24-01-02", "12.50"}));
    EXPECT_EQ(SplitColumns("\tx\t"), (std::vector<std::string_view>{"", "x", ""}));
    EXPECT_EQ(SplitColumns(""), (std::vector<std::string_view>{""}));
}

}  // namespace
}  // namespace velmora
