#pragma once
// The quotation editor: a list of quotations to look at and correct by hand, either every
// quotation of the current stock (newest first) or one date across all stocks. Edits go into the
// database through SetQuotation, so an edit updates the quotation of that stock and date or
// inserts a new one.
//
// The window shows Rows() and the edit fields; everything it does goes through this class.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "database/Database.h"

namespace velmora {

enum class QuotationEditorMode {
    CurrentStock,  // "Current stock/all quotes"
    SingleQuote,   // "All stocks/single quote"
};

// One list row, cell texts in column order.
struct QuotationEditorRow {
    enum Column { kTicker, kDate, kClose, kOpen, kHigh, kLow, kVolume, kOpenInt, kColumnCount };
    std::array<std::string, kColumnCount> Cells;

    bool operator==(const QuotationEditorRow&) const = default;
};

struct QuotationEditorColumn {
    const char* Title;
    int Width;  // dialog units
};
// "Ticker", "Date", "Close", "Open", "High", "Low", "Volume", "Open Int."
extern const std::array<QuotationEditorColumn, QuotationEditorRow::kColumnCount>
    kQuotationEditorColumns;

// The edit fields of one row.
struct QuotationEditFields {
    std::string Ticker;
    PackedDate Date = kNoDate;
    float Open = 0;
    float High = 0;
    float Low = 0;
    float Close = 0;
    std::int32_t Volume = 0;
    std::int32_t OpenInt = 0;

    bool operator==(const QuotationEditFields&) const = default;
};

// The fields read back from a row's cells.
QuotationEditFields ReadEditFields(const QuotationEditorRow& row);
// The cells written back from the fields: zero prices are shown empty, and so are zero counts
// in a row without a close (no quotation); a row with a close shows its counts as the rows read
// from the database do, 0 included.
QuotationEditorRow WriteEditFields(const QuotationEditFields& fields);

// Applies the fields to the database when the close is above 0: a missing open takes the close,
// a missing high the greater and a missing low the smaller of close and open; the quotation is
// stored with mark and reduction 0. The fields are completed in place. True when a quotation was
// stored (the ticker names a stock or an alias and the date is a date).
bool ApplyEditFields(Database& db, QuotationEditFields& fields);

class QuotationEditor {
  public:
    explicit QuotationEditor(Database& db) : db_(db) {}

    // Called after every edit that reached the database (the chart windows refresh).
    void SetChangedHandler(std::function<void()> handler) { changed_ = std::move(handler); }

    QuotationEditorMode Mode() const { return mode_; }
    // The date picker is used only in the single-quote mode.
    bool DatePickerEnabled() const { return mode_ == QuotationEditorMode::SingleQuote; }
    PackedDate PickedDate() const { return pickedDate_; }

    // Loads the window's values: the current stock is the one listed in the first mode.
    void Load(const Stock* current, PackedDate pickedDate);
    // A mode button: applies the edit fields and refills in that mode.
    void SetMode(QuotationEditorMode mode);
    // A new date in the picker refills the list.
    void SetPickedDate(PackedDate date);

    const std::vector<QuotationEditorRow>& Rows() const { return rows_; }
    int SelectedRow() const { return selected_; }
    // Leaves the selected row (applying the edit fields when they were edited, and writing them
    // back into it), then selects the row and copies its cells into the edit fields. -1 selects
    // nothing. A row left unedited is not stored again, so that looking through the list
    // neither marks stocks modified nor clears the marks of their quotations.
    void SelectRow(int row);
    QuotationEditFields& Fields() { return fields_; }
    const QuotationEditFields& Fields() const { return fields_; }

  private:
    void Fill();
    void LeaveSelectedRow();

    Database& db_;
    std::function<void()> changed_;
    QuotationEditorMode mode_ = QuotationEditorMode::CurrentStock;
    std::string ticker_;  // the stock listed in the current-stock mode
    PackedDate pickedDate_ = kNoDate;
    std::vector<QuotationEditorRow> rows_;
    int selected_ = -1;
    QuotationEditFields fields_;
    QuotationEditFields loaded_;  // the fields as the selected row gave them
};

}  // namespace velmora
