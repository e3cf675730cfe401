#include "chart/ChartSettings.h"

#include <algorithm>

#include "database/Preferences.h"

namespace velmora {

void ChartSettings::FromPreferences(const Preferences& prefs) {
    visibleBars = std::max(kMinVisibleBars, prefs.DefaultQuotationsInChart());
    const int style = prefs.DefaultStyle();
    chartType = style >= 0 && style <= 3 ? static_cast<ChartType>(style) : ChartType::Auto;
}

}  // namespace velmora
