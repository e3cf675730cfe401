#include "analysis/SystemTestSettings.h"

namespace velmora {

float BarPrice(const Quotation& bar, TradePrice choice) {
    switch (choice) {
        case TradePrice::Close:
            return bar.Close;
        case TradePrice::Open:
            return bar.Open;
        case TradePrice::High:
            return bar.High;
        case TradePrice::Low:
            return bar.Low;
        case TradePrice::Average:
            return (bar.High + bar.Low) / 2;
    }
    return bar.Close;
}

double SystemTestSettings::StopLevel() const {
    switch (StopMode) {
        case kStopPercent: {
            // A loss of 100 percent or more can never be reached by a long; a level below 0
            // would otherwise be read as a point stop.
            const double level = 1.0 - static_cast<double>(StopValue) / 100.0;
            return level > 0 ? level : 0;
        }
        case kStopPoint:
            // A point stop of 0 or less is no stop; a positive level would be read as a ratio.
            return StopValue > 0 ? -static_cast<double>(StopValue) : 0;
        default:
            return 0;
    }
}

double CommissionModel::operator()(double transactionValue) const {
    switch (mode_) {
        case SystemTestSettings::kCommissionTable:
            return table_.Commission(transactionValue);
        case SystemTestSettings::kCommissionPercent:
            return transactionValue * value_ * 0.01;
        case SystemTestSettings::kCommissionPoint:
            return value_;
        default:
            return 0;
    }
}

}  // namespace velmora
