#pragma once
// The application objects of the desktop program for the chart window and dialog tests, on
// Qt's offscreen platform, with a generated stock made current.

#include <QApplication>
#include <cstdlib>

#include "chart/ChartDefinition.h"
#include "chart/ChartTestSupport.h"
#include "chart/qt/QtCanvas.h"
#include "common/TestSupport.h"
#include "database/Application.h"
#include "database/Database.h"
#include "database/PackedDate.h"
#include "database/Preferences.h"
#include "formula/FormulaEngine.h"
#include "formula/FormulaErrorSink.h"
#include "gui/GuiContext.h"
#include "platform/ConsoleUserInterface.h"
#include "platform/MemorySettingsStore.h"

namespace velmora::test {

// The widgets' application, made once on the offscreen platform unless one exists.
inline void EnsureWidgetsApplication() {
    if (QCoreApplication::instance() != nullptr) return;
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char name[] = "velmora-gui-tests";
    static char* argv[] = {name, nullptr};
    // Never destroyed: Qt's devices must not outlive their application at exit.
    static QApplication* app = new QApplication(argc, argv);
    (void)app;
    KeepPortableNumbers();
}

struct GuiFixture {
    TempDir dir;
    Database db;
    Preferences prefs;
    MemorySettingsStore settings;
    RecordingUserInterface ui;
    ChartTable charts;
    RecordingFormulaErrorSink errors;
    FormulaEngine engine{errors, &db};
    Application app{db, prefs, settings, ui, dir.path()};
    gui::GuiContext context{
        gui::GuiServices{app, db, prefs, settings, ui, charts, engine, dir.path()}};
    Stock* stock = nullptr;

    // A stock of `bars` trading days (Monday to Friday) from 3 January 2005, made current.
    explicit GuiFixture(int bars = 300) {
        EnsureWidgetsApplication();
        stock = db.AddStock("TEST");
        SetContinuous(*stock, true);
        stock->Quotations = MakeStock(bars).Quotations;
        context.MakeCurrent(stock, 0);
    }
};

}  // namespace velmora::test
