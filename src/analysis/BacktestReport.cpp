#include "analysis/BacktestReport.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <string_view>
#include <system_error>
#include <vector>

#include "analysis/BacktestText.h"
#include "analysis/StatisticsReport.h"
#include "database/PackedDate.h"
#include "platform/FileUtil.h"
#include "platform/StringFormat.h"

extern char** environ;

namespace velmora {

namespace {

constexpr std::string_view kHead =
    "<HEAD>\n<TITLE>Velmora System Test Report</TITLE>"
    "<STYLE>\n<!--\nBODY { font-family:\"Tahoma,Arial,Helvetica,Sans Serif\"; font-size:8pt; "
    "}\nTD {  font-size:8pt; }\n.BIG { font-size:10pt; font-weight:bold; }\n-->\n</STYLE>"
    "</HEAD>\n<BODY>\n";
constexpr std::string_view kTableStart = "<TABLE CELLSPACING=2 WIDTH=100%>\n";
constexpr std::string_view kTitleStart =
    "<TR bgcolor=\"#CCCCCC\"><TD COLSPAN=5 align=\"center\" class=\"BIG\">";
constexpr std::string_view kTitleEnd = "</TD></TR>\n";
constexpr std::string_view kSpacer = "<TR><TD COLSPAN=5>&nbsp;</TD></TR>\n";
constexpr std::string_view kTradeHeader =
    "<TR><TD>Trade</TD><TD>Entry date</TD><TD>Exit date</TD><TD ALIGN=RIGHT>Net Profit</TD>"
    "<TD ALIGN=RIGHT>Equity value</TD></TR>\n";

// Tickers are the user's text: the few characters that would open markup are escaped.
std::string Html(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string Fixed2(double v) {
    return FormatOrNa("%.2lf", v);
}
std::string Count(std::int32_t v) {
    return std::to_string(v);
}

// One statistic row: label, value, a blank cell, label, value, and the line end.
void Row(std::string& out, std::string_view label1, std::string_view value1,
         std::string_view label2, std::string_view value2) {
    out += "<TR><TD>";
    out += label1;
    out += "</TD><TD ALIGN=RIGHT>";
    out += value1;
    out += "</TD><TD>&nbsp;</TD><TD>";
    out += label2;
    out += "</TD><TD ALIGN=RIGHT>";
    out += value2;
    out += "</TD></TR>\n";
}

void AppendPerformanceTable(std::string& out, const StockTestSummary& r) {
    const double I = r.InitialEquity;
    const double E = r.Equity;
    const double BH = r.BuyAndHoldEquity;
    const double W = r.Winners;
    const double L = r.Losers;
    const std::optional<double> avgWin = Quotient(r.ProfitOfWinners, W);
    const std::optional<double> avgLoss = Quotient(r.LossOfLosers, L);

    out += kTableStart;
    out += kTitleStart;
    if (!r.Name.Empty()) {
        out += "Performance for ";
        out += Html(r.Name.View());
        out += ' ';
    } else {
        out += "Overall performance summary";
    }
    out += kTitleEnd;
    out += kSpacer;

    Row(out, "Total net profit:", Fixed2(E - I),
        "Total commissions paid:", Fixed2(r.CommissionsOfWinners + r.CommissionsOfLosers));
    // This row keeps a line end inside its value cell and has none after it.
    out += "<TR><TD>Return on account:</TD><TD ALIGN=RIGHT>";
    out += FormatOrNa("%.2lf %%", Quotient((E - I) * 100, I));
    out += "\n</TD><TD>&nbsp;</TD><TD>Open position gain/loss</TD><TD ALIGN=RIGHT>";
    out += Fixed2(r.OpenPositionGain);
    out += "</TD></TR>";
    Row(out, "Buy-and-hold profit:", Fixed2(BH - I), "Bars in test:", Count(r.BarsInTest));
    Row(out, "Buy-and-hold % return:", FormatOrNa("%.2lf%%", Quotient((BH - I) * 100, I)),
        "System to Buy-and-Hold index:",
        FormatOrNa("%.2lf%%", Quotient((E - BH) * 100, std::abs(BH - I))));
    out += kSpacer;
    Row(out, "Max. trade drawdown:", Fixed2(r.MaxTradeDrawdown),
        "System drawdown:", Fixed2(r.SystemDrawdown));
    out += kSpacer;
    Row(out, "Total number of trades:", Count(r.Trades),
        "Percent profitable:", FormatOrNa("%.1lf%%", Quotient(W * 100, r.Trades)));
    Row(out, "Number winning trades:", Count(r.Winners), "Number losing trades:", Count(r.Losers));
    Row(out, "Profit of winners:", Fixed2(r.ProfitOfWinners),
        "Loss of losers:", Fixed2(r.LossOfLosers));
    Row(out, "Total # of bars in winners:", Count(r.BarsInWinners),
        "Total # of bars in losers:", Count(r.BarsInLosers));
    Row(out, "Commissions paid in winners:", Fixed2(r.CommissionsOfWinners),
        "Commissions paid in losers:", Fixed2(r.CommissionsOfLosers));
    out += kSpacer;
    Row(out, "Largest winning trade:", Fixed2(r.LargestWinner),
        "Largest losing trade:", Fixed2(r.LargestLoser));
    Row(out, "# of bars in largest winner:", Count(r.LargestWinnerBars),
        "# bars in largest loser:", Count(r.LargestLoserBars));
    Row(out, "Commission paid in largest winner:", Fixed2(r.LargestWinnerCommission),
        "Commission paid in largest loser:", Fixed2(r.LargestLoserCommission));
    out += kSpacer;
    Row(out, "Average winning trade:", FormatOrNa("%.2lf", avgWin),
        "Average losing trade:", FormatOrNa("%.2lf", avgLoss));
    Row(out, "Avg. # of bars in winners:", FormatOrNa("%8.1lf", Quotient(r.BarsInWinners, W)),
        "Avg. # bars in losers:", FormatOrNa("%8.1lf", Quotient(r.BarsInLosers, L)));
    Row(out,
        "Avg. commission paid in winner:", FormatOrNa("%.2lf", Quotient(r.CommissionsOfWinners, W)),
        "Avg. commission paid in loser:", FormatOrNa("%.2lf", Quotient(r.CommissionsOfLosers, L)));
    Row(out, "Max consec. winners:", Count(r.MaxConsecutiveWinners),
        "Max consec. losers:", Count(r.MaxConsecutiveLosers));
    out += kSpacer;
    std::optional<double> ratio;
    if (avgWin && avgLoss) {
        if (const auto q = Quotient(*avgWin, *avgLoss)) ratio = std::abs(*q);
    }
    Row(out, "Ratio avg win/avg loss:", FormatOrNa("%.2lf", ratio), "Avg. trade (win & loss):",
        FormatOrNa("%.2lf", Quotient(r.ProfitOfWinners + r.LossOfLosers, W + L)));
    std::optional<double> factor;
    if (const auto q = Quotient(r.ProfitOfWinners, r.LossOfLosers)) factor = std::abs(*q);
    // The last row has empty second cells and no line end.
    out += "<TR><TD>Profit factor:</TD><TD ALIGN=RIGHT>";
    out += FormatOrNa("%.2lf", factor);
    out += "</TD><TD>&nbsp;</TD><TD></TD><TD></TD></TR>";
    out += "</TABLE><P>\n";
    out += "<P>\n";
}

// The trade list of a ticker: the rows from the cursor on that belong to it.
void AppendTradeList(std::string& out, std::string_view ticker, const ResultList& rows,
                     std::size_t& cursor, DateStyle dates) {
    out += kTableStart;
    out += kTitleStart;
    out += "Trade list for ";
    out += Html(ticker);
    out += ' ';
    out += kTitleEnd;
    out += kTradeHeader;
    for (; cursor < rows.Size() && rows[cursor].Ticker.View() == ticker; ++cursor) {
        const ResultRow& row = rows[cursor];
        out += FormatString(
            "<TR><TD>%s</TD><TD>%s</TD><TD>%s</TD><TD ALIGN=RIGHT>%s</TD><TD "
            "ALIGN=RIGHT>%s</TD></TR>\n",
            row.TradeType == ResultRow::kShort ? "Short" : "Long",
            DateToText(row.EntryDate, dates).c_str(), DateToText(row.ExitDate, dates).c_str(),
            FormatOrNa("%.2f", row.EquityAfter - row.EquityBefore).c_str(),
            Fixed2(row.EquityAfter).c_str());
    }
    out += "</TABLE>\n<P>\n";
}

}  // namespace

std::string PerformanceTable(const StockTestSummary& record) {
    std::string out;
    AppendPerformanceTable(out, record);
    return out;
}

std::optional<std::string> BuildBacktestReport(const BacktestResults& results,
                                               const ResultList& rows,
                                               const SystemTestSettings& settings,
                                               ProgressReporter& progress, DateStyle dates) {
    std::string out;
    out.reserve(4096 + results.Stocks.size() * 4096);
    out += kHead;
    if (!results.LookAheadWarning.empty()) {
        out += "<P><B>" + Html(results.LookAheadWarning) + "</B></P>\n";
    }
    if (settings.ReportOverallSummary) AppendPerformanceTable(out, results.Overall);
    std::size_t cursor = 0;
    const int total = static_cast<int>(results.Stocks.size());
    for (int i = 0; i < total; ++i) {
        const StockTestSummary& record = results.Stocks[static_cast<std::size_t>(i)];
        if (!progress.Step(i, total, kReportProgressText, "")) {
            progress.Close();
            return std::nullopt;
        }
        if (settings.ReportStockSummary) AppendPerformanceTable(out, record);
        if (settings.ReportTradeList) AppendTradeList(out, record.Name.View(), rows, cursor, dates);
    }
    AppendStatisticsSection(out, results);
    out += "</BODY>\n";
    progress.Close();
    return out;
}

Status WriteBacktestReport(const std::filesystem::path& path, const BacktestResults& results,
                           const ResultList& rows, const SystemTestSettings& settings,
                           ProgressReporter& progress, DateStyle dates) {
    const auto text = BuildBacktestReport(results, rows, settings, progress, dates);
    if (!text) return Status::Error("the report was cancelled", StatusCode::Cancelled);
    return WriteFileAtomically(path, std::string_view(*text));
}

void TemporaryReportFile::Delete() {
    if (!path_) return;
    std::error_code ec;
    std::filesystem::remove(*path_, ec);
    path_.reset();
}

std::optional<std::filesystem::path> TemporaryReportFile::Prepare(
    const BacktestResults& results, const ResultList& rows, const SystemTestSettings& settings,
    ProgressReporter& progress, DateStyle dates) {
    if (path_) return path_;
    std::error_code ec;
    const std::filesystem::path dir = std::filesystem::temp_directory_path(ec);
    if (ec) return std::nullopt;
    const std::string suffix = ".html";
    std::string name = (dir / "ReportXXXXXX").string() + suffix;
    const int fd = ::mkstemps(name.data(), static_cast<int>(suffix.size()));
    if (fd < 0) return std::nullopt;
    ::close(fd);
    const std::filesystem::path file(name);
    if (!WriteBacktestReport(file, results, rows, settings, progress, dates)) {
        std::filesystem::remove(file, ec);
        return std::nullopt;
    }
    path_ = file;
    return path_;
}

bool OpenWithDesktop(const std::filesystem::path& file) {
    // The shell starts xdg-open in the background and returns at once, so a viewer that keeps
    // xdg-open waiting does not hold us; its output is discarded.
    const std::string script =
        "command -v xdg-open >/dev/null 2>&1 || exit 127; "
        "xdg-open \"$1\" >/dev/null 2>&1 </dev/null &";
    std::string pathText = file.string();
    std::vector<char*> argv = {
        const_cast<char*>("sh"), const_cast<char*>("-c"), const_cast<char*>(script.c_str()),
        const_cast<char*>("sh"), pathText.data(),         nullptr};
    pid_t pid = 0;
    if (posix_spawn(&pid, "/bin/sh", nullptr, nullptr, argv.data(), environ) != 0) return false;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return false;
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace velmora
