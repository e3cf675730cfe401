// backtest: the automatic analysis's backtest over the workspace, one result row per line, the
// last being the summary line; optionally the HTML report, the result export and the figures
// as JSON.

#include <charconv>
#include <cmath>
#include <string>
#include <string_view>
#include <system_error>

#include "analysis/AnalysisWindowModel.h"
#include "analysis/Backtest.h"
#include "analysis/BacktestReport.h"
#include "analysis/Backtester.h"
#include "analysis/ResultExport.h"
#include "analysis/StatisticsReport.h"
#include "cli/Cli.h"
#include "platform/FileUtil.h"

namespace velmora::cli {

namespace {

std::optional<double> ParseNumber(std::string_view text) {
    double v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() ||
        !std::isfinite(v)) {
        return std::nullopt;
    }
    return v;
}

std::optional<int> ParseCount(std::string_view text) {
    int v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || v < 0) {
        return std::nullopt;
    }
    return v;
}

std::optional<TradePrice> ParsePrice(std::string_view text) {
    if (text == "close") return TradePrice::Close;
    if (text == "open") return TradePrice::Open;
    if (text == "high") return TradePrice::High;
    if (text == "low") return TradePrice::Low;
    if (text == "average") return TradePrice::Average;
    return std::nullopt;
}

// "NAME=V" with a number V of at least 0: the number.
std::optional<double> ValueAfter(std::string_view text, std::string_view name) {
    if (!text.starts_with(name) || text.size() <= name.size() || text[name.size()] != '=') {
        return std::nullopt;
    }
    const auto v = ParseNumber(text.substr(name.size() + 1));
    if (!v || *v < 0) return std::nullopt;
    return v;
}

}  // namespace

bool TakeBacktestSettings(Context& ctx, std::vector<std::string>& args, const std::string& cmd,
                          SystemTestSettings& s) {
    std::optional<std::string> equity, positions, commission, buyPrice, sellPrice, buyDelay,
        sellDelay, stop;
    const TakenOptions taken = TakeOptions(args, {{"--equity", &equity},
                                                  {"--positions", &positions},
                                                  {"--commission", &commission},
                                                  {"--buy-price", &buyPrice},
                                                  {"--sell-price", &sellPrice},
                                                  {"--buy-delay", &buyDelay},
                                                  {"--sell-delay", &sellDelay},
                                                  {"--stop", &stop}});
    if (taken.AnyMissing()) {
        ctx.Error(cmd + ": an option is missing its value");
        return false;
    }
    if (equity) {
        const auto v = ParseNumber(*equity);
        if (!v || *v <= 0) {
            ctx.Error(cmd + ": --equity must be a number above 0");
            return false;
        }
        s.InitialEquity = static_cast<float>(*v);
    }
    if (positions) {
        if (*positions == "long") {
            s.Positions = SystemTestSettings::kLong;
        } else if (*positions == "short") {
            s.Positions = SystemTestSettings::kShort;
        } else if (*positions == "both") {
            s.Positions = SystemTestSettings::kLongAndShort;
        } else {
            ctx.Error(cmd + ": --positions must be long, short or both");
            return false;
        }
    }
    if (commission) {
        if (*commission == "table") {
            s.CommissionMode = SystemTestSettings::kCommissionTable;
        } else if (const auto p = ValueAfter(*commission, "percent")) {
            s.CommissionMode = SystemTestSettings::kCommissionPercent;
            s.CommissionValue = static_cast<float>(*p);
        } else if (const auto q = ValueAfter(*commission, "point")) {
            s.CommissionMode = SystemTestSettings::kCommissionPoint;
            s.CommissionValue = static_cast<float>(*q);
        } else {
            ctx.Error(cmd + ": --commission must be table, percent=V or point=V (V >= 0)");
            return false;
        }
    }
    for (const auto& [text, field, name] : {std::tuple{&buyPrice, &s.BuyPrice, "--buy-price"},
                                            std::tuple{&sellPrice, &s.SellPrice, "--sell-price"}}) {
        if (!*text) continue;
        const auto p = ParsePrice(**text);
        if (!p) {
            ctx.Error(cmd + ": " + name + " must be close, open, high, low or average");
            return false;
        }
        *field = *p;
    }
    for (const auto& [text, field, name] : {std::tuple{&buyDelay, &s.BuyDelay, "--buy-delay"},
                                            std::tuple{&sellDelay, &s.SellDelay, "--sell-delay"}}) {
        if (!*text) continue;
        const auto n = ParseCount(**text);
        if (!n) {
            ctx.Error(cmd + ": " + name + " must be a whole number of bars >= 0");
            return false;
        }
        *field = *n;
    }
    if (stop) {
        if (*stop == "none") {
            s.StopMode = SystemTestSettings::kStopDisabled;
        } else if (const auto p = ValueAfter(*stop, "percent")) {
            s.StopMode = SystemTestSettings::kStopPercent;
            s.StopValue = static_cast<float>(*p);
        } else if (const auto q = ValueAfter(*stop, "point")) {
            s.StopMode = SystemTestSettings::kStopPoint;
            s.StopValue = static_cast<float>(*q);
        } else {
            ctx.Error(cmd + ": --stop must be none, percent=V or point=V (V >= 0)");
            return false;
        }
    }
    return true;
}

std::string JsonNumber(double v) {
    if (!std::isfinite(v)) return "null";
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", v);
    return text;
}

std::string JsonString(std::string_view s) {
    std::string out = "\"";
    for (const char c : s) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 0x20) {
            char esc[8];
            std::snprintf(esc, sizeof esc, "\\u%04x", u);
            out += esc;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

namespace {

// The extended figures and the curve, each key after a comma; an absent figure is left out.
void AppendStatisticsJson(std::string& out, const ExtendedStatistics& s) {
    const auto number = [&out](const char* key, std::optional<double> v) {
        if (!v) return;
        out += ", \"";
        out += key;
        out += "\": ";
        out += JsonNumber(*v);
    };
    number("car_percent", s.CarPercent);
    number("max_drawdown_percent", s.MaxDrawdownPercent);
    number("max_drawdown", s.MaxDrawdown);
    number("exposure_percent", s.ExposurePercent);
    number("sharpe", s.Sharpe);
    number("sortino", s.Sortino);
    number("profit_factor", s.ProfitFactor);
    number("expectancy", s.Expectancy);
    number("average_bars_held", s.AverageBarsHeld);
    number("recovery_factor", s.RecoveryFactor);
    out += ", \"equity_curve\": [";
    for (std::size_t i = 0; i < s.Curve.size(); ++i) {
        if (i > 0) out += ", ";
        out += "[\"" + IsoDate(s.Curve[i].Date) + "\", " + JsonNumber(s.Curve[i].Equity) + "]";
    }
    out += "]";
}

std::string SummaryJson(const StockTestSummary& r, const ExtendedStatistics* stats) {
    std::string out = "{\"name\": " + JsonString(r.Name.View());
    const auto number = [&out](const char* key, double v) {
        out += ", \"";
        out += key;
        out += "\": ";
        out += JsonNumber(v);
    };
    const auto count = [&out](const char* key, std::int32_t v) {
        out += ", \"";
        out += key;
        out += "\": ";
        out += std::to_string(v);
    };
    number("initial_equity", r.InitialEquity);
    number("equity", r.Equity);
    number("buy_and_hold_equity", r.BuyAndHoldEquity);
    number("buy_and_hold_commission", r.BuyAndHoldCommission);
    count("bars_in_test", r.BarsInTest);
    number("open_position_gain", r.OpenPositionGain);
    number("open_position_commission", r.OpenPositionCommission);
    count("open_position_bars", r.OpenPositionBars);
    count("trades", r.Trades);
    count("winners", r.Winners);
    count("losers", r.Losers);
    number("profit_of_winners", r.ProfitOfWinners);
    number("loss_of_losers", r.LossOfLosers);
    number("commissions_of_winners", r.CommissionsOfWinners);
    number("commissions_of_losers", r.CommissionsOfLosers);
    count("bars_in_winners", r.BarsInWinners);
    count("bars_in_losers", r.BarsInLosers);
    number("largest_winner", r.LargestWinner);
    number("largest_winner_commission", r.LargestWinnerCommission);
    count("largest_winner_bars", r.LargestWinnerBars);
    number("largest_loser", r.LargestLoser);
    number("largest_loser_commission", r.LargestLoserCommission);
    count("largest_loser_bars", r.LargestLoserBars);
    count("max_consecutive_winners", r.MaxConsecutiveWinners);
    count("max_consecutive_losers", r.MaxConsecutiveLosers);
    number("max_trade_drawdown", r.MaxTradeDrawdown);
    number("system_drawdown", r.SystemDrawdown);
    number("previous_trade_profit", r.PreviousTradeProfit);
    count("current_run", r.CurrentRun);
    if (stats != nullptr) AppendStatisticsJson(out, *stats);
    return out + "}";
}

std::string ResultsJson(const BacktestResults& results) {
    std::string out = "{\n  \"stocks\": [";
    for (std::size_t i = 0; i < results.Stocks.size(); ++i) {
        out += i == 0 ? "\n    " : ",\n    ";
        out += SummaryJson(results.Stocks[i],
                           results.WithStatistics && i < results.StockStatistics.size()
                               ? &results.StockStatistics[i]
                               : nullptr);
    }
    out += results.Stocks.empty() ? "],\n" : "\n  ],\n";
    out += "  \"overall\": " +
           SummaryJson(results.Overall,
                       results.WithStatistics ? &results.OverallStatistics : nullptr) +
           "\n}\n";
    return out;
}

}  // namespace

int RunBacktest(Context& ctx, std::vector<std::string>& args) {
    std::optional<std::string> reportFile, exportFile, jsonFile;
    bool open = false, noOverall = false, noStockSummary = false, noTradeList = false,
         stats = false;
    const TakenOptions taken = TakeOptions(args, {{"--report", &reportFile},
                                                  {"--export", &exportFile},
                                                  {"--json", &jsonFile},
                                                  {"--open", &open},
                                                  {"--no-overall", &noOverall},
                                                  {"--no-stock-summary", &noStockSummary},
                                                  {"--no-trade-list", &noTradeList},
                                                  {"--stats", &stats}});
    if (taken.AnyMissing()) {
        ctx.Error("backtest: an option is missing its value");
        return kUsage;
    }
    SystemTestSettings settings;
    if (!TakeBacktestSettings(ctx, args, "backtest", settings)) return kUsage;
    if (noOverall) settings.ReportOverallSummary = 0;
    if (noStockSummary) settings.ReportStockSummary = 0;
    if (noTradeList) settings.ReportTradeList = 0;
    if (stats) settings.ExtendedStatistics = 1;
    ScanOptions scan;
    scan.formula = kDefaultAnalysisFormula;
    if (const int status = TakeScanOptions(ctx, args, "backtest", false, scan);
        status != kSuccess) {
        return status;
    }
    if (const int status = OpenWorkspaceForRun(ctx, scan); status != kSuccess) return status;

    ConsoleFormulaErrorSink errors(ctx.err);
    FormulaEngine engine(errors, &ctx.db);
    ResultList rows;
    BacktestResults results;
    Backtester backtester(ctx.db, engine, ctx.ui);
    backtester.SetThreads(scan.threads);
    const BacktestOutcome outcome =
        backtester.Run(scan.formula, scan.selection, settings, rows, results);

    // The rows as the list holds them; the summary line in full, as the status text shows it.
    const BackTestListState state = BackTestCommandResult(rows, results);
    for (std::size_t i = 0; i < state.ShownRows; ++i) {
        const std::string_view text = rows[i].Text;
        std::fprintf(ctx.out, "%.*s\n", static_cast<int>(text.size()), text.data());
    }
    if (state.ShownRows < rows.Size()) std::fprintf(ctx.out, "%s\n", state.StatusText.c_str());

    int status = outcome == BacktestOutcome::Completed || outcome == BacktestOutcome::NothingToDo
                     ? kSuccess
                     : kFailure;
    std::optional<std::filesystem::path> report;
    if (reportFile) {
        if (const Status written = WriteBacktestReport(*reportFile, results, rows, settings,
                                                       ctx.ui.Progress(), ctx.dates)) {
            report = *reportFile;
        } else {
            ctx.Error("backtest: " + written.ToString());
            status = kFailure;
        }
    }
    if (exportFile) {
        if (const Status exported =
                ExportResults(*exportFile, scan.formula, rows, state.ShownRows, state.StatusText,
                              results, settings, ctx.ui.Progress(), ctx.dates);
            !exported) {
            ctx.Error("backtest: " + exported.ToString());
            status = kFailure;
        }
    }
    if (jsonFile) {
        if (const Status written = WriteFileAtomically(*jsonFile, ResultsJson(results)); !written) {
            ctx.Error("backtest: " + written.ToString());
            status = kFailure;
        }
    }
    if (open) {
        if (!report) {
            // A report of its own in the temporary directory; it stays for the viewer.
            TemporaryReportFile temporary;
            report = temporary.Prepare(results, rows, settings, ctx.ui.Progress(), ctx.dates);
            if (report) temporary.Keep();
        }
        if (!report || !OpenWithDesktop(*report)) {
            ctx.Error("cannot open the report with xdg-open");
            status = kFailure;
            // A report made only to be shown goes again.
            std::error_code ec;
            if (report && !reportFile) std::filesystem::remove(*report, ec);
        } else if (!reportFile) {
            std::fprintf(ctx.err, "report: %s\n", report->string().c_str());
        }
    }
    return status;
}

}  // namespace velmora::cli
