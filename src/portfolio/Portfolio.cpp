#include "portfolio/Portfolio.h"

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

namespace velmora {

void Position::SetQuantity(double quantity) {
    constexpr double kMax = std::numeric_limits<std::int32_t>::max();
    if (!std::isfinite(quantity)) quantity = 0;
    quantity = std::fmax(-kMax, std::fmin(kMax, quantity));
    double whole = std::trunc(quantity);
    long long millionths = std::llround((quantity - whole) * 1000000.0);
    if (millionths >= 1000000 && whole < kMax) {
        whole += 1;
        millionths -= 1000000;
    } else if (millionths <= -1000000 && whole > -kMax) {
        whole -= 1;
        millionths += 1000000;
    }
    if (millionths >= 1000000) millionths = 999999;
    if (millionths <= -1000000) millionths = -999999;
    Whole = static_cast<std::int32_t>(whole);
    Millionths = static_cast<std::int32_t>(millionths);
}

Position& Portfolio::AddPosition(std::string_view ticker) {
    Position& p = Positions.emplace_back();
    p.Ticker.Set(ticker);
    return p;
}

bool Portfolio::RemovePosition(int index) {
    if (!ValidIndex(index)) return false;
    Positions.erase(Positions.begin() + index);
    return true;
}

TradeResult Portfolio::Buy(std::string_view ticker, std::string_view buyDateText, double quantity,
                           double price) {
    if (!(quantity > 0) || !(price >= 0) || !std::isfinite(quantity) || !std::isfinite(price)) {
        return TradeResult::Invalid;
    }
    const double value = quantity * price;
    if (value > AvailableMoney()) return TradeResult::NotEnoughMoney;
    Position& p = AddPosition(ticker);
    p.BuyDate.Set(buyDateText);
    p.SetQuantity(quantity);
    p.BuyPrice = price;
    Cash -= value + Commission(value);
    return TradeResult::Ok;
}

TradeResult Portfolio::PayOut(double amount) {
    if (!(amount >= 0) || !std::isfinite(amount)) return TradeResult::Invalid;
    if (amount > Cash) return TradeResult::NotEnoughMoney;
    Cash -= amount;
    return TradeResult::Ok;
}

TradeResult Portfolio::Sell(int index, double quantity, double price) {
    if (!ValidIndex(index) || !(quantity > 0) || !(price >= 0) || !std::isfinite(quantity) ||
        !std::isfinite(price)) {
        return TradeResult::Invalid;
    }
    Position& p = Positions[static_cast<std::size_t>(index)];
    const double held = p.Quantity();
    if (quantity - held > kSellTolerance) return TradeResult::NotEnoughStocks;
    if (held > quantity) {
        p.SetQuantity(held - quantity);
    } else {
        quantity = held;
        RemovePosition(index);
    }
    const double value = quantity * price;
    Cash += value - Commission(value);
    return TradeResult::Ok;
}

bool Portfolio::Dividend(int index, double amountPerShare) {
    if (!ValidIndex(index)) return false;
    Cash +=
        (1 - DividendTax) * amountPerShare * Positions[static_cast<std::size_t>(index)].Quantity();
    return true;
}

bool Portfolio::Join(int index) {
    if (!ValidIndex(index)) return false;
    const std::string ticker = Positions[static_cast<std::size_t>(index)].Ticker.Str();
    double total = 0, cost = 0;
    int others = 0;
    for (int i = 0; i < PositionCount(); ++i) {
        const Position& p = Positions[static_cast<std::size_t>(i)];
        if (!EqualNoCase(p.Ticker.View(), ticker)) continue;
        total += p.Quantity();
        cost += p.Quantity() * p.BuyPrice;
        if (i != index) ++others;
    }
    if (others == 0) return false;
    Position kept = Positions[static_cast<std::size_t>(index)];
    kept.SetQuantity(total);
    // Quantities that cancel out leave no mean price; the kept position's own price stays.
    if (total != 0) kept.BuyPrice = cost / total;
    std::vector<Position> rest;
    rest.reserve(Positions.size() - static_cast<std::size_t>(others));
    for (int i = 0; i < PositionCount(); ++i) {
        const Position& p = Positions[static_cast<std::size_t>(i)];
        if (i == index) {
            rest.push_back(kept);
        } else if (!EqualNoCase(p.Ticker.View(), ticker)) {
            rest.push_back(p);
        }
    }
    Positions = std::move(rest);
    return true;
}

void Portfolio::RenameTicker(std::string_view oldTicker, std::string_view newTicker) {
    for (Position& p : Positions) {
        if (EqualNoCase(p.Ticker.View(), oldTicker)) p.Ticker.Set(newTicker);
    }
}

void Portfolio::ApplySplit(std::string_view ticker, PackedDate splitDate, double ratio) {
    if (!(ratio > 0) || !std::isfinite(ratio)) return;
    for (Position& p : Positions) {
        if (!EqualNoCase(p.Ticker.View(), ticker)) continue;
        const PackedDate bought = TextToDate(p.BuyDate.View());
        if (bought == kNoDate || bought >= splitDate) continue;
        p.SetQuantity(p.Quantity() * ratio);
        p.BuyPrice /= ratio;
    }
}

double ReadAmount(std::string_view text) {
    const std::string s(text);
    const double v = std::strtod(s.c_str(), nullptr);
    // "inf", "nan" and overflowing texts are no amount: they would poison the cash and every
    // figure computed from it.
    return std::isfinite(v) ? v : 0;
}

}  // namespace velmora
