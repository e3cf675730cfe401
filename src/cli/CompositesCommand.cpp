// composites [--volume] [--copy-volume] [--adv-dec] [--all | --last N | --from D --to D]
//            [--market M]: recomputes the composites of one market or of every market.

#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "cli/Cli.h"
#include "database/Composites.h"

namespace velmora::cli {

namespace {

bool ParseNumber(const std::string& text, int& value) {
    try {
        std::size_t used = 0;
        value = std::stoi(text, &used);
        return used == text.size();
    } catch (const std::exception&) {
        return false;
    }
}

bool ParseDate(const std::string& text, PackedDate& date) {
    const std::optional<PackedDate> day = ParseDay(text);
    if (day) date = *day;
    return day.has_value();
}

void PrintMarket(Context& ctx, int market, int status, const CompositesResult& r) {
    const std::string name(
        ctx.db.Categories().Markets[static_cast<std::size_t>(market)].Name.View());
    if (!r.history) {
        ctx.Error("composites: " + r.history.ToString());
    } else if (r.base == nullptr) {
        std::fprintf(ctx.out, "%d\t%s\t-\tno base index\n", market, name.c_str());
    } else if (status == 0) {
        std::fprintf(ctx.out, "%d\t%s\t%s\tbase index belongs to market %d\n", market, name.c_str(),
                     std::string(r.base->TickerText()).c_str(), GetMarketID(*r.base));
    } else {
        std::fprintf(ctx.out, "%d\t%s\t%s\t%d days, %d members\n", market, name.c_str(),
                     std::string(r.base->TickerText()).c_str(), r.days, r.members);
    }
}

}  // namespace

int RunComposites(Context& ctx, std::vector<std::string>& args) {
    bool volume = false, copyVolume = false, advDec = false, all = false;
    std::optional<std::string> last, from, to, market;
    const TakenOptions taken = TakeOptions(args, {{"--volume", &volume},
                                                  {"--copy-volume", &copyVolume},
                                                  {"--adv-dec", &advDec},
                                                  {"--all", &all},
                                                  {"--last", &last},
                                                  {"--from", &from},
                                                  {"--to", &to},
                                                  {"--market", &market}});
    CompositesRequest request;
    if (volume) request.flags |= kCompositeVolume;
    if (copyVolume) request.flags |= kCompositeCopyVolume;
    if (advDec) request.flags |= kCompositeAdvDec;
    const int ranges = (all ? 1 : 0) + (last ? 1 : 0) + (from || to ? 1 : 0);
    if (taken.AnyMissing() || !args.empty() || ranges > 1 || (from.has_value() != to.has_value())) {
        ctx.Error(
            "composites: expected [--volume] [--copy-volume] [--adv-dec] "
            "[--all | --last N | --from D --to D] [--market M]");
        return kUsage;
    }
    request.count = 1;
    if (all) request.count = -1;
    if (last && (!ParseNumber(*last, request.count) || request.count < 1)) {
        ctx.Error("composites: --last needs a positive number");
        return kUsage;
    }
    if (from) {
        request.count = 0;
        if (!ParseDate(*from, request.from) || !ParseDate(*to, request.to)) {
            ctx.Error("composites: dates are written yy-mm-dd");
            return kUsage;
        }
        if (request.from > request.to) {
            ctx.Error("composites: --from " + *from + " is after --to " + *to);
            return kUsage;
        }
    }
    int marketIndex = -1;
    if (market &&
        (!ParseNumber(*market, marketIndex) || marketIndex < 0 || marketIndex >= kMarketCount)) {
        ctx.Error("composites: --market needs a market number 0..255");
        return kUsage;
    }
    if (!ctx.OpenWorkspace(Access::Write)) return kFailure;
    if (!ctx.LoadAllQuotations()) return kFailure;
    const std::string base = ctx.prefs.DefaultRSBase();
    int status = kSuccess;
    if (marketIndex >= 0) {
        request.market = marketIndex;
        CompositesResult result;
        const int done = ComputeComposites(ctx.db, base, request, &result);
        PrintMarket(ctx, marketIndex, done, result);
        if (done == 0) status = kFailure;
    } else {
        // Markets without a stock or a base index of their own have nothing to say.
        std::vector<int> stocks(kMarketCount, 0);
        for (const auto& st : ctx.db.Stocks()) {
            const int m = GetMarketID(*st);
            if (m >= 0 && m < kMarketCount) ++stocks[static_cast<std::size_t>(m)];
        }
        ComputeCompositesAllMarkets(ctx.db, base, request, ctx.ui.Progress(),
                                    [&](int m, int done, const CompositesResult& result) {
                                        const bool ownBase =
                                            !ctx.db.Categories()
                                                 .Markets[static_cast<std::size_t>(m)]
                                                 .CompositesBase.Empty();
                                        if (stocks[static_cast<std::size_t>(m)] > 0 || ownBase) {
                                            PrintMarket(ctx, m, done, result);
                                        }
                                    });
    }
    if (!ctx.SaveWorkspace()) return kFailure;
    return status;
}

}  // namespace velmora::cli
