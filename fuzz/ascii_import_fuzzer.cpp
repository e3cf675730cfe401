// An ASCII import: the first byte picks a format file, the rest is the data file, which may
// carry its own commands. Whatever is stored must be a sound quotation or advance/decline record.

#include <cmath>
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "import/AsciiImporter.h"
#include "platform/ConsoleUserInterface.h"

using namespace velmora;

namespace {

const char* const kFormats[] = {
    "",
    "$SEPARATOR ,\n$FORMAT TICKER SKIP DATE_YMD SKIP OPEN HIGH LOW CLOSE VOLUME OPENINT\n"
    "$AUTOADD 1\n",
    "$SEPARATOR ;\n$FORMAT DATE_DMY OPEN HIGH LOW CLOSE VOLUME\n$AUTOADD 1\n$DEBUG 1\n",
    "$SEPARATOR ,\n$HYBRID 1\n$AUTOADD 1\n$OVERWRITE 1\n$DEBUG 1\n$RECALCAD 1\n$RECALCVOL 1\n"
    "$FORMAT NAME DATE_MDY INFO REDUCTION OPEN HIGH LOW CLOSE VOL1000 TURNOVER OPENINT MARKET "
    "GROUP INDUSTRY FULLNAME APPENDNAME PRICEFACTOR VOLFACTOR\n",
    "$SEPARATOR ,\n$MARKET 1\n$FORMAT DATE_YMD ADVISSUES DECISSUES UNCISSUES ADVVOLUME DECVOLUME "
    "UNCVOLUME\n",
};

bool SoundDate(PackedDate d) {
    return d != 0 && DateMonth(d) >= 1 && DateMonth(d) <= 12 && DateDay(d) >= 1 &&
           DateDay(d) <= DaysInMonth(DateYear(d), DateMonth(d));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    static const auto dir = fuzz::FreshDirectory("ascii");
    const std::string format = kFormats[data[0] % (sizeof kFormats / sizeof kFormats[0])];
    fuzz::WriteFile(dir / "f.format", reinterpret_cast<const std::uint8_t*>(format.data()),
                    format.size());
    fuzz::WriteFile(dir / "DATA.txt", data + 1, size - 1);
    Database db;
    Stock* index = db.AddStock("WIG");
    index->Flags |= Stock::kIndexFlag;
    for (const char* t : {"DATA", "A", "B"}) db.AddStock(t);
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
    return 0;
}
