#include <gtest/gtest.h>

#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <cmath>
#include <cstdio>

#include "gui/ChartGuiSupport.h"
#include "gui/dialogs/PortfolioWindow.h"
#include "portfolio/PortfolioFile.h"

namespace velmora {
namespace {

using gui::PortfolioWindow;
using gui::TradeDialog;

// A workspace in the fixture's directory whose portfolio file holds `cash` and a flat
// commission of 5 below 1000000.
struct PortfolioFixture : test::GuiFixture {
    std::filesystem::path file;
    explicit PortfolioFixture(double cash) {
        db.SetWorkspaceDir(dir.path());
        file = PortfolioPath(dir.path());
        Portfolio p;
        p.Cash = cash;
        p.Commissions.Thresholds = {1000000, 2000000, 3000000, 4000000};
        p.Commissions.Base[0] = 5;
        p.DividendTax = 0.19;
        EXPECT_TRUE(SavePortfolio(file, p));
    }
    Portfolio Stored() const {
        Portfolio p;
        EXPECT_TRUE(LoadPortfolio(file, p));
        return p;
    }
    double LastClose() const { return stock->Quotations.back().Close; }
};

QString Printf(const char* format, double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, format, v);
    return QString::fromLatin1(buf);
}

// Runs the trade dialog the window opens: fills quantity and price and presses OK.
std::function<int(QDialog&)> Trade(QString quantity, QString price, QString* title = nullptr) {
    return [=](QDialog& d) {
        auto& trade = dynamic_cast<TradeDialog&>(d);
        if (title != nullptr) *title = trade.windowTitle();
        trade.QuantityEdit()->setText(quantity);
        trade.PriceEdit()->setText(price);
        trade.accept();
        return trade.result();
    };
}

TEST(PortfolioWindow, BuyAndSellThroughTheTradeDialog) {
    PortfolioFixture f(10000);
    PortfolioWindow w(f.context);
    EXPECT_EQ(w.windowTitle(), "Portfolio manager");
    EXPECT_EQ(w.List()->topLevelItemCount(), 0);
    EXPECT_EQ(w.SummaryText(3), "10000.00");  // "Cash:"
    EXPECT_EQ(w.SummaryText(6), "0.00%");
    EXPECT_EQ(w.SummaryText(7), "100.00%");
    EXPECT_FALSE(w.Button("Sell")->isEnabled());

    // 100 at 10 with the flat commission of 5 costs 1005.
    QString title;
    w.runDialog = Trade("100", "10", &title);
    w.Button("Buy")->click();
    EXPECT_EQ(title, "Buy stocks");
    ASSERT_EQ(w.Account().PositionCount(), 1);
    const Position& p = w.Account().Positions[0];
    EXPECT_EQ(p.Ticker.Str(), "TEST");
    EXPECT_EQ(p.Whole, 100);
    EXPECT_EQ(p.BuyPrice, 10);
    EXPECT_EQ(p.BuyDate.Str(), DateToText(f.stock->Quotations.back().Date));
    EXPECT_DOUBLE_EQ(w.Account().Cash, 8995);
    EXPECT_EQ(w.SummaryText(3), "8995.00");
    const QTreeWidgetItem* row = w.List()->topLevelItem(0);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->text(0), "TEST");
    EXPECT_EQ(row->text(1), "100");
    EXPECT_EQ(row->text(2), Printf("%+.1f%%", (f.LastClose() - 10) * 100 / 10));
    EXPECT_EQ(w.Selection(), 0);
    EXPECT_EQ(w.PositionText(4), Printf("%.2f", f.LastClose()));  // "Present price:"
    EXPECT_EQ(w.SummaryText(2), Printf("%.2lf", 100 * f.LastClose()));

    // More than the available money: the dialog stays open with the message, nothing bought.
    w.runDialog = Trade("1000", "10");
    w.Button("Buy")->click();
    EXPECT_EQ(f.ui.messages.back(), kNotEnoughMoney);
    EXPECT_EQ(w.Account().PositionCount(), 1);
    // A quantity that is no number reads as 0 and buys nothing.
    w.runDialog = Trade("abc", "10");
    w.Button("Buy")->click();
    EXPECT_EQ(w.Account().PositionCount(), 1);
    EXPECT_DOUBLE_EQ(w.Account().Cash, 8995);

    // Selling within the tolerance above the holding sells all of it at the price given.
    w.runDialog = Trade("101", "12", &title);
    w.Button("Sell")->click();
    EXPECT_EQ(f.ui.messages.back(), kNotEnoughStocks);
    EXPECT_EQ(w.Account().PositionCount(), 1);
    w.runDialog = Trade("100.00005", "12", &title);
    w.Button("Sell")->click();
    EXPECT_EQ(title, "Sell stocks");
    EXPECT_EQ(w.Account().PositionCount(), 0);
    EXPECT_DOUBLE_EQ(w.Account().Cash, 8995 + 1200 - 5);
    EXPECT_EQ(w.List()->topLevelItemCount(), 0);
}

TEST(PortfolioWindow, TradeDialogProposesTheQuotationOfTheChosenDate) {
    PortfolioFixture f(10000);
    Portfolio account;
    account.Cash = 10000;
    TradeDialog buy(f.db, account, f.ui, TradeDialog::Mode::Buy, "test", 0);
    const Quotation& last = f.stock->Quotations.back();
    EXPECT_EQ(buy.DateEdit()->date(),
              QDate(DateYear(last.Date), DateMonth(last.Date), DateDay(last.Date)));
    EXPECT_EQ(buy.PriceEdit()->text(), Printf("%.2lf", last.Close));
    EXPECT_EQ(buy.QuantityEdit()->text(),
              QString::number(static_cast<int>(10000 / static_cast<double>(last.Close))));

    // A date with a quotation proposes its close; a Sunday empties price and quantity.
    const Quotation& first = f.stock->Quotations.front();  // Monday 3 January 2005
    buy.DateEdit()->setDate(QDate(2005, 1, 3));
    EXPECT_EQ(buy.PriceEdit()->text(), Printf("%.2lf", first.Close));
    buy.DateEdit()->setDate(QDate(2005, 1, 9));
    EXPECT_TRUE(buy.PriceEdit()->text().isEmpty());
    EXPECT_TRUE(buy.QuantityEdit()->text().isEmpty());
    // A ticker that names no stock empties them too; the stock's own comes back with its
    // last quotation.
    buy.TickerBox()->setEditText("NOPE");
    EXPECT_TRUE(buy.PriceEdit()->text().isEmpty());
    buy.TickerBox()->setEditText("TEST");
    EXPECT_EQ(buy.PriceEdit()->text(), Printf("%.2lf", last.Close));

    // Selling keeps the ticker fixed and shows the held quantity, also on a date without one.
    TradeDialog sell(f.db, account, f.ui, TradeDialog::Mode::Sell, "TEST", 1.5);
    EXPECT_FALSE(sell.TickerBox()->isEnabled());
    EXPECT_EQ(sell.QuantityEdit()->text(), "1.5");
    sell.DateEdit()->setDate(QDate(2005, 1, 9));
    EXPECT_EQ(sell.QuantityEdit()->text(), "1.5");
    EXPECT_TRUE(sell.PriceEdit()->text().isEmpty());
}

TEST(PortfolioWindow, OkWritesTheFileAndCancelDropsEveryChange) {
    PortfolioFixture f(1000);
    const auto before = test::ReadBytes(f.file);
    {
        PortfolioWindow w(f.context);
        w.askText = [](const QString& title, const QString& prompt) -> std::optional<QString> {
            EXPECT_EQ(title, "Cash pay-in");
            EXPECT_EQ(prompt, "Please enter the amount");
            return QStringLiteral("500");
        };
        w.Button("Pay-in")->click();
        EXPECT_EQ(w.SummaryText(3), "1500.00");
        w.runDialog = Trade("10", "20");
        w.Button("Buy")->click();
        EXPECT_EQ(w.Account().PositionCount(), 1);
        w.Button("Cancel")->click();
        EXPECT_EQ(w.result(), QDialog::Rejected);
    }
    EXPECT_EQ(test::ReadBytes(f.file), before);

    // The next opening starts from the file again.
    PortfolioWindow w(f.context);
    EXPECT_DOUBLE_EQ(w.Account().Cash, 1000);
    EXPECT_EQ(w.Account().PositionCount(), 0);
    w.askText = [](const QString& title, const QString&) -> std::optional<QString> {
        EXPECT_EQ(title, "Cash pay-out");
        return QStringLiteral("250.5");
    };
    w.Button("Pay-out")->click();
    w.runDialog = Trade("10", "20");
    w.Button("Buy")->click();
    // A cancelled prompt and a text that is no finite number change nothing.
    w.askText = [](const QString&, const QString&) -> std::optional<QString> { return {}; };
    w.Button("Pay-in")->click();
    w.askText = [](const QString&, const QString&) -> std::optional<QString> {
        return QStringLiteral("inf");
    };
    w.Button("Pay-in")->click();
    w.Button("OK")->click();
    EXPECT_EQ(w.result(), QDialog::Accepted);
    const Portfolio stored = f.Stored();
    EXPECT_DOUBLE_EQ(stored.Cash, 1000 - 250.5 - 205);
    ASSERT_EQ(stored.PositionCount(), 1);
    EXPECT_EQ(stored.Positions[0].Whole, 10);
    // The stored stock value is the present value at OK.
    EXPECT_DOUBLE_EQ(stored.StoredStockValue, 10 * f.LastClose());
}

TEST(PortfolioWindow, OkStaysOpenWhenTheFileCannotBeWritten) {
    PortfolioFixture f(1000);
    PortfolioWindow w(f.context);
    // The workspace directory went away while the window was open.
    f.db.SetWorkspaceDir(f.dir / "gone" / "away");
    w.Button("OK")->click();
    EXPECT_NE(w.result(), QDialog::Accepted);
    ASSERT_FALSE(f.ui.messages.empty());
    EXPECT_EQ(f.ui.messages.back(), "The portfolio file could not be saved");
}

TEST(PortfolioWindow, JoinDividendAndPositionsWithoutAStock) {
    PortfolioFixture f(0);
    {
        // No cash and no positions: no shares of a total of 0.
        PortfolioWindow empty(f.context);
        EXPECT_EQ(empty.SummaryText(6), "-");
        EXPECT_EQ(empty.SummaryText(7), "-");
    }
    Portfolio p = f.Stored();
    p.AddPosition("TEST").SetQuantity(100);
    p.Positions.back().BuyPrice = 10;
    p.AddPosition("GONE").SetQuantity(1.5);
    p.Positions.back().BuyPrice = 4;
    p.AddPosition("test").SetQuantity(300);
    p.Positions.back().BuyPrice = 20;
    ASSERT_TRUE(SavePortfolio(f.file, p));

    PortfolioWindow w(f.context);
    ASSERT_EQ(w.List()->topLevelItemCount(), 3);
    EXPECT_EQ(w.List()->topLevelItem(1)->text(1), "1.5");
    // A ticker the database does not know: no change, and "?" for its present figures.
    EXPECT_EQ(w.List()->topLevelItem(1)->text(2), "+0.0%");
    w.Select(1);
    EXPECT_EQ(w.PositionText(1), "1.5");
    EXPECT_EQ(w.PositionText(3), "6.00");
    for (int i = 4; i < 9; ++i) EXPECT_EQ(w.PositionText(i), "?") << i;

    // Joining the selected last position takes in the first one with the same ticker.
    w.Select(2);
    w.Button("Join")->click();
    ASSERT_EQ(w.Account().PositionCount(), 2);
    EXPECT_EQ(w.Account().Positions[0].Ticker.Str(), "GONE");
    EXPECT_EQ(w.Account().Positions[1].Whole, 400);
    EXPECT_DOUBLE_EQ(w.Account().Positions[1].BuyPrice, 17.5);
    EXPECT_EQ(w.Selection(), 1);

    // A dividend of 2 per share on 400 shares less 19 percent tax.
    QString title;
    w.askText = [&](const QString& t, const QString& prompt) -> std::optional<QString> {
        title = t;
        EXPECT_EQ(prompt, "Enter dividend amount per stock");
        return QStringLiteral("2");
    };
    w.Button("Dividend")->click();
    EXPECT_EQ(title, "Dividend");
    EXPECT_DOUBLE_EQ(w.Account().Cash, 0.81 * 2 * 400);
}

TEST(PortfolioWindow, CommissionTableDialog) {
    CommissionTable table;
    table.Thresholds = {1000, 5000, 10000, 50000};
    table.Base = {5, 5, 25, 40, 100};
    // A first-band percentage written by another program: shown, not editable, kept exactly.
    table.Percent = {0.0123456789012345, 0.005, 0.003, 0.0025, 0.002};
    gui::CommissionTableDialog d(table, 0.19);
    EXPECT_FALSE(d.PercentEdit(0)->isEnabled());
    EXPECT_TRUE(d.PercentEdit(0)->toolTip().startsWith("Not used: below the first threshold"));
    EXPECT_TRUE(d.PercentEdit(1)->isEnabled());
    EXPECT_EQ(d.windowTitle(), "Commission & tax table");
    EXPECT_EQ(d.FromEdit(0), nullptr);
    EXPECT_EQ(d.UptoEdit(4), nullptr);
    EXPECT_EQ(d.PercentEdit(1)->text(), "0.5");
    EXPECT_EQ(d.TaxEdit()->text(), "19");
    EXPECT_EQ(d.FromEdit(2)->text(), "5000");

    // Leaving an "upto:" edit carries its value to the next row's "from:".
    d.UptoEdit(1)->setText("6000");
    emit d.UptoEdit(1)->editingFinished();
    EXPECT_EQ(d.FromEdit(2)->text(), "6000");

    d.PercentEdit(2)->setText("0.4");
    d.BaseEdit(0)->setText("7.5");
    d.TaxEdit()->setText("15");
    d.accept();
    EXPECT_EQ(d.Table().Thresholds[1], 6000);
    EXPECT_DOUBLE_EQ(d.Table().Percent[2], 0.004);
    EXPECT_EQ(d.Table().Base[0], 7.5);
    EXPECT_EQ(d.Table().Percent[0], 0.0123456789012345);
    EXPECT_DOUBLE_EQ(d.DividendTax(), 0.15);

    // Through the window's "&Settings" the table reaches the portfolio (and the file at OK).
    PortfolioFixture f(100);
    PortfolioWindow w(f.context);
    w.runDialog = [](QDialog& dialog) {
        auto& c = dynamic_cast<gui::CommissionTableDialog&>(dialog);
        c.BaseEdit(0)->setText("9");
        c.accept();
        return c.result();
    };
    w.Button("&Settings")->click();
    EXPECT_EQ(w.Account().Commissions.Base[0], 9);
    EXPECT_DOUBLE_EQ(w.Account().DividendTax, 0.19);
    w.accept();
    EXPECT_EQ(f.Stored().Commissions.Base[0], 9);
}

}  // namespace
}  // namespace velmora
