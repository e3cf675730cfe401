#pragma once
// The handlers of the QRX built-in functions (internal to the formula library; the table in
// BuiltinTable.cpp lists them with their argument descriptors). Each receives the completed
// argument vector in written order and returns a number, a new array of the bar count, a text,
// or Value::None() after a report.

#include "formula/Evaluator.h"
#include "formula/Value.h"

namespace velmora::builtins {

using Handler = Value(Evaluator& evaluator, int count, const Value* args);

// Indicators over the bound stock's price arrays or their array arguments.
Handler Line, AccDist, Cci, Chaikin, Ema, Ma, Macd, Mfi, Nvi, Obv, Roc, Rsi, Signal, Stoch, StochD,
    Trix, Ultimate, Cross, Hold, BarsSince, BBandBot, BBandTop, Cum, Divergence, GapDown, GapUp,
    Highest, HighestBars, Hhv, HhvBars, Iif, Inside, Lowest, LowestBars, Llv, LlvBars, Max, Min,
    Outside, Pvi, Prec, Ref, Sum, OscP, OscV, Zig, Peak, PeakBars, Trough, TroughBars, ValueWhen,
    Trin, AdLine, Sar, Pdi, Mdi, Adx, Atr;

// Built-ins that read the selected bar, the bound stock, the database or the market arrays.
Handler LastValue, WriteIf, WriteVal, Name, FullName, Date, RelStrength, AdvIssues, DecIssues,
    UncIssues, AdvVolume, DecVolume, UncVolume;

// optimize("name", default, min, max, step): the value assigned to the name, else the default.
Handler Optimize;

// A count of bars (period, n-th occurrence, decimal places): the number truncated toward zero,
// held within +-2e9 (NaN gives 0).
int BarCountArg(const Value& v);

}  // namespace velmora::builtins
