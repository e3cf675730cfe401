#pragma once
// Memory taken from the system in whole pages: reserving a range, giving its pages at once, and
// handing them back.

#include <cstddef>

namespace velmora {

// Asks the system to back the whole pages within [begin, begin + bytes) with writable memory now,
// in one call, instead of one page fault per page at the first write. Only a hint: the memory is
// valid either way, and nothing happens where the system cannot do it.
void PrefaultForWriting(void* begin, std::size_t bytes);

// Reserves `bytes` (a multiple of the page size) of zeroed, readable and writable memory starting
// on a page, or nullptr where the system gives no such memory. Pages are backed only when first
// written.
//
// No large pages are asked for: on virtual machines that hand free memory back to their host
// (within seconds), a large page is usually memory the host must supply again, and it then takes
// several times as long to give as the same memory in small pages.
void* ReservePages(std::size_t bytes);

// Gives the pages within [begin, begin + bytes) back to the system; the range stays reserved and
// reads as zeroes until written again. `begin` and `bytes` are multiples of the page size.
void ReturnPages(void* begin, std::size_t bytes);

// Ends a reservation made by ReservePages.
void UnreservePages(void* begin, std::size_t bytes);

}  // namespace velmora
