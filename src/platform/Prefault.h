#pragma once
// Giving fresh memory its pages at once.

#include <cstddef>

namespace velmora {

// Asks the system to back the whole pages within [begin, begin + bytes) with writable memory now,
// in one call, instead of one page fault per page at the first write. Only a hint: the memory is
// valid either way, and nothing happens where the system cannot do it.
void PrefaultForWriting(void* begin, std::size_t bytes);

}  // namespace velmora
