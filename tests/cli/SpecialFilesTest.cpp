// Every reader of the program given what is not a regular file, or a file above its size cap:
// each refuses at once, without blocking on a FIFO, streaming a device or taking in gigabytes.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <string>

#include "chart/ChartDefinition.h"
#include "chart/ChartWindowModel.h"
#include "chart/ChartsFile.h"
#include "cli/CliTestSupport.h"
#include "database/Categories.h"
#include "database/CategoryNames.h"
#include "database/PreferencesFile.h"
#include "database/StockFile.h"
#include "database/WorkspaceFile.h"
#include "formula/FormulaFile.h"
#include "import/ImportTypes.h"
#include "import/MetastockFiles.h"
#include "platform/FileUtil.h"
#include "platform/IniSettingsStore.h"
#include "portfolio/PortfolioFile.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

// What a reader made of the file: whether it refused it, and the message it gave (empty for the
// readers that fall back to their defaults without a word).
struct Outcome {
    bool refused = false;
    std::string message;
};

Outcome FromStatus(const Status& status) {
    return {!status, status.ToString()};
}

struct Reader {
    const char* name;
    FileKind kind;
    const char* fileName;  // where the reader looks, inside a folder of the test
    std::function<Outcome(const fs::path&)> read;
};

// A velmora-cli command over a sample workspace, with `file` as its argument.
Outcome Cli(const char* command, std::vector<std::string> args) {
    test::TempDir profile, root;
    const auto made = cli::test_support::RunCliCommandAt(
        profile.path(), root / "ws", "sample-workspace", {(root / "ws").string()});
    if (made.status != 0) return {false, "no sample workspace"};
    const auto run =
        cli::test_support::RunCliCommandAt(profile.path(), root / "ws", command, std::move(args));
    return {run.status != 0, run.err};
}

const std::vector<Reader>& Readers() {
    static const std::vector<Reader> readers = {
        {"stock file", FileKind::Stock, "KGHM",
         [](const fs::path& f) {
             LoadedStock out;
             Bytes scratch;
             return FromStatus(ReadStockFile(f, {}, out, scratch));
         }},
        {"older quotations", FileKind::Stock, "KGHM",
         [](const fs::path& f) {
             QuotationList out;
             return FromStatus(ReadAllQuotations(f, out));
         }},
        {"workspace file", FileKind::Workspace, "tarvik.workspace",
         [](const fs::path& f) {
             CategoryTables t;
             return FromStatus(ReadWorkspaceFile(f, t));
         }},
        {"portfolio", FileKind::Portfolio, "tarvik.portfolio",
         [](const fs::path& f) {
             Portfolio p;
             return FromStatus(ReadPortfolioFile(f, p));
         }},
        {"preferences", FileKind::Preferences, "tarvik.prefs",
         [](const fs::path& f) {
             Preferences p;
             return FromStatus(LoadPreferences(f, p));
         }},
        {"formula file", FileKind::Formula, "a.qrx",
         [](const fs::path& f) { return FromStatus(LoadFormulaFile(f).GetStatus()); }},
        {"layout", FileKind::Layout, "default.layout",
         [](const fs::path& f) {
             ChartTable table;
             ChartWindowModel model(table);
             return FromStatus(model.Open(f));
         }},
        {"metastock data", FileKind::Import, "F1.DAT",
         [](const fs::path& f) { return FromStatus(MetastockDataReader(f, 7).status()); }},
        {"settings.ini", FileKind::Settings, "settings.ini",
         [](const fs::path& f) {
             return Outcome{!IniSettingsStore(f).GetString("Defaults", "DataDir"), ""};
         }},
        {"category names", FileKind::CategoryNames, "tarvik.groups",
         [](const fs::path& f) {
             CategoryTables t;
             t.SetDefaultNames();
             const std::string before(t.Groups[0].Name.View());
             LoadCategoryNames(f.parent_path(), t);
             return Outcome{t.Groups[0].Name.View() == before, ""};
         }},
        {"charts", FileKind::Charts, "tarvik.charts",
         [](const fs::path& f) {
             ChartTable table;
             return Outcome{!ReadChartsFile(table, f), ""};
         }},
        {"import types", FileKind::FormatDefinitions, "import.types",
         [](const fs::path& f) {
             return Outcome{ReadImportTypes(f).types.empty(), ""};
         }},
        {"script", FileKind::Script, "a.js",
         [](const fs::path& f) { return Cli("script", {f.string()}); }},
        {"formula check", FileKind::Formula, "b.qrx",
         [](const fs::path& f) { return Cli("check", {f.string()}); }},
        {"teletext import", FileKind::Import, "page.txt",
         [](const fs::path& f) {
             return Cli("import", {"teletext", f.string()});
         }},
    };
    return readers;
}

struct Special {
    const char* name;
    std::function<void(const fs::path&, FileKind)> make;
    const char* reason;  // in the message of a reader that gives one
};

const std::vector<Special>& Specials() {
    static const std::vector<Special> specials = {
        {"directory", [](const fs::path& f, FileKind) { fs::create_directory(f); },
         "Is a directory"},
        {"FIFO", [](const fs::path& f, FileKind) { ASSERT_EQ(::mkfifo(f.c_str(), 0644), 0); },
         "a FIFO, not a regular file"},
        {"/dev/zero", [](const fs::path& f, FileKind) { fs::create_symlink("/dev/zero", f); },
         "a character device, not a regular file"},
        // A sparse file one byte above the cap: no disk space, and any read of it whole would
        // show in the test's memory.
        {"oversize",
         [](const fs::path& f, FileKind kind) {
             test::WriteText(f, "");
             fs::resize_file(f, FileSizeCap(kind) + 1);
         },
         "larger than "},
    };
    return specials;
}

TEST(SpecialFiles, EveryReaderRefusesWhatIsNotARegularFileOrTooLargeAndSaysWhich) {
    for (const Reader& reader : Readers()) {
        for (const Special& special : Specials()) {
            SCOPED_TRACE(std::string(reader.name) + " / " + special.name);
            test::TempDir dir;
            const fs::path file = dir / reader.fileName;
            special.make(file, reader.kind);
            const Outcome out = reader.read(file);
            EXPECT_TRUE(out.refused);
            if (out.message.empty()) continue;
            EXPECT_NE(out.message.find(file.string() + ": " + special.reason), std::string::npos)
                << out.message;
        }
    }
}

}  // namespace
}  // namespace velmora
