#pragma once
// Helpers shared by the test suites: temporary directories and small file utilities.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace velmora::test {

// A fresh directory under the system's temporary directory, removed with its contents at the
// end of the scope.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

  private:
    std::filesystem::path path_;
};

std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& file);
void WriteBytes(const std::filesystem::path& file, const std::vector<std::uint8_t>& bytes);
void WriteText(const std::filesystem::path& file, const std::string& text);
std::string ReadText(const std::filesystem::path& file);

// Big-endian appenders for building file images by hand.
void AppendU32BE(std::vector<std::uint8_t>& out, std::uint32_t v);
void AppendF32BE(std::vector<std::uint8_t>& out, float v);
void AppendText(std::vector<std::uint8_t>& out, const std::string& text, std::size_t field);

// The folder of the test fixtures checked into the repository (tests/data).
std::filesystem::path TestDataDir();

}  // namespace velmora::test
