#pragma once
// The Indicator Builder's data operations, for its dialog: the list of custom definitions,
// renaming, the grid-line boxes and their bit groups, storing the dialog's fields into a
// definition and loading them back, Apply, and loading or saving the formula as a file.

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "chart/ChartDefinition.h"

namespace velmora {

// A "Grid lines" check box and the gridFlags bits it stands for.
struct GridLineBox {
    const char* caption;
    const char* key;  // the command line's name of the box
    std::int32_t bits;
};

// "Level 0", "Limits", "50", "Percent", "+30/70", "+20/80", "+/-100", "+10/90", "Middle".
const std::array<GridLineBox, 9>& GridLineBoxes();
// Ticked when any of the box's bits is set.
bool GridBoxTicked(std::int32_t gridFlags, const GridLineBox& box);
// Ticking sets all the box's bits, unticking clears them all; other bits stay.
std::int32_t SetGridBox(std::int32_t gridFlags, const GridLineBox& box, bool ticked);

// What the dialog shows for one definition.
struct IndicatorFields {
    std::string formula;
    bool automatic = false;  // "Automatic"; else "Custom" with Min and Max
    float scaleMin = 0;
    float scaleMax = 0;
    std::int32_t gridFlags = 0;
};

IndicatorFields LoadIndicatorFields(const ChartDefinition& definition);
// A fresh copy of the formula (an empty text is no formula), the bounds, the grid flags and
// the automatic bit exactly when "Automatic" is chosen.
void StoreIndicatorFields(const IndicatorFields& fields, ChartDefinition& definition);

// The custom definitions (id 1000 and up) in table order.
std::vector<ChartDefinition*> CustomDefinitions(ChartTable& table);

// The dialog's state: the list, the selection and the fields shown for it.
class IndicatorBuilder {
  public:
    // `refreshCharts` repaints every chart window (called by Apply).
    IndicatorBuilder(ChartTable& table, std::function<void()> refreshCharts);

    // The "Indicator name" column, in list order.
    std::vector<std::string> Names() const;
    int Count() const { return static_cast<int>(ids_.size()); }
    // The selected row, -1 when the table has no custom definitions.
    int Selection() const { return selection_; }
    ChartDefinition* Selected();

    // Stores the fields into the definition they showed, then loads the row's definition.
    void Select(int row);
    IndicatorFields& Fields() { return fields_; }
    const IndicatorFields& Fields() const { return fields_; }
    void SetGridBox(int box, bool ticked);
    bool GridBoxTicked(int box) const;

    // Editing a row's label: the text becomes the definition's name.
    void Rename(int row, std::string_view text);
    // Stores the selection into its definition.
    void StoreSelection();
    // Stores the selection and refreshes the chart windows.
    void Apply();
    // Store the selection, then read the formula text from the file into the fields (false,
    // fields unchanged, when it cannot be read) or write the fields' formula to the file.
    bool LoadFormula(const std::filesystem::path& path);
    bool SaveFormula(const std::filesystem::path& path);

  private:
    ChartDefinition* Definition(int row);

    ChartTable& table_;
    std::function<void()> refreshCharts_;
    std::vector<int> ids_;
    int selection_ = -1;
    IndicatorFields fields_;
};

}  // namespace velmora
