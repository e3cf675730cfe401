// The table of the 73 QRX built-in functions, in table order: name, handler, and the argument
// descriptor (leading arrays, then texts, then required numbers, then optional numbers with
// their defaults). The handlers live in Builtins*.cpp.

#include <iterator>

#include "formula/BuiltinHandlers.h"
#include "formula/Builtins.h"

namespace velmora {

namespace {

using namespace builtins;

constexpr BuiltinEntry kTable[] = {
    {"line", Line, 0, 0, 2, 0, {}},
    {"accdist", AccDist, 0, 0, 0, 0, {}},
    {"cci", Cci, 0, 0, 0, 1, {14}},
    {"chaikin", Chaikin, 0, 0, 0, 2, {9, 14}},
    {"ema", Ema, 1, 0, 1, 0, {}},
    {"ma", Ma, 1, 0, 1, 0, {}},
    {"macd", Macd, 0, 0, 0, 2, {12, 26}},
    {"mfi", Mfi, 0, 0, 0, 1, {14}},
    {"nvi", Nvi, 0, 0, 0, 0, {}},
    {"obv", Obv, 0, 0, 0, 0, {}},
    {"roc", Roc, 1, 0, 0, 1, {12}},
    {"rsi", Rsi, 0, 0, 0, 1, {14}},
    {"signal", Signal, 0, 0, 0, 3, {12, 26, 9}},
    {"stoch", Stoch, 0, 0, 0, 1, {14}},
    {"stochk", Stoch, 0, 0, 0, 1, {14}},
    {"stochd", StochD, 0, 0, 0, 1, {14}},
    {"trix", Trix, 0, 0, 0, 1, {9}},
    {"ultimate", Ultimate, 0, 0, 0, 3, {7, 14, 28}},
    {"cross", Cross, 2, 0, 0, 0, {}},
    {"hold", Hold, 1, 0, 1, 0, {}},
    {"barssince", BarsSince, 1, 0, 0, 0, {}},
    {"bbandbot", BBandBot, 1, 0, 0, 2, {15, 2}},
    {"bbandtop", BBandTop, 1, 0, 0, 2, {15, 2}},
    {"cum", Cum, 1, 0, 0, 0, {}},
    {"divergence", Divergence, 2, 0, 1, 0, {}},
    {"gapdown", GapDown, 0, 0, 0, 0, {}},
    {"gapup", GapUp, 0, 0, 0, 0, {}},
    {"highest", Highest, 1, 0, 0, 0, {}},
    {"highestbars", HighestBars, 1, 0, 0, 0, {}},
    {"hhv", Hhv, 1, 0, 1, 0, {}},
    {"hhvbars", HhvBars, 1, 0, 1, 0, {}},
    {"iif", Iif, 3, 0, 0, 0, {}},
    {"inside", Inside, 0, 0, 0, 0, {}},
    {"lastvalue", LastValue, 1, 0, 0, 0, {}},
    {"lowest", Lowest, 1, 0, 0, 0, {}},
    {"lowestbars", LowestBars, 1, 0, 0, 0, {}},
    {"llv", Llv, 1, 0, 1, 0, {}},
    {"llvbars", LlvBars, 1, 0, 1, 0, {}},
    {"max", Max, 2, 0, 0, 0, {}},
    {"min", Min, 2, 0, 0, 0, {}},
    {"outside", Outside, 0, 0, 0, 0, {}},
    {"pvi", Pvi, 0, 0, 0, 0, {}},
    {"prec", Prec, 1, 0, 1, 0, {}},
    {"ref", Ref, 1, 0, 1, 0, {}},
    {"sum", Sum, 1, 0, 1, 0, {}},
    {"writeif", WriteIf, 1, 2, 0, 0, {}},
    {"writeval", WriteVal, 1, 0, 0, 1, {8.3f}},
    {"name", Name, 0, 0, 0, 0, {}},
    {"fullname", FullName, 0, 0, 0, 0, {}},
    {"date", Date, 0, 0, 0, 0, {}},
    {"oscp", OscP, 0, 0, 2, 0, {}},
    {"oscv", OscV, 0, 0, 2, 0, {}},
    {"zig", Zig, 1, 0, 1, 0, {}},
    {"peak", Peak, 1, 0, 1, 1, {1}},
    {"peakbars", PeakBars, 1, 0, 1, 1, {1}},
    {"trough", Trough, 1, 0, 1, 1, {1}},
    {"troughbars", TroughBars, 1, 0, 1, 1, {1}},
    {"valuewhen", ValueWhen, 2, 0, 0, 1, {1}},
    {"advissues", AdvIssues, 0, 0, 0, 0, {}},
    {"decissues", DecIssues, 0, 0, 0, 0, {}},
    {"uncissues", UncIssues, 0, 0, 0, 0, {}},
    {"advvolume", AdvVolume, 0, 0, 0, 0, {}},
    {"decvolume", DecVolume, 0, 0, 0, 0, {}},
    {"uncvolume", UncVolume, 0, 0, 0, 0, {}},
    {"trin", Trin, 0, 0, 0, 0, {}},
    {"adline", AdLine, 0, 0, 0, 0, {}},
    {"sar", Sar, 0, 0, 0, 2, {0.02f, 0.2f}},
    {"pdi", Pdi, 0, 0, 0, 1, {14}},
    {"mdi", Mdi, 0, 0, 0, 1, {14}},
    {"adx", Adx, 0, 0, 0, 1, {14}},
    {"atr", Atr, 0, 0, 1, 0, {}},
    {"relstrength", RelStrength, 0, 1, 0, 0, {}},
    {"optimize", Optimize, 0, 1, 4, 0, {}},
};

static_assert(std::size(kTable) == 73, "the table holds the 73 built-ins");

}  // namespace

std::span<const BuiltinEntry> BuiltinTable() {
    return kTable;
}

}  // namespace velmora
