// velmora_fuzz_seeds DIR: writes a seed corpus for every harness into DIR/<harness>/, made by
// the program's own writers.

#include <cstdio>
#include <string>

#include "FuzzSupport.h"
#include "database/StockFile.h"
#include "database/WorkspaceFile.h"

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

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: velmora_fuzz_seeds DIR\n");
        return 2;
    }
    const fs::path root = argv[1];
    StockSeeds(root / "stock_file_fuzzer");
    WorkspaceSeeds(root / "workspace_file_fuzzer");
    return 0;
}
