// velmora-cli import metastock / import teletext on directories and pages the tests write.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "../import/MetastockFixture.h"
#include "cli/Cli.h"
#include "cli/CliTestSupport.h"
#include "common/TestSupport.h"

namespace velmora::cli {
namespace {

using test_support::CliRun;

CliRun RunCli(const test::TempDir& profile, const test::TempDir& ws, const std::string& name,
              std::vector<std::string> args) {
    return test_support::RunCliCommand(profile, ws.path(), name, std::move(args));
}

void WriteDirectory(const test::TempDir& ms) {
    test::WriteMaster(ms.path(), {{1, 5, "ORBIS", "Orbis SA", 1001229, 1010102},
                                  {2, 7, "POLY", "Polymer Works", 991231, 1000103},
                                  {3, 7, "GONE", "No data file", 991231, 1000103}});
    test::WriteDataFile(ms.path(), 1, 5,
                        {{1001229, 0, 11, 9, 10, 1500, 0}, {1010102, 0, 12, 10, 11, 2500, 0}});
    test::WriteDataFile(ms.path(), 2, 7,
                        {{991231, 5, 6, 4, 5.5f, 100, 7}, {1000103, 5.5f, 6, 5, 6, 200, 8}});
}

TEST(CliImport, MetastockListAndSelectedImport) {
    test::TempDir profile, ws, ms;
    WriteDirectory(ms);
    const CliRun list = RunCli(profile, ws, "import", {"metastock", ms.path().string(), "--list"});
    ASSERT_EQ(list.status, kSuccess);
    EXPECT_EQ(list.out,
              "ORBIS\tOrbis SA\tHLC\t001229\t010102\tF1.DAT\n"
              "POLY\tPolymer Works\tOHLC\t991231\t000103\tF2.DAT\n"
              "GONE\tNo data file\tOHLC\t991231\t000103\tF3.DAT\n");

    const CliRun one =
        RunCli(profile, ws, "import", {"metastock", ms.path().string(), "--ticker", "poly"});
    ASSERT_EQ(one.status, kSuccess);
    EXPECT_EQ(one.out, "POLY: 2 quotations imported (new stock)\n");
    const CliRun quotes = RunCli(profile, ws, "quotes", {"POLY"});
    EXPECT_EQ(quotes.out,
              "date,open,high,low,close,volume,openint,mark,reduction\n"
              "99-12-31,5,6,4,5.5,100,7,0,0\n"
              "00-01-03,5.5,6,5,6,200,8,0,0\n");

    const CliRun all = RunCli(profile, ws, "import", {"metastock", ms.path().string()});
    ASSERT_EQ(all.status, kSuccess);
    EXPECT_EQ(all.out,
              "ORBIS: 2 quotations imported (new stock)\n"
              "POLY: 2 quotations imported\n"
              "GONE: data file not found, skipped\n");
    const CliRun stocks = RunCli(profile, ws, "list", {});
    EXPECT_EQ(stocks.out,
              "ORBIS\t2\t00-12-29\t01-01-02\tOrbis SA\n"
              "POLY\t2\t99-12-31\t00-01-03\tPolymer Works\n");
}

TEST(CliImport, MetastockFailuresAndUsage) {
    test::TempDir profile, ws, ms, empty;
    WriteDirectory(ms);
    EXPECT_EQ(RunCli(profile, ws, "import", {"metastock", empty.path().string()}).status, kFailure);
    EXPECT_EQ(RunCli(profile, ws, "import", {"metastock", ms.path().string(), "--ticker", "NOSUCH"})
                  .status,
              kFailure);
    // An import that skips every security it was given imported nothing: a failure.
    const CliRun skipped =
        RunCli(profile, ws, "import", {"metastock", ms.path().string(), "--ticker", "GONE"});
    EXPECT_EQ(skipped.status, kFailure);
    EXPECT_NE(skipped.err.find("every security was skipped"), std::string::npos) << skipped.err;
    EXPECT_EQ(RunCli(profile, ws, "import", {"metastock"}).status, kUsage);
    EXPECT_EQ(RunCli(profile, ws, "import", {"metastock", "a", "b"}).status, kUsage);
    EXPECT_EQ(RunCli(profile, ws, "import", {"metastock", "a", "--ticker"}).status, kUsage);
    EXPECT_EQ(RunCli(profile, ws, "import", {"nosuchkind"}).status, kUsage);
    EXPECT_EQ(RunCli(profile, ws, "import", {}).status, kUsage);
    EXPECT_EQ(RunCli(profile, ws, "list", {}).out, "");
}

TEST(CliImport, TeletextPages) {
    test::TempDir profile, ws, ms, pages;
    WriteDirectory(ms);
    ASSERT_EQ(RunCli(profile, ws, "import", {"metastock", ms.path().string()}).status, kSuccess);
    test::WriteText(pages / "p1.txt",
                    "AKCJE-rynek podstawowy          08.01.01\n"
                    " ORBIS        12,50nk  50%       1.234,56\n"
                    " UNKNOWN   10,00                    100\n"
                    "OFERTA\n");
    test::WriteText(pages / "p2.txt", "no table here\n");
    const CliRun r = RunCli(profile, ws, "import",
                            {"teletext", (pages / "p1.txt").string(), (pages / "p2.txt").string()});
    // The page without a header imported nothing: the run fails, saying so on stderr.
    EXPECT_EQ(r.status, kFailure);
    EXPECT_EQ(r.out, (pages / "p1.txt").string() +
                         ": session 01-01-08, 1 quotation stored, 1 line skipped\n");
    EXPECT_EQ(r.err, "velmora-cli: import teletext: " + (pages / "p2.txt").string() +
                         ": no header line, nothing imported\n");
    const CliRun quotes = RunCli(profile, ws, "quotes", {"ORBIS"});
    EXPECT_NE(quotes.out.find("01-01-08,12.5,12.5,12.5,12.5,49360,0,1,50\n"), std::string::npos)
        << quotes.out;

    EXPECT_EQ(RunCli(profile, ws, "import", {"teletext", (pages / "none.txt").string()}).status,
              kFailure);
    EXPECT_EQ(RunCli(profile, ws, "import", {"teletext"}).status, kUsage);
}

}  // namespace
}  // namespace velmora::cli
