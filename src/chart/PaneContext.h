#pragma once
// Everything one pane's painting needs: its size and margins, the surface, the definition
// being painted and what the painters read (preferences, chart settings, the stock in the
// pane's periodicity, the scroll position and the trade arrows).

#include <vector>

#include "chart/Canvas.h"
#include "chart/ChartDefinition.h"
#include "chart/ChartSettings.h"
#include "database/Preferences.h"
#include "database/Stock.h"

namespace velmora {

class Database;
class FormulaEngine;

// The buy and sell arrays of the last formula run on the shown stock, one value per bar.
struct TradeArrows {
    std::vector<float> buy;
    std::vector<float> sell;
    bool Empty() const { return buy.empty() || sell.empty(); }
};

struct PaneContext {
    int width = 0;
    int height = 0;
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    Canvas* canvas = nullptr;
    bool suppressTitle = false;
    ChartDefinition* definition = nullptr;

    const Preferences* prefs = nullptr;
    ChartSettings* settings = nullptr;
    const Stock* stock = nullptr;  // already compressed for weekly and monthly panes
    Periodicity periodicity = Periodicity::Daily;
    int scrollPosition = 0;
    // The bar (of `stock`) whose values the title line shows; -1: the last bar.
    int titleBar = -1;
    const TradeArrows* arrows = nullptr;
    // The relative-strength base stocks and the markets' advance/decline data.
    const Database* database = nullptr;
    FormulaEngine* engine = nullptr;  // runs the formulas of formula-driven charts

    // The palette index of a colour setting.
    int Colour(ColourSetting setting) const { return prefs ? prefs->Colour(setting) : 1; }
    int VisibleBars() const { return settings ? settings->visibleBars : 159; }
};

}  // namespace velmora
