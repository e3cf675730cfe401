#pragma once
// The scalar kernel of the QRX operators and its element-wise loops. For a and b:
// EMPTY in either gives EMPTY; + - * as computed in 32-bit floats; "/" gives 0 for a zero
// divisor; "^" is the C library power; comparisons, AND and OR give 1 or 0.
// The loops are branch-free so that the compiler can vectorise them.

#include <cstddef>

#include "formula/Evaluator.h"

namespace velmora {

float ScalarOp(BinaryOperator op, float a, float b);
// out[i] = a[i] op b[i]
void ArrayArrayOp(BinaryOperator op, const float* a, const float* b, float* out, std::size_t n);
// out[i] = a[i] op b
void ArrayScalarOp(BinaryOperator op, const float* a, float b, float* out, std::size_t n);
// out[i] = a op b[i]
void ScalarArrayOp(BinaryOperator op, float a, const float* b, float* out, std::size_t n);

}  // namespace velmora
