#include "database/FixedText.h"

namespace velmora {

std::size_t Utf8Cut(std::string_view text, std::size_t limit) {
    if (text.size() <= limit) return text.size();
    // text[limit] is the first byte left out; when it continues a sequence, leave out the
    // whole sequence.
    std::size_t n = limit;
    while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
    return n;
}

}  // namespace velmora
