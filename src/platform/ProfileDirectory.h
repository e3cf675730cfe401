#pragma once
// The profile directory holds the preferences, the category name files, the chart definitions,
// the layout file, the import definitions and "settings.ini": $VELMORA_HOME when set, else
// $XDG_CONFIG_HOME/velmora, else ~/.config/velmora; a --profile option overrides all three.
//
// Opening it creates it when missing and seeds it with the default files shipped in the
// program's data folder (`profile/`, see InstallLayout.h): each file of that folder that the
// profile lacks is copied in. Files the profile already has are never touched, so the user's own
// edits survive.

#include <filesystem>
#include <optional>

namespace velmora {

std::filesystem::path DefaultProfileDirectory();
// The folder of default profile files: $VELMORA_RESOURCES/profile when that is set, else the
// installation's share/velmora/profile, else resources/profile of the source tree.
std::filesystem::path ProfileResourcesDirectory();

// The given directory or the default one, created when missing and seeded from `resources`.
// Nothing when it cannot be created.
std::optional<std::filesystem::path> OpenProfileDirectory(
    const std::optional<std::filesystem::path>& requested,
    const std::filesystem::path& resources = ProfileResourcesDirectory());

// Copies every regular file of `resources` that `profile` lacks; the number copied. A missing
// resources folder copies nothing.
int SeedProfileDirectory(const std::filesystem::path& profile,
                         const std::filesystem::path& resources);

}  // namespace velmora
