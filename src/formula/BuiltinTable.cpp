// The built-in function table. This first part holds the rows the engine's own tests need
// (the constant line, the simple average, the bar-valued and text built-ins, and the market
// arrays); the indicator rows join it in table order.

#include <cstring>

#include "database/Stock.h"
#include "formula/Builtins.h"
#include "formula/FormulaEngine.h"

namespace velmora {

namespace {

// Counts of bars are truncated toward zero.
int BarsArg(const Value& v) {
    const float f = v.number;
    if (!(f > -2.0e9f && f < 2.0e9f)) return f > 0 ? 2'000'000'000 : -2'000'000'000;
    return static_cast<int>(f);
}

// The first bar whose value is not EMPTY (n when there is none).
int FirstValue(const float* v, int n) {
    int s = 0;
    while (s < n && v[s] == EMPTY) ++s;
    return s;
}

// line(start, slope): start + slope * i at bar i.
Value Line(FormulaEngine& e, int, const Value* args) {
    float* out = e.NewArray();
    if (out == nullptr) return Value::None();
    const float start = args[0].number, slope = args[1].number;
    for (int i = 0; i < e.BarCount(); ++i) out[i] = start + slope * static_cast<float>(i);
    return Value::Array(out);
}

// ma(array, periods): simple average over a double running sum; EMPTY up to bar s + p - 1,
// where s is the first bar with a value.
Value Ma(FormulaEngine& e, int, const Value* args) {
    float* out = e.NewArray();
    if (out == nullptr) return Value::None();
    const int n = e.BarCount();
    const float* v = args[0].array;
    const int p = BarsArg(args[1]);
    const int s = FirstValue(v, n);
    double sum = 0;
    for (int i = 0; i < n; ++i) {
        if (i < s || p <= 0) {
            out[i] = EMPTY;
            continue;
        }
        sum += v[i];
        if (i - p >= s) sum -= v[i - p];
        out[i] = i < s + p ? EMPTY : static_cast<float>(sum / p);
    }
    return Value::Array(out);
}

// roc(array, [periods = 12]): rate of change in percent against the bar `periods` earlier;
// 0 where that bar is 0.
Value Roc(FormulaEngine& e, int, const Value* args) {
    float* out = e.NewArray();
    if (out == nullptr) return Value::None();
    const int n = e.BarCount();
    const float* v = args[0].array;
    const int p = BarsArg(args[1]);
    const int s = FirstValue(v, n);
    for (int i = 0; i < n; ++i) {
        if (i < s || p < 0 || i - s < p) {
            out[i] = EMPTY;
            continue;
        }
        const float q = v[i - p];
        out[i] = q == 0.0f ? 0.0f : (v[i] - q) * 100.0f / q;
    }
    return Value::Array(out);
}

// lastvalue(array): the element at the selected bar as a number; EMPTY (or a selected bar
// outside the bars) gives 0.
Value LastValue(FormulaEngine& e, int, const Value* args) {
    if (!e.SelectedBarValid()) return Value::Number(0.0f);
    const float x = args[0].array[e.SelectedBar()];
    return Value::Number(x == EMPTY ? 0.0f : x);
}

// writeif(condition, text if true, text if false): one of the two texts, by the condition at
// the selected bar.
Value WriteIf(FormulaEngine& e, int, const Value* args) {
    const bool yes = e.SelectedBarValid() && IsTrue(args[0].array[e.SelectedBar()]);
    return yes ? args[1] : args[2];
}

Value Name(FormulaEngine& e, int, const Value*) {
    const char* s = e.NewString(e.BoundStock() ? e.BoundStock()->Ticker.View() : "");
    return s ? Value::String(s) : Value::None();
}

Value FullName(FormulaEngine& e, int, const Value*) {
    const char* s = e.NewString(e.BoundStock() ? e.BoundStock()->FullName.View() : "");
    return s ? Value::String(s) : Value::None();
}

template <MarketField F>
Value Market(FormulaEngine& e, int, const Value*) {
    return Value::Array(e.MarketArray(F));
}

constexpr BuiltinEntry kTable[] = {
    {"line", Line, 0, 0, 2, 0, {}},
    {"ma", Ma, 1, 0, 1, 0, {}},
    {"roc", Roc, 1, 0, 0, 1, {12.0f}},
    {"lastvalue", LastValue, 1, 0, 0, 0, {}},
    {"writeif", WriteIf, 1, 2, 0, 0, {}},
    {"name", Name, 0, 0, 0, 0, {}},
    {"fullname", FullName, 0, 0, 0, 0, {}},
    {"advissues", Market<MarketField::AdvIssues>, 0, 0, 0, 0, {}},
    {"decissues", Market<MarketField::DecIssues>, 0, 0, 0, 0, {}},
    {"uncissues", Market<MarketField::UncIssues>, 0, 0, 0, 0, {}},
    {"advvolume", Market<MarketField::AdvVolume>, 0, 0, 0, 0, {}},
    {"decvolume", Market<MarketField::DecVolume>, 0, 0, 0, 0, {}},
    {"uncvolume", Market<MarketField::UncVolume>, 0, 0, 0, 0, {}},
};

}  // namespace

std::span<const BuiltinEntry> BuiltinTable() {
    return kTable;
}

}  // namespace velmora
