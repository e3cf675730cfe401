#include "analysis/StatisticsReport.h"

#include <algorithm>
#include <string_view>

#include "analysis/BacktestText.h"
#include "platform/StringFormat.h"

namespace velmora {

namespace {

constexpr double kWidth = 600;
constexpr double kEquityHeight = 200;
constexpr double kDrawdownHeight = 100;

constexpr std::string_view kHeader =
    "<TR><TD>Stock</TD><TD ALIGN=RIGHT>CAR %</TD><TD ALIGN=RIGHT>Max. drawdown %</TD>"
    "<TD ALIGN=RIGHT>Max. drawdown</TD><TD ALIGN=RIGHT>Exposure %</TD>"
    "<TD ALIGN=RIGHT>Sharpe</TD><TD ALIGN=RIGHT>Sortino</TD>"
    "<TD ALIGN=RIGHT>Profit factor</TD><TD ALIGN=RIGHT>Expectancy</TD>"
    "<TD ALIGN=RIGHT>Avg. bars held</TD><TD ALIGN=RIGHT>Recovery factor</TD></TR>\n";

std::string Escaped(std::string_view text) {
    std::string out;
    for (const char c : text) {
        if (c == '&') {
            out += "&amp;";
        } else if (c == '<') {
            out += "&lt;";
        } else if (c == '>') {
            out += "&gt;";
        } else {
            out += c;
        }
    }
    return out;
}

void AppendRow(std::string& out, std::string_view name, const ExtendedStatistics& s) {
    out += "<TR><TD>" + Escaped(name) + "</TD>";
    for (const std::string& cell :
         {FormatOrNa("%.2lf", s.CarPercent), FormatOrNa("%.2lf", s.MaxDrawdownPercent),
          FormatOrNa("%.2lf", s.MaxDrawdown), FormatOrNa("%.2lf", s.ExposurePercent),
          FormatOrNa("%.3lf", s.Sharpe), FormatOrNa("%.3lf", s.Sortino),
          FormatOrNa("%.3lf", s.ProfitFactor), FormatOrNa("%.2lf", s.Expectancy),
          FormatOrNa("%.2lf", s.AverageBarsHeld), FormatOrNa("%.3lf", s.RecoveryFactor)}) {
        out += "<TD ALIGN=RIGHT>" + cell + "</TD>";
    }
    out += "</TR>\n";
}

// A polyline of the values over the width, the lowest at the bottom and the highest at the
// top of a panel of the height, with its lowest and highest values written at the left.
void AppendPanel(std::string& out, const std::vector<double>& values, double height,
                 const char* colour, const char* title) {
    const auto [lowest, highest] = std::minmax_element(values.begin(), values.end());
    const double low = *lowest;
    const double span = *highest > low ? *highest - low : 1;
    const double step = values.size() > 1 ? kWidth / static_cast<double>(values.size() - 1) : 0;
    out += FormatString(
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%.0lf\" height=\"%.0lf\" "
        "viewBox=\"-70 -15 %.0lf %.0lf\" role=\"img\"><title>%s</title>\n"
        "<rect x=\"0\" y=\"0\" width=\"%.0lf\" height=\"%.0lf\" fill=\"none\" stroke=\"#999\"/>\n"
        "<text x=\"-5\" y=\"4\" font-size=\"10\" text-anchor=\"end\">%.0lf</text>\n"
        "<text x=\"-5\" y=\"%.0lf\" font-size=\"10\" text-anchor=\"end\">%.0lf</text>\n"
        "<text x=\"0\" y=\"-4\" font-size=\"10\">%s</text>\n"
        "<polyline fill=\"none\" stroke=\"%s\" stroke-width=\"1\" points=\"",
        kWidth + 80, height + 30, kWidth + 80, height + 30, title, kWidth, height, *highest,
        height + 4, low, title, colour);
    for (std::size_t i = 0; i < values.size(); ++i) {
        out += FormatString("%s%.1lf,%.1lf", i == 0 ? "" : " ", static_cast<double>(i) * step,
                            (*highest - values[i]) / span * height);
    }
    out += "\"/>\n</svg><BR>\n";
}

void AppendCurve(std::string& out, const std::vector<EquityPoint>& curve) {
    if (curve.empty()) return;
    std::vector<double> equity;
    equity.reserve(curve.size());
    for (const EquityPoint& p : curve) equity.push_back(p.Equity);
    const std::vector<double> drawdown = DrawdownPercents(curve);
    out += FormatString("<P>Equity from %s to %s</P>\n", IsoDate(curve.front().Date).c_str(),
                        IsoDate(curve.back().Date).c_str());
    AppendPanel(out, equity, kEquityHeight, "#0033CC", "Equity");
    AppendPanel(out, drawdown, kDrawdownHeight, "#CC0000", "Drawdown %");
}

}  // namespace

std::vector<double> DrawdownPercents(const std::vector<EquityPoint>& curve) {
    std::vector<double> drawdown;
    drawdown.reserve(curve.size());
    double peak = curve.empty() ? 0 : curve.front().Equity;
    for (const EquityPoint& p : curve) {
        peak = std::max(peak, p.Equity);
        drawdown.push_back(peak > 0 ? (p.Equity - peak) / peak * 100 : 0);
    }
    return drawdown;
}

std::string IsoDate(PackedDate date) {
    return FormatString("%04d-%02d-%02d", DateYear(date), DateMonth(date), DateDay(date));
}

void AppendStatisticsSection(std::string& out, const BacktestResults& results) {
    if (!results.WithStatistics) return;
    out +=
        "<TABLE CELLSPACING=2 WIDTH=100%>\n<TR bgcolor=\"#CCCCCC\"><TD COLSPAN=11 "
        "align=\"center\" class=\"BIG\">Extended statistics</TD></TR>\n";
    out += kHeader;
    AppendRow(out, "All stocks", results.OverallStatistics);
    for (std::size_t i = 0; i < results.Stocks.size() && i < results.StockStatistics.size(); ++i) {
        AppendRow(out, results.Stocks[i].Name.View(), results.StockStatistics[i]);
    }
    out += "</TABLE>\n";
    AppendCurve(out, results.OverallStatistics.Curve);
}

}  // namespace velmora
