#include "formula/MemArray.h"

#include <new>

namespace velmora {

void* MemArray::Allocate(std::size_t bytes) {
    if (bytes == 0) bytes = 1;
    if (!HasRoomFor(bytes)) return nullptr;
    std::unique_ptr<std::byte[]> data;
    if (bytes >= kSpareMinimum) {
        // A kept block of this size, or at most twice as large.
        const auto it = spare_.lower_bound(bytes);
        if (it != spare_.end() && it->first / 2 <= bytes && HasRoomFor(it->first)) {
            bytes = it->first;
            data = std::move(it->second);
            spareBytes_ -= bytes;
            spare_.erase(it);
        }
    }
    if (!data) data.reset(new (std::nothrow) std::byte[bytes]);
    if (!data) return nullptr;
    void* p = data.get();
    table_.emplace(p, Block{std::move(data), bytes});
    ++count_;
    bytes_ += bytes;
    return p;
}

void MemArray::Free(void* block) {
    const auto it = table_.find(block);
    if (it == table_.end()) return;  // not a block of this run: ignored
    Block& b = it->second;
    bytes_ -= b.size;
    --count_;
    // A large block is kept for the next allocation of its size, as FreeAll keeps them.
    if (b.size >= kSpareMinimum && b.size <= kSpareCap - spareBytes_) {
        spareBytes_ += b.size;
        spare_.emplace(b.size, std::move(b.data));
    }
    table_.erase(it);
}

void MemArray::FreeAll() {
    for (auto& [address, b] : table_) {
        if (b.data && b.size >= kSpareMinimum && b.size <= kSpareCap - spareBytes_) {
            spareBytes_ += b.size;
            spare_.emplace(b.size, std::move(b.data));
        }
    }
    table_.clear();
    table_.rehash(0);
    count_ = 0;
    bytes_ = 0;
}

void MemArray::ReleaseSpare() {
    spare_.clear();
    spareBytes_ = 0;
}

}  // namespace velmora
