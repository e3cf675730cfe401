// import ascii|metastock|teletext ...: dispatches to the import sub-commands.

#include <string>
#include <vector>

#include "cli/Cli.h"

namespace velmora::cli {

namespace {

struct ImportSubCommand {
    const char* name;
    int (*run)(Context&, std::vector<std::string>&);
};

// The sub-commands of "import", one line each.
const ImportSubCommand kImportSubCommands[] = {
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

}  // namespace velmora::cli
