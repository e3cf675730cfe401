#pragma once
// The commands that change the stock database directly: new, delete and rename a stock, split
// a stock's history, find the next probable split, delete one quotation or one session, and
// make a stock current. They work on the in-memory database (which marks what they change);
// nothing reaches the disk before the workspace is saved, except that a removed or renamed
// stock's file is set aside with ".ZZZ" until then.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "database/Database.h"
#include "database/Preferences.h"
#include "platform/FileSystem.h"
#include "platform/Status.h"
#include "platform/UserInterface.h"

namespace velmora {

class Portfolio;
class SplitDialog;

inline constexpr std::string_view kNewStockPrompt = "Enter a new stock name";
inline constexpr std::string_view kStockExists = "This stock already exists";
inline constexpr std::string_view kConfirmDeleteStock =
    "Are you sure you want to delete the current stock?";
inline constexpr std::string_view kTickerTaken =
    "Can not rename stock because the ticker you have entered already exists in the database";
inline constexpr std::string_view kPortfolioNotSaved = "The portfolio file could not be saved";
inline constexpr std::string_view kEmptyTicker = "The ticker can not be empty";
// A split gives or takes at most a thousand shares per share: a ratio beyond that is a typing
// error, and prices divided by it would leave the range the stock file keeps exactly.
inline constexpr double kMinSplitRatio = 0.001;
inline constexpr double kMaxSplitRatio = 1000;
inline constexpr std::string_view kBadSplitRatio =
    "The split ratio must be a number from 0.001 to 1000";
inline constexpr std::string_view kBadSplitDate = "The split date is not a valid date";

// Flags of making a stock current. The low bits are passed on to the chart windows' refresh.
inline constexpr int kCurrentSelect = 1;        // select it in the stock tree and the bars
inline constexpr int kCurrentRebuildTree = 16;  // rebuild the stock tree and the ticker bar
inline constexpr int kCurrentTreeFromScratch = 32;

// What the windows do when a stock becomes current. The default does nothing, so that logic
// and tests run without windows.
class ShellWindows {
  public:
    virtual ~ShellWindows() = default;
    virtual void SetChartCaption(std::string_view /*caption*/) {}
    virtual void RefreshCharts(int /*flags*/) {}
    virtual void RebuildStockTree(bool /*fromScratch*/) {}
    virtual void SelectStock(const Stock* /*stock*/) {}
};

// The fields of the "Stock Information" dialog.
struct StockInformation {
    std::string Ticker;
    std::string FullName;
    std::string Address;
    std::string Alias;
    std::string Country;
    std::string Currency;
    std::string WebID;
    std::int32_t Code = 0;
    std::int32_t Issue = 0;
    std::int32_t NominalValue = 0;
    std::int32_t BookValue = 0;
    int Market = 0;
    int Group = 0;
    std::int32_t Industry = 0;
    bool Continuous = false;
    bool Favourite = false;
    bool Index = false;

    static StockInformation Of(const Stock& stock);
    // Ok when none of the texts holds a tab or a line break; otherwise the failure naming the
    // first field that does and the character.
    Status CheckTexts() const;
};

// "Chart caption": "%s - %s" of ticker and full name, or the ticker alone.
std::string ChartCaption(const Stock& stock);

// The search for the next probable split: from the quotation after `dateText` (every quotation
// when it is empty), the first close that moved by more than 20 % against the previous one.
// A fall gives the ratio floor(p / c + 0.5), a rise the reverse ratio 1 / floor(c / p + 0.5), and
// dateText becomes that quotation's date. 1.0 with dateText unchanged when there is none.
double FindNextSplit(const Stock& stock, std::string& dateText);

// Reads a split ratio text; none unless it is a number from kMinSplitRatio to kMaxSplitRatio.
std::optional<double> ReadSplitRatio(std::string_view text);

class StockMaintenance {
  public:
    StockMaintenance(Database& db, const Preferences& prefs, UserInterface& ui,
                     ShellWindows& windows);

    // --- the current stock and the picked date --------------------------------------------
    Stock* Current() const { return current_; }
    // Records the stock as current, loads its older quotations when the preference asks for
    // it, sets the chart caption, refreshes the charts and, by the flags, rebuilds and selects.
    void MakeCurrent(Stock* stock, int flags);
    // The date of the bar that "Pick quotation" last selected; none when no bar is picked.
    const std::optional<std::string>& PickedDate() const { return pickedDate_; }
    void SetPickedDate(PackedDate date);
    void ClearPickedDate() { pickedDate_.reset(); }

    // --- commands -------------------------------------------------------------------------
    // New stock: "This stock already exists" for a known ticker; the new stock does not become
    // current (the current one is made current again with flags 17). An empty ticker adds
    // nothing.
    Stock* NewStock(std::string_view ticker);
    // Asks "Are you sure you want to delete the current stock?"; on Yes removes the current stock,
    // sets its file aside and makes the next stock (or, for the last one, the new last) current.
    bool DeleteCurrentStock();
    // Delete stock without the question (the command-line tool asks nobody).
    bool DeleteStock(Stock& stock);
    // Whether a rename updates the workspace's portfolio file (on at first; a run that will not
    // save anything leaves the file alone).
    void SetWritesPortfolioFile(bool on) { writesPortfolioFile_ = on; }
    // The file system that setting stock files aside and the portfolio's save go through
    // (tests put one there that fails on purpose).
    void SetFileSystem(FileSystem& fs) { fs_ = &fs; }

    // The stock finder closed with OK and a stock chosen: it becomes current (flags 7).
    void StockFound(Stock* stock) {
        if (stock != nullptr) MakeCurrent(stock, 7);
    }
    // Deletes the current stock's quotation at the picked date.
    bool DeleteQuotation();
    // Asks whether to delete the session at the picked date from every stock; on Yes deletes
    // it as DeleteSession(dateText) does (No deletes nothing: 0).
    int DeleteSession();
    // Deletes the quotation at the date from every stock; the number deleted. The stocks that
    // may hold the session among their quotations still on disk load them first; when one
    // cannot, the reason is shown, nothing is deleted and the result is -1.
    int DeleteSession(std::string_view dateText);

    // The "Stock Information" dialog's OK: refuses a ticker taken by another stock (the
    // message kTickerTaken, false); otherwise stores the fields. A changed ticker loads the
    // older quotations first (when they cannot be read: the reason shown, nothing changed,
    // false), renames the stock's positions in the workspace's portfolio file (saved
    // when any changed), renames the stock and sets its old file aside.
    bool ApplyStockInformation(Stock& stock, const StockInformation& info);

    // The Split command: the current stock's older quotations come into memory, then the split
    // dialog opens on it (its date picker starting at `initialDate`). None without a current
    // stock, or when its older quotations cannot be read (the reason is shown).
    std::optional<SplitDialog> OpenSplitDialog(PackedDate initialDate);

    // Split: 0 when there is no such stock (or the date or ratio is unusable, or its older
    // quotations cannot be read: the reason is shown and nothing changes), 1 done, 2 done
    // and the portfolio's positions changed (the caller saves or marks the portfolio). Prices
    // before the date are divided by the ratio, volumes multiplied; NominalValue and Issue follow;
    // the price chart's studies too.
    int Split(std::string_view ticker, std::string_view dateText, double ratio,
              Portfolio* portfolio = nullptr);

  private:
    // The database's LoadFullHistory; false after showing why it failed.
    bool LoadFullHistory(Stock& stock);
    void RenamePortfolioPositions(std::string_view oldTicker, std::string_view newTicker);
    // Sets the ticker's stock file aside until the next save; false after showing why it could
    // not be (the file then stays, so the stock must stay too).
    bool SetStockFileAside(std::string_view ticker);

    Database& db_;
    const Preferences& prefs_;
    UserInterface& ui_;
    ShellWindows& windows_;
    Stock* current_ = nullptr;
    std::optional<std::string> pickedDate_;
    bool writesPortfolioFile_ = true;
    FileSystem* fs_ = &SystemFileSystem();
};

// The split dialog: opened on the current stock with the first probable split found, "Find
// next" searching on from the date the previous search found.
class SplitDialog {
  public:
    SplitDialog(Database& db, std::string ticker, PackedDate initialDate);

    PackedDate Date() const { return date_; }
    void SetDate(PackedDate date) { date_ = date; }
    const std::string& RatioText() const { return ratioText_; }
    void SetRatioText(std::string text) { ratioText_ = std::move(text); }
    const std::string& FoundDate() const { return foundDate_; }

    // The next probable split after the shown date (Date()): its date and ratio are shown.
    // False when there is none; the date and the ratio then stay as they are.
    bool FindNext();
    // OK: the split of the picker's date and the ratio text; 0 (with a message) for a ratio
    // that is not a positive number.
    int Ok(StockMaintenance& maintenance, UserInterface& ui, Portfolio* portfolio = nullptr);

  private:
    // The first probable split after the date text (every quotation for an empty text).
    bool Search(std::string after);

    Database& db_;
    std::string ticker_;
    PackedDate date_;
    std::string ratioText_;
    std::string foundDate_;
};

}  // namespace velmora
