#pragma once
// Connects a chart definition table to the start-up object: the charts file of the profile
// directory is read at start-up and written back at exit.

#include <filesystem>

#include "chart/ChartDefinition.h"
#include "database/Application.h"

namespace velmora {

// The table and the directory must outlive the application's start-up and exit.
void AttachChartDefinitions(ApplicationHooks& hooks, ChartTable& table,
                            const std::filesystem::path& profileDir);

}  // namespace velmora
