// velmora_fuzz_seeds DIR: writes a seed corpus for every harness into DIR/<harness>/, made by
// the program's own writers.

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "FuzzSupport.h"
#include "database/CategoryNames.h"
#include "database/PreferencesFile.h"
#include "database/StockFile.h"
#include "database/WorkspaceFile.h"
#include "platform/IniSettingsStore.h"
#ifdef HAVE_VELMORA_CHART
#include "chart/ChartWindowModel.h"
#include "chart/ChartsFile.h"
#endif
#ifdef HAVE_VELMORA_PORTFOLIO
#include "portfolio/PortfolioFile.h"
#endif

using namespace velmora;
namespace fs = std::filesystem;

namespace {

// A seed that could not be saved would leave its harness without a corpus: stop with the reason.
void Saved(const Status& status) {
    if (status) return;
    std::fprintf(stderr, "%s\n", status.ToString().c_str());
    std::exit(1);
}

Stock SampleStock(int quotes, int studies) {
    Stock s;
    s.Ticker.Set("ABC");
    s.FullName.Set("Seed Company");
    for (int i = 0; i < quotes; ++i) {
        Quotation q;
        q.Date = AddDays(MakeDate(2001, 1, 1), i);
        q.Close = 10.0f + static_cast<float>(i);
        q.Open = q.High = q.Low = q.Close;
        q.Volume = 100 * i;
        s.Quotations.push_back(q);
    }
    for (int i = 0; i < studies; ++i) {
        Study st;
        st.StartDate = MakeDate(2001, 1, 1);
        st.Text = i % 2 ? "note" : "";
        s.Studies.push_back(st);
    }
    return s;
}

void StockSeeds(const fs::path& dir) {
    int n = 0;
    for (int quotes : {0, 1, 5}) {
        for (int studies : {0, 2}) {
            const Stock s = SampleStock(quotes, studies);
            fuzz::WriteFile(dir / ("seed" + std::to_string(n++)),
                            BuildStockImage(s, s.Quotations.size(), {}));
        }
    }
}

void WorkspaceSeeds(const fs::path& dir) {
    CategoryTables t;
    t.SetDefaultNames();
    fuzz::WriteFile(dir / "seed0", BuildWorkspaceFile(t));
    ADQuotation a;
    a.Date = MakeDate(2002, 2, 2);
    t.Markets[0].ADQuotations.push_back(a);
    fuzz::WriteFile(dir / "seed1", BuildWorkspaceFile(t));
}

std::string Slurp(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteText(const fs::path& file, const std::string& text) {
    fuzz::WriteFile(file, reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
}

// The real Metastock directories of the test data, packed as the harness unpacks them.
void MetastockSeeds(const fs::path& dir) {
    const fs::path data = VELMORA_TESTDATA_DIR "/metastock";
    int n = 0;
    for (const char* folder : {"msdir_equis_b", "msdir_bbfinance"}) {
        for (const char* index : {"MASTER", "EMASTER"}) {
            std::string seed(1, index[0] == 'E' ? '\x01' : '\x00');
            seed += Slurp(data / folder / index);
            for (const char* f : {"F1.DAT", "F2.DAT", "F3.DAT"}) {
                seed += "\n--FILE--\n" + Slurp(data / folder / f);
            }
            WriteText(dir / ("seed" + std::to_string(n++)), seed);
        }
    }
}

void TeletextSeeds(const fs::path& dir) {
    auto quote = [](const std::string& ticker, const std::string& price, const std::string& mark,
                    const std::string& reduction, const std::string& turnover) {
        std::string line(41, ' ');
        line.replace(1, ticker.size(), ticker);
        line.replace(19 - price.size(), price.size(), price);
        line.replace(19, mark.size(), mark);
        line.replace(26 - reduction.size(), reduction.size(), reduction);
        line.replace(41 - turnover.size(), turnover.size(), turnover);
        return line + "\n";
    };
    std::string header = "AKCJE-rynek podstawowy          05.11.00\n";
    WriteText(dir / "seed0", "Teletext 524  GPW\n\n" + header +
                                 quote("A", "12,50", "", "", "1.234,56") +
                                 quote("B", "3,10", "nk", "50%", "17") +
                                 quote("WIG", "1.234,5", "", "", "") + "OFERTA\n");
    WriteText(dir / "seed1", "\r\n" + header + quote("ORBIS", "-,--", "z", "", "5"));
}

// The first byte picks the format file of the ASCII harness.
void AsciiSeeds(const fs::path& dir) {
    WriteText(dir / "seed0", std::string("\x00") +
                                 "12/31/1999 10 11 9 10.5 1200\n$NAME A\n"
                                 "01/03/2000 10.5 12 10 11 900\n");
    WriteText(dir / "seed1", std::string("\x01") +
                                 "<TICKER>,<PER>,<DTYYYYMMDD>\n"
                                 "A,D,20240102,000000,18.40,18.75,18.20,18.60,45200,0\n"
                                 "NEW,D,20240103,000000,18.60,18.62,17.95,18.05,51800,3\n");
    WriteText(dir / "seed2", std::string("\x02") + "Date;Open\n31.12.2024;7.5;7.6;7.4;7.58;40\r\n");
    WriteText(dir / "seed3", std::string("\x03") +
                                 "B,Dec/31/99,nk,40,10,12,9,11,5,800,0,2,3,4,\"Full, Name\",-X,"
                                 "1,1\nB,12/31/99,rs,0,12 3/8,13,9.5,12.5,50,0,0,2,3,4,F,,1,1\n");
    WriteText(dir / "seed4", std::string("\x04") + "2001-02-01,10,5,3,1000,500,300\n");
}

void QrxSeeds(const fs::path& dir) {
    const char* const formulas[] = {
        "buy = cross( macd(), 0 );\r\nsell = cross( 0, macd() );",
        "maxgraph = 2; graph0 = ma(c, 15); graph1 = ema(close, 45); title = \"Averages\";",
        "x = (h + l) / 2; buy = x > ref(x, -1) AND NOT (v == 0); sell = rsi(9) > 70;",
        "\"Close: \"; writeval(c); writeif(c > o, \"up\\n\", \"down\"); // comment",
        "/* block */ y = sqrt(abs(c - o)) ^ 2 + round(2.5) - int(-2.5) + frac(c);",
        "a = hhv(h, 10); b = llv(l, 10); buy = c >= a; sell = c <= b; z = zig(c, 5, 1);",
        "s = stoch(14, 3); k = stochk(14); d = stochd(14, 3, 3); graph0 = iif(s > 50, 1, 0);",
        "t = advissues() - decissues(); graph0 = cum(t); q = sar(0.02, 0.2);",
        "r = relstrength(\"WIG\"); graph1 = r;",
        "1 +* 2; b = ; c = (1 + ; d = 1e40 * 1e40; e = 0 / 0; f = \"unterminated",
    };
    int n = 0;
    for (const char* f : formulas) WriteText(dir / ("seed" + std::to_string(n++)), f);
}

#ifdef HAVE_VELMORA_PORTFOLIO
void PortfolioSeeds(const fs::path& dir) {
    Portfolio p;
    fuzz::WriteFile(dir / "seed0", EncodePortfolio(p));
    p.Cash = 10000;
    p.DividendTax = 0.19;
    p.Buy("KGHM", "20-01-02", 10.5, 100);
    p.Buy("UNKNOWN", "19-12-31", 1, 5);
    fuzz::WriteFile(dir / "seed1", EncodePortfolio(p));
}
#endif

void PrefsSeeds(const fs::path& dir) {
    fs::create_directories(dir);
    Preferences prefs;
    Saved(SavePreferences(dir / "seed0", prefs));
    prefs.SetDefaultRSBase("WIG20");
    prefs.SetDefaultDatabasePath("/home/user/quotes");
    prefs.SetParabolicStep(0.03f);
    Saved(SavePreferences(dir / "seed1", prefs));
    // The older versions the loader migrates: the eighth magic byte names the version.
    for (const char version : {'F', '2'}) {
        std::string image = Slurp(dir / "seed1");
        image[7] = version;
        for (std::size_t i = 8 + 48 + 26; i < 8 + 48 + 40 && i < image.size(); ++i) image[i] = 0;
        WriteText(dir / (std::string("seed-") + version), image);
    }
    WriteText(dir / "seed-short", "TARVPRE3\x01\0\0\0");
}

// The four files joined as the harness cuts them.
void CategoryNameSeeds(const fs::path& dir) {
    const std::string separator = "\n--FILE--\n";
    WriteText(dir / "seed0", "Main\nParallel\r\n" + separator + "Warsaw\nFree market\n" +
                                 separator + "Finance\nIndustry\n" + separator +
                                 "0 Banks\n1\tChemicals\n-3 x\nno number\n");
    std::string long_names;
    for (int i = 0; i < 300; ++i)
        long_names +=
            "Name \xc5\x82\xc3\xb3"
            "d\xc5\xba " +
            std::to_string(i) + "\n";
    WriteText(dir / "seed1", long_names + separator + long_names + separator + long_names +
                                 separator + long_names);
}

#ifdef HAVE_VELMORA_CHART
void ChartsSeeds(const fs::path& dir) {
    fs::create_directories(dir);
    ChartTable table;
    Saved(WriteChartsFile(table, dir / "seed0"));
    ChartDefinition* d = table.FindById(kFirstCustomChartId);
    d->SetName("Momentum");
    d->formula = "graph0 = c - ref(c, -10);";
    d->gridFlags = 3;
    d->scaleMin = -5;
    d->scaleMax = 5;
    table.FindById(kFirstCustomChartId + 3)->formula = "graph0 = rsi(14);";
    Saved(WriteChartsFile(table, dir / "seed1"));
    // The older layout without the scale flags.
    std::string older = Slurp(dir / "seed0");
    older[7] = 'T';
    WriteText(dir / "seed2", older);
}

void LayoutSeeds(const fs::path& dir) {
    ChartTable table;
    ChartWindowModel model(table);
    model.OpenDefault();
    WriteText(dir / "seed0", model.LayoutText());
    model.Insert(kFirstCustomChartId);
    model.BlankPane();
    WriteText(dir / "seed1", model.LayoutText());
    WriteText(dir / "seed2", "TARVLAYT\r\n17\n1 50\n-4 200\n");
}
#endif

// import.types, a format file and a data file joined as the harness cuts them.
void ImportTypesSeeds(const fs::path& dir) {
    const fs::path profile = VELMORA_RESOURCES_DIR "/profile";
    const std::string separator = "\n--FILE--\n";
    const std::string types = Slurp(profile / "import.types");
    const std::pair<const char*, const char*> samples[] = {
        {"default.format", "12/31/1999 10 11 9 10.5 1200\n01/03/2000 10.5 12 10 11 900\n"},
        {"csv-ohlcv.format",
         "Date,Open,High,Low,Close,Volume\n2024-01-02,41.20,42.05,40.90,41.75,120300\n"},
        {"csv-adjclose.format",
         "Date,Open,High,Low,Close,Adj Close,Volume\n"
         "2024-01-02,12.10,12.40,11.95,12.30,11.87,880200\n"},
        {"ticker-daily.format",
         "<TICKER>,<PER>,<DTYYYYMMDD>\nA,D,20240102,000000,58.10,58.95,"
         "57.80,58.60,20120,0\n"},
        {"semicolon-dmy.format", "Date;Open\n02.01.2024;7.52;7.61;7.44;7.58;40500\n"},
        {"csv-us.format",
         "\357\273\277Date,Open,High,Low,Close,Volume\n01/02/2024,185.20,186.10,183.90,185.64,"
         "3e9\n"},
        {"csv-intraday.format",
         "Datetime,Open\n2024-01-02 09:30,30.10,30.25,30.05,30.20,1200\n"
         "2024-01-02 09:31,30.20,30.40,30.15,30.35,900\n"},
    };
    int n = 0;
    for (const auto& [format, sample] : samples) {
        WriteText(dir / ("seed" + std::to_string(n++)),
                  types + separator + Slurp(profile / format) + separator + sample);
    }
}

// The harness takes a section, a name and a value (each ended by a backslash and one more
// byte), then the file's text.
void SettingsSeeds(const fs::path& dir) {
    fs::create_directories(dir);
    const fs::path file = dir / "settings.tmp";
    {
        IniSettingsStore store(file);
        store.SetString("Defaults", "DataDir", "/home/user/velmora");
        store.SetString("Custom Tools", "Count", "1");
        store.SetString("Custom Tools", "Name0", "Editor");
        store.SetString("Custom Tools", "Args0", "a=b\\c\nd");
        store.SetString("Paths", "ASCII", "");
    }
    const std::string text = Slurp(file);
    fs::remove(file);
    WriteText(dir / "seed0", "Custom Tools\\xCount\\x2\\x" + text);
    WriteText(dir / "seed1", "Paths\\xASCII\\x/tmp/a=b\\x" + text);
    WriteText(dir / "seed2", "[S]\\x=\\x\\x[Broken\nx=1\n[S]\nName = v\n;comment\n");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: velmora_fuzz_seeds DIR\n");
        return 2;
    }
    const fs::path root = argv[1];
    StockSeeds(root / "stock_file_fuzzer");
    WorkspaceSeeds(root / "workspace_file_fuzzer");
    MetastockSeeds(root / "metastock_fuzzer");
    TeletextSeeds(root / "teletext_fuzzer");
    QrxSeeds(root / "qrx_fuzzer");
#ifdef HAVE_VELMORA_PORTFOLIO
    PortfolioSeeds(root / "portfolio_file_fuzzer");
#endif
    AsciiSeeds(root / "ascii_import_fuzzer");
    PrefsSeeds(root / "prefs_file_fuzzer");
    CategoryNameSeeds(root / "category_names_fuzzer");
#ifdef HAVE_VELMORA_CHART
    ChartsSeeds(root / "charts_file_fuzzer");
    LayoutSeeds(root / "layout_file_fuzzer");
#endif
    ImportTypesSeeds(root / "import_types_fuzzer");
    SettingsSeeds(root / "settings_ini_fuzzer");
    return 0;
}
