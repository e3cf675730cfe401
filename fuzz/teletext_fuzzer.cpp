// A saved teletext page imported into a database that knows a few of the usual tickers.

#include <cmath>
#include <cstdint>

#include "FuzzSupport.h"
#include "import/TeletextImporter.h"

using namespace velmora;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const auto dir = fuzz::FreshDirectory("teletext");
    fuzz::WriteFile(dir / "page.txt", data, size);
    Database db;
    for (const char* t : {"A", "B", "ORBIS", "WIG", "WIG20", "NIF", "MIDWIG"}) db.AddStock(t);
    ImportTeletext(db, dir / "page.txt");
    // Whatever was stored is a sound quotation, in date order.
    for (const auto& stock : db.Stocks()) {
        PackedDate previous = 0;
        for (const Quotation& q : stock->Quotations) {
            if (!std::isfinite(q.Close) || q.Close <= 0 || q.Date <= previous) __builtin_trap();
            previous = q.Date;
        }
    }
    return 0;
}
