// optimize: the backtest once per combination of the formula's optimize() parameters, one row
// per combination as a table (or sorted by a figure), optionally as JSON.

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/Optimizer.h"
#include "cli/Cli.h"
#include "platform/FileUtil.h"

namespace velmora::cli {

namespace {

std::string Fixed(std::optional<double> v, int decimals) {
    if (!v) return "-";
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, *v);
    return text;
}

// The row's cells: the parameter values, then the figures.
std::vector<std::string> Cells(const OptimizationRow& row) {
    std::vector<std::string> cells;
    for (const float v : row.Values) cells.push_back(ParameterText(v));
    cells.push_back(Fixed(row.NetProfit, 2));
    cells.push_back(std::to_string(row.Trades));
    cells.push_back(Fixed(row.PercentProfitable, 2));
    cells.push_back(Fixed(row.MaxDrawdownPercent, 2));
    cells.push_back(Fixed(row.CarPercent, 2));
    cells.push_back(Fixed(row.Sharpe, 3));
    cells.push_back(Fixed(row.ProfitFactor, 3));
    return cells;
}

// A header line and a line per row, the columns right-aligned to their widest cell, two blanks
// between them.
void PrintTable(std::FILE* out, const OptimizationGrid& grid,
                const std::vector<OptimizationRow>& rows) {
    std::vector<std::vector<std::string>> lines;
    std::vector<std::string> header;
    for (const OptimizeParameter& p : grid.Parameters()) header.push_back(p.Name);
    for (const char* title :
         {"Net profit", "Trades", "% Profitable", "Max DD %", "CAR %", "Sharpe", "Profit factor"}) {
        header.emplace_back(title);
    }
    lines.push_back(std::move(header));
    for (const OptimizationRow& row : rows) lines.push_back(Cells(row));
    std::vector<std::size_t> widths(lines.front().size(), 0);
    for (const auto& line : lines) {
        for (std::size_t c = 0; c < line.size() && c < widths.size(); ++c) {
            widths[c] = std::max(widths[c], line[c].size());
        }
    }
    for (const auto& line : lines) {
        std::string text;
        for (std::size_t c = 0; c < line.size() && c < widths.size(); ++c) {
            if (c > 0) text += "  ";
            text.append(widths[c] - line[c].size(), ' ');
            text += line[c];
        }
        std::fprintf(out, "%s\n", text.c_str());
    }
}

std::string OptionalJson(std::optional<double> v) {
    return v ? JsonNumber(*v) : "null";
}

std::string RowsJson(const OptimizationGrid& grid, const std::vector<OptimizationRow>& rows) {
    std::string out = "{\n  \"results\": [";
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const OptimizationRow& row = rows[r];
        out += r == 0 ? "\n    {\"params\": {" : ",\n    {\"params\": {";
        for (std::size_t i = 0; i < row.Values.size() && i < grid.Parameters().size(); ++i) {
            if (i > 0) out += ", ";
            out += JsonString(grid.Parameters()[i].Name) + ": " + ParameterText(row.Values[i]);
        }
        out += "}, \"net_profit\": " + JsonNumber(row.NetProfit);
        out += ", \"trades\": " + std::to_string(row.Trades);
        out += ", \"percent_profitable\": " + OptionalJson(row.PercentProfitable);
        out += ", \"max_drawdown_percent\": " + JsonNumber(row.MaxDrawdownPercent);
        out += ", \"car_percent\": " + OptionalJson(row.CarPercent);
        out += ", \"sharpe\": " + OptionalJson(row.Sharpe);
        out += ", \"profit_factor\": " + OptionalJson(row.ProfitFactor) + "}";
    }
    out += rows.empty() ? "]\n}\n" : "\n  ]\n}\n";
    return out;
}

}  // namespace

int RunOptimize(Context& ctx, std::vector<std::string>& args) {
    std::optional<std::string> jsonFile, sort;
    const TakenOptions taken = TakeOptions(args, {{"--json", &jsonFile}, {"--sort", &sort}});
    if (taken.AnyMissing()) {
        ctx.Error("optimize: an option is missing its value");
        return kUsage;
    }
    std::optional<OptimizationMetric> metric;
    if (sort) {
        metric = OptimizationMetricNamed(*sort);
        if (!metric) {
            ctx.Error(
                "optimize: --sort must be net_profit, trades, percent_profitable, "
                "max_drawdown_percent, car_percent, sharpe or profit_factor");
            return kUsage;
        }
    }
    SystemTestSettings settings;
    if (!TakeBacktestSettings(ctx, args, "optimize", settings)) return kUsage;
    ScanOptions scan;
    if (const int status = TakeScanOptions(ctx, args, "optimize", true, scan); status != kSuccess) {
        return status;
    }
    const auto grid = OptimizationGrid::Of(scan.formula);
    if (!grid) {
        ctx.Error("optimize: " + grid.GetStatus().ToString());
        return kFailure;
    }
    if (const int status = OpenWorkspaceForRun(ctx, scan); status != kSuccess) return status;

    ConsoleFormulaErrorSink errors(ctx.err);
    FormulaEngine engine(errors, &ctx.db);
    Optimizer optimizer(ctx.db, engine, ctx.ui);
    optimizer.SetThreads(scan.threads);
    std::vector<OptimizationRow> rows;
    const AnalysisOutcome outcome =
        optimizer.Run(scan.formula, *grid, scan.selection, settings, rows);
    if (metric) SortOptimizationRows(rows, *metric);
    PrintTable(ctx.out, *grid, rows);

    int status = outcome == AnalysisOutcome::Completed || outcome == AnalysisOutcome::NothingToDo
                     ? kSuccess
                     : kFailure;
    if (jsonFile && !WriteFileAtomically(*jsonFile, RowsJson(*grid, rows))) {
        ctx.Error("cannot write " + *jsonFile);
        status = kFailure;
    }
    return status;
}

}  // namespace velmora::cli
