#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "database/DateOrder.h"
#include "database/Stock.h"

namespace velmora {
namespace {

// (date, close) pairs of the records, in their order.
std::vector<std::pair<PackedDate, float>> DatesAndCloses(const QuotationList& quotes) {
    std::vector<std::pair<PackedDate, float>> out;
    for (const Quotation& q : quotes) out.emplace_back(q.Date, q.Close);
    return out;
}

TEST(SortByDateKeepLast, OrdersByDateAndTheLastOfADateWins) {
    QuotationList quotes = {{3, 30}, {1, 10}, {3, 31}, {2, 20}, {1, 11}, {3, 32}};
    EXPECT_TRUE(SortByDateKeepLast(quotes));
    const std::vector<std::pair<PackedDate, float>> expected = {{1, 11}, {2, 20}, {3, 32}};
    EXPECT_EQ(DatesAndCloses(quotes), expected);
}

// Only strictly ascending records count as in order: a repeated date alone needs the fold.
TEST(SortByDateKeepLast, LeavesAscendingRecordsAloneAndFoldsARepeatedDate) {
    QuotationList ascending = {{1, 10}, {2, 20}, {5, 50}};
    EXPECT_FALSE(SortByDateKeepLast(ascending));
    EXPECT_EQ(ascending.size(), 3u);
    QuotationList repeated = {{1, 10}, {2, 20}, {2, 21}};
    EXPECT_TRUE(SortByDateKeepLast(repeated));
    const std::vector<std::pair<PackedDate, float>> expected = {{1, 10}, {2, 21}};
    EXPECT_EQ(DatesAndCloses(repeated), expected);
}

}  // namespace
}  // namespace velmora
