// A saved teletext page imported into a database that knows a few of the usual tickers.

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
    return 0;
}
