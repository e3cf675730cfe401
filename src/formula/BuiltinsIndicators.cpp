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
Value Make(Evaluator& e, Fill fill) {
    float* out = e.NewArray();
    if (out == nullptr) return Value::None();
    fill(e.BarCount(), out);
    return Value::Array(out);
}

const float* Price(Evaluator& e, PriceField field) {
    return e.PriceArray(field);
}
const float* C(Evaluator& e) {
    return Price(e, PriceField::Close);
}
const float* H(Evaluator& e) {
    return Price(e, PriceField::High);
}
const float* L(Evaluator& e) {
    return Price(e, PriceField::Low);
}
const float* A(Evaluator& e) {
    return Price(e, PriceField::Avg);
}
const float* V(Evaluator& e) {
    return Price(e, PriceField::Volume);
}

// The bound stock's quotations, one per bar (bars without one, which a consistent run never
// has, are EMPTY).
template <typename Fill>
Value FromQuotes(Evaluator& e, Fill fill) {
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

Value Line(Evaluator& e, int, const Value* a) {
    return Make(e, [&](int n, float* out) {
        const float start = a[0].number;
        const float slope = a[1].number;
        for (int i = 0; i < n; ++i) out[i] = start + slope * static_cast<float>(i);
    });
}

Value AccDist(Evaluator& e, int, const Value*) {
    return FromQuotes(
        e, [](std::span<const Quotation> q, float* out) { ind::AccumulationDistribution(q, out); });
}

Value Obv(Evaluator& e, int, const Value*) {
    return FromQuotes(
        e, [](std::span<const Quotation> q, float* out) { ind::OnBalanceVolume(q, out); });
}

Value Chaikin(Evaluator& e, int, const Value* a) {
    return FromQuotes(e, [&](std::span<const Quotation> q, float* out) {
        std::vector<float> line(q.size());
        ind::AccumulationDistribution(q, line.data());
        ind::Chaikin(static_cast<int>(q.size()), P(a, 0), P(a, 1), line.data(), out);
    });
}

Value Cci(Evaluator& e, int, const Value* a) {
    return Make(e, [&](int n, float* out) { ind::Cci(n, P(a, 0), A(e), out); });
}

Value Ema(Evaluator& e, int, const Value* a) {
    return Make(e,
                [&](int n, float* out) { ind::ExponentialAverage(n, P(a, 1), a[0].array, out); });
}

Value Ma(Evaluator& e, int, const Value* a) {
    return Make(e, [&](int n, float* out) { ind::MovingAverage(n, P(a, 1), a[0].array, out); });
}

Value Macd(Evaluator& e, int, const Value* a) {
    return Make(e, [&](int n, float* out) { ind::Macd(n, P(a, 0), P(a, 1), C(e), out); });
}

Value Signal(Evaluator& e, int, const Value* a) {
    return Make(
        e, [&](int n, float* out) { ind::MacdSignal(n, P(a, 0), P(a, 1), P(a, 2), C(e), out); });
}

Value Mfi(Evaluator& e, int, const Value* a) {
    return Make(e, [&](int n, float* out) { ind::Mfi(n, P(a, 0), A(e), V(e), out); });
}

Value Nvi(Evaluator& e, int, const Value*) {
    return Make(e, [&](int n, float* out) { ind::NegativeVolumeIndex(n, C(e), V(e), out); });
}

Value Pvi(Evaluator& e, int, const Value*) {
    return Make(e, [&](int n, float* out) { ind::PositiveVolumeIndex(n, C(e), V(e), out); });
}

Value Roc(Evaluator& e, int, const Value* a) {
    return Make(e, [&](int n, float* out) { ind::RateOfChange(n, P(a, 1), a[0].array, out); });
}

Value Rsi(Evaluator& e, int, const Value* a) {
    return Make(e, [&](int n, float* out) { ind::Rsi(n, P(a, 0), C(e), out); });
}

Value Stoch(Evaluator& e, int, const Value* a) {
    return Make(e, [&](int n, float* out) { ind::Stochastic(n, P(a, 0), C(e), out, nullptr); });
}

Value StochD(Evaluator& e, int, const Value* a) {
    return Make(e, [&](int n, float* out) { ind::Stochastic(n, P(a, 0), C(e), nullptr, out); });
}

Value Trix(Evaluator& e, int, const Value* a) {
    return Make(e, [&](int n, float* out) { ind::Trix(n, P(a, 0), C(e), out); });
}

Value Ultimate(Evaluator& e, int, const Value* a) {
    return Make(e, [&](int n, float* out) {
        ind::UltimateOscillator(n, P(a, 0), P(a, 1), P(a, 2), C(e), out);
    });
}

Value Cross(Evaluator& e, int, const Value* a) {
    return Make(e, [&](int n, float* out) { ind::Cross(n, a[0].array, a[1].array, out); });
}

Value Hold(Evaluator& e, int, const Value* a) {
    return Make(e, [&](int n, float* out) { ind::Hold(n, P(a, 1), a[0].array, out); });
}

Value BarsSince(Evaluator& e, int, const Value* a) {
    return Make(e, [&](int n, float* out) { ind::BarsSince(n, a[0].array, out); });
}

Value BBandBot(Evaluator& e, int, const Value* a) {
    return Make(e, [&](int n, float* out) {
        ind::BollingerBand(n, P(a, 1), -a[2].number, a[0].array, out);
    });
}

Value BBandTop(Evaluator& e, int, const Value* a) {
    return Make(e, [&](int n, float* out) {
        ind::BollingerBand(n, P(a, 1), a[2].number, a[0].array, out);
    });
}

Value Cum(Evaluator& e, int, const Value* a) {
    return Make(e, [&](int n, float* out) { ind::CumulativeSum(n, a[0].array, out); });
}

Value Divergence(Evaluator& e, int, const Value* a) {
    return Make(e, [&](int n, float* out) {
        ind::Divergence(n, a[2].number, a[0].array, a[1].array, out);
    });
}

Value GapDown(Evaluator& e, int, const Value*) {
    return Make(e, [&](int n, float* out) { ind::GapDown(n, H(e), L(e), out); });
}

Value GapUp(Evaluator& e, int, const Value*) {
    return Make(e, [&](int n, float* out) { ind::GapUp(n, H(e), L(e), out); });
}

Value Inside(Evaluator& e, int, const Value*) {
    return Make(e, [&](int n, float* out) { ind::InsideBar(n, H(e), L(e), out); });
}

Value Outside(Evaluator& e, int, const Value*) {
    return Make(e, [&](int n, float* out) { ind::OutsideBar(n, H(e), L(e), out); });
}

Value Highest(Evaluator& e, int, const Value* a) {
    return Make(e, [&](int n, float* out) { ind::Highest(n, a[0].array, out, nullptr); });
}

Value HighestBars(Evaluator& e, int, const Value* a) {
    return Make(e, [&](int n, float* out) { ind::Highest(n, a[0].array, nullptr, out); });
}

Value Lowest(Evaluator& e, int, const Value* a) {
    return Make(e, [&](int n, float* out) { ind::Lowest(n, a[0].array, out, nullptr); });
}

Value LowestBars(Evaluator& e, int, const Value* a) {
    return Make(e, [&](int n, float* out) { ind::Lowest(n, a[0].array, nullptr, out); });
}

Value Hhv(Evaluator& e, int, const Value* a) {
    return Make(e,
                [&](int n, float* out) { ind::HighestHigh(n, P(a, 1), a[0].array, out, nullptr); });
}

Value HhvBars(Evaluator& e, int, const Value* a) {
    return Make(e,
                [&](int n, float* out) { ind::HighestHigh(n, P(a, 1), a[0].array, nullptr, out); });
}

Value Llv(Evaluator& e, int, const Value* a) {
    return Make(e,
                [&](int n, float* out) { ind::LowestLow(n, P(a, 1), a[0].array, out, nullptr); });
}

Value LlvBars(Evaluator& e, int, const Value* a) {
    return Make(e,
                [&](int n, float* out) { ind::LowestLow(n, P(a, 1), a[0].array, nullptr, out); });
}

Value Iif(Evaluator& e, int, const Value* a) {
    return Make(e,
                [&](int n, float* out) { ind::Iif(n, a[0].array, a[1].array, a[2].array, out); });
}

Value Max(Evaluator& e, int, const Value* a) {
    return Make(e, [&](int n, float* out) { ind::Max(n, a[0].array, a[1].array, out); });
}

Value Min(Evaluator& e, int, const Value* a) {
    return Make(e, [&](int n, float* out) { ind::Min(n, a[0].array, a[1].array, out); });
}

Value Prec(Evaluator& e, int, const Value* a) {
    return Make(e, [&](int n, float* out) { ind::Precision(n, P(a, 1), a[0].array, out); });
}

Value Ref(Evaluator& e, int, const Value* a) {
    return Make(e, [&](int n, float* out) { ind::Ref(n, P(a, 1), a[0].array, out); });
}

Value Sum(Evaluator& e, int, const Value* a) {
    return Make(e, [&](int n, float* out) { ind::MovingSum(n, P(a, 1), a[0].array, out); });
}

Value OscP(Evaluator& e, int, const Value* a) {
    return Make(e, [&](int n, float* out) { ind::Oscillator(n, P(a, 0), P(a, 1), C(e), out); });
}

Value OscV(Evaluator& e, int, const Value* a) {
    return Make(e, [&](int n, float* out) { ind::Oscillator(n, P(a, 0), P(a, 1), V(e), out); });
}

Value Zig(Evaluator& e, int, const Value* a) {
    return Make(e, [&](int n, float* out) { ind::ZigZag(n, a[1].number, a[0].array, out); });
}

Value Peak(Evaluator& e, int, const Value* a) {
    return Make(e, [&](int n, float* out) { ind::Peak(n, a[1].number, P(a, 2), a[0].array, out); });
}

Value PeakBars(Evaluator& e, int, const Value* a) {
    return Make(
        e, [&](int n, float* out) { ind::PeakBars(n, a[1].number, P(a, 2), a[0].array, out); });
}

Value Trough(Evaluator& e, int, const Value* a) {
    return Make(e,
                [&](int n, float* out) { ind::Trough(n, a[1].number, P(a, 2), a[0].array, out); });
}

Value TroughBars(Evaluator& e, int, const Value* a) {
    return Make(
        e, [&](int n, float* out) { ind::TroughBars(n, a[1].number, P(a, 2), a[0].array, out); });
}

Value ValueWhen(Evaluator& e, int, const Value* a) {
    return Make(
        e, [&](int n, float* out) { ind::ValueWhen(n, P(a, 2), a[0].array, a[1].array, out); });
}

Value Trin(Evaluator& e, int, const Value*) {
    const float* advIssues = e.MarketArray(MarketField::AdvIssues);
    const float* decIssues = e.MarketArray(MarketField::DecIssues);
    const float* advVolume = e.MarketArray(MarketField::AdvVolume);
    const float* decVolume = e.MarketArray(MarketField::DecVolume);
    return Make(e, [&](int n, float* out) {
        ind::Trin(n, advIssues, decIssues, advVolume, decVolume, out);
    });
}

Value AdLine(Evaluator& e, int, const Value*) {
    const float* advIssues = e.MarketArray(MarketField::AdvIssues);
    const float* decIssues = e.MarketArray(MarketField::DecIssues);
    const float* uncIssues = e.MarketArray(MarketField::UncIssues);
    return Make(e, [&](int n, float* out) {
        ind::AdvanceDeclineLine(n, advIssues, decIssues, uncIssues, out);
    });
}

Value Sar(Evaluator& e, int, const Value* a) {
    return Make(e, [&](int n, float* out) {
        ind::ParabolicSar(n, a[0].number, a[1].number, H(e), L(e), out);
    });
}

Value Pdi(Evaluator& e, int, const Value* a) {
    return Make(
        e, [&](int n, float* out) { ind::PlusDirectional(n, P(a, 0), C(e), H(e), L(e), out); });
}

Value Mdi(Evaluator& e, int, const Value* a) {
    return Make(
        e, [&](int n, float* out) { ind::MinusDirectional(n, P(a, 0), C(e), H(e), L(e), out); });
}

Value Adx(Evaluator& e, int, const Value* a) {
    return Make(
        e, [&](int n, float* out) { ind::AverageDirectional(n, P(a, 0), C(e), H(e), L(e), out); });
}

Value Atr(Evaluator& e, int, const Value* a) {
    return Make(
        e, [&](int n, float* out) { ind::AverageTrueRange(n, P(a, 0), C(e), H(e), L(e), out); });
}

}  // namespace velmora::builtins
