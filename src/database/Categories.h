#pragma once
// The four fixed category tables that stocks refer to by index.

#include <array>
#include <cstdint>
#include <vector>

#include "database/FixedText.h"
#include "database/Stock.h"

namespace velmora {

struct Market {
    FixedText<40> Name;
    FixedText<16> RSBase;          // relative-strength base index ticker
    FixedText<16> BetaBase;        // beta base index ticker
    FixedText<16> CompositesBase;  // composites base index ticker
    FixedText<128> ProfileTemplate;
    FixedText<128> NewsTemplate;
    std::vector<ADQuotation> ADQuotations;  // ascending by date, at most one per date
};

struct Group {
    FixedText<40> Name;
    FixedText<16> RSBase;
};

struct Sector {
    FixedText<40> Name;
};

struct Industry {
    FixedText<40> Name;
    FixedText<16> RSBase;
    std::int32_t SectorID = 0;
};

inline constexpr int kMarketCount = 256;
inline constexpr int kGroupCount = 256;
inline constexpr int kSectorCount = 32;
inline constexpr int kIndustryCount = 256;

struct CategoryTables {
    std::array<Market, kMarketCount> Markets;
    std::array<Group, kGroupCount> Groups;
    std::array<Sector, kSectorCount> Sectors;
    std::array<Industry, kIndustryCount> Industries;

    // Every entry gets "Market %d", "Group %d", "Sector %d" or "Industry %d"; the other fields
    // and the advance/decline data are cleared.
    void SetDefaultNames();
};

}  // namespace velmora
