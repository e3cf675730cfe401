#pragma once
// The lines of the ASCII importer's files: read through a large buffer, and read ahead in
// batches whose data lines are decoded on several threads while the lines before them are
// interpreted. Used by the importer only.

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "import/AsciiFieldDecoder.h"

namespace velmora::ascii {

inline constexpr std::size_t kMaxLine = 254;  // characters of a line, without its line end

// Reads a file line by line through a large buffer. A line keeps at most kMaxLine + 1
// characters (so an overlong line is recognised) while the rest of it is consumed.
class LineReader {
  public:
    explicit LineReader(std::FILE* file) : file_(file), buffer_(1 << 16) {}

    struct Line {
        // Without the line end, at most kMaxLine + 1 characters; valid until the next read.
        std::string_view text;
        bool tooLong = false;
        bool hasNul = false;
        std::uint32_t number = 0;  // 1 for the file's first line
        std::string storage;       // the text of a line that crossed the buffer's end
    };

    bool Next(Line& line) {
        line.tooLong = line.hasNul = false;
        if (pos_ == size_ && !Refill()) return false;
        // A line that ends inside the buffer is used where it lies.
        const char* p = buffer_.data() + pos_;
        const void* nl = std::memchr(p, '\n', size_ - pos_);
        if (nl == nullptr) return NextAcrossRefill(line);
        const std::size_t length = static_cast<std::size_t>(static_cast<const char*>(nl) - p);
        line.hasNul = !nulFree_ && std::memchr(p, 0, length) != nullptr;
        pos_ += length + 1;
        consumed_ += length + 1;
        Finish(line, std::string_view(p, length), length);
        return true;
    }

    std::uint64_t Consumed() const { return consumed_; }

  private:
    // A line that goes on past the data in the buffer: copied while the buffer is refilled.
    bool NextAcrossRefill(Line& line);
    // Sets the line's number and text from the first kMaxLine + 2 (or fewer) characters `kept`
    // of a line of `length` characters.
    void Finish(Line& line, std::string_view kept, std::size_t length);
    bool Refill();

    std::FILE* file_;
    std::vector<char> buffer_;
    std::size_t pos_ = 0, size_ = 0;
    bool nulFree_ = false;  // the buffer holds no NUL character
    std::uint64_t consumed_ = 0;
    std::uint32_t lines_ = 0;
};

// Lines read ahead of their interpretation. Helper threads decode the lines that may be data
// lines with the format the batch was read under, ahead of the interpreter, which decodes a
// line itself when no helper has done so yet, so it never waits for one. A line interpreted
// under another format (a command changed it) is decoded again.
struct LineBatch {
    static constexpr std::size_t kLines = 8192;

    struct Entry {
        std::size_t offset = 0;  // of the line's text in `text`
        std::size_t length = 0;
        std::uint32_t number = 0;
        bool tooLong = false;
        bool hasNul = false;
        std::uint64_t consumed = 0;  // bytes of the file read up to the end of the line
    };

    LineBatch() = default;
    ~LineBatch() { StopDecoding(); }
    LineBatch(const LineBatch&) = delete;
    LineBatch& operator=(const LineBatch&) = delete;

    std::string_view Text(const Entry& e) const { return {text.data() + e.offset, e.length}; }

    // Waits for the helpers, then empties the batch, to be read with `format` and `separator`.
    void Prepare(std::span<const Field> format, char separator, std::uint64_t version);
    // Starts `threads` helpers decoding the lines read (none when the fields need the lines in
    // file order, or when no thread can be started).
    void StartDecoding(int threads);
    // The decode of line `i` a helper finished, or null.
    DecodedLine* Decoded(std::size_t i) {
        return done_ && done_[i].load(std::memory_order_acquire) != 0 ? &decoded_[i] : nullptr;
    }
    // Tells the helpers that the interpreter has reached line `i`: they pass over the lines
    // before it.
    void Reached(std::size_t i) { reached_.store(i, std::memory_order_relaxed); }

    std::string text;
    std::vector<Entry> entries;
    std::vector<Field> fields;
    char separator = ' ';
    std::uint64_t formatVersion = 0;  // the importer's count of format changes when prepared

  private:
    void Decode();
    void StopDecoding();

    // Made when a helper first starts.
    std::vector<DecodedLine> decoded_;
    std::unique_ptr<std::atomic<std::uint8_t>[]> done_;  // per line: decoded_ holds its decode
    std::atomic<std::size_t> nextChunk_{0};
    // Written by the interpreter now and then and read by the helpers at every line: on a cache
    // line of its own.
    alignas(64) std::atomic<std::size_t> reached_{0};
    std::vector<std::jthread> helpers_;  // last: they end before the members they use
};

// Reads up to LineBatch::kLines lines into the batch. False when the file had no line left.
bool FillBatch(LineReader& reader, LineBatch& batch);

}  // namespace velmora::ascii
