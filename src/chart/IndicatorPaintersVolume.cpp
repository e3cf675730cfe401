// The volume and market painters: volume/turnover, OBV, accumulation/distribution, Chaikin,
// NVI, relative strength, TRIN and the advance/decline line.

#include <cmath>
#include <memory>
#include <span>

#include "chart/IndicatorPainters.h"
#include "chart/IndicatorPaneSupport.h"
#include "database/Database.h"
#include "database/Periodicity.h"
#include "formula/IndicatorMath.h"

namespace velmora {

using namespace pane_support;

namespace {

// Computes the automatic range, draws the grid, then the series in that range.
void RangeGridAndPlot(PaneContext& pane, SeriesPlot& plot, std::int32_t gridFlags, int colour) {
    ComputeRange(plot);
    DrawGrid(pane, plot, gridFlags);
    plot.flags &= ~PlotFlags::kAutomatic;
    PlotSeries(pane, plot, colour);
}

// A value cut to a whole number for a title (printed with %.0f: no integer overflow).
double WholeNumber(float v) {
    if (!std::isfinite(v)) return 0;
    return std::trunc(static_cast<double>(v));
}

// Case-insensitive lookup that leaves the database as it is.
const Stock* FindStockConst(const Database& db, std::string_view ticker) {
    if (ticker.empty()) return nullptr;
    const auto& stocks = db.Stocks();
    auto it = std::lower_bound(stocks.begin(), stocks.end(), ticker,
                               [](const std::unique_ptr<Stock>& s, std::string_view t) {
                                   return CompareNoCase(s->TickerText(), t) < 0;
                               });
    if (it != stocks.end() && EqualNoCase((*it)->TickerText(), ticker)) return it->get();
    return nullptr;
}

// The market's advance/decline records laid onto the stock's bars by position from the newest
// backwards (the newest record on the newest bar); older bars are EMPTY.
struct MarketArrays {
    std::vector<float> advIssues, decIssues, uncIssues, advVolume, decVolume;

    MarketArrays(const PaneContext& pane, const Stock& stock, int n)
        : advIssues(static_cast<std::size_t>(n), kEmptyValue),
          decIssues(advIssues),
          uncIssues(advIssues),
          advVolume(advIssues),
          decVolume(advIssues) {
        if (pane.database == nullptr) return;
        const int id = GetMarketID(stock);
        if (id < 0 || id >= kMarketCount) return;
        const auto& records =
            pane.database->Categories().Markets[static_cast<std::size_t>(id)].ADQuotations;
        const std::size_t count = std::min(records.size(), static_cast<std::size_t>(n));
        for (std::size_t j = 0; j < count; ++j) {
            const ADQuotation& r = records[records.size() - 1 - j];
            const std::size_t bar = static_cast<std::size_t>(n) - 1 - j;
            advIssues[bar] = static_cast<float>(r.AdvIssues);
            decIssues[bar] = static_cast<float>(r.DecIssues);
            uncIssues[bar] = static_cast<float>(r.UncIssues);
            advVolume[bar] = r.AdvVolume;
            decVolume[bar] = r.DecVolume;
        }
    }
};

}  // namespace

const Stock* RelativeStrengthBase(const Database& database, const Stock& stock,
                                  const Preferences& prefs) {
    const CategoryTables& c = database.Categories();
    const int group = GetGroupID(stock);
    const int industry = stock.IndustryID;
    const int market = GetMarketID(stock);
    const Stock* base = nullptr;
    if (group >= 0 && group < kGroupCount)
        base = FindStockConst(database, c.Groups[static_cast<std::size_t>(group)].RSBase.View());
    if (base == nullptr && industry >= 0 && industry < kIndustryCount)
        base = FindStockConst(database,
                              c.Industries[static_cast<std::size_t>(industry)].RSBase.View());
    if (base == nullptr && market >= 0 && market < kMarketCount)
        base = FindStockConst(database, c.Markets[static_cast<std::size_t>(market)].RSBase.View());
    if (base == nullptr) base = FindStockConst(database, prefs.DefaultRSBase());
    return base;
}

void PaintVolumeChart(PaneContext& pane) {
    const Stock* stock = Begin(pane);
    if (stock == nullptr) return;
    const int n = BarCount(*stock);
    const std::string ticker = Ticker(*stock);
    if (n <= 2) {
        Finish(pane,
               FormatString("%s - bar chart not available - too few quotations", ticker.c_str()));
        return;
    }
    const bool turnover = pane.settings == nullptr || pane.settings->volumeShowsTurnover;
    std::vector<float> values = Volumes(*stock);
    if (turnover)
        for (int i = 0; i < n; ++i) values[i] = values[i] * stock->Quotations[i].Close * 2;
    SeriesPlot p = FramedPlot(pane, values);
    p.flags = 0x8A5;
    RangeGridAndPlot(pane, p, 0x104,
                     pane.Colour(turnover ? ColourSetting::Turnover : ColourSetting::Volume));
    const int q = pane.prefs->VolumeAveragePeriods();
    if (q > 2) {
        std::vector<float> average(values.size());
        indicators::MovingAverage(n, q, values.data(), average.data());
        SeriesPlot a = p;
        a.values = average.data();
        a.first = From(p, q);
        a.flags = 0x2;
        PlotSeries(pane, a, pane.Colour(ColourSetting::ShortTimeAverage));
    }
    const bool millions = p.max >= 1000000.0f;
    std::string title;
    if (!turnover)
        title = FormatString(millions ? "%s - Volume %d shares (chart in millions of shares)"
                                      : "%s - Volume %d shares (chart in thousands of shares)",
                             ticker.c_str(),
                             stock->Quotations[static_cast<std::size_t>(TitleBar(pane, n))].Volume);
    else if (!millions)
        title = FormatString("%s - Turnover %.0f (chart in thousands)", ticker.c_str(),
                             WholeNumber(TitleValue(pane, values)));
    else
        title = FormatString("Turnover %.0f (chart in millions)",
                             WholeNumber(TitleValue(pane, values)));
    Finish(pane, title);
}

void PaintObvChart(PaneContext& pane) {
    const Stock* stock = Begin(pane);
    if (stock == nullptr) return;
    const int n = BarCount(*stock);
    const std::string ticker = Ticker(*stock);
    if (n <= 2) {
        Finish(pane, FormatString("%s - OBV not available - too few quotations", ticker.c_str()));
        return;
    }
    std::vector<float> obv(static_cast<std::size_t>(n));
    indicators::OnBalanceVolume(std::span<const Quotation>(stock->Quotations), obv.data());
    SeriesPlot p = FramedPlot(pane, obv);
    p.flags = 0x801;
    RangeGridAndPlot(pane, p, 0x104, pane.Colour(ColourSetting::Oscillator));
    const char* format = p.max < 1000.0f      ? "%s - OBV = %.0f shares"
                         : p.max < 1000000.0f ? "%s - OBV = %.0f shares (chart in thousands)"
                                              : "%s - OBV = %.0f shares. (chart in millions)";
    Finish(pane, TitleText(format, {ticker, TitleValue(pane, obv)}));
}

void PaintAccumulationDistributionChart(PaneContext& pane) {
    const Stock* stock = Begin(pane);
    if (stock == nullptr) return;
    const int n = BarCount(*stock);
    const std::string ticker = Ticker(*stock);
    if (n <= 2) {
        Finish(pane,
               FormatString("%s - Accumulation/Distribution not available - too few quotations",
                            ticker.c_str()));
        return;
    }
    std::vector<float> ad(static_cast<std::size_t>(n));
    indicators::AccumulationDistribution(std::span<const Quotation>(stock->Quotations), ad.data());
    SeriesPlot p = FramedPlot(pane, ad);
    p.flags = 0x801;
    RangeGridAndPlot(pane, p, 0x1C4, pane.Colour(ColourSetting::Oscillator));
    const char* format = p.max < 1000.0f ? "%s - Accumulation/Distribution = %.0f shares"
                         : p.max < 1000000.0f
                             ? "%s - Accumulation/Distribution = %.0f shares (chart in thousands)"
                             : "%s - Accumulation/Distribution = %.0f shares. (chart in millions)";
    Finish(pane, TitleText(format, {ticker, TitleValue(pane, ad)}));
}

void PaintChaikinChart(PaneContext& pane) {
    const Stock* stock = Begin(pane);
    if (stock == nullptr) return;
    const int n = BarCount(*stock);
    const std::string ticker = Ticker(*stock);
    if (n <= 2) {
        Finish(pane, FormatString("%s - Chaikin Oscillator not available - too few quotations",
                                  ticker.c_str()));
        return;
    }
    std::vector<float> ad(static_cast<std::size_t>(n)), chaikin(static_cast<std::size_t>(n));
    indicators::AccumulationDistribution(std::span<const Quotation>(stock->Quotations), ad.data());
    indicators::Chaikin(n, kChaikinFastPeriod, kChaikinSlowPeriod, ad.data(), chaikin.data());
    SeriesPlot p = FramedPlot(pane, chaikin);
    p.first = From(p, kChaikinSlowPeriod);
    p.flags = 0x101;
    RangeGridAndPlot(pane, p, 0x2C1, pane.Colour(ColourSetting::Oscillator));
    Finish(pane,
           TitleText("%s - Chaikin Oscillator (%d,%d) =%6.0f (chart in thousands)",
                     {ticker, kChaikinFastPeriod, kChaikinSlowPeriod, TitleValue(pane, chaikin)}));
}

void PaintNviChart(PaneContext& pane) {
    const Stock* stock = Begin(pane);
    if (stock == nullptr) return;
    const int n = BarCount(*stock);
    const std::string ticker = Ticker(*stock);
    if (n < 3) {
        Finish(pane, FormatString("%s - NVI not available - too few quotations", ticker.c_str()));
        return;
    }
    const std::vector<float> close = Closes(*stock);
    const std::vector<float> volume = Volumes(*stock);
    std::vector<float> nvi(close.size());
    indicators::NegativeVolumeIndex(n, close.data(), volume.data(), nvi.data());
    SeriesPlot p = FramedPlot(pane, nvi);
    p.flags = 0x1;
    RangeGridAndPlot(pane, p, 0x2C1, pane.Colour(ColourSetting::Oscillator));
    Finish(pane, TitleText("%s - NVI = %6.2f %%", {ticker, TitleValue(pane, nvi)}));
}

void PaintRelativeStrengthChart(PaneContext& pane) {
    const Stock* stock = Begin(pane);
    if (stock == nullptr || pane.database == nullptr) return;
    const Stock* base = RelativeStrengthBase(*pane.database, *stock, *pane.prefs);
    if (base == nullptr) return;
    const int n = BarCount(*stock);
    const std::string ticker = Ticker(*stock);
    const std::string baseTicker(base->TickerText());
    if (n <= 2) {
        Finish(pane, FormatString("%s - RS not available - too few quotations", ticker.c_str()));
        return;
    }
    // The pane's stock is a compressed copy in weekly and monthly charts: compare tickers.
    if (EqualNoCase(stock->TickerText(), base->TickerText())) {
        Finish(pane, FormatString("%s/%s - RS == 1 (the same stock)", ticker.c_str(),
                                  baseTicker.c_str()));
        return;
    }
    std::unique_ptr<Stock> compressed;
    if (pane.periodicity != Periodicity::Daily) {
        compressed = CompressQuotations(*base, pane.periodicity);
        base = compressed.get();
    }
    std::vector<float> rs(static_cast<std::size_t>(n));
    indicators::RelativeStrength(std::span<const Quotation>(stock->Quotations),
                                 std::span<const Quotation>(base->Quotations), rs.data());
    SeriesPlot p = FramedPlot(pane, rs);
    p.flags = 0x4001;
    RangeGridAndPlot(pane, p, pane.height <= 100 ? 0xC0 : 0x1C0,
                     pane.Colour(ColourSetting::Oscillator));
    Finish(pane, TitleText("%s/%s - RS =%7.3f", {ticker, baseTicker, TitleValue(pane, rs)}));
}

void PaintTrinChart(PaneContext& pane) {
    const Stock* stock = Begin(pane);
    if (stock == nullptr) return;
    if (pane.periodicity != Periodicity::Daily) {
        Finish(pane, "TRIN - Only daily mode is supported now");
        return;
    }
    const int n = BarCount(*stock);
    const std::string ticker = Ticker(*stock);
    if (n <= 2) {
        Finish(pane, FormatString("%s - TRIN not available too few quotations", ticker.c_str()));
        return;
    }
    const MarketArrays m(pane, *stock, n);
    std::vector<float> trin(static_cast<std::size_t>(n));
    indicators::Trin(n, m.advIssues.data(), m.decIssues.data(), m.advVolume.data(),
                     m.decVolume.data(), trin.data());
    const int fast = pane.prefs->TrinFast(), slow = pane.prefs->TrinSlow();
    std::vector<float> fastAverage, slowAverage;
    if (fast > 0) {
        fastAverage.resize(trin.size());
        indicators::MovingAverage(n, fast, trin.data(), fastAverage.data());
    }
    if (slow > 0) {
        slowAverage.resize(trin.size());
        indicators::MovingAverage(n, slow, trin.data(), slowAverage.data());
    }

    // The range of TRIN, or of its fast average (padded by half) when that is drawn.
    SeriesPlot p = FramedPlot(pane, trin);
    p.baseline = 1;
    p.flags = 0x4145;
    ComputeRange(p);
    if (fast > 0) {
        p.values = fastAverage.data();
        p.padding = 150;
        p.flags = 0x4101;
        ComputeRange(p);
    }
    DrawGrid(pane, p, 0x400C1);
    if (fast > 0) {
        p.flags = 0x4100;
        PlotSeries(pane, p, pane.Colour(ColourSetting::Oscillator));
    }
    if (slow > 0) {
        p.values = slowAverage.data();
        p.flags = 0x4102;
        PlotSeries(pane, p, pane.Colour(ColourSetting::Signal));
    }
    p.values = trin.data();
    p.padding = 100;
    p.flags = 0x4106;
    PlotSeries(pane, p, pane.Colour(ColourSetting::Histogram));
    Finish(pane, TitleText("%s - TRIN %6.2f", {ticker, TitleValue(pane, trin)}));
}

void PaintAdLineChart(PaneContext& pane) {
    const Stock* stock = Begin(pane);
    if (stock == nullptr) return;
    if (pane.periodicity != Periodicity::Daily) {
        Finish(pane, "ADLine - Only daily mode is supported now");
        return;
    }
    const int n = BarCount(*stock);
    const std::string ticker = Ticker(*stock);
    if (n <= 2) {
        Finish(pane, FormatString("%s - AD-Line not available too few quotations", ticker.c_str()));
        return;
    }
    const MarketArrays m(pane, *stock, n);
    std::vector<float> line(static_cast<std::size_t>(n));
    indicators::AdvanceDeclineLine(n, m.advIssues.data(), m.decIssues.data(), m.uncIssues.data(),
                                   line.data());
    SeriesPlot p = FramedPlot(pane, line);
    p.flags = 0x4101;
    RangeGridAndPlot(pane, p, 0x400C1, pane.Colour(ColourSetting::Oscillator));
    Finish(pane, TitleText("%s - AD-Line %6.2f", {ticker, TitleValue(pane, line)}));
}

}  // namespace velmora
