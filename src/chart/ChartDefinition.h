#pragma once
// What a chart is, program-wide: its id, painter, name, formula, reference grid and scaling.
// Panes refer to a definition by id. The table holds the 19 built-in charts followed by the
// custom (formula-driven) charts; its custom rows are what the charts file keeps.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace velmora {

struct PaneContext;
struct ChartDefinition;

// Draws one pane; the definition being painted is context.definition.
using PanePainter = std::function<void(PaneContext& context)>;

inline constexpr int kPriceChartId = 1;
inline constexpr int kFirstCustomChartId = 1000;
inline constexpr int kCustomChartCount = 20;
inline constexpr std::size_t kChartNameLimit = 39;  // bytes; the name buffer holds 40
inline constexpr int kNoMarker = -1000;
// scaleFlags bit 0: the bounds come from the data.
inline constexpr std::uint32_t kAutomaticScaling = 1;

struct ChartDefinition {
    std::int32_t id = 0;
    PanePainter painter;
    std::string name;
    std::optional<std::string> formula;
    std::int32_t gridFlags = 0;
    float scaleMin = 0;
    float scaleMax = 0;
    std::array<std::int32_t, 4> reserved{};
    std::uint32_t scaleFlags = 0;
    std::array<std::int32_t, 2> reserved2{};
    PaneContext* pane = nullptr;  // set only while a pane of this chart paints
    std::int32_t markerX = kNoMarker;

    bool IsCustom() const { return id >= kFirstCustomChartId; }
    bool AutomaticScaling() const { return (scaleFlags & kAutomaticScaling) != 0; }
    // Stores at most kChartNameLimit bytes, never splitting a UTF-8 sequence.
    void SetName(std::string_view text);
};

// Painters of the built-in charts and of the formula-driven charts; an empty one paints
// nothing. Filled by whoever builds the table (the chart library supplies the price painter).
struct ChartPainters {
    std::array<PanePainter, 20> builtIn;  // index = id (1..19)
    PanePainter formula;
};

class ChartTable {
  public:
    // The 19 built-in rows followed by `customCount` custom rows ("Custom 0", ...).
    explicit ChartTable(const ChartPainters& painters = DefaultPainters(),
                        int customCount = kCustomChartCount);
    // The price and indicator painters of this library; the formula-driven ones empty.
    static ChartPainters DefaultPainters();

    int Count() const { return static_cast<int>(rows_.size()); }
    ChartDefinition& At(int index) { return rows_[static_cast<std::size_t>(index)]; }
    const ChartDefinition& At(int index) const { return rows_[static_cast<std::size_t>(index)]; }
    ChartDefinition* FindById(int id);
    const ChartDefinition* FindById(int id) const;
    // Calls fn for every definition in table order, or only for those with a pane reference.
    void ForEach(const std::function<void(ChartDefinition&)>& fn, bool onlyWithPane = false);

    std::vector<ChartDefinition>& Rows() { return rows_; }
    const std::vector<ChartDefinition>& Rows() const { return rows_; }

  private:
    std::vector<ChartDefinition> rows_;
};

}  // namespace velmora
