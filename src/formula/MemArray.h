#pragma once
// The memory pool of one formula run. Every array and text the engine makes during a run is
// allocated here and stays until FreeAll, which ends the run; nothing is freed piecemeal
// except by an explicit Free. The pool also enforces a limit on the bytes it holds, so that a
// hostile formula (a million operators on a long history, texts doubled again and again) ends
// with a reported error instead of exhausting the machine.
//
// Large blocks freed by Free or FreeAll are kept (up to a cap) and handed out again by later
// allocations: statements and runs over stocks of similar length then reuse memory that is
// already mapped instead of faulting in fresh pages for every array.

#include <cstddef>
#include <map>
#include <memory>
#include <unordered_map>

namespace velmora {

class MemArray {
  public:
    static constexpr std::size_t kDefaultLimit = std::size_t{1} << 30;  // 1 GiB
    // Freed blocks of at least this size are kept for reuse, up to kSpareCap bytes in all.
    static constexpr std::size_t kSpareMinimum = std::size_t{64} << 10;
    static constexpr std::size_t kSpareCap = std::size_t{256} << 20;

    MemArray() = default;
    MemArray(const MemArray&) = delete;
    MemArray& operator=(const MemArray&) = delete;

    // A new block of at least `bytes` bytes (16-byte aligned), or null when the allocation
    // fails or would pass the limit; a failed allocation is not entered in the table.
    void* Allocate(std::size_t bytes);
    // Frees one block. A pointer that is not in the table is ignored.
    void Free(void* block);
    // Frees every block and empties the table (large blocks are kept for reuse).
    void FreeAll();
    // Gives the kept blocks back to the system.
    void ReleaseSpare();

    std::size_t BlockCount() const { return count_; }
    std::size_t SpareBytes() const { return spareBytes_; }
    std::size_t BytesInUse() const { return bytes_; }
    std::size_t Limit() const { return limit_; }
    void SetLimit(std::size_t bytes) { limit_ = bytes; }
    // Whether `more` bytes could still be taken (for memory held outside the pool that counts
    // toward the same limit, such as the output text).
    bool HasRoomFor(std::size_t more) const { return more <= limit_ - bytes_ && bytes_ <= limit_; }

  private:
    struct Block {
        std::unique_ptr<std::byte[]> data;
        std::size_t size = 0;
    };
    std::unordered_map<const void*, Block> table_;                    // by address
    std::multimap<std::size_t, std::unique_ptr<std::byte[]>> spare_;  // by size
    std::size_t spareBytes_ = 0;
    std::size_t count_ = 0;
    std::size_t bytes_ = 0;
    std::size_t limit_ = kDefaultLimit;
};

}  // namespace velmora
