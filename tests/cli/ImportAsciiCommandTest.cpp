#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "cli/Cli.h"
#include "cli/CliTestSupport.h"
#include "common/TestSupport.h"

namespace velmora::cli {
namespace {

namespace fs = std::filesystem;

using test_support::CliRun;

// args: the command's name followed by its arguments.
CliRun Command(const fs::path& profile, const fs::path& workspace, std::vector<std::string> args) {
    const std::string name = args.front();
    args.erase(args.begin());
    return test_support::RunCliCommandAt(profile, workspace, name, std::move(args));
}

fs::path Resources() {
    return test::TestDataDir().parent_path().parent_path() / "resources";
}

TEST(ImportAsciiCommand, EveryShippedFormatImportsItsSample) {
    test::TempDir profile, ws, data;
    for (const auto& e : fs::directory_iterator(Resources() / "profile")) {
        fs::copy_file(e.path(), profile / e.path().filename().string());
    }
    const fs::path samples = Resources() / "samples";
    const struct {
        const char* type;
        const char* sample;
        const char* ticker;
        const char* stored;
    } cases[] = {
        {"2", "KORVEX.csv", "KORVEX", "5 lines stored"},
        {"3", "MIRALD.csv", "MIRALD", "4 lines stored"},
        {"4", "daily-export.txt", "CELMIR", "8 lines stored"},
        {"5", "TERVOS.csv", "TERVOS", "4 lines stored"},
        {"7", "HALDEN.csv", "HALDEN", "4 lines stored"},
        {"8", "NORVIK.csv", "NORVIK", "5 lines stored"},
    };
    for (const auto& c : cases) {
        const CliRun r =
            Command(profile.path(), ws.path(),
                    {"import", "ascii", (samples / c.sample).string(), "--type", c.type});
        EXPECT_EQ(r.status, kSuccess) << c.sample;
        EXPECT_NE(r.out.find(": done (0); " + std::string(c.stored)), std::string::npos) << r.out;
        // The header line is the one line not stored, and the log tells where to look.
        if (std::string(c.type) == "2") {
            EXPECT_NE(r.out.find(" lines stored, 1 lines not stored, 1 stocks added, 0 volumes "
                                 "clamped, 0 lines replaced, 0 lines with warnings\n"
                                 "  1 lines not stored: import.log says why\nEach line is in " +
                                 (profile / "import.log").string() + "\n"),
                      std::string::npos)
                << r.out;
        }
        // Saved: a later run sees the stock.
        const CliRun q = Command(profile.path(), ws.path(), {"quotes", c.ticker});
        EXPECT_EQ(q.status, kSuccess) << c.ticker;
        EXPECT_NE(q.out.find("24-01-03,"), std::string::npos) << q.out;
    }
    // The default format with an explicit --format, for a stock that now exists.
    test::WriteText(data / "KORVEX.txt", "01/09/2024 1 2 0.5 1.5 10\n");
    CliRun r =
        Command(profile.path(), ws.path(),
                {"import", "ascii", (data / "KORVEX.txt").string(), "--format", "default.format"});
    EXPECT_NE(r.out.find("1 lines stored"), std::string::npos) << r.out;

    r = Command(profile.path(), ws.path(), {"composites", "--all", "--volume", "--adv-dec"});
    EXPECT_EQ(r.status, kSuccess);
}

TEST(ImportAsciiCommand, ResultsAndUsage) {
    test::TempDir profile, ws, data;
    test::WriteText(profile / "bad.format", "$FORMAT DATE_YMD PRICE\n");
    test::WriteText(data / "X.txt", "1\n");
    CliRun r =
        Command(profile.path(), ws.path(),
                {"import", "ascii", (data / "X.txt").string(), (data / "none.txt").string()});
    EXPECT_EQ(r.status, kFailure);
    EXPECT_NE(r.err.find("none.txt: cannot be opened (4): cannot read"), std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find(std::strerror(ENOENT)), std::string::npos) << r.err;
    r = Command(profile.path(), ws.path(),
                {"import", "ascii", (data / "X.txt").string(), "--format", "bad.format"});
    EXPECT_NE(r.err.find("unknown field keyword in a $FORMAT line (3)"), std::string::npos);
    // A type that does not exist is replaced by the default format; storing nothing with it
    // is a failure.
    r = Command(profile.path(), ws.path(),
                {"import", "ascii", (data / "X.txt").string(), "--type", "99"});
    EXPECT_EQ(r.status, kFailure);
    EXPECT_NE(r.err.find("nothing was stored"), std::string::npos) << r.err;
    // Definitions that exist but cannot be read are named; a format file of that kind stops
    // the import instead of reading the lines with the built-in field list.
    fs::remove(profile / "import.types");
    fs::create_directory(profile / "import.types");
    fs::create_directory(profile / "dir.format");
    r = Command(profile.path(), ws.path(),
                {"import", "ascii", (data / "X.txt").string(), "--format", "dir.format"});
    EXPECT_EQ(r.status, kFailure);
    EXPECT_NE(r.err.find((profile / "import.types").string()), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("X.txt: cannot be opened (4): cannot read the format definitions file " +
                         (profile / "dir.format").string()),
              std::string::npos)
        << r.err;
    EXPECT_EQ(Command(profile.path(), ws.path(), {"import"}).status, kUsage);
    EXPECT_EQ(Command(profile.path(), ws.path(), {"import", "nope"}).status, kUsage);
    EXPECT_EQ(Command(profile.path(), ws.path(), {"import", "ascii"}).status, kUsage);
    EXPECT_EQ(Command(profile.path(), ws.path(), {"import", "ascii", "f", "--type", "x"}).status,
              kUsage);
    EXPECT_EQ(Command(profile.path(), ws.path(), {"composites", "--all", "--last", "3"}).status,
              kUsage);
    EXPECT_EQ(Command(profile.path(), ws.path(), {"composites", "--from", "24-01-01"}).status,
              kUsage);
    EXPECT_EQ(Command(profile.path(), ws.path(), {"composites", "--market", "256"}).status, kUsage);
}

TEST(ImportAsciiCommand, SampleWorkspaceBuiltThroughTheImporter) {
    test::TempDir profile, direct, imported, quotes;
    for (const auto& e : fs::directory_iterator(Resources() / "profile")) {
        fs::copy_file(e.path(), profile / e.path().filename().string());
    }
    ASSERT_EQ(
        Command(profile.path(), direct.path(), {"sample-workspace", direct.path().string()}).status,
        kSuccess);
    ASSERT_EQ(Command(profile.path(), imported.path(),
                      {"sample-workspace", imported.path().string(), "--ascii-dir",
                       quotes.path().string()})
                  .status,
              kSuccess);
    std::vector<std::string> args = {"import", "ascii"};
    for (const auto& e : fs::directory_iterator(quotes.path())) args.push_back(e.path().string());
    args.insert(args.end(), {"--format", "ticker-daily.format"});
    ASSERT_EQ(Command(profile.path(), imported.path(), args).status, kSuccess);
    // The imported member quotations equal the directly built ones.
    for (const char* ticker : {"JORVEN", "XANDOR", "IVERTA"}) {
        EXPECT_EQ(Command(profile.path(), imported.path(), {"quotes", ticker}).out,
                  Command(profile.path(), direct.path(), {"quotes", ticker}).out)
            << ticker;
    }
    const CliRun c =
        Command(profile.path(), imported.path(), {"composites", "--all", "--volume", "--adv-dec"});
    EXPECT_EQ(c.status, kSuccess);
    EXPECT_NE(c.out.find("0\tMain Market\tWIG\t"), std::string::npos) << c.out;
    const CliRun wig = Command(profile.path(), imported.path(), {"quotes", "WIG"});
    // The base index now carries the market's volume.
    EXPECT_EQ(wig.out.find(",0,0,0,0\n"), std::string::npos);
}

}  // namespace
}  // namespace velmora::cli
