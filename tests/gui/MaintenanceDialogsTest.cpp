#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTimer>
#include <QTreeWidget>
#include <algorithm>

#include "gui/ChartGuiSupport.h"
#include "gui/StockTreePane.h"
#include "gui/dialogs/CategoryDialogs.h"
#include "gui/dialogs/CompositesDialog.h"
#include "gui/dialogs/ImportDialogs.h"
#include "gui/dialogs/QuotationEditorWindow.h"
#include "gui/dialogs/StockDialogs.h"
#include "portfolio/PortfolioFile.h"

namespace velmora {
namespace {

using Side = AssignmentsOrganizer::Side;

Stock* AddStockWithCloses(Database& db, const char* ticker, std::initializer_list<float> closes,
                          PackedDate first = MakeDate(2010, 3, 1)) {
    Stock* stock = db.AddStock(ticker);
    PackedDate d = first;
    for (float close : closes) {
        Quotation* q = db.AddQuotation(*stock, d);
        q->Close = q->Open = q->High = q->Low = close;
        q->Volume = 1000;
        d = AddDays(d, 1);
    }
    return stock;
}

bool HasMessage(const RecordingUserInterface& ui, std::string_view text) {
    return std::find(ui.messages.begin(), ui.messages.end(), text) != ui.messages.end();
}

TEST(StockInformationDialog, OkStoresTheFieldsAndATakenTickerKeepsTheDialogOpen) {
    test::GuiFixture f(10);
    f.db.AddStock("OTHER");
    gui::StockInformationDialog dialog(f.context, *f.stock);
    EXPECT_EQ(dialog.TickerEdit()->text(), "TEST");

    dialog.TickerEdit()->setText("other");
    dialog.FullNameEdit()->setText("Changed name");
    dialog.accept();
    EXPECT_TRUE(HasMessage(f.ui, kTickerTaken));
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(f.stock->Ticker.Str(), "TEST");
    EXPECT_EQ(f.stock->FullName.Str(), "");  // nothing stored while the ticker is refused

    dialog.TickerEdit()->setText("NEWT");
    dialog.IssueBox()->setValue(1500);
    dialog.NominalBox()->setValue(1000);
    dialog.MarketBox()->setCurrentIndex(7);
    dialog.GroupBox()->setCurrentIndex(3);
    dialog.FavouriteBox()->setChecked(true);
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(f.db.FindStock("NEWT"), f.stock);
    EXPECT_EQ(f.db.FindStock("TEST"), nullptr);
    EXPECT_EQ(f.stock->FullName.Str(), "Changed name");
    EXPECT_EQ(f.stock->Issue, 1500);
    EXPECT_EQ(f.stock->NominalValue, 1000);
    EXPECT_EQ(GetMarketID(*f.stock), 7);
    EXPECT_EQ(GetGroupID(*f.stock), 3);
    EXPECT_TRUE(f.stock->IsFavourite());
    EXPECT_FALSE(f.stock->IsIndex());
    EXPECT_TRUE(GetContinuous(*f.stock));  // the fixture's flag is kept
    EXPECT_TRUE(f.db.WorkspaceDirty());
}

TEST(SplitStockDialog, OpensOnTheFoundSplitAndOkSplitsTheHistoryAndThePortfolio) {
    test::GuiFixture f(0);
    f.db.SetWorkspaceDir(f.dir.path());
    // A 5-for-1 split on 2010-03-03 and nothing after it.
    Stock* stock = AddStockWithCloses(f.db, "SPLT", {50, 50, 10, 10.5f});
    stock->Issue = 1500;
    f.context.MakeCurrent(stock, 0);
    Portfolio portfolio;
    Position held;
    held.Ticker.Set("SPLT");
    held.BuyDate.Set("10-03-01");
    held.Whole = 10;
    held.BuyPrice = 40;
    portfolio.Positions.push_back(held);
    ASSERT_TRUE(SavePortfolio(PortfolioPath(f.dir.path()), portfolio));

    auto logic = f.context.Maintenance().OpenSplitDialog(MakeDate(2011, 1, 1));
    ASSERT_TRUE(logic.has_value());
    gui::SplitStockDialog dialog(f.context, std::move(*logic));
    EXPECT_EQ(dialog.RatioEdit()->text(), "5");
    EXPECT_EQ(dialog.DateEdit()->date(), QDate(2010, 3, 3));
    // No further split: the message, and the date and the ratio stay.
    dialog.FindNext();
    EXPECT_EQ(f.ui.messages.back(), "No further split found after 2010-03-03.");
    EXPECT_EQ(dialog.RatioEdit()->text(), "5");
    EXPECT_EQ(dialog.DateEdit()->date(), QDate(2010, 3, 3));
    // A date typed before the split: "Find next" finds it again.
    dialog.DateEdit()->setDate(QDate(2010, 3, 1));
    dialog.FindNext();
    EXPECT_EQ(dialog.DateEdit()->date(), QDate(2010, 3, 3));

    // A ratio that is not a positive number is refused and nothing changes.
    dialog.RatioEdit()->setText("-2");
    dialog.accept();
    EXPECT_TRUE(HasMessage(f.ui, kBadSplitRatio));
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(stock->Quotations[0].Close, 50);

    dialog.RatioEdit()->setText("5");
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FLOAT_EQ(stock->Quotations[0].Close, 10);
    EXPECT_FLOAT_EQ(stock->Quotations[1].High, 10);
    EXPECT_EQ(stock->Quotations[1].Volume, 5000);
    EXPECT_FLOAT_EQ(stock->Quotations[2].Close, 10);  // on the date: unchanged
    EXPECT_EQ(stock->Quotations[2].Volume, 1000);
    EXPECT_EQ(stock->Issue, 7500);
    Portfolio after;
    ASSERT_TRUE(LoadPortfolio(PortfolioPath(f.dir.path()), after));
    ASSERT_EQ(after.Positions.size(), 1u);
    EXPECT_EQ(after.Positions[0].Whole, 50);
    EXPECT_DOUBLE_EQ(after.Positions[0].BuyPrice, 8);
}

TEST(StockFinderDialog, NarrowsTheListAndChoosesTheSelectedStock) {
    test::GuiFixture f(5);
    f.db.AddStock("ALPHA")->FullName.Set("Alpha Mining");
    f.db.AddStock("BETA")->FullName.Set("Beta Foods");
    gui::StockFinderDialog dialog(f.db);
    EXPECT_EQ(dialog.List()->topLevelItemCount(), 3);
    dialog.FilterEdit()->setText("food");
    ASSERT_EQ(dialog.List()->topLevelItemCount(), 1);
    EXPECT_EQ(dialog.Chosen(), f.db.FindStock("BETA"));
    // A ticker typed in full wins over other matches.
    dialog.FilterEdit()->setText("test");
    EXPECT_EQ(dialog.Chosen(), f.stock);
    dialog.FilterEdit()->setText("nothing like it");
    EXPECT_EQ(dialog.List()->topLevelItemCount(), 0);
    EXPECT_EQ(dialog.Chosen(), nullptr);
}

TEST(StockFinderDialog, TheCommandMakesTheChosenStockCurrentAndCancelChangesNothing) {
    test::GuiFixture f(5);
    Stock* alpha = f.db.AddStock("ALPHA");
    const auto answer = [](const char* text, bool ok) {
        QTimer::singleShot(0, [text, ok] {
            auto* dialog = qobject_cast<gui::StockFinderDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            dialog->FilterEdit()->setText(QString::fromLatin1(text));
            ok ? dialog->accept() : dialog->reject();
        });
    };
    answer("alp", false);
    gui::ShowStockFinder(f.context, nullptr);
    EXPECT_EQ(f.context.CurrentStock(), f.stock);
    answer("alp", true);
    gui::ShowStockFinder(f.context, nullptr);
    EXPECT_EQ(f.context.CurrentStock(), alpha);
}

TEST(QuotationEditorWindow, LeavingAnEditedRowStoresItAndTheSingleQuoteModeCreatesQuotations) {
    test::GuiFixture f(0);
    Stock* a = AddStockWithCloses(f.db, "AAA", {10, 11, 12});
    AddStockWithCloses(f.db, "BBB", {20});
    f.context.MakeCurrent(a, 0);
    int refreshes = 0;
    QObject::connect(&f.context, &gui::GuiContext::chartsRefreshRequested, [&] { ++refreshes; });
    gui::QuotationEditorWindow window(f.context);
    QTreeWidget* list = window.List();
    ASSERT_EQ(list->topLevelItemCount(), 3);
    EXPECT_EQ(list->topLevelItem(0)->text(QuotationEditorRow::kDate), "10-03-03");  // newest first
    EXPECT_EQ(list->topLevelItem(0)->text(QuotationEditorRow::kClose), "12");
    EXPECT_FALSE(window.DatePicker()->isEnabled());

    // Looking through rows stores nothing.
    list->setCurrentItem(list->topLevelItem(1));
    list->setCurrentItem(list->topLevelItem(0));
    EXPECT_EQ(refreshes, 0);

    window.Field(QuotationEditorRow::kClose)->setText("12.5");
    window.Field(QuotationEditorRow::kHigh)->setText("");
    list->setCurrentItem(list->topLevelItem(1));
    const Quotation* q = Database::FindQuotation(*a, MakeDate(2010, 3, 3));
    ASSERT_NE(q, nullptr);
    EXPECT_FLOAT_EQ(q->Close, 12.5f);
    EXPECT_FLOAT_EQ(q->High, 12.5f);  // an empty high takes the greater of close and open
    EXPECT_EQ(list->topLevelItem(0)->text(QuotationEditorRow::kClose), "12.5");
    EXPECT_EQ(list->topLevelItem(0)->text(QuotationEditorRow::kOpenInt), "0");  // not emptied
    EXPECT_EQ(window.Field(QuotationEditorRow::kClose)->text(), "11");
    EXPECT_EQ(refreshes, 1);

    // One date across all stocks: BBB has no quotation on 10-03-03.
    window.SingleQuoteButton()->click();
    EXPECT_TRUE(window.DatePicker()->isEnabled());
    window.DatePicker()->setDate(QDate(2010, 3, 3));
    ASSERT_EQ(list->topLevelItemCount(), 3);  // AAA, BBB, TEST
    QTreeWidgetItem* bbb = list->topLevelItem(1);
    EXPECT_EQ(bbb->text(QuotationEditorRow::kTicker), "BBB");
    EXPECT_EQ(bbb->text(QuotationEditorRow::kDate), "10-03-03");
    EXPECT_TRUE(bbb->text(QuotationEditorRow::kClose).isEmpty());
    list->setCurrentItem(bbb);
    window.Field(QuotationEditorRow::kClose)->setText("10");
    window.Field(QuotationEditorRow::kOpen)->setText("12");
    window.Apply();
    // The stored quotation's Open Int stays in its field after Apply, a zero as "0".
    EXPECT_EQ(window.Field(QuotationEditorRow::kOpenInt)->text(), "0");
    const Quotation* created =
        Database::FindQuotation(*f.db.FindStock("BBB"), MakeDate(2010, 3, 3));
    ASSERT_NE(created, nullptr);
    EXPECT_FLOAT_EQ(created->High, 12);
    EXPECT_FLOAT_EQ(created->Low, 10);
    // A close of 0 stores nothing for TEST.
    list->setCurrentItem(list->topLevelItem(2));
    window.Field(QuotationEditorRow::kClose)->setText("0");
    window.Apply();
    EXPECT_TRUE(f.stock->Quotations.empty());
}

TEST(QuotationEditorWindow, IsMadeOnceAndKeptByItsParent) {
    test::GuiFixture f(3);
    QWidget parent;
    gui::QuotationEditorWindow* first = gui::ShowQuotationEditor(f.context, &parent);
    gui::QuotationEditorWindow* again = gui::ShowQuotationEditor(f.context, &parent);
    EXPECT_EQ(first, again);
    EXPECT_EQ(first->List()->topLevelItemCount(), 3);
    // A rebuild of the stock tree (here a new current stock) reads the rows again.
    Stock* other = AddStockWithCloses(f.db, "BBB", {20});
    f.context.MakeCurrent(other, kCurrentRebuildTree);
    ASSERT_EQ(first->List()->topLevelItemCount(), 1);
    EXPECT_EQ(first->List()->topLevelItem(0)->text(QuotationEditorRow::kTicker), "BBB");
    first->close();
}

TEST(CategoriesDialog, ARenamedMarketReachesTheStockTreeAndSettingsFollowTheRows) {
    test::GuiFixture f(3);
    SetMarketID(*f.stock, 3);
    Stock* index = f.db.AddStock("WIG");
    index->Flags |= Stock::kIndexFlag;
    SetMarketID(*index, 3);  // the tree's only market node is market 3
    gui::StockTreePane tree(f.context);
    tree.Refresh(true);
    const auto marketNodeText = [&] {
        QTreeWidgetItem* markets = tree.TreeWidget()->topLevelItem(1);
        return markets->childCount() > 0 ? markets->child(0)->text(0) : QString();
    };
    EXPECT_EQ(marketNodeText(), "Market 3");

    gui::CategoriesDialog dialog(f.context);
    QTreeWidget* list = dialog.List();
    ASSERT_EQ(list->topLevelItemCount(), 256);
    // The base-ticker boxes list the index stocks only (after an empty entry).
    ASSERT_EQ(dialog.RSBaseBox()->count(), 2);
    EXPECT_EQ(dialog.RSBaseBox()->itemText(1), "WIG");
    EXPECT_TRUE(dialog.ProfileEdit()->isVisibleTo(&dialog));
    EXPECT_FALSE(dialog.SectorBox()->isVisibleTo(&dialog));

    list->topLevelItem(3)->setText(0, "Main board");
    list->setCurrentItem(list->topLevelItem(3));
    dialog.RSBaseBox()->setEditText("WIG");
    list->setCurrentItem(list->topLevelItem(4));  // leaving the row stores its settings
    EXPECT_EQ(f.db.Categories().Markets[3].RSBase.Str(), "WIG");
    dialog.Tabs()->setCurrentIndex(1);  // Groups: the market names are stored
    EXPECT_EQ(f.db.Categories().Markets[3].Name.Str(), "Main board");
    EXPECT_FALSE(dialog.ProfileEdit()->isVisibleTo(&dialog));
    EXPECT_EQ(list->topLevelItem(0)->text(0), "Group 0");
    dialog.Tabs()->setCurrentIndex(3);  // Industries show the sector box
    EXPECT_TRUE(dialog.SectorBox()->isVisibleTo(&dialog));
    EXPECT_EQ(dialog.SectorBox()->count(), 32);
    dialog.SectorBox()->setCurrentIndex(5);
    dialog.accept();
    EXPECT_EQ(f.db.Categories().Industries[0].SectorID, 5);
    EXPECT_TRUE(f.db.WorkspaceDirty());
    EXPECT_EQ(marketNodeText(), "Main board");
}

TEST(CategoriesDialog, CancelDropsTheTabsPendingNamesButKeepsWhatLeavingATabStored) {
    test::GuiFixture f(3);
    f.db.SetWorkspaceDirty(false);
    {
        gui::CategoriesDialog untouched(f.context);
        untouched.List()->setCurrentItem(untouched.List()->topLevelItem(2));
        untouched.reject();
    }
    EXPECT_FALSE(f.db.WorkspaceDirty());

    gui::CategoriesDialog dialog(f.context);
    dialog.Tabs()->setCurrentIndex(1);
    dialog.List()->topLevelItem(2)->setText(0, "Banks");
    dialog.Tabs()->setCurrentIndex(2);  // Sectors: the group names are stored
    dialog.List()->topLevelItem(0)->setText(0, "Pending");
    dialog.reject();
    EXPECT_EQ(f.db.Categories().Groups[2].Name.Str(), "Banks");
    EXPECT_EQ(f.db.Categories().Sectors[0].Name.Str(), "Sector 0");
    // What was stored is saved with the workspace.
    EXPECT_TRUE(f.db.WorkspaceDirty());
}

TEST(AssignmentsOrganizerDialog, ExchangeAllSwapsTwoGroupsAndClosingRebuildsTheTree) {
    test::GuiFixture f(0);
    for (const char* t : {"G1A", "G1B"}) SetGroupID(*f.db.AddStock(t), 1);
    SetGroupID(*f.db.AddStock("G2A"), 2);
    int rebuilds = 0;
    QObject::connect(&f.context, &gui::GuiContext::stockTreeRebuildRequested, [&] { ++rebuilds; });
    gui::AssignmentsOrganizerDialog dialog(f.context);
    for (int b = 0; b < AssignmentsOrganizer::kButtonCount; ++b) {
        EXPECT_FALSE(dialog.Button(static_cast<AssignmentsOrganizer::Button>(b))->isEnabled());
    }
    EXPECT_EQ(dialog.Button(AssignmentsOrganizer::kExchangeAll)->toolTip(), "Exchange all items");
    dialog.KindButton(CategoryKind::Groups)->click();
    dialog.CategoryBox(Side::Left)->setCurrentIndex(2);   // group 1
    dialog.CategoryBox(Side::Right)->setCurrentIndex(3);  // group 2
    ASSERT_EQ(dialog.StockList(Side::Left)->count(), 2);
    ASSERT_EQ(dialog.StockList(Side::Right)->count(), 1);
    EXPECT_FALSE(dialog.Button(AssignmentsOrganizer::kExchangeSelected)->isEnabled());
    ASSERT_TRUE(dialog.Button(AssignmentsOrganizer::kExchangeAll)->isEnabled());
    dialog.Button(AssignmentsOrganizer::kExchangeAll)->click();
    EXPECT_EQ(GetGroupID(*f.db.FindStock("G1A")), 2);
    EXPECT_EQ(GetGroupID(*f.db.FindStock("G1B")), 2);
    EXPECT_EQ(GetGroupID(*f.db.FindStock("G2A")), 1);
    EXPECT_EQ(dialog.StockList(Side::Left)->count(), 1);
    EXPECT_EQ(dialog.StockList(Side::Left)->item(0)->text(), "G2A");

    // A selected stock copied from right to left.
    dialog.StockList(Side::Right)->item(1)->setSelected(true);  // G1B
    ASSERT_TRUE(dialog.Button(AssignmentsOrganizer::kCopySelectedLeft)->isEnabled());
    dialog.Button(AssignmentsOrganizer::kCopySelectedLeft)->click();
    EXPECT_EQ(GetGroupID(*f.db.FindStock("G1B")), 1);
    EXPECT_EQ(GetGroupID(*f.db.FindStock("G1A")), 2);
    EXPECT_EQ(rebuilds, 0);
    dialog.reject();
    EXPECT_EQ(rebuilds, 1);
}

TEST(MetastockImportDialog, ImportsOnlyTheCheckedRows) {
    test::GuiFixture f(0);
    gui::MetastockImportDialog dialog(f.context);
    EXPECT_EQ(dialog.FolderLabel()->text(), "<no data folder selected>");
    EXPECT_FALSE(dialog.ImportButton()->isEnabled());

    // A folder without an index file: the message, an empty list, Import enabled all the same.
    dialog.ChooseFile(f.dir.path() / "MASTER");
    EXPECT_EQ(f.ui.messages.size(), 1u);
    EXPECT_EQ(dialog.List()->topLevelItemCount(), 0);
    EXPECT_TRUE(dialog.ImportButton()->isEnabled());

    const auto folder = test::TestDataDir() / "metastock" / "msdir_equis_b";
    dialog.ChooseFile(folder / "MASTER");
    ASSERT_EQ(dialog.List()->topLevelItemCount(), 2);
    QTreeWidgetItem* first = dialog.List()->topLevelItem(0);
    QTreeWidgetItem* second = dialog.List()->topLevelItem(1);
    EXPECT_EQ(first->checkState(0), Qt::Checked);
    EXPECT_EQ(first->text(2), "OHLC");
    EXPECT_EQ(first->text(3), "97-09-23");  // the first date, as dates are shown
    const QString skipped = first->text(0).trimmed();
    const QString imported = second->text(0).trimmed();
    EXPECT_EQ(f.settings.GetString("Paths", "Metastock").value_or(""), folder.string());

    // Toggle inverts every mark; checking one again by its box leaves the other unchecked.
    dialog.Toggle();
    EXPECT_EQ(first->checkState(0), Qt::Unchecked);
    EXPECT_EQ(second->checkState(0), Qt::Unchecked);
    second->setCheckState(0, Qt::Checked);
    dialog.ImportButton()->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(f.db.FindStock(skipped.toStdString()), nullptr);
    const Stock* stock = f.db.FindStock(imported.toStdString());
    ASSERT_NE(stock, nullptr);
    EXPECT_FALSE(stock->Quotations.empty());
    EXPECT_TRUE(GetContinuous(*stock));
    // The summary names what became of the chosen security.
    EXPECT_EQ(f.ui.messages.back(), "Metastock import\n\n" + imported.toStdString() + ": " +
                                        std::to_string(stock->Quotations.size()) +
                                        " quotations imported (new stock)\n");
    ASSERT_EQ(f.ui.progress.steps.size(), 1u);
    EXPECT_EQ(f.ui.progress.steps[0].caption, "Import...");
}

TEST(TeletextImport, StoresThePagesQuotationsForKnownStocks) {
    test::GuiFixture f(0);
    // Header with the session date at column 32; one line: ticker at 1, price at 11 with its
    // decimal comma at 16, turnover in thousands at 31.
    std::string header = "AKCJE-rynek podstawowy  ";
    header.resize(32, ' ');
    header += "05.11.00";
    std::string line(41, ' ');
    line.replace(1, 4, "TEST");
    line.replace(11, 8, "   12,50");
    line.replace(31, 10, "       100");
    test::WriteText(f.dir.path() / "page.txt", header + "\n" + line + "\nOFERTA\n");
    const int read = gui::ImportTeletextPages(
        f.context, {QString::fromStdString((f.dir.path() / "page.txt").string()),
                    QString::fromStdString((f.dir.path() / "missing.txt").string())});
    EXPECT_EQ(read, 1);
    EXPECT_EQ(f.ui.messages.back(),
              "Teletext import\n\npage.txt: session 00-11-05, 1 quotation stored, 0 lines "
              "skipped\nmissing.txt: cannot be opened: No such file or directory\n");
    ASSERT_EQ(f.stock->Quotations.size(), 1u);
    EXPECT_EQ(f.stock->Quotations[0].Date, MakeDate(2000, 11, 5));
    EXPECT_FLOAT_EQ(f.stock->Quotations[0].Close, 12.5f);
    EXPECT_EQ(f.stock->Quotations[0].Volume, 4000);  // 100 000 / (2 x 12.5)
    EXPECT_EQ(f.settings.GetString("Paths", "Teletext").value_or(""), f.dir.path().string());
}

TEST(CompositesDialog, CalculatesTheChosenMarketAndDeletesItsRecordsAfterAsking) {
    test::GuiFixture f(0);
    Market& market = f.db.Categories().Markets[1];
    market.CompositesBase.Set("IDX");
    Stock* idx = AddStockWithCloses(f.db, "IDX", {100, 101, 102});
    idx->Flags |= Stock::kIndexFlag;
    SetMarketID(*idx, 1);
    SetMarketID(*AddStockWithCloses(f.db, "AAA", {10, 11, 10}), 1);
    gui::CompositesDialog dialog(f.context);
    EXPECT_EQ(dialog.windowTitle(), "Composites recalculation tool");
    for (int i = 0; i < 3; ++i) EXPECT_FALSE(dialog.FlagBox(i)->isChecked());
    EXPECT_TRUE(dialog.RangeButton(1)->isChecked());
    EXPECT_EQ(dialog.CountEdit()->text(), "1");
    EXPECT_TRUE(dialog.AllMarketsButton()->isChecked());
    EXPECT_EQ(dialog.MarketBox()->count(), 256);

    // Advancing/declining issues over all quotes of market 1: AAA rose, then fell.
    dialog.FlagBox(2)->setChecked(true);
    dialog.RangeButton(0)->setChecked(true);
    dialog.ThisMarketButton()->setChecked(true);
    dialog.MarketBox()->setCurrentIndex(1);
    dialog.Calculate();
    ASSERT_EQ(market.ADQuotations.size(), 3u);
    EXPECT_EQ(Database::FindADQuotation(market, idx->Quotations[1].Date)->AdvIssues, 1);
    EXPECT_EQ(Database::FindADQuotation(market, idx->Quotations[2].Date)->DecIssues, 1);

    // Delete asks first; No keeps the records.
    f.ui.answer = false;
    dialog.Delete();
    EXPECT_EQ(f.ui.questions.size(), 1u);
    EXPECT_EQ(market.ADQuotations.size(), 3u);
    f.ui.answer = true;
    dialog.Delete();
    EXPECT_TRUE(market.ADQuotations.empty());
}

}  // namespace
}  // namespace velmora
