// scan: the automatic analysis's scan over the workspace, one result row per line.

#include <charconv>

#include "analysis/ScanEngine.h"
#include "cli/Cli.h"
#include "formula/FormulaFile.h"

namespace velmora::cli {

namespace {

std::optional<int> ParseInt(std::string_view text) {
    int v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
    return v;
}

// CRITERIA: comma-separated market=N, group=N, sector=N, industry=N, favourites, indexes.
bool ParseCriteria(Context& ctx, std::string_view text, FilterItem& item) {
    while (!text.empty()) {
        const std::size_t comma = text.find(',');
        const std::string_view part = text.substr(0, comma);
        text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
        const std::size_t eq = part.find('=');
        const std::string_view name = part.substr(0, eq);
        if (eq == std::string_view::npos) {
            if (name == "favourites") {
                item.Favourite = 1;
            } else if (name == "indexes") {
                item.Index = 1;
            } else {
                ctx.Error("scan: unknown criterion '" + std::string(part) + "'");
                return false;
            }
            continue;
        }
        const auto value = ParseInt(part.substr(eq + 1));
        struct Field {
            std::string_view name;
            std::int32_t* field;
            int count;
        };
        const Field fields[] = {{"market", &item.Market, kMarketCount},
                                {"group", &item.Group, kGroupCount},
                                {"sector", &item.Sector, kSectorCount},
                                {"industry", &item.Industry, kIndustryCount}};
        bool known = false;
        for (const Field& f : fields) {
            if (name != f.name) continue;
            known = true;
            if (!value || *value < 0 || *value >= f.count) {
                ctx.Error("scan: " + std::string(name) + " must be 0.." +
                          std::to_string(f.count - 1));
                return false;
            }
            *f.field = *value;
        }
        if (!known) {
            ctx.Error("scan: unknown criterion '" + std::string(part) + "'");
            return false;
        }
    }
    return true;
}

// all | last=N | days=N | from=yy-mm-dd,to=yy-mm-dd
bool ParseRange(Context& ctx, const std::string& text, AnalysisSelection& s) {
    if (text == "all") {
        s.range = RangeMode::AllQuotations;
        return true;
    }
    const bool last = text.starts_with("last="), days = text.starts_with("days=");
    if (last || days) {
        const auto n = ParseInt(std::string_view(text).substr(5));
        if (!n) {
            ctx.Error("scan: --range " + text + ": N must be a whole number");
            return false;
        }
        s.range = last ? RangeMode::LastQuotations : RangeMode::LastDays;
        s.n = *n;
        return true;
    }
    const std::size_t comma = text.find(',');
    if (text.starts_with("from=") && comma != std::string::npos &&
        text.compare(comma + 1, 3, "to=") == 0) {
        const std::string fromText = text.substr(5, comma - 5);
        const std::string toText = text.substr(comma + 4);
        s.from = TextToDate(fromText);
        s.to = TextToDate(toText);
        if (s.from != kNoDate && s.to != kNoDate && fromText.size() == 8 && toText.size() == 8) {
            s.range = RangeMode::FromTo;
            return true;
        }
    }
    ctx.Error("scan: --range must be all, last=N, days=N or from=yy-mm-dd,to=yy-mm-dd");
    return false;
}

}  // namespace

int RunScan(Context& ctx, std::vector<std::string>& args) {
    bool missing = false;
    const auto formulaText = TakeOption(args, "--formula", missing);
    const auto formulaFile = TakeOption(args, "--formula-file", missing);
    const auto apply = TakeOption(args, "--apply", missing);
    const auto include = TakeOption(args, "--include", missing);
    const auto exclude = TakeOption(args, "--exclude", missing);
    const auto range = TakeOption(args, "--range", missing);
    if (missing) {
        ctx.Error("scan: an option is missing its value");
        return kUsage;
    }
    if (!args.empty()) {
        ctx.Error("scan: unexpected argument '" + args.front() + "'");
        return kUsage;
    }
    if (formulaText.has_value() == formulaFile.has_value()) {
        ctx.Error("scan: expected one of --formula TEXT or --formula-file F");
        return kUsage;
    }

    AnalysisSelection selection;
    selection.range = RangeMode::AllQuotations;
    std::string currentTicker;
    if (include && !ParseCriteria(ctx, *include, selection.filter.Items[0])) return kUsage;
    if (exclude && !ParseCriteria(ctx, *exclude, selection.filter.Items[1])) return kUsage;
    // Defining a filter selects it, as the window's "Define..." does.
    if (include || exclude) selection.applyTo = ApplyTo::Filter;
    if (apply) {
        if (*apply == "all") {
            selection.applyTo = ApplyTo::AllStocks;
        } else if (*apply == "filter") {
            selection.applyTo = ApplyTo::Filter;
        } else if (apply->starts_with("current=") && apply->size() > 8) {
            selection.applyTo = ApplyTo::CurrentStock;
            currentTicker = apply->substr(8);
        } else {
            ctx.Error("scan: --apply must be all, current=TICKER or filter");
            return kUsage;
        }
    }
    if (range && !ParseRange(ctx, *range, selection)) return kUsage;

    std::string formula;
    if (formulaText) {
        formula = *formulaText;
    } else {
        auto text = LoadFormulaFile(*formulaFile);
        if (!text) {
            ctx.Error("cannot read " + *formulaFile);
            return kFailure;
        }
        formula = std::move(*text);
    }

    if (!ctx.OpenWorkspace()) return kFailure;
    if (selection.applyTo == ApplyTo::CurrentStock) {
        selection.currentStock = ctx.db.FindStock(currentTicker);
        if (selection.currentStock == nullptr) {
            ctx.Error("no stock '" + currentTicker + "'");
            return kFailure;
        }
    }
    if (selection.range == RangeMode::FromTo && selection.from > selection.to) {
        ctx.ui.ShowMessage("Wrong From/To dates");
        return kFailure;
    }

    ConsoleFormulaErrorSink errors(ctx.err);
    FormulaEngine engine(errors, &ctx.db);
    ResultList results;
    const ScanOutcome outcome = ScanEngine(ctx.db, engine, ctx.ui).Run(formula, selection, results);
    for (const ResultRow& row : results) std::fprintf(ctx.out, "%s\n", row.Text.c_str());
    switch (outcome) {
        case ScanOutcome::Completed:
        case ScanOutcome::NothingToDo:
            return kSuccess;
        default:
            return kFailure;
    }
}

}  // namespace velmora::cli
