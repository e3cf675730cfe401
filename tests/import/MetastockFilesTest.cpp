#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <cmath>
#include <limits>
#include <random>

#include "MetastockFixture.h"
#include "import/MetastockFiles.h"

namespace velmora {
namespace {

using test::IeeeToMbf;
using test::MsRecord;
using test::MsSecurity;

QuotationList ReadAll(const std::filesystem::path& file, int fields, int* skipped = nullptr,
                      Status* status = nullptr) {
    MetastockDataReader reader(file, fields);
    QuotationList out;
    Quotation q;
    while (reader.Next(q)) out.push_back(q);
    if (skipped) *skipped = reader.skipped();
    if (status) *status = reader.status();
    return out;
}

TEST(MetastockMbf, KnownValuesSignsAndZero) {
    EXPECT_EQ(MbfToIeee(0x81000000u), 1.0f);
    EXPECT_EQ(MbfToIeee(0x81800000u), -1.0f);
    EXPECT_EQ(MbfToIeee(0x80000000u), 0.5f);
    EXPECT_EQ(MbfToIeee(0x84200000u), 10.0f);
    EXPECT_EQ(MbfToIeee(0x82A00000u), -2.5f);
    EXPECT_EQ(MbfToIeee(0), 0.0f);
    // A date as a real MASTER stores it: 23 September 1997.
    EXPECT_EQ(MbfToIeee(0x946D0AB0u), 970923.0f);
    // Exponent bytes 0 and 1 with a mantissa would turn into huge numbers or infinities.
    EXPECT_EQ(MbfToIeee(0x00123456u), 0.0f);
    EXPECT_EQ(MbfToIeee(0x01800001u), 0.0f);
    EXPECT_TRUE(std::isfinite(MbfToIeee(0xFFFFFFFFu)));
    for (float v : {1.0f, -3.75f, 79.97f, 1308.62f, 1e-20f, 7718.84f, 1001231.0f, -1e30f}) {
        EXPECT_EQ(MbfToIeee(IeeeToMbf(v)), v) << v;
    }
}

TEST(MetastockDates, CenturyOffsetRangeChecksAndListText) {
    EXPECT_EQ(MetastockDate(1001231), MakeDate(2000, 12, 31));
    EXPECT_EQ(MetastockDate(991231), MakeDate(1999, 12, 31));
    EXPECT_EQ(MetastockDate(1500101), MakeDate(2050, 1, 1));
    EXPECT_EQ(MetastockDate(510101), MakeDate(1951, 1, 1));
    EXPECT_EQ(MetastockDate(1000229), MakeDate(2000, 2, 29));
    EXPECT_EQ(MetastockDate(970923.75), MakeDate(1997, 9, 23));
    for (double bad :
         {0.0, -1.0, 991331.0, 990230.0, 990100.0, 1010229.0, 991232.0,
          std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()}) {
        EXPECT_EQ(MetastockDate(bad), kNoDate) << bad;
    }
    EXPECT_EQ(MetastockDateText(1001231), " 001231");
    EXPECT_EQ(MetastockDateText(970923), " 970923");
    EXPECT_EQ(MetastockDateText(50101), " 050101");
}

TEST(MetastockIndex, MasterPreferredThenEMasterNamesMatchedWithoutCase) {
    test::TempDir dir;
    EXPECT_FALSE(ReadMetastockIndex(dir.path()).has_value());

    test::WriteEMaster(dir.path(), {{3, 5, "EONLY", "From emaster", 1001231, 1010105}}, "eMaster");
    auto e = ReadMetastockIndex(dir.path());
    ASSERT_TRUE(e.has_value());
    EXPECT_EQ(e->kind, MetastockIndexKind::EMaster);
    ASSERT_EQ(e->securities.size(), 1u);
    EXPECT_EQ(e->securities[0].ticker, "EONLY");
    EXPECT_EQ(e->securities[0].fullName, "From emaster");
    EXPECT_EQ(e->securities[0].fileNumber, 3);
    EXPECT_EQ(e->securities[0].fields, 5);
    EXPECT_EQ(e->securities[0].firstDate, 1001231.0);
    EXPECT_EQ(e->securities[0].lastDate, 1010105.0);

    test::WriteMaster(dir.path(),
                      {{1, 7, "AAA", "Alpha", 970923, 991231},
                       {2, 5, "BBB", "Beta Corporation", 1000103, 1001231}},
                      "master");
    auto m = ReadMetastockIndex(dir.path());
    ASSERT_TRUE(m.has_value());
    EXPECT_EQ(m->kind, MetastockIndexKind::Master);
    ASSERT_EQ(m->securities.size(), 2u);
    EXPECT_EQ(m->securities[0].ticker, "AAA           ");
    EXPECT_EQ(m->securities[0].fullName, "Alpha           ");
    EXPECT_EQ(m->securities[1].fullName, "Beta Corporation");
    EXPECT_EQ(m->securities[1].fileNumber, 2);
    EXPECT_EQ(m->securities[1].fields, 5);
    EXPECT_EQ(m->securities[1].firstDate, 1000103.0);
}

TEST(MetastockIndex, CountsAreCheckedAgainstTheFile) {
    test::TempDir dir;
    std::vector<MsSecurity> many;
    for (int i = 1; i <= 255; ++i) many.push_back({i, 7, "T" + std::to_string(i), "N", 1, 2});
    // EMASTER: a count of 0 means 255.
    test::WriteBytes(dir / "EMASTER", test::EMasterBytes(many, 0));
    auto e = ReadMetastockIndex(dir.path());
    ASSERT_TRUE(e.has_value());
    ASSERT_EQ(e->securities.size(), 255u);
    EXPECT_EQ(e->securities[254].ticker, "T255");

    // A stored count larger than the records present reads only whole records.
    std::vector<std::uint8_t> master =
        test::MasterBytes({{1, 7, "A", "", 1, 2}, {2, 7, "B", "", 1, 2}}, 60000);
    master.resize(master.size() - 10);
    test::WriteBytes(dir / "MASTER", master);
    auto m = ReadMetastockIndex(dir.path());
    ASSERT_TRUE(m.has_value());
    ASSERT_EQ(m->securities.size(), 1u);

    // A MASTER shorter than its header opens but lists nothing (EMASTER is not consulted).
    test::WriteBytes(dir / "MASTER", {5, 0, 1});
    m = ReadMetastockIndex(dir.path());
    ASSERT_TRUE(m.has_value());
    EXPECT_TRUE(m->securities.empty());
}

TEST(MetastockData, FiveAndSevenFieldRecords) {
    test::TempDir dir;
    test::WriteDataFile(
        dir.path(), 1, 5,
        {{991231, 0, 11, 9, 10, 1500, 0}, {1001231, 0, 12.5f, 10.25f, 12, 2500.75f, 0}});
    const auto five = ReadAll(dir / "F1.DAT", 5);
    ASSERT_EQ(five.size(), 2u);
    EXPECT_EQ(five[0].Date, MakeDate(1999, 12, 31));
    EXPECT_EQ(five[1].Date, MakeDate(2000, 12, 31));
    EXPECT_EQ(five[1].Open, 12.0f);
    EXPECT_EQ(five[1].High, 12.5f);
    EXPECT_EQ(five[1].Low, 10.25f);
    EXPECT_EQ(five[1].Close, 12.0f);
    EXPECT_EQ(five[1].Volume, 2500);
    EXPECT_EQ(five[1].OpenInt, 0);
    EXPECT_EQ(five[1].Mark, 0);

    test::WriteDataFile(dir.path(), 2, 7, {{1050103, 20, 22, 19, 21, 100, 37.9f}});
    const auto seven = ReadAll(dir / "F2.DAT", 7);
    ASSERT_EQ(seven.size(), 1u);
    EXPECT_EQ(seven[0].Date, MakeDate(2005, 1, 3));
    EXPECT_EQ(seven[0].Open, 20.0f);
    EXPECT_EQ(seven[0].High, 22.0f);
    EXPECT_EQ(seven[0].Low, 19.0f);
    EXPECT_EQ(seven[0].Close, 21.0f);
    EXPECT_EQ(seven[0].Volume, 100);
    EXPECT_EQ(seven[0].OpenInt, 37);
}

TEST(MetastockData, UnsoundRecordsAreSkippedOrMended) {
    test::TempDir dir;
    std::vector<MsRecord> recs = {
        {991331, 1, 2, 1, 1.5f, 10, 0},       // month 13: skipped
        {1000101, 1, 2, 1, 0, 10, 0},         // zero close: skipped
        {1000102, 1, -2, 1, 1.5f, 10, 0},     // negative high: skipped
        {1000103, 0, 2, 1, 1.5f, 10, 0},      // zero open: becomes the close
        {1000104, 1, 2, 1, 1.5f, 3e12f, -5},  // volume held to INT32_MAX, open int to 0
        {1000105, 1, 2, 1, 1.5f, -7, 0},      // negative volume: 0
    };
    auto bytes = test::DataFileBytes(7, recs);
    // A low of exponent byte 1 with a mantissa (not a number of any price): skipped.
    auto extra = test::DataFileBytes(7, {{1000106, 1, 2, 1, 1.5f, 1, 0}});
    test::PutLE32(extra, 28 + 12, 0x01400000u);
    bytes.insert(bytes.end(), extra.begin() + 28, extra.end());
    // A final partial record is ignored.
    bytes.insert(bytes.end(), {1, 2, 3, 4, 5, 6, 7});
    test::WriteBytes(dir / "F1.DAT", bytes);

    int skipped = 0;
    Status status;
    const auto got = ReadAll(dir / "F1.DAT", 7, &skipped, &status);
    EXPECT_TRUE(status);
    EXPECT_EQ(skipped, 4);
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[0].Date, MakeDate(2000, 1, 3));
    EXPECT_EQ(got[0].Open, 1.5f);
    EXPECT_EQ(got[1].Volume, INT32_MAX);
    EXPECT_EQ(got[1].OpenInt, 0);
    EXPECT_EQ(got[2].Volume, 0);
}

TEST(MetastockData, MissingShortAndUnsupportedFiles) {
    test::TempDir dir;
    Status status;
    EXPECT_TRUE(ReadAll(dir / "F9.DAT", 7, nullptr, &status).empty());
    EXPECT_EQ(status.Code(), StatusCode::NotFound);
    std::filesystem::create_directory(dir / "F8.DAT");
    EXPECT_TRUE(ReadAll(dir / "F8.DAT", 7, nullptr, &status).empty());
    EXPECT_EQ(status.ErrorNumber(), EISDIR);

    test::WriteDataFile(dir.path(), 1, 7, {{1000103, 1, 2, 1, 1.5f, 10, 0}});
    EXPECT_TRUE(ReadAll(dir / "F1.DAT", 6, nullptr, &status).empty());
    EXPECT_EQ(status.Code(), StatusCode::NotSupported);
    test::WriteBytes(dir / "F2.DAT", {1, 2, 3});
    EXPECT_TRUE(ReadAll(dir / "F2.DAT", 5, nullptr, &status).empty());
    EXPECT_TRUE(status);
    EXPECT_EQ(MetastockDataPath(dir.path(), 1), dir / "F1.DAT");
    test::WriteBytes(dir / "f12.dAt", {});
    EXPECT_EQ(MetastockDataPath(dir.path(), 12), dir / "f12.dAt");
}

// Random bytes in every file: nothing crashes, and whatever comes out is a sound quotation.
TEST(MetastockData, ArbitraryBytesNeverGiveUnsoundQuotations) {
    test::TempDir dir;
    std::mt19937 rng(1234);
    for (int round = 0; round < 200; ++round) {
        std::vector<std::uint8_t> bytes(rng() % 700);
        for (auto& b : bytes) b = static_cast<std::uint8_t>(rng());
        test::WriteBytes(dir / "MASTER", bytes);
        test::WriteBytes(dir / "EMASTER", bytes);
        test::WriteBytes(dir / "F1.DAT", bytes);
        if (auto idx = ReadMetastockIndex(dir.path())) {
            EXPECT_LE(idx->securities.size() * 53, bytes.size());
        }
        std::filesystem::remove(dir / "MASTER");
        ASSERT_TRUE(ReadMetastockIndex(dir.path()).has_value());
        for (int fields : {5, 7}) {
            for (const Quotation& q : ReadAll(dir / "F1.DAT", fields)) {
                EXPECT_NE(q.Date, kNoDate);
                EXPECT_GE(DateMonth(q.Date), 1);
                EXPECT_LE(DateMonth(q.Date), 12);
                EXPECT_TRUE(std::isfinite(q.Close) && q.Close > 0);
                EXPECT_TRUE(std::isfinite(q.Open) && q.Open > 0);
                EXPECT_TRUE(q.High > 0 && q.Low > 0);
                EXPECT_GE(q.Volume, 0);
                EXPECT_GE(q.OpenInt, 0);
            }
        }
    }
}

}  // namespace
}  // namespace velmora
