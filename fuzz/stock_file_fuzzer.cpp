// A stock file's bytes read as the workspace loader reads them, fully and partially; a stock
// that loads is written back (with its kept older quotations) and must read back the same.

#include <cstdint>
#include <cstdlib>

#include "FuzzSupport.h"
#include "database/StockFile.h"

using namespace velmora;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const auto dir = fuzz::FreshDirectory("stock");
    const auto file = dir / "ABC";
    const auto copy = dir / "COPY";
    fuzz::WriteFile(file, data, size);
    Bytes scratch;
    for (const bool partial : {false, true}) {
        StockFileOptions options;
        options.partial = partial;
        options.loadUpto = 3;
        LoadedStock loaded;
        if (ReadStockFile(file, options, loaded, scratch) != StockFileStatus::Ok) continue;
        const Stock& stock = *loaded.stock;
        Bytes kept;
        if (stock.SkippedCount > 0 &&
            ReadKeptQuotationImages(file, static_cast<std::size_t>(stock.SkippedCount), kept) !=
                StockFileStatus::Ok) {
            std::abort();  // a file that loaded partially must give its kept quotations
        }
        const Bytes image = BuildStockImage(stock, stock.Quotations.size(), kept);
        fuzz::WriteFile(copy, image);
        LoadedStock again;
        if (ReadStockFile(copy, StockFileOptions{}, again, scratch) != StockFileStatus::Ok ||
            again.stock->Quotations.size() != stock.Quotations.size() + kept.size() / 30 ||
            again.stock->Studies.size() != stock.Studies.size()) {
            std::abort();  // what the writer writes must read back
        }
    }
    std::vector<Quotation> all;
    ReadAllQuotations(file, all);
    return 0;
}
