// "tarvik.portfolio" bytes read into a portfolio whose figures are then computed against a
// small database; a portfolio that reads is written back and must read back the same.

#include <cstdint>

#include "FuzzSupport.h"
#include "portfolio/PortfolioFigures.h"
#include "portfolio/PortfolioFile.h"

using namespace velmora;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Database db;
    if (db.StockCount() == 0) {
        Stock* s = db.AddStock("KGHM");
        db.AddQuotation(*s, MakeDate(2020, 1, 2))->Close = 100;
        db.AddStock("EMPTY");
    }
    static const auto dir = fuzz::FreshDirectory("portfolio");
    fuzz::WriteFile(dir / "tarvik.portfolio", data, size);
    Portfolio portfolio;
    if (!LoadPortfolio(dir / "tarvik.portfolio", portfolio)) return 0;
    Summarize(db, portfolio);
    for (int i = 0; i < portfolio.PositionCount() && i < 64; ++i)
        DescribePosition(db, portfolio, i);
    portfolio.Commission(12345.0);
    const Bytes image = EncodePortfolio(portfolio);
    Portfolio again;
    // Compared as bytes: a stored price may be NaN, which never equals itself as a number.
    if (!DecodePortfolio(image.data(), image.size(), again) ||
        again.Positions.size() != portfolio.Positions.size() || EncodePortfolio(again) != image) {
        __builtin_trap();  // what the writer writes must read back the same
    }
    return 0;
}
