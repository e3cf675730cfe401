#pragma once
// The generated database the scan and backtest benchmarks share: stocks named S<letter><nnnn>
// with one random walk of daily closes each, so that the MACD crosses its zero line now and
// then. Header-only: each benchmark is one executable.

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <random>

#include "database/Database.h"

namespace velmora::bench {

inline void AddRandomWalkStocks(Database& db, int stocks, int quotes) {
    std::mt19937 rng(12345);
    std::normal_distribution<float> step(0.0f, 0.01f);
    for (int i = 0; i < stocks; ++i) {
        char ticker[16];
        std::snprintf(ticker, sizeof ticker, "S%c%04d", 'A' + i % 26, i);
        Stock* s = db.AddStock(ticker);
        s->Quotations.resize(static_cast<std::size_t>(quotes));
        PackedDate d = MakeDate(2000, 1, 3);
        float close = 20.0f;
        for (int j = 0; j < quotes; ++j, d = AddDays(d, 1)) {
            close *= std::exp(step(rng));
            Quotation& q = s->Quotations[static_cast<std::size_t>(j)];
            q.Date = d;
            q.Close = close;
            q.Open = close * 0.995f;
            q.High = close * 1.01f;
            q.Low = close * 0.99f;
            q.Volume = 1000 + j;
        }
    }
}

// One database per benchmark program, built at the first call; a non-empty workspace
// directory is set before the stocks are added.
inline Database& RandomWalkDatabase(int stocks, int quotes,
                                    const std::filesystem::path& workspaceDir = {}) {
    static Database db;
    static bool built = false;
    if (!built) {
        built = true;
        if (!workspaceDir.empty()) db.SetWorkspaceDir(workspaceDir);
        AddRandomWalkStocks(db, stocks, quotes);
    }
    return db;
}

}  // namespace velmora::bench
