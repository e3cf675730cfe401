#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>

#include "common/TestSupport.h"
#include "database/Workspace.h"
#include "gui/DesktopProgram.h"
#include "gui/MainWindow.h"
#include "gui/StartupScreens.h"
#include "platform/ConsoleUserInterface.h"
#include "platform/IniSettingsStore.h"
#include "platform/MemorySettingsStore.h"

namespace velmora::gui {
namespace {

template <typename T>
QList<T*> Shown() {
    QList<T*> shown;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* t = qobject_cast<T*>(w); t != nullptr && t->isVisible()) shown << t;
    }
    return shown;
}

TEST(StartupScreens, StartUpShowsAboutAndTipWithoutWaitingAndTheTipBoxIsKept) {
    test::TempDir profile, workspace;
    {
        Database db;
        Preferences prefs;
        RecordingUserInterface ui;
        db.AddStock("AAA");
        db.SetWorkspaceDir(workspace.path());
        ASSERT_TRUE(Workspace(db, prefs, ui).SaveWorkspace());
    }
    RecordingUserInterface ui;
    DesktopProgram program(profile.path(), workspace.path(), &ui);
    program.startupScreens = true;
    ASSERT_TRUE(program.StartUp());  // returns: neither window waits for an answer
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    const QList<TipOfTheDayDialog*> tips = Shown<TipOfTheDayDialog>();
    ASSERT_EQ(tips.size(), 1);
    bool about = false;
    for (QDialog* d : Shown<QDialog>()) about |= d->windowTitle() == "About Velmora";
    EXPECT_TRUE(about);

    // Turning the box off is written to settings.ini at once.
    ASSERT_TRUE(tips[0]->ShowAtStartBox()->isChecked());
    tips[0]->ShowAtStartBox()->setChecked(false);
    EXPECT_FALSE(TipsAtStartUp(IniSettingsStore(profile.path() / "settings.ini", false)));
    for (QDialog* d : Shown<QDialog>()) d->close();
}

TEST(StartupScreens, TipsTurnedOffShowNoneAtStartButHelpShowsTheNextTip) {
    MemorySettingsStore settings;
    TipOfTheDayDialog* first = ShowTipOfTheDay(settings, nullptr, true);
    ASSERT_NE(first, nullptr);
    const QString firstTip = first->Tip();
    first->ShowAtStartBox()->setChecked(false);
    first->close();

    EXPECT_EQ(ShowTipOfTheDay(settings, nullptr, true), nullptr);
    TipOfTheDayDialog* again = ShowTipOfTheDay(settings, nullptr, false);
    ASSERT_NE(again, nullptr);
    EXPECT_FALSE(again->ShowAtStartBox()->isChecked());
    EXPECT_NE(again->Tip(), firstTip);  // each tip shown moves the stored position on
    again->close();
}

}  // namespace
}  // namespace velmora::gui
