#include "platform/PageMemory.h"

#include <cstdint>

#if defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace velmora {

void PrefaultForWriting(void* begin, std::size_t bytes) {
#if defined(__linux__)
    // Linux 5.14 and later; older kernels refuse the unknown advice with EINVAL.
#ifndef MADV_POPULATE_WRITE
    constexpr int MADV_POPULATE_WRITE = 23;
#endif
    static const auto pageSize = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
    const auto start = reinterpret_cast<std::uintptr_t>(begin);
    const std::uintptr_t first = (start + pageSize - 1) & ~(pageSize - 1);
    const std::uintptr_t end = (start + bytes) & ~(pageSize - 1);
    if (end > first) {
        // The page boundary as an offset from `begin`, so the pointer stays derived from it.
        char* from = static_cast<char*>(begin) + (first - start);
        (void)madvise(from, end - first, MADV_POPULATE_WRITE);
    }
#else
    (void)begin;
    (void)bytes;
#endif
}

void* ReservePages(std::size_t bytes) {
#if defined(__linux__)
    void* base = mmap(nullptr, bytes, PROT_READ | PROT_WRITE,
                      MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    return base == MAP_FAILED ? nullptr : base;
#else
    (void)bytes;
    return nullptr;
#endif
}

void ReturnPages(void* begin, std::size_t bytes) {
#if defined(__linux__)
    if (bytes > 0) (void)madvise(begin, bytes, MADV_DONTNEED);
#else
    (void)begin;
    (void)bytes;
#endif
}

void UnreservePages(void* begin, std::size_t bytes) {
#if defined(__linux__)
    if (bytes > 0) munmap(begin, bytes);
#else
    (void)begin;
    (void)bytes;
#endif
}

}  // namespace velmora
