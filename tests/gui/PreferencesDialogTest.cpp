#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QSpinBox>
#include <QTabWidget>

#include "gui/ChartGuiSupport.h"
#include "gui/dialogs/PreferencesDialog.h"

namespace velmora {
namespace {

using gui::PreferencesDialog;

// Counts the emissions of a signal of the context.
struct Counter {
    int count = 0;
    QMetaObject::Connection connection;
    template <typename Signal>
    Counter(gui::GuiContext* context, Signal signal)
        : connection(QObject::connect(context, signal, context, [this] { ++count; })) {}
    ~Counter() { QObject::disconnect(connection); }
};

template <typename T>
T* Field(PreferencesDialog& d, const char* name) {
    T* w = d.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
}

TEST(PreferencesDialog, ShowsTheBlockOnItsPages) {
    test::GuiFixture f(10);
    f.prefs.SetRsiRange(21);
    f.prefs.SetDefaultRSBase("WIG20");
    f.prefs.SetPartialLoading(false);
    PreferencesDialog d(f.context);
    const QStringList pages = {"Main chart", "Indicators ", "Colours", "Miscellaneous",
                               "Other indicators"};
    ASSERT_EQ(d.Pages()->count(), pages.size());
    for (int i = 0; i < pages.size(); ++i) EXPECT_EQ(d.Pages()->tabText(i), pages[i]);

    EXPECT_EQ(Field<QSpinBox>(d, "RSI range:")->value(), 21);
    EXPECT_EQ(Field<QSpinBox>(d, "Mid-time periods")->value(), 45);
    EXPECT_TRUE(Field<QCheckBox>(d, "Mark quotations")->isChecked());
    EXPECT_FALSE(Field<QCheckBox>(d, "Fat line chart")->isChecked());
    EXPECT_EQ(Field<QLineEdit>(d, "Default Relative strength base")->text(), "WIG20");
    EXPECT_EQ(Field<QLineEdit>(d, "Default database path")->text(), "data");
    EXPECT_DOUBLE_EQ(Field<QDoubleSpinBox>(d, "accel. step:")->value(), 0.02);
    EXPECT_EQ(Field<QSpinBox>(d, "Load upto:")->value(), 250);
    EXPECT_FALSE(Field<QSpinBox>(d, "Load upto:")->isEnabled());
    Field<QCheckBox>(d, "Enable partial database loading")->setChecked(true);
    EXPECT_TRUE(Field<QSpinBox>(d, "Load upto:")->isEnabled());
    // Each colour setting shows its palette index.
    for (int i = 0; i < kColourSettingCount; ++i) {
        EXPECT_EQ(d.ColourBox(i)->currentIndex(), f.prefs.ColourAt(i)) << i;
    }
    EXPECT_EQ(Field<QComboBox>(d, "Grid:"), d.ColourBox(9));
}

TEST(PreferencesDialog, OkStoresTheChangedFieldsAndRepaintsTheCharts) {
    test::GuiFixture f(10);
    // A step that the box can only show rounded, and a reserved byte: both survive.
    f.prefs.SetParabolicStep(0.0234567f);
    f.prefs.Raw()[46] = 0x5A;
    const Preferences before = f.prefs;
    Counter refreshes(&f.context, &gui::GuiContext::chartsRefreshRequested);
    Counter rebuilds(&f.context, &gui::GuiContext::stockTreeRebuildRequested);

    PreferencesDialog d(f.context);
    Field<QSpinBox>(d, "RSI range:")->setValue(14);
    Field<QCheckBox>(d, "Fat line chart")->setChecked(true);
    Field<QComboBox>(d, "Long-time type")->setCurrentIndex(1);
    Field<QComboBox>(d, "Volume bar chart type")->setCurrentIndex(2);
    Field<QSpinBox>(d, "Load upto:")->setValue(100000);
    Field<QLineEdit>(d, "Default Relative strength base")->setText("NASDAQ");
    Field<QDoubleSpinBox>(d, "maximum:")->setValue(0.25);
    Field<QCheckBox>(d, "Add full name to ticker in tree ")->setChecked(true);
    d.ColourBox(static_cast<int>(ColourSetting::Grid))->setCurrentIndex(12);
    // The palette editor's colour lands as the nearest 12-bit colour.
    gui::PaletteEditorDialog editor(d.Palette());
    editor.SetEntry(3, QColor(255, 0, 136));
    d.SetPalette(editor.Palette());
    // Nothing reaches the preferences before OK.
    EXPECT_EQ(f.prefs.Raw(), before.Raw());

    d.accept();
    Preferences expected = before;
    expected.SetRsiRange(14);
    expected.SetFatLineChart(true);
    expected.SetLongTimeAverageType(1);
    expected.SetVolumeBarChartType(2);
    expected.SetLoadUpto(100000);
    expected.SetDefaultRSBase("NASDAQ");
    expected.SetParabolicMaximum(0.25f);
    expected.SetFullNameInTree(true);
    expected.SetColourAt(static_cast<int>(ColourSetting::Grid), 12);
    expected.SetPaletteEntry(3, 0xF08);
    EXPECT_EQ(f.prefs.Raw(), expected.Raw());
    EXPECT_EQ(refreshes.count, 1);
    // A full-name option changed: the stock tree and ticker box are built again.
    EXPECT_EQ(rebuilds.count, 1);
}

TEST(PreferencesDialog, CancelChangesNothing) {
    test::GuiFixture f(10);
    // Values the controls cannot show as they are: a period of 0, a flag of 2, a volume type
    // beyond the list.
    f.prefs.SetRsiRange(0);
    f.prefs.SetInt(0, 2);
    f.prefs.SetVolumeBarChartType(7);
    const Preferences before = f.prefs;
    Counter refreshes(&f.context, &gui::GuiContext::chartsRefreshRequested);
    PreferencesDialog d(f.context);
    Field<QSpinBox>(d, "MACD slow average:")->setValue(30);
    d.ColourBox(0)->setCurrentIndex(5);
    d.reject();
    EXPECT_EQ(f.prefs.Raw(), before.Raw());
    EXPECT_EQ(refreshes.count, 0);

    // OK without a change keeps every byte, and leaves the stock tree alone.
    Counter rebuilds(&f.context, &gui::GuiContext::stockTreeRebuildRequested);
    PreferencesDialog again(f.context);
    again.accept();
    EXPECT_EQ(f.prefs.Raw(), before.Raw());
    EXPECT_EQ(rebuilds.count, 0);
}

TEST(PreferencesDialog, PaletteColoursConvertBothWays) {
    EXPECT_EQ(gui::PaletteColour(0x0F8), QColor(0, 255, 136));
    for (int rgb = 0; rgb < 0x1000; rgb += 0x123) {
        EXPECT_EQ(gui::ToPaletteColour(gui::PaletteColour(rgb)), rgb) << rgb;
    }
    // A colour between two steps goes to the nearer one.
    EXPECT_EQ(gui::ToPaletteColour(QColor(25, 26, 8)), 0x120);
}

}  // namespace
}  // namespace velmora
