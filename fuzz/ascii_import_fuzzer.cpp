// An ASCII import: the first byte picks a format file, the rest is the data file, which may
// carry its own commands. Whatever is stored must be a sound quotation or advance/decline record.

#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "ImportFuzzSupport.h"

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    static const auto dir = fuzz::FreshDirectory("ascii");
    const std::string format = kFormats[data[0] % (sizeof kFormats / sizeof kFormats[0])];
    fuzz::WriteFile(dir / "f.format", reinterpret_cast<const std::uint8_t*>(format.data()),
                    format.size());
    fuzz::WriteFile(dir / "DATA.txt", data + 1, size - 1);
    fuzz::ImportAndCheck(dir, {"DATA", "A", "B"});
    return 0;
}
