#pragma once
// Static detection of a trading rule that reads later bars: the functions computed with
// hindsight (zig, peak, trough, peakbars, troughbars) and ref with a period that is not
// plainly 0 or negative. The formula's statements are followed from those calls through the
// variables they assign; when "buy" or "sell" may depend on one, the rule's signals are not
// tradable. The check is conservative: a dependence through any assigned variable counts,
// whatever the control flow.

#include <optional>
#include <string>
#include <string_view>

namespace velmora {

struct LookAheadCall {
    std::string Function;  // as written
    int Line = 1;          // 1 for the first line of the formula
};

// The first look-ahead call that the buy or sell signal may depend on, or nothing.
std::optional<LookAheadCall> FindLookAhead(std::string_view formula);

// "The formula looks into the future (zig in line 2): its signals are not tradable and the
// back test overstates results".
std::string LookAheadWarning(const LookAheadCall& call);

}  // namespace velmora
