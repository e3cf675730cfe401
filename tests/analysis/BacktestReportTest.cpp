#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "analysis/AnalysisTestSupport.h"
#include "analysis/Backtest.h"
#include "analysis/BacktestReport.h"
#include "analysis/ResultExport.h"
#include "common/TestSupport.h"
#include "database/PackedDate.h"
#include "platform/ConsoleUserInterface.h"

namespace velmora {
namespace {

using test::Bars;

// A backtest of hand-checked stocks: the list rows, the kept records and the overall summary.
struct Backtest {
    explicit Backtest(SystemTestSettings s) : settings(s), commission(settings, CommissionTable{}) {
        results.Clear(settings.InitialEquity);
    }
    void Stock(std::string_view ticker, const QuotationList& bars, const std::vector<float>& buy,
               const std::vector<float>& sell) {
        StockTestSummary record = StockTestSummary::Start(ticker, settings.InitialEquity);
        const StockTestParameters params{settings, commission, settings.StopLevel()};
        if (TestStock(params, bars, buy, sell, 0, static_cast<int>(bars.size()), rows, record)) {
            results.Keep(record);
        }
    }
    void Finish() {
        results.BuildOverall();
        results.AddClosingRows(rows);
    }
    std::string Report() {
        NullProgress progress;
        return BuildBacktestReport(results, rows, settings, progress).value();
    }

    SystemTestSettings settings;
    CommissionModel commission;
    ResultList rows;
    BacktestResults results;
};

SystemTestSettings PointCommission() {
    SystemTestSettings s;
    s.CommissionMode = SystemTestSettings::kCommissionPoint;
    s.CommissionValue = 10;
    return s;
}

// ABC: long 10 -> 12 (low 9 on the way), then long 12 -> 11; the last close is 12.
void AddAbc(Backtest& bt) {
    auto bars = Bars({10, 9, 12, 12, 11, 12});
    bt.Stock("ABC", bars, {1, 0, 0, 1, 0, 0}, {0, 0, 1, 0, 1, 0});
}

const std::string kHead =
    "<HEAD>\n<TITLE>Velmora System Test Report</TITLE><STYLE>\n<!--\nBODY { "
    "font-family:\"Tahoma,Arial,Helvetica,Sans Serif\"; font-size:8pt; }\nTD {  font-size:8pt; "
    "}\n.BIG { font-size:10pt; font-weight:bold; }\n-->\n</STYLE></HEAD>\n<BODY>\n";

std::string Cells(const std::string& l1, const std::string& v1, const std::string& l2,
                  const std::string& v2) {
    return "<TR><TD>" + l1 + "</TD><TD ALIGN=RIGHT>" + v1 + "</TD><TD>&nbsp;</TD><TD>" + l2 +
           "</TD><TD ALIGN=RIGHT>" + v2 + "</TD></TR>\n";
}

const std::string kSpacer = "<TR><TD COLSPAN=5>&nbsp;</TD></TR>\n";

// The performance table of ABC's test, worked out by hand:
// trade 1: profit 2000, commission 20, excursion (9 - 10) * 10000 / 10 = -1000, equity 11980;
// trade 2: profit -11980 / 12 = -998.33, commission 20, equity 10961.67;
// buy-and-hold: 10 -> 12 on 10000 less 20 = 11980 over 5 bars.
std::string AbcTable(const std::string& title) {
    return "<TABLE CELLSPACING=2 WIDTH=100%>\n"
           "<TR bgcolor=\"#CCCCCC\"><TD COLSPAN=5 align=\"center\" class=\"BIG\">" +
           title + "</TD></TR>\n" + kSpacer +
           Cells("Total net profit:", "961.67", "Total commissions paid:", "40.00") +
           "<TR><TD>Return on account:</TD><TD ALIGN=RIGHT>9.62 %\n</TD><TD>&nbsp;</TD><TD>Open "
           "position gain/loss</TD><TD ALIGN=RIGHT>0.00</TD></TR>" +
           Cells("Buy-and-hold profit:", "1980.00", "Bars in test:", "5") +
           Cells("Buy-and-hold % return:", "19.80%", "System to Buy-and-Hold index:", "-51.43%") +
           kSpacer + Cells("Max. trade drawdown:", "-1000.00", "System drawdown:", "-1000.00") +
           kSpacer + Cells("Total number of trades:", "2", "Percent profitable:", "50.0%") +
           Cells("Number winning trades:", "1", "Number losing trades:", "1") +
           Cells("Profit of winners:", "2000.00", "Loss of losers:", "-998.33") +
           Cells("Total # of bars in winners:", "2", "Total # of bars in losers:", "1") +
           Cells("Commissions paid in winners:", "20.00", "Commissions paid in losers:", "20.00") +
           kSpacer +
           Cells("Largest winning trade:", "2000.00", "Largest losing trade:", "-998.33") +
           Cells("# of bars in largest winner:", "2", "# bars in largest loser:", "1") +
           Cells("Commission paid in largest winner:", "20.00",
                 "Commission paid in largest loser:", "20.00") +
           kSpacer +
           Cells("Average winning trade:", "2000.00", "Average losing trade:", "-998.33") +
           Cells("Avg. # of bars in winners:", "     2.0", "Avg. # bars in losers:", "     1.0") +
           Cells("Avg. commission paid in winner:", "20.00",
                 "Avg. commission paid in loser:", "20.00") +
           Cells("Max consec. winners:", "1", "Max consec. losers:", "1") + kSpacer +
           Cells("Ratio avg win/avg loss:", "2.00", "Avg. trade (win & loss):", "500.83") +
           "<TR><TD>Profit factor:</TD><TD ALIGN=RIGHT>2.00</TD><TD>&nbsp;</TD><TD></TD><TD></"
           "TD></TR></TABLE><P>\n<P>\n";
}

const std::string kTradeListHead =
    "<TR><TD>Trade</TD><TD>Entry date</TD><TD>Exit date</TD><TD ALIGN=RIGHT>Net Profit</TD><TD "
    "ALIGN=RIGHT>Equity value</TD></TR>\n";

std::string TradeListTitle(const std::string& ticker) {
    return "<TABLE CELLSPACING=2 WIDTH=100%>\n<TR bgcolor=\"#CCCCCC\"><TD COLSPAN=5 "
           "align=\"center\" class=\"BIG\">Trade list for " +
           ticker + " </TD></TR>\n" + kTradeListHead;
}

TEST(BacktestReport, HandCheckedReportByteForByte) {
    Backtest bt(PointCommission());
    AddAbc(bt);
    bt.Finish();
    ASSERT_EQ(bt.results.Stocks.size(), 1u);
    const std::string expected =
        kHead + AbcTable("Overall performance summary") + AbcTable("Performance for ABC ") +
        TradeListTitle("ABC") +
        "<TR><TD>Long</TD><TD>24-01-01</TD><TD>24-01-03</TD><TD ALIGN=RIGHT>1980.00</TD><TD "
        "ALIGN=RIGHT>11980.00</TD></TR>\n"
        "<TR><TD>Long</TD><TD>24-01-04</TD><TD>24-01-05</TD><TD ALIGN=RIGHT>-1018.33</TD><TD "
        "ALIGN=RIGHT>10961.67</TD></TR>\n"
        "</TABLE>\n<P>\n</BODY>\n";
    EXPECT_EQ(bt.Report(), expected);

    // The rows of the list and the summary line of the same test.
    ASSERT_EQ(bt.rows.Size(), 4u);
    EXPECT_EQ(std::string(bt.rows[0].Text), "ABC\tLong\t24-01-01\t24-01-03\t19.8%");
    EXPECT_EQ(std::string(bt.rows[1].Text), "ABC\tLong\t24-01-04\t24-01-05\t-8.5%");
    EXPECT_EQ(bt.results.SummaryLine(),
              "Trans no.: 2, Avg. trade (gain+loss)= +500.83, Test portfolio =    10962 (  "
              "+9.62%)");
}

TEST(BacktestReport, AllSwitchesOffLeavesHeadAndEmptyBody) {
    SystemTestSettings s = PointCommission();
    s.ReportOverallSummary = 0;
    s.ReportStockSummary = 0;
    s.ReportTradeList = 0;
    Backtest bt(s);
    AddAbc(bt);
    bt.Finish();
    EXPECT_EQ(bt.Report(), kHead + "</BODY>\n");
}

TEST(BacktestReport, TradeListsFollowTheKeptStocksInOnePass) {
    SystemTestSettings s = PointCommission();
    s.ReportOverallSummary = 0;
    s.ReportStockSummary = 0;
    Backtest bt(s);
    // NOP never trades and is not kept; KEPT buys and sells on one bar and trades nothing;
    // ABC trades twice; ZED once.
    bt.Stock("NOP", Bars({10, 11}), {1, 0}, {0, 0});
    bt.Stock("KEPT", Bars({10, 11}), {1, 0}, {1, 0});
    AddAbc(bt);
    bt.Stock("ZED", Bars({5, 6}), {1, 0}, {0, 1});
    bt.Finish();
    ASSERT_EQ(bt.results.Stocks.size(), 3u);
    EXPECT_EQ(bt.results.Stocks[0].Trades, 0);
    const std::string report = bt.Report();
    const std::string kept = TradeListTitle("KEPT") + "</TABLE>\n<P>\n";
    EXPECT_EQ(report.substr(kHead.size(), kept.size()), kept);
    EXPECT_EQ(report.find("NOP"), std::string::npos);
    // Each trade list holds its own rows, right under its header, and no other.
    const std::string abcList =
        TradeListTitle("ABC") +
        "<TR><TD>Long</TD><TD>24-01-01</TD><TD>24-01-03</TD><TD ALIGN=RIGHT>1980.00</TD><TD "
        "ALIGN=RIGHT>11980.00</TD></TR>\n"
        "<TR><TD>Long</TD><TD>24-01-04</TD><TD>24-01-05</TD><TD ALIGN=RIGHT>-1018.33</TD><TD "
        "ALIGN=RIGHT>10961.67</TD></TR>\n</TABLE>\n<P>\n";
    const std::string zedList =
        TradeListTitle("ZED") +
        "<TR><TD>Long</TD><TD>24-01-01</TD><TD>24-01-02</TD><TD ALIGN=RIGHT>1980.00</TD><TD "
        "ALIGN=RIGHT>11980.00</TD></TR>\n</TABLE>\n<P>\n";
    EXPECT_EQ(report, kHead + kept + abcList + zedList + "</BODY>\n");
}

TEST(BacktestReport, ZeroDivisorsPrintNotAvailable) {
    // No stock kept: the overall table has no equity, no trades, nothing to divide by.
    Backtest none(PointCommission());
    none.Finish();
    const std::string empty = none.Report();
    EXPECT_EQ(empty.find("nan"), std::string::npos);
    EXPECT_EQ(empty.find("inf"), std::string::npos);
    EXPECT_NE(empty.find("<TD>Return on account:</TD><TD ALIGN=RIGHT>n/a\n</TD>"),
              std::string::npos);
    EXPECT_NE(empty.find("<TD>Percent profitable:</TD><TD ALIGN=RIGHT>n/a</TD>"),
              std::string::npos);
    EXPECT_NE(empty.find("<TD>Profit factor:</TD><TD ALIGN=RIGHT>n/a</TD>"), std::string::npos);
    EXPECT_EQ(none.results.SummaryLine(),
              "Trans no.: 0, Avg. trade (gain+loss)=   +0.00, Test portfolio =    10000 (  "
              "+0.00%)");

    // Only winners: the losers' averages, the ratio and the profit factor have no divisor.
    Backtest winners(SystemTestSettings{});
    winners.Stock("UP", Bars({10, 11}), {1, 0}, {0, 1});
    winners.Finish();
    const std::string report = winners.Report();
    EXPECT_EQ(report.find("nan"), std::string::npos);
    EXPECT_EQ(report.find("inf"), std::string::npos);
    EXPECT_NE(report.find("<TD>Average losing trade:</TD><TD ALIGN=RIGHT>n/a</TD>"),
              std::string::npos);
    EXPECT_NE(report.find("<TD>Avg. # bars in losers:</TD><TD ALIGN=RIGHT>n/a</TD>"),
              std::string::npos);
    EXPECT_NE(report.find("<TD>Ratio avg win/avg loss:</TD><TD ALIGN=RIGHT>n/a</TD>"),
              std::string::npos);
    EXPECT_NE(report.find("<TD>Profit factor:</TD><TD ALIGN=RIGHT>n/a</TD>"), std::string::npos);
    // A zero-profit loser: the loss of losers is 0, so the profit factor still has none.
    Backtest flat(SystemTestSettings{});
    flat.Stock("UP", Bars({10, 11, 10, 10}), {1, 0, 1, 0}, {0, 1, 0, 1});
    flat.Finish();
    EXPECT_NE(flat.Report().find("<TD>Profit factor:</TD><TD ALIGN=RIGHT>n/a</TD>"),
              std::string::npos);
}

TEST(BacktestReport, TickersAreEscaped) {
    Backtest bt(SystemTestSettings{});
    bt.Stock("A<B&C", Bars({10, 11}), {1, 0}, {0, 1});
    bt.Finish();
    const std::string report = bt.Report();
    EXPECT_NE(report.find("Performance for A&lt;B&amp;C </TD>"), std::string::npos);
    EXPECT_NE(report.find("Trade list for A&lt;B&amp;C </TD>"), std::string::npos);
}

TEST(BacktestReport, ProgressStepsPerKeptStockAndCancelWritesNothing) {
    Backtest bt(PointCommission());
    AddAbc(bt);
    bt.Stock("ZED", Bars({5, 6}), {1, 0}, {0, 1});
    bt.Finish();
    RecordingUserInterface ui;
    test::TempDir dir;
    ASSERT_TRUE(WriteBacktestReport(dir / "r.html", bt.results, bt.rows, bt.settings, ui.progress));
    ASSERT_EQ(ui.progress.steps.size(), 2u);
    EXPECT_EQ(ui.progress.steps[1].index, 1);
    EXPECT_EQ(ui.progress.steps[1].total, 2);
    EXPECT_EQ(ui.progress.steps[1].detail, "Preparing report");
    EXPECT_EQ(ui.progress.steps[1].caption, "");
    EXPECT_EQ(test::ReadText(dir / "r.html"), bt.Report());

    RecordingUserInterface cancelling;
    cancelling.progress.cancelAt = 1;
    EXPECT_FALSE(
        WriteBacktestReport(dir / "c.html", bt.results, bt.rows, bt.settings, cancelling.progress));
    EXPECT_FALSE(std::filesystem::exists(dir / "c.html"));
}

TEST(BacktestReport, TemporaryFileIsWrittenOnceAndDeletedOnRequest) {
    test::TempDir dir;
    const char* old = std::getenv("TMPDIR");
    const std::string saved = old ? old : "";
    ::setenv("TMPDIR", dir.path().c_str(), 1);
    Backtest bt(PointCommission());
    AddAbc(bt);
    bt.Finish();
    NullProgress progress;
    std::optional<std::filesystem::path> file;
    {
        TemporaryReportFile report;
        file = report.Prepare(bt.results, bt.rows, bt.settings, progress);
        ASSERT_TRUE(file.has_value());
        EXPECT_EQ(file->parent_path(), dir.path());
        EXPECT_TRUE(file->filename().string().starts_with("Report"));
        EXPECT_EQ(test::ReadText(*file), bt.Report());
        // A second request reuses the file as it is.
        test::WriteText(*file, "kept");
        EXPECT_EQ(report.Prepare(bt.results, bt.rows, bt.settings, progress), file);
        EXPECT_EQ(test::ReadText(*file), "kept");
        // A new backtest deletes it; the next request writes a fresh one.
        report.Delete();
        EXPECT_FALSE(std::filesystem::exists(*file));
        EXPECT_FALSE(report.Path().has_value());
        file = report.Prepare(bt.results, bt.rows, bt.settings, progress);
        ASSERT_TRUE(file.has_value());
        EXPECT_EQ(test::ReadText(*file), bt.Report());
    }
    // The window going takes the file with it.
    EXPECT_FALSE(std::filesystem::exists(*file));
    if (old) {
        ::setenv("TMPDIR", saved.c_str(), 1);
    } else {
        ::unsetenv("TMPDIR");
    }
}

TEST(ResultExport, TextFileAndSummaryReport) {
    Backtest bt(PointCommission());
    AddAbc(bt);
    bt.Finish();
    const BackTestListState state = BackTestCommandResult(bt.rows, bt.results);
    const std::string text =
        ResultExportText("buy = 1;\r\nsell = 0;", bt.rows, state.ShownRows, state.StatusText);
    EXPECT_EQ(text,
              "Formula used:\nbuy = 1;\nsell = 0;\n\nAnalysis results:\n"
              "ABC\tLong\t24-01-01\t24-01-03\t19.8%\t\n"
              "ABC\tLong\t24-01-04\t24-01-05\t-8.5%\t\n"
              "\t\t\t\t\t\n"
              "\n\n"
              "Trans no.: 2, Avg. trade (gain+loss)= +500.83, Test portfolio =    10962 (  "
              "+9.62%)\n");

    // Scan rows have four columns; the fifth is empty.
    ResultList scan;
    scan.Add("ABC\tBuy\t24-01-01\t10.00");
    EXPECT_EQ(ResultExportText("", scan, 1, "Ready"),
              "Formula used:\n\n\nAnalysis results:\nABC\tBuy\t24-01-01\t10.00\t\t\n\n\nReady\n");

    test::TempDir dir;
    NullProgress progress;
    ASSERT_TRUE(ExportResults(dir / "out.txt", "buy = 1;\r\nsell = 0;", bt.rows, state.ShownRows,
                              state.StatusText, bt.results, bt.settings, progress));
    EXPECT_EQ(test::ReadText(dir / "out.txt"), text);
    EXPECT_EQ(SummaryReportPath(dir / "out.txt"), dir / "out.txt_Summary.html");
    EXPECT_EQ(test::ReadText(dir / "out.txt_Summary.html"), bt.Report());
    EXPECT_FALSE(ExportResults(dir / "missing" / "out.txt", "", bt.rows, state.ShownRows,
                               state.StatusText, bt.results, bt.settings, progress));
}

}  // namespace
}  // namespace velmora
