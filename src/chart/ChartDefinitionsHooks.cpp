#include "chart/ChartDefinitionsHooks.h"

#include <memory>

#include "chart/ChartsFile.h"

namespace velmora {

void AttachChartDefinitions(ApplicationHooks& hooks, ChartTable& table,
                            const std::filesystem::path& profileDir, UserInterface* ask) {
    const std::filesystem::path file = profileDir / kChartsFileName;
    // What the load said, for the save at exit.
    auto loaded = std::make_shared<Status>();
    hooks.loadChartDefinitions = [&table, file, loaded] {
        *loaded = LoadChartsFile(table, file);
        return *loaded;
    };
    hooks.saveChartDefinitions = [&table, file, loaded, ask] {
        const bool replace =
            !*loaded && ask != nullptr &&
            ask->AskYesNo("The chart definitions file\n'" + file.string() +
                          "'\ncould not be read at start-up. Saving replaces it with the "
                          "definitions shown now.\nReplace it? The old file is kept as '" +
                          file.string() + ".bak'.");
        if (SaveChartsFile(table, file, *loaded, replace).IsOk()) *loaded = Status::Ok();
    };
}

}  // namespace velmora
