// Files of a workspace that could not be read: reported by every command that loads them, and
// kept out of the writes that used to replace them.

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "cli/Cli.h"
#include "cli/CliTestSupport.h"
#include "common/TestSupport.h"
#include "database/Preferences.h"

namespace velmora::cli {
namespace {

namespace fs = std::filesystem;
using test_support::CliRun;
using Bytes = std::vector<std::uint8_t>;

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

struct UnreadFiles : ::testing::Test {
    test::TempDir profile, root;
    fs::path ws = root / "ws";
    void SetUp() override { ASSERT_EQ(Do("sample-workspace", {ws.string()}).status, 0); }
    CliRun Do(const std::string& name, std::vector<std::string> args, bool force = false) {
        return test_support::RunCliCommandAt(profile.path(), ws, name, std::move(args), false,
                                             DateStyle::Short, force);
    }
    // The file a writing load set `file` aside to (FILE.damaged-DATE), or nothing.
    static fs::path SetAside(const fs::path& file) {
        for (const auto& e : fs::directory_iterator(file.parent_path())) {
            const std::string name = e.path().filename().string();
            if (name.rfind(file.filename().string() + ".damaged-", 0) == 0) return e.path();
        }
        return {};
    }
    // The file cut to `size` bytes; its new contents.
    static Bytes Cut(const fs::path& file, std::size_t size) {
        Bytes bytes = test::ReadBytes(file);
        bytes.resize(size);
        test::WriteBytes(file, bytes);
        return bytes;
    }
};

TEST_F(UnreadFiles, DamagedStockFilesAreReportedAndSetAsideBeforeANewStockTakesTheirTicker) {
    const fs::path cutFile = ws / "a" / "ALDORA";
    const Bytes cut = Cut(cutFile, 500);  // inside the quotations
    const fs::path noise = ws / "b" / "BRENKO";
    test::WriteText(noise, "random bytes, no stock file");

    // A reading command says which files it could not read, succeeds and changes nothing.
    CliRun r = Do("list", {});
    EXPECT_EQ(r.status, kSuccess);
    EXPECT_TRUE(Has(r.err, cutFile.string())) << r.err;
    EXPECT_TRUE(Has(r.err, noise.string())) << r.err;
    EXPECT_FALSE(Has(r.out, "ALDORA"));
    EXPECT_EQ(test::ReadBytes(cutFile), cut);

    // A writing command moves them aside whole before the ticker is created again.
    r = Do("stock", {"new", "ALDORA"});
    ASSERT_EQ(r.status, kSuccess) << r.err;
    EXPECT_EQ(test::ReadBytes(SetAside(cutFile)), cut);
    EXPECT_EQ(test::ReadText(SetAside(noise)), "random bytes, no stock file");
    EXPECT_NE(test::ReadBytes(cutFile), cut);
    // Set aside, they are no longer read.
    EXPECT_EQ(Do("list", {}).err, "");
}

TEST_F(UnreadFiles, ACutPortfolioIsReplacedOnlyWithForceAndThenKeptAsBak) {
    ASSERT_EQ(Do("portfolio", {"pay-in", "1000"}).status, kSuccess);
    ASSERT_EQ(Do("portfolio", {"buy", "ALDORA", "--qty", "10", "--price", "40"}).status, kSuccess);
    const fs::path file = ws / "tarvik.portfolio";
    const Bytes cut = Cut(file, test::ReadBytes(file).size() - 20);

    CliRun r = Do("portfolio", {"show"});
    EXPECT_EQ(r.status, kSuccess);
    EXPECT_TRUE(Has(r.err, file.string())) << r.err;

    r = Do("portfolio", {"pay-in", "5"});
    EXPECT_EQ(r.status, kFailure);
    EXPECT_TRUE(Has(r.err, "--force")) << r.err;
    EXPECT_EQ(test::ReadBytes(file), cut);

    r = Do("portfolio", {"pay-in", "5"}, true);
    EXPECT_EQ(r.status, kSuccess) << r.err;
    EXPECT_EQ(test::ReadBytes(fs::path(file.string() + ".bak")), cut);
    EXPECT_EQ(Do("portfolio", {"show"}).err, "");
}

TEST_F(UnreadFiles, ADamagedWorkspaceFileStopsEverySaveUntilForceKeepsItAsBak) {
    const fs::path file = ws / "tarvik.workspace";
    const Bytes cut = Cut(file, test::ReadBytes(file).size() / 2);

    CliRun r = Do("stock", {"new", "NEWCO"});
    EXPECT_EQ(r.status, kFailure);
    EXPECT_TRUE(Has(r.err, file.string())) << r.err;
    EXPECT_EQ(test::ReadBytes(file), cut);
    EXPECT_FALSE(fs::exists(ws / "n" / "NEWCO"));

    r = Do("stock", {"new", "NEWCO"}, true);
    EXPECT_EQ(r.status, kSuccess) << r.err;
    EXPECT_EQ(test::ReadBytes(fs::path(file.string() + ".bak")), cut);
    EXPECT_TRUE(fs::exists(ws / "n" / "NEWCO"));
    EXPECT_EQ(Do("info", {}).err, "");
}

// A stray file holding a ticker that another file holds too is reported and not loaded, before
// or after the stock's own file in the order of the load.
TEST_F(UnreadFiles, AStraySecondFileOfATickerIsReportedAndTheStocksOwnFileIsLoaded) {
    const fs::path own = ws / "a" / "ALDORA";
    const fs::path before = ws / "_" / "ALDORA.old";
    const fs::path after = ws / "a" / "aldora";
    fs::copy_file(own, before);
    fs::copy_file(own, after);
    ASSERT_EQ(Do("stock", {"set", "ALDORA", "--name", "Renamed"}).status, kSuccess);

    const CliRun r = Do("list", {});
    EXPECT_EQ(r.status, kSuccess);
    EXPECT_TRUE(Has(r.err, before.string())) << r.err;
    EXPECT_TRUE(Has(r.err, after.string())) << r.err;
    int rows = 0;
    for (const std::string& line : test_support::Lines(r.out)) {
        if (line.rfind("ALDORA\t", 0) == 0) {
            ++rows;
            EXPECT_TRUE(Has(line, "Renamed")) << line;
        }
    }
    EXPECT_EQ(rows, 1);
    EXPECT_TRUE(fs::exists(before));
    EXPECT_TRUE(fs::exists(after));
}

// The profile's files that could not be read: reported by a reading command (its exit status
// unchanged), left byte for byte by the writes that used to replace them, replaced only with
// --force and then kept as .bak.
TEST_F(UnreadFiles, DamagedProfileFilesAreReportedAndReplacedOnlyWithForce) {
    ASSERT_EQ(Do("charts", {"set", "1001", "--name", "Mine"}).status, kSuccess);
    struct Case {
        const char* file;
        std::function<void(const fs::path&)> damage;
        std::vector<std::string> read;   // a command that reads the file
        std::vector<std::string> write;  // one that would replace it; empty when none does
    };
    const Case cases[] = {
        {"settings.ini",
         [](const fs::path& f) {
             test::WriteBytes(f, Bytes{0x00, 'x', '=', 0xFF, '\n'});
         },
         {"tools", "list"},
         {"tools", "add", "Editor", "--command", "ed"}},
        {"tarvik.charts",
         [](const fs::path& f) { Cut(f, test::ReadBytes(f).size() - 3); },
         {"charts", "list"},
         {"charts", "set", "1002", "--name", "Other"}},
        // One byte short of the magic and the whole block.
        {"tarvik.prefs",
         [](const fs::path& f) {
             Bytes cut{'T', 'A', 'R', 'V', 'P', 'R', 'E', '3'};
             cut.resize(8 + Preferences::kBlockSize - 1, 0);
             test::WriteBytes(f, cut);
         },
         {"prefs"},
         {"prefs", "set", "fat_line_chart", "1"}},
        // Never written by the program: only reported.
        {"tarvik.groups", [](const fs::path& f) { fs::create_directory(f); }, {"info"}, {}},
    };
    const auto run = [this](std::vector<std::string> command, bool force) {
        const std::string name = command.front();
        command.erase(command.begin());
        return Do(name, std::move(command), force);
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const fs::path file = profile.path() / c.file;
        c.damage(file);
        CliRun r = run(c.read, false);
        EXPECT_EQ(r.status, kSuccess);
        EXPECT_TRUE(Has(r.err, file.string())) << r.err;
        if (c.write.empty()) continue;
        const Bytes damaged = test::ReadBytes(file);

        r = run(c.write, false);
        EXPECT_EQ(r.status, kFailure);
        EXPECT_TRUE(Has(r.err, "--force")) << r.err;
        EXPECT_EQ(test::ReadBytes(file), damaged);

        r = run(c.write, true);
        EXPECT_EQ(r.status, kSuccess) << r.err;
        EXPECT_EQ(test::ReadBytes(fs::path(file.string() + ".bak")), damaged);
        EXPECT_EQ(run(c.read, false).err, "");
    }
}

}  // namespace
}  // namespace velmora::cli
