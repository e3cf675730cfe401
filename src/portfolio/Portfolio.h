#pragma once
// The simulated investment account: cash, the positions in the order they were bought (or
// loaded), the commission table and the dividend income tax, with the operations behind the
// portfolio window's buttons. Nothing here touches the file; see PortfolioFile.h.

#include <cstdint>
#include <string_view>
#include <vector>

#include "database/FixedText.h"
#include "database/PackedDate.h"
#include "portfolio/CommissionTable.h"

namespace velmora {

inline constexpr std::string_view kNotEnoughMoney = "You don't have enough money!";
inline constexpr std::string_view kNotEnoughStocks = "You don't have enough stocks in portfolio!";

// A sale may ask for this much more than is held and still sell the whole holding.
inline constexpr double kSellTolerance = 0.0001;

struct Position {
    FixedText<16> Ticker;   // at most 15 bytes, matched to the database case-insensitively
    FixedText<16> BuyDate;  // the buy date as "yy-mm-dd" text
    std::int32_t Whole = 0;
    std::int32_t Millionths = 0;  // quantity = Whole + Millionths / 1000000
    double BuyPrice = 0;

    double Quantity() const { return Whole + Millionths / 1000000.0; }
    // Splits the quantity into its whole part and millionths (rounded to the nearest
    // millionth), held within the range of the fields.
    void SetQuantity(double quantity);

    bool operator==(const Position& o) const {
        return Ticker.bytes == o.Ticker.bytes && BuyDate.bytes == o.BuyDate.bytes &&
               Whole == o.Whole && Millionths == o.Millionths && BuyPrice == o.BuyPrice;
    }
};

enum class TradeResult {
    Ok,
    NotEnoughMoney,   // kNotEnoughMoney
    NotEnoughStocks,  // kNotEnoughStocks
    Invalid,          // a quantity that is not positive, a negative price, no such position
};

class Portfolio {
  public:
    double Cash = 0;
    // The total present value of the stocks when the portfolio was last committed.
    double StoredStockValue = 0;
    CommissionTable Commissions;
    double DividendTax = 0;  // a fraction: 0.19 is 19 percent
    std::vector<Position> Positions;

    double Commission(double value) const { return Commissions.Commission(value); }
    int PositionCount() const { return static_cast<int>(Positions.size()); }
    bool ValidIndex(int index) const { return index >= 0 && index < PositionCount(); }

    // A new position with the ticker (at most 15 bytes kept), every other field 0, at the end.
    Position& AddPosition(std::string_view ticker);
    bool RemovePosition(int index);

    // What a purchase may cost: the cash less the commission on it.
    double AvailableMoney() const { return Cash - Commission(Cash); }
    // Adds a position and takes its value and commission from the cash. Refused with
    // NotEnoughMoney when quantity x price is more than the available money.
    TradeResult Buy(std::string_view ticker, std::string_view buyDateText, double quantity,
                    double price);
    // Sells from the position: the held quantity less the sold one stays, or, when the sale
    // takes all of it, the position goes (a sale up to kSellTolerance above the holding sells
    // exactly the holding). The proceeds less their commission go to the cash. Refused with
    // NotEnoughStocks when more than the tolerance above the holding is asked.
    TradeResult Sell(int index, double quantity, double price);
    // Books a dividend per share of the position, less the dividend tax, into the cash.
    bool Dividend(int index, double amountPerShare);
    // Merges every other position with the same ticker (case-insensitive) into this one: the
    // quantities add up and the buy price becomes their weighted mean. False when there is no
    // other such position (nothing changes).
    bool Join(int index);
    void PayIn(double amount) { Cash += amount; }
    // Takes the amount from the cash. Refused with NotEnoughMoney when it is more than the
    // cash, as a purchase is; a negative or unreadable amount is Invalid.
    TradeResult PayOut(double amount);

    // A stock's ticker changed: its positions follow.
    void RenameTicker(std::string_view oldTicker, std::string_view newTicker);
    // A stock was split by the ratio: its positions bought before the split date hold ratio
    // times as many shares at 1/ratio of the price. Nothing for a ratio that is not positive.
    void ApplySplit(std::string_view ticker, PackedDate splitDate, double ratio);
};

// A decimal amount as the prompts and trade dialogs read it: the number at the start of the
// text, 0 when the text holds none or it is not finite.
double ReadAmount(std::string_view text);

}  // namespace velmora
