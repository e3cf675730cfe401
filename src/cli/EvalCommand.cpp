// velmora-cli eval: runs a QRX formula over one stock and prints the variables per bar.

#include <charconv>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "cli/Cli.h"
#include "database/Periodicity.h"
#include "formula/FormulaEngine.h"

namespace velmora::cli {

namespace {

std::vector<std::string> SplitNames(const std::string& list) {
    std::vector<std::string> names;
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t comma = list.find(',', start);
        if (comma == std::string::npos) comma = list.size();
        if (comma > start) names.push_back(list.substr(start, comma - start));
        start = comma + 1;
    }
    return names;
}

bool ParseInt(const std::string& text, int& value) {
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end && !text.empty();
}

}  // namespace

int RunEval(Context& ctx, std::vector<std::string>& args) {
    std::optional<std::string> formula, formulaFile, print, selected, periodicityText;
    bool showOutput = false;
    const TakenOptions taken = TakeOptions(args, {{"--formula", &formula},
                                                  {"--formula-file", &formulaFile},
                                                  {"--print", &print},
                                                  {"--selected-bar", &selected},
                                                  {"--periodicity", &periodicityText},
                                                  {"--output", &showOutput}});
    if (taken.AnyMissing() || args.size() != 1 || formula.has_value() == formulaFile.has_value()) {
        ctx.Error("eval: expected TICKER and one of --formula TEXT or --formula-file F");
        return kUsage;
    }
    int selectedBar = -1;
    if (selected && !ParseInt(*selected, selectedBar)) {
        ctx.Error("eval: --selected-bar needs a bar index");
        return kUsage;
    }
    Periodicity periodicity = Periodicity::Daily;
    if (!PeriodicityOption(ctx, "eval", periodicityText, periodicity)) return kUsage;
    const std::optional<std::string> text = FormulaText(ctx, formula, formulaFile);
    if (!text) return kFailure;

    Stock* stock = OpenWorkspaceStock(ctx, args[0], true);
    if (stock == nullptr) return kFailure;
    std::unique_ptr<Stock> compressed;
    const Stock* bound = stock;
    if (periodicity != Periodicity::Daily) {
        compressed = CompressQuotations(*stock, periodicity);
        bound = compressed.get();
    }
    if (bound->Quotations.empty()) {
        ctx.Error("the stock '" + args[0] + "' has no quotations");
        return kFailure;
    }

    ConsoleFormulaErrorSink errors(ctx.err);
    FormulaEngine engine(errors, &ctx.db);
    engine.ClearErrorFlag();
    FormulaRun run = engine.BeginRun(*bound);
    if (selected) run.SetSelectedBar(selectedBar);
    run.Execute(*text);

    // Without --print: every variable the formula assigned a number or an array, unless only
    // the output text was asked for.
    std::vector<std::string> names;
    if (print) {
        names = SplitNames(*print);
    } else if (!showOutput) {
        for (const std::string& name : run.AssignedVariables()) {
            if (run.GetString(name) == nullptr) names.push_back(name);
        }
    }
    if (!names.empty() || print) {
        std::vector<const float*> columns;
        std::fputs("date", ctx.out);
        for (const std::string& name : names) {
            std::fprintf(ctx.out, ",%s", name.c_str());
            columns.push_back(run.GetArray(name));
        }
        std::fputc('\n', ctx.out);
        for (int i = 0; i < run.BarCount(); ++i) {
            std::fputs(ctx.Date(bound->Quotations[static_cast<std::size_t>(i)].Date).c_str(),
                       ctx.out);
            for (const float* column : columns) {
                std::fputc(',', ctx.out);
                if (column != nullptr) std::fputs(FormatPrice(column[i]).c_str(), ctx.out);
            }
            std::fputc('\n', ctx.out);
        }
    }
    if (showOutput) {
        const std::string_view output = run.Output();
        std::fwrite(output.data(), 1, output.size(), ctx.out);
    }
    return engine.ErrorFlag() ? kFailure : kSuccess;
}

}  // namespace velmora::cli
