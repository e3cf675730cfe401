#pragma once
// Whether a stock may take a ticker as far as its file is concerned. Two tickers that differ
// only in characters a file name cannot hold ("A/B" and "A_B") name one file, so removing or
// renaming one stock would set aside and delete the other's file; and a file name ending in
// ".ZZZ" is what a set-aside file is called, which the save's clean-up deletes. Stocks loaded
// from disk are not checked: only new stocks and renames.

#include <string>
#include <string_view>
#include <unordered_map>

#include "database/Database.h"
#include "platform/Status.h"

namespace velmora {

// Ok, or the conflict named: the ticker's file name is the file of another stock than `self`
// (null for a new stock), or it ends in ".ZZZ" (in any case).
Status CheckTickerFile(const Database& db, std::string_view ticker, const Stock* self = nullptr);

// The stocks' file names, looked up at once, for checking many new tickers in a row (an import
// that adds thousands of stocks would otherwise compare each with every stock). Check gives
// what CheckTickerFile gives for a new stock, as long as the database gains stocks only through
// Added and loses none.
class TickerFileIndex {
  public:
    explicit TickerFileIndex(const Database& db);
    Status Check(std::string_view ticker) const;
    // The stock was added to the database after Check allowed its ticker.
    void Added(const Stock& stock);

  private:
    // File name with its ASCII letters in lower case -> the first stock, in the database's
    // order, whose file it is.
    std::unordered_map<std::string, const Stock*> files_;
};

}  // namespace velmora
