#pragma once
// Fixed-size, zero-terminated character fields as the stored records hold them. The bytes are
// kept as read, so a field written back is byte for byte what was loaded.

#include <array>
#include <cstring>
#include <string>
#include <string_view>

#include "platform/NoCase.h"

namespace velmora {

template <std::size_t N>
struct FixedText {
    std::array<char, N> bytes{};

    // The text up to the first zero byte (or the whole field when there is none).
    std::string_view View() const {
        const void* end = std::memchr(bytes.data(), 0, N);
        return {bytes.data(),
                end ? static_cast<std::size_t>(static_cast<const char*>(end) - bytes.data()) : N};
    }
    std::string Str() const { return std::string(View()); }
    bool Empty() const { return bytes[0] == 0; }
    // Stores at most N-1 bytes, never splitting a UTF-8 sequence, zero-filling the rest.
    void Set(std::string_view text);
    // Makes sure the field ends with a zero within its size, cutting at a UTF-8 boundary.
    void Terminate();
};

// The length of the longest prefix of `text` of at most `limit` bytes that does not end inside
// a UTF-8 sequence.
std::size_t Utf8Cut(std::string_view text, std::size_t limit);

template <std::size_t N>
void FixedText<N>::Set(std::string_view text) {
    const std::size_t n = Utf8Cut(text, N - 1);
    bytes.fill(0);
    std::memcpy(bytes.data(), text.data(), n);
}

template <std::size_t N>
void FixedText<N>::Terminate() {
    if (std::memchr(bytes.data(), 0, N) != nullptr) return;
    const std::size_t n = Utf8Cut(std::string_view(bytes.data(), N), N - 1);
    std::memset(bytes.data() + n, 0, N - n);
}

}  // namespace velmora
