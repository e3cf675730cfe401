#pragma once
// The values that QRX expressions pass around: nothing (after a reported error), a number, an
// array with one 32-bit float per bar (index 0 the oldest bar) or a text. A value does not own
// its payload: arrays and texts live in the run's memory pool (MemArray) until the run ends,
// and several values and variables may refer to the same array.

#include <cstdint>

namespace velmora {

// The marker of a bar without a value. Compared exactly: -1e10 has one float representation.
inline constexpr float EMPTY = -1e10f;

inline bool IsEmptyValue(float v) {
    return v == EMPTY;
}
// The truth test of signal arrays: neither EMPTY nor 0.
inline bool IsTrue(float v) {
    return v != EMPTY && v != 0.0f;
}

enum class ValueType : std::uint8_t { None = 0, Number = 1, Array = 2, String = 3 };

struct Value {
    ValueType type = ValueType::None;
    float number = 0.0f;         // Number
    float* array = nullptr;      // Array: as many floats as the bound stock has bars
    const char* text = nullptr;  // String: zero-terminated

    static Value None() { return {}; }
    static Value Number(float v) { return {ValueType::Number, v, nullptr, nullptr}; }
    static Value Array(float* a) { return {ValueType::Array, 0.0f, a, nullptr}; }
    static Value String(const char* s) { return {ValueType::String, 0.0f, nullptr, s}; }

    bool IsNone() const { return type == ValueType::None; }
    bool IsNumber() const { return type == ValueType::Number; }
    bool IsArray() const { return type == ValueType::Array; }
    bool IsString() const { return type == ValueType::String; }
};

}  // namespace velmora
