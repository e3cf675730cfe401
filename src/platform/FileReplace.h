#pragma once
// Whole-file reads and replacements for the platform layer's own files (settings, profile
// seeding). A replacement is written to a temporary file beside the target and renamed over
// it, so a reader never sees half a file.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace velmora {

// The file's bytes, or nothing when it cannot be opened or read.
std::optional<std::string> ReadFileText(const std::filesystem::path& path);
// Replaces the file with `data`. False (and the old file untouched) on failure.
bool ReplaceFileContents(const std::filesystem::path& path, std::string_view data);

}  // namespace velmora
