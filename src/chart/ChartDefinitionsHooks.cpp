#include "chart/ChartDefinitionsHooks.h"

#include "chart/ChartsFile.h"

namespace velmora {

void AttachChartDefinitions(ApplicationHooks& hooks, ChartTable& table,
                            const std::filesystem::path& profileDir) {
    const std::filesystem::path file = profileDir / kChartsFileName;
    hooks.loadChartDefinitions = [&table, file] { ReadChartsFile(table, file); };
    hooks.saveChartDefinitions = [&table, file] { WriteChartsFile(table, file).IgnoreError(); };
}

}  // namespace velmora
