#pragma once
// The weekly or monthly copy of the stock a chart shows, kept for one stock at a time. The
// compression itself is CompressQuotations (database/Periodicity.h), which the formula
// evaluation uses as well.

#include <cstdint>
#include <memory>

#include "database/Periodicity.h"
#include "database/Stock.h"

namespace velmora {

// A compressed copy of one stock at a time: same header with the "continuous quotations" flag
// set. It is rebuilt when another stock or periodicity is asked for, and also when the stock's
// quotations changed since it was built (count or end dates differ).
class CompressedStockCache {
  public:
    // The stock itself for daily; else the cached compressed copy.
    const Stock& Get(const Stock& daily, Periodicity periodicity);
    void Drop();

  private:
    const Stock* source_ = nullptr;
    Periodicity periodicity_ = Periodicity::Daily;
    std::size_t count_ = 0;
    PackedDate firstDate_ = 0;
    PackedDate lastDate_ = 0;
    std::unique_ptr<Stock> copy_;
};

}  // namespace velmora
