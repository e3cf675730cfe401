#pragma once
// What the ASCII importer checks on the lines it stores: which quotations the running import
// stored already (so that a later line of the same stock and date is known to replace one), and
// whether a stored bar is plausible. Used by the importer only.

#include <cstdint>
#include <cstdio>
#include <unordered_map>
#include <vector>

#include "database/PackedDate.h"
#include "database/Stock.h"

namespace velmora::ascii {

// The dates of the quotations an import stored, per stock: sorted, 4 bytes a line. Files come
// sorted by date, so a line's date usually goes to the end of its stock's list; the stock of the
// line before is looked up without hashing.
class StoredDates {
  public:
    // Notes that a line stored the quotation of `stock` on `date`. True when an earlier line of
    // this import had stored that quotation already.
    bool Record(const Stock* stock, PackedDate date);

  private:
    std::unordered_map<const Stock*, std::vector<PackedDate>> dates_;
    const Stock* lastStock_ = nullptr;
    std::vector<PackedDate>* lastDates_ = nullptr;
};

// What is implausible about a stored bar, as bits.
enum BarFinding : unsigned {
    kHighBelowLow = 1u << 0,
    kOpenOutsideRange = 1u << 1,   // open above high or below low
    kCloseOutsideRange = 1u << 2,  // close above high or below low
    kCloseJumpUp = 1u << 3,        // more than 50 times the previous close
    kCloseJumpDown = 1u << 4,      // less than 1/50 of the previous close
};

// The findings for `bar`, compared with the stock's quotation before it (null: none).
unsigned CheckBar(const Quotation& bar, const Quotation* previous);

// Writes one line per finding and per repaired price (LineValues::repaired) to the log.
void WriteFindings(std::FILE* log, unsigned findings, unsigned repaired, const Quotation* previous);

}  // namespace velmora::ascii
