#include "database/TickerFile.h"

#include <string>

#include "database/StockFile.h"
#include "platform/NoCase.h"

namespace velmora {

namespace {

// The refusal of a file name ending in ".ZZZ", or success.
Status CheckSetAsideName(std::string_view ticker, std::string_view file) {
    constexpr std::string_view kSetAside = ".ZZZ";
    if (file.size() >= kSetAside.size() &&
        EqualNoCase(file.substr(file.size() - kSetAside.size()), kSetAside)) {
        return Status::Error("the ticker \"" + std::string(ticker) +
                             "\" ends in \".ZZZ\", which marks set-aside stock files");
    }
    return Status::Ok();
}

Status FileTaken(std::string_view ticker, const std::string& file, const Stock& other) {
    return Status::Error("the ticker \"" + std::string(ticker) + "\" would be stored in \"" + file +
                         "\", the file of the stock \"" + other.Ticker.Str() + "\"");
}

// The key under which file names equal without regard to ASCII case meet.
std::string FoldedFileName(std::string_view ticker) {
    std::string name = StockFileName(ticker);
    for (char& c : name) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    }
    return name;
}

}  // namespace

Status CheckTickerFile(const Database& db, std::string_view ticker, const Stock* self) {
    const std::string file = StockFileName(ticker);
    if (Status refused = CheckSetAsideName(ticker, file); !refused) return refused;
    for (const auto& other : db.Stocks()) {
        if (other.get() == self) continue;
        // The letter directories are matched without regard to case, and so are the tickers.
        if (EqualNoCase(StockFileName(other->TickerText()), file)) {
            return FileTaken(ticker, file, *other);
        }
    }
    return Status::Ok();
}

TickerFileIndex::TickerFileIndex(const Database& db) {
    files_.reserve(static_cast<std::size_t>(db.StockCount()));
    for (const auto& stock : db.Stocks()) Added(*stock);
}

Status TickerFileIndex::Check(std::string_view ticker) const {
    const std::string file = StockFileName(ticker);
    if (Status refused = CheckSetAsideName(ticker, file); !refused) return refused;
    const auto found = files_.find(FoldedFileName(ticker));
    return found == files_.end() ? Status::Ok() : FileTaken(ticker, file, *found->second);
}

void TickerFileIndex::Added(const Stock& stock) {
    files_.emplace(FoldedFileName(stock.TickerText()), &stock);
}

}  // namespace velmora
