#pragma once
// The in-memory market database: the stocks in ascending case-insensitive ticker order, each
// with its quotations and studies, the four category tables with every market's
// advance/decline data, and the change marks. Every change made through these operations
// marks the stock Modified and the workspace dirty.
//
// Stock pointers stay valid until the stock is removed. Quotation pointers stay valid until
// the stock's quotations next change (insert, delete, load of older quotations).

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "database/Categories.h"
#include "database/Stock.h"
#include "platform/Status.h"

namespace velmora {

class Database {
  public:
    Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // --- stocks -------------------------------------------------------------------------
    // Case-insensitive exact match on the ticker.
    Stock* FindStock(std::string_view ticker);
    // FindStock, then (unless no stock has an alias) the first stock whose Alias matches.
    Stock* FindStockOrAlias(std::string_view name);
    // A new empty stock with at most 15 bytes of the ticker, inserted before any stock with an
    // equal ticker. It does not check for an existing stock: callers do.
    Stock* AddStock(std::string_view ticker);
    // Inserts a stock read from its file, in order and without marking it. Both give the stock
    // a new Serial.
    Stock* AdoptStock(std::unique_ptr<Stock> stock);
    bool RemoveStock(std::string_view ticker);
    bool RenameStock(std::string_view oldTicker, std::string_view newTicker);
    int StockCount() const { return static_cast<int>(stocks_.size()); }
    Stock* StockAt(int index);
    const Stock* StockAt(int index) const;
    // The position of the stock in the list, 0 when there is none.
    int IndexOfStock(std::string_view ticker) const;
    // The position of this very stock, -1 when it is not in the list.
    int PositionOf(const Stock* stock) const;
    // The stock with this Serial, nullptr when it has been removed. Safe to ask with the serial
    // of a stock that no longer exists, unlike PositionOf with its address.
    Stock* StockWithSerial(std::uint64_t serial);
    Stock* FirstStock() { return StockAt(0); }
    Stock* LastStock() { return StockAt(StockCount() - 1); }
    Stock* NextStock(const Stock* stock);
    Stock* PreviousStock(const Stock* stock);
    const std::vector<std::unique_ptr<Stock>>& Stocks() const { return stocks_; }
    // The relative-strength base index of the stock: its group's, industry's or market's base
    // ticker when that names a stock, else the stock named defaultRSBase.
    Stock* BaseIndexStock(const Stock& stock, std::string_view defaultRSBase);
    // Tells the alias lookup that an alias was edited.
    void AliasChanged() { noAliases_ = false; }

    // --- quotations ---------------------------------------------------------------------
    static int QuotationCount(const Stock& stock) {
        return static_cast<int>(stock.Quotations.size());
    }
    // The number of quotations dated on or after the date.
    static int QuotationsFrom(const Stock& stock, PackedDate date);
    static Quotation* FindQuotation(Stock& stock, PackedDate date);
    static const Quotation* FindQuotation(const Stock& stock, PackedDate date);
    // The quotation of the date, created zero-filled when absent; older quotations left on
    // disk are loaded first when the date lies before them. Null when they cannot be loaded.
    Quotation* AddQuotation(Stock& stock, PackedDate date);
    // Null for a text that is not a date.
    Quotation* AddQuotationText(Stock& stock, std::string_view dateText);
    bool DeleteQuotation(Stock& stock, PackedDate date);
    bool DeleteQuotationText(Stock& stock, std::string_view dateText);
    // The store operation of the importers and the quotation editor. False when no stock has
    // the name or alias, or the date text is not a date.
    bool SetQuotation(std::string_view name, std::string_view dateText, double close,
                      std::int32_t volume, std::int32_t openInt, std::uint8_t mark,
                      std::uint8_t reduction, double open, double high, double low);

    // Look-back: the latest quotation at or before a target date, walking backwards from the
    // quotation at `index` through at most 7, 31, 100 or 380 quotations. -1 for none.
    static int WeekBack(const Stock& stock, int index);
    static int MonthBack(const Stock& stock, int index);
    static int QuarterBack(const Stock& stock, int index);
    static int YearBack(const Stock& stock, int index);

    // --- advance/decline data -----------------------------------------------------------
    static ADQuotation* FindADQuotation(Market& market, PackedDate date);
    ADQuotation* AddADQuotation(Market& market, PackedDate date);
    void ClearADQuotations(Market& market);

    // --- categories and state -----------------------------------------------------------
    CategoryTables& Categories() { return *categories_; }
    const CategoryTables& Categories() const { return *categories_; }

    void MarkModified(Stock& stock) {
        stock.Modified = true;
        workspaceDirty_ = true;
    }
    bool WorkspaceDirty() const { return workspaceDirty_; }
    void SetWorkspaceDirty(bool dirty) { workspaceDirty_ = dirty; }
    // A read-only session (another program holds the workspace, or the command only reads):
    // loading changes nothing on disk, and nothing is ever saved or set aside. Kept across
    // ReleaseAll.
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool readOnly) { readOnly_ = readOnly; }

    // Where the next save writes, and where the loaded stock files (and the older quotations
    // not yet in memory) are.
    const std::filesystem::path& WorkspaceDir() const { return workspaceDir_; }
    void SetWorkspaceDir(std::filesystem::path dir) { workspaceDir_ = std::move(dir); }
    const std::filesystem::path& LoadedFromDir() const { return loadedFromDir_; }
    void SetLoadedFromDir(std::filesystem::path dir) { loadedFromDir_ = std::move(dir); }

    // Gives the stock its full history: a partially loaded stock's quotations still on disk
    // are read from its file in the loaded-from directory and put in front of those in memory.
    // Does nothing for a stock that is wholly in memory. On failure the quotations stay as they
    // were and the status names the file and the reason; a file that is not a stock file at
    // all also ends the stock's partial state, since it holds nothing more to read.
    Status LoadFullHistory(Stock& stock);
    // The stock's full history as LoadFullHistory would make it, written to `out`, leaving the
    // stock and the database unchanged: several threads may read histories at once while no one
    // changes the database. A stock wholly in memory gives a copy of its quotations.
    Status ReadFullHistory(const Stock& stock, QuotationList& out) const;

    // Releases every stock and every advance/decline record; the category names stay.
    void ReleaseAll();

    // --- files the load could not read -------------------------------------------------
    // Every file of the loaded workspace that could not be read (each status names the file
    // and the reason), in the order the load met them. Such files are kept out of every write:
    // the damaged stock files of a writable workspace were moved aside at the load, and the
    // workspace file is not replaced while WorkspaceFileDamaged() unless ReplaceDamaged().
    const std::vector<Status>& UnreadFiles() const { return unreadFiles_; }
    void AddUnreadFile(Status status) { unreadFiles_.push_back(std::move(status)); }
    void ClearUnreadFiles() {
        unreadFiles_.clear();
        workspaceFileDamaged_ = false;
    }
    bool WorkspaceFileDamaged() const { return workspaceFileDamaged_; }
    void SetWorkspaceFileDamaged(bool damaged) { workspaceFileDamaged_ = damaged; }
    // Whether a save may replace a file that could not be read (the user confirmed, or the
    // command line said --force); the old file is kept as FILE.bak.
    bool ReplaceDamaged() const { return replaceDamaged_; }
    void SetReplaceDamaged(bool replace) { replaceDamaged_ = replace; }

  private:
    // LoadFullHistory for a stock with quotations still on disk.
    Status LoadOlderQuotations(Stock& stock);
    std::size_t LowerBound(std::string_view ticker) const;
    void InsertSorted(std::unique_ptr<Stock> stock);
    std::unique_ptr<Stock> Unlink(const Stock* stock);

    std::vector<std::unique_ptr<Stock>> stocks_;
    std::unique_ptr<CategoryTables> categories_;
    // The stock found last. Lookups may run on several threads at once (formula runs of a
    // parallel scan), so the pointer itself is atomic.
    std::atomic<Stock*> shortcut_{nullptr};
    bool noAliases_ = false;
    bool workspaceDirty_ = false;
    std::uint64_t lastSerial_ = 0;
    bool readOnly_ = false;
    std::vector<Status> unreadFiles_;
    bool workspaceFileDamaged_ = false;
    bool replaceDamaged_ = false;
    std::filesystem::path workspaceDir_ = "data";
    std::filesystem::path loadedFromDir_ = "data";
};

}  // namespace velmora
