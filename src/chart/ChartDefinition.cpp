#include "chart/ChartDefinition.h"

#include <cstdio>

#include "chart/FormulaPainter.h"
#include "chart/IndicatorPainters.h"
#include "chart/PricePainter.h"
#include "database/FixedText.h"

namespace velmora {

namespace {

struct BuiltInRow {
    int id;
    const char* name;
    int gridFlags;
    const char* formula;
};

// The ADX/DMI and Parabolic SAR charts are formula-driven.
constexpr int kFormulaDriven[] = {18, 19};

const BuiltInRow kBuiltIn[] = {
    {1, "Price", 0, nullptr},
    {2, "MACD", 0, nullptr},
    {3, "RSI", 0, nullptr},
    {4, "ROC", 0, nullptr},
    {5, "Stochastic Slow", 0, nullptr},
    {6, "Volume", 0, nullptr},
    {7, "Ultimate", 0, nullptr},
    {8, "OBV", 0, nullptr},
    {9, "TRIX", 0, nullptr},
    {10, "Relative Strength", 0, nullptr},
    {11, "CCI", 0, nullptr},
    {12, "MFI", 0, nullptr},
    {13, "Accumulation/Distribution", 0, nullptr},
    {14, "Chaikin", 0, nullptr},
    {15, "NVI", 0, nullptr},
    {16, "TRIN", 0, nullptr},
    {17, "AD-Line", 0, nullptr},
    {18, "ADX/DMI", 0x6C2,
     "maxgraph = 3;graph2 = pdi(14);graph1 = mdi(14);graph0 = adx(14);graph2style=1;"
     "graph0style=5;graph1color=5;graph2color=6;graph0color=7;title=name() + \" - +DM\" + "
     "writeval( graph2 )+ \", -DM\" + writeval( graph1 )+ \", ADX\" + writeval( graph0 );"},
    {19, "Parabolic SAR", 0x100,
     "graph0 =  close; graph0style = 64; graph0color = -1; graph1 = sar(); graph1style = 8+16; "
     "graph1color = -17; title = name() + \" - SAR - \" + writeval( graph1 );"},
};

}  // namespace

void ChartDefinition::SetName(std::string_view text) {
    name.assign(text.substr(0, Utf8Cut(text, kChartNameLimit)));
}

ChartPainters ChartTable::DefaultPainters() {
    ChartPainters p;
    p.builtIn[kPriceChartId] = PaintPriceChart;
    AddIndicatorPainters(p);
    p.formula = PaintFormulaChart;
    return p;
}

ChartTable::ChartTable(const ChartPainters& painters, int customCount) {
    rows_.reserve(std::size(kBuiltIn) + static_cast<std::size_t>(customCount));
    for (const BuiltInRow& row : kBuiltIn) {
        ChartDefinition& d = rows_.emplace_back();
        d.id = row.id;
        d.name = row.name;
        d.gridFlags = row.gridFlags;
        if (row.formula != nullptr) d.formula = row.formula;
        bool formulaDriven = false;
        for (int id : kFormulaDriven) formulaDriven |= id == row.id;
        d.painter = formulaDriven ? painters.formula : painters.builtIn[row.id];
        // Every built-in row has both bounds 0, so its scale comes from the data.
        if (d.scaleMin == 0 && d.scaleMax == 0) d.scaleFlags |= kAutomaticScaling;
    }
    for (int i = 0; i < customCount; ++i) {
        ChartDefinition& d = rows_.emplace_back();
        d.id = kFirstCustomChartId + i;
        char name[48];
        std::snprintf(name, sizeof name, "%s %d", "Custom", i);
        d.SetName(name);
        d.painter = painters.formula;
    }
}

ChartDefinition* ChartTable::FindById(int id) {
    for (ChartDefinition& d : rows_)
        if (d.id == id) return &d;
    return nullptr;
}

const ChartDefinition* ChartTable::FindById(int id) const {
    for (const ChartDefinition& d : rows_)
        if (d.id == id) return &d;
    return nullptr;
}

void ChartTable::ForEach(const std::function<void(ChartDefinition&)>& fn, bool onlyWithPane) {
    for (ChartDefinition& d : rows_)
        if (!onlyWithPane || d.pane != nullptr) fn(d);
}

}  // namespace velmora
