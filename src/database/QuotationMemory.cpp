#include "database/QuotationMemory.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

#include "platform/PageMemory.h"

#if defined(__SANITIZE_ADDRESS__)
#define VELMORA_POISON_RANGES 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VELMORA_POISON_RANGES 1
#endif
#endif
#ifdef VELMORA_POISON_RANGES
#include <sanitizer/asan_interface.h>
#endif

namespace velmora {

// A reserved range and the parts of it that lists use.
struct QuotationRange {
    char* base = nullptr;
    std::size_t size = 0;           // reserved bytes, whole units
    std::size_t used = 0;           // bytes handed out from base on
    std::vector<std::size_t> live;  // bytes in use in each unit
    std::size_t parts = 0;          // parts in use
    bool growing = true;            // still the current range of a BulkQuotationMemory
};

namespace {

constexpr std::size_t kFirstRangeSize = 2 * kQuotationMemoryUnit;
constexpr std::size_t kLargestRangeSize = 32 * kQuotationMemoryUnit;
constexpr std::size_t kPartAlignment = 64;
#ifdef VELMORA_POISON_RANGES
// Poisoned bytes between parts, so that an overrun of one list into the next is caught.
constexpr std::size_t kPartGap = 64;
void Poison(const void* p, std::size_t bytes) {
    ASAN_POISON_MEMORY_REGION(p, bytes);
}
void Unpoison(const void* p, std::size_t bytes) {
    ASAN_UNPOISON_MEMORY_REGION(p, bytes);
}
#else
constexpr std::size_t kPartGap = 0;
void Poison(const void*, std::size_t) {}
void Unpoison(const void*, std::size_t) {}
#endif

std::size_t RoundUp(std::size_t n, std::size_t to) {
    return (n + to - 1) / to * to;
}

// The span a part of `bytes` takes in a range.
std::size_t PartSpan(std::size_t bytes) {
    return RoundUp(bytes, kPartAlignment) + kPartGap;
}

struct Registry {
    std::mutex mutex;
    std::vector<std::unique_ptr<QuotationRange>> ranges;  // by base address
    std::atomic<std::size_t> count{0};
};

// Never destroyed: lists in static storage may still give their memory back while the program
// ends.
Registry& TheRegistry() {
    static Registry* const registry = new Registry;
    return *registry;
}

thread_local BulkQuotationMemory* tBulk = nullptr;

std::uintptr_t Address(const void* p) {
    return reinterpret_cast<std::uintptr_t>(p);
}

// The range holding `p`, or nullptr. The registry's mutex is held.
QuotationRange* Find(Registry& registry, const void* p) {
    auto& ranges = registry.ranges;
    auto it = std::upper_bound(ranges.begin(), ranges.end(), Address(p),
                               [](std::uintptr_t a, const std::unique_ptr<QuotationRange>& r) {
                                   return a < Address(r->base);
                               });
    if (it == ranges.begin()) return nullptr;
    --it;
    return Address(p) < Address((*it)->base) + (*it)->size ? it->get() : nullptr;
}

// Hands a range back to the system and forgets it. The registry's mutex is held.
void Unregister(Registry& registry, QuotationRange* range) {
    Unpoison(range->base, range->size);
    UnreservePages(range->base, range->size);
    auto& ranges = registry.ranges;
    ranges.erase(std::find_if(ranges.begin(), ranges.end(),
                              [range](const auto& r) { return r.get() == range; }));
    registry.count.store(ranges.size());
}

// Ends the growth of a range: the pages it never reached are unreserved, and the range goes when
// no list uses it. The registry's mutex is held.
void Close(Registry& registry, QuotationRange* range) {
    range->growing = false;
    const std::size_t keep = RoundUp(range->used, kQuotationMemoryUnit);
    if (keep < range->size) {
        Unpoison(range->base + keep, range->size - keep);
        UnreservePages(range->base + keep, range->size - keep);
        range->size = keep;
        range->live.resize(keep / kQuotationMemoryUnit);
    }
    if (range->parts == 0) Unregister(registry, range);
}

// Counts the bytes of [p, p + span) in or out of the units they lie in; the pages of a unit left
// without a part in use are handed back to the system.
void CountLive(QuotationRange& range, const char* p, std::size_t span, bool adding) {
    std::size_t offset = static_cast<std::size_t>(p - range.base);
    const std::size_t end = offset + span;
    while (offset < end) {
        const std::size_t unit = offset / kQuotationMemoryUnit;
        const std::size_t share = std::min(end, (unit + 1) * kQuotationMemoryUnit) - offset;
        if (adding) {
            range.live[unit] += share;
        } else if ((range.live[unit] -= share) == 0) {
            ReturnPages(range.base + unit * kQuotationMemoryUnit,
                        std::min(kQuotationMemoryUnit, range.size - unit * kQuotationMemoryUnit));
        }
        offset += share;
    }
}

}  // namespace

namespace quotation_memory {

void* Allocate(std::size_t bytes) {
    if (tBulk != nullptr) {
        if (void* p = tBulk->Take(bytes)) return p;
    }
    return ::operator new(bytes);
}

void Release(void* p, std::size_t bytes) noexcept {
    Registry& registry = TheRegistry();
    if (registry.count.load() > 0) {
        std::lock_guard lock(registry.mutex);
        if (QuotationRange* range = Find(registry, p)) {
            const std::size_t span = PartSpan(bytes);
            Poison(p, span);
            CountLive(*range, static_cast<const char*>(p), span, false);
            if (--range->parts == 0 && !range->growing) Unregister(registry, range);
            return;
        }
    }
    ::operator delete(p);
}

std::size_t BulkBytesInUse() {
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    std::size_t total = 0;
    for (const auto& range : registry.ranges) {
        for (const std::size_t bytes : range->live) total += bytes;
    }
    return total;
}

}  // namespace quotation_memory

BulkQuotationMemory::~BulkQuotationMemory() {
    if (current_ == nullptr) return;
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    Close(registry, current_);
}

BulkQuotationMemory::Use::Use(BulkQuotationMemory& bulk) : previous_(tBulk) {
    tBulk = &bulk;
}

BulkQuotationMemory::Use::~Use() {
    tBulk = previous_;
}

void* BulkQuotationMemory::Take(std::size_t bytes) {
    const std::size_t span = PartSpan(bytes);
    if (span > kLargestRangeSize / 4) return nullptr;
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    if (current_ == nullptr || current_->size - current_->used < span) {
        if (current_ != nullptr) Close(registry, current_);
        current_ = nullptr;
        nextRangeSize_ =
            nextRangeSize_ == 0 ? kFirstRangeSize : std::min(2 * nextRangeSize_, kLargestRangeSize);
        const std::size_t size = std::max(nextRangeSize_, RoundUp(span, kQuotationMemoryUnit));
        void* base = ReservePages(size);
        if (base == nullptr) return nullptr;
        auto range = std::make_unique<QuotationRange>();
        range->base = static_cast<char*>(base);
        range->size = size;
        range->live.assign(size / kQuotationMemoryUnit, 0);
        Poison(range->base, range->size);
        current_ = range.get();
        auto& ranges = registry.ranges;
        ranges.insert(std::upper_bound(ranges.begin(), ranges.end(), range,
                                       [](const auto& a, const auto& b) {
                                           return Address(a->base) < Address(b->base);
                                       }),
                      std::move(range));
        registry.count.store(ranges.size());
    }
    char* p = current_->base + current_->used;
    current_->used += span;
    ++current_->parts;
    CountLive(*current_, p, span, true);
    Unpoison(p, bytes);
    return p;
}

}  // namespace velmora
