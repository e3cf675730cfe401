#include "database/Preferences.h"

#include <cstring>

#include "database/ByteOrder.h"
#include "database/FixedText.h"

namespace velmora {

namespace {
constexpr int kDefaultColours[kColourSettingCount] = {1, 4, 6, 5, 2, 5, 3, 4, 6, 1,
                                                      0, 7, 7, 1, 1, 8, 7, 0, 1, 7};
constexpr int kDefaultPalette[kPaletteSize] = {0xAAA, 0x000, 0xFFF, 0x68B, 0xF00, 0x0F0,
                                               0x00F, 0xFF0, 0x0F0, 0xFB0, 0x0FF, 0xF0F,
                                               0x60A, 0xEA9, 0xBEF, 0xC46};
}  // namespace

int Preferences::ColourValue(ColourSetting s) const {
    int index = Colour(s);
    if (index < 0 || index >= kPaletteSize) index = kDefaultColours[static_cast<int>(s)];
    return PaletteEntry(index) & 0xFFF;
}

void Preferences::SetDefaults() {
    block_.fill(0);
    SetMarkQuotations(true);
    SetShortTimeShown(true);
    SetShortTimePeriods(15);
    SetMidTimeShown(true);
    SetMidTimePeriods(45);
    SetBollingerShown(true);
    SetBollingerWidth(200);
    SetRocRange(10);
    SetRsiRange(9);
    SetMacdFast(12);
    SetMacdSlow(26);
    SetMacdSignal(9);
    SetStochasticRange(14);
    SetUltimateFast(7);
    SetUltimateMedium(14);
    SetUltimateSlow(28);
    for (int i = 0; i < kColourSettingCount; ++i) SetColourAt(i, kDefaultColours[i]);
    for (int i = 0; i < kPaletteSize; ++i) SetPaletteEntry(i, kDefaultPalette[i]);
    SetAutoArrangeCharts(true);
    SetDefaultQuotationsInChart(159);
    SetTrixRange(9);
    SetLongTimeShown(true);
    SetLongTimePeriods(100);
    SetVolumeAveragePeriods(15);
    SetDefaultRSBase("WIG");
    SetLimitSavedMax(300);
    SetCciRange(14);
    SetCciAveragePeriods(9);
    SetFullNameTooltipsInTree(true);
    SetDefaultDatabasePath("data");
    SetPriceDataTooltips(true);
    SetLoadUpto(250);
    SetTrinFast(15);
    SetTrinSlow(45);
    SetDmiAdxRange(14);
    SetParabolicStep(0.02f);
    SetParabolicMaximum(0.2f);
}

std::int32_t Preferences::Int(std::size_t offset) const {
    return GetI32LE(&block_[offset]);
}
void Preferences::SetInt(std::size_t offset, std::int32_t v) {
    PutI32LE(&block_[offset], v);
}
int Preferences::Word(std::size_t offset) const {
    return GetU16LE(&block_[offset]);
}
void Preferences::SetWord(std::size_t offset, int v) {
    PutU16LE(&block_[offset], static_cast<std::uint16_t>(v));
}
float Preferences::Float(std::size_t offset) const {
    return GetF32LE(&block_[offset]);
}
void Preferences::SetFloat(std::size_t offset, float v) {
    PutF32LE(&block_[offset], v);
}

std::string Preferences::Text(std::size_t offset, std::size_t size) const {
    const char* p = reinterpret_cast<const char*>(&block_[offset]);
    const void* nul = std::memchr(p, 0, size);
    // A field without a terminator gives up its last byte, as a zero-terminated field would.
    return std::string(
        p, nul ? static_cast<const char*>(nul) - p : Utf8Cut(std::string_view(p, size), size - 1));
}

void Preferences::SetText(std::size_t offset, std::size_t size, std::string_view v) {
    const std::size_t n = Utf8Cut(v, size - 1);
    std::memset(&block_[offset], 0, size);
    std::memcpy(&block_[offset], v.data(), n);
}

}  // namespace velmora
