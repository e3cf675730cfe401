#include <gtest/gtest.h>

#include "chart/ChartDefinitionsHooks.h"
#include "common/TestSupport.h"
#include "platform/ConsoleUserInterface.h"
#include "platform/MemorySettingsStore.h"

namespace velmora {
namespace {

// The custom chart definitions edited in one run are there again in the next.
TEST(ChartDefinitionsHooks, DefinitionsAreReadAtStartUpAndWrittenAtExit) {
    test::TempDir profile;
    {
        Database db;
        Preferences prefs;
        MemorySettingsStore settings;
        RecordingUserInterface ui;
        Application app(db, prefs, settings, ui, profile.path());
        ChartTable table;
        AttachChartDefinitions(app.Hooks(), table, profile.path());
        app.Initialise();
        table.FindById(1003)->SetName("My oscillator");
        table.FindById(1003)->formula = "graph0 = rsi(14);";
        app.Exit();
    }
    Database db;
    Preferences prefs;
    MemorySettingsStore settings;
    RecordingUserInterface ui;
    Application app(db, prefs, settings, ui, profile.path());
    ChartTable table;
    AttachChartDefinitions(app.Hooks(), table, profile.path());
    EXPECT_EQ(table.FindById(1003)->name, "Custom 3");
    app.Initialise();
    EXPECT_EQ(table.FindById(1003)->name, "My oscillator");
    EXPECT_EQ(table.FindById(1003)->formula, "graph0 = rsi(14);");
}

}  // namespace
}  // namespace velmora
