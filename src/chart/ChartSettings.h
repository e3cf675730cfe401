#pragma once
// The settings every chart window shares: the chart type, the number of visible bars and the
// selected bar. (The periodicity is per window, held by ChartWindowModel.)

#include "database/Periodicity.h"

namespace velmora {

class Preferences;

enum class ChartType { Auto = 0, Line = 1, Candlesticks = 2, Bars = 3 };

inline constexpr int kMinVisibleBars = 8;

struct ChartSettings {
    ChartType chartType = ChartType::Auto;
    int visibleBars = 159;
    // Index within the visible bars; -1 none.
    int selectedBar = -1;
    bool markerShown = false;
    // The volume pane shows turnover (volume x close x 2) rather than shares.
    bool volumeShowsTurnover = true;

    // The initial number of visible bars and chart type from the preferences.
    void FromPreferences(const Preferences& prefs);
};

}  // namespace velmora
