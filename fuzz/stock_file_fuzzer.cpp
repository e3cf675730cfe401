// A stock file's bytes read as the workspace loader reads them, fully and partially; a stock
// that loads is written back (with its kept older quotations) and must read back the same.

#include <cstdint>
#include <cstdlib>

#include "FuzzSupport.h"
#include "database/Database.h"
#include "database/StockFile.h"

using namespace velmora;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const auto dir = fuzz::FreshDirectory("stock");
    const auto file = dir / "ABC";
    const auto copy = dir / "COPY";
    fuzz::WriteFile(file, data, size);
    Bytes scratch;
    std::size_t fullCount = 0;
    for (const bool partial : {false, true}) {
        StockFileOptions options;
        options.partial = partial;
        options.loadUpto = 3;
        LoadedStock loaded;
        if (!ReadStockFile(file, options, loaded, scratch)) continue;
        Stock& stock = *loaded.stock;
        Bytes kept;
        if (stock.SkippedCount > 0 &&
            !ReadKeptQuotationImages(file, static_cast<std::size_t>(stock.SkippedCount), kept)) {
            std::abort();  // a file that loaded partially must give its kept quotations
        }
        const Bytes image = BuildStockImage(stock, stock.Quotations.size(), kept);
        fuzz::WriteFile(copy, image);
        LoadedStock again;
        if (!ReadStockFile(copy, StockFileOptions{}, again, scratch) ||
            again.stock->Studies.size() != stock.Studies.size()) {
            std::abort();  // what the writer writes must read back
        }
        if (!partial) {
            fullCount = stock.Quotations.size();
            if (again.stock->Quotations.size() != fullCount) std::abort();
            continue;
        }
        // Saved with its kept quotations, a partially loaded stock holds every date the file
        // held; brought fully into memory, it holds them too, in order.
        if (fullCount != 0 && again.stock->Quotations.size() != fullCount) std::abort();
        if (stock.SkippedCount > 0) {
            Database db;
            db.SetLoadedFromDir(dir);
            auto owned = std::make_unique<Stock>(stock);
            owned->Ticker.Set("ABC");
            Stock* s = db.AdoptStock(std::move(owned));
            fuzz::WriteFile(StockFilePath(dir, "ABC"), data, size);
            if (!db.LoadFullHistory(*s).IsOk() ||
                (fullCount != 0 && s->Quotations.size() != fullCount))
                std::abort();
            for (std::size_t i = 1; i < s->Quotations.size(); ++i) {
                if (s->Quotations[i - 1].Date >= s->Quotations[i].Date) std::abort();
            }
        }
    }
    QuotationList all;
    ReadAllQuotations(file, all).IgnoreError();  // only that it survives any bytes
    return 0;
}
