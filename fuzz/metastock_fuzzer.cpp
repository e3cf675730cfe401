// A Metastock directory built from the input: the bytes are cut at every "\n--FILE--\n" into the
// index file (MASTER, or EMASTER when the first byte is odd) and the data files F1.DAT, F2.DAT
// and F3.DAT; the folder is opened and every listed security imported into a database that
// already holds quotations.

#include <cmath>
#include <cstdint>
#include <string_view>
#include <vector>

#include "FuzzSupport.h"
#include "import/MetastockImporter.h"
#include "platform/ConsoleUserInterface.h"
#include "platform/MemorySettingsStore.h"

using namespace velmora;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto dir = fuzz::FreshDirectory("metastock");
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const bool extended = size > 0 && (data[0] & 1) != 0;
    std::vector<std::string_view> parts;
    std::size_t at = size > 0 ? 1 : 0;
    for (;;) {
        const std::size_t next = input.find("\n--FILE--\n", at);
        parts.push_back(
            input.substr(at, next == std::string_view::npos ? std::string_view::npos : next - at));
        if (next == std::string_view::npos || parts.size() == 4) break;
        at = next + 10;
    }
    const char* names[] = {extended ? "EMASTER" : "MASTER", "F1.DAT", "F2.DAT", "F3.DAT"};
    for (std::size_t i = 0; i < parts.size(); ++i) {
        fuzz::WriteFile(dir / names[i], reinterpret_cast<const std::uint8_t*>(parts[i].data()),
                        parts[i].size());
    }
    Database db;
    Stock* existing = db.AddStock("DJX");
    db.AddQuotation(*existing, MakeDate(2000, 1, 3))->Close = 1;
    MemorySettingsStore settings;
    RecordingUserInterface ui;
    MetastockImporter importer(db, settings, ui);
    if (importer.OpenFolder(dir)) {
        importer.Toggle();
        importer.Toggle();
        importer.Import();
    }
    // What the database held before the import is still there.
    if (db.FindStock("DJX") == nullptr) __builtin_trap();
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
