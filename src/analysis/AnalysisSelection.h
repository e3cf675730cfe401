#pragma once
// What the analysis runs (the scan and the backtest) take from the analysis window: which
// stocks to visit, which of their bars, and whether partially loaded stocks have their older
// quotations brought in for the run. The pieces here are shared by both runs.

#include <cstdint>

#include "database/Database.h"
#include "database/StockFilter.h"
#include "platform/Status.h"

namespace velmora {

enum class ApplyTo : std::int32_t { AllStocks = 0, CurrentStock = 1, Filter = 2 };
enum class RangeMode : std::int32_t {
    AllQuotations = 0,
    LastQuotations = 1,
    LastDays = 2,
    FromTo = 3
};

struct AnalysisSelection {
    ApplyTo applyTo = ApplyTo::AllStocks;
    RangeMode range = RangeMode::AllQuotations;
    const Stock* currentStock = nullptr;  // the stock of the active chart, if any
    int n = 7;
    PackedDate from = kNoDate;
    PackedDate to = kNoDate;
    StockFilter filter;
    // "Load remaining quotes if necessary".
    bool loadRemainingQuotes = true;
    // How the result rows write their dates.
    DateStyle dates = DateStyle::Short;
};

// Whether a run visits the stock: every stock, only the current stock, or the stocks that pass
// the filter.
bool StockTaken(const Database& db, const Stock& stock, const AnalysisSelection& selection);

// The bars [First, End) of the stock a run visits, oldest first: all bars; the last n + 1;
// those dated on or after n calendar days before the stock's last quotation; or those dated
// from..to.
struct BarRange {
    int First = 0;
    int End = 0;
    bool Empty() const { return First >= End; }
};
BarRange VisitedBars(const Stock& stock, const AnalysisSelection& selection);

// Whether a run brings in the stock's older quotations: the stock holds only its recent ones and
// the selection asks for the older ones (in the from..to range only when "from" lies before the
// first loaded date).
bool NeedsOlderQuotations(const Stock& stock, const AnalysisSelection& selection);

// Brings a partially loaded stock's older quotations into memory for a run when the selection
// asks for them (in the from..to range only when "from" lies before the first loaded date),
// and on destruction drops them again, so the stock holds what it held before. When they cannot
// be read, LoadStatus() says why and the stock keeps what it holds.
class OlderQuotationsForRun {
  public:
    OlderQuotationsForRun(Database& db, Stock& stock, const AnalysisSelection& selection);
    ~OlderQuotationsForRun();
    OlderQuotationsForRun(const OlderQuotationsForRun&) = delete;
    OlderQuotationsForRun& operator=(const OlderQuotationsForRun&) = delete;
    bool Loaded() const { return formerFirstLoaded_ != kNoDate; }
    const Status& LoadStatus() const { return status_; }

  private:
    Stock& stock_;
    Status status_;
    PackedDate formerFirstLoaded_ = kNoDate;
};

}  // namespace velmora
