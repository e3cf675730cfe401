// review and riskmap: the quick review of one day and the risk/yield map's values.

#include <cstdlib>
#include <set>
#include <string>

#include "analysis/QuickReview.h"
#include "analysis/RiskYieldMap.h"
#include "cli/Cli.h"

namespace velmora::cli {

namespace {

// Reads "market=N,group=N,sector=N,industry=N,favourites,indexes" (any subset) into a filter
// item. False for anything else, a criterion named twice among it.
bool ParseFilterItem(const std::string& text, FilterItem& item) {
    std::set<std::string> named;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        const std::string part = text.substr(start, comma - start);
        start = comma + 1;
        if (part.empty()) {
            if (comma == text.size()) break;
            continue;
        }
        // "favourite" and "favourites" (and "index", "indexes") are one criterion.
        std::string criterion = part.substr(0, part.find('='));
        if (criterion == "favourite") criterion = "favourites";
        if (criterion == "index") criterion = "indexes";
        if (!named.insert(criterion).second) return false;
        if (part == "favourites" || part == "favourite") {
            item.Favourite = 1;
            continue;
        }
        if (part == "indexes" || part == "index") {
            item.Index = 1;
            continue;
        }
        const auto eq = part.find('=');
        if (eq == std::string::npos) return false;
        const std::string name = part.substr(0, eq), value = part.substr(eq + 1);
        if (value.empty() || value.size() > 3 ||
            value.find_first_not_of("0123456789") != std::string::npos) {
            return false;
        }
        const int v = std::atoi(value.c_str());
        if (name == "market" && v < kMarketCount) {
            item.Market = v;
        } else if (name == "group" && v < kGroupCount) {
            item.Group = v;
        } else if (name == "sector" && v < kSectorCount) {
            item.Sector = v;
        } else if (name == "industry" && v < kIndustryCount) {
            item.Industry = v;
        } else {
            return false;
        }
    }
    return true;
}

}  // namespace

int RunReview(Context& ctx, std::vector<std::string>& args) {
    std::optional<std::string> typeText, dateText, include, exclude;
    const TakenOptions taken = TakeOptions(args, {{"--type", &typeText},
                                                  {"--date", &dateText},
                                                  {"--include", &include},
                                                  {"--exclude", &exclude}});
    if (taken.AnyMissing() || !dateText || !args.empty()) {
        ctx.Error(
            "review: expected --type N --date yy-mm-dd [--include CRITERIA] "
            "[--exclude CRITERIA]");
        return kUsage;
    }
    int type = 0;
    if (typeText) {
        if (typeText->size() != 1 || (*typeText)[0] < '0' || (*typeText)[0] > '7') {
            ctx.Error("review: --type is a number from 0 to 7");
            return kUsage;
        }
        type = (*typeText)[0] - '0';
    }
    if (!ParseDay(*dateText)) {
        ctx.Error("review: '" + *dateText + "' is not a date (yy-mm-dd)");
        return kUsage;
    }
    StockFilter filter;
    if ((include && !ParseFilterItem(*include, filter.Items[0])) ||
        (exclude && !ParseFilterItem(*exclude, filter.Items[1]))) {
        ctx.Error(
            "review: criteria are market=N,group=N,sector=N,industry=N,favourites,indexes, each "
            "at most once");
        return kUsage;
    }
    if (!ctx.OpenWorkspace()) return kFailure;
    QuickReview review(ctx.db);
    review.Fill(type, *dateText, filter);
    for (const ResultRow& row : review.Rows()) std::fprintf(ctx.out, "%s\n", row.Text.c_str());
    if (const Status& history = review.HistoryStatus(); !history) {
        ctx.Error(history.ToString());
        return kFailure;
    }
    return kSuccess;
}

int RunRiskMap(Context& ctx, std::vector<std::string>& args) {
    if (!args.empty()) {
        ctx.Error("riskmap: unexpected argument '" + args.front() + "'");
        return kUsage;
    }
    if (!ctx.OpenWorkspace()) return kFailure;
    if (!ctx.LoadAllQuotations()) return kFailure;
    RiskYieldMap map;
    map.Compute(ctx.db);
    for (int i = 0; i < ctx.db.StockCount(); ++i) {
        const RiskYield& v = map.Values()[static_cast<std::size_t>(i)];
        if (!v.Mapped) continue;
        const Stock& s = *ctx.db.StockAt(i);
        std::fprintf(ctx.out, "%s\t%s\t%d\t%d\n", s.Ticker.Str().c_str(),
                     MapLabel(s.TickerText()).c_str(), v.Risk, v.Yield);
    }
    const MapRange& r = map.DataRange();
    std::fprintf(ctx.out, "range\t%d\t%d\t%d\t%d\n", r.RiskMin, r.RiskMax, r.YieldMin, r.YieldMax);
    return kSuccess;
}

}  // namespace velmora::cli
