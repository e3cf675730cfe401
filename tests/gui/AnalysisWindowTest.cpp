#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QToolBar>
#include <algorithm>
#include <initializer_list>

#include "database/Workspace.h"
#include "gui/ChartGuiSupport.h"
#include "gui/DesktopProgram.h"
#include "gui/MainWindow.h"
#include "gui/QtUserInterface.h"
#include "gui/analysis/AnalysisWindow.h"
#include "gui/analysis/EquityCurveWindow.h"
#include "gui/analysis/OptimizationWindow.h"
#include "gui/analysis/QuickReviewWindow.h"
#include "gui/analysis/RiskYieldMapWindow.h"
#include "gui/analysis/SystemTestSettingsDialog.h"
#include "gui/chart/ChartWindow.h"
#include "gui/dialogs/FilterSettingsDialog.h"

namespace velmora {
namespace {

using gui::AnalysisWindow;

// A stock with one close per weekday from Monday 3 January 2005.
Stock* AddStock(Database& db, const char* ticker, std::initializer_list<float> closes) {
    Stock* stock = db.AddStock(ticker);
    SetContinuous(*stock, true);
    PackedDate d = MakeDate(2005, 1, 3);
    for (float close : closes) {
        Quotation q;
        q.Date = d;
        q.Open = q.High = q.Low = q.Close = close;
        stock->Quotations.push_back(q);
        d = AddDays(d, DayOfWeek(d) == 4 ? 3 : 1);
    }
    return stock;
}

// The analysis fixture: AAA rises 1..6, BBB falls 10..6, TEST (current) is the fixture's wave.
struct AnalysisFixture : test::GuiFixture {
    Stock* aaa = AddStock(db, "AAA", {1, 2, 3, 4, 5, 6});
    Stock* bbb = AddStock(db, "BBB", {10, 9, 8, 7, 6});
};

QPushButton* Button(QWidget& w, const char* text) {
    for (QPushButton* b : w.findChildren<QPushButton*>())
        if (b->text() == QLatin1String(text)) return b;
    ADD_FAILURE() << "no button " << text;
    return nullptr;
}

QStringList Row(const QTableWidget* table, int row) {
    QStringList cells;
    for (int c = 0; c < table->columnCount(); ++c)
        cells << (table->item(row, c) ? table->item(row, c)->text() : QString("<none>"));
    return cells;
}

void Mouse(QWidget& w, QEvent::Type type, QPoint pos) {
    const Qt::MouseButtons buttons =
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent e(type, QPointF(pos), QPointF(w.mapToGlobal(pos)),
                  type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons,
                  Qt::NoModifier);
    QCoreApplication::sendEvent(&w, &e);
}

TEST(AnalysisWindow, ScanListsTheSignalsAndDoubleClickMakesTheRowsStockCurrent) {
    AnalysisFixture f;
    AnalysisWindow w(f.context);
    QTableWidget* table = w.ResultTable();
    QStringList headers;
    for (int c = 0; c < table->columnCount(); ++c)
        headers << table->horizontalHeaderItem(c)->text();
    EXPECT_EQ(headers, (QStringList{"Ticker", "Trade", "Date", "Close", "% Yield"}));
    EXPECT_EQ(table->columnWidth(2), 70);
    EXPECT_TRUE(w.ApplyToButton(0)->isChecked());
    EXPECT_TRUE(w.RangeButton(0)->isChecked());
    EXPECT_EQ(w.NEdit()->text(), "7");

    w.FormulaEdit()->setPlainText("buy = c == 3;\nsell = (c == 9) + (c == 6);");
    Button(w, "&Scan")->click();
    ASSERT_EQ(table->rowCount(), 4);
    EXPECT_EQ(Row(table, 0), (QStringList{"AAA", "Buy", "05-01-05", "3.00", ""}));
    EXPECT_EQ(Row(table, 1), (QStringList{"AAA", "Sell", "05-01-10", "6.00", ""}));
    EXPECT_EQ(Row(table, 2), (QStringList{"BBB", "Sell", "05-01-04", "9.00", ""}));
    EXPECT_EQ(Row(table, 3), (QStringList{"BBB", "Sell", "05-01-07", "6.00", ""}));
    EXPECT_EQ(w.StatusLabel()->text(), "Ready");
    // Every stock stepped the progress dialog.
    EXPECT_EQ(f.ui.progress.steps.size(), 3u);

    emit table->cellDoubleClicked(2, 3);
    EXPECT_EQ(f.context.CurrentStock(), f.bbb);

    // Sorted by date, newest first: double-clicking still finds each row's own stock.
    emit table->horizontalHeader()->sectionClicked(2);
    emit table->horizontalHeader()->sectionClicked(2);
    EXPECT_EQ(Row(table, 0), (QStringList{"AAA", "Sell", "05-01-10", "6.00", ""}));
    EXPECT_EQ(Row(table, 1), (QStringList{"BBB", "Sell", "05-01-07", "6.00", ""}));
    EXPECT_EQ(Row(table, 3), (QStringList{"BBB", "Sell", "05-01-04", "9.00", ""}));
    emit table->cellDoubleClicked(0, 0);
    EXPECT_EQ(f.context.CurrentStock(), f.aaa);
    emit table->cellDoubleClicked(1, 0);
    EXPECT_EQ(f.context.CurrentStock(), f.bbb);

    // The last 2 quotations of each stock, then the current stock alone: no progress dialog.
    w.RangeButton(1)->setChecked(true);
    w.NEdit()->setText("1");
    Button(w, "&Scan")->click();
    ASSERT_EQ(table->rowCount(), 2);
    EXPECT_EQ(Row(table, 0)[2], "05-01-10");
    EXPECT_EQ(Row(table, 1)[2], "05-01-07");
    f.ui.progress.steps.clear();
    w.ApplyToButton(1)->setChecked(true);
    w.RangeButton(0)->setChecked(true);
    Button(w, "&Scan")->click();
    ASSERT_EQ(table->rowCount(), 2);
    EXPECT_EQ(Row(table, 0), (QStringList{"BBB", "Sell", "05-01-04", "9.00", ""}));
    EXPECT_EQ(Row(table, 1)[0], "BBB");
    EXPECT_TRUE(f.ui.progress.steps.empty());

    // From after to: the message, and the rows stay.
    w.RangeButton(3)->setChecked(true);
    w.FromEdit()->setDate(QDate(2005, 2, 1));
    w.ToEdit()->setDate(QDate(2005, 1, 1));
    Button(w, "&Scan")->click();
    ASSERT_FALSE(f.ui.messages.empty());
    EXPECT_EQ(f.ui.messages.back(), "Wrong From/To dates");
    EXPECT_EQ(table->rowCount(), 2);
}

TEST(AnalysisWindow, DefineTurnsTheFilterOnAndTheScanVisitsOnlyTheStocksThatPass) {
    AnalysisFixture f;
    f.bbb->Flags |= Stock::kFavouriteFlag;
    AnalysisWindow w(f.context);
    w.editFilter = [](StockFilter& filter) {
        filter.Items[0].Favourite = 1;
        return true;
    };
    w.FormulaEdit()->setPlainText("buy = c > 0;\nsell = 0;");
    Button(w, "&Define...")->click();
    EXPECT_TRUE(w.ApplyToButton(2)->isChecked());
    Button(w, "&Scan")->click();
    ASSERT_EQ(w.ResultTable()->rowCount(), 5);
    for (int r = 0; r < 5; ++r) EXPECT_EQ(Row(w.ResultTable(), r)[0], "BBB");

    // A cancelled dialog changes neither the filter nor the choice.
    w.ApplyToButton(0)->setChecked(true);
    w.editFilter = [](StockFilter& filter) {
        filter.Items[0].Market = 9;
        return false;
    };
    Button(w, "&Define...")->click();
    EXPECT_TRUE(w.ApplyToButton(0)->isChecked());
    EXPECT_EQ(w.Model().selection.filter.Items[0].Market, FilterItem::kAny);
}

TEST(AnalysisWindow, BackTestListsTheTradesPutsTheSummaryInTheStatusAndWritesTheReportOnce) {
    AnalysisFixture f;
    AnalysisWindow w(f.context);
    w.TestSettings().CommissionMode = SystemTestSettings::kCommissionPercent;
    std::vector<std::filesystem::path> opened;
    w.openReport = [&](const std::filesystem::path& file) {
        opened.push_back(file);
        return true;
    };
    w.FormulaEdit()->setPlainText("buy = c == 2;\nsell = c == 5;");
    Button(w, "&Back Test")->click();
    QTableWidget* table = w.ResultTable();
    // The trade and the empty row; the summary line went into the status line.
    ASSERT_EQ(table->rowCount(), 2);
    EXPECT_EQ(Row(table, 0), (QStringList{"AAA", "Long", "05-01-04", "05-01-07", "150.0%"}));
    EXPECT_EQ(Row(table, 1), (QStringList{"", "", "", "", ""}));
    EXPECT_EQ(w.StatusText().toStdString(),
              "Trans no.: 1, Avg. trade (gain+loss)= +15000.00, Test portfolio =    25000 "
              "(+150.00%)");
    EXPECT_EQ(w.StatusLabel()->text(), w.StatusText());
    ASSERT_EQ(w.Backtest().Stocks.size(), 1u);

    Button(w, "&Report...")->click();
    ASSERT_EQ(opened.size(), 1u);
    const std::filesystem::path report = opened[0];
    EXPECT_NE(test::ReadText(report).find("Performance for AAA "), std::string::npos);
    // A second click opens the same file without writing it again.
    test::WriteText(report, "seen");
    Button(w, "&Report...")->click();
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[1], report);
    EXPECT_EQ(test::ReadText(report), "seen");

    // The results as text, with the report beside them.
    const auto saved = f.dir / "results.txt";
    ASSERT_TRUE(w.SaveResultsTo(saved));
    const std::string text = test::ReadText(saved);
    EXPECT_EQ(text.rfind("Formula used:\nbuy = c == 2;\nsell = c == 5;\n\nAnalysis results:\n"
                         "AAA\tLong\t05-01-04\t05-01-07\t150.0%\t\n\t\t\t\t\t\n\n\nTrans no.: 1",
                         0),
              0u)
        << text;
    EXPECT_TRUE(std::filesystem::exists(f.dir / "results.txt_Summary.html"));

    // The next back test forgets the old report. Without trades the list keeps its empty row;
    // a negative n runs nothing.
    w.FormulaEdit()->setPlainText("buy = 0;\nsell = 0;");
    Button(w, "&Back Test")->click();
    EXPECT_FALSE(std::filesystem::exists(report));
    EXPECT_TRUE(w.StatusText().startsWith("Trans no.: 0,")) << w.StatusText().toStdString();
    EXPECT_EQ(table->rowCount(), 1);
    w.RangeButton(1)->setChecked(true);
    w.NEdit()->setText("-1");
    Button(w, "&Back Test")->click();
    EXPECT_EQ(w.StatusText().toStdString(), "No results");
    EXPECT_EQ(table->rowCount(), 0);
    w.RangeButton(0)->setChecked(true);
    w.NEdit()->setText("7");

    // A formula without sell: the message, and the run still ends.
    w.FormulaEdit()->setPlainText("buy = 1;");
    Button(w, "&Back Test")->click();
    ASSERT_FALSE(f.ui.messages.empty());
    EXPECT_EQ(f.ui.messages.back(), "Missing buy/sell variable assignments");
}

TEST(AnalysisWindow, OptimizeListsTheCombinationsAndADoubleClickBackTestsTheRowsValues) {
    AnalysisFixture f;
    AnalysisWindow w(f.context);
    w.TestSettings().CommissionMode = SystemTestSettings::kCommissionPercent;
    w.FormulaEdit()->setPlainText("buy = c == 2;\nsell = c == 5;");
    Button(w, "&Optimize")->click();
    EXPECT_EQ(w.Optimization(), nullptr);
    ASSERT_FALSE(f.ui.messages.empty());
    EXPECT_EQ(f.ui.messages.back().rfind("The formula has no parameter to optimize", 0), 0u);

    w.FormulaEdit()->setPlainText("buy = c == optimize(\"b\", 1, 1, 3, 1);\nsell = c == 5;");
    Button(w, "&Optimize")->click();
    gui::OptimizationWindow* o = w.Optimization();
    ASSERT_NE(o, nullptr);
    EXPECT_TRUE(o->isVisible());
    QTableWidget* rows = o->Table();
    ASSERT_EQ(rows->rowCount(), 3);
    EXPECT_EQ(rows->horizontalHeaderItem(0)->text(), "b");
    EXPECT_EQ(Row(rows, 1).mid(0, 2), (QStringList{"2", "15000.00"}));
    EXPECT_EQ(w.StatusText(), "Optimized: 3 of 3 combinations");
    // Sorted by net profit, best first; the double-click runs the row it shows.
    rows->horizontalHeader()->sectionClicked(1);
    EXPECT_EQ(Row(rows, 0)[0], "1");
    o->RunRow(2);
    EXPECT_EQ(Row(w.ResultTable(), 0),
              (QStringList{"AAA", "Long", "05-01-05", "05-01-07", "66.7%"}));
    EXPECT_EQ(w.StatusText().toStdString().rfind("b = 3: Trans no.: 1,", 0), 0u)
        << w.StatusText().toStdString();
    EXPECT_TRUE(f.context.Services().engine.Parameters().empty());
}

TEST(AnalysisWindow, EquityCurveShowsTheLastBackTestsCurveInAWindow) {
    AnalysisFixture f;
    AnalysisWindow w(f.context);
    w.TestSettings().CommissionMode = SystemTestSettings::kCommissionPercent;
    w.FormulaEdit()->setPlainText("buy = c == 2;\nsell = c == 5;");
    Button(w, "&Back Test")->click();
    Button(w, "&Equity curve...")->click();
    EXPECT_EQ(w.EquityCurve(), nullptr);
    ASSERT_FALSE(f.ui.messages.empty());
    EXPECT_EQ(f.ui.messages.back(), gui::kNoEquityCurve);

    w.TestSettings().ExtendedStatistics = 1;
    Button(w, "&Back Test")->click();
    Button(w, "&Equity curve...")->click();
    gui::EquityCurveWindow* curve = w.EquityCurve();
    ASSERT_NE(curve, nullptr);
    EXPECT_TRUE(curve->isVisible());
    ASSERT_FALSE(curve->Curve().empty());
    EXPECT_EQ(curve->Curve().size(), w.Backtest().OverallStatistics.Curve.size());
    // The equity line is drawn in its colour.
    const QImage picture = curve->grab().toImage();
    bool blue = false;
    for (int y = 0; y < picture.height() && !blue; ++y)
        for (int x = 0; x < picture.width() && !blue; ++x)
            blue = picture.pixelColor(x, y) == QColor(0x00, 0x33, 0xCC);
    EXPECT_TRUE(blue);
}

TEST(AnalysisWindow, ARunOverTheCurrentStockGivesTheChartsItsTradeArrows) {
    test::GuiFixture f;
    gui::ChartWindow chart(f.context);
    chart.resize(640, 480);
    ASSERT_EQ(chart.Model().Pane(0).chartId, kPriceChartId);
    AnalysisWindow w(f.context);
    w.FormulaEdit()->setPlainText("buy = c > 105;\nsell = c < 95;");
    w.ApplyToButton(1)->setChecked(true);
    Button(w, "&Scan")->click();
    const TradeArrows& arrows = chart.Model().Pane(0).arrows;
    ASSERT_EQ(arrows.buy.size(), f.stock->Quotations.size());
    ASSERT_EQ(arrows.sell.size(), f.stock->Quotations.size());
    int buys = 0, sells = 0, expectedBuys = 0, expectedSells = 0;
    for (std::size_t i = 0; i < arrows.buy.size(); ++i) {
        buys += arrows.buy[i] != 0 ? 1 : 0;
        sells += arrows.sell[i] != 0 ? 1 : 0;
        expectedBuys += f.stock->Quotations[i].Close > 105 ? 1 : 0;
        expectedSells += f.stock->Quotations[i].Close < 95 ? 1 : 0;
    }
    EXPECT_GT(expectedBuys, 0);
    EXPECT_GT(expectedSells, 0);
    EXPECT_EQ(buys, expectedBuys);
    EXPECT_EQ(sells, expectedSells);
    EXPECT_EQ(w.ResultTable()->rowCount(), expectedBuys + expectedSells);
}

TEST(AnalysisWindow, BackTestRowsNameEntryAndExitAndADoubleClickShowsTheEntryInTheChart) {
    test::GuiFixture f;  // TEST: 300 quotations, current
    gui::ChartWindow chart(f.context);
    chart.resize(640, 480);
    AnalysisWindow w(f.context);
    QTableWidget* table = w.ResultTable();
    w.ApplyToButton(1)->setChecked(true);
    w.FormulaEdit()->setPlainText("buy = cum(1) == 50;\nsell = cum(1) == 60;");
    Button(w, "&Back Test")->click();
    ASSERT_GE(table->rowCount(), 1);
    EXPECT_EQ(table->horizontalHeaderItem(2)->text(), "Entry");
    EXPECT_EQ(table->horizontalHeaderItem(3)->text(), "Exit");
    const QString entry = table->item(0, 2)->text();
    const auto& q = f.stock->Quotations;
    const auto at = std::find_if(q.begin(), q.end(), [&](const Quotation& x) {
        return x.Date == TextToDate(entry.toStdString());
    });
    ASSERT_NE(at, q.end()) << entry.toStdString();
    const int entryBar = static_cast<int>(at - q.begin());

    emit table->cellDoubleClicked(0, 1);
    const int position = chart.ScrollBar(0)->value();
    // The chart left the latest bars for the entry, which is the selected bar.
    EXPECT_LT(position + chart.Settings().visibleBars, static_cast<int>(q.size()));
    EXPECT_TRUE(chart.Settings().markerShown);
    EXPECT_EQ(position + chart.Settings().selectedBar, entryBar);

    // A scan names its columns as before.
    Button(w, "&Scan")->click();
    EXPECT_EQ(table->horizontalHeaderItem(2)->text(), "Date");
    EXPECT_EQ(table->horizontalHeaderItem(3)->text(), "Close");
}

// The real message boxes and report windows: each is answered as soon as it shows, and its
// parent noted.
struct MessageAnswerer {
    std::vector<QWidget*> parents;
    QTimer timer;
    MessageAnswerer() {
        timer.setInterval(5);
        QObject::connect(&timer, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                parents.push_back(box->parentWidget());
                box->accept();
            }
        });
        timer.start();
    }
};

bool WaitUntilActive(QWidget& w) {
    for (int i = 0; i < 200 && QApplication::activeWindow() != &w; ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return QApplication::activeWindow() == &w;
}

TEST(AnalysisWindow, StaysTheActiveWindowAfterItsRunsAndTheirMessages) {
    AnalysisFixture f;
    gui::QtUserInterface ui;
    UserInterfaceFormulaErrorSink errors(ui);
    FormulaEngine engine(errors, &f.db);
    gui::GuiContext context{
        gui::GuiServices{f.app, f.db, f.prefs, f.settings, ui, f.charts, engine, f.dir.path()}};
    context.MakeCurrent(f.stock, 0);
    QMainWindow main;
    ui.AttachMainWindow(&main);
    main.show();
    AnalysisWindow w(context, &main);
    w.show();
    w.activateWindow();
    ASSERT_TRUE(WaitUntilActive(w));
    MessageAnswerer answerer;

    // A formula error, a back test without sell, a plain scan: the window stays active.
    w.FormulaEdit()->setPlainText("buy = c >;\nsell = 0;");
    Button(w, "&Scan")->click();
    EXPECT_TRUE(WaitUntilActive(w));
    w.FormulaEdit()->setPlainText("buy = 1;");
    Button(w, "&Back Test")->click();
    EXPECT_TRUE(WaitUntilActive(w));
    w.FormulaEdit()->setPlainText("buy = c > 3;\nsell = c < 3;");
    Button(w, "&Scan")->click();
    EXPECT_TRUE(WaitUntilActive(w));
    ASSERT_GE(answerer.parents.size(), 2u);
    for (QWidget* parent : answerer.parents) EXPECT_EQ(parent, &w);
}

TEST(AnalysisWindow, TheFormulaIsKeptAsTheDefaultFormulaAndLoadAndSaveUseFormulaFiles) {
    test::GuiFixture f;
    {
        AnalysisWindow w(f.context);
        EXPECT_EQ(w.FormulaEdit()->toPlainText(),
                  "buy = cross( macd(), 0 );\nsell = cross( 0, macd() );");
        w.FormulaEdit()->setPlainText("buy = 1;\nsell = 0;");
        ASSERT_TRUE(w.SaveFormulaTo(f.dir / "rule.qrx"));
        EXPECT_EQ(test::ReadText(f.dir / "rule.qrx"), "buy = 1;\r\nsell = 0;");
        // Close only hides the window.
        w.show();
        Button(w, "&Close")->click();
        EXPECT_FALSE(w.isVisible());
    }
    EXPECT_EQ(f.settings.GetString("QRX", "DefaultAnalysisFormula"),
              std::optional<std::string>("buy = 1;\r\nsell = 0;"));
    AnalysisWindow again(f.context);
    EXPECT_EQ(again.FormulaEdit()->toPlainText(), "buy = 1;\nsell = 0;");
    test::WriteText(f.dir / "other.qrx", "buy = c > 1;\r\nsell = c < 1;\r\n");
    ASSERT_TRUE(again.LoadFormulaFrom(f.dir / "other.qrx"));
    EXPECT_EQ(again.FormulaEdit()->toPlainText(), "buy = c > 1;\nsell = c < 1;\n");
    EXPECT_FALSE(again.LoadFormulaFrom(f.dir / "missing.qrx"));
    EXPECT_EQ(again.FormulaEdit()->toPlainText(), "buy = c > 1;\nsell = c < 1;\n");
}

TEST(SystemTestSettingsDialog, StoresItsFields) {
    test::EnsureWidgetsApplication();
    const SystemTestSettings defaults;
    gui::SystemTestSettingsDialog dialog(defaults);
    EXPECT_EQ(dialog.windowTitle(), "System test settings");
    EXPECT_EQ(dialog.InitialEquity()->text(), "10000");
    EXPECT_EQ(dialog.Positions()->currentText(), "Long");
    EXPECT_TRUE(dialog.CommissionMode(0)->isChecked());
    EXPECT_TRUE(dialog.StopMode(0)->isChecked());
    EXPECT_TRUE(dialog.ReportBox(2)->isChecked());
    EXPECT_FALSE(dialog.ReportBox(0)->isChecked());
    EXPECT_TRUE(dialog.LoadRemaining()->isChecked());

    dialog.InitialEquity()->setText("2500.5");
    dialog.Positions()->setCurrentIndex(2);
    dialog.CommissionMode(1)->setChecked(true);
    dialog.CommissionValue()->setText("0.25");
    dialog.BuyPrice()->setCurrentIndex(4);
    dialog.BuyDelay()->setValue(2);
    dialog.SellPrice()->setCurrentIndex(1);
    dialog.SellDelay()->setValue(3);
    dialog.StopMode(2)->setChecked(true);
    dialog.StopValue()->setText("not a number");
    dialog.TrailingMode(1)->setChecked(true);
    dialog.TrailingPeriods()->setValue(14);
    dialog.TrailingRisk()->setText("1.5");
    dialog.ReportBox(0)->setChecked(true);
    dialog.ReportBox(4)->setChecked(false);
    dialog.LoadRemaining()->setChecked(false);
    const SystemTestSettings s = dialog.Settings();
    EXPECT_FLOAT_EQ(s.InitialEquity, 2500.5f);
    EXPECT_EQ(s.Positions, SystemTestSettings::kLongAndShort);
    EXPECT_EQ(s.CommissionMode, SystemTestSettings::kCommissionPercent);
    EXPECT_FLOAT_EQ(s.CommissionValue, 0.25f);
    EXPECT_EQ(s.BuyPrice, TradePrice::Average);
    EXPECT_EQ(s.BuyDelay, 2);
    EXPECT_EQ(s.SellPrice, TradePrice::Open);
    EXPECT_EQ(s.SellDelay, 3);
    EXPECT_EQ(s.StopMode, SystemTestSettings::kStopPoint);
    EXPECT_EQ(s.StopValue, 0.0f);  // the unreadable value keeps the old one
    EXPECT_EQ(s.TrailingStopMode, 1);
    EXPECT_EQ(s.TrailingStopPeriods, 14);
    EXPECT_FLOAT_EQ(s.TrailingStopRisk, 1.5f);
    EXPECT_EQ(s.ReportFormula, 1);
    EXPECT_EQ(s.ReportTradeList, 0);
    EXPECT_EQ(s.ReportOverallSummary, 1);
    EXPECT_EQ(s.LoadRemainingQuotes, 0);

    // The dialog shows what it was given.
    gui::SystemTestSettingsDialog again(s);
    EXPECT_EQ(again.Positions()->currentText(), "Long and short");
    EXPECT_TRUE(again.CommissionMode(1)->isChecked());
    EXPECT_EQ(again.BuyPrice()->currentText(), "Average");
    EXPECT_EQ(again.Settings().BuyDelay, 2);
}

TEST(FilterSettingsDialog, StoresTheCriteriaOfBothItemsAndClearResetsTheShownOne) {
    test::GuiFixture f;
    f.db.Categories().SetDefaultNames();
    StockFilter filter;
    filter.Items[1].Group = 4;
    gui::FilterSettingsDialog dialog(filter, f.db.Categories());
    ASSERT_EQ(dialog.Tabs()->count(), 2);
    EXPECT_EQ(dialog.Tabs()->tabText(0), "Include");
    EXPECT_EQ(dialog.Tabs()->tabText(1), "Exclude");
    EXPECT_EQ(dialog.Item(0).market->count(), 256);
    EXPECT_EQ(dialog.Item(0).sector->count(), 32);
    EXPECT_EQ(dialog.Item(0).market->currentIndex(), -1);
    EXPECT_EQ(dialog.Item(1).group->currentText(), "Group 4");

    dialog.Item(0).market->setCurrentIndex(3);
    dialog.Item(0).sector->setCurrentIndex(1);
    dialog.Item(0).favourites->setChecked(true);
    dialog.Item(1).indexes->setChecked(true);
    StockFilter edited = dialog.Filter();
    EXPECT_EQ(edited.Items[0].Mode, FilterItem::kInclude);
    EXPECT_EQ(edited.Items[0].Market, 3);
    EXPECT_EQ(edited.Items[0].Sector, 1);
    EXPECT_EQ(edited.Items[0].Group, FilterItem::kAny);
    EXPECT_EQ(edited.Items[0].Favourite, 1);
    EXPECT_EQ(edited.Items[1].Mode, FilterItem::kExclude);
    EXPECT_EQ(edited.Items[1].Group, 4);
    EXPECT_EQ(edited.Items[1].Index, 1);

    dialog.Tabs()->setCurrentIndex(1);
    dialog.ClearButton()->click();
    edited = dialog.Filter();
    EXPECT_TRUE(edited.Items[1].IsAny());
    EXPECT_EQ(edited.Items[1].Mode, FilterItem::kExclude);
    EXPECT_EQ(edited.Items[0].Market, 3);  // the other tab keeps its edits
}

TEST(QuickReviewWindow, FillsForTheTypeAndDayAndDoubleClickMakesTheStockCurrent) {
    AnalysisFixture f;
    gui::QuickReviewWindow w(f.context, MakeDate(2005, 1, 7));
    EXPECT_EQ(w.windowTitle(), "Review");
    ASSERT_EQ(w.TypeBox()->count(), 8);
    EXPECT_EQ(w.TypeBox()->itemText(6), "Price/Earnings comparison");
    QTableWidget* table = w.Table();
    ASSERT_EQ(table->columnCount(), 6);
    ASSERT_EQ(table->rowCount(), 3);
    EXPECT_EQ(Row(table, 0).mid(0, 3), (QStringList{"AAA", "5.00", "+25.0%"}));
    EXPECT_EQ(Row(table, 1)[0], "BBB");

    // Daily returns, best first.
    w.TypeBox()->setCurrentIndex(1);
    QStringList headers;
    for (int c = 0; c < table->columnCount(); ++c)
        headers << table->horizontalHeaderItem(c)->text();
    EXPECT_EQ(headers, (QStringList{"Ticker", "Prev. price", "Current price", "% change"}));
    ASSERT_EQ(table->rowCount(), 3);
    EXPECT_EQ(Row(table, 0), (QStringList{"AAA", "4.00", "5.00", "25.00%"}));
    EXPECT_EQ(Row(table, 1)[0], "TEST");
    EXPECT_EQ(Row(table, 2)[0], "BBB");
    emit table->cellDoubleClicked(2, 1);
    EXPECT_EQ(f.context.CurrentStock(), f.bbb);

    // A day BBB has no quotation on.
    w.DateEdit()->setDate(QDate(2005, 1, 10));
    ASSERT_EQ(table->rowCount(), 2);
    EXPECT_EQ(Row(table, 0), (QStringList{"AAA", "5.00", "6.00", "20.00%"}));
    EXPECT_EQ(Row(table, 1)[0], "TEST");

    // The filter dialog's OK fills again.
    w.TypeBox()->setCurrentIndex(0);
    w.editFilter = [](StockFilter& filter) {
        filter.Items[1].Index = 1;
        return true;
    };
    f.aaa->Flags |= Stock::kIndexFlag;
    Button(w, "Filter...")->click();
    ASSERT_EQ(table->rowCount(), 2);
    EXPECT_EQ(Row(table, 0)[0], "BBB");
}

TEST(QuickReviewWindow, StartsOnTheDayTheChartsPriceTitleShows) {
    test::GuiFixture f;
    EXPECT_EQ(gui::ReviewStartDay(f.context),
              MakeDate(QDate::currentDate().year(), QDate::currentDate().month(),
                       QDate::currentDate().day()));
    gui::ChartWindow chart(f.context);
    EXPECT_EQ(gui::ReviewStartDay(f.context), f.stock->Quotations.back().Date);
}

TEST(RiskYieldMapWindow, PlotsTheMappedStocksAndZoomsIntoADraggedRectangle) {
    test::GuiFixture f;  // TEST: 300 quotations, current
    Stock* other = f.db.AddStock("OTHER");
    SetContinuous(*other, true);
    PackedDate d = MakeDate(2005, 1, 3);
    for (int i = 0; i < 120; ++i, d = AddDays(d, 1)) {
        Quotation q;
        q.Date = d;
        q.Close = q.Open = q.High = q.Low = static_cast<float>(50 + (i % 10) * (i % 3));
        other->Quotations.push_back(q);
    }
    Stock* young = f.db.AddStock("YOUNG");
    for (int i = 0; i < 59; ++i)
        f.db.AddQuotation(*young, AddDays(MakeDate(2006, 1, 1), i))->Close = 5;

    gui::RiskYieldMapWindow w(f.context);
    EXPECT_EQ(w.windowTitle(), "Risk/Yield map");
    w.resize(420, 318);
    const QImage& picture = w.Picture();
    EXPECT_EQ(picture.size(), QSize(420, 318));
    EXPECT_EQ(w.Map().MappedCount(), 2);
    const MapDrawing& drawing = w.Drawing();
    EXPECT_EQ(drawing.PlotWidth, 420 - 42);
    EXPECT_EQ(drawing.PlotHeight, 318 - 25);
    // The risk labels below the plot stand clear of the bottom edge: its last rows are empty.
    for (int y = picture.height() - 4; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            ASSERT_EQ(picture.pixel(x, y), picture.pixel(0, 0)) << x << "," << y;
    ASSERT_EQ(drawing.Points.size(), 2u);
    const MapPoint& test =
        drawing.Points[0].Label.Text == "TES" ? drawing.Points[0] : drawing.Points[1];
    const MapPoint& oth = &test == &drawing.Points[0] ? drawing.Points[1] : drawing.Points[0];
    EXPECT_TRUE(test.Highlighted);
    EXPECT_FALSE(oth.Highlighted);
    EXPECT_NE(picture.pixel(test.X, test.Y), picture.pixel(oth.X, oth.Y));
    const MapRange whole = w.Map().VisibleRange();
    const QPoint testAt(test.X, test.Y), othAt(oth.X, oth.Y);  // the drawing changes below

    // A dragged rectangle becomes the visible range; a click shows everything again.
    Mouse(w, QEvent::MouseButtonPress, QPoint(20, 20));
    Mouse(w, QEvent::MouseMove, QPoint(120, 90));
    ASSERT_TRUE(w.Rubber().has_value());
    EXPECT_EQ(*w.Rubber(), QRect(QPoint(20, 20), QPoint(120, 90)));
    Mouse(w, QEvent::MouseButtonRelease, QPoint(120, 90));
    EXPECT_FALSE(w.Rubber().has_value());
    EXPECT_NE(w.Map().VisibleRange(), whole);
    Mouse(w, QEvent::MouseButtonPress, QPoint(60, 60));
    Mouse(w, QEvent::MouseButtonRelease, QPoint(61, 60));
    EXPECT_EQ(w.Map().VisibleRange(), whole);

    // A small rectangle round one point keeps that point alone, though the visible range is
    // widened to 1 percent, and both axes carry labelled grid lines.
    const QRect around(testAt - QPoint(3, 3), testAt + QPoint(3, 3));
    ASSERT_FALSE(around.contains(othAt));
    Mouse(w, QEvent::MouseButtonPress, around.topLeft());
    Mouse(w, QEvent::MouseButtonRelease, around.bottomRight());
    ASSERT_EQ(w.Drawing().Points.size(), 1u);
    EXPECT_EQ(w.Drawing().Points[0].Label.Text, "TES");
    int riskLabels = 0, yieldLabels = 0;  // a 1 percent span still gets lines at 0.1 percent
    for (const MapGridLine& line : w.Drawing().GridLines)
        (line.Horizontal ? yieldLabels : riskLabels) += line.Label ? 1 : 0;
    EXPECT_GE(riskLabels, 2);
    EXPECT_GE(yieldLabels, 2);
    Mouse(w, QEvent::MouseButtonPress, QPoint(60, 60));
    Mouse(w, QEvent::MouseButtonRelease, QPoint(60, 60));
    ASSERT_EQ(w.Drawing().Points.size(), 2u);

    // A click on a point opens its stock.
    for (const MapPoint& p : w.Drawing().Points) {
        if (p.Label.Text != "OTH") continue;
        EXPECT_EQ(w.StockAt(QPoint(p.X + 2, p.Y - 2)), other);
        EXPECT_EQ(w.StockAt(QPoint(p.X + 3, p.Y)), nullptr);
        Mouse(w, QEvent::MouseButtonPress, QPoint(p.X, p.Y));
        Mouse(w, QEvent::MouseButtonRelease, QPoint(p.X, p.Y));
    }
    EXPECT_EQ(f.context.CurrentStock(), other);

    // Loaded quotations make the values stale; a new current stock moves the highlight.
    for (int i = 0; i < 60; ++i)
        f.db.AddQuotation(*young, AddDays(MakeDate(2006, 3, 1), i))->Close = 6;
    f.context.MakeCurrent(other, 0);
    w.Picture();
    EXPECT_EQ(w.Map().MappedCount(), 3);
    for (const MapPoint& p : w.Drawing().Points)
        EXPECT_EQ(p.Highlighted, p.Label.Text == "OTH") << p.Label.Text;
}

TEST(AnalysisMenu, OpensEachWindowOnceAndKeepsIt) {
    test::TempDir profile, workspace;
    {
        Database db;
        Preferences prefs;
        RecordingUserInterface ui;
        AddStock(db, "AAA", {1, 2, 3});
        db.SetWorkspaceDir(workspace.path());
        ASSERT_TRUE(Workspace(db, prefs, ui).SaveWorkspace());
    }
    RecordingUserInterface ui;
    gui::DesktopProgram program(profile.path(), workspace.path(), &ui);
    ASSERT_TRUE(program.StartUp());
    gui::MainWindow& main = *program.Window();
    QMenu* analysis = nullptr;
    for (QAction* a : main.menuBar()->actions())
        if (a->text() == "&Analysis") analysis = a->menu();
    ASSERT_NE(analysis, nullptr);
    QStringList items;
    for (QAction* a : analysis->actions()) items << a->text();
    EXPECT_EQ(items,
              (QStringList{"&Automatic Analysis...", "Quick &Review...", "&Risk/yield map"}));
    for (QAction* a : analysis->actions()) {
        a->trigger();
        a->trigger();
    }
    // The Standard bar carries the same commands.
    QToolBar* standard = main.findChild<QToolBar*>(QStringLiteral("Standard"));
    ASSERT_NE(standard, nullptr);
    EXPECT_TRUE(standard->actions().contains(analysis->actions()[0]));
    EXPECT_EQ(main.findChildren<gui::AnalysisWindow*>().size(), 1);
    EXPECT_EQ(main.findChildren<gui::QuickReviewWindow*>().size(), 1);
    EXPECT_EQ(main.findChildren<gui::RiskYieldMapWindow*>().size(), 1);
    EXPECT_TRUE(main.findChild<gui::AnalysisWindow*>()->isVisible());
    program.Exit();
}

}  // namespace
}  // namespace velmora
