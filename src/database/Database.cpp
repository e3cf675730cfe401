#include "database/Database.h"

#include <algorithm>

#include "database/DateOrder.h"
#include "database/StockFile.h"

namespace velmora {

namespace {

bool TickerLess(const std::unique_ptr<Stock>& s, std::string_view ticker) {
    return CompareNoCase(s->TickerText(), ticker) < 0;
}

template <typename Record, typename Allocator>
auto DateLowerBound(std::vector<Record, Allocator>& records, PackedDate date) {
    return std::lower_bound(records.begin(), records.end(), date,
                            [](const Record& r, PackedDate d) { return r.Date < d; });
}

// The record of the date, created zero-filled at its place when absent. New data usually
// arrives in date order, so the newest end is tried first.
template <typename Record, typename Allocator>
Record* FindOrInsertByDate(std::vector<Record, Allocator>& records, PackedDate date) {
    if (records.empty() || records.back().Date < date) {
        records.emplace_back().Date = date;
        return &records.back();
    }
    auto it = DateLowerBound(records, date);
    if (it != records.end() && it->Date == date) return &*it;
    it = records.insert(it, Record{});
    it->Date = date;
    return &*it;
}

template <typename Record, typename Allocator>
Record* FindByDate(std::vector<Record, Allocator>& records, PackedDate date) {
    auto it = DateLowerBound(records, date);
    return it != records.end() && it->Date == date ? &*it : nullptr;
}

PackedDate OneWeekBack(PackedDate d) {
    const int y = DateYear(d), m = DateMonth(d), day = DateDay(d);
    if (day >= 8) return MakeDate(y, m, day - 7);
    const int py = m == 1 ? y - 1 : y, pm = m == 1 ? 12 : m - 1;
    return MakeDate(py, pm, DaysInMonth(py, pm) + day - 7);
}

PackedDate MonthsBack(PackedDate d, int months) {
    int y = DateYear(d), m = DateMonth(d) - months;
    while (m < 1) {
        m += 12;
        --y;
    }
    return MakeDate(y, m, std::min(DateDay(d), DaysInMonth(y, m)));
}

int LookBack(const Stock& stock, int index, PackedDate target, int limit) {
    for (int i = index, n = 0; n < limit; --i, ++n) {
        if (i < 0) return -1;
        if (stock.Quotations[i].Date <= target) return i;
    }
    return -1;
}

}  // namespace

Database::Database() : categories_(std::make_unique<CategoryTables>()) {
    categories_->SetDefaultNames();
}

std::size_t Database::LowerBound(std::string_view ticker) const {
    return static_cast<std::size_t>(
        std::lower_bound(stocks_.begin(), stocks_.end(), ticker, TickerLess) - stocks_.begin());
}

void Database::InsertSorted(std::unique_ptr<Stock> stock) {
    // Before every stock whose ticker is not lower: an equal ticker goes in front.
    const std::size_t at = LowerBound(stock->TickerText());
    stocks_.insert(stocks_.begin() + static_cast<std::ptrdiff_t>(at), std::move(stock));
}

std::unique_ptr<Stock> Database::Unlink(const Stock* stock) {
    const int pos = PositionOf(stock);
    if (pos < 0) return nullptr;
    auto owned = std::move(stocks_[pos]);
    stocks_.erase(stocks_.begin() + pos);
    return owned;
}

Stock* Database::FindStock(std::string_view ticker) {
    Stock* const recent = shortcut_.load(std::memory_order_relaxed);
    if (recent != nullptr && EqualNoCase(recent->TickerText(), ticker)) return recent;
    const std::size_t at = LowerBound(ticker);
    if (at < stocks_.size() && EqualNoCase(stocks_[at]->TickerText(), ticker)) {
        shortcut_.store(stocks_[at].get(), std::memory_order_relaxed);
        return stocks_[at].get();
    }
    return nullptr;
}

Stock* Database::FindStockOrAlias(std::string_view name) {
    if (name.empty()) return nullptr;
    if (Stock* s = FindStock(name)) return s;
    if (noAliases_) return nullptr;
    noAliases_ = true;
    for (const auto& s : stocks_) {
        if (s->Alias.Empty()) continue;
        noAliases_ = false;
        if (EqualNoCase(s->Alias.View(), name)) {
            shortcut_.store(s.get(), std::memory_order_relaxed);
            return s.get();
        }
    }
    return nullptr;
}

Stock* Database::AddStock(std::string_view ticker) {
    auto stock = std::make_unique<Stock>();
    stock->Ticker.Set(ticker.substr(0, std::min<std::size_t>(ticker.size(), 15)));
    stock->Serial = ++lastSerial_;
    Stock* raw = stock.get();
    InsertSorted(std::move(stock));
    MarkModified(*raw);
    noAliases_ = false;
    return raw;
}

Stock* Database::AdoptStock(std::unique_ptr<Stock> stock) {
    stock->Serial = ++lastSerial_;
    Stock* raw = stock.get();
    InsertSorted(std::move(stock));
    noAliases_ = false;
    return raw;
}

bool Database::RemoveStock(std::string_view ticker) {
    Stock* s = FindStock(ticker);
    if (s == nullptr) return false;
    shortcut_.store(nullptr, std::memory_order_relaxed);
    Unlink(s);
    workspaceDirty_ = true;
    return true;
}

bool Database::RenameStock(std::string_view oldTicker, std::string_view newTicker) {
    Stock* s = FindStock(oldTicker);
    if (s == nullptr) return false;
    shortcut_.store(nullptr, std::memory_order_relaxed);
    auto owned = Unlink(s);
    owned->Ticker.Set(newTicker.substr(0, std::min<std::size_t>(newTicker.size(), 15)));
    InsertSorted(std::move(owned));
    MarkModified(*s);
    return true;
}

Stock* Database::StockAt(int index) {
    return index >= 0 && index < StockCount() ? stocks_[index].get() : nullptr;
}

const Stock* Database::StockAt(int index) const {
    return index >= 0 && index < StockCount() ? stocks_[index].get() : nullptr;
}

int Database::IndexOfStock(std::string_view ticker) const {
    const std::size_t at = LowerBound(ticker);
    if (at < stocks_.size() && EqualNoCase(stocks_[at]->TickerText(), ticker)) {
        return static_cast<int>(at);
    }
    return 0;
}

int Database::PositionOf(const Stock* stock) const {
    if (stock == nullptr) return -1;
    for (std::size_t i = LowerBound(stock->TickerText()); i < stocks_.size(); ++i) {
        if (stocks_[i].get() == stock) return static_cast<int>(i);
        if (!EqualNoCase(stocks_[i]->TickerText(), stock->TickerText())) break;
    }
    return -1;
}

Stock* Database::StockWithSerial(std::uint64_t serial) {
    for (const auto& stock : stocks_) {
        if (stock->Serial == serial) return stock.get();
    }
    return nullptr;
}

Stock* Database::NextStock(const Stock* stock) {
    const int pos = PositionOf(stock);
    return pos < 0 ? nullptr : StockAt(pos + 1);
}

Stock* Database::PreviousStock(const Stock* stock) {
    const int pos = PositionOf(stock);
    return pos <= 0 ? nullptr : StockAt(pos - 1);
}

Stock* Database::BaseIndexStock(const Stock& stock, std::string_view defaultRSBase) {
    const CategoryTables& c = *categories_;
    const int group = GetGroupID(stock);
    const int industry = stock.IndustryID;
    const int market = GetMarketID(stock);
    auto tryTicker = [this](const auto& field) -> Stock* {
        return field.Empty() ? nullptr : FindStock(field.View());
    };
    Stock* base = nullptr;
    if (group >= 0 && group < kGroupCount) base = tryTicker(c.Groups[group].RSBase);
    if (base == nullptr && industry >= 0 && industry < kIndustryCount) {
        base = tryTicker(c.Industries[industry].RSBase);
    }
    if (base == nullptr && market >= 0 && market < kMarketCount) {
        base = tryTicker(c.Markets[market].RSBase);
    }
    if (base == nullptr) base = FindStock(defaultRSBase);
    return base;
}

int Database::QuotationsFrom(const Stock& stock, PackedDate date) {
    auto it = std::lower_bound(stock.Quotations.begin(), stock.Quotations.end(), date,
                               [](const Quotation& q, PackedDate d) { return q.Date < d; });
    return static_cast<int>(stock.Quotations.end() - it);
}

Quotation* Database::FindQuotation(Stock& stock, PackedDate date) {
    return FindByDate(stock.Quotations, date);
}

const Quotation* Database::FindQuotation(const Stock& stock, PackedDate date) {
    return FindByDate(const_cast<QuotationList&>(stock.Quotations), date);
}

Quotation* Database::AddQuotation(Stock& stock, PackedDate date) {
    if (stock.FirstLoadedDate != 0 && date < stock.FirstLoadedDate &&
        !LoadOlderQuotations(stock).IsOk()) {
        // Adding in front of quotations still on disk would leave the file out of order.
        return nullptr;
    }
    Quotation* q = FindOrInsertByDate(stock.Quotations, date);
    MarkModified(stock);
    return q;
}

Quotation* Database::AddQuotationText(Stock& stock, std::string_view dateText) {
    const PackedDate date = TextToDate(dateText);
    if (date == kNoDate) return nullptr;
    return AddQuotation(stock, date);
}

bool Database::DeleteQuotation(Stock& stock, PackedDate date) {
    auto it = DateLowerBound(stock.Quotations, date);
    if (it == stock.Quotations.end() || it->Date != date) return false;
    stock.Quotations.erase(it);
    MarkModified(stock);
    return true;
}

bool Database::DeleteQuotationText(Stock& stock, std::string_view dateText) {
    return DeleteQuotation(stock, TextToDate(dateText));
}

bool Database::SetQuotation(std::string_view name, std::string_view dateText, double close,
                            std::int32_t volume, std::int32_t openInt, std::uint8_t mark,
                            std::uint8_t reduction, double open, double high, double low) {
    Stock* stock = FindStockOrAlias(name);
    if (stock == nullptr) return false;
    Quotation* q = AddQuotationText(*stock, dateText);
    if (q == nullptr) return false;
    q->Close = static_cast<float>(close);
    q->Volume = volume;
    q->OpenInt = openInt;
    q->Mark = mark;
    q->Reduction = reduction;
    q->Open = static_cast<float>(open);
    q->High = static_cast<float>(high);
    q->Low = static_cast<float>(low);
    MarkModified(*stock);
    return true;
}

int Database::WeekBack(const Stock& stock, int index) {
    if (index < 0 || index >= QuotationCount(stock)) return -1;
    return LookBack(stock, index, OneWeekBack(stock.Quotations[index].Date), 7);
}

int Database::MonthBack(const Stock& stock, int index) {
    if (index < 0 || index >= QuotationCount(stock)) return -1;
    return LookBack(stock, index, MonthsBack(stock.Quotations[index].Date, 1), 31);
}

int Database::QuarterBack(const Stock& stock, int index) {
    if (index < 0 || index >= QuotationCount(stock)) return -1;
    return LookBack(stock, index, MonthsBack(stock.Quotations[index].Date, 3), 100);
}

int Database::YearBack(const Stock& stock, int index) {
    if (index < 0 || index >= QuotationCount(stock)) return -1;
    return LookBack(stock, index, MonthsBack(stock.Quotations[index].Date, 12), 380);
}

ADQuotation* Database::FindADQuotation(Market& market, PackedDate date) {
    return FindByDate(market.ADQuotations, date);
}

ADQuotation* Database::AddADQuotation(Market& market, PackedDate date) {
    ADQuotation* r = FindOrInsertByDate(market.ADQuotations, date);
    workspaceDirty_ = true;
    return r;
}

void Database::ClearADQuotations(Market& market) {
    market.ADQuotations.clear();
    market.ADQuotations.shrink_to_fit();
    workspaceDirty_ = true;
}

Status Database::LoadFullHistory(Stock& stock) {
    if (stock.FirstLoadedDate == 0) return Status::Ok();
    return LoadOlderQuotations(stock);
}

Status Database::LoadOlderQuotations(Stock& stock) {
    QuotationList merged;
    Status read = ReadFullHistory(stock, merged);
    if (!read) {
        // A file that is no stock file holds no older quotations to wait for.
        if (read.Code() == StatusCode::BadMagic) stock.FirstLoadedDate = 0;
        return read;
    }
    stock.Quotations.swap(merged);
    stock.FirstLoadedDate = 0;
    stock.SkippedCount = 0;
    return Status::Ok();
}

Status Database::ReadFullHistory(const Stock& stock, QuotationList& out) const {
    if (stock.FirstLoadedDate == 0) {
        out = stock.Quotations;
        return Status::Ok();
    }
    const auto path = StockFilePath(loadedFromDir_, stock.TickerText());
    const std::string what = "cannot read the older quotations of " + stock.Ticker.Str() + " from";
    QuotationList older;
    const Status read = ReadAllQuotations(path, older);
    switch (read.Code()) {
        case StatusCode::Ok:
            break;
        case StatusCode::BadMagic:
            return Status::FileError(what + " a file that is not a stock file:", path, 0,
                                     StatusCode::BadMagic);
        case StatusCode::NotSupported:
            return Status::FileError(what + " a file of the old format:", path, 0,
                                     StatusCode::NotSupported);
        case StatusCode::Corrupt:
            return Status::FileError(what + " a damaged file:", path, 0, StatusCode::Corrupt);
        default:
            return Status::FileError(what, path, read.ErrorNumber(), read.Code());
    }
    const auto kept = static_cast<std::size_t>(stock.SkippedCount);
    if (kept > 0 && kept <= older.size()) {
        // The quotations left on disk are the file's first SkippedCount ones.
        older.resize(kept);
    } else {
        auto end = std::find_if(older.begin(), older.end(), [&](const Quotation& q) {
            return q.Date >= stock.FirstLoadedDate;
        });
        older.erase(end, older.end());
    }
    // A damaged file may hold them out of order or overlapping the loaded ones: merge by date,
    // the quotation in memory winning over the one on disk, and the later of equal stored ones.
    SortByDateKeepLast(older);
    out.clear();
    out.reserve(older.size() + stock.Quotations.size());
    auto mem = stock.Quotations.begin();
    for (const Quotation& q : older) {
        while (mem != stock.Quotations.end() && mem->Date < q.Date) out.push_back(*mem++);
        if (mem != stock.Quotations.end() && mem->Date == q.Date) continue;
        out.push_back(q);
    }
    out.insert(out.end(), mem, stock.Quotations.end());
    return Status::Ok();
}

void Database::ReleaseAll() {
    stocks_.clear();
    shortcut_.store(nullptr, std::memory_order_relaxed);
    noAliases_ = false;
    for (Market& m : categories_->Markets) {
        m.ADQuotations.clear();
        m.ADQuotations.shrink_to_fit();
    }
}

}  // namespace velmora
