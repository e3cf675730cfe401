#pragma once
// Helpers of the indicator tests: series builders and a matcher for arrays with EMPTY bars.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "formula/IndicatorMath.h"

namespace velmora::test {

inline constexpr float E = indicators::EMPTY;

using Series = std::vector<float>;

inline Series Prepend(int empties, const Series& v) {
    Series out(static_cast<std::size_t>(empties), E);
    out.insert(out.end(), v.begin(), v.end());
    return out;
}

// Compares element by element: EMPTY must match exactly, numbers within tolerance.
inline ::testing::AssertionResult SeriesNear(const Series& actual, const Series& expected,
                                             float tolerance = 1e-4f) {
    if (actual.size() != expected.size()) {
        return ::testing::AssertionFailure()
               << "size " << actual.size() << " vs " << expected.size();
    }
    for (std::size_t i = 0; i < actual.size(); ++i) {
        const bool emptyA = actual[i] == E;
        const bool emptyE = expected[i] == E;
        if (emptyA != emptyE ||
            (!emptyE && !(std::fabs(actual[i] - expected[i]) <=
                          tolerance * std::max(1.0f, std::fabs(expected[i]))))) {
            return ::testing::AssertionFailure()
                   << "bar " << i << ": "
                   << (emptyA ? std::string("EMPTY") : std::to_string(actual[i])) << " expected "
                   << (emptyE ? std::string("EMPTY") : std::to_string(expected[i]));
        }
    }
    return ::testing::AssertionSuccess();
}

// Runs a routine of one input and one output over v.
template <typename F>
Series Apply(const Series& v, F f) {
    Series out(v.size(), 12345.0f);
    f(static_cast<int>(v.size()), v.data(), out.data());
    return out;
}

}  // namespace velmora::test
