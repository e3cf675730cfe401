#pragma once
// Runs one velmora-cli command the way main() does, capturing what it writes.

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/Cli.h"
#include "common/TestSupport.h"

namespace velmora::cli::test_support {

struct CliRun {
    int status = -1;
    std::string out, err;
};

// The contents of a temporary file, which is closed.
inline std::string DrainFile(std::FILE* f) {
    std::string s;
    std::rewind(f);
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) s.append(buf, n);
    std::fclose(f);
    return s;
}

// Runs the command `name` with `args`; an empty workspace path means the preferences'
// database path. With noSave the command changes nothing on disk; `dates` is --iso-dates.
inline CliRun RunCliCommandAt(const std::filesystem::path& profile,
                              const std::filesystem::path& workspace, const std::string& name,
                              std::vector<std::string> args, bool noSave = false,
                              DateStyle dates = DateStyle::Short, bool force = false) {
    Context ctx;
    ctx.requestedProfile = profile;
    if (!workspace.empty()) ctx.requestedWorkspace = workspace;
    ctx.noSave = noSave;
    ctx.force = force;
    ctx.dates = dates;
    ctx.out = std::tmpfile();
    ctx.err = std::tmpfile();
    CliRun r;
    for (const Command& c : Commands()) {
        if (name == c.name) {
            r.status = c.run(ctx, args);
            break;
        }
    }
    r.out = DrainFile(ctx.out);
    r.err = DrainFile(ctx.err);
    return r;
}

inline CliRun RunCliCommand(const velmora::test::TempDir& profile,
                            const std::filesystem::path& workspace, const std::string& name,
                            std::vector<std::string> args) {
    return RunCliCommandAt(profile.path(), workspace, name, std::move(args));
}

// The lines of a text; a last line without its line feed counts too.
inline std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

}  // namespace velmora::cli::test_support
