#include "formula/Kernels.h"

#include <algorithm>
#include <cmath>

namespace velmora {

namespace {

struct Add {
    float operator()(float x, float y) const { return x + y; }
};
struct Sub {
    float operator()(float x, float y) const { return x - y; }
};
struct Mul {
    float operator()(float x, float y) const { return x * y; }
};
struct Div {
    float operator()(float x, float y) const { return y == 0.0f ? 0.0f : x / y; }
};
struct Pow {
    float operator()(float x, float y) const {
        return static_cast<float>(std::pow(static_cast<double>(x), static_cast<double>(y)));
    }
};
struct Lt {
    float operator()(float x, float y) const { return x < y ? 1.0f : 0.0f; }
};
struct Gt {
    float operator()(float x, float y) const { return x > y ? 1.0f : 0.0f; }
};
struct Le {
    float operator()(float x, float y) const { return x <= y ? 1.0f : 0.0f; }
};
struct Ge {
    float operator()(float x, float y) const { return x >= y ? 1.0f : 0.0f; }
};
struct Eq {
    float operator()(float x, float y) const { return x == y ? 1.0f : 0.0f; }
};
struct Ne {
    float operator()(float x, float y) const { return x != y ? 1.0f : 0.0f; }
};
struct And {
    float operator()(float x, float y) const { return ((x != 0.0f) & (y != 0.0f)) ? 1.0f : 0.0f; }
};
struct Or {
    float operator()(float x, float y) const { return ((x != 0.0f) | (y != 0.0f)) ? 1.0f : 0.0f; }
};

template <class F>
float Kernel(float x, float y, F f) {
    const float r = f(x, y);
    return ((x == EMPTY) | (y == EMPTY)) ? EMPTY : r;
}

template <class F>
void LoopAA(const float* __restrict a, const float* __restrict b, float* __restrict out,
            std::size_t n, F f) {
    for (std::size_t i = 0; i < n; ++i) out[i] = Kernel(a[i], b[i], f);
}

template <class F>
void LoopAS(const float* __restrict a, float b, float* __restrict out, std::size_t n, F f) {
    if (b == EMPTY) {
        std::fill(out, out + n, EMPTY);
        return;
    }
    for (std::size_t i = 0; i < n; ++i) {
        const float x = a[i];
        const float r = f(x, b);
        out[i] = x == EMPTY ? EMPTY : r;
    }
}

template <class F>
void LoopSA(float a, const float* __restrict b, float* __restrict out, std::size_t n, F f) {
    if (a == EMPTY) {
        std::fill(out, out + n, EMPTY);
        return;
    }
    for (std::size_t i = 0; i < n; ++i) {
        const float y = b[i];
        const float r = f(a, y);
        out[i] = y == EMPTY ? EMPTY : r;
    }
}

// Calls body(functor) with the functor of the operator.
template <class Body>
void Dispatch(BinaryOperator op, Body&& body) {
    switch (op) {
        case BinaryOperator::Add:
            return body(Add{});
        case BinaryOperator::Sub:
            return body(Sub{});
        case BinaryOperator::Mul:
            return body(Mul{});
        case BinaryOperator::Div:
            return body(Div{});
        case BinaryOperator::Pow:
            return body(Pow{});
        case BinaryOperator::Lt:
            return body(Lt{});
        case BinaryOperator::Gt:
            return body(Gt{});
        case BinaryOperator::Le:
            return body(Le{});
        case BinaryOperator::Ge:
            return body(Ge{});
        case BinaryOperator::Eq:
            return body(Eq{});
        case BinaryOperator::Ne:
            return body(Ne{});
        case BinaryOperator::And:
            return body(And{});
        case BinaryOperator::Or:
            return body(Or{});
    }
}

}  // namespace

float ScalarOp(BinaryOperator op, float a, float b) {
    float result = EMPTY;
    Dispatch(op, [&](auto f) { result = Kernel(a, b, f); });
    return result;
}

void ArrayArrayOp(BinaryOperator op, const float* a, const float* b, float* out, std::size_t n) {
    Dispatch(op, [&](auto f) { LoopAA(a, b, out, n, f); });
}

void ArrayScalarOp(BinaryOperator op, const float* a, float b, float* out, std::size_t n) {
    Dispatch(op, [&](auto f) { LoopAS(a, b, out, n, f); });
}

void ScalarArrayOp(BinaryOperator op, float a, const float* b, float* out, std::size_t n) {
    Dispatch(op, [&](auto f) { LoopSA(a, b, out, n, f); });
}

}  // namespace velmora
