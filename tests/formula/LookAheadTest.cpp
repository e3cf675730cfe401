#include <gtest/gtest.h>

#include <string>

#include "formula/LookAhead.h"

namespace velmora {
namespace {

std::string Found(const char* formula) {
    const auto call = FindLookAhead(formula);
    return call ? call->Function + "@" + std::to_string(call->Line) : "none";
}

TEST(LookAhead, EachHindsightFunctionReachingASignalIsFoundWithItsLine) {
    EXPECT_EQ(Found("x = 1;\nbuy = c > zig(c, 5);\nsell = 0;"), "zig@2");
    EXPECT_EQ(Found("sell = PEAK(1, c, 5) > 0;"), "PEAK@1");
    EXPECT_EQ(Found("buy = trough(1, c, 5) == c;"), "trough@1");
    EXPECT_EQ(Found("buy = peakbars(1, c, 5) == 0;"), "peakbars@1");
    // Through variables, assigned before or after they are read (a loop may run it again).
    EXPECT_EQ(Found("t = troughbars(1, c, 5);\nu = t + 1;\n\nbuy = u == 1;"), "troughbars@1");
    EXPECT_EQ(Found("buy = later > c;\nlater = ref(c, 1);"), "ref@2");
    EXPECT_EQ(Found("buy = c > ref(c, n);"), "ref@1");  // a period that may be positive
    EXPECT_EQ(Found("n = 1; /* zig( */ buy = ref(ma(c, 5), 2);"), "ref@1");
}

TEST(LookAhead, BackwardOnlyRulesAndUnusedLookAheadAreNotWarned) {
    EXPECT_EQ(Found("buy = cross( macd(), 0 );\r\nsell = cross( 0, macd() );"), "none");
    EXPECT_EQ(Found("buy = c > ref(c, -1); sell = c < ref(ma(c, 5), 0);"), "none");
    EXPECT_EQ(Found("buy = c > ref(c, -n);"), "none");
    // zig only draws: neither signal reads it.
    EXPECT_EQ(Found("graph0 = zig(c, 5); // buy = zig(c, 5);\nbuy = c > ma(c, 20);"), "none");
    EXPECT_EQ(Found("buy = zig;"), "none");  // a variable named like the function, not a call
}

TEST(LookAhead, WarningText) {
    EXPECT_EQ(LookAheadWarning({"zig", 2}),
              "The formula looks into the future (zig in line 2): its signals are not tradable "
              "and the back test overstates results");
}

}  // namespace
}  // namespace velmora
