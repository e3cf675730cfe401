// scan: the automatic analysis's scan over the workspace, one result row per line.

#include <charconv>
#include <set>

#include "analysis/ScanEngine.h"
#include "cli/Cli.h"
#include "formula/FormulaFile.h"
#include "formula/LookAhead.h"

namespace velmora::cli {

namespace {

std::optional<int> ParseInt(std::string_view text) {
    int v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
    return v;
}

// CRITERIA: comma-separated market=N, group=N, sector=N, industry=N, favourites, indexes. A
// stock has one market (group, ...), so a criterion named twice is refused rather than one of
// its values silently dropped.
bool ParseCriteria(Context& ctx, const std::string& cmd, std::string_view text, FilterItem& item) {
    std::set<std::string_view> named;
    while (!text.empty()) {
        const std::size_t comma = text.find(',');
        const std::string_view part = text.substr(0, comma);
        text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
        const std::size_t eq = part.find('=');
        const std::string_view name = part.substr(0, eq);
        if (!named.insert(name).second) {
            ctx.Error(cmd + ": the criterion '" + std::string(name) + "' is given twice");
            return false;
        }
        if (eq == std::string_view::npos) {
            if (name == "favourites") {
                item.Favourite = 1;
            } else if (name == "indexes") {
                item.Index = 1;
            } else {
                ctx.Error(cmd + ": unknown criterion '" + std::string(part) + "'");
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
                ctx.Error(cmd + ": " + std::string(name) + " must be 0.." +
                          std::to_string(f.count - 1));
                return false;
            }
            *f.field = *value;
        }
        if (!known) {
            ctx.Error(cmd + ": unknown criterion '" + std::string(part) + "'");
            return false;
        }
    }
    return true;
}

// all | last=N | days=N | from=yy-mm-dd,to=yy-mm-dd
bool ParseRange(Context& ctx, const std::string& cmd, const std::string& text,
                AnalysisSelection& s) {
    if (text == "all") {
        s.range = RangeMode::AllQuotations;
        return true;
    }
    const bool last = text.starts_with("last="), days = text.starts_with("days=");
    if (last || days) {
        const auto n = ParseInt(std::string_view(text).substr(5));
        if (!n) {
            ctx.Error(cmd + ": --range " + text + ": N must be a whole number");
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
        const std::optional<PackedDate> from = ParseDay(fromText), to = ParseDay(toText);
        if (from && to) {
            s.from = *from;
            s.to = *to;
            if (s.from > s.to) {
                ctx.Error(cmd + ": --range from=" + fromText + " is after to=" + toText);
                return false;
            }
            s.range = RangeMode::FromTo;
            return true;
        }
    }
    ctx.Error(cmd + ": --range must be all, last=N, days=N or from=yy-mm-dd,to=yy-mm-dd");
    return false;
}

}  // namespace

int TakeScanOptions(Context& ctx, std::vector<std::string>& args, const std::string& cmd,
                    bool formulaRequired, ScanOptions& options) {
    std::optional<std::string> formulaText, formulaFile, apply, include, exclude, range, threads;
    const TakenOptions taken = TakeOptions(args, {{"--formula", &formulaText},
                                                  {"--formula-file", &formulaFile},
                                                  {"--apply", &apply},
                                                  {"--include", &include},
                                                  {"--exclude", &exclude},
                                                  {"--range", &range},
                                                  {"--threads", &threads}});
    if (taken.AnyMissing()) {
        ctx.Error(cmd + ": an option is missing its value");
        return kUsage;
    }
    if (!args.empty()) {
        ctx.Error(cmd + ": unexpected argument '" + args.front() + "'");
        return kUsage;
    }
    if ((formulaText && formulaFile) || (formulaRequired && !formulaText && !formulaFile)) {
        ctx.Error(cmd + ": expected one of --formula TEXT or --formula-file F");
        return kUsage;
    }

    AnalysisSelection& selection = options.selection;
    selection.range = RangeMode::AllQuotations;
    if (include && !ParseCriteria(ctx, cmd, *include, selection.filter.Items[0])) return kUsage;
    if (exclude && !ParseCriteria(ctx, cmd, *exclude, selection.filter.Items[1])) return kUsage;
    // Defining a filter selects it, as the window's "Define..." does.
    if (include || exclude) selection.applyTo = ApplyTo::Filter;
    if (apply) {
        if (*apply == "all") {
            selection.applyTo = ApplyTo::AllStocks;
        } else if (*apply == "filter") {
            selection.applyTo = ApplyTo::Filter;
        } else if (apply->starts_with("current=") && apply->size() > 8) {
            selection.applyTo = ApplyTo::CurrentStock;
            options.currentTicker = apply->substr(8);
        } else {
            ctx.Error(cmd + ": --apply must be all, current=TICKER or filter");
            return kUsage;
        }
    }
    if (range && !ParseRange(ctx, cmd, *range, selection)) return kUsage;
    options.threads = DefaultAnalysisThreads();
    if (threads) {
        const auto n = ParseInt(*threads);
        if (!n || *n < 1) {
            ctx.Error(cmd + ": --threads must be a whole number of at least 1");
            return kUsage;
        }
        options.threads = *n;
    }

    if (formulaText) {
        options.formula = *formulaText;
    } else if (formulaFile) {
        auto text = LoadFormulaFile(*formulaFile);
        if (!text) {
            ctx.Error(text.GetStatus().ToString());
            return kFailure;
        }
        options.formula = std::move(*text);
    }
    return kSuccess;
}

int OpenWorkspaceForRun(Context& ctx, ScanOptions& options) {
    if (!ctx.OpenWorkspace()) return kFailure;
    AnalysisSelection& selection = options.selection;
    selection.dates = ctx.dates;
    if (selection.applyTo == ApplyTo::CurrentStock) {
        selection.currentStock = ctx.db.FindStock(options.currentTicker);
        if (selection.currentStock == nullptr) {
            ctx.Error("no stock '" + options.currentTicker + "'");
            return kFailure;
        }
    }
    if (const auto lookAhead = FindLookAhead(options.formula)) {
        std::fprintf(ctx.err, "%s\n", LookAheadWarning(*lookAhead).c_str());
    }
    return kSuccess;
}

int RunScan(Context& ctx, std::vector<std::string>& args) {
    ScanOptions options;
    if (const int status = TakeScanOptions(ctx, args, "scan", true, options); status != kSuccess) {
        return status;
    }
    if (const int status = OpenWorkspaceForRun(ctx, options); status != kSuccess) return status;
    const std::string& formula = options.formula;
    const AnalysisSelection& selection = options.selection;

    ConsoleFormulaErrorSink errors(ctx.err);
    FormulaEngine engine(errors, &ctx.db);
    ResultList results;
    ScanEngine scan(ctx.db, engine, ctx.ui);
    scan.SetThreads(options.threads);
    const ScanOutcome outcome = scan.Run(formula, selection, results);
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
