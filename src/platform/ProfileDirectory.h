#pragma once
// The profile directory holds the preferences, the category name files, the chart definitions,
// the layout file, the import definitions and "settings.ini": $VELMORA_HOME when set, else
// $XDG_CONFIG_HOME/velmora, else ~/.config/velmora; a --profile option overrides all three.

#include <filesystem>
#include <optional>

namespace velmora {

std::filesystem::path DefaultProfileDirectory();
// The given directory or the default one, created when missing. Nothing when it cannot be
// created.
std::optional<std::filesystem::path> OpenProfileDirectory(
    const std::optional<std::filesystem::path>& requested);

}  // namespace velmora
