// portfolio: the portfolio manager's list, fields and buttons on "tarvik.portfolio" of the
// workspace. Commands that change the portfolio store the present stock value and save the
// file, as the window's OK does.

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <ctime>

#include "cli/Cli.h"
#include "portfolio/PortfolioFigures.h"
#include "portfolio/PortfolioFile.h"

namespace velmora::cli {

namespace {

std::optional<double> ParseNumber(const std::string& text) {
    if (text.empty()) return std::nullopt;
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (end != text.c_str() + text.size() || !std::isfinite(v)) return std::nullopt;
    return v;
}

// A position number as typed: digits only; none for anything else.
std::optional<int> ParseIndex(const std::string& text) {
    if (text.empty() || text.size() > 9 ||
        text.find_first_not_of("0123456789") != std::string::npos) {
        return std::nullopt;
    }
    return std::atoi(text.c_str());
}

PackedDate Today() {
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm tm{};
    localtime_r(&now, &tm);
    return MakeDate(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday);
}

void PrintTable(Context& ctx, const Portfolio& p) {
    const CommissionTable& t = p.Commissions;
    std::fprintf(ctx.out, "band\tfrom\tupto\tbase\t%% of value\n");
    for (std::size_t band = 0; band < CommissionTable::kBands; ++band) {
        char lower[64] = "", upper[64] = "";
        if (band > 0) std::snprintf(lower, sizeof lower, "%.2f", t.Thresholds[band - 1]);
        if (band < CommissionTable::kThresholds) {
            std::snprintf(upper, sizeof upper, "%.2f", t.Thresholds[band]);
        }
        // The first band's percentage takes no part in the commission: shown as "-".
        char percent[64] = "-";
        if (band > 0) std::snprintf(percent, sizeof percent, "%g", t.Percent[band] * 100);
        std::fprintf(ctx.out, "%zu\t%s\t%s\t%.2f\t%s\n", band, lower, upper, t.Base[band], percent);
    }
    std::fprintf(ctx.out, "Dividend income tax:\t%g\n", p.DividendTax * 100);
    std::fprintf(ctx.out, "Band 0 %% of value:\t%s\n", kUnusedFirstPercent);
}

// Applies "NAME=VALUE" settings of the table: t1..t4, b0..b4, p1..p4 and tax, the
// percentages in percent (p0 takes no part and is refused).
bool SetTable(Context& ctx, Portfolio& p, const std::vector<std::string>& settings) {
    CommissionTable t = p.Commissions;
    double tax = p.DividendTax;
    for (const std::string& s : settings) {
        const auto eq = s.find('=');
        const std::string name = s.substr(0, eq);
        const auto value = eq == std::string::npos ? std::nullopt : ParseNumber(s.substr(eq + 1));
        if (!value) {
            ctx.Error("portfolio table set: expected NAME=NUMBER, got '" + s + "'");
            return false;
        }
        const char kind = name.empty() ? '\0' : name[0];
        const int k = name.size() == 2 ? name[1] - '0' : -1;
        if (name == "tax") {
            tax = *value / 100;
        } else if (kind == 't' && k >= 1 && k <= 4) {
            t.Thresholds[static_cast<std::size_t>(k - 1)] = *value;
        } else if (kind == 'b' && k >= 0 && k <= 4) {
            t.Base[static_cast<std::size_t>(k)] = *value;
        } else if (name == "p0") {
            ctx.Error(std::string("portfolio table set: p0 cannot be set. ") + kUnusedFirstPercent);
            return false;
        } else if (kind == 'p' && k >= 1 && k <= 4) {
            t.Percent[static_cast<std::size_t>(k)] = *value / 100;
        } else {
            ctx.Error("portfolio table set: unknown value '" + name +
                      "' (t1..t4, b0..b4, p1..p4, tax)");
            return false;
        }
    }
    p.Commissions = t;
    p.DividendTax = tax;
    return true;
}

void PrintPortfolio(Context& ctx, const Portfolio& p) {
    const auto rows = PositionRows(ctx.db, p);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        std::fprintf(ctx.out, "%zu\t%s\t%s\t%s\n", i, rows[i].Ticker.c_str(),
                     rows[i].Quantity.c_str(), rows[i].Change.c_str());
    }
    const PortfolioSummary s = Summarize(ctx.db, p);
    std::fprintf(ctx.out, "\nPortfolio change:\t%s\n", s.Change.c_str());
    std::fprintf(ctx.out, "Portfolio yield:\t%s\n", s.Yield.c_str());
    std::fprintf(ctx.out, "Total stock value:\t%s\t%s\n", s.StockValue.c_str(),
                 s.StockShare.c_str());
    std::fprintf(ctx.out, "Cash:\t%s\t%s\n", s.Cash.c_str(), s.CashShare.c_str());
    std::fprintf(ctx.out, "Total:\t%s\n", s.TotalText.c_str());
    std::fprintf(ctx.out, "Real portfolio value:\t%s\n", s.RealValue.c_str());
}

void PrintPosition(Context& ctx, const Portfolio& p, int index) {
    PositionFields f = DescribePosition(ctx.db, p, index);
    f.BuyDate = ctx.Date(f.BuyDate);
    const std::string* values[] = {&f.BuyDate, &f.Quantity,     &f.BuyPrice,
                                   &f.Value,   &f.PresentPrice, &f.PresentValue,
                                   &f.Change,  &f.Yield,        &f.Share};
    for (std::size_t i = 0; i < std::size(values); ++i) {
        std::fprintf(ctx.out, "%s\t%s\n", kPositionCaptions[i], values[i]->c_str());
    }
}

// The trade's date, price and quantity: the options given, the rest as the trade dialog
// proposes them.
struct Trade {
    PackedDate date = kNoDate;
    double price = 0;
    double quantity = 0;
};

std::optional<Trade> TakeTrade(Context& ctx, std::vector<std::string>& args, const Portfolio& p,
                               const std::string& ticker, bool buyMode, double held, bool& usage) {
    std::optional<std::string> dateText, priceText, qtyText;
    const TakenOptions taken =
        TakeOptions(args, {{"--date", &dateText}, {"--price", &priceText}, {"--qty", &qtyText}});
    if (taken.AnyMissing()) {
        ctx.Error("portfolio: --date, --price and --qty need a value");
        usage = true;
        return std::nullopt;
    }
    std::optional<PackedDate> date;
    if (dateText) {
        date = ParseDay(*dateText);
        if (!date) {
            ctx.Error("portfolio: '" + *dateText + "' is not a date (yy-mm-dd)");
            usage = true;
            return std::nullopt;
        }
    }
    const TradeProposal proposal = ProposeTrade(ctx.db, p, ticker, buyMode, held, date);
    Trade t;
    t.date = date ? *date : (proposal.Date != kNoDate ? proposal.Date : Today());
    const std::string price = priceText ? *priceText : proposal.Price;
    const std::string qty = qtyText ? *qtyText : proposal.Quantity;
    const auto priceValue = ParseNumber(price);
    const auto qtyValue = ParseNumber(qty);
    if (!priceValue) {
        ctx.Error(price.empty()
                      ? "portfolio: no quotation of " + ticker + " to price at; give --price"
                      : "portfolio: '" + price + "' is not a price");
        usage = !price.empty();
        return std::nullopt;
    }
    if (!qtyValue) {
        ctx.Error(qty.empty() ? "portfolio: no quantity; give --qty"
                              : "portfolio: '" + qty + "' is not a quantity");
        usage = !qty.empty();
        return std::nullopt;
    }
    t.price = *priceValue;
    t.quantity = *qtyValue;
    return t;
}

bool Commit(Context& ctx, Portfolio& p, const std::filesystem::path& file, const Status& read) {
    p.StoredStockValue = Summarize(ctx.db, p).PresentValue;
    if (ctx.noSave) return true;
    if (const Status saved = SavePortfolio(file, p, read, ctx.force, *ctx.files); !saved) {
        std::string text = saved.ToString();
        if (PortfolioDamaged(read) && !ctx.force) {
            text += " (--force replaces it, keeping the old file as .bak)";
        }
        ctx.Error("portfolio: " + text);
        return false;
    }
    return true;
}

int TradeFailure(Context& ctx, TradeResult r) {
    switch (r) {
        case TradeResult::NotEnoughMoney:
            ctx.Error(std::string(kNotEnoughMoney));
            return kFailure;
        case TradeResult::NotEnoughStocks:
            ctx.Error(std::string(kNotEnoughStocks));
            return kFailure;
        default:
            ctx.Error("portfolio: the quantity must be positive and the price not negative");
            return kUsage;
    }
}

// One portfolio action: the loaded portfolio, the action's arguments and the checks and
// messages every action shares.
struct PortfolioAction {
    Context& ctx;
    std::string action;
    std::vector<std::string>& args;
    Portfolio p;
    std::filesystem::path file;
    Status read;  // how the portfolio file was read

    bool ExpectArgs(std::size_t n, const char* synopsis) const {
        if (args.size() == n) return true;
        ctx.Error(std::string("portfolio ") + action + ": expected " + synopsis);
        return false;
    }
    // The position of an INDEX argument; none after the message, `status` then kUsage for a
    // text that is no number and kFailure for a number that names no position.
    std::optional<int> Index(const std::string& text, int& status) const {
        const auto i = ParseIndex(text);
        if (!i) {
            ctx.Error("portfolio " + action + ": '" + text + "' is not a position number");
            status = kUsage;
            return std::nullopt;
        }
        if (!p.ValidIndex(*i)) {
            ctx.Error("portfolio " + action + ": no position " + text);
            status = kFailure;
            return std::nullopt;
        }
        return i;
    }
    std::optional<double> Amount(const std::string& text) const {
        auto v = ParseNumber(text);
        if (!v) ctx.Error("portfolio " + action + ": '" + text + "' is not a number");
        return v;
    }
    int Committed() { return Commit(ctx, p, file, read) ? kSuccess : kFailure; }
};

int Show(PortfolioAction& a) {
    if (a.args.size() > 1) {
        a.ctx.Error("portfolio show: expected [INDEX]");
        return kUsage;
    }
    if (a.args.empty()) {
        PrintPortfolio(a.ctx, a.p);
        return kSuccess;
    }
    int status = kSuccess;
    const auto i = a.Index(a.args[0], status);
    if (!i) return status;
    PrintPosition(a.ctx, a.p, *i);
    return kSuccess;
}

int BuyOrSell(PortfolioAction& a) {
    const bool buy = a.action == "buy";
    if (a.args.empty() || a.args.front().starts_with("--")) {
        a.ctx.Error("portfolio " + a.action + ": expected " + (buy ? "TICKER" : "INDEX") +
                    " [--date yy-mm-dd] [--price X] [--qty Q]");
        return kUsage;
    }
    const std::string target = a.args.front();
    a.args.erase(a.args.begin());
    std::optional<int> i;
    int status = kSuccess;
    if (!buy && !(i = a.Index(target, status))) return status;
    const Position* held = i ? &a.p.Positions[static_cast<std::size_t>(*i)] : nullptr;
    const std::string ticker = held ? held->Ticker.Str() : target;
    bool usage = false;
    const auto trade =
        TakeTrade(a.ctx, a.args, a.p, ticker, buy, held ? held->Quantity() : 0, usage);
    if (!trade) return usage ? kUsage : kFailure;
    if (!a.args.empty()) {
        a.ctx.Error("portfolio " + a.action + ": unexpected argument '" + a.args.front() + "'");
        return kUsage;
    }
    const TradeResult r =
        buy ? a.p.Buy(ticker, DateToText(trade->date), trade->quantity, trade->price)
            : a.p.Sell(*i, trade->quantity, trade->price);
    if (r != TradeResult::Ok) return TradeFailure(a.ctx, r);
    return a.Committed();
}

int Dividend(PortfolioAction& a) {
    if (!a.ExpectArgs(2, "INDEX AMOUNT")) return kUsage;
    int status = kSuccess;
    const auto i = a.Index(a.args[0], status);
    if (!i) return status;
    const auto v = a.Amount(a.args[1]);
    if (!v) return kUsage;
    a.p.Dividend(*i, *v);
    return a.Committed();
}

int Join(PortfolioAction& a) {
    if (!a.ExpectArgs(1, "INDEX")) return kUsage;
    int status = kSuccess;
    const auto i = a.Index(a.args[0], status);
    if (!i) return status;
    if (!a.p.Join(*i)) return kSuccess;  // no other position of that ticker: nothing changes
    return a.Committed();
}

int Pay(PortfolioAction& a) {
    if (!a.ExpectArgs(1, "AMOUNT")) return kUsage;
    const auto v = a.Amount(a.args[0]);
    if (!v) return kUsage;
    if (a.action == "pay-in") {
        a.p.PayIn(*v);
    } else if (!(*v >= 0)) {
        a.ctx.Error("portfolio pay-out: the amount must not be negative");
        return kUsage;
    } else if (a.p.PayOut(*v) != TradeResult::Ok) {
        return TradeFailure(a.ctx, TradeResult::NotEnoughMoney);
    }
    return a.Committed();
}

int CommissionOf(PortfolioAction& a) {
    if (!a.ExpectArgs(1, "VALUE")) return kUsage;
    const auto v = a.Amount(a.args[0]);
    if (!v) return kUsage;
    std::fprintf(a.ctx.out, "%.2f\n", a.p.Commission(*v));
    return kSuccess;
}

int Table(PortfolioAction& a) {
    if (a.args.empty()) {
        PrintTable(a.ctx, a.p);
        return kSuccess;
    }
    if (a.args.front() != "set" || a.args.size() < 2) {
        a.ctx.Error("portfolio table: expected nothing or 'set NAME=VALUE...'");
        return kUsage;
    }
    a.args.erase(a.args.begin());
    if (!SetTable(a.ctx, a.p, a.args)) return kUsage;
    PrintTable(a.ctx, a.p);
    return a.Committed();
}

struct ActionEntry {
    const char* name;
    int (*run)(PortfolioAction&);
};

constexpr ActionEntry kActions[] = {
    {"show", Show},   {"buy", BuyOrSell}, {"sell", BuyOrSell}, {"dividend", Dividend},
    {"join", Join},   {"pay-in", Pay},    {"pay-out", Pay},    {"commission", CommissionOf},
    {"table", Table},
};

}  // namespace

int RunPortfolio(Context& ctx, std::vector<std::string>& args) {
    if (args.empty()) {
        ctx.Error(
            "portfolio: expected show|buy|sell|dividend|join|pay-in|pay-out|commission|table");
        return kUsage;
    }
    PortfolioAction a{ctx, args.front(), args, Portfolio{}, {}, {}};
    args.erase(args.begin());
    // The portfolio file lives in the workspace: every action but "show" may write it.
    if (!ctx.OpenWorkspace(a.action == "show" ? Access::Read : Access::Write)) return kFailure;
    a.file = PortfolioPath(ctx.db.WorkspaceDir());
    // A missing file is an empty portfolio; a damaged one is reported, shown as far as it could
    // be read, and not replaced.
    a.read = ReadPortfolioFile(a.file, a.p);
    if (PortfolioDamaged(a.read)) ctx.Error(a.read.ToString());
    for (const ActionEntry& entry : kActions) {
        if (a.action == entry.name) return entry.run(a);
    }
    ctx.Error("portfolio: unknown action '" + a.action + "'");
    return kUsage;
}

}  // namespace velmora::cli
