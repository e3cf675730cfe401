#pragma once
// Weekly and monthly bars made from a stock's daily quotations, for the formula evaluation and
// the charts at those periodicities.

#include <memory>
#include <optional>
#include <string_view>

#include "database/Stock.h"

namespace velmora {

enum class Periodicity { Daily = 0, Weekly = 1, Monthly = 2 };

// "daily", "weekly" or "monthly".
std::optional<Periodicity> ParsePeriodicity(std::string_view text);

// A copy of the stock (same header, "continuous quotations" set) whose quotations are one bar
// per week (Monday to Sunday) or per calendar month, in date order. A bar is dated by the first
// trading day of its period and takes that day's open; its close is the last day's close, its
// high and low the extremes, its volume and open interest the sums (held at the 32-bit limits).
// Daily gives a plain copy.
std::unique_ptr<Stock> CompressQuotations(const Stock& stock, Periodicity periodicity);

}  // namespace velmora
