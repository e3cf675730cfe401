#pragma once
// The user's preferences: one 664-byte little-endian block, kept whole so that reserved bytes
// survive a load and a save, with a readable accessor for every field.

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace velmora {

// The 20 colour settings, in block order.
enum class ColourSetting : int {
    Price,
    ShortTimeAverage,
    MidTimeAverage,
    LongTimeAverage,
    BollingerBands,
    Turnover,
    Volume,
    Oscillator,
    Signal,
    Grid,
    Background,
    RiskYieldMap,
    Tooltips,
    Axes,
    Histogram,
    SecondOscillator,
    Parabolic,
    UpCandlestick,
    DownCandlestick,
    Study,
};
inline constexpr int kColourSettingCount = 20;
inline constexpr int kPaletteSize = 16;

class Preferences {
  public:
    static constexpr std::size_t kBlockSize = 664;
    using Block = std::array<std::uint8_t, kBlockSize>;

    Preferences() { SetDefaults(); }
    void SetDefaults();

    const Block& Raw() const { return block_; }
    Block& Raw() { return block_; }

    // Main chart
    bool FatLineChart() const { return Int(0) != 0; }
    void SetFatLineChart(bool v) { SetInt(0, v); }
    bool MarkQuotations() const { return Int(4) != 0; }
    void SetMarkQuotations(bool v) { SetInt(4, v); }
    int VolumeBarChartType() const { return Word(8); }  // 0 Volume, 1 Turnover, 2 None
    void SetVolumeBarChartType(int v) { SetWord(8, v); }
    bool ShortTimeShown() const { return Int(10) != 0; }
    void SetShortTimeShown(bool v) { SetInt(10, v); }
    int ShortTimePeriods() const { return Word(14); }
    void SetShortTimePeriods(int v) { SetWord(14, v); }
    bool MidTimeShown() const { return Int(16) != 0; }
    void SetMidTimeShown(bool v) { SetInt(16, v); }
    int MidTimePeriods() const { return Word(20); }
    void SetMidTimePeriods(int v) { SetWord(20, v); }
    bool BollingerShown() const { return Int(22) != 0; }
    void SetBollingerShown(bool v) { SetInt(22, v); }
    int BollingerWidth() const { return Word(26); }  // percent
    void SetBollingerWidth(int v) { SetWord(26, v); }
    bool LogarithmicScale() const { return Int(294) != 0; }
    void SetLogarithmicScale(bool v) { SetInt(294, v); }
    bool LongTimeShown() const { return Int(302) != 0; }
    void SetLongTimeShown(bool v) { SetInt(302, v); }
    int LongTimePeriods() const { return Word(306); }
    void SetLongTimePeriods(int v) { SetWord(306, v); }
    int ShortTimeAverageType() const { return Word(638); }
    void SetShortTimeAverageType(int v) { SetWord(638, v); }
    int MidTimeAverageType() const { return Word(640); }
    void SetMidTimeAverageType(int v) { SetWord(640, v); }
    int LongTimeAverageType() const { return Word(642); }
    void SetLongTimeAverageType(int v) { SetWord(642, v); }
    bool AddParabolicSar() const { return Int(654) != 0; }
    void SetAddParabolicSar(bool v) { SetInt(654, v); }
    int DefaultStyle() const { return Word(658); }
    void SetDefaultStyle(int v) { SetWord(658, v); }

    // Indicators
    int RocRange() const { return Word(28); }
    void SetRocRange(int v) { SetWord(28, v); }
    int RsiRange() const { return Word(30); }
    void SetRsiRange(int v) { SetWord(30, v); }
    int MacdFast() const { return Word(32); }
    void SetMacdFast(int v) { SetWord(32, v); }
    int MacdSlow() const { return Word(34); }
    void SetMacdSlow(int v) { SetWord(34, v); }
    int MacdSignal() const { return Word(36); }
    void SetMacdSignal(int v) { SetWord(36, v); }
    int StochasticRange() const { return Word(38); }
    void SetStochasticRange(int v) { SetWord(38, v); }
    int UltimateFast() const { return Word(40); }
    void SetUltimateFast(int v) { SetWord(40, v); }
    int UltimateMedium() const { return Word(42); }
    void SetUltimateMedium(int v) { SetWord(42, v); }
    int UltimateSlow() const { return Word(44); }
    void SetUltimateSlow(int v) { SetWord(44, v); }
    int TrixRange() const { return Word(300); }
    void SetTrixRange(int v) { SetWord(300, v); }
    int VolumeAveragePeriods() const { return Word(308); }
    void SetVolumeAveragePeriods(int v) { SetWord(308, v); }
    std::string DefaultRSBase() const { return Text(310, 32); }
    void SetDefaultRSBase(std::string_view v) { SetText(310, 32, v); }
    int CciRange() const { return Word(348); }
    void SetCciRange(int v) { SetWord(348, v); }
    int CciAveragePeriods() const { return Word(350); }
    void SetCciAveragePeriods(int v) { SetWord(350, v); }
    int TrinFast() const { return Word(634); }
    void SetTrinFast(int v) { SetWord(634, v); }
    int TrinSlow() const { return Word(636); }
    void SetTrinSlow(int v) { SetWord(636, v); }

    // Other indicators
    int DmiAdxRange() const { return Word(644); }
    void SetDmiAdxRange(int v) { SetWord(644, v); }
    float ParabolicStep() const { return Float(646); }
    void SetParabolicStep(float v) { SetFloat(646, v); }
    float ParabolicMaximum() const { return Float(650); }
    void SetParabolicMaximum(float v) { SetFloat(650, v); }

    // Colours: settings are palette indices; the palette holds 12-bit colours 0x0RGB.
    int Colour(ColourSetting s) const { return Word(48 + 2 * static_cast<int>(s)); }
    int ColourAt(int index) const { return Word(48 + 2 * index); }
    void SetColourAt(int index, int v) { SetWord(48 + 2 * index, v); }
    int PaletteEntry(int index) const { return Word(88 + 2 * index); }
    // The 12-bit colour a setting shows: its palette entry, or the entry of the setting's
    // default index when a damaged block names no palette entry.
    int ColourValue(ColourSetting s) const;
    void SetPaletteEntry(int index, int v) { SetWord(88 + 2 * index, v); }

    // Miscellaneous
    bool AutoArrangeCharts() const { return Int(290) != 0; }
    void SetAutoArrangeCharts(bool v) { SetInt(290, v); }
    int DefaultQuotationsInChart() const { return Word(298); }
    void SetDefaultQuotationsInChart(int v) { SetWord(298, v); }
    bool LimitSavedQuotations() const { return Int(342) != 0; }
    void SetLimitSavedQuotations(bool v) { SetInt(342, v); }
    int LimitSavedMax() const { return Word(346); }
    void SetLimitSavedMax(int v) { SetWord(346, v); }
    bool FullNameTooltipsInTree() const { return Int(352) != 0; }
    void SetFullNameTooltipsInTree(bool v) { SetInt(352, v); }
    std::string DefaultDatabasePath() const { return Text(362, 256); }
    void SetDefaultDatabasePath(std::string_view v) { SetText(362, 256, v); }
    bool PriceDataTooltips() const { return Int(618) != 0; }
    void SetPriceDataTooltips(bool v) { SetInt(618, v); }
    bool LoadAllQuotesWhenSelected() const { return Int(622) != 0; }
    void SetLoadAllQuotesWhenSelected(bool v) { SetInt(622, v); }
    bool PartialLoading() const { return Int(626) != 0; }
    void SetPartialLoading(bool v) { SetInt(626, v); }
    int LoadUpto() const { return Int(630); }
    void SetLoadUpto(int v) { SetInt(630, v); }
    bool FullNameInTree() const { return Word(660) != 0; }
    void SetFullNameInTree(bool v) { SetWord(660, v); }
    bool FullNameInTickerBox() const { return Word(662) != 0; }
    void SetFullNameInTickerBox(bool v) { SetWord(662, v); }

    // Typed access at a byte offset of the block (little-endian).
    std::int32_t Int(std::size_t offset) const;
    void SetInt(std::size_t offset, std::int32_t v);
    int Word(std::size_t offset) const;
    void SetWord(std::size_t offset, int v);
    float Float(std::size_t offset) const;
    void SetFloat(std::size_t offset, float v);
    std::string Text(std::size_t offset, std::size_t size) const;
    void SetText(std::size_t offset, std::size_t size, std::string_view v);

  private:
    Block block_{};
};

}  // namespace velmora
