// A QRX formula text executed on a stock, as the chart panes, the commentary and the analysis
// run formulas; the variables they read are read back.

#include <cmath>
#include <cstdint>
#include <string_view>

#include "database/Database.h"
#include "formula/FormulaEngine.h"

using namespace velmora;

namespace {

class CountingSink final : public FormulaErrorSink {
  public:
    void ShowFormulaError(std::string_view report) override {
        if (report.size() > FormulaEngine::kMaxReport) __builtin_trap();
        ++reports;
    }
    int reports = 0;
};

struct World {
    Database db;
    Stock* stock;
    World() {
        stock = db.AddStock("ABC");
        SetMarketID(*stock, 1);
        PackedDate d = MakeDate(2020, 1, 1);
        for (int i = 0; i < 60; ++i, d = AddDays(d, 1)) {
            Quotation* q = db.AddQuotation(*stock, d);
            q->Close = 10.0f + static_cast<float>(i % 7) - static_cast<float>(i % 3);
            q->Open = q->Close - 0.5f;
            q->High = q->Close + 1;
            q->Low = q->Close - 1;
            q->Volume = i % 5 == 0 ? 0 : 1000 * i;
        }
        db.AddStock("WIG");
        db.AddADQuotation(db.Categories().Markets[1], MakeDate(2020, 1, 5))->AdvIssues = 3;
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static World world;
    CountingSink sink;
    FormulaEngine engine(sink, &world.db);
    engine.SetMemoryLimit(64u << 20);
    FormulaRun run = engine.BeginRun(*world.stock);
    run.SetSelectedBar(size % 70 == 0 ? -1 : static_cast<int>(size % 70));
    run.Execute(std::string_view(reinterpret_cast<const char*>(data), size));
    for (const char* name : {"buy", "sell", "graph0", "graph1", "title", "maxgraph"}) {
        if (const float* a = run.GetArray(name)) {
            volatile float sum = 0;
            for (int i = 0; i < run.BarCount(); ++i) sum = sum + a[i];
        }
        run.GetString(name);
        run.GetNumber(name);
    }
    return 0;
}
