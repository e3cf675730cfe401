#include "common/TestSupport.h"

#include <bit>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

namespace velmora::test {

namespace fs = std::filesystem;

TempDir::TempDir() {
    std::random_device rd;
    for (int attempt = 0; attempt < 100; ++attempt) {
        fs::path p = fs::temp_directory_path() / ("velmora-test-" + std::to_string(rd()));
        std::error_code ec;
        if (fs::create_directory(p, ec)) {
            path_ = p;
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary directory");
}

TempDir::~TempDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
}

std::vector<std::uint8_t> ReadBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const fs::path& file, const std::vector<std::uint8_t>& bytes) {
    fs::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

void WriteText(const fs::path& file, const std::string& text) {
    WriteBytes(file, std::vector<std::uint8_t>(text.begin(), text.end()));
}

std::string ReadText(const fs::path& file) {
    auto b = ReadBytes(file);
    return std::string(b.begin(), b.end());
}

void AppendU32BE(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<std::uint8_t>(v >> s));
}

void AppendF32BE(std::vector<std::uint8_t>& out, float v) {
    AppendU32BE(out, std::bit_cast<std::uint32_t>(v));
}

void AppendText(std::vector<std::uint8_t>& out, const std::string& text, std::size_t field) {
    for (std::size_t i = 0; i < field; ++i) {
        out.push_back(i < text.size() ? static_cast<std::uint8_t>(text[i]) : 0);
    }
}

fs::path TestDataDir() {
    if (const char* dir = std::getenv("VELMORA_TESTDATA")) return dir;
    return fs::path(__FILE__).parent_path().parent_path() / "data";
}

}  // namespace velmora::test
