// "tarvik.prefs" bytes loaded over the default preferences as the program does at start-up.
// A block that loads (whole or cut short) is saved and loaded again: the second load must give the
// same block (the migrations and the colour repair settle after one pass), and every colour shown
// must be a 12-bit value.

#include <cstdint>

#include "FuzzSupport.h"
#include "database/PreferencesFile.h"

using namespace velmora;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const auto dir = fuzz::FreshDirectory("prefs");
    const auto file = dir / kPreferencesFileName;
    fuzz::WriteFile(file, data, size);
    Preferences prefs;
    // A block cut short is used as far as it goes (Corrupt): it is checked as well.
    if (const Status loaded = LoadPreferences(file, prefs);
        !loaded && loaded.Code() != StatusCode::Corrupt) {
        return 0;
    }
    for (int i = 0; i < kColourSettingCount; ++i) {
        const int colour = prefs.ColourValue(static_cast<ColourSetting>(i));
        if (colour < 0 || colour > 0xFFF) __builtin_trap();
    }
    // The texts are cut inside their fields.
    if (prefs.DefaultRSBase().size() >= 32 || prefs.DefaultDatabasePath().size() >= 256) {
        __builtin_trap();
    }
    if (!SavePreferences(file, prefs)) return 0;
    Preferences again;
    if (!LoadPreferences(file, again) || again.Raw() != prefs.Raw()) {
        __builtin_trap();
    }
    return 0;
}
