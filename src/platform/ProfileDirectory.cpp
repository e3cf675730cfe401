#include "platform/ProfileDirectory.h"

#include <cstdlib>
#include <system_error>

#include "platform/FileUtil.h"
#include "platform/InstallLayout.h"

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

fs::path ProfileResourcesDirectory() {
    if (const char* res = std::getenv("VELMORA_RESOURCES"); res != nullptr && *res != 0) {
        return fs::path(res) / "profile";
    }
    return ProgramDataDirectory() / "profile";
}

int SeedProfileDirectory(const fs::path& profile, const fs::path& resources) {
    std::error_code ec;
    fs::directory_iterator it(resources, ec);
    if (ec) return 0;
    int copied = 0;
    for (const fs::directory_entry& entry : it) {
        if (!entry.is_regular_file(ec)) continue;
        const fs::path target = profile / entry.path().filename();
        if (fs::exists(fs::symlink_status(target, ec))) continue;
        const auto data = ReadTextFile(entry.path(), FileKind::Resource);
        if (data && WriteFileAtomically(target, *data)) ++copied;
    }
    return copied;
}

std::optional<fs::path> OpenProfileDirectory(const std::optional<fs::path>& requested,
                                             const fs::path& resources) {
    fs::path dir = requested ? *requested : DefaultProfileDirectory();
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (!fs::is_directory(dir, ec)) return std::nullopt;
    SeedProfileDirectory(dir, resources);
    return dir;
}

}  // namespace velmora
