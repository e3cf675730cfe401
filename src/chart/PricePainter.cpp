#include "chart/PricePainter.h"

#include <algorithm>
#include <vector>

#include "formula/IndicatorMath.h"
#include "platform/StringFormat.h"

namespace velmora {

namespace {

struct BarArrays {
    std::vector<float> close, open, high, low, volume;
    explicit BarArrays(const QuotationList& q) {
        const std::size_t n = q.size();
        close.resize(n), open.resize(n), high.resize(n), low.resize(n), volume.resize(n);
        for (std::size_t i = 0; i < n; ++i) {
            close[i] = q[i].Close;
            open[i] = q[i].Open;
            high[i] = q[i].High;
            low[i] = q[i].Low;
            volume[i] = static_cast<float>(q[i].Volume);
        }
    }
};

// Draws an overlay line in the price range from bar max(scroll position, period) on.
void PlotOverlay(PaneContext& pane, const SeriesPlot& price, const std::vector<float>& values,
                 int period, bool logarithmic, ColourSetting colour) {
    SeriesPlot p = price;
    p.values = values.data();
    p.flags = logarithmic ? 0x1402 : 0x402;
    p.first = std::max(price.scroll, period);
    PlotSeries(pane, p, pane.Colour(colour));
}

void MovingAverageOf(int n, int period, bool exponential, const float* close, float* out) {
    if (exponential)
        indicators::ExponentialAverage(n, period, close, out);
    else
        indicators::MovingAverage(n, period, close, out);
}

}  // namespace

std::string TitleDatePart(PackedDate date, Periodicity periodicity) {
    std::string text = DateToText(date);
    switch (periodicity) {
        case Periodicity::Daily:
            return "daily " + text;
        case Periodicity::Weekly: {
            const PackedDate sunday = WeekEnd(date);
            const std::string end = DateDay(sunday) > DateDay(date)
                                        ? FormatString("%02d", DateDay(sunday))
                                        : DateToText(sunday);
            return "weekly " + text + "/" + end;
        }
        case Periodicity::Monthly:
            return FormatString("monthly %5s", text.substr(0, 5).c_str());
    }
    return text;
}

std::string PriceTitle(const Stock& stock, int bar, Periodicity periodicity) {
    const auto& quotes = stock.Quotations;
    if (bar < 0 || bar >= static_cast<int>(quotes.size())) return {};
    const Quotation& q = quotes[static_cast<std::size_t>(bar)];
    const std::string ticker(stock.TickerText());
    const std::string date = TitleDatePart(q.Date, periodicity);
    const bool hasChange = bar > 0 && quotes[static_cast<std::size_t>(bar - 1)].Close != 0;
    const double change = NoNegativeZero(
        hasChange ? (q.Close / quotes[static_cast<std::size_t>(bar - 1)].Close - 1.0) * 100 : 0, 1);
    const double o = q.Open, h = q.High, l = q.Low, c = q.Close;
    if (GetContinuous(stock)) {
        if (hasChange)
            return FormatString(
                "%s - %s : Open %-.2f, Hi %-.2f, Lo %-.2f, Close %-.2f (%+3.1f %%),  Volume %d",
                ticker.c_str(), date.c_str(), o, h, l, c, change, q.Volume);
        return FormatString("%s - %s : Open %-.2f, Hi %-.2f, Lo %-.2f, Close %-.2f, Volume %d",
                            ticker.c_str(), date.c_str(), o, h, l, c, q.Volume);
    }
    const std::string mark = MarkText(q.Mark);
    if (hasChange && q.Reduction != 0)
        return FormatString("%s - %s : Price %-.2f %s %d%% (%+3.1f %%), Volume %d", ticker.c_str(),
                            date.c_str(), c, mark.c_str(), static_cast<int>(q.Reduction), change,
                            q.Volume);
    if (hasChange)
        return FormatString("%s - %s : Price %-.2f %s (%+3.1f %%), Volume %d", ticker.c_str(),
                            date.c_str(), c, mark.c_str(), change, q.Volume);
    return FormatString("%s - %s : Price %-.2f %s, Volume %d", ticker.c_str(), date.c_str(), c,
                        mark.c_str(), q.Volume);
}

SeriesPlot FramePricePlot(const PaneContext& pane) {
    SeriesPlot p;
    const int n = pane.stock ? static_cast<int>(pane.stock->Quotations.size()) : 0;
    p.Frame(n, pane.VisibleBars(), pane.scrollPosition);
    const bool log = pane.prefs && pane.prefs->LogarithmicScale();
    p.flags = log ? 0x9441 : 0x8441;
    p.padding = log ? 101.0f : 110.0f;
    if (pane.definition) {
        p.min = pane.definition->scaleMin;
        p.max = pane.definition->scaleMax;
    }
    return p;
}

void PaintPriceChart(PaneContext& pane) {
    ClearPane(pane);
    if (pane.stock == nullptr || pane.prefs == nullptr) return;
    const Stock& stock = *pane.stock;
    const Preferences& prefs = *pane.prefs;
    const int n = static_cast<int>(stock.Quotations.size());
    if (n < 3) {
        DrawTitle(pane, FormatString("%s - chart not available - too few quotations",
                                     std::string(stock.TickerText()).c_str()));
        return;
    }
    const BarArrays bars(stock.Quotations);
    const bool log = prefs.LogarithmicScale();

    // Volume or turnover backdrop, scaled on its own over the full height.
    const int volumeType = prefs.VolumeBarChartType();
    if (volumeType == 0 || volumeType == 1) {
        std::vector<float> values(bars.volume);
        if (volumeType == 1)
            for (int i = 0; i < n; ++i) values[i] = bars.volume[i] * bars.close[i] * 2;
        SeriesPlot v;
        v.Frame(n, pane.VisibleBars(), pane.scrollPosition);
        v.values = values.data();
        v.padding = 100;
        v.flags = 0x4A5;
        PlotSeries(pane, v,
                   pane.Colour(volumeType == 0 ? ColourSetting::Volume : ColourSetting::Turnover));
    }

    // The price range, its grid and the date axis.
    SeriesPlot price = FramePricePlot(pane);
    price.values = bars.close.data();
    price.open = bars.open.data();
    price.high = bars.high.data();
    price.low = bars.low.data();
    PlotSeries(pane, price, pane.Colour(ColourSetting::Price));
    DrawGrid(pane, price, 0x101);
    DrawDateAxis(pane, price, stock, pane.periodicity);

    if (prefs.AddParabolicSar()) {
        std::vector<float> sar(static_cast<std::size_t>(n));
        indicators::ParabolicSar(n, 0.02f, 0.2f, bars.high.data(), bars.low.data(), sar.data());
        SeriesPlot p = price;
        p.values = sar.data();
        p.flags = log ? 0x15602 : 0x14602;
        PlotSeries(pane, p, pane.Colour(ColourSetting::Parabolic));
    }

    // The short average is computed even when hidden: the bands are built on it.
    const int shortPeriod = prefs.ShortTimePeriods();
    std::vector<float> shortAverage(static_cast<std::size_t>(n), kEmptyValue);
    if (shortPeriod > 0)
        MovingAverageOf(n, shortPeriod, prefs.ShortTimeAverageType() != 0, bars.close.data(),
                        shortAverage.data());
    if (prefs.ShortTimeShown() && shortPeriod > 0)
        PlotOverlay(pane, price, shortAverage, shortPeriod, log, ColourSetting::ShortTimeAverage);
    if (prefs.BollingerShown() && shortPeriod > 0) {
        // The band of the simple average gives the deviation, which is laid around the short
        // average (simple or exponential).
        std::vector<float> simple(static_cast<std::size_t>(n)), band(static_cast<std::size_t>(n));
        indicators::MovingAverage(n, shortPeriod, bars.close.data(), simple.data());
        indicators::BollingerBand(n, shortPeriod, prefs.BollingerWidth() / 100.0f,
                                  bars.close.data(), band.data());
        std::vector<float> upper(static_cast<std::size_t>(n), kEmptyValue);
        std::vector<float> lower(static_cast<std::size_t>(n), kEmptyValue);
        for (int i = 0; i < n; ++i) {
            if (IsEmptyValue(band[i]) || IsEmptyValue(simple[i]) || IsEmptyValue(shortAverage[i]))
                continue;
            upper[i] = shortAverage[i] + (band[i] - simple[i]);
            lower[i] = 2 * shortAverage[i] - upper[i];
        }
        PlotOverlay(pane, price, upper, shortPeriod, log, ColourSetting::BollingerBands);
        PlotOverlay(pane, price, lower, shortPeriod, log, ColourSetting::BollingerBands);
    }
    struct Average {
        bool shown;
        int period;
        int type;
        ColourSetting colour;
    };
    const Average others[] = {
        {prefs.MidTimeShown(), prefs.MidTimePeriods(), prefs.MidTimeAverageType(),
         ColourSetting::MidTimeAverage},
        {prefs.LongTimeShown(), prefs.LongTimePeriods(), prefs.LongTimeAverageType(),
         ColourSetting::LongTimeAverage},
    };
    std::vector<float> average(static_cast<std::size_t>(n));
    for (const Average& a : others) {
        if (!a.shown || a.period <= 0) continue;
        MovingAverageOf(n, a.period, a.type != 0, bars.close.data(), average.data());
        PlotOverlay(pane, price, average, a.period, log, a.colour);
    }

    // The price itself.
    const bool continuous = GetContinuous(stock);
    const ChartType type = pane.settings ? pane.settings->chartType : ChartType::Auto;
    SeriesPlot p = price;
    p.flags = 0x402;
    if (type == ChartType::Candlesticks || (type == ChartType::Auto && continuous)) p.flags = 0x40A;
    if (type == ChartType::Bars) p.flags |= 0x18;
    if (log) p.flags |= 0x1000;
    if (prefs.FatLineChart()) p.flags |= 0x20;
    if (prefs.MarkQuotations()) p.flags |= 0x200;
    PlotSeries(pane, p, pane.Colour(ColourSetting::Price));

    DrawPaneFrame(pane, price);
    if (pane.definition) pane.definition->markerX = kNoMarker;
    if (pane.settings) pane.settings->markerShown = false;
    DrawTitle(pane, PriceTitle(stock, n - 1, pane.periodicity));
}

void DrawTradeArrows(PaneContext& pane, const TradeArrows& arrows) {
    if (pane.canvas == nullptr || pane.stock == nullptr || arrows.Empty()) return;
    const SeriesPlot price = FramePricePlot(pane);
    const PlotGeometry g(pane, price);
    const auto& q = pane.stock->Quotations;
    const int end =
        std::min({price.end, static_cast<int>(q.size()), static_cast<int>(arrows.buy.size()),
                  static_cast<int>(arrows.sell.size())});
    for (int i = price.first; i < end; ++i) {
        const Quotation& bar = q[static_cast<std::size_t>(i)];
        const int x = g.X(i);
        if (arrows.buy[i] > 0)
            pane.canvas->Picture(ChartPicture::BuyArrow, x - 2, g.Y(bar.Low) + 7);
        if (arrows.sell[i] > 0)
            pane.canvas->Picture(ChartPicture::SellArrow, x - 2, g.Y(bar.High) - 13);
    }
}

}  // namespace velmora
