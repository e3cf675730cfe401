#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <random>

#include "common/TestSupport.h"
#include "database/Database.h"
#include "portfolio/PortfolioFigures.h"
#include "portfolio/PortfolioFile.h"

namespace velmora {
namespace {

void PutDouble(std::vector<std::uint8_t>& out, std::size_t offset, double v) {
    const auto bits = std::bit_cast<std::uint64_t>(v);
    for (int i = 0; i < 8; ++i)
        out[offset + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(bits >> (56 - 8 * i));
}
void PutInt(std::vector<std::uint8_t>& out, std::size_t offset, std::int32_t v) {
    const auto u = static_cast<std::uint32_t>(v);
    for (int i = 0; i < 4; ++i)
        out[offset + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(u >> (24 - 8 * i));
}
void PutText(std::vector<std::uint8_t>& out, std::size_t offset, const std::string& text) {
    std::copy(text.begin(), text.end(), out.begin() + static_cast<std::ptrdiff_t>(offset));
}

// A portfolio file laid out by hand: the header, then two position records.
std::vector<std::uint8_t> HandBuiltFile() {
    std::vector<std::uint8_t> f(280 + 2 * 154, 0);
    PutText(f, 0, "TARVPORT");
    PutDouble(f, 102, 1234.5);  // cash
    PutDouble(f, 110, 987.25);  // stored stock value
    for (int i = 0; i < 4; ++i)
        PutDouble(f, 132 + 8 * static_cast<std::size_t>(i), 1000.0 * (i + 1));
    for (int i = 0; i < 5; ++i) {
        PutDouble(f, 172 + 8 * static_cast<std::size_t>(i), 0.001 * (i + 1));  // p0..p4
        PutDouble(f, 236 + 8 * static_cast<std::size_t>(i), 5.0 + i);          // b0..b4
    }
    PutDouble(f, 212, 0.19);
    PutInt(f, 276, 2);
    PutText(f, 280 + 14, "KGHM");
    PutText(f, 280 + 94, "24-03-05");
    PutInt(f, 280 + 110, 1);
    PutDouble(f, 280 + 114, 10.5);
    PutInt(f, 280 + 122, 500000);
    PutText(f, 434 + 14, "ORLEN");
    PutText(f, 434 + 94, "23-12-29");
    PutInt(f, 434 + 110, 300);
    PutDouble(f, 434 + 114, 20);
    PutInt(f, 434 + 122, 0);
    return f;
}

TEST(PortfolioFile, ReadsAndWritesTheStoredLayoutByteForByte) {
    const auto image = HandBuiltFile();
    Portfolio p;
    ASSERT_TRUE(DecodePortfolio(image.data(), image.size(), p));
    EXPECT_EQ(p.Cash, 1234.5);
    EXPECT_EQ(p.StoredStockValue, 987.25);
    EXPECT_EQ(p.Commissions.Thresholds[3], 4000.0);
    EXPECT_EQ(p.Commissions.Percent[0], 0.001);
    EXPECT_EQ(p.Commissions.Percent[4], 0.005);
    EXPECT_EQ(p.Commissions.Base[4], 9.0);
    EXPECT_EQ(p.DividendTax, 0.19);
    ASSERT_EQ(p.PositionCount(), 2);
    EXPECT_EQ(p.Positions[0].Ticker.View(), "KGHM");
    EXPECT_EQ(p.Positions[0].BuyDate.View(), "24-03-05");
    EXPECT_EQ(p.Positions[0].Quantity(), 1.5);
    EXPECT_EQ(QuantityText(p.Positions[0].Quantity()), "1.5");
    EXPECT_EQ(p.Positions[0].BuyPrice, 10.5);
    EXPECT_EQ(p.Positions[1].Ticker.View(), "ORLEN");
    EXPECT_EQ(p.Positions[1].Whole, 300);
    EXPECT_EQ(EncodePortfolio(p), image);

    test::TempDir dir;
    const auto file = PortfolioPath(dir.path());
    EXPECT_EQ(file.filename(), "tarvik.portfolio");
    ASSERT_TRUE(SavePortfolio(file, p));
    EXPECT_EQ(test::ReadBytes(file), image);
    Portfolio q;
    ASSERT_TRUE(LoadPortfolio(file, q));
    EXPECT_EQ(q.Positions, p.Positions);
    EXPECT_EQ(q.Commissions, p.Commissions);
}

TEST(PortfolioFile, ReservedAreasAreIgnoredAndLongTickersCut) {
    auto image = HandBuiltFile();
    for (std::size_t i = 8; i < 102; ++i) image[i] = 0xAB;
    for (std::size_t i = 280; i < 294; ++i) image[i] = 0xCD;
    // An 80-byte ticker field without a terminator: 15 bytes are kept.
    PutText(image, 280 + 14, std::string(80, 'X'));
    Portfolio p;
    ASSERT_TRUE(DecodePortfolio(image.data(), image.size(), p));
    EXPECT_EQ(p.Positions[0].Ticker.View(), std::string(15, 'X'));
    EXPECT_EQ(p.Cash, 1234.5);
    const auto again = EncodePortfolio(p);
    EXPECT_TRUE(std::all_of(again.begin() + 8, again.begin() + 102, [](auto b) { return b == 0; }));
}

TEST(PortfolioFile, RefusedFilesKeepCashAndTableButEmptyTheList) {
    test::TempDir dir;
    Portfolio p;
    p.Cash = 50;
    p.Commissions.Base[0] = 3;
    p.AddPosition("ABC");
    EXPECT_FALSE(LoadPortfolio(dir / "missing", p));
    EXPECT_EQ(p.PositionCount(), 0);
    EXPECT_EQ(p.Cash, 50);

    auto image = HandBuiltFile();
    image[3] = 'X';  // wrong magic
    p.AddPosition("ABC");
    EXPECT_FALSE(DecodePortfolio(image.data(), image.size(), p));
    EXPECT_EQ(p.PositionCount(), 0);
    EXPECT_EQ(p.Cash, 50);
    EXPECT_EQ(p.Commissions.Base[0], 3);

    // A header cut short is refused the same way.
    image = HandBuiltFile();
    EXPECT_FALSE(DecodePortfolio(image.data(), 279, p));
    EXPECT_EQ(p.Cash, 50);
}

TEST(PortfolioFile, CountsBeyondTheRecordsReadWhatIsThere) {
    auto image = HandBuiltFile();
    Portfolio p;
    PutInt(image, 276, 0x7FFFFFFF);
    ASSERT_TRUE(DecodePortfolio(image.data(), image.size() - 10, p));  // second record cut
    EXPECT_EQ(p.PositionCount(), 1);
    PutInt(image, 276, -3);
    ASSERT_TRUE(DecodePortfolio(image.data(), image.size(), p));
    EXPECT_EQ(p.PositionCount(), 0);
    PutInt(image, 276, 1);
    ASSERT_TRUE(DecodePortfolio(image.data(), image.size(), p));
    EXPECT_EQ(p.PositionCount(), 1);
}

TEST(PortfolioFile, SurvivesAnyBytes) {
    std::mt19937 rng(7);
    const auto base = HandBuiltFile();
    for (int round = 0; round < 2000; ++round) {
        auto image = base;
        image.resize(rng() % (base.size() + 200));
        for (auto& b : image) {
            if (rng() % 8 == 0) b = static_cast<std::uint8_t>(rng());
        }
        if (image.size() >= 8 && rng() % 2) PutText(image, 0, "TARVPORT");
        Portfolio p;
        if (DecodePortfolio(image.data(), image.size(), p)) {
            ASSERT_LE(p.Positions.size(), (image.size() - 280) / 154);
            Database db;
            Summarize(db, p);
            PositionRows(db, p);
            for (int i = 0; i < p.PositionCount(); ++i) DescribePosition(db, p, i);
            p.Join(0);
        }
    }
}

TEST(CommissionTable, BandsAndTheirBoundaries) {
    CommissionTable t;
    EXPECT_EQ(t.Commission(0), 0);
    EXPECT_EQ(t.Commission(1e9), 0);
    t.Thresholds = {100, 1000, 10000, 100000};
    t.Base = {5, 6, 20, 100, 500};
    t.Percent = {0.5, 0.01, 0.008, 0.005, 0.001};
    EXPECT_DOUBLE_EQ(t.Commission(99.99), 5);  // p0 takes no part
    EXPECT_DOUBLE_EQ(t.Commission(100), 6);    // the threshold opens band 1
    EXPECT_DOUBLE_EQ(t.Commission(600), 500 * 0.01 + 6);
    EXPECT_DOUBLE_EQ(t.Commission(1000), 20);
    EXPECT_DOUBLE_EQ(t.Commission(5000), 4000 * 0.008 + 20);
    EXPECT_DOUBLE_EQ(t.Commission(10000), 100);
    EXPECT_DOUBLE_EQ(t.Commission(99999), 89999 * 0.005 + 100);
    EXPECT_DOUBLE_EQ(t.Commission(100000), 500);
    EXPECT_DOUBLE_EQ(t.Commission(300000), 200000 * 0.001 + 500);
    EXPECT_DOUBLE_EQ(t.Commission(-10), 5);
}

TEST(Portfolio, BuyTakesValueAndCommissionAndChecksTheMoney) {
    Portfolio p;
    p.Cash = 2000;
    p.Commissions.Thresholds = {5000, 5000, 5000, 5000};
    p.Commissions.Base[0] = 5;
    ASSERT_EQ(p.Buy("KGHM", "24-01-02", 100, 10), TradeResult::Ok);
    EXPECT_DOUBLE_EQ(p.Cash, 995);
    ASSERT_EQ(p.PositionCount(), 1);
    EXPECT_EQ(p.Positions[0].Ticker.View(), "KGHM");
    EXPECT_EQ(p.Positions[0].BuyDate.View(), "24-01-02");
    EXPECT_EQ(p.Positions[0].Whole, 100);
    EXPECT_EQ(p.Positions[0].BuyPrice, 10);
    // The available money is the cash less its own commission: 990.
    EXPECT_DOUBLE_EQ(p.AvailableMoney(), 990);
    EXPECT_EQ(p.Buy("ORLEN", "24-01-02", 100, 9.95), TradeResult::NotEnoughMoney);
    EXPECT_EQ(p.PositionCount(), 1);
    EXPECT_EQ(p.Buy("ORLEN", "24-01-02", 99, 10), TradeResult::Ok);
    EXPECT_EQ(p.Buy("ORLEN", "24-01-02", 0, 10), TradeResult::Invalid);
    EXPECT_EQ(p.Buy("ORLEN", "24-01-02", -5, 10), TradeResult::Invalid);
    EXPECT_EQ(p.Buy("ORLEN", "24-01-02", 1, NAN), TradeResult::Invalid);
}

TEST(Portfolio, SellWithinTheToleranceSellsTheWholeHolding) {
    Portfolio p;
    p.AddPosition("KGHM").SetQuantity(100);
    p.Positions[0].BuyPrice = 10;
    p.AddPosition("ORLEN").SetQuantity(5);
    ASSERT_EQ(p.Sell(0, 40, 12), TradeResult::Ok);
    EXPECT_EQ(p.Positions[0].Quantity(), 60);
    EXPECT_DOUBLE_EQ(p.Cash, 480);
    EXPECT_EQ(p.Sell(0, 60.001, 12), TradeResult::NotEnoughStocks);
    ASSERT_EQ(p.Sell(0, 60.00005, 12), TradeResult::Ok);
    ASSERT_EQ(p.PositionCount(), 1);
    EXPECT_EQ(p.Positions[0].Ticker.View(), "ORLEN");
    EXPECT_DOUBLE_EQ(p.Cash, 480 + 720);
    EXPECT_EQ(p.Sell(3, 1, 1), TradeResult::Invalid);
}

TEST(Portfolio, JoinMergesEqualTickersIntoTheSelectedPosition) {
    Portfolio p;
    p.AddPosition("kghm").SetQuantity(100);
    p.Positions[0].BuyPrice = 10;
    p.AddPosition("ORLEN").SetQuantity(7);
    p.AddPosition("KGHM").SetQuantity(300);
    p.Positions[2].BuyPrice = 20;
    p.Positions[2].BuyDate.Set("24-02-02");
    EXPECT_FALSE(p.Join(1));
    EXPECT_EQ(p.PositionCount(), 3);
    ASSERT_TRUE(p.Join(2));
    ASSERT_EQ(p.PositionCount(), 2);
    EXPECT_EQ(p.Positions[0].Ticker.View(), "ORLEN");
    EXPECT_EQ(p.Positions[1].Ticker.View(), "KGHM");
    EXPECT_EQ(p.Positions[1].BuyDate.View(), "24-02-02");
    EXPECT_EQ(p.Positions[1].Quantity(), 400);
    EXPECT_DOUBLE_EQ(p.Positions[1].BuyPrice, 17.5);
}

TEST(Portfolio, FractionalQuantitiesAndDividends) {
    Position pos;
    pos.SetQuantity(1.5);
    EXPECT_EQ(pos.Whole, 1);
    EXPECT_EQ(pos.Millionths, 500000);
    pos.SetQuantity(2.9999999);  // rounds up to the next whole
    EXPECT_EQ(pos.Whole, 3);
    EXPECT_EQ(pos.Millionths, 0);
    pos.SetQuantity(1e20);
    EXPECT_EQ(pos.Whole, 2147483647);
    pos.SetQuantity(NAN);
    EXPECT_EQ(pos.Quantity(), 0);

    Portfolio p;
    p.DividendTax = 0.19;
    p.AddPosition("KGHM").SetQuantity(200);
    ASSERT_TRUE(p.Dividend(0, 1.5));
    EXPECT_DOUBLE_EQ(p.Cash, 0.81 * 300);
    p.PayIn(100);
    // A pay-out is refused beyond the cash, as a purchase is; all of the cash may go.
    EXPECT_EQ(p.PayOut(1000), TradeResult::NotEnoughMoney);
    EXPECT_EQ(p.PayOut(-1), TradeResult::Invalid);
    EXPECT_DOUBLE_EQ(p.Cash, 0.81 * 300 + 100);
    EXPECT_EQ(p.PayOut(p.Cash), TradeResult::Ok);
    EXPECT_EQ(p.Cash, 0);
    EXPECT_EQ(ReadAmount("12.5abc"), 12.5);
    EXPECT_EQ(ReadAmount("abc"), 0);
    EXPECT_EQ(ReadAmount("inf"), 0);
    EXPECT_EQ(ReadAmount("nan"), 0);
    EXPECT_EQ(ReadAmount("1e999"), 0);
}

TEST(Portfolio, RenamesAndSplitsFollowTheStock) {
    Portfolio p;
    p.AddPosition("OLD").SetQuantity(10);
    p.Positions[0].BuyPrice = 30;
    p.Positions[0].BuyDate.Set("24-01-10");
    p.AddPosition("old").SetQuantity(10);
    p.Positions[1].BuyPrice = 30;
    p.Positions[1].BuyDate.Set("24-03-10");
    p.RenameTicker("Old", "NEW");
    EXPECT_EQ(p.Positions[0].Ticker.View(), "NEW");
    EXPECT_EQ(p.Positions[1].Ticker.View(), "NEW");
    p.ApplySplit("new", MakeDate(2024, 2, 1), 3);
    EXPECT_EQ(p.Positions[0].Quantity(), 30);
    EXPECT_DOUBLE_EQ(p.Positions[0].BuyPrice, 10);
    EXPECT_EQ(p.Positions[1].Quantity(), 10);
}

class PortfolioFiguresTest : public ::testing::Test {
  protected:
    PortfolioFiguresTest() {
        Stock* s = db.AddStock("KGHM");
        db.AddQuotation(*s, MakeDate(2024, 1, 2))->Close = 11;
        db.AddQuotation(*s, MakeDate(2024, 1, 3))->Close = 12;
        db.AddStock("EMPTY");
    }
    Database db;
};

TEST_F(PortfolioFiguresTest, EmptyPortfolioShowsDashesForTheShares) {
    Portfolio p;
    const PortfolioSummary s = Summarize(db, p);
    EXPECT_EQ(s.Change, "+0.00 (+0.0%)");
    EXPECT_EQ(s.StockShare, "-");
    EXPECT_EQ(s.CashShare, "-");
    EXPECT_EQ(s.TotalText, "0.00");
    EXPECT_TRUE(PositionRows(db, p).empty());
}

TEST_F(PortfolioFiguresTest, RowsTotalsAndPositionFields) {
    Portfolio p;
    p.Cash = 600;
    p.Commissions.Thresholds = {1e9, 1e9, 1e9, 1e9};
    p.Commissions.Base[0] = 2;
    Position& a = p.AddPosition("kghm");
    a.SetQuantity(100);
    a.BuyPrice = 10;
    a.BuyDate.Set("24-01-02");
    Position& b = p.AddPosition("GONE");
    b.SetQuantity(1.5);
    b.BuyPrice = 40;

    const auto rows = PositionRows(db, p);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].Ticker, "kghm");
    EXPECT_EQ(rows[0].Quantity, "100");
    EXPECT_EQ(rows[0].Change, "+20.0%");
    EXPECT_EQ(rows[1].Quantity, "1.5");
    EXPECT_EQ(rows[1].Change, "+0.0%");

    // P = 1200 + 60, V = 1000 + 60, CB = CS = 4, T = 1860.
    const PortfolioSummary s = Summarize(db, p);
    EXPECT_DOUBLE_EQ(s.PresentValue, 1260);
    EXPECT_EQ(s.Change, "+200.00 (+18.9%)");
    EXPECT_EQ(s.Yield, "+192.00 (+18.1%)");
    EXPECT_EQ(s.StockValue, "1260.00");
    EXPECT_EQ(s.StockShare, "67.74%");
    EXPECT_EQ(s.Cash, "600.00");
    EXPECT_EQ(s.CashShare, "32.26%");
    EXPECT_EQ(s.TotalText, "1860.00");
    EXPECT_EQ(s.RealValue, "1856.00");

    const PositionFields f = DescribePosition(db, p, 0);
    EXPECT_EQ(f.BuyDate, "24-01-02");
    EXPECT_EQ(f.Quantity, "100");
    EXPECT_EQ(f.BuyPrice, "10.00");
    EXPECT_EQ(f.Value, "1000.00");
    EXPECT_EQ(f.PresentPrice, "12.00");
    EXPECT_EQ(f.PresentValue, "1200.00");
    EXPECT_EQ(f.Change, "+200.00 (+20.0%)");
    EXPECT_EQ(f.Yield, "+196.00 (+19.6%)");
    EXPECT_EQ(f.Share, "64.52%");

    const PositionFields g = DescribePosition(db, p, 1);
    EXPECT_EQ(g.Quantity, "1.5");
    EXPECT_EQ(g.Value, "60.00");
    for (const std::string* v : {&g.PresentPrice, &g.PresentValue, &g.Change, &g.Yield, &g.Share}) {
        EXPECT_EQ(*v, "?");
    }
    // A stock without quotations has no present price either.
    p.Positions[1].Ticker.Set("EMPTY");
    EXPECT_EQ(DescribePosition(db, p, 1).PresentPrice, "?");
}

TEST_F(PortfolioFiguresTest, TradeDialogProposals) {
    Portfolio p;
    p.Cash = 1000;
    TradeProposal t = ProposeTrade(db, p, "kghm", true, 0);
    EXPECT_EQ(t.Date, MakeDate(2024, 1, 3));
    EXPECT_EQ(t.Price, "12.00");
    EXPECT_EQ(t.Quantity, "83");
    t = ProposeTrade(db, p, "KGHM", true, 0, MakeDate(2024, 1, 2));
    EXPECT_EQ(t.Price, "11.00");
    EXPECT_EQ(t.Quantity, "90");
    t = ProposeTrade(db, p, "KGHM", false, 2.5, MakeDate(2024, 1, 5));
    EXPECT_EQ(t.Price, "");
    EXPECT_EQ(t.Quantity, "2.5");
    p.Cash = -50;
    EXPECT_EQ(ProposeTrade(db, p, "KGHM", true, 0).Quantity, "0");
    EXPECT_EQ(ProposeTrade(db, p, "NONE", true, 0).Price, "");
}

}  // namespace
}  // namespace velmora
