#pragma once
// Explicit byte-order reading and writing of numbers in file images. Workspace files are
// big-endian; the preferences block and foreign import files are little-endian.

#include <bit>
#include <cstdint>
#include <cstring>

namespace velmora {

inline std::uint32_t GetU32BE(const std::uint8_t* p) {
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 |
           std::uint32_t{p[3]};
}
inline std::int32_t GetI32BE(const std::uint8_t* p) {
    return static_cast<std::int32_t>(GetU32BE(p));
}
inline float GetF32BE(const std::uint8_t* p) {
    return std::bit_cast<float>(GetU32BE(p));
}
inline std::uint64_t GetU64BE(const std::uint8_t* p) {
    return std::uint64_t{GetU32BE(p)} << 32 | GetU32BE(p + 4);
}
inline double GetF64BE(const std::uint8_t* p) {
    return std::bit_cast<double>(GetU64BE(p));
}

inline void PutU32BE(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v >> 24);
    p[1] = static_cast<std::uint8_t>(v >> 16);
    p[2] = static_cast<std::uint8_t>(v >> 8);
    p[3] = static_cast<std::uint8_t>(v);
}
inline void PutI32BE(std::uint8_t* p, std::int32_t v) {
    PutU32BE(p, static_cast<std::uint32_t>(v));
}
inline void PutF32BE(std::uint8_t* p, float v) {
    PutU32BE(p, std::bit_cast<std::uint32_t>(v));
}
inline void PutU64BE(std::uint8_t* p, std::uint64_t v) {
    PutU32BE(p, static_cast<std::uint32_t>(v >> 32));
    PutU32BE(p + 4, static_cast<std::uint32_t>(v));
}
inline void PutF64BE(std::uint8_t* p, double v) {
    PutU64BE(p, std::bit_cast<std::uint64_t>(v));
}

inline std::uint16_t GetU16LE(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}
inline std::uint32_t GetU32LE(const std::uint8_t* p) {
    return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
           std::uint32_t{p[3]} << 24;
}
inline std::int32_t GetI32LE(const std::uint8_t* p) {
    return static_cast<std::int32_t>(GetU32LE(p));
}
inline float GetF32LE(const std::uint8_t* p) {
    return std::bit_cast<float>(GetU32LE(p));
}
inline void PutU16LE(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}
inline void PutU32LE(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}
inline void PutI32LE(std::uint8_t* p, std::int32_t v) {
    PutU32LE(p, static_cast<std::uint32_t>(v));
}
inline void PutF32LE(std::uint8_t* p, float v) {
    PutU32LE(p, std::bit_cast<std::uint32_t>(v));
}

}  // namespace velmora
