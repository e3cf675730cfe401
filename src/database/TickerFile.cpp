#include "database/TickerFile.h"

#include <string>

#include "database/StockFile.h"
#include "platform/NoCase.h"

namespace velmora {

Status CheckTickerFile(const Database& db, std::string_view ticker, const Stock* self) {
    const std::string file = StockFileName(ticker);
    constexpr std::string_view kSetAside = ".ZZZ";
    if (file.size() >= kSetAside.size() &&
        EqualNoCase(std::string_view(file).substr(file.size() - kSetAside.size()), kSetAside)) {
        return Status::Error("the ticker \"" + std::string(ticker) +
                             "\" ends in \".ZZZ\", which marks set-aside stock files");
    }
    for (const auto& other : db.Stocks()) {
        if (other.get() == self) continue;
        // The letter directories are matched without regard to case, and so are the tickers.
        if (EqualNoCase(StockFileName(other->TickerText()), file)) {
            return Status::Error("the ticker \"" + std::string(ticker) +
                                 "\" would be stored in \"" + file +
                                 "\", the file of the stock \"" + other->Ticker.Str() + "\"");
        }
    }
    return Status::Ok();
}

}  // namespace velmora
