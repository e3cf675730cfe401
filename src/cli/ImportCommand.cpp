// import ascii|metastock|teletext ...: the import sub-commands, and the ASCII import.

#include <cstdio>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

#include "cli/Cli.h"
#include "import/AsciiImportCommand.h"
#include "platform/MemorySettingsStore.h"

namespace velmora::cli {

namespace fs = std::filesystem;

namespace {

struct ImportSubCommand {
    const char* name;
    int (*run)(Context&, std::vector<std::string>&);
};

// The sub-commands of "import", one line each.
const ImportSubCommand kImportSubCommands[] = {
    {"ascii", RunImportAscii},
    {"metastock", RunImportMetastock},
    {"teletext", RunImportTeletext},
};

}  // namespace

int RunImport(Context& ctx, std::vector<std::string>& args) {
    if (args.empty()) {
        ctx.Error("import: expected a kind: ascii, metastock or teletext");
        return kUsage;
    }
    const std::string kind = args.front();
    args.erase(args.begin());
    for (const ImportSubCommand& sub : kImportSubCommands) {
        if (kind == sub.name) return sub.run(ctx, args);
    }
    ctx.Error("import: unknown kind '" + kind + "'");
    return kUsage;
}

int RunImportAscii(Context& ctx, std::vector<std::string>& args) {
    std::optional<std::string> typeText, formatText;
    const TakenOptions taken =
        TakeOptions(args, {{"--type", &typeText}, {"--format", &formatText}});
    if (taken.AnyMissing() || (typeText && formatText) || args.empty()) {
        ctx.Error("import ascii: expected FILE... [--type N | --format FILE]");
        return kUsage;
    }
    for (const std::string& a : args) {
        if (!a.empty() && a[0] == '-') {
            ctx.Error("import ascii: unknown option '" + a + "'");
            return kUsage;
        }
    }
    int typeNumber = 0;
    if (typeText) {
        try {
            std::size_t used = 0;
            typeNumber = std::stoi(*typeText, &used);
            if (used != typeText->size()) throw std::invalid_argument(*typeText);
        } catch (const std::exception&) {
            ctx.Error("import ascii: --type needs a number");
            return kUsage;
        }
    }
    if (!ctx.OpenWorkspace(Access::Write)) return kFailure;

    // The settings store stays in memory until the settings file is wired into the context.
    MemorySettingsStore settings;
    Status typesUnread;
    const ImportTypes types = ReadImportTypes(ctx.profileDir / "import.types", &typesUnread);
    if (!typesUnread) ctx.Error("import ascii: " + typesUnread.ToString());
    AsciiImportChoice choice;
    choice.typeNumber = typeText ? typeNumber : ReadAsciiImportDefaults(settings).typeNumber;
    // A type or format file that does not exist is replaced by the defaults; an import that then
    // stores nothing failed.
    bool substituted = false;
    if (typeText && (typeNumber < 1 || static_cast<std::size_t>(typeNumber) > types.types.size())) {
        substituted = true;
        ctx.Error("import ascii: there is no type " + *typeText + " in " +
                  (ctx.profileDir / "import.types").string() + "; using default.format");
    }
    if (formatText) {
        // A format file named on the command line is taken as given when it exists there,
        // else from the profile directory like the types' format files.
        std::error_code ec;
        const fs::path given(*formatText);
        choice.formatFile = fs::exists(given, ec) ? fs::absolute(given, ec).string() : *formatText;
    }
    for (const std::string& f : args) choice.files.emplace_back(f);
    {
        // The importer passes a missing format file over; say so, as every line would then be
        // read with the built-in field list.
        const std::string format =
            choice.formatFile ? *choice.formatFile : types.FormatFileOf(choice.typeNumber);
        // One that exists but cannot be read stops the import of each file, which says why.
        std::error_code ec;
        if (!fs::exists(ctx.profileDir / format, ec)) {
            substituted = true;
            ctx.Error("import ascii: the format file " + (ctx.profileDir / format).string() +
                      " is missing; the built-in field list applies");
        }
    }

    AsciiImporter importer(ctx.db, ctx.ui, ctx.profileDir, ctx.prefs.DefaultRSBase());
    const auto results = RunAsciiImport(importer, types, choice, ctx.ui, settings);
    int status = kSuccess;
    bool logged = false;
    int stored = 0;
    for (const AsciiImportFileResult& r : results) {
        if (!r.imported) {
            ctx.Error("import ascii: " + r.file.string() + ": not imported (cancelled)");
            status = kFailure;
            continue;
        }
        if (r.status != kAsciiImportDone) {
            std::string text = "import ascii: " + r.file.string() + ": " +
                               AsciiImportStatusText(r.status) + " (" + std::to_string(r.status) +
                               ")";
            if (!r.failure) text += ": " + r.failure.ToString();
            ctx.Error(text);
            status = kFailure;
            continue;
        }
        stored += r.stats.storedLines;
        std::fprintf(ctx.out, "%s: %s (%d); %s\n", r.file.string().c_str(),
                     AsciiImportStatusText(r.status), r.status, AsciiImportCounts(r.stats).c_str());
        for (const std::string& note : AsciiImportNotes(r.stats)) {
            std::fprintf(ctx.out, "  %s\n", note.c_str());
            logged = true;
        }
    }
    if (substituted && stored == 0 && status == kSuccess) {
        ctx.Error(
            "import ascii: nothing was stored with the format used in place of the one asked for");
        status = kFailure;
    }
    if (logged) std::fprintf(ctx.out, "Each line is in %s\n", importer.LogPath().string().c_str());
    if (!ctx.SaveWorkspace()) return kFailure;
    return status;
}

}  // namespace velmora::cli
