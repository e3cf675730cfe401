#include "chart/IndicatorPainters.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>

#include "chart/IndicatorPaneSupport.h"
#include "formula/IndicatorMath.h"

namespace velmora {

namespace pane_support {

namespace {

// One conversion of a title format, "%[flags][width][.precision][length]conversion", read from
// its '%': where the length starts (the length is ours to choose), the width, and the conversion
// character with its place (NUL when the format ends first).
struct TitleConversion {
    const char* lengthStart;
    const char* at;
    int width;
    char conversion;
};

TitleConversion ReadConversion(const char* f) {
    const char* p = f + 1;
    while (*p != '\0' && std::strchr("-+ #0", *p) != nullptr) ++p;
    int width = 0;
    while (std::isdigit(static_cast<unsigned char>(*p))) width = width * 10 + (*p++ - '0');
    if (*p == '.') {
        ++p;
        while (std::isdigit(static_cast<unsigned char>(*p))) ++p;
    }
    const char* lengthStart = p;
    while (*p != '\0' && std::strchr("hlLjzt", *p) != nullptr) ++p;
    return {lengthStart, p, width, *p};
}

// Appends one argument as the conversion asks (`head` is the conversion up to its length): a whole
// number for d and i, text for s, a number for f, e, E, g and G, where an empty or non-finite
// number (or text) leaves blanks of the conversion's width.
void AppendTitleArg(std::string& out, const std::string& head, const TitleConversion& c,
                    const TitleArg& arg) {
    const char conversion = c.conversion;
    char buf[128];
    buf[0] = '\0';
    if (conversion == 'd' || conversion == 'i') {
        const long long v = arg.type == TitleArg::Type::Whole ? arg.whole
                            : arg.type == TitleArg::Type::Number && std::isfinite(arg.number)
                                ? static_cast<long long>(arg.number)
                                : 0;
        std::snprintf(buf, sizeof buf, (head + "lld").c_str(), v);
    } else if (conversion == 's') {
        std::snprintf(buf, sizeof buf, (head + 's').c_str(),
                      arg.type == TitleArg::Type::Text ? arg.text : "");
    } else if (std::strchr("feEgG", conversion) != nullptr) {
        const double v =
            arg.type == TitleArg::Type::Whole ? static_cast<double>(arg.whole) : arg.number;
        if (arg.type != TitleArg::Type::Text && std::isfinite(v) &&
            v != static_cast<double>(kEmptyValue)) {
            std::snprintf(buf, sizeof buf, (head + conversion).c_str(), v);
            // A tiny negative value shows as zero, without the minus sign.
            if (v < 0 && PrintsAsZero(buf))
                std::snprintf(buf, sizeof buf, (head + conversion).c_str(), 0.0);
        } else
            out.append(static_cast<std::size_t>(std::min(c.width, 64)), ' ');
    }
    out += buf;
}

}  // namespace

std::string TitleText(const char* format, std::initializer_list<TitleArg> args) {
    std::string out;
    const TitleArg* next = args.begin();
    const char* f = format;
    while (*f != '\0') {
        if (*f != '%') {
            out += *f++;
            continue;
        }
        if (f[1] == '%') {
            out += '%';
            f += 2;
            continue;
        }
        const TitleConversion c = ReadConversion(f);
        if (c.conversion == '\0' || next == args.end()) {
            out.append(f);
            break;
        }
        AppendTitleArg(out, std::string(f, c.lengthStart), c, *next++);
        f = c.at + 1;
    }
    return out;
}

}  // namespace pane_support

using namespace pane_support;

void PaintMacdChart(PaneContext& pane) {
    const Stock* stock = Begin(pane);
    if (stock == nullptr) return;
    const Preferences& prefs = *pane.prefs;
    const int fast = prefs.MacdFast(), slow = prefs.MacdSlow(), signalPeriod = prefs.MacdSignal();
    const int n = BarCount(*stock);
    const std::string ticker = Ticker(*stock);
    if (n < 2 * slow + 2) {
        Finish(pane, FormatString("%s - MACD not available - too few quotations", ticker.c_str()));
        return;
    }
    const std::vector<float> close = Closes(*stock);
    std::vector<float> macd(close.size()), signal(close.size()), histogram(close.size());
    indicators::Macd(n, fast, slow, close.data(), macd.data());
    indicators::MacdSignal(n, fast, slow, signalPeriod, close.data(), signal.data());
    for (int i = 0; i < n; ++i)
        histogram[i] = IsEmptyValue(signal[i]) ? kEmptyValue : macd[i] - signal[i];

    // The range of the MACD line, widened by the histogram; both include 0.
    SeriesPlot p = FramedPlot(pane, macd);
    p.first = From(p, slow);
    p.flags = 0x141;
    PlotSeries(pane, p, pane.Colour(ColourSetting::Oscillator));
    p.values = histogram.data();
    p.flags = 0x2141;
    PlotSeries(pane, p, pane.Colour(ColourSetting::Histogram));
    DrawGrid(pane, p, 0x2C1);

    // The histogram, the signal and the MACD line are all drawn from the first bar that has a
    // signal.
    p.first = From(p, slow + signalPeriod);
    p.flags = 0x6;
    PlotSeries(pane, p, pane.Colour(ColourSetting::Histogram));
    p.values = signal.data();
    p.flags = 0x2;
    PlotSeries(pane, p, pane.Colour(ColourSetting::Signal));
    p.values = macd.data();
    PlotSeries(pane, p, pane.Colour(ColourSetting::Oscillator));

    Finish(pane, TitleText("%s - MACD (%d,%d,%d) = %6.2f, Signal = %6.2f",
                           {ticker, fast, slow, signalPeriod, TitleValue(pane, macd),
                            TitleValue(pane, signal)}));
}

namespace {

// An oscillator on a fixed 0..100 scale drawn from bar `from`: RSI, MFI and Ultimate.
void PaintPercentOscillator(PaneContext& pane, const std::vector<float>& values, int from,
                            std::int32_t gridFlags, const std::string& title) {
    SeriesPlot p = FramedPlot(pane, values);
    FixedPercentScale(p);
    DrawGrid(pane, p, gridFlags);
    p.first = From(p, from);
    p.flags = 0x2;
    PlotSeries(pane, p, pane.Colour(ColourSetting::Oscillator));
    Finish(pane, title);
}

// An oscillator whose automatic range (flags `rangeFlags`, starting from `min`..`max`) is taken
// over the bars from `from`, then drawn as a line.
void PaintRangedOscillator(PaneContext& pane, const std::vector<float>& values, int from,
                           std::uint32_t rangeFlags, float min, float max, std::int32_t gridFlags,
                           const std::string& title) {
    SeriesPlot p = FramedPlot(pane, values);
    p.first = From(p, from);
    p.min = min;
    p.max = max;
    p.flags = rangeFlags;
    PlotSeries(pane, p, pane.Colour(ColourSetting::Oscillator));
    DrawGrid(pane, p, gridFlags);
    p.flags = 0x2;
    PlotSeries(pane, p, pane.Colour(ColourSetting::Oscillator));
    Finish(pane, title);
}

}  // namespace

void PaintRsiChart(PaneContext& pane) {
    const Stock* stock = Begin(pane);
    if (stock == nullptr) return;
    const int p = pane.prefs->RsiRange();
    const int n = BarCount(*stock);
    const std::string ticker = Ticker(*stock);
    if (n < p + 3) {
        Finish(pane, FormatString("%s - RSI not available - too few quotations", ticker.c_str()));
        return;
    }
    const std::vector<float> close = Closes(*stock);
    std::vector<float> rsi(close.size());
    indicators::Rsi(n, p, close.data(), rsi.data());
    PaintPercentOscillator(
        pane, rsi, p, 0xC02,
        TitleText("%s - RSI (%d) =%6.2f %%", {ticker, p, TitleValue(pane, rsi)}));
}

void PaintRocChart(PaneContext& pane) {
    const Stock* stock = Begin(pane);
    if (stock == nullptr) return;
    const int p = pane.prefs->RocRange();
    const int n = BarCount(*stock);
    const std::string ticker = Ticker(*stock);
    if (n < p + 3) {
        Finish(pane, FormatString("%s - ROC not available - too few quotations", ticker.c_str()));
        return;
    }
    const std::vector<float> close = Closes(*stock);
    std::vector<float> roc(close.size());
    indicators::RateOfChange(n, p, close.data(), roc.data());
    PaintRangedOscillator(pane, roc, p, 0x41, 0, 0, 0x2C2,
                          TitleText("%s - ROC (%d) =%6.2f %%", {ticker, p, TitleValue(pane, roc)}));
}

void PaintStochasticChart(PaneContext& pane) {
    const Stock* stock = Begin(pane);
    if (stock == nullptr) return;
    const int p = pane.prefs->StochasticRange();
    const int n = BarCount(*stock);
    const std::string ticker = Ticker(*stock);
    if (n < p + 3) {
        Finish(pane, "Stochastic Slow not available - too few quotations");
        return;
    }
    const std::vector<float> close = Closes(*stock);
    std::vector<float> k(close.size()), d(close.size());
    indicators::Stochastic(n, p, close.data(), k.data(), d.data());
    SeriesPlot plot = FramedPlot(pane, k);
    FixedPercentScale(plot);
    DrawGrid(pane, plot, 0xC02);
    plot.first = From(plot, p + 7);
    plot.flags = 0x2;
    PlotSeries(pane, plot, pane.Colour(ColourSetting::Oscillator));
    plot.values = d.data();
    PlotSeries(pane, plot, pane.Colour(ColourSetting::Signal));
    Finish(pane, TitleText("%s - Stochastic Slow (%d) %%K=%f, %%D=%f",
                           {ticker, p, TitleValue(pane, k), TitleValue(pane, d)}));
}

void PaintUltimateChart(PaneContext& pane) {
    const Stock* stock = Begin(pane);
    if (stock == nullptr) return;
    const Preferences& prefs = *pane.prefs;
    const int p1 = prefs.UltimateFast(), p2 = prefs.UltimateMedium(), p3 = prefs.UltimateSlow();
    const int n = BarCount(*stock);
    const std::string ticker = Ticker(*stock);
    if (n < p3 + 3) {
        Finish(pane,
               FormatString("%s - Ultimate not available - too few quotations", ticker.c_str()));
        return;
    }
    const std::vector<float> close = Closes(*stock);
    std::vector<float> ultimate(close.size());
    indicators::UltimateOscillator(n, p1, p2, p3, close.data(), ultimate.data());
    PaintPercentOscillator(pane, ultimate, p3, 0x40C2,
                           TitleText("%s - Ultimate (%d,%d,%d) =%6.2lf %%",
                                     {ticker, p1, p2, p3, TitleValue(pane, ultimate)}));
}

void PaintTrixChart(PaneContext& pane) {
    const Stock* stock = Begin(pane);
    if (stock == nullptr) return;
    const int p = pane.prefs->TrixRange();
    const int n = BarCount(*stock);
    const std::string ticker = Ticker(*stock);
    if (n < p) {
        Finish(pane, FormatString("%s - TRIX not available - too few quotations", ticker.c_str()));
        return;
    }
    const std::vector<float> close = Closes(*stock);
    std::vector<float> trix(close.size());
    indicators::Trix(n, p, close.data(), trix.data());
    PaintRangedOscillator(pane, trix, p, 0x141, 0, 0, 0x2C4,
                          TitleText("%s - TRIX (%d) =%6.2f", {ticker, p, TitleValue(pane, trix)}));
}

void PaintCciChart(PaneContext& pane) {
    const Stock* stock = Begin(pane);
    if (stock == nullptr) return;
    const int p = pane.prefs->CciRange();
    const int n = BarCount(*stock);
    const std::string ticker = Ticker(*stock);
    if (n < p) {
        Finish(pane, FormatString("%s - CCI not available - too few quotations", ticker.c_str()));
        return;
    }
    const std::vector<float> typical = TypicalPrices(*stock);
    std::vector<float> cci(typical.size());
    indicators::Cci(n, p, typical.data(), cci.data());
    // The range starts at -100..100 and only widens.
    PaintRangedOscillator(pane, cci, p, 0x2141, -100, 100, 0x8002,
                          TitleText("%s - CCI (%d) =%6.2f %%", {ticker, p, TitleValue(pane, cci)}));
}

void PaintMfiChart(PaneContext& pane) {
    const Stock* stock = Begin(pane);
    if (stock == nullptr) return;
    const int p = kMfiPeriod;
    const int n = BarCount(*stock);
    const std::string ticker = Ticker(*stock);
    if (n < p + 3) {
        Finish(pane, FormatString("%s - MFI not available - too few quotations", ticker.c_str()));
        return;
    }
    const std::vector<float> typical = TypicalPrices(*stock);
    const std::vector<float> volume = Volumes(*stock);
    std::vector<float> mfi(typical.size());
    indicators::Mfi(n, p, typical.data(), volume.data(), mfi.data());
    PaintPercentOscillator(
        pane, mfi, p, 0x30002,
        TitleText("%s - MFI (%d) =%6.2f %%", {ticker, p, TitleValue(pane, mfi)}));
}

namespace {

// A painter whose arrays cannot be allocated leaves its pane as cleared.
PanePainter Guarded(void (*paint)(PaneContext&)) {
    return [paint](PaneContext& pane) {
        try {
            paint(pane);
        } catch (const std::bad_alloc&) {
            ClearPane(pane);
        }
    };
}

}  // namespace

void AddIndicatorPainters(ChartPainters& painters) {
    auto& p = painters.builtIn;
    p[2] = Guarded(PaintMacdChart);
    p[3] = Guarded(PaintRsiChart);
    p[4] = Guarded(PaintRocChart);
    p[5] = Guarded(PaintStochasticChart);
    p[6] = Guarded(PaintVolumeChart);
    p[7] = Guarded(PaintUltimateChart);
    p[8] = Guarded(PaintObvChart);
    p[9] = Guarded(PaintTrixChart);
    p[10] = Guarded(PaintRelativeStrengthChart);
    p[11] = Guarded(PaintCciChart);
    p[12] = Guarded(PaintMfiChart);
    p[13] = Guarded(PaintAccumulationDistributionChart);
    p[14] = Guarded(PaintChaikinChart);
    p[15] = Guarded(PaintNviChart);
    p[16] = Guarded(PaintTrinChart);
    p[17] = Guarded(PaintAdLineChart);
}

}  // namespace velmora
