#include "FuzzSupport.h"

#include <unistd.h>

#include <fstream>

namespace velmora::fuzz {

namespace fs = std::filesystem;

fs::path FreshDirectory(const std::string& name) {
    const fs::path dir =
        fs::temp_directory_path() / ("velmora-fuzz-" + std::to_string(::getpid())) / name;
    std::error_code ec;
    fs::remove_all(dir, ec);
    fs::create_directories(dir, ec);
    return dir;
}

void WriteFile(const fs::path& path, const std::uint8_t* data, std::size_t size) {
    std::error_code ec;
    fs::create_directories(path.parent_path(), ec);
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

void WriteFile(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
    WriteFile(path, bytes.data(), bytes.size());
}

}  // namespace velmora::fuzz
