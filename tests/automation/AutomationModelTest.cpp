#include <gtest/gtest.h>

#include <map>

#include "automation/AApplication.h"
#include "automation/AStocks.h"
#include "automation/AutomationTestSupport.h"

namespace velmora {
namespace {

using Lines = std::vector<std::string>;

TEST(AutomationStocks, LookupsAddAndRemove) {
    test::AutomationFixture f;
    // Database order is case-insensitive; a ticker key and a position find the same stock.
    EXPECT_EQ(f.Eval("app.Stocks.Count"), "3");
    EXPECT_EQ(f.Eval("app.Stocks.Item(0).Ticker"), "alpha");
    EXPECT_EQ(f.Eval("app.Stocks.Item('ALPHA').FullName"), "Alpha Works");
    EXPECT_EQ(f.Eval("app.Stocks.Item(1.6).Ticker"), "Gamma");
    for (const char* key : {"-1", "3", "'nosuch'", "null", "undefined", "({})"}) {
        EXPECT_EQ(f.Eval("app.Stocks.Item(" + std::string(key) + ")"), "null") << key;
    }

    // Add of an existing ticker creates nothing; a new one goes in ticker order, marked.
    EXPECT_EQ(f.Eval("app.Stocks.Add('beta').Ticker"), "BETA");
    EXPECT_EQ(f.db.StockCount(), 3);
    EXPECT_FALSE(f.db.WorkspaceDirty());
    EXPECT_EQ(f.Eval("app.Stocks.Add('DELTA_LONG_TICKER_NAME').Ticker"), "DELTA_LONG_TICK");
    EXPECT_EQ(f.Eval("app.Stocks.Add('DELTA_LONG_TICKER_OTHER').Ticker"), "DELTA_LONG_TICK");
    EXPECT_EQ(f.Eval("app.Stocks.Add('')"), "null");
    ASSERT_EQ(f.db.StockCount(), 4);
    EXPECT_EQ(f.db.StockAt(2)->TickerText(), "DELTA_LONG_TICK");
    EXPECT_TRUE(f.db.StockAt(2)->Modified);

    // Remove finds as Item does; a wrapper of the removed stock then reads as empty.
    EXPECT_EQ(f.Run("var g = app.Stocks.Item('gamma');\n"
                    "print(app.Stocks.Remove('GAMMA'), app.Stocks.Remove('GAMMA'),"
                    " app.Stocks.Remove(-1), app.Stocks.Remove(0));\n"
                    "print(g.Ticker === '', g.Quotations, g.Code, app.Stocks.Count);\n"
                    "g.FullName = 'x';"),
              (Lines{"true false false true", "true null 0 2"}));
    EXPECT_EQ(f.db.FindStock("GAMMA"), nullptr);
    EXPECT_EQ(f.db.FindStock("ALPHA"), nullptr);
    EXPECT_EQ(f.context.setAsideTickers, (std::vector<std::string>{"Gamma", "alpha"}));
}

TEST(AutomationStocks, PropertiesReadLiveAndWritesMark) {
    test::AutomationFixture f;
    const Lines out = f.Run(
        "var a = app.Stocks.Item('alpha'), b = app.Stocks.Item(0);\n"
        "a.FullName = 'Renamed Works'; print(b.FullName, b.IsDirty);\n"
        "b.IsDirty = false; print(a.IsDirty);\n"
        "a.Index = true; a.Favourite = true; a.Continuous = true;\n"
        "a.MarketID = 5; a.GroupID = -3; a.Code = 77; a.Issue = 1000; a.BookValue = 250;\n"
        "a.IndustryID = 9; a.Address = 'https://example.com/' + 'x'.repeat(200);\n"
        "a.WebID = 'ABCDEFGHIJKL'; a.Alias = 'ALF';\n"
        "a.NominalValue = 12.345; print(a.NominalValue); a.NominalValue = 0.29;\n"
        "a.Favourite = false;\n"
        "print(a.Index, a.Favourite, a.Continuous, a.MarketID, a.GroupID, a.NominalValue);");
    ASSERT_EQ(out, (Lines{"Renamed Works true", "false", "12.34", "true false true 5 -3 0.29"}));
    const Stock& s = *f.db.FindStock("ALPHA");
    EXPECT_EQ(s.FullName.View(), "Renamed Works");
    EXPECT_EQ(s.Flags, Stock::kIndexFlag);
    EXPECT_EQ(GetMarketID(s), 5);
    EXPECT_EQ(GetGroupID(s), -3);
    EXPECT_TRUE(GetContinuous(s));
    EXPECT_EQ(s.Code, 77);
    EXPECT_EQ(s.Issue, 1000);
    EXPECT_EQ(s.BookValue, 250);
    EXPECT_EQ(s.IndustryID, 9);
    EXPECT_EQ(s.NominalValue, 29);
    EXPECT_EQ(s.Address.View().size(), 127u);
    EXPECT_EQ(s.WebID.View(), "ABCDEFGHI");
    EXPECT_EQ(f.db.FindStockOrAlias("alf"), &s);  // the alias lookup searches again
    EXPECT_TRUE(s.Modified);
    EXPECT_TRUE(f.db.WorkspaceDirty());

    // IsDirty = false clears the stock's mark only; = true marks the workspace too.
    f.db.SetWorkspaceDirty(false);
    f.Run("app.Stocks.Item('BETA').IsDirty = false;");
    EXPECT_FALSE(f.db.WorkspaceDirty());
    f.Run("app.Stocks.Item('BETA').IsDirty = true;");
    EXPECT_TRUE(f.db.FindStock("BETA")->Modified);
    EXPECT_TRUE(f.db.WorkspaceDirty());
}

TEST(AutomationStocks, FinanceQuartersAndReadOnlyMembers) {
    test::AutomationFixture f;
    EXPECT_EQ(
        f.Run("var a = app.Stocks.Item('alpha');\n"
              "a.SetFinanceYear(3, 2023); a.SetFinanceEAT(0, -5); a.SetFinanceIncome(4, 9);\n"
              "print(a.FinanceYear(3), a.FinanceEAT(0), a.FinanceYear(4), a.FinanceEBT(-1));"),
        (Lines{"2023 -5 0 0"}));
    EXPECT_EQ(f.ui.messages,
              (Lines{"Quarter must be 0..3", "Quarter must be 0..3", "Quarter must be 0..3"}));
    const Stock& a = *f.db.FindStock("alpha");
    EXPECT_EQ(a.FinanceYear[3], 2023);
    EXPECT_EQ(a.FinanceEAT[0], -5);
    EXPECT_EQ(a.FinanceIncome, (std::array<std::int32_t, 4>{}));

    // Read-only members raise the script's error; ActiveDocument shows its message instead.
    for (const char* write :
         {"app.Version = '1'", "app.Stocks = null", "app.Stocks.Count = 1",
          "app.Stocks.Item(0).Quotations = null", "app.Markets.Item(0).ADQuotations = 1"}) {
        const Lines out = f.Run(std::string(write) + ";");
        ASSERT_EQ(out.size(), 1u) << write;
        EXPECT_NE(out[0].find("TypeError"), std::string::npos) << out[0];
    }
    f.ui.messages.clear();
    EXPECT_EQ(f.Run("app.ActiveDocument = app; print(app.ActiveDocument, app.Version);"),
              (Lines{"null 3.22.0"}));
    EXPECT_EQ(f.ui.messages, (Lines{"Application.ActiveDocument is read-only property"}));
}

TEST(AutomationStocks, TickerRename) {
    test::AutomationFixture f;
    Stock* alpha = f.db.FindStock("alpha");
    EXPECT_EQ(f.Run("var a = app.Stocks.Item('alpha'); a.Ticker = 'ZETA';\n"
                    "print(a.Ticker, app.Stocks.Item(2).Ticker, a.Quotations.Count);"),
              (Lines{"ZETA ZETA 3"}));
    EXPECT_EQ(f.db.StockAt(2), alpha);
    EXPECT_TRUE(alpha->Modified);
    EXPECT_EQ(f.context.setAsideTickers, (std::vector<std::string>{"alpha"}));

    // Another stock's ticker or an empty one is refused; a change of case is a rename.
    f.Run("var z = app.Stocks.Item('zeta'); z.Ticker = 'beta'; z.Ticker = ''; z.Ticker = 'Zeta';");
    EXPECT_EQ(f.ui.messages,
              (Lines{"Can not rename stock because the ticker you have entered already exists in "
                     "the database",
                     "The ticker can not be empty"}));
    EXPECT_EQ(alpha->TickerText(), "Zeta");
    EXPECT_EQ(f.db.StockCount(), 3);
}

TEST(AutomationQuotations, ItemsAddRemoveAndEnumeration) {
    test::AutomationFixture f;
    EXPECT_EQ(
        f.Run("var q = app.Stocks.Item('alpha').Quotations;\n"
              "print(q.Count, q.Item(0).Close, q.Item(-7).Close, q.Item(2).Close, q.Item(3));\n"
              "print(q.Item('24-01-03').Volume, q.Item('24-02-30'), q.Item('junk'));\n"
              "var d = q.Item(1).Date;\n"
              "print(d.getFullYear(), d.getMonth(), d.getDate(), d.getHours());\n"
              "q.Item(1).Date = new Date(2000, 0, 1); print(q.Item(1).Date.getDate());"),
        (Lines{"3 12 12 14 null", "300 null null", "2024 0 3 0", "3"}));
    EXPECT_FALSE(f.db.WorkspaceDirty());

    // Add of an existing day returns it unchanged; new days from a Date, a number or a text.
    EXPECT_EQ(f.Run("var q = app.Stocks.Item('alpha').Quotations;\n"
                    "print(q.Add(new Date(2024, 0, 3, 15, 30)).Close, q.Count);\n"
                    "q.Add(new Date(2024, 0, 1)); q.Add(45300.7); q.Add('1/10/2024');\n"
                    "print(q.Add('not a date'), q.Add(null), q.Count);\n"
                    "var days = []; for (const x of q._NewEnum) days.push(x.Date.getDate());\n"
                    "print(days.join(','));"),
              (Lines{"13 3", "null null 6", "1,2,3,4,9,10"}));
    Stock& a = *f.db.FindStock("alpha");
    EXPECT_TRUE(a.Modified);
    EXPECT_EQ(Database::FindQuotation(a, MakeDate(2024, 1, 3))->Close, 13.0f);

    // Remove finds as Item does; the enumerator is a snapshot.
    EXPECT_EQ(
        f.Run("var q = app.Stocks.Item('alpha').Quotations; var snap = q._NewEnum;\n"
              "print(q.Remove('24-01-01'), q.Remove('24-01-01'), q.Remove(-1), q.Remove(9));\n"
              "print(snap.length, q.Count, snap[0].Close, snap[1].Close);"),
        (Lines{"true false true false", "6 4 0 0"}));
    EXPECT_EQ(a.Quotations.front().Date, MakeDate(2024, 1, 3));
}

TEST(AutomationQuotations, FieldWritesNormaliseAndMark) {
    test::AutomationFixture f;
    Stock& a = *f.db.FindStock("alpha");
    EXPECT_EQ(f.Run("var q = app.Stocks.Item('alpha').Quotations.Add('2024-01-08');\n"
                    "q.Close = 10; print(q.Open, q.High, q.Low);\n"
                    "q.Open = 12; print(q.High, q.Low);\n"
                    "q.Low = 0.5; q.Close = 9.99; print(q.Low, q.High, q.Close);\n"
                    "q.Volume = 12.9; q.OpenInt = -3.7; print(q.Volume, q.OpenInt);"),
              (Lines{"10 10 10", "12 10", "0.5 12 9.99", "12 -3"}));
    const Quotation& q = *Database::FindQuotation(a, MakeDate(2024, 1, 8));
    EXPECT_EQ(q.Close, 9.99f);
    EXPECT_EQ(q.Volume, 12);
    EXPECT_EQ(q.OpenInt, -3);

    // Writing a loaded bar marks its stock, so that the next save writes it.
    a.Modified = false;
    f.db.SetWorkspaceDirty(false);
    f.Run("app.Stocks.Item('alpha').Quotations.Item(0).High = 99;");
    EXPECT_EQ(a.Quotations.front().High, 99.0f);
    EXPECT_TRUE(a.Modified);
    EXPECT_TRUE(f.db.WorkspaceDirty());
    // A wrapper whose bar was deleted reads 0 and writes nothing.
    EXPECT_EQ(f.Run("var q = app.Stocks.Item('alpha').Quotations; var b = q.Item(0);\n"
                    "q.Remove(0); b.Close = 50; print(b.Close, q.Count);"),
              (Lines{"0 3"}));
}

TEST(AutomationMarkets, TableNamesAndAdvanceDecline) {
    test::AutomationFixture f;
    EXPECT_EQ(
        f.Run("var m = app.Markets; print(m.Count, m._NewEnum.length, m.Item(256), m.Item(-1));\n"
              "m.Item(255).Name = 'Z'.repeat(50); print(m.Item(255).Name.length);"),
        (Lines{"256 256 null null", "39"}));
    EXPECT_TRUE(f.db.WorkspaceDirty());

    Market& m = f.db.Categories().Markets[3];
    EXPECT_EQ(f.Run("var ad = app.Markets.Item(3).ADQuotations;\n"
                    "var r = ad.Add('2024-01-05'); r.AdvIssues = 12; r.DecVolume = 1.5;\n"
                    "ad.Add(new Date(2024, 0, 2)).UncIssues = 4;\n"
                    "print(ad.Add(45296), ad.Add(true), ad.Count, ad.Add('1/5/2024').AdvIssues);\n"
                    "print(ad.Item(-5).UncIssues, ad.Item(1).DecVolume, ad.Item(2), "
                    "ad.Item(new Date(2024, 0, 5)).AdvIssues, ad.Item('junk'));\n"
                    "print(ad.Remove(0), ad.Remove('2024-01-02'), ad.Count, r.AdvIssues);"),
              (Lines{"null null 2 12", "4 1.5 null 12 null", "true false 1 12"}));
    ASSERT_EQ(m.ADQuotations.size(), 1u);
    EXPECT_EQ(m.ADQuotations[0].Date, MakeDate(2024, 1, 5));
    EXPECT_EQ(m.ADQuotations[0].AdvIssues, 12);
}

TEST(AutomationApplication, ImportTypes) {
    test::AutomationFixture f;
    test::WriteText(f.profile / "t.format",
                    "$AUTOADD 1\n$FORMAT DATE_MDY OPEN HIGH LOW CLOSE VOLUME\n");
    const auto data = f.profile / "NEWCO.txt";
    test::WriteText(data, "01/02/2024 1 2 0.5 1.5 100\n01/03/2024 1.5 2 1 1.8 200\n");
    const std::string path = data.string();
    EXPECT_EQ(f.Eval("app.Import(0, '" + path + "', 't.format')"), "0");
    const Stock* s = f.db.FindStock("NEWCO");
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->Quotations.size(), 2u);
    EXPECT_EQ(s->Quotations[1].Close, 1.8f);
    EXPECT_EQ(f.Eval("app.Import(0, '" + (f.profile / "none.txt").string() + "')"), "4");
    EXPECT_EQ(f.Eval("app.Import(1, '" + (f.profile / "none.txt").string() + "')"), "0");
    EXPECT_EQ(f.Eval("app.Import(2, '" + path + "') + ',' + app.Import(-1, '" + path + "')"),
              "-1,-1");
}

// Two documents on stocks the host keeps by ticker.
class FakeHost final : public DocumentHost {
  public:
    std::vector<DocumentId> Documents() const override {
        std::vector<DocumentId> ids;
        for (const auto& [id, name] : docs) ids.push_back(id);
        return ids;
    }
    std::optional<DocumentId> Active() const override {
        return docs.empty() ? std::nullopt : std::optional<DocumentId>(docs.rbegin()->first);
    }
    bool Exists(DocumentId id) const override { return docs.count(id) != 0; }
    std::string Name(DocumentId id) const override { return docs.at(id); }
    std::optional<DocumentId> Add() override { return docs[next++] = "", next - 1; }
    std::optional<DocumentId> Open(Stock& s) override {
        return docs[next++] = s.Ticker.Str(), next - 1;
    }
    void Close(DocumentId id) override { docs.erase(id); }
    void CloseAll() override { docs.clear(); }
    void Activate(DocumentId id) override { activated.push_back(id); }
    void Quit() override {}
    void RefreshAll() override {}

    std::map<DocumentId, std::string> docs;
    DocumentId next = 1;
    std::vector<DocumentId> activated;
};

TEST(AutomationApplication, DocumentsThroughTheHost) {
    FakeHost host;
    test::AutomationFixture f(&host);
    EXPECT_EQ(f.Run("var d = app.Documents;\n"
                    "print(d.Count, d.Open('nosuch'), d.Open('ALPHA').Name, d.Add().Name === '');\n"
                    "print(d.Count, d.Item(0).Name, d.Item(2), app.ActiveDocument.Parent.Count);\n"
                    "var first = d._NewEnum[0]; first.Activate(); first.Close();\n"
                    "print(d.Count, first.Name === '', d.Parent.Version);\n"
                    "d.Close(); print(d.Count, app.ActiveDocument);"),
              (Lines{"0 null alpha true", "2 alpha null 2", "1 true 3.22.0", "0 null"}));
    EXPECT_EQ(host.activated, (std::vector<DocumentId>{1}));
}

TEST(AutomationScript, WrappersOutliveTheObjectsTheyCameFrom) {
    test::AutomationFixture f;
    QJSEngine engine;
    engine.globalObject().setProperty(
        "app", engine.newQObject(automation::Owned(new AApplication(f.context))));
    engine.evaluate(
        "var st = app.Stocks; var same = st === app.Stocks;"
        "var q = st.Item('alpha').Quotations; app = null;");
    engine.collectGarbage();
    EXPECT_EQ(engine.evaluate("same + ',' + st.Count + ',' + q.Count").toString(), "true,3,3");
    engine.evaluate("st = null; q = null;");
    engine.collectGarbage();
}

TEST(AutomationScript, ErrorsReportFileAndLine) {
    test::AutomationFixture f;
    EXPECT_EQ(f.Run("print(1);\nnosuch.call();"),
              (Lines{"1", "ERROR test.js:3: ReferenceError: nosuch is not defined"}));
    EXPECT_EQ(f.Run("throw 'plain';").back().rfind("ERROR test.js:2: plain", 0), 0u);
    const Lines bad = f.Run("createObject('Other.Application');");
    ASSERT_EQ(bad.size(), 1u);
    EXPECT_NE(bad[0].find("no class is registered as 'Other.Application'"), std::string::npos);
    EXPECT_EQ(f.Run("print(createObject('tarvik.application').Version);"), (Lines{"3.22.0"}));
}

}  // namespace
}  // namespace velmora
