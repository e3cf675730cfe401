#pragma once
// The one-argument math functions of QRX (sin, ln, sqrt, round, ...): each takes and gives a
// double; the engine widens the 32-bit value before the call and narrows the result after it.

#include <span>

namespace velmora {

using MathRoutine = double (*)(double);

struct MathFunction {
    const char* name;
    MathRoutine routine;
};

// In registration order.
std::span<const MathFunction> MathFunctions();

}  // namespace velmora
