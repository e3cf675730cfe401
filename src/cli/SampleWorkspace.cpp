// sample-workspace DIR: a deterministic synthetic database of about 40 fictional securities
// over ten years of trading days, for trying the program out.

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "cli/Cli.h"
#include "database/Workspace.h"
#include "platform/FileUtil.h"

namespace velmora::cli {

namespace {

// A small deterministic generator (splitmix64), so the sample is the same on every machine.
class Random {
  public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    std::uint64_t Next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    double Uniform() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }
    double Normal() {
        double u = Uniform();
        if (u < 1e-300) u = 1e-300;
        return std::sqrt(-2.0 * std::log(u)) * std::cos(2.0 * 3.14159265358979323846 * Uniform());
    }

  private:
    std::uint64_t state_;
};

struct SecuritySpec {
    const char* ticker;
    const char* name;
    int market;
    int group;
    int industry;
    double startPrice;
    double drift;  // yearly
    double vol;    // yearly
    double beta;
};

const SecuritySpec kStocks[] = {
    {"ALDORA", "Aldora Mining Works", 0, 1, 10, 42.0, 0.06, 0.32, 1.3},
    {"BRENKO", "Brenko Steel", 0, 1, 11, 18.5, 0.02, 0.30, 1.2},
    {"CALVEX", "Calvex Pharmaceuticals", 0, 2, 20, 95.0, 0.09, 0.25, 0.8},
    {"DORNIK", "Dornik Bank", 0, 3, 30, 61.0, 0.05, 0.24, 1.1},
    {"ELMARO", "Elmaro Insurance Group", 0, 3, 31, 27.0, 0.04, 0.22, 0.9},
    {"FENWIX", "Fenwix Telecom", 0, 4, 40, 12.2, -0.01, 0.28, 0.9},
    {"GORSAN", "Gorsan Energy", 0, 5, 50, 33.0, 0.03, 0.29, 1.0},
    {"HALVIK", "Halvik Retail Chain", 0, 6, 60, 54.0, 0.07, 0.27, 1.0},
    {"IRMELA", "Irmela Food Industries", 0, 6, 61, 22.0, 0.05, 0.20, 0.7},
    {"JORVEN", "Jorven Software", 0, 7, 70, 8.4, 0.15, 0.42, 1.4},
    {"KESTRA", "Kestra Construction", 0, 8, 80, 15.0, 0.01, 0.33, 1.2},
    {"LUMORA", "Lumora Chemicals", 0, 2, 21, 48.0, 0.03, 0.26, 1.0},
    {"MAVREN", "Mavren Logistics", 0, 8, 81, 37.5, 0.06, 0.25, 1.0},
    {"NORVAL", "Norval Paper Mills", 0, 1, 12, 9.8, -0.02, 0.31, 1.1},
    {"OSTRIK", "Ostrik Media House", 0, 4, 41, 26.0, 0.00, 0.35, 1.0},
    {"PELGRA", "Pelgra Utilities", 0, 5, 51, 71.0, 0.03, 0.16, 0.6},
    {"QUARNO", "Quarno Electronics", 0, 7, 71, 19.9, 0.10, 0.38, 1.3},
    {"RIVANT", "Rivant Shipyards", 0, 8, 82, 6.5, 0.04, 0.45, 1.5},
    {"SOLMER", "Solmer Breweries", 0, 6, 62, 88.0, 0.05, 0.19, 0.6},
    {"TARNEL", "Tarnel Textiles", 0, 1, 13, 4.2, -0.03, 0.40, 1.2},
    {"ULVIRA", "Ulvira Hotels", 0, 6, 63, 31.0, 0.02, 0.30, 1.1},
    {"VELTRA", "Veltra Automotive", 0, 1, 14, 58.0, 0.04, 0.30, 1.2},
    {"WESKOR", "Weskor Machinery", 0, 1, 15, 23.0, 0.05, 0.28, 1.1},
    {"XANDOR", "Xandor Biotech", 1, 2, 22, 3.1, 0.12, 0.60, 1.6},
    {"YARVEN", "Yarven Agro", 1, 6, 64, 7.7, 0.03, 0.34, 0.8},
    {"ZELKOR", "Zelkor Games", 1, 7, 72, 11.0, 0.14, 0.50, 1.4},
    {"AMBRIK", "Ambrik Solar", 1, 5, 52, 5.5, 0.10, 0.55, 1.5},
    {"BOREAL", "Boreal Furniture", 1, 8, 83, 14.3, 0.02, 0.32, 1.0},
    {"CORVIN", "Corvin Clinics", 1, 2, 23, 21.0, 0.06, 0.29, 0.8},
    {"DRAVEK", "Dravek Security Systems", 1, 7, 73, 9.1, 0.07, 0.41, 1.2},
    {"EVANTA", "Evanta Fashion", 1, 6, 65, 2.4, -0.05, 0.48, 1.3},
    {"FORMIK", "Formik Plastics", 1, 1, 16, 6.6, 0.01, 0.37, 1.1},
    {"GRYFEL", "Gryfel Fund Balanced", 2, 9, 90, 100.0, 0.04, 0.10, 0.5},
    {"HORVAN", "Horvan Fund Equity", 2, 9, 90, 100.0, 0.07, 0.18, 0.9},
    {"IVERTA", "Iverta Fund Bonds", 2, 9, 91, 100.0, 0.02, 0.04, 0.1},
};

struct IndexSpec {
    const char* ticker;
    const char* name;
    int market;
    int firstStock, lastStock;  // members, positions in kStocks
};

const IndexSpec kIndexes[] = {
    {"WIG", "Main Market Index", 0, 0, 22},
    {"WIG20", "Main Market Blue Chip Index", 0, 0, 9},
    {"MIDX", "Growth Market Index", 1, 23, 31},
    {"FUNDIX", "Fund Index", 2, 32, 34},
};

const char* const kMarketNames[] = {"Main Market", "Growth Market", "Investment Funds"};
const char* const kGroupNames[] = {"Other",  "Industry", "Health",     "Finance",  "Media",
                                   "Energy", "Consumer", "Technology", "Services", "Funds"};
const char* const kSectorNames[] = {
    "Other",     "Basic materials", "Health care", "Financials",  "Telecom",
    "Utilities", "Consumer",        "Technology",  "Industrials", "Funds"};

std::vector<PackedDate> TradingDays() {
    std::vector<PackedDate> days;
    for (PackedDate d = MakeDate(2015, 1, 2); d <= MakeDate(2024, 12, 31); d = AddDays(d, 1)) {
        const int dow = DayOfWeek(d), m = DateMonth(d), day = DateDay(d);
        if (dow >= 5) continue;
        const bool holiday = (m == 1 && day == 1) || (m == 5 && (day == 1 || day == 3)) ||
                             (m == 11 && day == 11) || (m == 12 && (day >= 24 && day <= 26));
        if (!holiday) days.push_back(d);
    }
    return days;
}

void FillCategories(Database& db) {
    CategoryTables& c = db.Categories();
    for (int i = 0; i < 3; ++i) c.Markets[i].Name.Set(kMarketNames[i]);
    for (int i = 0; i < 10; ++i) c.Groups[i].Name.Set(kGroupNames[i]);
    for (int i = 0; i < 10; ++i) c.Sectors[i].Name.Set(kSectorNames[i]);
    for (const SecuritySpec& s : kStocks) {
        Industry& ind = c.Industries[s.industry];
        ind.SectorID = s.industry / 10;
        ind.Name.Set(std::string(kSectorNames[s.industry / 10]) + " " +
                     std::to_string(s.industry % 10 + 1));
    }
    c.Markets[0].CompositesBase.Set("WIG");
    c.Markets[0].RSBase.Set("WIG");
    c.Markets[1].CompositesBase.Set("MIDX");
    c.Markets[1].RSBase.Set("MIDX");
    c.Markets[2].CompositesBase.Set("FUNDIX");
    c.Markets[2].RSBase.Set("FUNDIX");
}

// A common market factor with volatility clusters: one daily return per trading day.
std::vector<double> MarketFactor(Random& rng, std::size_t n) {
    std::vector<double> market(n);
    double sigma = 0.01;
    for (std::size_t t = 0; t < n; ++t) {
        const double shock = rng.Normal();
        sigma = std::sqrt(0.000002 + 0.08 * sigma * sigma * shock * shock + 0.90 * sigma * sigma);
        market[t] = 0.0003 + sigma * shock;
    }
    return market;
}

// A new stock named and filed as the sample security describes; `position` is its place in
// kStocks.
Stock* AddSampleStock(Database& db, const SecuritySpec& spec, std::size_t position, Random& rng) {
    Stock* s = db.AddStock(spec.ticker);
    s->FullName.Set(spec.name);
    s->Country.Set("Velmoria");
    s->Currency.Set("VLC");
    s->Code = 1000 + static_cast<int>(position);
    s->Issue = 5000 + static_cast<int>(rng.Uniform() * 95000);
    s->NominalValue = 100;
    s->IndustryID = spec.industry;
    SetMarketID(*s, spec.market);
    SetGroupID(*s, spec.group);
    SetContinuous(*s, spec.market != 2);
    return s;
}

// The stock's daily quotations from its own random walk over the market factor; the closes
// per trading day (0 before the stock starts).
std::vector<double> AddSampleQuotations(Database& db, Stock& s, const SecuritySpec& spec,
                                        std::size_t position, Random& rng,
                                        const std::vector<PackedDate>& days,
                                        const std::vector<double>& market) {
    const std::size_t n = days.size();
    // The growth market's stocks start later.
    const std::size_t start = spec.market == 1 ? 250 * (position % 4) : 0;
    const bool splits = position == 9;  // JORVEN splits 2-for-1 halfway
    double price = spec.startPrice, idio = 0.012;
    const double dailyVol = spec.vol / std::sqrt(250.0);
    std::vector<double> series(n, 0.0);
    for (std::size_t t = start; t < n; ++t) {
        const double shock = rng.Normal();
        idio = std::sqrt(0.3 * dailyVol * dailyVol + 0.1 * idio * idio * shock * shock +
                         0.6 * idio * idio);
        double ret = spec.drift / 250.0 + spec.beta * market[t] + idio * shock * 0.8;
        const bool gap = rng.Uniform() < 0.01;
        if (gap) ret += (rng.Uniform() < 0.5 ? -1 : 1) * (0.03 + 0.05 * rng.Uniform());
        const double prev = price;
        price = std::max(0.05, price * std::exp(ret));
        if (splits && t == n / 2) price /= 2;
        const double open = t == start ? price
                                       : (gap ? price * (1 + 0.3 * (prev / price - 1))
                                              : prev * (1 + 0.3 * idio * rng.Normal()));
        const double range = price * idio * (0.5 + rng.Uniform());
        const double high = std::max(open, price) + range * rng.Uniform();
        const double low = std::max(0.01, std::min(open, price) - range * rng.Uniform());
        double volume = std::exp(9.5 + 0.6 * rng.Normal()) * (1 + 40 * std::fabs(ret));
        if (splits && t >= n / 2) volume *= 2;
        Quotation* q = db.AddQuotation(s, days[t]);
        auto round2 = [](double v) { return std::round(v * 100) / 100; };
        q->Close = static_cast<float>(round2(price));
        q->Open = static_cast<float>(round2(open));
        q->High = static_cast<float>(round2(std::max({high, open, price})));
        q->Low = static_cast<float>(round2(std::min({low, open, price})));
        q->Volume = static_cast<std::int32_t>(volume);
        series[t] = price;
    }
    return series;
}

// An index whose level moves by the average daily ratio of its member stocks' closes.
void AddSampleIndex(Database& db, const IndexSpec& spec, const std::vector<PackedDate>& days,
                    const std::vector<std::vector<double>>& closes) {
    const std::size_t n = days.size();
    Stock* s = db.AddStock(spec.ticker);
    s->FullName.Set(spec.name);
    s->Country.Set("Velmoria");
    s->Flags |= Stock::kIndexFlag;
    SetMarketID(*s, spec.market);
    SetContinuous(*s, true);
    double level = 1000;
    for (std::size_t t = 1; t < n; ++t) {
        double sum = 0;
        int members = 0;
        for (int m = spec.firstStock; m <= spec.lastStock; ++m) {
            const auto& c = closes[static_cast<std::size_t>(m)];
            if (c[t] <= 0 || c[t - 1] <= 0) continue;
            double r = c[t] / c[t - 1];
            if (m == 9 && t == n / 2) r *= 2;  // the split is not a loss
            sum += r;
            ++members;
        }
        const double prev = level;
        if (members > 0) level *= sum / members;
        Quotation* q = db.AddQuotation(*s, days[t]);
        q->Close = static_cast<float>(std::round(level * 100) / 100);
        q->Open = static_cast<float>(std::round(prev * 100) / 100);
        q->High = std::max(q->Open, q->Close) * 1.002f;
        q->Low = std::min(q->Open, q->Close) * 0.998f;
        q->Volume = 0;
    }
}

}  // namespace

void BuildSampleDatabase(Database& db) {
    FillCategories(db);
    const std::vector<PackedDate> days = TradingDays();
    Random rng(20150102);
    const std::vector<double> market = MarketFactor(rng, days.size());
    std::vector<std::vector<double>> closes;
    std::size_t position = 0;
    for (const SecuritySpec& spec : kStocks) {
        Stock* s = AddSampleStock(db, spec, position, rng);
        closes.push_back(AddSampleQuotations(db, *s, spec, position, rng, days, market));
        ++position;
    }
    for (const IndexSpec& spec : kIndexes) AddSampleIndex(db, spec, days, closes);
}

// Moves every stock's quotations out into a daily text export file per stock in `dir`
// ("<TICKER>,<PER>,<DTYYYYMMDD>,<TIME>,<OPEN>,<HIGH>,<LOW>,<CLOSE>,<VOL>,<OPENINT>"), leaving
// the stocks with their names, categories and flags but no quotations. The failure names the
// file that could not be written and why.
Status ExportSampleQuotations(Database& db, const std::filesystem::path& dir, FileSystem& files) {
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    for (const auto& s : db.Stocks()) {
        const std::string ticker(s->TickerText());
        std::string text =
            "<TICKER>,<PER>,<DTYYYYMMDD>,<TIME>,<OPEN>,<HIGH>,<LOW>,<CLOSE>,<VOL>,"
            "<OPENINT>\n";
        char line[160];
        for (const Quotation& q : s->Quotations) {
            std::snprintf(line, sizeof line, "%s,D,%04d%02d%02d,000000,%.2f,%.2f,%.2f,%.2f,%d,%d\n",
                          ticker.c_str(), DateYear(q.Date), DateMonth(q.Date), DateDay(q.Date),
                          q.Open, q.High, q.Low, q.Close, q.Volume, q.OpenInt);
            text += line;
        }
        if (Status written = WriteFileAtomically(dir / (ticker + ".txt"), text, files); !written) {
            return written;
        }
        s->Quotations.clear();
    }
    return Status::Ok();
}

int RunSampleWorkspace(Context& ctx, std::vector<std::string>& args) {
    std::optional<std::string> asciiDir;
    const TakenOptions taken = TakeOptions(args, {{"--ascii-dir", &asciiDir}});
    if (args.size() != 1 || taken.AnyMissing()) {
        ctx.Error("sample-workspace: expected DIR [--ascii-dir QUOTES]");
        return kUsage;
    }
    if (HoldsWorkspaceData(args[0])) {
        ctx.Error("sample-workspace: there is a workspace at " + args[0] + " already");
        return kFailure;
    }
    ctx.db.ReleaseAll();
    BuildSampleDatabase(ctx.db);
    if (asciiDir) {
        if (const Status written = ExportSampleQuotations(ctx.db, *asciiDir, *ctx.files);
            !written) {
            ctx.Error("sample-workspace: " + written.ToString());
            return kFailure;
        }
    }
    WorkspaceLock lock;
    if (!LockNewWorkspace(ctx, args[0], lock)) return kFailure;
    ctx.db.SetWorkspaceDir(args[0]);
    Workspace ws(ctx.db, ctx.prefs, ctx.ui);
    ws.SetFileSystem(*ctx.files);
    if (!ws.SaveWorkspace() || ctx.db.WorkspaceDirty()) {
        std::string text = "could not write the sample workspace into " + args[0];
        if (!ws.SaveStatus()) text += ": " + ws.SaveStatus().ToString();
        ctx.Error(text);
        return kFailure;
    }
    std::fprintf(ctx.out, "%d stocks written to %s\n", ctx.db.StockCount(), args[0].c_str());
    if (asciiDir) {
        std::fprintf(ctx.out, "their quotations written to %s\n", asciiDir->c_str());
    }
    return kSuccess;
}

}  // namespace velmora::cli
