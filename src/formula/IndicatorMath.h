#pragma once
// The indicator math behind the QRX built-ins and the chart's indicator panes.
//
// Every routine has the same shape: the bar count n, its periods or other parameters, the input
// arrays and the caller-allocated output arrays, all 32-bit floats of n elements with index 0
// the oldest bar. Routines keep no state, allocate no result and never touch the formula engine.
//
// The leading-EMPTY rule: a routine finds the first bar s whose (deciding) input is not EMPTY,
// writes EMPTY to every output before s and starts its work at s. EMPTY values after s are not
// special: they enter the arithmetic as -1e10. Warm-up bars are EMPTY too; the first value of
// the simple, exponential and Wilder averages and of the moving sum appears at bar s + p.
//
// Periods are clamped to what the routine can work with (at least 1 where a period divides or
// smooths, at most n + 1), so that no period makes a routine read outside its arrays or divide
// by zero. No routine writes NaN or infinity from finite inputs of the magnitudes of prices and
// volumes (below about 1e30), flat series, zero prices and zero volumes included; ratios
// saturate at the float range. Outputs must not overlap the inputs.

#include <span>

#include "database/Stock.h"

namespace velmora::indicators {

// The marker of a bar without a value (the same bits as the formula engine's EMPTY).
inline constexpr float EMPTY = -1e10f;

// The truth test of signal arrays: neither EMPTY nor 0.
inline bool IsTrueBar(float v) {
    return v != EMPTY && v != 0.0f;
}

// The first bar of v that is not EMPTY, or n when there is none.
int FirstValue(int n, const float* v);

// --- averages and sums (input v, period p) ---------------------------------------------------
// Simple moving average over bars i-p+1..i, kept as a double running sum.
void MovingAverage(int n, int p, const float* v, float* out);
// Moving sum over bars i-p+1..i, a float running sum.
void MovingSum(int n, int p, const float* v, float* out);
// Exponential average, k = 2 / (p + 1) held as a float, seeded with the mean of the first p bars.
void ExponentialAverage(int n, int p, const float* v, float* out);
// Wilder's smoothing: e = ((p - 1) e + v) / p, seeded like the exponential average.
void WilderAverage(int n, int p, const float* v, float* out);
// Running sum from the first value; no warm-up.
void CumulativeSum(int n, const float* v, float* out);
// Simple average plus width times the population standard deviation over the same window
// (a negative width gives the lower band).
void BollingerBand(int n, int p, float width, const float* v, float* out);
// Both bands of one width in one pass (either output may be null).
void BollingerBands(int n, int p, float width, const float* v, float* top, float* bottom);

// --- MACD family and oscillators --------------------------------------------------------------
// Fast minus slow exponential average (both started at the first value); EMPTY below s + slow.
void Macd(int n, int fast, int slow, const float* v, float* out);
// The exponential average (started at 0) of the MACD line; EMPTY below s + slow + smoothing.
void MacdSignal(int n, int fast, int slow, int smoothing, const float* v, float* out);
// (fast - slow) * 100 / slow of the two MACD averages; EMPTY below s + slow. Price and volume
// oscillator alike.
void Oscillator(int n, int fast, int slow, const float* v, float* out);
// (v[i] - v[i-p]) * 100 / v[i-p], 0 where v[i-p] is 0.
void RateOfChange(int n, int p, const float* v, float* out);
// Relative strength index with Wilder-smoothed up and down moves.
void Rsi(int n, int p, const float* close, float* out);
// Stochastic of the closes: %K into k (may be null) and %D into d (may be null).
void Stochastic(int n, int p, const float* close, float* k, float* d);
// Ultimate oscillator over three periods of the closes.
void UltimateOscillator(int n, int p1, int p2, int p3, const float* close, float* out);
// Rate of change (per mille) of a triple exponential average in double.
void Trix(int n, int p, const float* close, float* out);
// Commodity channel index of the typical price.
void Cci(int n, int p, const float* avg, float* out);
// Money flow index of the typical price and the volume.
void Mfi(int n, int p, const float* avg, const float* volume, float* out);

// --- volume routines ------------------------------------------------------------------------
// On-balance volume and the accumulation/distribution line of the quotations themselves
// (out has quotes.size() elements).
void OnBalanceVolume(std::span<const Quotation> quotes, float* out);
void AccumulationDistribution(std::span<const Quotation> quotes, float* out);
// Chaikin oscillator of an accumulation/distribution line: (fast - slow) * 0.1 of two
// exponential averages started at its first value; EMPTY below s + slow.
void Chaikin(int n, int fast, int slow, const float* adLine, float* out);
// Negative / positive volume index: starts at 100, follows the close on bars whose volume fell
// (rose).
void NegativeVolumeIndex(int n, const float* close, const float* volume, float* out);
void PositiveVolumeIndex(int n, const float* close, const float* volume, float* out);

// --- market breadth -------------------------------------------------------------------------
// Arms index: adv issues * dec volume / (dec issues * adv volume); 0.0001 when the divisor is
// not positive.
void Trin(int n, const float* advIssues, const float* decIssues, const float* advVolume,
          const float* decVolume, float* out);
// Running sum of the signed square root of (adv - dec) / (unc + 1).
void AdvanceDeclineLine(int n, const float* advIssues, const float* decIssues,
                        const float* uncIssues, float* out);

// --- directional movement (close, high, low) ------------------------------------------------
void TrueRange(int n, const float* close, const float* high, const float* low, float* out);
void AverageTrueRange(int n, int p, const float* close, const float* high, const float* low,
                      float* out);
// The plus / minus directional move of a bar; the first bar is EMPTY.
void PlusMove(int n, const float* high, const float* low, float* out);
void MinusMove(int n, const float* high, const float* low, float* out);
void PlusDirectional(int n, int p, const float* close, const float* high, const float* low,
                     float* out);
void MinusDirectional(int n, int p, const float* close, const float* high, const float* low,
                      float* out);
void AverageDirectional(int n, int p, const float* close, const float* high, const float* low,
                        float* out);

// Parabolic stop-and-reverse with acceleration step and maximum.
void ParabolicSar(int n, float step, float maximum, const float* high, const float* low,
                  float* out);

// --- signal and selection routines -----------------------------------------------------------
// 1 where a rises above b (a > b now, not on the previous bar), else 0; first common bar EMPTY.
void Cross(int n, const float* a, const float* b, float* out);
// 1 on a true bar and the p - 1 bars after it, else 0.
void Hold(int n, int p, const float* v, float* out);
// Bars since the latest true bar; EMPTY before the first.
void BarsSince(int n, const float* v, float* out);
// a where cond is true, else b.
void Iif(int n, const float* cond, const float* a, const float* b, float* out);
void Max(int n, const float* a, const float* b, float* out);
void Min(int n, const float* a, const float* b, float* out);
void GapUp(int n, const float* high, const float* low, float* out);
void GapDown(int n, const float* high, const float* low, float* out);
void InsideBar(int n, const float* high, const float* low, float* out);
void OutsideBar(int n, const float* high, const float* low, float* out);
// +1 when a rose by more than percent while b fell, -1 when a fell by more than percent while
// b rose, else 0.
void Divergence(int n, float percent, const float* a, const float* b, float* out);
// v cut toward zero to `places` decimals (a negative count cuts to tens, hundreds, ...).
void Precision(int n, int places, const float* v, float* out);
// v shifted: k <= 0 looks |k| bars back, k > 0 looks k bars ahead (the last k bars hold the
// last value).
void Ref(int n, int k, const float* v, float* out);

// --- extremes ---------------------------------------------------------------------------------
// Highest / lowest value of the last p bars and the bars since it; among equal values the
// oldest counts. Either output may be null.
void HighestHigh(int n, int p, const float* v, float* value, float* bars);
void LowestLow(int n, int p, const float* v, float* value, float* bars);
// The same with no limit: since the first value.
void Highest(int n, const float* v, float* value, float* bars);
void Lowest(int n, const float* v, float* value, float* bars);

// --- zig-zag, pivots and valuewhen ------------------------------------------------------------
// Zig-zag line with a reversal threshold in percent.
void ZigZag(int n, float percent, const float* v, float* out);
// Value of the nth most recent zig-zag peak / trough, carried forward.
void Peak(int n, float percent, int nth, const float* v, float* out);
void Trough(int n, float percent, int nth, const float* v, float* out);
// Bars since the nth most recent zig-zag peak / trough.
void PeakBars(int n, float percent, int nth, const float* v, float* out);
void TroughBars(int n, float percent, int nth, const float* v, float* out);
// v at the nth most recent bar where cond is true, carried forward.
void ValueWhen(int n, int nth, const float* cond, const float* v, float* out);

// --- relative strength ------------------------------------------------------------------------
// 1000 * close / base close of the base quotation of the same date; EMPTY where the base has no
// quotation of that date or its close is not positive. out has quotes.size() elements.
void RelativeStrength(std::span<const Quotation> quotes, std::span<const Quotation> base,
                      float* out);

}  // namespace velmora::indicators
