#pragma once
// Connects a chart definition table to the start-up object: the charts file of the profile
// directory is read at start-up and written back at exit.

#include <filesystem>

#include "chart/ChartDefinition.h"
#include "database/Application.h"

namespace velmora {

// The table and the directory must outlive the application's start-up and exit. A charts file
// that could not be read at start-up is replaced at exit only when `ask` is given and the user
// agrees (the old file is then kept as tarvik.charts.bak).
void AttachChartDefinitions(ApplicationHooks& hooks, ChartTable& table,
                            const std::filesystem::path& profileDir, UserInterface* ask = nullptr);

}  // namespace velmora
