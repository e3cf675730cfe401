#pragma once
// Bars the backtest tests build by hand.

#include <vector>

#include "database/PackedDate.h"
#include "database/Stock.h"

namespace velmora::test {

// Bars on consecutive days from 24-01-01; open, high and low equal the close.
inline QuotationList Bars(const std::vector<float>& closes) {
    QuotationList bars;
    PackedDate date = MakeDate(2024, 1, 1);
    for (const float c : closes) {
        Quotation q;
        q.Date = date;
        q.Close = q.Open = q.High = q.Low = c;
        bars.push_back(q);
        date = AddDays(date, 1);
    }
    return bars;
}

}  // namespace velmora::test
