#pragma once
// The logic of the two category dialogs: "Categories", which renames markets, groups, sectors
// and industries and edits their settings, and "Assignments organizer", which moves stocks
// between markets, groups or industries in bulk. Both change the in-memory tables and stocks
// and set WorkspaceDirty.

#include <array>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "database/Database.h"

namespace velmora {

enum class CategoryKind { Markets, Groups, Sectors, Industries };

// The number of entries of the kind's table (256, or 32 for sectors).
int CategoryCount(CategoryKind kind);
// The name of entry `index`; empty outside the table.
std::string CategoryName(const CategoryTables& tables, CategoryKind kind, int index);
// Stores the name, cut to its 40-byte field (39 characters). False outside the table.
bool SetCategoryName(CategoryTables& tables, CategoryKind kind, int index, std::string_view name);

// The settings of one entry as the dialog's controls show them. Which ones apply depends on
// the kind: RSBase for markets, groups and industries; BetaBase, CompositesBase,
// ProfileTemplate and NewsTemplate for markets; SectorID for industries.
struct CategorySettings {
    std::string RSBase;
    std::string BetaBase;
    std::string CompositesBase;
    std::string ProfileTemplate;
    std::string NewsTemplate;
    int SectorID = 0;
};

class CategoryEditor {
  public:
    explicit CategoryEditor(Database& db);

    // The four tabs "Markets", "Groups", "Sectors", "Industries".
    static const char* TabTitle(CategoryKind kind);

    // Opening: the market names, their settings, the first row selected.
    void Open();
    CategoryKind Tab() const { return tab_; }
    // Stores the names of the tab being left, then shows the new tab's names and controls.
    void SetTab(CategoryKind kind);

    // The list: the names of the tab's table in index order; a row's image is row mod 5.
    const std::vector<std::string>& Names() const { return names_; }
    static int RowImage(int row) { return row % 5; }
    // In-place editing of a row's name (stored when the tab is left or on OK).
    void EditName(int row, std::string name);

    int SelectedRow() const { return selected_; }
    // Stores the controls into the row losing its selection, then shows the new row's settings.
    void SelectRow(int row);
    CategorySettings& Controls() { return controls_; }
    const CategorySettings& Controls() const { return controls_; }

    // Which controls the tab shows.
    bool ShowsRSBase() const { return tab_ != CategoryKind::Sectors; }
    bool ShowsMarketSettings() const { return tab_ == CategoryKind::Markets; }
    bool ShowsSector() const { return tab_ == CategoryKind::Industries; }

    // The choices of the three base-ticker boxes: the tickers of the index stocks in list order.
    std::vector<std::string> BaseTickerChoices() const;
    // The 32 sector names of the sector box (refilled after the sector names are stored).
    const std::vector<std::string>& SectorChoices() const { return sectorChoices_; }

    // OK: stores the selected row's settings and the tab's names, sets WorkspaceDirty.
    void Ok();
    // Cancel: the pending edits of the current tab are dropped; what earlier row or tab changes
    // stored stays.
    void Cancel() {}

  private:
    void FillNames();
    void LoadControls();
    void StoreControls();
    void StoreNames();
    void RefillSectorChoices();

    Database& db_;
    CategoryKind tab_ = CategoryKind::Markets;
    std::vector<std::string> names_;
    int selected_ = -1;
    CategorySettings controls_;
    std::vector<std::string> sectorChoices_;
};

// The "Assignments organizer".
class AssignmentsOrganizer {
  public:
    enum class Side { Left, Right };
    // The six buttons, in their order on the dialog.
    enum Button {
        kCopySelectedRight,  // "Copy selected items from left to right"
        kCopyAllRight,       // "Copy all items from left to right"
        kCopySelectedLeft,   // "Copy selected items from right to left"
        kCopyAllLeft,        // "Copy all items from right to left"
        kExchangeSelected,   // "Exchange selected items"
        kExchangeAll,        // "Exchange all items"
        kButtonCount
    };
    static const char* ButtonTooltip(Button button);

    explicit AssignmentsOrganizer(Database& db) : db_(db) {}

    // Closing rebuilds the stock tree and the ticker bar (make current with flags 17).
    void SetClosedHandler(std::function<void()> handler) { closed_ = std::move(handler); }

    // Markets, groups or industries (sectors are not assigned to stocks directly).
    bool SetKind(CategoryKind kind);
    CategoryKind Kind() const { return kind_; }
    // The category chosen on a side; none empties the side's list.
    void Choose(Side side, std::optional<int> category);
    std::optional<int> Chosen(Side side) const { return chosen_[Index(side)]; }

    // The tickers listed on a side, in list order.
    const std::vector<std::string>& List(Side side) const { return lists_[Index(side)]; }
    void SetSelection(Side side, std::set<int> rows);
    const std::set<int>& Selection(Side side) const { return selection_[Index(side)]; }

    // Each returns false (and changes nothing) when its button is disabled.
    bool CopySelected(Side from);
    bool CopyAll(Side from);
    bool ExchangeSelected();
    bool ExchangeAll();
    bool Press(Button button);
    bool Enabled(Button button) const;

    void Close();

    // The category of the kind a stock belongs to.
    static int CategoryOf(const Stock& stock, CategoryKind kind);
    static void Assign(Stock& stock, CategoryKind kind, int category);

  private:
    static int Index(Side side) { return side == Side::Left ? 0 : 1; }
    void Refill();
    std::vector<Stock*> Take(Side side, bool selectedOnly);
    void Move(const std::vector<Stock*>& stocks, Side to);

    Database& db_;
    std::function<void()> closed_;
    CategoryKind kind_ = CategoryKind::Markets;
    std::array<std::optional<int>, 2> chosen_;
    std::array<std::vector<std::string>, 2> lists_;
    std::array<std::vector<Stock*>, 2> stocks_;
    std::array<std::set<int>, 2> selection_;
};

}  // namespace velmora
