#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "analysis/MaxLossStop.h"
#include "analysis/SystemTestSettings.h"

namespace velmora {
namespace {

// The stop the settings of a back test make.
MaxLossStop StopOf(std::int32_t mode, float value) {
    SystemTestSettings s;
    s.StopMode = mode;
    s.StopValue = value;
    return MaxLossStop(s.StopLevel());
}

float Above(float v) {
    return std::nextafter(v, std::numeric_limits<float>::infinity());
}
float Below(float v) {
    return std::nextafter(v, 0.0f);
}

// 25 percent: a level of exactly 0.75, which 6 / 8 meets exactly in single precision.
TEST(MaxLossStop, LongPercentStopsAtExactlyTheLevel) {
    const MaxLossStop stop = StopOf(SystemTestSettings::kStopPercent, 25);
    EXPECT_TRUE(stop.StopsLong(8, 6));
    EXPECT_FALSE(stop.StopsLong(8, Above(6)));
    EXPECT_TRUE(stop.StopsLong(8, 5));
}

TEST(MaxLossStop, ShortPercentStopsWhenTheCloseRisesToTheLevel) {
    const MaxLossStop stop = StopOf(SystemTestSettings::kStopPercent, 25);
    EXPECT_TRUE(stop.StopsShort(6, 8));          // 6 / 8 = 0.75
    EXPECT_FALSE(stop.StopsShort(6, Below(8)));  // just above 0.75
    EXPECT_FALSE(stop.StopsShort(6, 4));         // a falling close is the short's gain
}

// 2 points: a level of -2.
TEST(MaxLossStop, PointStopsAtExactlyThatManyPoints) {
    const MaxLossStop stop = StopOf(SystemTestSettings::kStopPoint, 2);
    EXPECT_TRUE(stop.StopsLong(10, 8));
    EXPECT_FALSE(stop.StopsLong(10, Above(8)));
    EXPECT_TRUE(stop.StopsShort(10, 12));
    EXPECT_FALSE(stop.StopsShort(10, Below(12)));
    EXPECT_FALSE(stop.StopsShort(10, 8));
}

TEST(MaxLossStop, DisabledStopNeverStops) {
    const MaxLossStop stop = StopOf(SystemTestSettings::kStopDisabled, 25);
    EXPECT_FALSE(stop.StopsLong(10, 0.01f));
    EXPECT_FALSE(stop.StopsShort(10, 1000));
}

}  // namespace
}  // namespace velmora
