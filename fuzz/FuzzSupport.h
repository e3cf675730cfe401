#pragma once
// Shared pieces of the fuzz harnesses: a scratch directory per process that each input
// rebuilds, and file writing.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace velmora::fuzz {

// An empty directory for this input (the same path for every input of the process; emptied on
// each call).
std::filesystem::path FreshDirectory(const std::string& name);
void WriteFile(const std::filesystem::path& path, const std::uint8_t* data, std::size_t size);
void WriteFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);

}  // namespace velmora::fuzz
