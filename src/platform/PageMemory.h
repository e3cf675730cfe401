#pragma once
// Memory taken from the system in whole pages: reserving a range, giving its pages at once, and
// handing them back.

#include <cstddef>

namespace velmora {

// The size of the large pages a reserved range is aligned to (2 MiB).
inline constexpr std::size_t kLargePageSize = std::size_t{2} << 20;

// Asks the system to back the whole pages within [begin, begin + bytes) with writable memory now,
// in one call, instead of one page fault per page at the first write. Only a hint: the memory is
// valid either way, and nothing happens where the system cannot do it.
void PrefaultForWriting(void* begin, std::size_t bytes);

// Reserves `bytes` (a multiple of kLargePageSize) of zeroed, readable and writable memory aligned
// to kLargePageSize, or nullptr where the system gives no such memory. Pages are backed only when
// first written. With `largePages` the system is asked to back it with large pages, which are
// cheaper to give than many small ones when the range fills up.
void* ReservePages(std::size_t bytes, bool largePages);

// Gives the pages within [begin, begin + bytes) back to the system; the range stays reserved and
// reads as zeroes until written again. `begin` and `bytes` are multiples of the page size.
void ReturnPages(void* begin, std::size_t bytes);

// Ends a reservation made by ReservePages.
void UnreservePages(void* begin, std::size_t bytes);

}  // namespace velmora
