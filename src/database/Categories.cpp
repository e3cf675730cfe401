#include "database/Categories.h"

#include <cstdio>

namespace velmora {

namespace {
template <std::size_t N>
void Numbered(FixedText<N>& field, const char* format, int i) {
    char buf[48];
    std::snprintf(buf, sizeof buf, format, i);
    field.Set(buf);
}
}  // namespace

void CategoryTables::SetDefaultNames() {
    for (int i = 0; i < kMarketCount; ++i) {
        Markets[i] = Market{};
        Numbered(Markets[i].Name, "Market %d", i);
    }
    for (int i = 0; i < kGroupCount; ++i) {
        Groups[i] = Group{};
        Numbered(Groups[i].Name, "Group %d", i);
    }
    for (int i = 0; i < kSectorCount; ++i) {
        Sectors[i] = Sector{};
        Numbered(Sectors[i].Name, "Sector %d", i);
    }
    for (int i = 0; i < kIndustryCount; ++i) {
        Industries[i] = Industry{};
        Numbered(Industries[i].Name, "Industry %d", i);
    }
}

}  // namespace velmora
