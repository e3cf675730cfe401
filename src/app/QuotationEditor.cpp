#include "app/QuotationEditor.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "platform/Saturate.h"

namespace velmora {

const std::array<QuotationEditorColumn, QuotationEditorRow::kColumnCount> kQuotationEditorColumns =
    {{{"Ticker", 70},
      {"Date", 55},
      {"Close", 50},
      {"Open", 50},
      {"High", 50},
      {"Low", 50},
      {"Volume", 50},
      {"Open Int.", 57}}};

namespace {

std::string FormatG(double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%g", v);
    return buf;
}

std::string FormatD(std::int32_t v) {
    return std::to_string(v);
}

// The number at the start of the text; 0 when there is none. A value beyond a float's range
// is not a price: it reads as 0.
float ReadPrice(const std::string& text) {
    const double v = std::strtod(text.c_str(), nullptr);
    if (!std::isfinite(v) || std::fabs(v) > std::numeric_limits<float>::max()) return 0;
    return static_cast<float>(v);
}

// The integer at the start of the text, held within the 32-bit range.
std::int32_t ReadCount(const std::string& text) {
    errno = 0;
    const long long v = std::strtoll(text.c_str(), nullptr, 10);
    return ClampToInt32(v);
}

void FillQuotationCells(QuotationEditorRow& row, const Quotation& q) {
    row.Cells[QuotationEditorRow::kClose] = FormatG(q.Close);
    row.Cells[QuotationEditorRow::kOpen] = FormatG(q.Open);
    row.Cells[QuotationEditorRow::kHigh] = FormatG(q.High);
    row.Cells[QuotationEditorRow::kLow] = FormatG(q.Low);
    row.Cells[QuotationEditorRow::kVolume] = FormatD(q.Volume);
    row.Cells[QuotationEditorRow::kOpenInt] = FormatD(q.OpenInt);
}

}  // namespace

QuotationEditFields ReadEditFields(const QuotationEditorRow& row) {
    QuotationEditFields f;
    f.Ticker = row.Cells[QuotationEditorRow::kTicker];
    f.Date = TextToDate(row.Cells[QuotationEditorRow::kDate]);
    f.Close = ReadPrice(row.Cells[QuotationEditorRow::kClose]);
    f.Open = ReadPrice(row.Cells[QuotationEditorRow::kOpen]);
    f.High = ReadPrice(row.Cells[QuotationEditorRow::kHigh]);
    f.Low = ReadPrice(row.Cells[QuotationEditorRow::kLow]);
    f.Volume = ReadCount(row.Cells[QuotationEditorRow::kVolume]);
    f.OpenInt = ReadCount(row.Cells[QuotationEditorRow::kOpenInt]);
    return f;
}

QuotationEditorRow WriteEditFields(const QuotationEditFields& f) {
    QuotationEditorRow row;
    const bool quotation = f.Close > 0;
    auto price = [](float v) { return v != 0 ? FormatG(v) : std::string(); };
    auto count = [quotation](std::int32_t v) {
        return v != 0 || quotation ? FormatD(v) : std::string();
    };
    row.Cells[QuotationEditorRow::kTicker] = f.Ticker;
    row.Cells[QuotationEditorRow::kDate] = f.Date != kNoDate ? DateToText(f.Date) : std::string();
    row.Cells[QuotationEditorRow::kClose] = price(f.Close);
    row.Cells[QuotationEditorRow::kOpen] = price(f.Open);
    row.Cells[QuotationEditorRow::kHigh] = price(f.High);
    row.Cells[QuotationEditorRow::kLow] = price(f.Low);
    row.Cells[QuotationEditorRow::kVolume] = count(f.Volume);
    row.Cells[QuotationEditorRow::kOpenInt] = count(f.OpenInt);
    return row;
}

bool ApplyEditFields(Database& db, QuotationEditFields& f) {
    if (!(f.Close > 0)) return false;
    if (!(f.Open > 0)) f.Open = f.Close;
    if (!(f.High > 0)) f.High = f.Open > f.Close ? f.Open : f.Close;
    if (!(f.Low > 0)) f.Low = f.Open < f.Close ? f.Open : f.Close;
    if (f.Date == kNoDate) return false;
    return db.SetQuotation(f.Ticker, DateToText(f.Date), f.Close, f.Volume, f.OpenInt, 0, 0, f.Open,
                           f.High, f.Low);
}

void QuotationEditor::Load(const Stock* current, PackedDate pickedDate) {
    ticker_ = current != nullptr ? current->Ticker.Str() : std::string();
    pickedDate_ = pickedDate;
    Fill();
}

void QuotationEditor::SetMode(QuotationEditorMode mode) {
    LeaveSelectedRow();
    mode_ = mode;
    Fill();
}

void QuotationEditor::SetPickedDate(PackedDate date) {
    pickedDate_ = date;
    Fill();
}

void QuotationEditor::Fill() {
    rows_.clear();
    selected_ = -1;
    fields_ = loaded_ = QuotationEditFields{};
    if (mode_ == QuotationEditorMode::CurrentStock) {
        const Stock* stock = ticker_.empty() ? nullptr : db_.FindStock(ticker_);
        if (stock != nullptr) {
            rows_.reserve(stock->Quotations.size());
            // Newest first.
            for (auto it = stock->Quotations.rbegin(); it != stock->Quotations.rend(); ++it) {
                QuotationEditorRow& row = rows_.emplace_back();
                row.Cells[QuotationEditorRow::kTicker] = stock->Ticker.Str();
                row.Cells[QuotationEditorRow::kDate] = DateToText(it->Date);
                FillQuotationCells(row, *it);
            }
        }
    } else {
        rows_.reserve(db_.Stocks().size());
        for (const auto& stock : db_.Stocks()) {
            QuotationEditorRow& row = rows_.emplace_back();
            row.Cells[QuotationEditorRow::kTicker] = stock->Ticker.Str();
            if (pickedDate_ == kNoDate) continue;
            row.Cells[QuotationEditorRow::kDate] = DateToText(pickedDate_);
            if (const Quotation* q = Database::FindQuotation(*stock, pickedDate_)) {
                FillQuotationCells(row, *q);
            }
        }
    }
    if (!rows_.empty()) {
        selected_ = 0;
        fields_ = loaded_ = ReadEditFields(rows_[0]);
    }
}

void QuotationEditor::LeaveSelectedRow() {
    if (selected_ < 0 || selected_ >= static_cast<int>(rows_.size())) return;
    if (fields_ != loaded_ && ApplyEditFields(db_, fields_) && changed_) changed_();
    rows_[selected_] = WriteEditFields(fields_);
}

void QuotationEditor::SelectRow(int row) {
    if (row == selected_) return;
    LeaveSelectedRow();
    if (row < 0 || row >= static_cast<int>(rows_.size())) {
        selected_ = -1;
        return;
    }
    selected_ = row;
    fields_ = loaded_ = ReadEditFields(rows_[row]);
}

}  // namespace velmora
