// The chart window on the printer, and the check marks of its periodicity and chart type.

#include <gtest/gtest.h>

#include <QMenu>
#include <QPainter>
#include <QPrinter>

#include "common/TestSupport.h"
#include "gui/ChartGuiSupport.h"
#include "gui/chart/ChartWindow.h"

namespace velmora {
namespace {

using gui::ChartWindow;

struct PrintFixture : test::GuiFixture {
    ChartWindow window{context};
    PrintFixture() { window.resize(640, 480); }
};

// The checkable items of the pane menu with their check marks, by command.
std::map<int, bool> Checks(const ChartWindow& window) {
    QMenu menu;
    window.FillPaneMenu(menu, false);
    std::map<int, bool> checks;
    std::vector<QMenu*> menus{&menu};
    while (!menus.empty()) {
        QMenu* m = menus.back();
        menus.pop_back();
        for (QAction* a : m->actions()) {
            if (a->menu() != nullptr) menus.push_back(a->menu());
            if (a->isCheckable()) checks[a->data().toInt()] = a->isChecked();
        }
    }
    return checks;
}

TEST(ChartPrint, ThePaneMenuChecksTheWindowsPeriodicityOnly) {
    PrintFixture f;
    f.window.RightClick({20, 20});
    using namespace ChartCommand;
    EXPECT_EQ(Checks(f.window),
              (std::map<int, bool>{{kDaily, true}, {kDaily + 1, false}, {kDaily + 2, false}}));
    EXPECT_TRUE(f.window.RunCommand(kDaily + 2));
    EXPECT_EQ(Checks(f.window),
              (std::map<int, bool>{{kDaily, false}, {kDaily + 1, false}, {kDaily + 2, true}}));
}

TEST(ChartPrint, ThePrintedPageSwapsWhiteAndGreyAndLeavesTheScreenPictureAlone) {
    PrintFixture f;
    const QImage screen = f.window.Picture();
    const auto panes = f.window.PaneRects();
    ASSERT_FALSE(screen.isNull());

    QImage page(screen.size(), QImage::Format_RGB32);
    page.fill(Qt::black);
    {
        QPainter painter(&page);
        f.window.PaintForPrinting(painter, page.width(), page.height());
    }
    const ChartPalette palette = ChartPalette::FromPreferences(f.prefs);
    const QRgb grey = 0xFF000000u | palette.Rgb(0);
    const QRgb white = 0xFF000000u | palette.Rgb(2);
    ASSERT_NE(grey, white);
    // The page has no scroll bars below the panes, so its panes are a little taller: the
    // colours are counted, not compared pixel by pixel.
    int screenGrey = 0, screenWhite = 0, pageGrey = 0, pageWhite = 0;
    for (int y = 0; y < screen.height(); ++y) {
        for (int x = 0; x < screen.width(); ++x) {
            const QRgb s = screen.pixel(x, y), p = page.pixel(x, y);
            screenGrey += s == grey;
            screenWhite += s == white;
            pageGrey += p == grey;
            pageWhite += p == white;
        }
    }
    EXPECT_GT(screenGrey, 100);
    EXPECT_GT(screenWhite, 100);
    // The screen's grey background is the page's white, and the lines drawn white on the
    // screen are grey on the page.
    EXPECT_NEAR(pageWhite, screenGrey, screenGrey / 8);
    EXPECT_GT(pageGrey, 100);
    EXPECT_LT(pageGrey, pageWhite / 10);

    // The screen keeps its layout and picture.
    const auto after = f.window.PaneRects();
    ASSERT_EQ(after.size(), panes.size());
    for (std::size_t i = 0; i < panes.size(); ++i) {
        EXPECT_EQ(after[i].top, panes[i].top);
        EXPECT_EQ(after[i].height, panes[i].height);
    }
    EXPECT_EQ(f.window.Picture(), screen);
}

TEST(ChartPrint, APrinterWritingAFileGetsAPage) {
    PrintFixture f;
    test::TempDir dir;
    const auto file = dir.path() / "chart.pdf";
    QPrinter printer(QPrinter::ScreenResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(file.string()));
    ASSERT_TRUE(f.window.PrintTo(printer));
    const auto bytes = test::ReadBytes(file);
    ASSERT_GT(bytes.size(), 1000u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "%PDF");

    // A printer that cannot write its file reports the failure.
    QPrinter broken(QPrinter::ScreenResolution);
    broken.setOutputFormat(QPrinter::PdfFormat);
    broken.setOutputFileName(QString::fromStdString((dir.path() / "no/such/dir/x.pdf").string()));
    EXPECT_FALSE(f.window.PrintTo(broken));
}

}  // namespace
}  // namespace velmora
