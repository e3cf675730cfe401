#pragma once
// The memory of quotation lists. Lists take it from the heap, except on a thread that is loading
// many stocks at once (see BulkQuotationMemory): there the lists are laid side by side in large
// reserved ranges, which need far fewer calls to the system than thousands of heap blocks, and
// no thread waits for another while the heap grows.
// Either way, a list's memory goes back to where it came from when the list lets go of it.

#include <cstddef>
#include <limits>
#include <new>
#include <vector>

namespace velmora {

struct QuotationRange;

// Reserved ranges are whole units of this size (2 MiB), counted from the range's start; the
// memory of a unit goes back to the system once no list uses it.
inline constexpr std::size_t kQuotationMemoryUnit = std::size_t{2} << 20;

namespace quotation_memory {
// Memory for `bytes` (more than 0), aligned for any quotation record.
void* Allocate(std::size_t bytes);
// Gives back memory from Allocate with the same `bytes`.
void Release(void* p, std::size_t bytes) noexcept;
// Bytes of the reserved ranges that quotation lists still use (for tests and benchmarks).
std::size_t BulkBytesInUse();
}  // namespace quotation_memory

// The allocator of quotation lists. Every instance is interchangeable with every other.
template <typename T>
struct QuotationAllocator {
    using value_type = T;

    QuotationAllocator() = default;
    template <typename U>
    QuotationAllocator(const QuotationAllocator<U>&) noexcept {}

    T* allocate(std::size_t n) {
        if (n > std::numeric_limits<std::size_t>::max() / sizeof(T)) {
            throw std::bad_array_new_length();
        }
        return static_cast<T*>(quotation_memory::Allocate(n * sizeof(T)));
    }
    void deallocate(T* p, std::size_t n) noexcept { quotation_memory::Release(p, n * sizeof(T)); }

    template <typename U>
    bool operator==(const QuotationAllocator<U>&) const noexcept {
        return true;
    }
};

// Reserved ranges for the quotation lists that one thread allocates while it loads many stocks.
// Each list gets its own part of a range; a range grows no more once the loading ends, and it
// is handed back to the system when the last list in it lets go. Memory of a whole unit of a
// range that no list uses any more is handed back at once, so dropping quotations frees memory
// even while neighbouring stocks keep theirs. The first list taken lies at its range's start.
class BulkQuotationMemory {
  public:
    BulkQuotationMemory() = default;
    ~BulkQuotationMemory();
    BulkQuotationMemory(const BulkQuotationMemory&) = delete;
    BulkQuotationMemory& operator=(const BulkQuotationMemory&) = delete;

    // While alive, quotation lists allocated on this thread take their memory from `bulk`.
    class Use {
      public:
        explicit Use(BulkQuotationMemory& bulk);
        ~Use();
        Use(const Use&) = delete;
        Use& operator=(const Use&) = delete;

      private:
        BulkQuotationMemory* previous_;
    };

    // A part of `bytes` of the current range (a new one when it is full); nullptr when the
    // system gives no range, or for a block too large to share a range.
    void* Take(std::size_t bytes);

  private:
    QuotationRange* current_ = nullptr;
    std::size_t nextRangeSize_ = 0;
};

}  // namespace velmora
