// A real rendering: a chart window of a stock painted with Qt into a PNG.

#include <gtest/gtest.h>

#ifdef VELMORA_HAVE_QT
#include <QColor>
#include <QImage>
#include <set>

#include "ChartTestSupport.h"
#include "chart/ChartWindowPainter.h"
#include "chart/qt/ChartRendering.h"
#include "common/TestSupport.h"

namespace velmora {
namespace {

TEST(Rendering, PngOfAStockIsAChart) {
    test::TempDir dir;
    Stock stock = test::MakeStock(400, true, "RENDER");
    Preferences prefs;
    ChartTable table;
    ChartSettings settings;
    settings.FromPreferences(prefs);
    CompressedStockCache cache;
    ChartWindowModel model(table);
    model.OpenDefault();
    ChartWindowView view{&model, &table, &settings, &prefs, &cache, &stock, false};
    HintData data;
    data.barCount = 400;
    data.visibleBars = settings.visibleBars;
    model.Receive({RefreshHint::Kind::Everything}, data);
    ASSERT_TRUE(WriteChartPng(view, 640, 480, dir / "chart.png"));

    QImage image(QString::fromStdString((dir / "chart.png").string()));
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.width(), 640);
    EXPECT_EQ(image.height(), 480);
    std::set<QRgb> colours;
    int background = 0;
    const QRgb grey = QColor(0xAA, 0xAA, 0xAA).rgb();
    for (int y = 0; y < 270; ++y)
        for (int x = 0; x < 640; ++x) {
            colours.insert(image.pixel(x, y));
            background += image.pixel(x, y) == grey;
        }
    // The price pane: mostly background, with candles, volume, grid and text on it.
    EXPECT_GE(colours.size(), 4u);
    EXPECT_GT(background, 640 * 270 / 3);
    EXPECT_LT(background, 640 * 270 * 95 / 100);
    // Black candles and text exist in the price pane.
    EXPECT_TRUE(colours.count(QColor(0, 0, 0).rgb()));

    ASSERT_TRUE(WriteChartPdf(view, 640, 480, dir / "chart.pdf"));
    const auto pdf = test::ReadBytes(dir / "chart.pdf");
    ASSERT_GT(pdf.size(), 1000u);
    EXPECT_EQ(std::string(pdf.begin(), pdf.begin() + 5), "%PDF-");
}

}  // namespace
}  // namespace velmora
#endif
