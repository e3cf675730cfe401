// "tarvik.charts" bytes read over the default chart table as the program does at start-up. A
// table that read is written and read into a fresh table: the two images must be the same, and
// the names must fit their field.

#include <cstdint>

#include "FuzzSupport.h"
#include "chart/ChartsFile.h"

using namespace velmora;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const auto dir = fuzz::FreshDirectory("charts");
    const auto file = dir / kChartsFileName;
    fuzz::WriteFile(file, data, size);
    ChartTable table;
    if (!ReadChartsFile(table, file)) return 0;
    for (const ChartDefinition& d : table.Rows()) {
        if (d.name.size() > kChartNameLimit) __builtin_trap();
    }
    const auto image = ChartsFileImage(table);
    if (!WriteChartsFile(table, file)) return 0;
    ChartTable again;
    if (!ReadChartsFile(again, file) || ChartsFileImage(again) != image) __builtin_trap();
    return 0;
}
