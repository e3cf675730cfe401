#include "platform/InstallLayout.h"

#include <system_error>

#ifndef VELMORA_VERSION
#define VELMORA_VERSION "0"
#endif
#ifndef VELMORA_SOURCE_DIR
#define VELMORA_SOURCE_DIR "."
#endif
// The installed data and documentation folders relative to the installed executables.
#ifndef VELMORA_BIN_TO_DATA
#define VELMORA_BIN_TO_DATA "../share/velmora"
#endif
#ifndef VELMORA_BIN_TO_DOC
#define VELMORA_BIN_TO_DOC "../share/doc/velmora"
#endif

namespace velmora {

namespace fs = std::filesystem;

namespace {

// `relative` beside `executableDir` when that folder exists, else `fallback` of the source tree.
fs::path Installed(const fs::path& executableDir, const char* relative, const char* fallback) {
    if (!executableDir.empty()) {
        std::error_code ec;
        fs::path dir = (executableDir / relative).lexically_normal();
        if (fs::is_directory(dir, ec)) return dir;
    }
    return fs::path(VELMORA_SOURCE_DIR) / fallback;
}

}  // namespace

std::string_view ProgramVersion() {
    return VELMORA_VERSION;
}

fs::path ExecutableDirectory() {
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::path() : exe.parent_path();
}

fs::path ProgramDataDirectory(const fs::path& executableDir) {
    return Installed(executableDir, VELMORA_BIN_TO_DATA, "resources");
}

fs::path ProgramDocDirectory(const fs::path& executableDir) {
    return Installed(executableDir, VELMORA_BIN_TO_DOC, "docs");
}

}  // namespace velmora
