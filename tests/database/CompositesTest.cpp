#include <gtest/gtest.h>

#include <filesystem>

#include "common/TestSupport.h"
#include "database/Composites.h"
#include "database/StockFile.h"
#include "platform/ConsoleUserInterface.h"
#include "platform/FileUtil.h"

namespace velmora {
namespace {

// Market 1 with the base index IDX, a second index IDX2 and members A, B, C over four days.
class Composites : public ::testing::Test {
  protected:
    Composites() {
        db.Categories().Markets[1].CompositesBase.Set("IDX");
        idx = Add("IDX", true, {100, 101, 102, 103}, {0, 0, 0, 0});
        idx2 = Add("IDX2", true, {50, 51, 52, 53}, {0, 0, 0, 0});
        a = Add("A", false, {10, 11, 11, 12}, {100, 200, 300, 400});
        b = Add("B", false, {20, 19, 18, 18}, {10, 20, 30, 40});
        db.SetWorkspaceDirty(false);
        for (const auto& s : db.Stocks()) s->Modified = false;
    }

    Stock* Add(const char* ticker, bool index, std::vector<float> closes, std::vector<int> volumes,
               int firstDay = 0) {
        Stock* s = db.AddStock(ticker);
        SetMarketID(*s, 1);
        if (index) s->Flags |= Stock::kIndexFlag;
        for (std::size_t i = 0; i < closes.size(); ++i) {
            Quotation* q = db.AddQuotation(*s, Day(static_cast<int>(i) + firstDay));
            q->Close = closes[i];
            q->Volume = volumes[i];
        }
        return s;
    }

    static PackedDate Day(int i) { return MakeDate(2010, 3, 1 + i); }

    int Run(int flags, int count, PackedDate from = 0, PackedDate to = 0, int market = 1) {
        CompositesRequest r;
        r.flags = flags;
        r.count = count;
        r.from = from;
        r.to = to;
        r.market = market;
        return ComputeComposites(db, "WIG", r);
    }

    const ADQuotation* AD(int day) {
        return Database::FindADQuotation(db.Categories().Markets[1], Day(day));
    }

    Database db;
    Stock *idx, *idx2, *a, *b;
};

TEST_F(Composites, AllFlagsOverAllDays) {
    Add("C", false, {5, 5}, {7, 9}, 2);  // first quoted on day 2, unchanged on day 3
    ASSERT_EQ(Run(kCompositeVolume | kCompositeCopyVolume | kCompositeAdvDec, -1), 1);
    // Day 0: no previous closes, so no advance/decline counts, but volumes add up.
    EXPECT_EQ(idx->Quotations[0].Volume, 110);
    ASSERT_NE(AD(0), nullptr);
    EXPECT_EQ(AD(0)->AdvIssues + AD(0)->DecIssues + AD(0)->UncIssues, 0);
    // Day 2: A unchanged, B down, C first quoted (volume only).
    EXPECT_EQ(idx->Quotations[2].Volume, 337);
    EXPECT_EQ(idx2->Quotations[2].Volume, 337);
    EXPECT_EQ(AD(2)->UncIssues, 1);
    EXPECT_FLOAT_EQ(AD(2)->UncVolume, 300);
    EXPECT_EQ(AD(2)->DecIssues, 1);
    EXPECT_FLOAT_EQ(AD(2)->DecVolume, 30);
    EXPECT_EQ(AD(2)->AdvIssues, 0);
    // Day 3: A up, B unchanged, C unchanged.
    EXPECT_EQ(AD(3)->AdvIssues, 1);
    EXPECT_FLOAT_EQ(AD(3)->AdvVolume, 400);
    EXPECT_EQ(AD(3)->UncIssues, 2);
    EXPECT_FLOAT_EQ(AD(3)->UncVolume, 49);
    EXPECT_TRUE(idx->Modified);
    EXPECT_TRUE(idx2->Modified);
    EXPECT_FALSE(a->Modified);
    EXPECT_TRUE(db.WorkspaceDirty());

    // A rerun replaces the day's values instead of adding to them.
    ASSERT_EQ(Run(kCompositeAdvDec, -1), 1);
    EXPECT_EQ(AD(3)->AdvIssues, 1);
    EXPECT_EQ(db.Categories().Markets[1].ADQuotations.size(), 4u);
}

TEST_F(Composites, CopyVolumeWithoutVolumeWritesNothing) {
    ASSERT_EQ(Run(kCompositeCopyVolume, -1), 1);
    for (const Stock* s : {idx, idx2}) {
        for (const Quotation& q : s->Quotations) EXPECT_EQ(q.Volume, 0);
    }
    EXPECT_FALSE(idx2->Modified);
    EXPECT_TRUE(idx->Modified);  // the base is marked in any case
    EXPECT_TRUE(db.Categories().Markets[1].ADQuotations.empty());
}

// The base index loaded partially: bringing its older quotations in for the copied volumes must
// not move the days the run visits.
TEST_F(Composites, CopiedVolumeOfAPartiallyLoadedBaseLandsOnTheRequestedDays) {
    test::TempDir dir;
    const auto file = StockFilePath(dir.path(), "IDX");
    std::filesystem::create_directories(file.parent_path());
    const Bytes image = BuildStockImage(*idx, idx->Quotations.size(), {});
    ASSERT_TRUE(WriteFileAtomically(file, image.data(), image.size()));
    db.SetLoadedFromDir(dir.path());
    idx->Quotations.erase(idx->Quotations.begin(), idx->Quotations.begin() + 2);
    idx->SkippedCount = 2;
    idx->FirstLoadedDate = Day(2);

    ASSERT_EQ(Run(kCompositeVolume | kCompositeCopyVolume, 2), 1);
    ASSERT_EQ(idx->Quotations.size(), 4u);
    EXPECT_EQ(idx->Quotations[1].Volume, 0);
    EXPECT_EQ(idx->Quotations[2].Volume, 330);
    EXPECT_EQ(idx->Quotations[3].Volume, 440);
}

TEST_F(Composites, CountAndDateRangeSelectTheDays) {
    ASSERT_EQ(Run(kCompositeVolume, 2), 1);
    EXPECT_EQ(idx->Quotations[1].Volume, 0);
    EXPECT_EQ(idx->Quotations[2].Volume, 330);
    EXPECT_EQ(idx->Quotations[3].Volume, 440);
    ASSERT_EQ(Run(kCompositeAdvDec, 0, Day(1), Day(2)), 1);
    EXPECT_EQ(AD(0), nullptr);
    EXPECT_NE(AD(1), nullptr);
    EXPECT_NE(AD(2), nullptr);
    EXPECT_EQ(AD(3), nullptr);
    // From after to: no day at all, yet the base is marked.
    idx->Modified = false;
    ASSERT_EQ(Run(kCompositeVolume, 0, Day(3), Day(1)), 1);
    EXPECT_TRUE(idx->Modified);
    EXPECT_EQ(idx->Quotations[0].Volume, 0);
}

TEST_F(Composites, BaseIndexRules) {
    // A base index of another market: 0 and no change.
    SetMarketID(*idx, 2);
    EXPECT_EQ(Run(kCompositeVolume | kCompositeAdvDec, -1), 0);
    EXPECT_TRUE(db.Categories().Markets[1].ADQuotations.empty());
    EXPECT_FALSE(idx->Modified);
    // No base stock: nothing to do.
    db.Categories().Markets[1].CompositesBase.Set("NONE");
    EXPECT_EQ(Run(kCompositeVolume, -1), 1);
    // An empty base ticker falls back to the default base.
    db.Categories().Markets[1].CompositesBase.Set("");
    Stock* wig = Add("WIG", true, {1, 2, 3, 4}, {0, 0, 0, 0});
    EXPECT_EQ(Run(kCompositeVolume, -1), 1);
    EXPECT_EQ(wig->Quotations[3].Volume, 440);
    // A market without members gets nothing written.
    SetMarketID(*a, 0);
    SetMarketID(*b, 0);
    EXPECT_EQ(Run(kCompositeAdvDec, -1), 1);
    EXPECT_TRUE(db.Categories().Markets[1].ADQuotations.empty());
    EXPECT_EQ(Run(kCompositeVolume, -1, 0, 0, 300), 0);
}

TEST_F(Composites, VolumeSumsAreHeldAtTheIntegerLimit) {
    Add("BIG1", false, {1, 1, 1, 1}, {2000000000, 2000000000, 2000000000, 2000000000});
    Add("BIG2", false, {1, 1, 1, 1}, {2000000000, 2000000000, 2000000000, 2000000000});
    ASSERT_EQ(Run(kCompositeVolume, 1), 1);
    EXPECT_EQ(idx->Quotations[3].Volume, 2147483647);
}

TEST_F(Composites, AllMarketsWithProgressCancelAndDelete) {
    RecordingUserInterface ui;
    ui.progress.cancelAt = 1;
    CompositesRequest r;
    r.flags = kCompositeAdvDec;
    r.count = -1;
    EXPECT_FALSE(ComputeCompositesAllMarkets(db, "WIG", r, ui.progress));
    // Cancel at market 1: market 1 still finishes, then the run stops.
    ASSERT_EQ(ui.progress.steps.size(), 2u);
    EXPECT_EQ(ui.progress.steps[1].caption, "Processing...");
    EXPECT_EQ(ui.progress.steps[1].detail, "Market 1");
    EXPECT_EQ(ui.progress.steps[1].total, 256);
    EXPECT_EQ(ui.progress.closes, 1);
    EXPECT_EQ(db.Categories().Markets[1].ADQuotations.size(), 4u);

    ui.answer = false;
    EXPECT_FALSE(DeleteAdvanceDecline(db, ui, 1));
    EXPECT_EQ(db.Categories().Markets[1].ADQuotations.size(), 4u);
    ASSERT_EQ(ui.questions.size(), 1u);
    EXPECT_EQ(ui.questions[0],
              "You are about to delete advance/decline\ninformation from selected "
              "market(s).\n\nAre you sure?");
    ui.answer = true;
    ui.progress.cancelAt = -1;
    ui.progress.steps.clear();
    EXPECT_TRUE(DeleteAdvanceDecline(db, ui, -1));
    EXPECT_TRUE(db.Categories().Markets[1].ADQuotations.empty());
    ASSERT_EQ(ui.progress.steps.size(), 256u);
    EXPECT_EQ(ui.progress.steps[0].caption, "Deleting...");
}

}  // namespace
}  // namespace velmora
