#pragma once
// The marker of an array element without a value, under the name the charts and the backtest
// use (the formula engine calls it EMPTY). One definition, so that both can be included
// together.

namespace velmora {

inline constexpr float kEmptyValue = -1e10f;

}  // namespace velmora
