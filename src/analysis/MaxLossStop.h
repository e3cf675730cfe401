#pragma once
// The maximum loss stop of a back test: whether a bar's close ends a pending position. One rule
// serves both directions and both modes: the result the trade would have if it closed at the
// bar, as the ratio or the difference of its sell price over its buy price, is compared with
// the stop level.

namespace velmora {

class MaxLossStop {
  public:
    // `level` as SystemTestSettings::StopLevel() gives it: above 0 a ratio (1 - percent / 100),
    // below 0 a number of points (the loss allowed, negated), 0 for no stop.
    explicit MaxLossStop(double level) : level_(level) {}

    // A long bought at `entry` is stopped when close / entry, or close - entry, is at or below
    // the level.
    bool StopsLong(float entry, float close) const { return AtOrBelowLevel(close, entry); }
    // A short sold at `entry` is stopped when entry / close, or entry - close, is at or below
    // the level: the close has risen that far.
    bool StopsShort(float entry, float close) const { return AtOrBelowLevel(entry, close); }

  private:
    // The ratio and the difference are taken in single precision, as the bars hold the prices.
    bool AtOrBelowLevel(float sell, float buy) const {
        if (level_ > 0) return sell / buy <= level_;
        if (level_ < 0) return sell - buy <= level_;
        return false;
    }

    double level_;
};

}  // namespace velmora
