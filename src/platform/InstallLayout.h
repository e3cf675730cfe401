#pragma once
// Where a program finds the files it ships with. An installation keeps them beside its
// executables at fixed relative places (`bin/` → `share/velmora/` for the default profile files
// and samples, `share/doc/velmora/` for the manual), so an installed tree still works after it
// is moved to another prefix. A program run from its build folder finds no such folders and
// uses the source tree's `resources/` and `docs/` instead.

#include <filesystem>
#include <string_view>

namespace velmora {

// The version of both programs, as the build was configured ("0.1.0").
std::string_view ProgramVersion();

// The folder of the running executable; empty when the system does not say.
std::filesystem::path ExecutableDirectory();

// The shipped data folder (its `profile/` and `samples/`): `share/velmora` of the installation
// that holds `executableDir`, else the source tree's `resources/`.
std::filesystem::path ProgramDataDirectory(
    const std::filesystem::path& executableDir = ExecutableDirectory());

// The documentation folder (its `manual/`): `share/doc/velmora` of the installation, else the
// source tree's `docs/`.
std::filesystem::path ProgramDocDirectory(
    const std::filesystem::path& executableDir = ExecutableDirectory());

}  // namespace velmora
