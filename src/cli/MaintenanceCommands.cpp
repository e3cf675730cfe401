// stock, split, find-split, delete-session, delete-quote, set-quote and the editing
// sub-commands of categories: the stock maintenance commands, the quotation editor's store and
// the category editors on the workspace.

#include <cmath>
#include <cstdlib>
#include <limits>
#include <set>

#include "app/CategoryEditor.h"
#include "app/QuotationEditor.h"
#include "app/StockMaintenance.h"
#include "cli/Cli.h"
#include "database/StockFile.h"
#include "portfolio/PortfolioFile.h"

namespace velmora::cli {

namespace {

std::optional<double> ParseDouble(const std::string& text) {
    if (text.empty()) return std::nullopt;
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (end != text.c_str() + text.size() || !std::isfinite(v)) return std::nullopt;
    return v;
}

std::optional<std::int32_t> ParseInt(const std::string& text) {
    if (text.empty()) return std::nullopt;
    char* end = nullptr;
    const long long v = std::strtoll(text.c_str(), &end, 10);
    if (end != text.c_str() + text.size()) return std::nullopt;
    if (v < std::numeric_limits<std::int32_t>::min() ||
        v > std::numeric_limits<std::int32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(v);
}

// The date option or argument: a "yy-mm-dd" text that is a day of the calendar.
std::optional<PackedDate> ParseDate(const std::string& text) {
    return ParseDay(text);
}

// A text option and where its value is, for the checks that every text option gets.
using TextOption = std::pair<const char*, const std::optional<std::string>*>;

// An option of these commands and where its value goes: the text as given, and for a number
// option the number read from it (a price is left as it was when the option is absent).
struct ValueOption {
    const char* name;
    std::optional<std::string>* text = nullptr;
    std::optional<std::int32_t>* integer = nullptr;
    float* price = nullptr;
};

// Takes the options as one table and checks them in its order: the first whose value is missing
// ("NAME needs a value") or is not the number the option takes ends it with a message.
bool TakeValueOptions(Context& ctx, std::vector<std::string>& args,
                      std::initializer_list<ValueOption> options) {
    std::vector<std::optional<std::string>> texts(options.size());
    std::vector<Option> table;
    for (std::size_t i = 0; i < options.size(); ++i) {
        table.push_back({options.begin()[i].name, &texts[i]});
    }
    const TakenOptions taken = TakeOptions(args, table);
    for (std::size_t i = 0; i < options.size(); ++i) {
        const ValueOption& o = options.begin()[i];
        const std::string name = o.name;
        const std::optional<std::string>& value = texts[i];
        if (taken.Missing(name)) {
            ctx.Error(name + " needs a value");
            return false;
        }
        if (o.text != nullptr) *o.text = value;
        if (!value) continue;
        if (o.integer != nullptr) {
            *o.integer = ParseInt(*value);
            if (!*o.integer) {
                ctx.Error(name + ": expected an integer, got '" + *value + "'");
                return false;
            }
        }
        if (o.price != nullptr) {
            const auto v = ParseDouble(*value);
            if (!v || std::fabs(*v) > std::numeric_limits<float>::max()) {
                ctx.Error(name + ": expected a number, got '" + *value + "'");
                return false;
            }
            *o.price = static_cast<float>(*v);
        }
    }
    return true;
}

bool NoMoreArguments(Context& ctx, const char* command, const std::vector<std::string>& args) {
    if (args.empty()) return true;
    ctx.Error(std::string(command) + ": unexpected argument '" + args.front() + "'");
    return false;
}

Stock* FindOrComplain(Context& ctx, const std::string& ticker) {
    Stock* stock = ctx.db.FindStock(ticker);
    if (stock == nullptr) ctx.Error("no stock '" + ticker + "'");
    return stock;
}

int Finish(Context& ctx) {
    return ctx.SaveWorkspace() ? kSuccess : kFailure;
}

// Deleting or renaming a stock sets its file aside until the save; a run that will not save
// puts it back, as declining to save does.
void PutBackUnlessSaving(Context& ctx, const std::string& ticker) {
    if (ctx.noSave) ctx.PutBackSetAsideFile(ticker);
}

int StockSet(Context& ctx, StockMaintenance& maintenance, std::vector<std::string>& args) {
    if (args.empty()) {
        ctx.Error("stock set: expected a TICKER");
        return kUsage;
    }
    const std::string ticker = args.front();
    args.erase(args.begin());
    std::optional<std::string> newTicker, name, address, alias, country, currency, webId;
    std::optional<std::int32_t> code, issue, nominal, book, market, group, industry, continuous,
        favourite, index;
    if (!TakeValueOptions(ctx, args,
                          {{"--ticker", &newTicker},
                           {"--name", &name},
                           {"--address", &address},
                           {"--alias", &alias},
                           {"--country", &country},
                           {"--currency", &currency},
                           {"--webid", &webId},
                           {"--code", nullptr, &code},
                           {"--issue", nullptr, &issue},
                           {"--nominal", nullptr, &nominal},
                           {"--bookvalue", nullptr, &book},
                           {"--market", nullptr, &market},
                           {"--group", nullptr, &group},
                           {"--industry", nullptr, &industry},
                           {"--continuous", nullptr, &continuous},
                           {"--favourite", nullptr, &favourite},
                           {"--index", nullptr, &index}})) {
        return kUsage;
    }
    if (!NoMoreArguments(ctx, "stock set", args)) return kUsage;
    for (const auto& [what, text] : std::initializer_list<TextOption>{{"--ticker", &newTicker},
                                                                      {"--name", &name},
                                                                      {"--address", &address},
                                                                      {"--alias", &alias},
                                                                      {"--country", &country},
                                                                      {"--currency", &currency},
                                                                      {"--webid", &webId}}) {
        if (*text && !PlainText(ctx, "stock set", what, **text)) return kUsage;
    }
    if ((market && (*market < 0 || *market >= kMarketCount)) ||
        (group && (*group < 0 || *group >= kGroupCount)) ||
        (industry && (*industry < 0 || *industry >= kIndustryCount))) {
        ctx.Error("stock set: market, group and industry are numbers from 0 to 255");
        return kUsage;
    }
    if (!ctx.OpenWorkspace(Access::Write)) return kFailure;
    Stock* stock = FindOrComplain(ctx, ticker);
    if (stock == nullptr) return kFailure;
    StockInformation info = StockInformation::Of(*stock);
    if (newTicker) info.Ticker = *newTicker;
    if (name) info.FullName = *name;
    if (address) info.Address = *address;
    if (alias) info.Alias = *alias;
    if (country) info.Country = *country;
    if (currency) info.Currency = *currency;
    if (webId) info.WebID = *webId;
    if (code) info.Code = *code;
    if (issue) info.Issue = *issue;
    if (nominal) info.NominalValue = *nominal;
    if (book) info.BookValue = *book;
    if (market) info.Market = *market;
    if (group) info.Group = *group;
    if (industry) info.Industry = *industry;
    if (continuous) info.Continuous = *continuous != 0;
    if (favourite) info.Favourite = *favourite != 0;
    if (index) info.Index = *index != 0;
    const std::string oldTicker = stock->Ticker.Str();
    maintenance.MakeCurrent(stock, 0);
    if (!maintenance.ApplyStockInformation(*stock, info)) return kFailure;
    PutBackUnlessSaving(ctx, oldTicker);
    return Finish(ctx);
}

}  // namespace

int RunStock(Context& ctx, std::vector<std::string>& args) {
    if (args.empty()) {
        ctx.Error("stock: expected new, delete, rename or set");
        return kUsage;
    }
    const std::string sub = args.front();
    args.erase(args.begin());
    ShellWindows windows;
    StockMaintenance maintenance(ctx.db, ctx.prefs, ctx.ui, windows);
    maintenance.SetWritesPortfolioFile(!ctx.noSave);
    maintenance.SetFileSystem(*ctx.files);
    if (sub == "set") return StockSet(ctx, maintenance, args);
    if (sub == "new") {
        std::optional<std::string> name;
        if (!TakeValueOptions(ctx, args, {{"--name", &name}})) return kUsage;
        if (args.size() != 1 || args[0].empty()) {
            ctx.Error("stock new: expected one TICKER");
            return kUsage;
        }
        if (!PlainText(ctx, "stock new", "the ticker", args[0]) ||
            (name && !PlainText(ctx, "stock new", "--name", *name))) {
            return kUsage;
        }
        if (!ctx.OpenWorkspace(Access::Write)) return kFailure;
        Stock* stock = maintenance.NewStock(args[0]);
        if (stock == nullptr) return kFailure;
        if (name) stock->FullName.Set(*name);
        return Finish(ctx);
    }
    if (sub == "delete") {
        if (args.size() != 1) {
            ctx.Error("stock delete: expected one TICKER");
            return kUsage;
        }
        if (!ctx.OpenWorkspace(Access::Write)) return kFailure;
        Stock* stock = FindOrComplain(ctx, args[0]);
        if (stock == nullptr) return kFailure;
        const std::string ticker = stock->Ticker.Str();
        if (!maintenance.DeleteStock(*stock)) return kFailure;
        PutBackUnlessSaving(ctx, ticker);
        return Finish(ctx);
    }
    if (sub == "rename") {
        if (args.size() != 2) {
            ctx.Error("stock rename: expected OLD and NEW tickers");
            return kUsage;
        }
        if (!PlainText(ctx, "stock rename", "the new ticker", args[1])) return kUsage;
        if (!ctx.OpenWorkspace(Access::Write)) return kFailure;
        Stock* stock = FindOrComplain(ctx, args[0]);
        if (stock == nullptr) return kFailure;
        StockInformation info = StockInformation::Of(*stock);
        info.Ticker = args[1];
        const std::string oldTicker = stock->Ticker.Str();
        maintenance.MakeCurrent(stock, 0);
        if (!maintenance.ApplyStockInformation(*stock, info)) return kFailure;
        PutBackUnlessSaving(ctx, oldTicker);
        return Finish(ctx);
    }
    ctx.Error("stock: unknown sub-command '" + sub + "'");
    return kUsage;
}

int RunSplit(Context& ctx, std::vector<std::string>& args) {
    std::optional<std::string> dateText, ratioText;
    const TakenOptions taken = TakeOptions(args, {{"--date", &dateText}, {"--ratio", &ratioText}});
    if (taken.AnyMissing() || !dateText || !ratioText || args.size() != 1) {
        ctx.Error("split: expected TICKER --date yy-mm-dd --ratio R");
        return kUsage;
    }
    if (!ParseDate(*dateText)) {
        ctx.Error("split: '" + *dateText + "' is not a date (yy-mm-dd)");
        return kUsage;
    }
    const auto ratio = ReadSplitRatio(*ratioText);
    if (!ratio) {
        ctx.Error(std::string(kBadSplitRatio));
        return kUsage;
    }
    if (!ctx.OpenWorkspace(Access::Write)) return kFailure;
    if (FindOrComplain(ctx, args[0]) == nullptr) return kFailure;
    const auto portfolioFile = PortfolioPath(ctx.db.WorkspaceDir());
    Portfolio portfolio;
    // A damaged portfolio file is left as it is: its positions are not split.
    const Status read = ReadPortfolioFile(portfolioFile, portfolio);
    if (PortfolioDamaged(read)) ctx.Error(read.ToString() + "; its positions were not split");
    const bool havePortfolio = read.IsOk();
    ShellWindows windows;
    StockMaintenance maintenance(ctx.db, ctx.prefs, ctx.ui, windows);
    const int result =
        maintenance.Split(args[0], *dateText, *ratio, havePortfolio ? &portfolio : nullptr);
    if (result == 0) {
        ctx.Error("split: nothing was split");
        return kFailure;
    }
    if (result == 2 && !ctx.noSave) {
        if (const Status saved = SavePortfolio(portfolioFile, portfolio, read, false, *ctx.files);
            !saved) {
            ctx.Error(std::string(kPortfolioNotSaved) + ": " + saved.ToString());
            return kFailure;
        }
    }
    return Finish(ctx);
}

int RunFindSplit(Context& ctx, std::vector<std::string>& args) {
    std::optional<std::string> after;
    const TakenOptions taken = TakeOptions(args, {{"--after", &after}});
    if (taken.AnyMissing() || args.size() != 1) {
        ctx.Error("find-split: expected TICKER [--after yy-mm-dd]");
        return kUsage;
    }
    if (after && !ParseDate(*after)) {
        ctx.Error("find-split: '" + *after + "' is not a date (yy-mm-dd)");
        return kUsage;
    }
    if (!ctx.OpenWorkspace()) return kFailure;
    Stock* stock = FindOrComplain(ctx, args[0]);
    if (stock == nullptr || !ctx.LoadFullHistory(*stock)) return kFailure;
    std::string dateText = after.value_or("");
    const double ratio = FindNextSplit(*stock, dateText);
    std::fprintf(ctx.out, "%s\t%g\n", ctx.Date(dateText).c_str(), ratio);
    return kSuccess;
}

int RunDeleteSession(Context& ctx, std::vector<std::string>& args) {
    if (args.size() != 1 || !ParseDate(args[0])) {
        ctx.Error("delete-session: expected one date yy-mm-dd");
        return kUsage;
    }
    if (!ctx.OpenWorkspace(Access::Write)) return kFailure;
    ShellWindows windows;
    StockMaintenance maintenance(ctx.db, ctx.prefs, ctx.ui, windows);
    const int deleted = maintenance.DeleteSession(args[0]);
    if (deleted < 0) return kFailure;  // the reason was shown
    std::fprintf(ctx.out, "deleted\t%d\n", deleted);
    return Finish(ctx);
}

int RunDeleteQuote(Context& ctx, std::vector<std::string>& args) {
    if (args.size() != 2 || !ParseDate(args[1])) {
        ctx.Error("delete-quote: expected TICKER yy-mm-dd");
        return kUsage;
    }
    if (!ctx.OpenWorkspace(Access::Write)) return kFailure;
    Stock* stock = FindOrComplain(ctx, args[0]);
    if (stock == nullptr) return kFailure;
    ShellWindows windows;
    StockMaintenance maintenance(ctx.db, ctx.prefs, ctx.ui, windows);
    if (!ctx.LoadFullHistory(*stock)) return kFailure;
    maintenance.MakeCurrent(stock, 0);
    maintenance.SetPickedDate(TextToDate(args[1]));
    if (!maintenance.DeleteQuotation()) {
        ctx.Error("delete-quote: " + args[0] + " has no quotation on " + args[1]);
        return kFailure;
    }
    return Finish(ctx);
}

int RunSetQuote(Context& ctx, std::vector<std::string>& args) {
    QuotationEditFields fields;
    std::optional<std::string> close;
    std::optional<std::int32_t> volume, openInt;
    if (!TakeValueOptions(ctx, args,
                          {{"--close", &close, nullptr, &fields.Close},
                           {"--open", nullptr, nullptr, &fields.Open},
                           {"--high", nullptr, nullptr, &fields.High},
                           {"--low", nullptr, nullptr, &fields.Low},
                           {"--volume", nullptr, &volume},
                           {"--openint", nullptr, &openInt}})) {
        return kUsage;
    }
    if (!close || args.size() != 2) {
        ctx.Error("set-quote: expected TICKER yy-mm-dd --close C");
        return kUsage;
    }
    if (!ParseDate(args[1])) {
        ctx.Error("set-quote: '" + args[1] + "' is not a day of the calendar (yy-mm-dd)");
        return kUsage;
    }
    fields.Ticker = args[0];
    fields.Date = TextToDate(args[1]);
    fields.Volume = volume.value_or(0);
    fields.OpenInt = openInt.value_or(0);
    if (!(fields.Close > 0)) {
        ctx.Error("set-quote: nothing stored, the close must be above 0");
        return kFailure;
    }
    if (!ctx.OpenWorkspace(Access::Write)) return kFailure;
    if (!ApplyEditFields(ctx.db, fields)) {
        ctx.Error("set-quote: no stock or alias '" + fields.Ticker + "'");
        return kFailure;
    }
    return Finish(ctx);
}

namespace {

std::optional<CategoryKind> ParseKind(const std::string& text) {
    if (text == "markets") return CategoryKind::Markets;
    if (text == "groups") return CategoryKind::Groups;
    if (text == "sectors") return CategoryKind::Sectors;
    if (text == "industries") return CategoryKind::Industries;
    return std::nullopt;
}

std::optional<int> ParseCategory(CategoryKind kind, const std::string& text) {
    const auto v = ParseInt(text);
    if (!v || *v < 0 || *v >= CategoryCount(kind)) return std::nullopt;
    return *v;
}

int CategoriesRename(Context& ctx, std::vector<std::string>& args) {
    if (args.size() != 3) {
        ctx.Error("categories rename: expected KIND INDEX NAME");
        return kUsage;
    }
    const auto kind = ParseKind(args[0]);
    const auto index = kind ? ParseCategory(*kind, args[1]) : std::nullopt;
    if (!kind || !index) {
        ctx.Error("categories rename: expected markets|groups|sectors|industries and an index");
        return kUsage;
    }
    if (!PlainText(ctx, "categories rename", "the name", args[2])) return kUsage;
    if (!ctx.OpenWorkspace(Access::Write)) return kFailure;
    CategoryEditor editor(ctx.db);
    editor.Open();
    editor.SetTab(*kind);
    editor.EditName(*index, args[2]);
    editor.Ok();
    std::fprintf(ctx.out, "%d\t%s\n", *index,
                 CategoryName(ctx.db.Categories(), *kind, *index).c_str());
    return Finish(ctx);
}

int CategoriesSet(Context& ctx, std::vector<std::string>& args) {
    std::optional<std::string> rs, beta, composites, profile, news;
    std::optional<std::int32_t> sector;
    if (!TakeValueOptions(ctx, args,
                          {{"--rs-base", &rs},
                           {"--beta-base", &beta},
                           {"--composites-base", &composites},
                           {"--profile", &profile},
                           {"--news", &news},
                           {"--sector", nullptr, &sector}})) {
        return kUsage;
    }
    const auto kind = args.size() == 2 ? ParseKind(args[0]) : std::nullopt;
    const auto index = kind ? ParseCategory(*kind, args[1]) : std::nullopt;
    if (!kind || !index || *kind == CategoryKind::Sectors) {
        ctx.Error("categories set: expected markets|groups|industries INDEX and settings");
        return kUsage;
    }
    const bool market = *kind == CategoryKind::Markets;
    if ((!market && (beta || composites || profile || news)) ||
        (*kind != CategoryKind::Industries && sector) ||
        (sector && (*sector < 0 || *sector >= kSectorCount))) {
        ctx.Error("categories set: a setting that this category does not have");
        return kUsage;
    }
    for (const auto& [what, text] :
         std::initializer_list<TextOption>{{"--rs-base", &rs},
                                           {"--beta-base", &beta},
                                           {"--composites-base", &composites},
                                           {"--profile", &profile},
                                           {"--news", &news}}) {
        if (*text && !PlainText(ctx, "categories set", what, **text)) return kUsage;
    }
    if (!ctx.OpenWorkspace(Access::Write)) return kFailure;
    CategoryEditor editor(ctx.db);
    editor.Open();
    editor.SetTab(*kind);
    editor.SelectRow(*index);
    CategorySettings& c = editor.Controls();
    if (rs) c.RSBase = *rs;
    if (beta) c.BetaBase = *beta;
    if (composites) c.CompositesBase = *composites;
    if (profile) c.ProfileTemplate = *profile;
    if (news) c.NewsTemplate = *news;
    if (sector) c.SectorID = *sector;
    editor.Ok();
    return Finish(ctx);
}

// assign KIND FROM TO [TICKER...]: copies the named stocks of FROM (all without names) to TO.
// exchange KIND A B: swaps every stock of A with every stock of B.
int CategoriesMove(Context& ctx, std::vector<std::string>& args, bool exchange) {
    const char* command = exchange ? "categories exchange" : "categories assign";
    if (args.size() < 3 || (exchange && args.size() != 3)) {
        ctx.Error(std::string(command) + ": expected markets|groups|industries FROM TO" +
                  (exchange ? "" : " [TICKER...]"));
        return kUsage;
    }
    const auto kind = ParseKind(args[0]);
    const auto from = kind ? ParseCategory(*kind, args[1]) : std::nullopt;
    const auto to = kind ? ParseCategory(*kind, args[2]) : std::nullopt;
    if (!kind || *kind == CategoryKind::Sectors || !from || !to) {
        ctx.Error(std::string(command) + ": expected markets|groups|industries and two indexes");
        return kUsage;
    }
    if (!ctx.OpenWorkspace(Access::Write)) return kFailure;
    AssignmentsOrganizer organizer(ctx.db);
    organizer.SetKind(*kind);
    organizer.Choose(AssignmentsOrganizer::Side::Left, *from);
    organizer.Choose(AssignmentsOrganizer::Side::Right, *to);
    const std::vector<std::string> tickers(args.begin() + 3, args.end());
    if (!tickers.empty()) {
        std::set<int> rows;
        const auto& list = organizer.List(AssignmentsOrganizer::Side::Left);
        for (const std::string& t : tickers) {
            bool found = false;
            for (std::size_t i = 0; i < list.size(); ++i) {
                if (EqualNoCase(list[i], t)) {
                    rows.insert(static_cast<int>(i));
                    found = true;
                }
            }
            if (!found) {
                ctx.Error(std::string(command) + ": '" + t + "' is not in " + args[0] + " " +
                          args[1]);
                return kFailure;
            }
        }
        organizer.SetSelection(AssignmentsOrganizer::Side::Left, rows);
    }
    std::size_t moved = tickers.empty()
                            ? organizer.List(AssignmentsOrganizer::Side::Left).size()
                            : organizer.Selection(AssignmentsOrganizer::Side::Left).size();
    if (exchange) moved += organizer.List(AssignmentsOrganizer::Side::Right).size();
    const bool done = exchange          ? organizer.ExchangeAll()
                      : tickers.empty() ? organizer.CopyAll(AssignmentsOrganizer::Side::Left)
                                        : organizer.CopySelected(AssignmentsOrganizer::Side::Left);
    if (!done) {
        ctx.Error(std::string(command) + ": no stocks to move");
        return kFailure;
    }
    std::fprintf(ctx.out, "moved\t%zu\n", moved);
    return Finish(ctx);
}

}  // namespace

bool IsCategoryEditCommand(const std::vector<std::string>& args) {
    return !args.empty() && (args[0] == "rename" || args[0] == "set" || args[0] == "assign" ||
                             args[0] == "exchange");
}

int RunCategoryEdit(Context& ctx, std::vector<std::string>& args) {
    if (!IsCategoryEditCommand(args)) {
        ctx.Error("categories: expected rename, set, assign or exchange");
        return kUsage;
    }
    const std::string sub = args.front();
    args.erase(args.begin());
    if (sub == "rename") return CategoriesRename(ctx, args);
    if (sub == "set") return CategoriesSet(ctx, args);
    return CategoriesMove(ctx, args, sub == "exchange");
}

}  // namespace velmora::cli
