// Real Metastock directories (tests/data/metastock) imported and compared with the CSVs another
// reader produced for them.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

#include "common/TestSupport.h"
#include "import/MetastockImporter.h"
#include "platform/ConsoleUserInterface.h"
#include "platform/MemorySettingsStore.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

struct ExpectedRow {
    PackedDate date;
    double open, high, low, close;
    long long volume, openInt;
};

// The expected standard output of a .atst file: the CSV between "<<EOF" and "EOF" after the
// STDOUT marker, grouped by symbol.
std::map<std::string, std::vector<ExpectedRow>> ReadExpected(const fs::path& atst) {
    std::ifstream in(atst);
    std::string line;
    bool inStdout = false, inCsv = false;
    std::map<std::string, std::vector<ExpectedRow>> out;
    while (std::getline(in, line)) {
        if (line == "## STDOUT") inStdout = true;
        if (!inStdout) continue;
        if (!inCsv) {
            inCsv = line.find("<<EOF") != std::string::npos;
            continue;
        }
        if (line == "EOF") break;
        if (line.rfind("symbol,", 0) == 0) continue;
        std::vector<std::string> f;
        std::stringstream ss(line);
        for (std::string cell; std::getline(ss, cell, ',');) f.push_back(cell);
        if (f.size() != 9) continue;
        ExpectedRow r{};
        r.date = MakeDate(std::stoi(f[1].substr(0, 4)), std::stoi(f[1].substr(5, 2)),
                          std::stoi(f[1].substr(8, 2)));
        r.open = std::stod(f[3]);
        r.high = std::stod(f[4]);
        r.low = std::stod(f[5]);
        r.close = std::stod(f[6]);
        r.volume = std::stoll(f[7]);
        r.openInt = std::stoll(f[8]);
        out[f[0]].push_back(r);
    }
    return out;
}

// Imports every row of `dir` and compares each imported security with the expected rows of its
// symbol. Returns the number of securities compared.
int ImportAndCompare(const fs::path& dir, const fs::path& atst,
                     std::vector<MetastockRowResult>* results = nullptr) {
    Database db;
    MemorySettingsStore settings;
    RecordingUserInterface ui;
    MetastockImporter importer(db, settings, ui);
    EXPECT_TRUE(importer.OpenFolder(dir));
    const auto expected = ReadExpected(atst);
    EXPECT_FALSE(expected.empty());
    const auto summary = importer.Import();
    int compared = 0;
    for (const MetastockRowResult& r : summary.rows) {
        if (r.outcome != MetastockRowResult::Outcome::Imported) continue;
        SCOPED_TRACE(r.ticker);
        auto it = expected.find(r.ticker);
        EXPECT_NE(it, expected.end());
        if (it == expected.end()) continue;
        const Stock* s = db.FindStock(r.ticker);
        EXPECT_NE(s, nullptr);
        if (s == nullptr) continue;
        EXPECT_EQ(s->Quotations.size(), it->second.size());
        EXPECT_EQ(r.skipped, 0);
        for (std::size_t i = 0; i < std::min(s->Quotations.size(), it->second.size()); ++i) {
            const Quotation& q = s->Quotations[i];
            const ExpectedRow& e = it->second[i];
            EXPECT_EQ(q.Date, e.date) << DateToText(q.Date);
            // A recorded open of 0 (not known) is stored as the close.
            EXPECT_NEAR(q.Open, e.open == 0 ? e.close : e.open, 1e-5);
            EXPECT_NEAR(q.High, e.high, 1e-5);
            EXPECT_NEAR(q.Low, e.low, 1e-5);
            EXPECT_NEAR(q.Close, e.close, 1e-5);
            // The volume is truncated; the CSV rounds it.
            EXPECT_TRUE(e.volume - q.Volume == 0 || e.volume - q.Volume == 1)
                << q.Volume << " vs " << e.volume;
            EXPECT_EQ(q.OpenInt, e.openInt);
        }
        ++compared;
    }
    if (results) *results = summary.rows;
    return compared;
}

TEST(MetastockRealData, EquisDirectoryMatchesTheExpectedCsv) {
    const fs::path data = test::TestDataDir() / "metastock";
    std::vector<MetastockRowResult> rows;
    EXPECT_EQ(ImportAndCompare(data / "msdir_equis_b", data / "odds.03.atst", &rows), 2);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].ticker, ".DJX");
    EXPECT_EQ(rows[1].ticker, ".FCHI");
}

TEST(MetastockRealData, OddLetterCaseDirectory) {
    // The directory as the expected CSV was made from: every name in odd letter case, and the
    // data file of .FCHI renamed away from F2.DAT.
    const fs::path data = test::TestDataDir() / "metastock";
    test::TempDir tmp;
    const std::map<std::string, std::string> renames = {
        {"MASTER", "mAsTeR"},      {"EMASTER", "EmAsTeR"}, {"XMASTER", "XmAsTeR"},
        {"F1.DAT", "f1.dAt"},      {"F2.DAT", "f2.mwd"},   {"F256.MWD", "F256.dat"},
        {"F2853.MWD", "f2853.MwD"}};
    for (const auto& [from, to] : renames) {
        fs::copy_file(data / "msdir_equis_b" / from, tmp / to);
    }
    std::vector<MetastockRowResult> rows;
    EXPECT_EQ(ImportAndCompare(tmp.path(), data / "odds.03.atst", &rows), 1);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].ticker, ".DJX");
    EXPECT_EQ(rows[0].outcome, MetastockRowResult::Outcome::Imported);
    EXPECT_EQ(rows[1].outcome, MetastockRowResult::Outcome::MissingDataFile);
}

TEST(MetastockRealData, BbfinanceDirectoryMatchesTheExpectedCsv) {
    const fs::path data = test::TestDataDir() / "metastock";
    std::vector<MetastockRowResult> rows;
    const int compared =
        ImportAndCompare(data / "msdir_bbfinance", data / "bbfinance.01.atst", &rows);
    EXPECT_EQ(rows.size(), 40u);
    EXPECT_EQ(compared, 40);
    for (const auto& r : rows) {
        if (r.outcome != MetastockRowResult::Outcome::Imported) {
            ADD_FAILURE() << r.ticker << " outcome " << static_cast<int>(r.outcome);
        }
    }
}

}  // namespace
}  // namespace velmora
