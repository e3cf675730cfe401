#pragma once
// Composites: market-wide series derived from the member stocks of a market. For every
// trading day of the market's composites base index: the number and volume of advancing,
// declining and unchanged members (the market's advance/decline records) and the market's
// total volume, written into the base index and, on request, into every index of the market.

#include <cstdint>
#include <functional>
#include <string_view>

#include "database/Database.h"
#include "platform/Status.h"
#include "platform/UserInterface.h"

namespace velmora {

// Request flags.
inline constexpr int kCompositeVolume = 1;      // "Volume for base index"
inline constexpr int kCompositeCopyVolume = 2;  // "Copy Volume to all indexes"
inline constexpr int kCompositeAdvDec = 4;      // "Number of advancing/declining issues"

struct CompositesRequest {
    int flags = 0;
    // > 0: the latest `count` quotations of the base index; < 0: all of them; 0: those dated
    // from `from` to `to` inclusive.
    int count = 1;
    PackedDate from = kNoDate;
    PackedDate to = kNoDate;
    int market = 0;
};

// What one computation did, for callers that report it.
struct CompositesResult {
    const Stock* base = nullptr;  // none when the market has no base index stock
    int days = 0;                 // base quotations visited
    int members = 0;              // member stocks of the market
    Status history;               // why a stock's older quotations could not be read
};

// Computes the composites of request.market. The base index is the market's composites base
// ticker, or `defaultBase` when that is empty. Returns 1 when done or when there is nothing to
// do (no base stock), 0 when the base stock belongs to another market or the market index is
// outside 0..255, and 0 with nothing computed when the older quotations of a stock the
// computation reaches back to cannot be read (result->history says why).
int ComputeComposites(Database& db, std::string_view defaultBase, const CompositesRequest& request,
                      CompositesResult* result = nullptr);

// Runs ComputeComposites for markets 0..255 in order (request.market is ignored), stepping the
// progress dialog with each market's name under the caption "Processing...". Returns false when
// the user cancelled (the run stops after the current market). `onMarket`, when given, hears
// each market's outcome.
using CompositesMarketHook =
    std::function<void(int market, int status, const CompositesResult& result)>;
bool ComputeCompositesAllMarkets(Database& db, std::string_view defaultBase,
                                 const CompositesRequest& request, ProgressReporter& progress,
                                 const CompositesMarketHook& onMarket = {});

// The "Delete" of the composites tool: asks the user, and on Yes releases the advance/decline
// records of `market`, or of every market (progress caption "Deleting...") when market < 0.
// Returns true when records were released.
bool DeleteAdvanceDecline(Database& db, UserInterface& ui, int market);

}  // namespace velmora
