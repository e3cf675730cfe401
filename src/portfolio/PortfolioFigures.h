#pragma once
// The figures the portfolio window shows, priced from the database: the list rows, the whole
// portfolio's fields and the fields of one position, as numbers and as the window's texts.
// A position's present price is the close of its stock's last quotation; a position whose
// ticker names no stock with quotations is priced at its buy price in the totals and shows
// "?" in its own present figures.

#include <optional>
#include <string>
#include <vector>

#include "database/Database.h"
#include "portfolio/Portfolio.h"

namespace velmora {

// The close of the last quotation of the stock the position names.
std::optional<double> PresentPrice(Database& db, const Position& position);

// One row of the position list: "Ticker", "Qty" ("%g"), "Change" ("%+.1f%%").
struct PositionRow {
    std::string Ticker;
    std::string Quantity;
    std::string Change;
};
std::vector<PositionRow> PositionRows(Database& db, const Portfolio& portfolio);

struct PortfolioSummary {
    double PresentValue = 0;     // P: sum of quantity x present price
    double BuyValue = 0;         // V: sum of quantity x buy price
    double BuyCommissions = 0;   // CB
    double SellCommissions = 0;  // CS
    double Total = 0;            // T = cash + P

    // The texts of the window's fields, in its order.
    std::string Change;      // "Portfolio change:"
    std::string Yield;       // "Portfolio yield:"
    std::string StockValue;  // "Total stock value:"
    std::string StockShare;  // its share of the total, "-" when the total is 0
    std::string Cash;        // "Cash:"
    std::string CashShare;   // its share of the total, "-" when the total is 0
    std::string TotalText;   // "Total:"
    std::string RealValue;   // "Real portfolio value:"
};
PortfolioSummary Summarize(Database& db, const Portfolio& portfolio);

// The fields shown for the selected position; the last five are "?" when its ticker is not
// in the database.
struct PositionFields {
    std::string BuyDate;       // "Buy date:"
    std::string Quantity;      // "Qty:"
    std::string BuyPrice;      // "Buy price:"
    std::string Value;         // "Value:"
    std::string PresentPrice;  // "Present price:"
    std::string PresentValue;  // "Present value:"
    std::string Change;        // "Change:"
    std::string Yield;         // "Yield:"
    std::string Share;         // "% of portfolio:"
};
PositionFields DescribePosition(Database& db, const Portfolio& portfolio, int index);

// The captions of the portfolio fields and position fields, as the window labels them.
inline constexpr const char* kSummaryCaptions[] = {
    "Portfolio change:",    "Portfolio yield:", "Total stock value:", "Cash:", "Total:",
    "Real portfolio value:"};
inline constexpr const char* kPositionCaptions[] = {
    "Buy date:",      "Qty:",    "Buy price:", "Value:",         "Present price:",
    "Present value:", "Change:", "Yield:",     "% of portfolio:"};

// What the trade dialog ("Buy stocks" / "Sell stocks") proposes for a ticker: on opening
// (no date) the last quotation's date and close; after a date change the close of that date.
// In buy mode the quantity is the available money / the price, truncated ("%d"); in sell mode
// the held quantity ("%g"). Without a quotation price and buy quantity are empty.
struct TradeProposal {
    PackedDate Date = kNoDate;  // kNoDate: the dialog keeps today
    std::string Price;          // "%.2lf"
    std::string Quantity;
};
TradeProposal ProposeTrade(Database& db, const Portfolio& portfolio, std::string_view ticker,
                           bool buyMode, double heldQuantity,
                           std::optional<PackedDate> date = std::nullopt);

// "%g" of the quantity.
std::string QuantityText(double quantity);

}  // namespace velmora
