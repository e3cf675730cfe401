#pragma once
// "tarvik.prefs": the 8-byte magic "TARVPRE3" followed by the 664-byte preference block,
// little-endian as the block holds it. Loading migrates the blocks of older versions.

#include <filesystem>

#include "database/Preferences.h"
#include "platform/FileSystem.h"
#include "platform/Status.h"

namespace velmora {

inline constexpr char kPreferencesFileName[] = "tarvik.prefs";

// Reads the block over `prefs`: bytes the file holds replace the current ones (a short file as
// far as it goes), the rest keep theirs. Then applies the version migrations by the magic's
// eighth character and repairs colour settings left all zero by older versions. When the file
// cannot be read (NotFound, IoError, Corrupt above the size cap) or does not begin with
// "TARVPRE" (BadMagic) the block keeps its values. A file cut short inside the block is read as
// far as it goes and answered with Corrupt. Every failure but NotFound names the file and why.
Status LoadPreferences(const std::filesystem::path& file, Preferences& prefs);

// Writes the magic and the block (through a temporary file, the calls going through `fs`); the
// failure names the file and the reason.
Status SavePreferences(const std::filesystem::path& file, const Preferences& prefs,
                       FileSystem& fs = SystemFileSystem());

// The migrations and the colour repair of a block read from a file of version `version`.
void MigratePreferences(Preferences& prefs, char version);

}  // namespace velmora
