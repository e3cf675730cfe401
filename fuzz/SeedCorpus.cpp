// velmora_fuzz_seeds DIR: writes a seed corpus for every harness into DIR/<harness>/, made by
// the program's own writers.

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "FuzzSupport.h"
#include "database/StockFile.h"
#include "database/WorkspaceFile.h"
#ifdef HAVE_VELMORA_PORTFOLIO
#include "portfolio/PortfolioFile.h"
#endif

using namespace velmora;
namespace fs = std::filesystem;

namespace {

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
    auto quote = [](const std::string& ticker, const std::string& price,
                    const std::string& mark, const std::string& reduction,
                    const std::string& turnover) {
        std::string line(41, ' ');
        line.replace(1, ticker.size(), ticker);
        line.replace(19 - price.size(), price.size(), price);
        line.replace(19, mark.size(), mark);
        line.replace(26 - reduction.size(), reduction.size(), reduction);
        line.replace(41 - turnover.size(), turnover.size(), turnover);
        return line + "\n";
    };
    std::string header = "AKCJE-rynek podstawowy          05.11.00\n";
    WriteText(dir / "seed0", "Teletext 524  GPW\n\n" + header + quote("A", "12,50", "", "", "1.234,56") +
                                 quote("B", "3,10", "nk", "50%", "17") +
                                 quote("WIG", "1.234,5", "", "", "") + "OFERTA\n");
    WriteText(dir / "seed1", "\r\n" + header + quote("ORBIS", "-,--", "z", "", "5"));
}

// The first byte picks the format file of the ASCII harness.
void AsciiSeeds(const fs::path& dir) {
    WriteText(dir / "seed0", std::string("\x00") + "12/31/1999 10 11 9 10.5 1200\n$NAME A\n"
                             "01/03/2000 10.5 12 10 11 900\n");
    WriteText(dir / "seed1", std::string("\x01") + "<TICKER>,<PER>,<DTYYYYMMDD>\n"
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
        "t = advissues() - decissues(); graph0 = cum(t); q = sar(0.02, 0.2); r = relstrength(\"WIG\");",
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
    return 0;
}
