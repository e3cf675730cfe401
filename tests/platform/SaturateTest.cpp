#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "platform/Saturate.h"

namespace velmora {
namespace {

TEST(Saturate, TruncatesTowardZeroAndHoldsAtTheEndsOfTheRange) {
    EXPECT_EQ(SaturateToInt32(-1.9), -1);
    EXPECT_EQ(SaturateToInt32(2147483646.9), 2147483646);
    EXPECT_EQ(SaturateToInt32(2147483647.0), kInt32Max);
    EXPECT_EQ(SaturateToInt32(1e300), kInt32Max);
    EXPECT_EQ(SaturateToInt32(-2147483647.9), -2147483647);
    EXPECT_EQ(SaturateToInt32(-2147483648.0), kInt32Min);
    EXPECT_EQ(SaturateToInt32(-INFINITY), kInt32Min);
    EXPECT_EQ(SaturateToInt32(NAN), 0);
    // Counts never go below 0.
    EXPECT_EQ(SaturateToCount(-3.0), 0);
    EXPECT_EQ(SaturateToCount(NAN), 0);
    EXPECT_EQ(SaturateToCount(7.9), 7);
    EXPECT_EQ(SaturateToCount(3e9), kInt32Max);
    EXPECT_EQ(ClampToInt32(std::int64_t{2147483648}), kInt32Max);
    EXPECT_EQ(ClampToInt32(std::int64_t{-2147483649}), kInt32Min);
    EXPECT_EQ(ClampToInt32(std::int64_t{-2147483648}), kInt32Min);
}

// The ends themselves are in range; anything past them, a fraction too, was clamped.
TEST(Saturate, SaysWhetherTheValueLayBeyondTheRange) {
    bool clamped = true;
    EXPECT_EQ(SaturateToInt32(2147483647.0, clamped), kInt32Max);
    EXPECT_FALSE(clamped);
    EXPECT_EQ(SaturateToInt32(2147483647.5, clamped), kInt32Max);
    EXPECT_TRUE(clamped);
    EXPECT_EQ(SaturateToInt32(-2147483648.0, clamped), kInt32Min);
    EXPECT_FALSE(clamped);
    EXPECT_EQ(SaturateToInt32(-2147483648.5, clamped), kInt32Min);
    EXPECT_TRUE(clamped);
    EXPECT_EQ(SaturateToInt32(NAN, clamped), 0);
    EXPECT_FALSE(clamped);
}

}  // namespace
}  // namespace velmora
