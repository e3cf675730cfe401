// charts list|show|set: the chart definitions of "tarvik.charts" in the profile directory.
// commentary TICKER: the text a commentary formula writes for a stock.

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "chart/ChartDefinition.h"
#include "chart/ChartsFile.h"
#include "chart/Commentary.h"
#include "chart/Compression.h"
#include "chart/IndicatorBuilder.h"
#include "cli/Cli.h"
#include "formula/FormulaEngine.h"

namespace velmora::cli {

namespace {

bool ParseId(const std::string& text, int& id) {
    if (text.empty() || text.size() > 9) return false;
    for (char ch : text)
        if (ch < '0' || ch > '9') return false;
    id = std::atoi(text.c_str());
    return true;
}

bool ParseFloat(const std::string& text, float& out) {
    if (text.empty()) return false;
    char* end = nullptr;
    errno = 0;
    const double v = std::strtod(text.c_str(), &end);
    if (*end != 0 || errno != 0 || !std::isfinite(v) || std::fabs(v) > 1e30) return false;
    out = static_cast<float>(v);
    return true;
}

std::string Number(float v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%g", static_cast<double>(v));
    return buf;
}

// "level0,limits,..." of the ticked boxes; "-" when none is.
std::string GridNames(std::int32_t gridFlags) {
    std::string names;
    for (const GridLineBox& box : GridLineBoxes()) {
        if (!GridBoxTicked(gridFlags, box)) continue;
        if (!names.empty()) names += ',';
        names += box.key;
    }
    return names.empty() ? "-" : names;
}

std::string Scaling(const ChartDefinition& d) {
    return d.AutomaticScaling() ? "automatic"
                                : "custom " + Number(d.scaleMin) + " .. " + Number(d.scaleMax);
}

// The grid flags with exactly the listed boxes ticked; bits outside every box stay.
bool ParseGrid(const std::string& list, std::int32_t& gridFlags) {
    std::int32_t flags = gridFlags;
    for (const GridLineBox& box : GridLineBoxes()) flags = SetGridBox(flags, box, false);
    if (list != "none" && !list.empty()) {
        std::size_t pos = 0;
        while (pos <= list.size()) {
            const std::size_t comma = std::min(list.find(',', pos), list.size());
            const std::string key = list.substr(pos, comma - pos);
            bool known = false;
            for (const GridLineBox& box : GridLineBoxes()) {
                if (key != box.key) continue;
                flags = SetGridBox(flags, box, true);
                known = true;
            }
            if (!known) return false;
            pos = comma + 1;
        }
    }
    gridFlags = flags;
    return true;
}

// A formula text as lines ending in a line feed (its carriage returns dropped).
std::string WithLineFeeds(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        out.push_back(text[i]);
    }
    return out;
}

int ShowDefinition(Context& ctx, const ChartDefinition& d) {
    std::fprintf(ctx.out, "id: %d\nname: %s\nscaling: %s\ngrid: %s (0x%X)\n", d.id, d.name.c_str(),
                 Scaling(d).c_str(), GridNames(d.gridFlags).c_str(),
                 static_cast<unsigned>(d.gridFlags));
    if (!d.formula) {
        std::fputs("formula: none\n", ctx.out);
        return kSuccess;
    }
    std::string text = WithLineFeeds(*d.formula);
    if (!text.empty() && text.back() != '\n') text += '\n';
    std::fprintf(ctx.out, "formula:\n%s", text.c_str());
    return kSuccess;
}

// `loaded` says whether the charts file was read whole: one that was not is replaced only with
// --force.
int SetDefinition(Context& ctx, ChartTable& table, const Status& loaded,
                  std::vector<std::string>& args) {
    std::optional<std::string> name, formulaFile, min, max, grid;
    bool automatic = false;
    const TakenOptions taken = TakeOptions(args, {{"--name", &name},
                                                  {"--formula-file", &formulaFile},
                                                  {"--min", &min},
                                                  {"--max", &max},
                                                  {"--grid", &grid},
                                                  {"--auto", &automatic}});
    int id = 0;
    if (taken.AnyMissing() || args.size() != 1 || !ParseId(args[0], id)) {
        ctx.Error("charts set: expected ID and options, each with its value");
        return kUsage;
    }
    if (!name && !formulaFile && !min && !max && !grid && !automatic) {
        ctx.Error("charts set: nothing to change");
        return kUsage;
    }
    if (automatic && (min || max)) {
        ctx.Error("charts set: --auto and --min/--max exclude each other");
        return kUsage;
    }
    if (min.has_value() != max.has_value()) {
        ctx.Error("charts set: --min and --max go together");
        return kUsage;
    }
    float low = 0, high = 0;
    if (min && (!ParseFloat(*min, low) || !ParseFloat(*max, high) || !(low < high))) {
        ctx.Error("charts set: --min and --max must be numbers with min below max");
        return kUsage;
    }
    if (name && name->empty()) {
        ctx.Error("charts set: --name must not be empty");
        return kUsage;
    }
    if (name && !PlainText(ctx, "charts set", "--name", *name)) return kUsage;
    ChartDefinition* d = table.FindById(id);
    if (d == nullptr) {
        ctx.Error("no chart definition " + args[0]);
        return kFailure;
    }
    if (!d->IsCustom()) {
        ctx.Error("only the custom chart definitions (1000 and up) can be changed");
        return kFailure;
    }
    IndicatorFields fields = LoadIndicatorFields(*d);
    if (grid && !ParseGrid(*grid, fields.gridFlags)) {
        ctx.Error(
            "charts set: --grid takes level0,limits,50,percent,30/70,20/80,100,10/90,"
            "middle or none");
        return kUsage;
    }
    if (formulaFile) {
        std::optional<std::string> text = FormulaText(ctx, std::nullopt, formulaFile);
        if (!text) return kFailure;
        fields.formula = std::move(*text);
    }
    if (automatic) fields.automatic = true;
    if (min) {
        fields.automatic = false;
        fields.scaleMin = low;
        fields.scaleMax = high;
    }
    StoreIndicatorFields(fields, *d);
    if (name) d->SetName(*name);
    if (!ctx.noSave) {
        const Status written =
            SaveChartsFile(table, ctx.profileDir / kChartsFileName, loaded, ctx.force, *ctx.files);
        if (!written) {
            ctx.Error("charts set: " + written.ToString() +
                      (!loaded && !ctx.force ? kForceReplacesIt : ""));
            return kFailure;
        }
    }
    return ShowDefinition(ctx, *d);
}

}  // namespace

int RunCharts(Context& ctx, std::vector<std::string>& args) {
    if (args.empty() || (args[0] != "list" && args[0] != "show" && args[0] != "set")) {
        ctx.Error("charts: expected list, show ID or set ID [options]");
        return kUsage;
    }
    const std::string verb = args[0];
    args.erase(args.begin());
    if (verb == "list" && !args.empty()) {
        ctx.Error("charts list: takes no arguments");
        return kUsage;
    }
    int id = 0;
    if (verb == "show" && (args.size() != 1 || !ParseId(args[0], id))) {
        ctx.Error("charts show: expected one chart ID");
        return kUsage;
    }
    if (!ctx.OpenProfile()) return kFailure;
    ChartTable table;
    const Status loaded = LoadChartsFile(table, ctx.profileDir / kChartsFileName);
    if (!loaded) ctx.Error(loaded.ToString());
    if (verb == "set") return SetDefinition(ctx, table, loaded, args);
    if (verb == "show") {
        const ChartDefinition* d = table.FindById(id);
        if (d == nullptr) {
            ctx.Error("no chart definition " + args[0]);
            return kFailure;
        }
        return ShowDefinition(ctx, *d);
    }
    // id, name, scaling, grid boxes, whether it has a formula.
    for (const ChartDefinition& d : table.Rows())
        std::fprintf(ctx.out, "%d\t%s\t%s\t%s\t%s\n", d.id, d.name.c_str(), Scaling(d).c_str(),
                     GridNames(d.gridFlags).c_str(), d.formula ? "formula" : "-");
    return kSuccess;
}

int RunCommentary(Context& ctx, std::vector<std::string>& args) {
    std::optional<std::string> formula, formulaFile, date, periodicityText;
    const TakenOptions taken = TakeOptions(args, {{"--formula", &formula},
                                                  {"--formula-file", &formulaFile},
                                                  {"--date", &date},
                                                  {"--periodicity", &periodicityText}});
    if (taken.AnyMissing() || args.size() != 1 || formula.has_value() == formulaFile.has_value()) {
        ctx.Error("commentary: expected TICKER and one of --formula TEXT or --formula-file F");
        return kUsage;
    }
    Periodicity periodicity = Periodicity::Daily;
    if (!PeriodicityOption(ctx, "commentary", periodicityText, periodicity)) return kUsage;
    const std::optional<PackedDate> parsed = date ? ParseDay(*date) : std::nullopt;
    if (date && !parsed) {
        ctx.Error("commentary: --date must be yy-mm-dd");
        return kUsage;
    }
    const PackedDate day = parsed.value_or(kNoDate);
    std::optional<std::string> text = FormulaText(ctx, formula, formulaFile);
    if (!text) return kFailure;

    Stock* stock = OpenWorkspaceStock(ctx, args[0], true);
    if (stock == nullptr) return kFailure;
    CompressedStockCache cache;
    const Stock& shown = cache.Get(*stock, periodicity);
    if (shown.Quotations.empty()) {
        ctx.Error("the stock '" + args[0] + "' has no quotations");
        return kFailure;
    }
    // The selected bar: the last bar on or before the date (the period holding it).
    int selectedBar = -1;
    if (date) {
        for (std::size_t i = 0; i < shown.Quotations.size(); ++i)
            if (shown.Quotations[i].Date <= day) selectedBar = static_cast<int>(i);
        if (selectedBar < 0) {
            ctx.Error("the stock '" + args[0] + "' has no quotation on or before " + *date);
            return kFailure;
        }
    }

    ConsoleFormulaErrorSink errors(ctx.err);
    FormulaEngine engine(errors, &ctx.db);
    Commentary commentary;
    commentary.SetFormula(std::move(*text));
    CommentarySource source;
    source.stock = stock;
    source.periodicity = periodicity;
    source.cache = &cache;
    source.selectedBar = selectedBar;
    commentary.Run(engine, source, nullptr);
    // The window's CR LF line breaks as plain line feeds.
    std::fputs(WithLineFeeds(commentary.Output()).c_str(), ctx.out);
    return commentary.Failed() ? kFailure : kSuccess;
}

}  // namespace velmora::cli
