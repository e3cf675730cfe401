// info, list and quotes: read-only views of the workspace.

#include <cinttypes>

#include "cli/Cli.h"

namespace velmora::cli {

namespace {

bool NoArguments(Context& ctx, const char* command, const std::vector<std::string>& args) {
    if (args.empty()) return true;
    ctx.Error(std::string(command) + ": unexpected argument '" + args.front() + "'");
    return false;
}

}  // namespace

int RunInfo(Context& ctx, std::vector<std::string>& args) {
    if (!NoArguments(ctx, "info", args)) return kUsage;
    if (!ctx.OpenWorkspace()) return kFailure;
    if (!ctx.LoadAllQuotations()) return kFailure;
    long long quotes = 0;
    PackedDate first = 0, last = 0;
    for (const auto& s : ctx.db.Stocks()) {
        quotes += static_cast<long long>(s->Quotations.size());
        if (s->Quotations.empty()) continue;
        if (first == 0 || s->Quotations.front().Date < first) first = s->Quotations.front().Date;
        if (s->Quotations.back().Date > last) last = s->Quotations.back().Date;
    }
    std::fprintf(ctx.out, "workspace\t%s\n", ctx.db.WorkspaceDir().string().c_str());
    std::fprintf(ctx.out, "stocks\t%d\n", ctx.db.StockCount());
    std::fprintf(ctx.out, "quotations\t%lld\n", quotes);
    std::fprintf(ctx.out, "first date\t%s\n", first ? ctx.Date(first).c_str() : "");
    std::fprintf(ctx.out, "last date\t%s\n", last ? ctx.Date(last).c_str() : "");
    return kSuccess;
}

int RunList(Context& ctx, std::vector<std::string>& args) {
    if (!NoArguments(ctx, "list", args)) return kUsage;
    if (!ctx.OpenWorkspace()) return kFailure;
    if (!ctx.LoadAllQuotations()) return kFailure;
    for (const auto& s : ctx.db.Stocks()) {
        const auto& q = s->Quotations;
        std::fprintf(ctx.out, "%s\t%zu\t%s\t%s\t%s\n", s->Ticker.Str().c_str(), q.size(),
                     q.empty() ? "" : ctx.Date(q.front().Date).c_str(),
                     q.empty() ? "" : ctx.Date(q.back().Date).c_str(), s->FullName.Str().c_str());
    }
    return kSuccess;
}

int RunQuotes(Context& ctx, std::vector<std::string>& args) {
    if (args.size() != 1) {
        ctx.Error("quotes: expected one TICKER");
        return kUsage;
    }
    if (!ctx.OpenWorkspace()) return kFailure;
    Stock* stock = ctx.db.FindStock(args[0]);
    if (stock == nullptr) {
        ctx.Error("no stock '" + args[0] + "'");
        return kFailure;
    }
    if (!ctx.LoadFullHistory(*stock)) return kFailure;
    std::fputs("date,open,high,low,close,volume,openint,mark,reduction\n", ctx.out);
    for (const Quotation& q : stock->Quotations) {
        std::fprintf(ctx.out, "%s,%s,%s,%s,%s,%" PRId32 ",%" PRId32 ",%u,%u\n",
                     ctx.Date(q.Date).c_str(), FormatPrice(q.Open).c_str(),
                     FormatPrice(q.High).c_str(), FormatPrice(q.Low).c_str(),
                     FormatPrice(q.Close).c_str(), q.Volume, q.OpenInt, unsigned{q.Mark},
                     unsigned{q.Reduction});
    }
    return kSuccess;
}

}  // namespace velmora::cli
