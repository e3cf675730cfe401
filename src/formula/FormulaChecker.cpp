#include "formula/FormulaChecker.h"

#include <cmath>

#include "database/Database.h"

namespace velmora {

namespace {

constexpr int kCheckBars = 64;

// A wavy series with a volume, long enough for the default periods of the built-ins. Its
// ticker is the base that relative strength falls back to, so that relstrength finds a base.
void AddCheckStock(Database& db) {
    Stock* stock = db.AddStock("WIG");
    PackedDate date = MakeDate(2020, 1, 1);
    for (int i = 0; i < kCheckBars; ++i, date = AddDays(date, 1)) {
        Quotation* q = db.AddQuotation(*stock, date);
        const float close = 100.0f + 10.0f * static_cast<float>(std::sin(i * 0.3));
        q->Close = close;
        q->Open = close - 1.0f;
        q->High = close + 2.0f;
        q->Low = close - 2.0f;
        q->Volume = 1000 + 100 * (i % 7);
    }
}

// Keeps nothing: the diagnostics of the engine carry what the reports say.
class SilentErrorSink final : public FormulaErrorSink {
  public:
    void ShowFormulaError(std::string_view) override {}
};

}  // namespace

std::vector<FormulaDiagnostic> CheckFormula(std::string_view text) {
    Database db;
    AddCheckStock(db);
    SilentErrorSink errors;
    FormulaEngine engine(errors, &db);
    engine.ClearErrorFlag();
    {
        FormulaRun run = engine.BeginRun(*db.StockAt(0));
        run.Execute(text);
    }
    return engine.Diagnostics();
}

}  // namespace velmora
