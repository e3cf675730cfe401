#pragma once
// Parameters marked for optimisation: a call optimize("name", default, min, max, step) gives
// its default in every ordinary run, and the value assigned to its name in a run that is given
// an assignment (FormulaEngine::SetParameters). The optimiser finds the parameters by reading
// the formula's calls; their five arguments must be written out (a number may carry a minus
// sign).

#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Status.h"

namespace velmora {

// Parameter name -> the value its optimize() calls give.
using FormulaParameters = std::map<std::string, float, std::less<>>;

struct OptimizeParameter {
    std::string Name;
    float Default = 0;
    float Min = 0;
    float Max = 0;
    float Step = 0;
    int Line = 1;  // of its first call, 1 for the formula's first line
};

// The formula's parameters in the order of their first calls; a name called more than once is
// one parameter. Fails, naming the call's line, when a call's arguments are not written out,
// when its step is not above 0 or its min is above its max, or when two calls of one name give
// different ranges.
Result<std::vector<OptimizeParameter>> FindOptimizeParameters(std::string_view formula);

// How many values the parameter takes: min, min + step, ... up to max (a step that reaches max
// only by a rounding error still reaches it). At most `limit` + 1 is counted.
std::size_t ParameterValueCount(const OptimizeParameter& p, std::size_t limit);
// Value k of the parameter (0 is min), as the formula reads it written out: min + k * step
// is written with ten digits and read back, so that 0.1 + 2 * 0.1 is 0.3.
float ParameterValue(const OptimizeParameter& p, std::size_t k);
// The shortest text of a value that the formula reads back as that value: "15", "0.3", "-2.5".
std::string ParameterText(float value);

}  // namespace velmora
