#pragma once
// Checks a formula text without the user's data: runs it over a short generated price series,
// so that the errors only evaluation finds (an unknown identifier, a wrong argument count or
// kind) are found as well as syntax errors, and gives every error with its position. Nothing
// is shown to the user. The formula editor checks as the user types, `velmora-cli check`
// checks files.

#include <string_view>
#include <vector>

#include "formula/FormulaEngine.h"

namespace velmora {

// The errors of the text, in the order they were met; none for a sound formula.
std::vector<FormulaDiagnostic> CheckFormula(std::string_view text);

}  // namespace velmora
