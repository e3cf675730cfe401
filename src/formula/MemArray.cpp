#include "formula/MemArray.h"

#include <new>

namespace velmora {

void* MemArray::Allocate(std::size_t bytes) {
    if (bytes == 0) bytes = 1;
    if (!HasRoomFor(bytes)) return nullptr;
    std::unique_ptr<std::byte[]> data(new (std::nothrow) std::byte[bytes]);
    if (!data) return nullptr;
    void* p = data.get();
    table_.push_back(Block{std::move(data), bytes});
    ++count_;
    bytes_ += bytes;
    return p;
}

void MemArray::Free(void* block) {
    if (block == nullptr) return;
    for (Block& b : table_) {
        if (b.data.get() == block) {
            bytes_ -= b.size;
            --count_;
            b.data.reset();
            b.size = 0;
            return;
        }
    }
    // Not a block of this run: ignored.
}

void MemArray::FreeAll() {
    table_.clear();
    table_.shrink_to_fit();
    count_ = 0;
    bytes_ = 0;
}

}  // namespace velmora
