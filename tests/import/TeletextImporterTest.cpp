#include <gtest/gtest.h>

#include <cerrno>
#include <random>

#include "common/TestSupport.h"
#include "import/TeletextImporter.h"
#include "platform/MemorySettingsStore.h"

namespace velmora {
namespace {

// Writes `text` into `line` at column `col`, widening the line with blanks as needed.
void Put(std::string& line, std::size_t col, const std::string& text) {
    if (line.size() < col + text.size()) line.resize(col + text.size(), ' ');
    line.replace(col, text.size(), text);
}
std::string RightAligned(const std::string& text, std::size_t width) {
    return text.size() >= width ? text : std::string(width - text.size(), ' ') + text;
}

// A header line with the date text (dd.mm.yy) at column 32.
std::string Header(const std::string& date) {
    std::string line = "AKCJE-rynek podstawowy  ";
    Put(line, 32, date);
    return line;
}

// A quotation line: ticker at 1, price right-aligned in 11-18, mark at 19, reduction in 22-25,
// turnover right-aligned in 31-40.
std::string Quote(const std::string& ticker, const std::string& price, const std::string& turnover,
                  const std::string& mark = "", const std::string& reduction = "") {
    std::string line(41, ' ');
    Put(line, 1, ticker);
    Put(line, 11, RightAligned(price, 8));
    Put(line, 19, mark);
    Put(line, 22, RightAligned(reduction, 4));
    Put(line, 31, RightAligned(turnover, 10));
    while (!line.empty() && line.back() == ' ') line.pop_back();
    return line;
}

std::string Page(const std::vector<std::string>& lines, const char* eol = "\n") {
    std::string page = "Teletext 524  GPW\n\n";
    for (const auto& l : lines) page += l + eol;
    return page;
}

struct Fixture {
    test::TempDir dir;
    Database db;
    Fixture() {
        for (const char* t : {"A", "B", "C", "D", "WIG", "WIG20", "NIF", "MIDWIG", "ORBIS"}) {
            db.AddStock(t);
        }
        db.SetWorkspaceDirty(false);
    }
    TeletextImportResult Import(const std::string& page) {
        test::WriteText(dir / "page.txt", page);
        return ImportTeletext(db, dir / "page.txt");
    }
    const Quotation* Q(const char* ticker, PackedDate date = MakeDate(2000, 11, 5)) {
        Stock* s = db.FindStock(ticker);
        return s ? Database::FindQuotation(*s, date) : nullptr;
    }
};

TEST(TeletextImporter, HeaderDateAndQuotationColumns) {
    Fixture f;
    const auto r = f.Import(Page({Header(" 5.11.00"), Quote("ORBIS", "12,50", "1.234,56")}));
    EXPECT_TRUE(r.opened && r.headerFound && r.dateValid);
    EXPECT_EQ(r.dateText, "00-11-05");
    EXPECT_EQ(r.stored, 1);
    const Quotation* q = f.Q("ORBIS");
    ASSERT_NE(q, nullptr);
    EXPECT_EQ(q->Close, 12.5f);
    EXPECT_EQ(q->Open, 12.5f);
    EXPECT_EQ(q->High, 12.5f);
    EXPECT_EQ(q->Low, 12.5f);
    // Turnover 1234 thousand at 12.50: 1234000 / 25.
    EXPECT_EQ(q->Volume, 49360);
    EXPECT_EQ(q->OpenInt, 0);
    EXPECT_EQ(q->Mark, 0);
    EXPECT_TRUE(f.db.WorkspaceDirty());
}

TEST(TeletextImporter, MarksReductionsAndPriceForms) {
    Fixture f;
    std::string letterPrice = Quote("D", "7,25", "10");
    letterPrice[11] = 'v';  // a character above '9' in column 11 counts as a blank
    const auto r =
        f.Import(Page({Header("05.11.00"), Quote("A", "10,00", "10", "nk", "50%"),
                       Quote("B", "20.5", "10", "ok", "50%"), Quote("C", "30,00", "10", "rs", "7%"),
                       letterPrice, Quote("WIG", "1000,0", "10", "z")}));
    EXPECT_EQ(r.stored, 4);
    EXPECT_EQ(r.skipped, 1);
    EXPECT_EQ(f.Q("A")->Mark, 1);
    EXPECT_EQ(f.Q("A")->Reduction, 50);
    EXPECT_EQ(f.Q("B")->Mark, 5);
    EXPECT_EQ(f.Q("B")->Reduction, 0);
    EXPECT_EQ(f.Q("B")->Close, 20.5f);
    EXPECT_EQ(f.Q("C")->Mark, 4);
    EXPECT_EQ(f.Q("C")->Reduction, 7);
    EXPECT_EQ(f.Q("D")->Close, 7.25f);
    EXPECT_EQ(f.Q("WIG"), nullptr);  // a 'z' mark skips the line

    const TeletextLine odd = ParseTeletextLine(Quote("X", "1,00", "5", "nk", "9999"));
    EXPECT_EQ(odd.mark, 1);
    EXPECT_EQ(odd.reduction, 0);  // not a percentage
}

TEST(TeletextImporter, IndexLinesGetTheRunningVolumeSums) {
    Fixture f;
    // Volumes: A 1000*1000/(2*10) = 50000, B 3000*1000/(2*20) = 75000, C 800*1000/(2*4) = 100000,
    // D 500*1000/(2*5) = 50000.
    const auto r = f.Import(
        Page({Header("05.11.00"), Quote("A", "10,00", "1.000"), Quote("UNKNOWN", "10,00", "9.999"),
              Quote("B", "20,00", "3.000"), Quote("WIG", "15000,0", "99.999"),
              Quote("WIG20", "1500,0", "1"), Quote("C", "4,00", "800"), Quote("NIF", "100,0", "5"),
              Quote("D", "5,00", "500"), Quote("MIDWIG", "900,0", "5"), "OFERTA",
              Quote("B", "99,00", "1")}));
    EXPECT_EQ(r.stored, 8);
    EXPECT_EQ(f.Q("A")->Volume, 50000);
    EXPECT_EQ(f.Q("B")->Volume, 75000);
    EXPECT_EQ(f.Q("B")->Close, 20.0f);  // the line after OFERTA is not read
    EXPECT_EQ(f.Q("WIG")->Volume, 125000);
    EXPECT_EQ(f.Q("WIG20")->Volume, 125000);
    EXPECT_EQ(f.Q("WIG20")->Close, 1500.0f);
    EXPECT_EQ(f.Q("NIF")->Volume, 100000);
    EXPECT_EQ(f.Q("MIDWIG")->Volume, 50000);
    EXPECT_EQ(f.db.StockCount(), 9);  // stocks are never created
}

TEST(TeletextImporter, NoHeaderBadDateZeroPriceAndMissingFile) {
    Fixture f;
    auto r = f.Import(Page({Quote("A", "10,00", "1.000")}));
    EXPECT_TRUE(r.opened);
    EXPECT_FALSE(r.headerFound);
    EXPECT_EQ(ImportTeletextFile(f.db, f.dir / "page.txt"), 1);
    EXPECT_EQ(f.db.FindStock("A")->Quotations.size(), 0u);

    r = f.Import(Page({Header("31.02.00"), Quote("A", "10,00", "1.000")}));
    EXPECT_TRUE(r.headerFound);
    EXPECT_FALSE(r.dateValid);
    EXPECT_EQ(f.db.FindStock("A")->Quotations.size(), 0u);

    r = f.Import(Page({Header("05.11.00"), Quote("A", "0,00", "1.000"), Quote("B", "-,--", "5"),
                       Quote("C", "-3,00", "5")}));
    EXPECT_EQ(r.stored, 0);
    EXPECT_EQ(r.skipped, 3);
    EXPECT_FALSE(f.db.WorkspaceDirty());

    EXPECT_EQ(ImportTeletextFile(f.db, f.dir / "missing.txt"), 0);
    EXPECT_EQ(ImportTeletext(f.db, f.dir / "missing.txt").failure.ErrorNumber(), ENOENT);
    EXPECT_EQ(ImportTeletextFile(f.db, f.dir.path()), 0);
}

TEST(TeletextImporter, FieldsWiderThanTheirColumnsAreErrorsAndTurnoverOverflowIsClamped) {
    Fixture f;
    std::string widePrice = Quote("A", "", "10");
    Put(widePrice, 11, "100000,00");  // one column into the mark
    std::string wideTurnover = Quote("B", "1,00", "");
    Put(wideTurnover, 31, "12345678901");  // one column past the turnover's
    const auto r = f.Import(Page({Header("05.11.00"), widePrice, wideTurnover,
                                  Quote("C", "99999,99", "10"), Quote("D", "0,01", "9999999999")}));
    EXPECT_EQ(r.skipped, 2);
    EXPECT_EQ(r.tooWide, 2);
    EXPECT_EQ(f.Q("A"), nullptr);
    EXPECT_EQ(f.Q("B"), nullptr);
    ASSERT_NE(f.Q("C"), nullptr);  // a price filling its 8 columns exactly
    EXPECT_EQ(f.Q("C")->Close, 99999.99f);
    EXPECT_EQ(r.clamped, 1);
    EXPECT_EQ(f.Q("D")->Volume, 2147483647);
}

TEST(TeletextImporter, CrLfLinesAliasesAndSettings) {
    Fixture f;
    f.db.FindStock("ORBIS")->Alias.Set("ORB");
    f.db.AliasChanged();
    test::WriteText(f.dir / "p1.txt",
                    Page({Header("05.11.00"), Quote("ORB", "3,50", "7")}, "\r\n"));
    test::WriteText(f.dir / "p2.txt", Page({Header("06.11.00"), Quote("A", "3,50", "7")}));
    MemorySettingsStore settings;
    EXPECT_EQ(TeletextStartDirectory(settings), "");
    const auto results = ImportTeletextFiles(f.db, settings, {f.dir / "p1.txt", f.dir / "p2.txt"});
    ASSERT_EQ(results.size(), 2u);
    EXPECT_EQ(results[0].stored, 1);
    EXPECT_EQ(results[1].dateText, "00-11-06");
    EXPECT_EQ(TeletextStartDirectory(settings), f.dir.path().string());
    ASSERT_NE(f.Q("ORBIS"), nullptr);
    EXPECT_EQ(f.Q("ORBIS")->Volume, 1000);
    EXPECT_NE(f.Q("A", MakeDate(2000, 11, 6)), nullptr);
}

// Pages of random bytes after a header: no crash, and only sound quotations are stored.
TEST(TeletextImporter, ArbitraryBytesStoreOnlySoundQuotations) {
    Fixture f;
    std::mt19937 rng(99);
    static const char kChars[] = "ABCDWIGNF0123456789 ,.-%nkzors\t\r\n\0\xff";
    const std::string alphabet(kChars, sizeof kChars - 1);
    const std::vector<std::string> tickers = {"A", "B", "WIG", "WIG20", "NIF", "ORBIS"};
    int stored = 0;
    for (int round = 0; round < 100; ++round) {
        std::string page = Header("05.11.00") + "\n";
        for (int line = 0; line < 30; ++line) {
            // A well-formed line with a few characters replaced at random.
            std::string text = Quote(tickers[rng() % tickers.size()], "12,50", "1.000", "nk", "5");
            for (int k = rng() % 4; k > 0; --k) {
                text[rng() % text.size()] = alphabet[rng() % alphabet.size()];
            }
            page += text + "\n";
        }
        for (std::size_t i = rng() % 500; i > 0; --i)
            page.push_back(alphabet[rng() % alphabet.size()]);
        if (round % 10 == 0) page.append(600, 'A');  // an overlong line
        const auto r = f.Import(page);
        EXPECT_TRUE(r.opened);
        stored += r.stored;
    }
    EXPECT_GT(stored, 100);
    for (const auto& s : f.db.Stocks()) {
        for (const Quotation& q : s->Quotations) {
            EXPECT_GT(q.Close, 0);
            EXPECT_GE(q.Volume, 0);
            EXPECT_LE(q.Reduction, 100);
        }
    }
}

}  // namespace
}  // namespace velmora
