#include "chart/Canvas.h"

#include <utility>

#include "database/Preferences.h"

namespace velmora {

namespace {

constexpr std::array<int, 16> kDefaultPalette = {0xAAA, 0x000, 0xFFF, 0x68B, 0xF00, 0x0F0,
                                                 0x00F, 0xFF0, 0x0F0, 0xFB0, 0x0FF, 0xF0F,
                                                 0x60A, 0xEA9, 0xBEF, 0xC46};

// Up arrow: the tip on the top row; down arrow: the tip near the bottom, so that both stand a
// few pixels off the bar they mark.
constexpr std::array<const char*, 16> kBuyRows = {
    "  #             ", " ###            ", "#####           ", "#####           ",
    " ###            ", " ###            ", " ###            ", " ###            ",
    " ###            ", " ###            ", "                ", "                ",
    "                ", "                ", "                ", "                "};
constexpr std::array<const char*, 16> kSellRows = {
    " ###            ", " ###            ", " ###            ", " ###            ",
    " ###            ", " ###            ", "#####           ", "#####           ",
    " ###            ", "  #             ", "                ", "                ",
    "                ", "                ", "                ", "                "};

}  // namespace

ChartPalette::ChartPalette() : entries_(kDefaultPalette) {}

ChartPalette ChartPalette::FromPreferences(const Preferences& prefs) {
    ChartPalette p;
    for (int i = 0; i < 16; ++i) p.SetEntry(i, prefs.PaletteEntry(i));
    return p;
}

std::uint32_t ChartPalette::Rgb(int index) const {
    const int c = Entry(index);
    const std::uint32_t r = static_cast<std::uint32_t>((c >> 8) & 0xF) * 17;
    const std::uint32_t g = static_cast<std::uint32_t>((c >> 4) & 0xF) * 17;
    const std::uint32_t b = static_cast<std::uint32_t>(c & 0xF) * 17;
    return r << 16 | g << 8 | b;
}

void ChartPalette::SwapForPrinting() {
    std::swap(entries_[0], entries_[2]);
}

const std::array<const char*, 16>& PictureRows(ChartPicture picture) {
    return picture == ChartPicture::BuyArrow ? kBuyRows : kSellRows;
}

std::uint32_t PictureColour(ChartPicture picture) {
    return picture == ChartPicture::BuyArrow ? 0x00A000 : 0xE00000;
}

}  // namespace velmora
