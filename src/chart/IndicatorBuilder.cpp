#include "chart/IndicatorBuilder.h"

#include <optional>

#include "chart/SeriesPlot.h"
#include "formula/FormulaFile.h"

namespace velmora {

namespace {

constexpr std::array<GridLineBox, 9> kGridLineBoxes = {{
    {"Level 0", "level0", GridFlags::kLevel0},
    {"Limits", "limits", GridFlags::kLimitMin | GridFlags::kLimitMax},
    {"50", "50", GridFlags::k50},
    {"Percent", "percent", GridFlags::kPercent},
    {"+30/70", "30/70", GridFlags::k30 | GridFlags::k70},
    {"+20/80", "20/80", GridFlags::k20 | GridFlags::k80},
    {"+/-100", "100", GridFlags::k100},
    {"+10/90", "10/90", GridFlags::k10 | GridFlags::k90},
    {"Middle", "middle", GridFlags::kMiddle},
}};

}  // namespace

const std::array<GridLineBox, 9>& GridLineBoxes() {
    return kGridLineBoxes;
}

bool GridBoxTicked(std::int32_t gridFlags, const GridLineBox& box) {
    return (gridFlags & box.bits) != 0;
}

std::int32_t SetGridBox(std::int32_t gridFlags, const GridLineBox& box, bool ticked) {
    return ticked ? gridFlags | box.bits : gridFlags & ~box.bits;
}

IndicatorFields LoadIndicatorFields(const ChartDefinition& definition) {
    IndicatorFields f;
    f.formula = definition.formula.value_or(std::string());
    f.automatic = definition.AutomaticScaling();
    f.scaleMin = definition.scaleMin;
    f.scaleMax = definition.scaleMax;
    f.gridFlags = definition.gridFlags;
    return f;
}

void StoreIndicatorFields(const IndicatorFields& fields, ChartDefinition& definition) {
    if (fields.formula.empty())
        definition.formula.reset();
    else
        definition.formula = fields.formula;
    definition.scaleMin = fields.scaleMin;
    definition.scaleMax = fields.scaleMax;
    definition.gridFlags = fields.gridFlags;
    if (fields.automatic)
        definition.scaleFlags |= kAutomaticScaling;
    else
        definition.scaleFlags &= ~kAutomaticScaling;
}

std::vector<ChartDefinition*> CustomDefinitions(ChartTable& table) {
    std::vector<ChartDefinition*> list;
    for (ChartDefinition& d : table.Rows())
        if (d.IsCustom()) list.push_back(&d);
    return list;
}

IndicatorBuilder::IndicatorBuilder(ChartTable& table, std::function<void()> refreshCharts)
    : table_(table), refreshCharts_(std::move(refreshCharts)) {
    for (ChartDefinition* d : CustomDefinitions(table_)) ids_.push_back(d->id);
    if (!ids_.empty()) {
        selection_ = 0;
        fields_ = LoadIndicatorFields(*Definition(0));
    }
}

ChartDefinition* IndicatorBuilder::Definition(int row) {
    if (row < 0 || row >= Count()) return nullptr;
    return table_.FindById(ids_[static_cast<std::size_t>(row)]);
}

ChartDefinition* IndicatorBuilder::Selected() {
    return Definition(selection_);
}

std::vector<std::string> IndicatorBuilder::Names() const {
    std::vector<std::string> names;
    for (int id : ids_) {
        const ChartDefinition* d = table_.FindById(id);
        names.push_back(d ? d->name : std::string());
    }
    return names;
}

void IndicatorBuilder::StoreSelection() {
    if (ChartDefinition* d = Selected()) StoreIndicatorFields(fields_, *d);
}

void IndicatorBuilder::Select(int row) {
    ChartDefinition* next = Definition(row);
    if (next == nullptr) return;
    StoreSelection();
    selection_ = row;
    fields_ = LoadIndicatorFields(*next);
}

void IndicatorBuilder::SetGridBox(int box, bool ticked) {
    if (box < 0 || box >= static_cast<int>(GridLineBoxes().size())) return;
    fields_.gridFlags = velmora::SetGridBox(fields_.gridFlags,
                                            GridLineBoxes()[static_cast<std::size_t>(box)], ticked);
}

bool IndicatorBuilder::GridBoxTicked(int box) const {
    if (box < 0 || box >= static_cast<int>(GridLineBoxes().size())) return false;
    return velmora::GridBoxTicked(fields_.gridFlags,
                                  GridLineBoxes()[static_cast<std::size_t>(box)]);
}

void IndicatorBuilder::Rename(int row, std::string_view text) {
    if (ChartDefinition* d = Definition(row)) d->SetName(text);
}

void IndicatorBuilder::Apply() {
    StoreSelection();
    if (refreshCharts_) refreshCharts_();
}

bool IndicatorBuilder::LoadFormula(const std::filesystem::path& path) {
    StoreSelection();
    Result<std::string> text = LoadFormulaFile(path);
    if (!text) return false;
    fields_.formula = std::move(*text);
    return true;
}

bool IndicatorBuilder::SaveFormula(const std::filesystem::path& path) {
    StoreSelection();
    return SaveFormulaFile(path, fields_.formula);
}

}  // namespace velmora
