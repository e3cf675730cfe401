#pragma once
// The commission and tax table: five bands of transaction value split at four thresholds, each
// band with a base amount and a percentage (held as a fraction) of the value above its lower
// threshold. It is also the backtester's default commission model.

#include <array>

namespace velmora {

struct CommissionTable {
    static constexpr int kThresholds = 4;
    static constexpr int kBands = 5;

    std::array<double, kThresholds> Thresholds{};  // t1..t4, ascending
    std::array<double, kBands> Base{};             // b0..b4
    std::array<double, kBands> Percent{};          // p0..p4, fractions (0.01 = 1 percent)

    // The commission on a transaction of the value: b0 below t1; in band k (t_k <= v below
    // the next threshold, or above t4 for k = 4) (v - t_k) * p_k + b_k. The band-0 percentage
    // is kept but takes no part.
    double Commission(double value) const;

    bool operator==(const CommissionTable&) const = default;
};

// Why the first band's percentage (p0) cannot be edited: the windows and the command line say
// so where they show it.
inline constexpr char kUnusedFirstPercent[] =
    "Not used: below the first threshold the commission is the base amount alone. "
    "The percentage is kept as stored.";

}  // namespace velmora
