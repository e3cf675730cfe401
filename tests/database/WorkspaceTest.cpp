#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <set>

#include "common/TestSupport.h"
#include "database/StockFile.h"
#include "database/Workspace.h"
#include "database/WorkspaceFile.h"
#include "platform/ConsoleUserInterface.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;
using test::AppendF32BE;
using test::AppendText;
using test::AppendU32BE;
using Bytes = std::vector<std::uint8_t>;

// A stock file image built by hand, field by field, independent of the writer.
struct FileImage {
    char version = '4';
    std::string ticker = "KGHM";
    std::string fullName = "KGHM Polska Miedz";
    std::string alias;
    std::int32_t flags = 0;
    std::int32_t issue = 200000;
    QuotationList quotes;
    std::vector<Study> studies;

    Bytes Build() const {
        Bytes b;
        AppendText(b, std::string("TARVDAT") + version, 8);
        AppendText(b, "", 14);
        AppendText(b, fullName, 64);
        AppendText(b, "Lubin", 128);
        AppendText(b, "Poland", 40);
        AppendText(b, "PLN", 8);
        AppendText(b, alias, 16);
        AppendText(b, ticker, 16);
        AppendText(b, "kghm", 10);
        AppendU32BE(b, 0x00030005);  // CategoryWord
        AppendU32BE(b, 42);          // Code
        AppendU32BE(b, static_cast<std::uint32_t>(issue));
        AppendU32BE(b, 1000);  // NominalValue
        AppendU32BE(b, 777);   // BookValue
        for (int i = 0; i < 6; ++i) AppendU32BE(b, 100 + i);
        AppendU32BE(b, 12);  // IndustryID
        AppendU32BE(b, static_cast<std::uint32_t>(flags));
        for (int i = 0; i < 16; ++i) AppendU32BE(b, 1000 + i);
        AppendText(b, "", 42);
        AppendU32BE(b, static_cast<std::uint32_t>(quotes.size()));
        for (const Quotation& q : quotes) {
            AppendU32BE(b, q.Date);
            AppendF32BE(b, q.Close);
            AppendF32BE(b, q.Open);
            AppendF32BE(b, q.High);
            AppendF32BE(b, q.Low);
            AppendU32BE(b, static_cast<std::uint32_t>(q.Volume));
            AppendU32BE(b, static_cast<std::uint32_t>(q.OpenInt));
            b.push_back(q.Mark);
            b.push_back(q.Reduction);
        }
        if (!studies.empty()) {
            AppendU32BE(b, static_cast<std::uint32_t>(studies.size()));
            for (const Study& s : studies) {
                AppendU32BE(b, static_cast<std::uint32_t>(s.PaneId));
                b.insert(b.end(), {s.Kind, s.Extend, s.Reserved1, s.Style});
                AppendU32BE(b, static_cast<std::uint32_t>(s.Colour));
                AppendU32BE(b, s.StartDate);
                AppendF32BE(b, s.StartValue);
                AppendU32BE(b, s.EndDate);
                AppendF32BE(b, s.EndValue);
                if (version <= '3') continue;
                AppendU32BE(b, static_cast<std::uint32_t>(s.Background));
                b.insert(b.end(), s.Reserved2.begin(), s.Reserved2.end());
                AppendU32BE(b, static_cast<std::uint32_t>(s.Text.size()));
                b.insert(b.end(), s.Text.begin(), s.Text.end());
            }
        }
        return b;
    }
};

QuotationList Series(int count, PackedDate first = MakeDate(1995, 1, 2)) {
    QuotationList quotes;
    PackedDate d = first;
    for (int i = 0; i < count; ++i, d = AddDays(d, 1)) {
        Quotation q;
        q.Date = d;
        q.Close = 10.0f + static_cast<float>(i) * 0.25f;
        q.Open = q.Close - 0.5f;
        q.High = q.Close + 1;
        q.Low = q.Close - 1;
        q.Volume = 1000 + i;
        q.OpenInt = i % 7;
        q.Mark = static_cast<std::uint8_t>(i % 11);
        q.Reduction = static_cast<std::uint8_t>(i % 3);
        quotes.push_back(q);
    }
    return quotes;
}

Study TextStudy(const std::string& text) {
    Study s;
    s.PaneId = 2;
    s.Kind = 5;
    s.Extend = 1;
    s.Style = 3;
    s.Colour = 0x80000004;
    s.StartDate = MakeDate(2001, 2, 3);
    s.StartValue = 12.5f;
    s.EndDate = MakeDate(2001, 4, 5);
    s.EndValue = 14.25f;
    s.Background = 0x80000001;
    s.Reserved2[0] = 9;
    s.Text = text;
    return s;
}

struct Fixture {
    test::TempDir dir;
    Preferences prefs;
    RecordingUserInterface ui;
    Database db;

    bool Load() {
        db.ReleaseAll();
        db.SetWorkspaceDir(dir.path());
        Workspace ws(db, prefs, ui);
        return ws.LoadWorkspace();
    }
    bool Save() {
        Workspace ws(db, prefs, ui);
        return ws.SaveWorkspace();
    }
};

TEST(StockFile, WriterProducesTheStoredLayoutByteForByte) {
    Fixture f;
    FileImage image;
    image.quotes = Series(3);
    image.studies = {TextStudy("Support line"), TextStudy("")};
    const Bytes expected = image.Build();
    test::WriteBytes(f.dir / "k" / "KGHM", expected);

    ASSERT_TRUE(f.Load());
    Stock* s = f.db.FindStock("KGHM");
    ASSERT_NE(s, nullptr);
    EXPECT_FALSE(s->Modified);
    EXPECT_EQ(s->FullName.View(), "KGHM Polska Miedz");
    EXPECT_EQ(s->Address.View(), "Lubin");
    EXPECT_EQ(GetMarketID(*s), 3);
    EXPECT_EQ(GetGroupID(*s), 3);
    EXPECT_EQ(s->Reserved[5], 105);
    EXPECT_EQ(s->FinanceEAT[3], 1015);
    ASSERT_EQ(s->Quotations.size(), 3u);
    EXPECT_EQ(s->Quotations[2].Close, 10.5f);
    EXPECT_EQ(s->Quotations[2].OpenInt, 2);
    ASSERT_EQ(s->Studies.size(), 2u);
    EXPECT_EQ(s->Studies[0].Text, "Support line");
    EXPECT_TRUE(s->Studies[1].Text.empty());

    // Saving the unchanged stock rewrites exactly the same bytes.
    f.db.MarkModified(*s);
    ASSERT_TRUE(f.Save());
    EXPECT_EQ(test::ReadBytes(f.dir / "k" / "KGHM"), expected);
    EXPECT_TRUE(f.db.WorkspaceDirty() == false);
}

TEST(StockFile, PathRuleSanitisesAndPicksTheLetterDirectory) {
    EXPECT_EQ(StockFilePath("/w", "A/B"), fs::path("/w/a/A_B"));
    EXPECT_EQ(StockFilePath("/w", "#1"), fs::path("/w/_/_1"));
    EXPECT_EQ(StockFilePath("/w", "9X*?"), fs::path("/w/9/9X__"));
    EXPECT_EQ(StockFileName("a|b<c>d\\e"), "a_b_c_d_e");
    EXPECT_EQ(StockFilePath("/w", ".DJX"), fs::path("/w/_/_DJX"));
}

TEST(StockFile, VersionThreeLoadsWithoutOpenInterestAndSavesAsVersionFour) {
    Fixture f;
    FileImage image;
    image.version = '3';
    image.quotes = Series(4);
    Study s = TextStudy("");
    s.Colour = 0;  // takes the study colour setting
    image.studies = {s};
    test::WriteBytes(f.dir / "k" / "KGHM", image.Build());
    ASSERT_TRUE(f.Load());
    Stock* stock = f.db.FindStock("KGHM");
    ASSERT_NE(stock, nullptr);
    for (const Quotation& q : stock->Quotations) EXPECT_EQ(q.OpenInt, 0);
    ASSERT_EQ(stock->Studies.size(), 1u);
    EXPECT_EQ(stock->Studies[0].Colour,
              static_cast<std::int32_t>(0x80000000u) + f.prefs.Colour(ColourSetting::Study));
    EXPECT_EQ(stock->Studies[0].Background, static_cast<std::int32_t>(0x80000000u));
    EXPECT_TRUE(stock->Studies[0].Text.empty());

    f.db.MarkModified(*stock);
    ASSERT_TRUE(f.Save());
    const Bytes saved = test::ReadBytes(f.dir / "k" / "KGHM");
    EXPECT_EQ(saved[7], '4');
    // 466 + 4 quotations + count + one 48-byte study without text.
    EXPECT_EQ(saved.size(), 466u + 4 * 30 + 4 + 48);
}

TEST(StockFile, IssueUnitsMarkerIsUndoneOnLoad) {
    Fixture f;
    FileImage image;
    image.flags = static_cast<std::int32_t>(0x80000001u);
    image.issue = 123456789;
    test::WriteBytes(f.dir / "k" / "KGHM", image.Build());
    ASSERT_TRUE(f.Load());
    Stock* s = f.db.FindStock("KGHM");
    EXPECT_EQ(s->Issue, 123456);
    EXPECT_EQ(s->Flags, 1);
}

// The one entry of `dir` whose name begins with NAME.damaged-: where a load set NAME aside.
fs::path SetAside(const fs::path& dir, const std::string& name) {
    for (const auto& e : fs::directory_iterator(dir)) {
        if (e.path().filename().string().rfind(name + ".damaged-", 0) == 0) return e.path();
    }
    return dir / name;
}

TEST(StockFile, DamagedFilesAreSkippedAndSetAsideWhole) {
    Fixture f;
    FileImage good;
    good.ticker = "GOOD";
    good.quotes = Series(2);
    test::WriteBytes(f.dir / "g" / "GOOD", good.Build());

    FileImage tooMany;
    tooMany.ticker = "MANY";
    tooMany.quotes = Series(3);
    Bytes many = tooMany.Build();
    many[465] = 200;  // claims 200 quotations
    test::WriteBytes(f.dir / "m" / "MANY", many);

    FileImage badStudy;
    badStudy.ticker = "STUDY";
    badStudy.quotes = Series(1);
    badStudy.studies = {TextStudy("abc")};
    Bytes study = badStudy.Build();
    study[study.size() - 4] = 0x7F;  // text length far beyond the file
    test::WriteBytes(f.dir / "s" / "STUDY", study);

    test::WriteBytes(f.dir / "s" / "SHORT", Bytes{'T', 'A', 'R', 'V', 'D', 'A', 'T', '4', 0});
    test::WriteText(f.dir / "n" / "NOTES", "just some text");

    ASSERT_TRUE(f.Load());
    EXPECT_EQ(f.db.StockCount(), 1);
    EXPECT_NE(f.db.FindStock("GOOD"), nullptr);
    // Each is reported and kept whole under a new name, out of the way of later saves.
    EXPECT_EQ(f.db.UnreadFiles().size(), 4u);
    EXPECT_FALSE(fs::exists(f.dir / "m" / "MANY"));
    EXPECT_EQ(test::ReadBytes(SetAside(f.dir / "m", "MANY")), many);
    EXPECT_EQ(test::ReadBytes(SetAside(f.dir / "s", "STUDY")), study);
    // A second load reads none of them again.
    ASSERT_TRUE(f.Load());
    EXPECT_TRUE(f.db.UnreadFiles().empty());
}

TEST(StockFile, OldFormatStopsItsDirectoryLetterWithOneMessage) {
    Fixture f;
    Bytes old = {'T', 'A', 'R', 'V', 'D', 'A', 'T', '2'};
    old.resize(600);
    test::WriteBytes(f.dir / "a" / "AAA", old);
    FileImage later;
    later.ticker = "ABB";
    test::WriteBytes(f.dir / "a" / "ABB", later.Build());
    FileImage other;
    other.ticker = "BCD";
    test::WriteBytes(f.dir / "b" / "BCD", other.Build());
    ASSERT_TRUE(f.Load());
    ASSERT_EQ(f.ui.messages.size(), 1u);
    EXPECT_EQ(f.ui.messages[0],
              "Data in the old pre-3.0 format.\nPlease use Velmora/Win32 3.2 to convert it");
    EXPECT_EQ(f.db.FindStock("ABB"), nullptr);
    EXPECT_NE(f.db.FindStock("BCD"), nullptr);
}

TEST(Workspace, PartialLoadingKeepsOlderQuotationsOnDiskAndSavesThemByteForByte) {
    Fixture f;
    FileImage image;
    image.quotes = Series(5000);
    image.studies = {TextStudy("kept")};
    const Bytes original = image.Build();
    test::WriteBytes(f.dir / "k" / "KGHM", original);
    f.prefs.SetPartialLoading(true);
    f.prefs.SetLoadUpto(1000);

    ASSERT_TRUE(f.Load());
    Stock* s = f.db.FindStock("KGHM");
    ASSERT_EQ(s->Quotations.size(), 1000u);
    EXPECT_EQ(s->SkippedCount, 4000);
    EXPECT_EQ(s->FirstLoadedDate, image.quotes[4000].Date);
    ASSERT_EQ(s->Studies.size(), 1u);

    // Change the newest quotation and save: the oldest 4000 come from the file as they were.
    s->Quotations.back().Close = 1.5f;
    f.db.MarkModified(*s);
    ASSERT_TRUE(f.Save());
    const Bytes saved = test::ReadBytes(f.dir / "k" / "KGHM");
    ASSERT_EQ(saved.size(), original.size());
    EXPECT_TRUE(std::equal(original.begin() + 466, original.begin() + 466 + 4000 * 30,
                           saved.begin() + 466));
    EXPECT_EQ(saved[462] << 24 | saved[463] << 16 | saved[464] << 8 | saved[465], 5000);

    // Adding a quotation before the loaded ones brings the older ones in first.
    Quotation* q = f.db.AddQuotation(*s, image.quotes[10].Date);
    ASSERT_NE(q, nullptr);
    EXPECT_EQ(q->Volume, image.quotes[10].Volume);
    EXPECT_EQ(s->Quotations.size(), 5000u);
    EXPECT_EQ(s->SkippedCount, 0);
    EXPECT_EQ(s->FirstLoadedDate, 0u);
}

// A workspace file that cannot be replaced is a failed save: the workspace stays dirty, and the
// status names the file and the reason.
TEST(Workspace, AnUnwrittenWorkspaceFileKeepsTheWorkspaceDirty) {
    Fixture f;
    ASSERT_TRUE(f.Load());
    f.db.AddStock("KGHM");
    fs::create_directories(f.dir / "tarvik.workspace");  // nothing can be renamed over it
    f.ui.statusTexts.clear();
    f.Save();
    EXPECT_TRUE(f.db.WorkspaceDirty());
    ASSERT_FALSE(f.ui.statusTexts.empty());
    EXPECT_EQ(f.ui.statusTexts.front(),
              "Could not write '" + (f.dir / "tarvik.workspace").string() + "': Is a directory");
}

TEST(Workspace, DroppingQuotationsReturnsToPartialStateWithoutLosingThem) {
    Fixture f;
    FileImage image;
    image.quotes = Series(300);
    test::WriteBytes(f.dir / "k" / "KGHM", image.Build());
    f.prefs.SetPartialLoading(true);
    f.prefs.SetLoadUpto(100);
    ASSERT_TRUE(f.Load());
    Stock* s = f.db.FindStock("KGHM");
    const PackedDate first = s->FirstLoadedDate;
    ASSERT_TRUE(f.db.LoadFullHistory(*s).IsOk());
    ASSERT_EQ(s->Quotations.size(), 300u);
    DropQuotationsBefore(*s, first);
    EXPECT_EQ(s->Quotations.size(), 100u);
    EXPECT_EQ(s->Quotations.capacity(), 100u);  // the memory of the 200 is given back
    EXPECT_EQ(s->FirstLoadedDate, first);
    // A later save of the stock still writes all 300.
    f.db.MarkModified(*s);
    ASSERT_TRUE(f.Save());
    ASSERT_TRUE(f.Load());
    ASSERT_TRUE(f.db.LoadFullHistory(*f.db.FindStock("KGHM")).IsOk());
    EXPECT_EQ(f.db.FindStock("KGHM")->Quotations.size(), 300u);
}

// Damaged files whose quotations are out of date order (found by fuzzing): partial loading
// must not leave quotations on disk that belong among or after the loaded ones.
TEST(Workspace, PartialLoadingOfQuotationsOutOfOrderLosesNothing) {
    const QuotationList base = Series(5);
    auto withDates = [&](std::initializer_list<int> order) {
        QuotationList quotes;
        for (int i : order) {
            Quotation q = base[static_cast<std::size_t>(i < 0 ? 0 : i)];
            if (i < 0) q.Date = 0;
            quotes.push_back(q);
        }
        return quotes;
    };
    struct Case {
        QuotationList quotes;
        std::size_t inMemory, skipped;
    };
    const Case cases[] = {
        {withDates({2, 4, 0, 1, 3}), 5, 0},   // kept ones later than loaded ones: loaded whole
        {withDates({0, 1, -1, 3, 4}), 5, 0},  // the oldest loaded one has no date: loaded whole
        {withDates({1, 0, 0, 3, 4}), 2, 3},   // kept ones out of order among themselves
        {withDates({0, 1, 2, 3, 3}), 4, 0},   // a date twice among the loaded ones: loaded whole
    };
    for (const Case& c : cases) {
        Fixture f;
        FileImage image;
        image.quotes = c.quotes;
        test::WriteBytes(f.dir / "k" / "KGHM", image.Build());
        f.prefs.SetPartialLoading(true);
        f.prefs.SetLoadUpto(c.inMemory == 5 ? 3 : 2);
        ASSERT_TRUE(f.Load());
        Stock* s = f.db.FindStock("KGHM");
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(s->Quotations.size(), c.inMemory);
        EXPECT_EQ(s->SkippedCount, static_cast<std::int32_t>(c.skipped));
        if (s->SkippedCount > 0) {
            ASSERT_TRUE(f.db.LoadFullHistory(*s).IsOk());
        }
        // Every distinct date once, in order.
        std::set<PackedDate> dates;
        for (const Quotation& q : c.quotes) dates.insert(q.Date);
        ASSERT_EQ(s->Quotations.size(), dates.size());
        EXPECT_TRUE(std::equal(dates.begin(), dates.end(), s->Quotations.begin(),
                               [](PackedDate d, const Quotation& q) { return d == q.Date; }));
    }
}

TEST(Workspace, LimitOfSavedQuotationsWritesTheNewest) {
    Fixture f;
    Stock* s = f.db.AddStock("LIM");
    for (const Quotation& q : Series(800)) *f.db.AddQuotation(*s, q.Date) = q;
    f.db.SetWorkspaceDir(f.dir.path());
    f.prefs.SetLimitSavedQuotations(true);
    f.prefs.SetLimitSavedMax(500);
    ASSERT_TRUE(f.Save());
    ASSERT_TRUE(f.Load());
    Stock* loaded = f.db.FindStock("LIM");
    ASSERT_EQ(loaded->Quotations.size(), 500u);
    EXPECT_EQ(loaded->Quotations.front().Date, Series(800)[300].Date);
}

TEST(Workspace, SaveIntoEmptyFolderCreatesLettersAndWorkspaceFile) {
    Fixture f;
    f.db.AddStock(".DJX");
    f.db.AddStock("A/B");
    f.db.AddStock("#1");
    f.db.SetWorkspaceDir(f.dir / "new" / "ws");
    ASSERT_TRUE(f.Save());
    for (char c : std::string(kDirectoryLetters)) {
        EXPECT_TRUE(fs::is_directory(f.dir / "new" / "ws" / std::string(1, c))) << c;
    }
    EXPECT_TRUE(fs::exists(f.dir / "new" / "ws" / "a" / "A_B"));
    EXPECT_TRUE(fs::exists(f.dir / "new" / "ws" / "_" / "_1"));
    EXPECT_TRUE(fs::exists(f.dir / "new" / "ws" / "tarvik.workspace"));
    // A ticker with a leading dot survives the next load.
    f.db.ReleaseAll();
    Workspace ws(f.db, f.prefs, f.ui);
    ASSERT_TRUE(ws.LoadWorkspace());
    EXPECT_NE(f.db.FindStock(".DJX"), nullptr);
    EXPECT_EQ(f.db.StockCount(), 3);
    // No temporary files are left behind.
    for (const auto& e : fs::recursive_directory_iterator(f.dir / "new")) {
        EXPECT_EQ(e.path().filename().string().find(".tmp"), std::string::npos);
    }
}

TEST(Workspace, FlatDirectoryIsMigratedIntoLetterDirectories) {
    Fixture f;
    FileImage abc;
    abc.ticker = "ABC";
    FileImage x;
    x.ticker = "X";
    test::WriteBytes(f.dir / "ABC", abc.Build());
    test::WriteBytes(f.dir / "X", x.Build());
    test::WriteText(f.dir / "tarvik.notes", "left alone");
    ASSERT_TRUE(f.Load());
    EXPECT_TRUE(fs::exists(f.dir / "a" / "ABC"));
    EXPECT_TRUE(fs::is_directory(f.dir / "x"));
    EXPECT_TRUE(fs::exists(f.dir / "x" / "X"));
    EXPECT_FALSE(fs::exists(f.dir / "X.&&&"));
    EXPECT_TRUE(fs::exists(f.dir / "tarvik.notes"));
    EXPECT_EQ(f.db.StockCount(), 2);
}

TEST(Workspace, DirectoryWithForeignDataIsRefusedBeforeAnythingMoves) {
    Fixture f;
    test::WriteText(f.dir / "readme.txt", "not a stock file");
    EXPECT_FALSE(f.Load());
    ASSERT_EQ(f.ui.messages.size(), 1u);
    EXPECT_EQ(f.ui.messages[0],
              "This directory does not contain valid Velmora database.\n"
              "Could not load any data.\nPlease choose different location.");
    EXPECT_TRUE(fs::exists(f.dir / "readme.txt"));
    EXPECT_FALSE(fs::exists(f.dir / "_"));
}

TEST(Workspace, DeletedStockFilesComeBackWhenTheWorkspaceIsNotSaved) {
    Fixture f;
    f.db.AddStock("KEEP");
    f.db.AddStock("GONE");
    f.db.SetWorkspaceDir(f.dir.path());
    ASSERT_TRUE(f.Save());

    ASSERT_TRUE(f.Load());
    Workspace ws(f.db, f.prefs, f.ui);
    ASSERT_TRUE(ws.MarkStockFileDeleted("GONE"));
    f.db.RemoveStock("GONE");
    EXPECT_TRUE(fs::exists(f.dir / "g" / "GONE.ZZZ"));
    // Closing without saving: the save of a clean workspace restores the file.
    f.db.SetWorkspaceDirty(false);
    ASSERT_TRUE(ws.SaveWorkspace());
    ASSERT_TRUE(f.Load());
    EXPECT_NE(f.db.FindStock("GONE"), nullptr);

    // Deleting and saving removes it for good.
    ASSERT_TRUE(ws.MarkStockFileDeleted("GONE"));
    f.db.RemoveStock("GONE");
    ASSERT_TRUE(ws.SaveWorkspace());
    EXPECT_FALSE(fs::exists(f.dir / "g" / "GONE.ZZZ"));
    ASSERT_TRUE(f.Load());
    EXPECT_EQ(f.db.FindStock("GONE"), nullptr);
}

TEST(Workspace, DeletionsLeftByARunThatNeverSavedAreUndoneAtLoad) {
    Fixture f;
    f.db.AddStock("KEEP");
    f.db.AddStock("GONE");
    f.db.SetWorkspaceDir(f.dir.path());
    ASSERT_TRUE(f.Save());
    Workspace ws(f.db, f.prefs, f.ui);
    ASSERT_TRUE(ws.MarkStockFileDeleted("GONE"));
    // The run ends here without a save. The next load brings the stock back under its name,
    // and a save keeps it.
    ASSERT_TRUE(f.Load());
    EXPECT_NE(f.db.FindStock("GONE"), nullptr);
    EXPECT_EQ(f.db.StockCount(), 2);
    f.db.MarkModified(*f.db.FindStock("KEEP"));
    ASSERT_TRUE(f.Save());
    ASSERT_TRUE(f.Load());
    EXPECT_NE(f.db.FindStock("GONE"), nullptr);
    EXPECT_TRUE(fs::exists(f.dir / "g" / "GONE"));
}

TEST(Workspace, CancelledSaveLeavesTheRestModified) {
    Fixture f;
    for (const char* t : {"A1", "B1", "C1"}) f.db.AddStock(t);
    f.db.SetWorkspaceDir(f.dir.path());
    f.ui.progress.cancelAt = 1;
    EXPECT_FALSE(f.Save());
    EXPECT_FALSE(f.db.StockAt(0)->Modified);
    EXPECT_TRUE(f.db.StockAt(1)->Modified);
    EXPECT_TRUE(f.db.StockAt(2)->Modified);
    EXPECT_TRUE(f.db.WorkspaceDirty());
}

TEST(Workspace, UnreadableKeptQuotationsSkipTheStockAndKeepItModified) {
    Fixture f;
    FileImage image;
    image.quotes = Series(6000);
    test::WriteBytes(f.dir / "k" / "KGHM", image.Build());
    f.prefs.SetPartialLoading(true);
    f.prefs.SetLoadUpto(100);
    ASSERT_TRUE(f.Load());
    Stock* s = f.db.FindStock("KGHM");
    fs::remove(f.dir / "k" / "KGHM");
    f.db.MarkModified(*s);
    ASSERT_TRUE(f.Save());
    EXPECT_TRUE(s->Modified);
    EXPECT_TRUE(f.db.WorkspaceDirty());
    EXPECT_FALSE(fs::exists(f.dir / "k" / "KGHM"));
}

TEST(WorkspaceFile, LayoutAndRoundTripOfCategoriesAndAdvanceDecline) {
    Database db;
    CategoryTables& t = db.Categories();
    t.Groups[1].Name.Set("Banks");
    t.Groups[1].RSBase.Set("WIG-BANKI");
    t.Sectors[31].Name.Set("Last sector");
    t.Industries[4].SectorID = 17;
    t.Markets[0].CompositesBase.Set("WIG");
    t.Markets[0].NewsTemplate.Set("http://news/%s");
    ADQuotation* a = db.AddADQuotation(t.Markets[255], MakeDate(2003, 7, 1));
    a->AdvIssues = 11;
    a->DecVolume = 2.5f;
    const Bytes image = BuildWorkspaceFile(t);
    // magic, 4 counts, the fixed tables, one market with one 30-byte record
    EXPECT_EQ(image.size(), 8 + 4 + 256 * 56 + 4 + 32 * 40 + 4 + 256 * 60 + 4 + 256 * 348 + 30u);
    EXPECT_EQ(std::memcmp(image.data(), "TARVWRKS", 8), 0);
    EXPECT_EQ(std::memcmp(image.data() + 12 + 56, "Banks", 6), 0);
    const std::size_t industries = 8 + 4 + 256 * 56 + 4 + 32 * 40 + 4;
    EXPECT_EQ(image[industries + 4 * 60 + 59], 17);

    CategoryTables back;
    back.SetDefaultNames();
    ASSERT_TRUE(ParseWorkspaceFile(image, back));
    EXPECT_EQ(back.Groups[1].RSBase.View(), "WIG-BANKI");
    EXPECT_EQ(back.Sectors[31].Name.View(), "Last sector");
    EXPECT_EQ(back.Markets[0].NewsTemplate.View(), "http://news/%s");
    ASSERT_EQ(back.Markets[255].ADQuotations.size(), 1u);
    EXPECT_EQ(back.Markets[255].ADQuotations[0].AdvIssues, 11);
    EXPECT_EQ(back.Markets[255].ADQuotations[0].DecVolume, 2.5f);
    EXPECT_EQ(BuildWorkspaceFile(back), image);
}

TEST(WorkspaceFile, DamagedFilesKeepWhatWasRead) {
    Database db;
    db.Categories().Groups[0].Name.Set("G0");
    db.Categories().Sectors[0].Name.Set("S0");
    Bytes image = BuildWorkspaceFile(db.Categories());

    CategoryTables t;
    t.SetDefaultNames();
    Bytes cut(image.begin(), image.begin() + 8 + 4 + 56 * 3 + 10);
    const Status cutStatus = ParseWorkspaceFile(cut, t);
    EXPECT_EQ(cutStatus.Code(), StatusCode::Corrupt);
    EXPECT_EQ(cutStatus.Message(), "workspace file cut short");
    EXPECT_EQ(t.Groups[0].Name.View(), "G0");
    EXPECT_EQ(t.Groups[3].Name.View(), "Group 3");

    Bytes badCount = image;
    const std::size_t sectors = 8 + 4 + 256 * 56;
    badCount[sectors] = 1;  // 16777248 sectors
    t.SetDefaultNames();
    EXPECT_EQ(ParseWorkspaceFile(badCount, t).Message(), "workspace file table count out of range");
    EXPECT_EQ(t.Groups[0].Name.View(), "G0");
    EXPECT_EQ(t.Sectors[0].Name.View(), "Sector 0");
}

}  // namespace
}  // namespace velmora
