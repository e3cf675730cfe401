// import metastock DIR [--list] [--ticker T...] and import teletext FILE...

#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "cli/Cli.h"
#include "database/FixedText.h"
#include "import/MetastockImporter.h"
#include "import/TeletextImporter.h"
#include "platform/MemorySettingsStore.h"

namespace velmora::cli {

namespace {

bool RejectOptions(Context& ctx, const char* command, const std::vector<std::string>& args) {
    for (const std::string& a : args) {
        if (!a.empty() && a[0] == '-') {
            ctx.Error(std::string(command) + ": unknown option '" + a + "'");
            return false;
        }
    }
    return true;
}

}  // namespace

int RunImportMetastock(Context& ctx, std::vector<std::string>& args) {
    bool list = false;
    std::vector<std::string> tickers;
    const TakenOptions taken = TakeOptions(args, {{"--list", &list}, {"--ticker", &tickers}});
    if (taken.AnyMissing()) {
        ctx.Error("import metastock: --ticker needs a ticker");
        return kUsage;
    }
    if (!RejectOptions(ctx, "import metastock", args)) return kUsage;
    if (args.size() != 1) {
        ctx.Error("import metastock: expected DIR [--list] [--ticker T...]");
        return kUsage;
    }

    // The settings store stays in memory: the command-line tool names the folder itself.
    MemorySettingsStore settings;
    MetastockImporter importer(ctx.db, settings, ctx.ui);
    if (!importer.OpenFolder(args[0])) return kFailure;
    const auto& rows = importer.Rows();

    if (list) {
        for (const MetastockRow& r : rows) {
            std::fprintf(ctx.out, "%s\t%s\t%s\t%s\t%s\tF%d.DAT\n",
                         MetastockImporter::Trimmed(r.ticker).c_str(),
                         MetastockImporter::Trimmed(r.fullName).c_str(), r.format.c_str(),
                         r.from.c_str() + 1, r.to.c_str() + 1, r.FileNumber());
        }
        return kSuccess;
    }

    if (!tickers.empty()) {
        for (std::size_t i = 0; i < rows.size(); ++i) importer.SetChecked(i, false);
        for (const std::string& t : tickers) {
            bool found = false;
            for (std::size_t i = 0; i < rows.size(); ++i) {
                if (EqualNoCase(MetastockImporter::Trimmed(rows[i].ticker), t)) {
                    importer.SetChecked(i, true);
                    found = true;
                }
            }
            if (!found) {
                ctx.Error("import metastock: no security '" + t + "' in " + args[0]);
                return kFailure;
            }
        }
    }

    if (!ctx.OpenWorkspace(Access::Write)) return kFailure;
    const MetastockImportSummary summary = importer.Import();
    int read = 0, incomplete = 0;
    for (const MetastockRowResult& r : summary.rows) {
        const std::string name = r.ticker.empty() ? "row " + std::to_string(r.row + 1) : r.ticker;
        std::fprintf(ctx.out, "%s: %s\n", name.c_str(), MetastockRowText(r).c_str());
        if (r.outcome == MetastockRowResult::Outcome::Imported) ++read;
        if (r.outcome == MetastockRowResult::Outcome::Incomplete) ++incomplete;
    }
    if (!ctx.SaveWorkspace()) return kFailure;
    if (read + incomplete == 0) {
        ctx.Error("import metastock: " +
                  std::string(summary.rows.empty() ? "no security to import in "
                                                   : "every security was skipped; nothing "
                                                     "imported from ") +
                  args[0]);
        return kFailure;
    }
    if (incomplete > 0) {
        ctx.Error("import metastock: " + std::to_string(incomplete) +
                  " of the securities could not be read to the end");
        return kFailure;
    }
    return summary.cancelled ? kFailure : kSuccess;
}

int RunImportTeletext(Context& ctx, std::vector<std::string>& args) {
    if (!RejectOptions(ctx, "import teletext", args)) return kUsage;
    if (args.empty()) {
        ctx.Error("import teletext: expected FILE...");
        return kUsage;
    }
    if (!ctx.OpenWorkspace(Access::Write)) return kFailure;
    int status = kSuccess;
    for (const std::string& file : args) {
        const TeletextImportResult r = ImportTeletext(ctx.db, file);
        if (!r.opened) {
            ctx.Error("import teletext: " + r.failure.ToString());
            status = kFailure;
            continue;
        }
        const std::string text =
            TeletextResultText(r, r.dateValid ? ctx.Date(r.dateText) : std::string());
        // A page without a header or with a date off the calendar imported nothing: a failure,
        // said on stderr in the words of the summary.
        if (!r.headerFound || !r.dateValid) {
            std::string message = "import teletext: ";
            message += file;
            message += ": ";
            message += text;
            ctx.Error(message);
            status = kFailure;
            continue;
        }
        std::fprintf(ctx.out, "%s: %s\n", file.c_str(), text.c_str());
    }
    if (!ctx.SaveWorkspace()) return kFailure;
    return status;
}

}  // namespace velmora::cli
