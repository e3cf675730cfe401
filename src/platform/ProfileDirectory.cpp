#include "platform/ProfileDirectory.h"

#include <cstdlib>
#include <system_error>

namespace velmora {

namespace fs = std::filesystem;

fs::path DefaultProfileDirectory() {
    if (const char* home = std::getenv("VELMORA_HOME"); home != nullptr && *home != 0) {
        return home;
    }
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && *xdg != 0) {
        return fs::path(xdg) / "velmora";
    }
    const char* home = std::getenv("HOME");
    return fs::path(home != nullptr && *home != 0 ? home : ".") / ".config" / "velmora";
}

std::optional<fs::path> OpenProfileDirectory(const std::optional<fs::path>& requested) {
    fs::path dir = requested ? *requested : DefaultProfileDirectory();
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (!fs::is_directory(dir, ec)) return std::nullopt;
    return dir;
}

}  // namespace velmora
