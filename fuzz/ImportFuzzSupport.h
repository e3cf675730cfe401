#pragma once
// The ASCII import run of the import harnesses: a database with the index "WIG" and a few
// plain stocks imports DIR/DATA.txt with DIR/f.format, and whatever was stored must be a sound
// quotation or advance/decline record (traps otherwise).

#include <cmath>
#include <filesystem>
#include <initializer_list>

#include "database/Database.h"
#include "import/AsciiImporter.h"
#include "platform/ConsoleUserInterface.h"

namespace velmora::fuzz {

inline bool SoundDate(PackedDate d) {
    return d != 0 && DateMonth(d) >= 1 && DateMonth(d) <= 12 && DateDay(d) >= 1 &&
           DateDay(d) <= DaysInMonth(DateYear(d), DateMonth(d));
}

inline void ImportAndCheck(const std::filesystem::path& dir,
                           std::initializer_list<const char*> stocks) {
    Database db;
    Stock* index = db.AddStock("WIG");
    index->Flags |= Stock::kIndexFlag;
    for (const char* t : stocks) db.AddStock(t);
    RecordingUserInterface ui;
    AsciiImporter importer(db, ui, dir, "WIG");
    importer.ImportAsciiFile(dir / "DATA.txt", "f.format");
    for (const auto& stock : db.Stocks()) {
        PackedDate previous = 0;
        for (const Quotation& q : stock->Quotations) {
            if (!std::isfinite(q.Close) || q.Close <= 0 || !std::isfinite(q.Open) ||
                !std::isfinite(q.High) || !std::isfinite(q.Low) || !SoundDate(q.Date) ||
                q.Date <= previous) {
                __builtin_trap();
            }
            previous = q.Date;
        }
    }
    for (const Market& m : db.Categories().Markets) {
        for (const ADQuotation& r : m.ADQuotations) {
            if (!SoundDate(r.Date) || !std::isfinite(r.AdvVolume)) __builtin_trap();
        }
    }
}

}  // namespace velmora::fuzz
