#include "portfolio/CommissionTable.h"

namespace velmora {

double CommissionTable::Commission(double value) const {
    if (value < Thresholds[0]) return Base[0];
    // The first band whose upper threshold lies above the value; band 4 has none.
    std::size_t band = 1;
    while (band < kBands - 1 && !(value < Thresholds[band])) ++band;
    return (value - Thresholds[band - 1]) * Percent[band] + Base[band];
}

}  // namespace velmora
