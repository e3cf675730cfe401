#include "portfolio/PortfolioFigures.h"

#include <cmath>

#include "platform/Saturate.h"
#include "platform/StringFormat.h"

namespace velmora {

namespace {

// The percentage of a gain on a base; 0 when the base is not positive.
double PercentOf(double gain, double base) {
    return base > 0 ? gain * 100 / base : 0;
}

// "+12.50 (+3.1%)": a gain and its percentage of the base.
std::string ChangeText(double gain, double base) {
    return FormatString("%+.2lf (%+.1lf%%)", NoNegativeZero(gain, 2),
                        NoNegativeZero(PercentOf(gain, base), 1));
}

}  // namespace

std::string QuantityText(double quantity) {
    return FormatString("%g", quantity);
}

std::optional<double> PresentPrice(Database& db, const Position& position) {
    const Stock* stock = db.FindStock(position.Ticker.View());
    if (stock == nullptr || stock->Quotations.empty()) return std::nullopt;
    return stock->Quotations.back().Close;
}

std::vector<PositionRow> PositionRows(Database& db, const Portfolio& portfolio) {
    std::vector<PositionRow> rows;
    rows.reserve(portfolio.Positions.size());
    for (const Position& p : portfolio.Positions) {
        const double present = PresentPrice(db, p).value_or(p.BuyPrice);
        rows.push_back(
            {p.Ticker.Str(), QuantityText(p.Quantity()),
             FormatString("%+.1f%%",
                          NoNegativeZero(PercentOf(present - p.BuyPrice, p.BuyPrice), 1))});
    }
    return rows;
}

PortfolioSummary Summarize(Database& db, const Portfolio& portfolio) {
    PortfolioSummary s;
    for (const Position& p : portfolio.Positions) {
        const double quantity = p.Quantity();
        const double present = PresentPrice(db, p).value_or(p.BuyPrice);
        s.PresentValue += quantity * present;
        s.BuyValue += quantity * p.BuyPrice;
        s.BuyCommissions += portfolio.Commission(quantity * p.BuyPrice);
        s.SellCommissions += portfolio.Commission(quantity * present);
    }
    const double gain = s.PresentValue - s.BuyValue;
    const double yield = gain - (s.BuyCommissions + s.SellCommissions);
    s.Total = portfolio.Cash + s.PresentValue;
    s.Change = ChangeText(gain, s.BuyValue);
    s.Yield = ChangeText(yield, s.BuyValue);
    s.StockValue = FormatString("%.2lf", NoNegativeZero(s.PresentValue, 2));
    s.Cash = FormatString("%.2lf", NoNegativeZero(portfolio.Cash, 2));
    s.TotalText = FormatString("%.2lf", NoNegativeZero(s.Total, 2));
    s.RealValue = FormatString("%.2lf", NoNegativeZero(s.Total - s.SellCommissions, 2));
    if (s.Total == 0) {
        s.StockShare = s.CashShare = "-";
    } else {
        s.StockShare = FormatString("%.2f%%", s.PresentValue * 100 / s.Total);
        s.CashShare = FormatString("%.2f%%", portfolio.Cash * 100 / s.Total);
    }
    return s;
}

PositionFields DescribePosition(Database& db, const Portfolio& portfolio, int index) {
    PositionFields f;
    if (!portfolio.ValidIndex(index)) return f;
    const Position& p = portfolio.Positions[static_cast<std::size_t>(index)];
    const double quantity = p.Quantity();
    const double value = quantity * p.BuyPrice;
    f.BuyDate = p.BuyDate.Str();
    f.Quantity = QuantityText(quantity);
    f.BuyPrice = FormatString("%.2f", p.BuyPrice);
    f.Value = FormatString("%.2f", value);
    const std::optional<double> present = PresentPrice(db, p);
    if (!present) {
        f.PresentPrice = f.PresentValue = f.Change = f.Yield = f.Share = "?";
        return f;
    }
    const double presentValue = quantity * *present;
    const double gain = presentValue - value;
    const double yield = gain - portfolio.Commission(value) - portfolio.Commission(presentValue);
    f.PresentPrice = FormatString("%.2f", *present);
    f.PresentValue = FormatString("%.2f", presentValue);
    f.Change = ChangeText(gain, value);
    f.Yield = ChangeText(yield, value);
    const double total = Summarize(db, portfolio).Total;
    f.Share = total == 0 ? "-" : FormatString("%.2lf%%", presentValue * 100 / total);
    return f;
}

TradeProposal ProposeTrade(Database& db, const Portfolio& portfolio, std::string_view ticker,
                           bool buyMode, double heldQuantity, std::optional<PackedDate> date) {
    TradeProposal t;
    if (!buyMode) t.Quantity = QuantityText(heldQuantity);
    Stock* stock = db.FindStock(ticker);
    if (stock == nullptr || stock->Quotations.empty()) return t;
    const Quotation* q = date ? Database::FindQuotation(*stock, *date) : &stock->Quotations.back();
    if (q == nullptr) return t;
    t.Date = q->Date;
    t.Price = FormatString("%.2lf", static_cast<double>(q->Close));
    if (buyMode) {
        // Whole shares the available money buys at that close, never below 0.
        const double shares = q->Close > 0 ? portfolio.AvailableMoney() / q->Close : 0;
        const double whole = std::isfinite(shares) ? std::trunc(std::fmax(0.0, shares)) : 0;
        t.Quantity = FormatString("%d", SaturateToInt32(whole));
    }
    return t;
}

}  // namespace velmora
