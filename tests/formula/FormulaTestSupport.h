#pragma once
// A formula engine over a small synthetic stock, for the formula tests.

#include <string>
#include <vector>

#include "database/Database.h"
#include "formula/FormulaEngine.h"

namespace velmora::test {

// A stock of n bars from 2024-01-01 on: close 10 + i, open close - 0.5, high close + 1,
// low close - 1, volume 1000 * (i + 1), open interest i.
inline Stock& AddTestStock(Database& db, const std::string& ticker, int n) {
    Stock& s = *db.AddStock(ticker);
    s.FullName.Set("Test Stock " + ticker);
    PackedDate d = MakeDate(2024, 1, 1);
    for (int i = 0; i < n; ++i, d = AddDays(d, 1)) {
        Quotation q;
        q.Date = d;
        q.Close = 10.0f + static_cast<float>(i);
        q.Open = q.Close - 0.5f;
        q.High = q.Close + 1.0f;
        q.Low = q.Close - 1.0f;
        q.Volume = 1000 * (i + 1);
        q.OpenInt = i;
        s.Quotations.push_back(q);
    }
    return s;
}

struct EngineFixture {
    explicit EngineFixture(int bars = 8) : stock(AddTestStock(db, "TEST", bars)) {}

    // Executes the text and gives the reports it caused.
    std::vector<std::string> Run(const std::string& text) {
        errors.reports.clear();
        run.Execute(text);
        return errors.reports;
    }
    std::vector<float> Array(const std::string& name) {
        const float* a = run.GetArray(name);
        if (a == nullptr) return {};
        return std::vector<float>(a, a + run.BarCount());
    }

    Database db;
    Stock& stock;
    RecordingFormulaErrorSink errors;
    FormulaEngine engine{errors, &db};
    FormulaRun run = engine.BeginRun(stock);
};

}  // namespace velmora::test
