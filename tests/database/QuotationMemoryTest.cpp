#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "database/QuotationMemory.h"
#include "database/Stock.h"

namespace velmora {
namespace {

// A list of `n` quotations dated from `first` on.
QuotationList Dated(std::size_t n, PackedDate first) {
    QuotationList list;
    list.reserve(n);
    for (std::size_t i = 0; i < n; ++i) list.push_back({static_cast<PackedDate>(first + i)});
    return list;
}

bool Intact(const QuotationList& list, PackedDate first) {
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (list[i].Date != first + i) return false;
    }
    return true;
}

std::uintptr_t Address(const void* p) {
    return reinterpret_cast<std::uintptr_t>(p);
}

// Lists loaded side by side keep their own contents, the memory counts while any list uses it,
// and a list that outgrows its part moves to the heap. Once every list has let go, nothing of
// the ranges is left.
TEST(QuotationMemory, ListsInBulkMemoryAreSeparateAndGiveItBack) {
    ASSERT_EQ(quotation_memory::BulkBytesInUse(), 0u);
    std::vector<QuotationList> lists;
    {
        BulkQuotationMemory bulk;
        BulkQuotationMemory::Use use(bulk);
        for (std::size_t i = 0; i < 300; ++i) lists.push_back(Dated(1 + i * 37 % 5000, i * 10000));
    }
    std::size_t bytes = 0;
    for (std::size_t i = 0; i < lists.size(); ++i) {
        EXPECT_TRUE(Intact(lists[i], i * 10000)) << i;
        bytes += lists[i].capacity() * sizeof(Quotation);
    }
    EXPECT_GE(quotation_memory::BulkBytesInUse(), bytes);
    // Outside the bulk's use a list grows on the heap, and its part goes back.
    const std::size_t before = quotation_memory::BulkBytesInUse();
    lists[7].push_back({1});
    EXPECT_LT(quotation_memory::BulkBytesInUse(), before);
    lists[7].pop_back();
    EXPECT_TRUE(Intact(lists[7], 70000));
    const std::uintptr_t page = Address(lists[0].data());
    lists.clear();
    EXPECT_EQ(quotation_memory::BulkBytesInUse(), 0u);
    unsigned char resident = 0;
    // NOLINTNEXTLINE(performance-no-int-to-ptr): the reservation the lists were in has ended
    EXPECT_NE(mincore(reinterpret_cast<void*>(page), 1, &resident), 0);
    // A list made outside any bulk's use is on the heap.
    const QuotationList heap = Dated(100, 1);
    EXPECT_EQ(quotation_memory::BulkBytesInUse(), 0u);
}

// The pages of a unit of a range that no list uses any more go back to the system at once, while
// the lists in other units stay where they are.
TEST(QuotationMemory, APageNoListUsesGoesBackToTheSystem) {
    std::vector<std::optional<QuotationList>> lists;
    BulkQuotationMemory bulk;
    {
        BulkQuotationMemory::Use use(bulk);
        // 80 KiB each: more than two units in all.
        for (int i = 0; i < 60; ++i) lists.emplace_back(Dated(2560, 1));
    }
    const std::uintptr_t first = Address(lists.front()->data());  // the start of the first unit
    for (auto& list : lists) {
        const auto begin = reinterpret_cast<std::uintptr_t>(list->data());
        if (begin < first + kQuotationMemoryUnit && begin + 2560 * sizeof(Quotation) > first) {
            list.reset();
        }
    }
    const auto pageSize = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    std::vector<unsigned char> resident(kQuotationMemoryUnit / pageSize);
    // NOLINTNEXTLINE(performance-no-int-to-ptr): the address of a page the lists used
    ASSERT_EQ(mincore(reinterpret_cast<void*>(first), kQuotationMemoryUnit, resident.data()), 0);
    std::size_t residentPages = 0;
    for (const unsigned char r : resident) residentPages += r & 1u;
    EXPECT_EQ(residentPages, 0u);
    ASSERT_TRUE(lists.back().has_value());
    unsigned char lastResident = 0;
    const std::uintptr_t last =
        reinterpret_cast<std::uintptr_t>(lists.back()->data()) & ~(pageSize - 1);
    // NOLINTNEXTLINE(performance-no-int-to-ptr): the page of a list that is still in use
    ASSERT_EQ(mincore(reinterpret_cast<void*>(last), pageSize, &lastResident), 0);
    EXPECT_EQ(lastResident & 1u, 1u);
    EXPECT_TRUE(Intact(*lists.back(), 1));
}

}  // namespace
}  // namespace velmora
