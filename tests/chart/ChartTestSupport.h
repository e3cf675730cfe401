#pragma once
// Stocks and panes for the chart tests.

#include <cmath>

#include "chart/ChartWindowPainter.h"
#include "chart/PaneContext.h"
#include "chart/RecordingCanvas.h"
#include "database/Stock.h"

namespace velmora::test {

// A stock with n trading days (Monday to Friday) from 3 January 2005, prices on a gentle wave.
inline Stock MakeStock(int n, bool continuous = true, const char* ticker = "TEST") {
    Stock s;
    s.Ticker.Set(ticker);
    SetContinuous(s, continuous);
    PackedDate d = MakeDate(2005, 1, 3);
    for (int i = 0; i < n; ++i) {
        Quotation q;
        q.Date = d;
        q.Close = static_cast<float>(100 + 10 * std::sin(i * 0.1));
        q.Open = q.Close - 1;
        q.High = q.Close + 2;
        q.Low = q.Close - 3;
        q.Volume = 1000 + i;
        s.Quotations.push_back(q);
        d = AddDays(d, DayOfWeek(d) == 4 ? 3 : 1);
    }
    return s;
}

// The view of `stock` in `model`'s window, every pane told the stock's bars were loaded.
inline ChartWindowView MakeWindowView(ChartWindowModel& model, ChartTable& table,
                                      ChartSettings& settings, const Preferences& prefs,
                                      const Stock& stock) {
    ChartWindowView view;
    view.model = &model;
    view.table = &table;
    view.settings = &settings;
    view.prefs = &prefs;
    view.stock = &stock;
    HintData data;
    data.barCount = static_cast<int>(stock.Quotations.size());
    data.visibleBars = settings.visibleBars;
    model.Receive({RefreshHint::Kind::Everything}, data);
    return view;
}

struct PaneFixture {
    RecordingCanvas canvas;
    Preferences prefs;
    ChartSettings settings;
    ChartDefinition definition;
    PaneContext pane;

    explicit PaneFixture(int width = 442, int height = 318) {
        definition.id = 1;
        pane.width = width;
        pane.height = height;
        pane.canvas = &canvas;
        pane.prefs = &prefs;
        pane.settings = &settings;
        pane.definition = &definition;
    }
};

}  // namespace velmora::test
