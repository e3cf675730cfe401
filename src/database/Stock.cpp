#include "database/Stock.h"

namespace velmora {

std::string MarkText(std::uint8_t mark) {
    static const char* const kTexts[] = {"", "nk", "ns", "rk", "rs", "ok", "os", "z", "bd", "zd"};
    if (mark < 10) return kTexts[mark];
    return std::string(1, static_cast<char>(mark));
}

int GetMarketID(const Stock& s) {
    const std::uint32_t w = static_cast<std::uint32_t>(s.CategoryWord);
    return static_cast<int>(((w & 0xFFFCu) >> 1) + (w & 1u));
}

void SetMarketID(Stock& s, int id) {
    const std::uint32_t w = static_cast<std::uint32_t>(s.CategoryWord);
    const std::uint32_t u = static_cast<std::uint32_t>(id);
    s.CategoryWord =
        static_cast<std::int32_t>((w & 0xFFFF0002u) | (((u << 1) & 0xFFFCu) + (u & 1u)));
}

int GetGroupID(const Stock& s) {
    return static_cast<std::int16_t>(static_cast<std::uint32_t>(s.CategoryWord) >> 16);
}

void SetGroupID(Stock& s, int id) {
    const std::uint32_t w = static_cast<std::uint32_t>(s.CategoryWord);
    s.CategoryWord =
        static_cast<std::int32_t>((w & 0xFFFFu) | (static_cast<std::uint32_t>(id) << 16));
}

bool GetContinuous(const Stock& s) {
    return (s.CategoryWord & 2) != 0;
}

void SetContinuous(Stock& s, bool on) {
    s.CategoryWord = on ? (s.CategoryWord | 2) : (s.CategoryWord & ~2);
}

}  // namespace velmora
