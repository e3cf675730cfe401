#include "import/AsciiLineChecks.h"

#include <algorithm>

#include "import/AsciiFieldDecoder.h"

namespace velmora::ascii {

namespace {

constexpr float kJumpFactor = 50.0f;

}  // namespace

bool StoredDates::Record(const Stock* stock, PackedDate date) {
    if (stock != lastStock_) {
        lastStock_ = stock;
        lastDates_ = &dates_[stock];
    }
    std::vector<PackedDate>& dates = *lastDates_;
    if (dates.empty() || date > dates.back()) {
        dates.push_back(date);
        return false;
    }
    const auto at = std::lower_bound(dates.begin(), dates.end(), date);
    if (at != dates.end() && *at == date) return true;
    dates.insert(at, date);
    return false;
}

unsigned CheckBar(const Quotation& bar, const Quotation* previous) {
    unsigned findings = 0;
    if (bar.High < bar.Low) {
        // Every price lies outside an inverted range; that says nothing more.
        findings |= kHighBelowLow;
    } else {
        if (bar.Open > bar.High || bar.Open < bar.Low) findings |= kOpenOutsideRange;
        if (bar.Close > bar.High || bar.Close < bar.Low) findings |= kCloseOutsideRange;
    }
    if (previous != nullptr && previous->Close > 0) {
        if (bar.Close > previous->Close * kJumpFactor) findings |= kCloseJumpUp;
        if (bar.Close * kJumpFactor < previous->Close) findings |= kCloseJumpDown;
    }
    return findings;
}

void WriteFindings(std::FILE* log, unsigned findings, unsigned repaired,
                   const Quotation* previous) {
    if (findings & kHighBelowLow) std::fputs("High below low\n", log);
    if (findings & kOpenOutsideRange) std::fputs("Open outside low..high\n", log);
    if (findings & kCloseOutsideRange) std::fputs("Close outside low..high\n", log);
    if ((findings & (kCloseJumpUp | kCloseJumpDown)) != 0 && previous != nullptr) {
        std::fprintf(log, "Close %s the previous close (%g on %04d-%02d-%02d)\n",
                     (findings & kCloseJumpUp) ? "more than 50 times" : "less than 1/50 of",
                     static_cast<double>(previous->Close), DateYear(previous->Date),
                     DateMonth(previous->Date), DateDay(previous->Date));
    }
    if (repaired & kGivenOpen) std::fputs("Open not above 0: set to the close\n", log);
    if (repaired & kGivenHigh) {
        std::fputs("High not above 0: set to the larger of open and close\n", log);
    }
    if (repaired & kGivenLow) {
        std::fputs("Low not above 0: set to the smaller of open and close\n", log);
    }
}

}  // namespace velmora::ascii
