#pragma once
// Starting outside programs and opening documents the way the desktop does: a program is
// started directly (no shell in between) with its arguments and working directory; anything
// else (a document, a folder, an address such as "https://...") is handed to `xdg-open`.
// Started programs are detached: the caller never waits for them and leaves no zombie behind.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// Splits an argument text into arguments without a shell: blanks and tabs separate them,
// double or single quotes group (their contents kept as written, except that a backslash
// before '"' or '\' inside double quotes escapes it) and outside quotes a backslash takes the
// next character literally. Nothing is expanded.
std::vector<std::string> SplitArguments(std::string_view text);

// Whether `command` names a program that can be started directly: a path to an executable
// regular file, or a name without '/' found as one on PATH.
bool IsExecutableCommand(std::string_view command);

// Starts argv[0] (looked up on PATH when it has no '/') with the arguments, in
// `workingDirectory` (the current one when empty), detached. True when the program was
// started; false when the directory or the program could not be used.
bool StartDetached(const std::vector<std::string>& argv,
                   const std::filesystem::path& workingDirectory);

// Opens `command` with the desktop: an executable command is started with the arguments split
// by SplitArguments; anything else is passed to `xdg-open` (which takes no arguments of its
// own, so `arguments` are not passed). A relative path is taken in the working directory.
// True when something was started.
bool DesktopOpen(std::string_view command, std::string_view arguments,
                 const std::filesystem::path& workingDirectory);

}  // namespace velmora
