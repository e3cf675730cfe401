// The thin built-in handlers: each makes its result array and calls one indicator routine on
// its argument arrays or on the bound stock's price, quotation or market data.

#include <algorithm>
#include <span>
#include <vector>

#include "database/Stock.h"
#include "formula/BuiltinHandlers.h"
#include "formula/IndicatorMath.h"

namespace velmora::builtins {

static_assert(indicators::EMPTY == EMPTY, "one EMPTY for the engine and the indicator math");

int BarCountArg(const Value& v) {
    const float f = v.number;
    if (!(f == f)) return 0;
    if (f >= 2.0e9f) return 2'000'000'000;
    if (f <= -2.0e9f) return -2'000'000'000;
    return static_cast<int>(f);
}

namespace {

namespace ind = velmora::indicators;

// Makes the result array and lets `fill` write it (n, out).
template <typename Fill>
Value Make(FormulaEngine& e, Fill fill) {
    float* out = e.NewArray();
    if (out == nullptr) return Value::None();
    fill(e.BarCount(), out);
    return Value::Array(out);
}

const float* Price(FormulaEngine& e, PriceField field) {
    return e.PriceArray(field);
}
const float* C(FormulaEngine& e) {
    return Price(e, PriceField::Close);
}
const float* H(FormulaEngine& e) {
    return Price(e, PriceField::High);
}
const float* L(FormulaEngine& e) {
    return Price(e, PriceField::Low);
}
const float* A(FormulaEngine& e) {
    return Price(e, PriceField::Avg);
}
const float* V(FormulaEngine& e) {
    return Price(e, PriceField::Volume);
}

// The bound stock's quotations, one per bar (bars without one, which a consistent run never
// has, are EMPTY).
template <typename Fill>
Value FromQuotes(FormulaEngine& e, Fill fill) {
    return Make(e, [&](int n, float* out) {
        std::span<const Quotation> quotes;
        if (e.BoundStock() != nullptr) quotes = e.BoundStock()->Quotations;
        quotes = quotes.first(std::min<std::size_t>(quotes.size(), static_cast<std::size_t>(n)));
        fill(quotes, out);
        std::fill(out + quotes.size(), out + n, EMPTY);
    });
}

int P(const Value* args, int index) {
    return BarCountArg(args[index]);
}

}  // namespace

Value Line(FormulaEngine& e, int, const Value* a) {
    return Make(e, [&](int n, float* out) {
        const float start = a[0].number;
        const float slope = a[1].number;
        for (int i = 0; i < n; ++i) out[i] = start + slope * static_cast<float>(i);
    });
}

Value AccDist(FormulaEngine& e, int, const Value*) {
    return FromQuotes(
        e, [](std::span<const Quotation> q, float* out) { ind::AccumulationDistribution(q, out); });
}

Value Obv(FormulaEngine& e, int, const Value*) {
    return FromQuotes(
        e, [](std::span<const Quotation> q, float* out) { ind::OnBalanceVolume(q, out); });
}

Value Chaikin(FormulaEngine& e, int, const Value* a) {
    return FromQuotes(e, [&](std::span<const Quotation> q, float* out) {
        std::vector<float> line(q.size());
        ind::AccumulationDistribution(q, line.data());
        ind::Chaikin(static_cast<int>(q.size()), P(a, 0), P(a, 1), line.data(), out);
    });
}

Value Cci(FormulaEngine& e, int, const Value* a) {
    return Make(e, [&](int n, float* out) { ind::Cci(n, P(a, 0), A(e), out); });
}

Value Ema(FormulaEngine& e, int, const Value* a) {
    return Make(e,
                [&](int n, float* out) { ind::ExponentialAverage(n, P(a, 1), a[0].array, out); });
}

Value Ma(FormulaEngine& e, int, const Value* a) {
    return Make(e, [&](int n, float* out) { ind::MovingAverage(n, P(a, 1), a[0].array, out); });
}

Value Macd(FormulaEngine& e, int, const Value* a) {
    return Make(e, [&](int n, float* out) { ind::Macd(n, P(a, 0), P(a, 1), C(e), out); });
}

Value Signal(FormulaEngine& e, int, const Value* a) {
    return Make(
        e, [&](int n, float* out) { ind::MacdSignal(n, P(a, 0), P(a, 1), P(a, 2), C(e), out); });
}

Value Mfi(FormulaEngine& e, int, const Value* a) {
    return Make(e, [&](int n, float* out) { ind::Mfi(n, P(a, 0), A(e), V(e), out); });
}

Value Nvi(FormulaEngine& e, int, const Value*) {
    return Make(e, [&](int n, float* out) { ind::NegativeVolumeIndex(n, C(e), V(e), out); });
}

Value Pvi(FormulaEngine& e, int, const Value*) {
    return Make(e, [&](int n, float* out) { ind::PositiveVolumeIndex(n, C(e), V(e), out); });
}

Value Roc(FormulaEngine& e, int, const Value* a) {
    return Make(e, [&](int n, float* out) { ind::RateOfChange(n, P(a, 1), a[0].array, out); });
}

Value Rsi(FormulaEngine& e, int, const Value* a) {
    return Make(e, [&](int n, float* out) { ind::Rsi(n, P(a, 0), C(e), out); });
}

Value Stoch(FormulaEngine& e, int, const Value* a) {
    return Make(e, [&](int n, float* out) { ind::Stochastic(n, P(a, 0), C(e), out, nullptr); });
}

Value StochD(FormulaEngine& e, int, const Value* a) {
    return Make(e, [&](int n, float* out) { ind::Stochastic(n, P(a, 0), C(e), nullptr, out); });
}

Value Trix(FormulaEngine& e, int, const Value* a) {
    return Make(e, [&](int n, float* out) { ind::Trix(n, P(a, 0), C(e), out); });
}

Value Ultimate(FormulaEngine& e, int, const Value* a) {
    return Make(e, [&](int n, float* out) {
        ind::UltimateOscillator(n, P(a, 0), P(a, 1), P(a, 2), C(e), out);
    });
}

Value Cross(FormulaEngine& e, int, const Value* a) {
    return Make(e, [&](int n, float* out) { ind::Cross(n, a[0].array, a[1].array, out); });
}

Value Hold(FormulaEngine& e, int, const Value* a) {
    return Make(e, [&](int n, float* out) { ind::Hold(n, P(a, 1), a[0].array, out); });
}

Value BarsSince(FormulaEngine& e, int, const Value* a) {
    return Make(e, [&](int n, float* out) { ind::BarsSince(n, a[0].array, out); });
}

Value BBandBot(FormulaEngine& e, int, const Value* a) {
    return Make(e, [&](int n, float* out) {
        ind::BollingerBand(n, P(a, 1), -a[2].number, a[0].array, out);
    });
}

Value BBandTop(FormulaEngine& e, int, const Value* a) {
    return Make(e, [&](int n, float* out) {
        ind::BollingerBand(n, P(a, 1), a[2].number, a[0].array, out);
    });
}

Value Cum(FormulaEngine& e, int, const Value* a) {
    return Make(e, [&](int n, float* out) { ind::CumulativeSum(n, a[0].array, out); });
}

Value Divergence(FormulaEngine& e, int, const Value* a) {
    return Make(e, [&](int n, float* out) {
        ind::Divergence(n, a[2].number, a[0].array, a[1].array, out);
    });
}

Value GapDown(FormulaEngine& e, int, const Value*) {
    return Make(e, [&](int n, float* out) { ind::GapDown(n, H(e), L(e), out); });
}

Value GapUp(FormulaEngine& e, int, const Value*) {
    return Make(e, [&](int n, float* out) { ind::GapUp(n, H(e), L(e), out); });
}

Value Inside(FormulaEngine& e, int, const Value*) {
    return Make(e, [&](int n, float* out) { ind::InsideBar(n, H(e), L(e), out); });
}

Value Outside(FormulaEngine& e, int, const Value*) {
    return Make(e, [&](int n, float* out) { ind::OutsideBar(n, H(e), L(e), out); });
}

Value Highest(FormulaEngine& e, int, const Value* a) {
    return Make(e, [&](int n, float* out) { ind::Highest(n, a[0].array, out, nullptr); });
}

Value HighestBars(FormulaEngine& e, int, const Value* a) {
    return Make(e, [&](int n, float* out) { ind::Highest(n, a[0].array, nullptr, out); });
}

Value Lowest(FormulaEngine& e, int, const Value* a) {
    return Make(e, [&](int n, float* out) { ind::Lowest(n, a[0].array, out, nullptr); });
}

Value LowestBars(FormulaEngine& e, int, const Value* a) {
    return Make(e, [&](int n, float* out) { ind::Lowest(n, a[0].array, nullptr, out); });
}

Value Hhv(FormulaEngine& e, int, const Value* a) {
    return Make(e,
                [&](int n, float* out) { ind::HighestHigh(n, P(a, 1), a[0].array, out, nullptr); });
}

Value HhvBars(FormulaEngine& e, int, const Value* a) {
    return Make(e,
                [&](int n, float* out) { ind::HighestHigh(n, P(a, 1), a[0].array, nullptr, out); });
}

Value Llv(FormulaEngine& e, int, const Value* a) {
    return Make(e,
                [&](int n, float* out) { ind::LowestLow(n, P(a, 1), a[0].array, out, nullptr); });
}

Value LlvBars(FormulaEngine& e, int, const Value* a) {
    return Make(e,
                [&](int n, float* out) { ind::LowestLow(n, P(a, 1), a[0].array, nullptr, out); });
}

Value Iif(FormulaEngine& e, int, const Value* a) {
    return Make(e,
                [&](int n, float* out) { ind::Iif(n, a[0].array, a[1].array, a[2].array, out); });
}

Value Max(FormulaEngine& e, int, const Value* a) {
    return Make(e, [&](int n, float* out) { ind::Max(n, a[0].array, a[1].array, out); });
}

Value Min(FormulaEngine& e, int, const Value* a) {
    return Make(e, [&](int n, float* out) { ind::Min(n, a[0].array, a[1].array, out); });
}

Value Prec(FormulaEngine& e, int, const Value* a) {
    return Make(e, [&](int n, float* out) { ind::Precision(n, P(a, 1), a[0].array, out); });
}

Value Ref(FormulaEngine& e, int, const Value* a) {
    return Make(e, [&](int n, float* out) { ind::Ref(n, P(a, 1), a[0].array, out); });
}

Value Sum(FormulaEngine& e, int, const Value* a) {
    return Make(e, [&](int n, float* out) { ind::MovingSum(n, P(a, 1), a[0].array, out); });
}

Value OscP(FormulaEngine& e, int, const Value* a) {
    return Make(e, [&](int n, float* out) { ind::Oscillator(n, P(a, 0), P(a, 1), C(e), out); });
}

Value OscV(FormulaEngine& e, int, const Value* a) {
    return Make(e, [&](int n, float* out) { ind::Oscillator(n, P(a, 0), P(a, 1), V(e), out); });
}

Value Zig(FormulaEngine& e, int, const Value* a) {
    return Make(e, [&](int n, float* out) { ind::ZigZag(n, a[1].number, a[0].array, out); });
}

Value Peak(FormulaEngine& e, int, const Value* a) {
    return Make(e, [&](int n, float* out) { ind::Peak(n, a[1].number, P(a, 2), a[0].array, out); });
}

Value PeakBars(FormulaEngine& e, int, const Value* a) {
    return Make(
        e, [&](int n, float* out) { ind::PeakBars(n, a[1].number, P(a, 2), a[0].array, out); });
}

Value Trough(FormulaEngine& e, int, const Value* a) {
    return Make(e,
                [&](int n, float* out) { ind::Trough(n, a[1].number, P(a, 2), a[0].array, out); });
}

Value TroughBars(FormulaEngine& e, int, const Value* a) {
    return Make(
        e, [&](int n, float* out) { ind::TroughBars(n, a[1].number, P(a, 2), a[0].array, out); });
}

Value ValueWhen(FormulaEngine& e, int, const Value* a) {
    return Make(
        e, [&](int n, float* out) { ind::ValueWhen(n, P(a, 2), a[0].array, a[1].array, out); });
}

Value Trin(FormulaEngine& e, int, const Value*) {
    const float* advIssues = e.MarketArray(MarketField::AdvIssues);
    const float* decIssues = e.MarketArray(MarketField::DecIssues);
    const float* advVolume = e.MarketArray(MarketField::AdvVolume);
    const float* decVolume = e.MarketArray(MarketField::DecVolume);
    return Make(e, [&](int n, float* out) {
        ind::Trin(n, advIssues, decIssues, advVolume, decVolume, out);
    });
}

Value AdLine(FormulaEngine& e, int, const Value*) {
    const float* advIssues = e.MarketArray(MarketField::AdvIssues);
    const float* decIssues = e.MarketArray(MarketField::DecIssues);
    const float* uncIssues = e.MarketArray(MarketField::UncIssues);
    return Make(e, [&](int n, float* out) {
        ind::AdvanceDeclineLine(n, advIssues, decIssues, uncIssues, out);
    });
}

Value Sar(FormulaEngine& e, int, const Value* a) {
    return Make(e, [&](int n, float* out) {
        ind::ParabolicSar(n, a[0].number, a[1].number, H(e), L(e), out);
    });
}

Value Pdi(FormulaEngine& e, int, const Value* a) {
    return Make(
        e, [&](int n, float* out) { ind::PlusDirectional(n, P(a, 0), C(e), H(e), L(e), out); });
}

Value Mdi(FormulaEngine& e, int, const Value* a) {
    return Make(
        e, [&](int n, float* out) { ind::MinusDirectional(n, P(a, 0), C(e), H(e), L(e), out); });
}

Value Adx(FormulaEngine& e, int, const Value* a) {
    return Make(
        e, [&](int n, float* out) { ind::AverageDirectional(n, P(a, 0), C(e), H(e), L(e), out); });
}

Value Atr(FormulaEngine& e, int, const Value* a) {
    return Make(
        e, [&](int n, float* out) { ind::AverageTrueRange(n, P(a, 0), C(e), H(e), L(e), out); });
}

}  // namespace velmora::builtins
