#include "app/StockMaintenance.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "database/TickerFile.h"
#include "database/Workspace.h"
#include "platform/PlainText.h"
#include "platform/Saturate.h"
#include "portfolio/Portfolio.h"
#include "portfolio/PortfolioFile.h"

namespace velmora {

namespace {

// The text as a ticker field keeps it: at most 15 bytes.
std::string CutTicker(std::string_view text) {
    return std::string(text.substr(0, Utf8Cut(text, 15)));
}

}  // namespace

StockInformation StockInformation::Of(const Stock& s) {
    StockInformation info;
    info.Ticker = s.Ticker.Str();
    info.FullName = s.FullName.Str();
    info.Address = s.Address.Str();
    info.Alias = s.Alias.Str();
    info.Country = s.Country.Str();
    info.Currency = s.Currency.Str();
    info.WebID = s.WebID.Str();
    info.Code = s.Code;
    info.Issue = s.Issue;
    info.NominalValue = s.NominalValue;
    info.BookValue = s.BookValue;
    info.Market = GetMarketID(s);
    info.Group = GetGroupID(s);
    info.Industry = s.IndustryID;
    info.Continuous = GetContinuous(s);
    info.Favourite = s.IsFavourite();
    info.Index = s.IsIndex();
    return info;
}

Status StockInformation::CheckTexts() const {
    const std::pair<const char*, const std::string*> texts[] = {
        {"The ticker", &Ticker}, {"The full name", &FullName}, {"The address", &Address},
        {"The alias", &Alias},   {"The country", &Country},    {"The currency", &Currency},
        {"The web ID", &WebID}};
    for (const auto& [what, text] : texts) {
        if (Status plain = CheckPlainText(what, *text); !plain) return plain;
    }
    return Status::Ok();
}

std::string ChartCaption(const Stock& stock) {
    if (stock.FullName.Empty()) return stock.Ticker.Str();
    return stock.Ticker.Str() + " - " + stock.FullName.Str();
}

double FindNextSplit(const Stock& stock, std::string& dateText) {
    const PackedDate after = dateText.empty() ? kNoDate : TextToDate(dateText);
    const auto& quotes = stock.Quotations;
    for (std::size_t i = 1; i < quotes.size(); ++i) {
        if (quotes[i].Date <= after) continue;
        const double p = quotes[i - 1].Close, c = quotes[i].Close;
        // A missing or broken close says nothing about a split.
        if (!(p > 0) || !(c > 0) || !std::isfinite(p) || !std::isfinite(c)) continue;
        if (p / c > 1.2) {
            dateText = DateToText(quotes[i].Date);
            return std::floor(p / c + 0.5);
        }
        if (c / p > 1.2) {
            dateText = DateToText(quotes[i].Date);
            return 1.0 / std::floor(c / p + 0.5);
        }
    }
    return 1.0;
}

std::optional<double> ReadSplitRatio(std::string_view text) {
    const std::string s(text);
    const char* begin = s.c_str();
    char* end = nullptr;
    const double v = std::strtod(begin, &end);
    if (end == begin) return std::nullopt;
    while (*end == ' ' || *end == '\t') ++end;
    if (*end != '\0') return std::nullopt;
    if (!(v >= kMinSplitRatio && v <= kMaxSplitRatio)) return std::nullopt;
    return v;
}

StockMaintenance::StockMaintenance(Database& db, const Preferences& prefs, UserInterface& ui,
                                   ShellWindows& windows)
    : db_(db), prefs_(prefs), ui_(ui), windows_(windows) {}

void StockMaintenance::MakeCurrent(Stock* stock, int flags) {
    current_ = stock;
    if (stock != nullptr) {
        // A stock whose older quotations cannot be read still becomes current, with the
        // reason shown.
        if (prefs_.LoadAllQuotesWhenSelected()) LoadFullHistory(*stock);
        windows_.SetChartCaption(ChartCaption(*stock));
    }
    windows_.RefreshCharts(flags);
    if (flags & kCurrentRebuildTree) {
        windows_.RebuildStockTree((flags & kCurrentTreeFromScratch) != 0);
    }
    if (flags & kCurrentSelect) windows_.SelectStock(stock);
}

bool StockMaintenance::LoadFullHistory(Stock& stock) {
    const Status loaded = db_.LoadFullHistory(stock);
    if (!loaded) ui_.ShowMessage(loaded.ToString());
    return loaded.IsOk();
}

void StockMaintenance::SetPickedDate(PackedDate date) {
    if (date == kNoDate) {
        pickedDate_.reset();
    } else {
        pickedDate_ = DateToText(date);
    }
}

Stock* StockMaintenance::NewStock(std::string_view ticker) {
    if (ticker.empty()) return nullptr;
    if (const Status plain = CheckPlainText("The ticker", ticker); !plain) {
        ui_.ShowMessage(plain.ToString());
        return nullptr;
    }
    if (db_.FindStock(CutTicker(ticker)) != nullptr) {
        ui_.ShowMessage(kStockExists);
        return nullptr;
    }
    if (const Status free = CheckTickerFile(db_, CutTicker(ticker)); !free) {
        ui_.ShowMessage(free.ToString());
        return nullptr;
    }
    Stock* stock = db_.AddStock(ticker);
    MakeCurrent(current_, kCurrentRebuildTree | kCurrentSelect);
    return stock;
}

bool StockMaintenance::DeleteCurrentStock() {
    if (current_ == nullptr) return false;
    if (!ui_.AskYesNo(kConfirmDeleteStock)) return false;
    return DeleteStock(*current_);
}

bool StockMaintenance::DeleteStock(Stock& stock) {
    if (db_.PositionOf(&stock) < 0) return false;
    const bool wasCurrent = &stock == current_;
    Stock* next = db_.NextStock(&stock);
    const std::string ticker = stock.Ticker.Str();
    // The file goes aside first: a stock whose file stayed would come back at the next load.
    if (!SetStockFileAside(ticker)) return false;
    if (!db_.RemoveStock(ticker)) return false;
    if (wasCurrent) {
        if (next == nullptr) next = db_.LastStock();
        MakeCurrent(next, 31);
    } else {
        // The list changed under the tree; the current stock stays.
        MakeCurrent(current_, 31);
    }
    return true;
}

bool StockMaintenance::DeleteQuotation() {
    if (!pickedDate_ || current_ == nullptr) return false;
    const bool deleted = db_.DeleteQuotationText(*current_, *pickedDate_);
    if (deleted) windows_.RefreshCharts(0);
    return deleted;
}

int StockMaintenance::DeleteSession() {
    if (!pickedDate_) return 0;
    // Every stock loses a quotation at once: asked first, as the other deletions are.
    if (!ui_.AskYesNo("Delete the session of " + *pickedDate_ + " from every stock?")) return 0;
    return DeleteSession(*pickedDate_);
}

int StockMaintenance::DeleteSession(std::string_view dateText) {
    const PackedDate date = TextToDate(dateText);
    if (date == kNoDate) return 0;
    // A session older than what is in memory is still in the stock's file; every such stock
    // comes in first, so that the session goes from all stocks or from none.
    for (const auto& stock : db_.Stocks()) {
        if (stock->FirstLoadedDate != 0 && date < stock->FirstLoadedDate &&
            !LoadFullHistory(*stock)) {
            return -1;
        }
    }
    int deleted = 0;
    for (const auto& stock : db_.Stocks()) {
        if (db_.DeleteQuotation(*stock, date)) ++deleted;
    }
    windows_.RefreshCharts(0);
    return deleted;
}

bool StockMaintenance::ApplyStockInformation(Stock& stock, const StockInformation& info) {
    const std::string oldTicker = stock.Ticker.Str();
    const std::string newTicker = CutTicker(info.Ticker);
    if (newTicker.empty()) {
        ui_.ShowMessage(kEmptyTicker);
        return false;
    }
    if (const Status plain = info.CheckTexts(); !plain) {
        ui_.ShowMessage(plain.ToString());
        return false;
    }
    if (!EqualNoCase(newTicker, oldTicker) && db_.FindStock(newTicker) != nullptr) {
        ui_.ShowMessage(kTickerTaken);
        return false;
    }
    const bool tickerChanged = newTicker != oldTicker;
    if (tickerChanged) {
        if (const Status free = CheckTickerFile(db_, newTicker, &stock); !free) {
            ui_.ShowMessage(free.ToString());
            return false;
        }
    }
    // A save takes the quotations still on disk from the file named after the ticker, so they
    // come into memory before a rename; a stock whose file cannot give them is left unchanged.
    if (tickerChanged && !LoadFullHistory(stock)) return false;
    // The old file goes aside before anything changes: one left in place would load as a
    // second stock.
    if (tickerChanged && !SetStockFileAside(oldTicker)) return false;
    const std::int32_t oldCategoryWord = stock.CategoryWord;
    const std::int32_t oldFlags = stock.Flags;
    const StockInformation before = StockInformation::Of(stock);

    stock.FullName.Set(info.FullName);
    stock.Address.Set(info.Address);
    stock.Alias.Set(info.Alias);
    stock.Country.Set(info.Country);
    stock.Currency.Set(info.Currency);
    stock.WebID.Set(info.WebID);
    stock.Code = info.Code;
    stock.Issue = info.Issue;
    stock.NominalValue = info.NominalValue;
    stock.BookValue = info.BookValue;
    SetMarketID(stock, info.Market);
    SetGroupID(stock, info.Group);
    stock.IndustryID = info.Industry;
    SetContinuous(stock, info.Continuous);
    stock.Flags = (stock.Flags & ~(Stock::kIndexFlag | Stock::kFavouriteFlag)) |
                  (info.Index ? Stock::kIndexFlag : 0) |
                  (info.Favourite ? Stock::kFavouriteFlag : 0);
    if (StockInformation::Of(stock).Alias != before.Alias) db_.AliasChanged();

    if (tickerChanged) {
        RenamePortfolioPositions(oldTicker, newTicker);
        db_.RenameStock(oldTicker, newTicker);
        db_.AliasChanged();
    }
    StockInformation after = StockInformation::Of(stock);
    after.Ticker = before.Ticker;  // compared above
    const bool fieldsChanged =
        after.FullName != before.FullName || after.Address != before.Address ||
        after.Alias != before.Alias || after.Country != before.Country ||
        after.Currency != before.Currency || after.WebID != before.WebID ||
        after.Code != before.Code || after.Issue != before.Issue ||
        after.NominalValue != before.NominalValue || after.BookValue != before.BookValue ||
        after.Industry != before.Industry || stock.CategoryWord != oldCategoryWord ||
        stock.Flags != oldFlags;
    if (tickerChanged || fieldsChanged) db_.MarkModified(stock);
    if (tickerChanged || stock.CategoryWord != oldCategoryWord || stock.Flags != oldFlags) {
        MakeCurrent(current_, 21);
    }
    return true;
}

void StockMaintenance::RenamePortfolioPositions(std::string_view oldTicker,
                                                std::string_view newTicker) {
    if (!writesPortfolioFile_) return;
    const auto file = PortfolioPath(db_.WorkspaceDir());
    Portfolio portfolio;
    // A file that cannot be read is left as it is.
    const Status read = ReadPortfolioFile(file, portfolio);
    if (PortfolioDamaged(read))
        ui_.ShowMessage(read.ToString() + "; its positions keep the old ticker");
    if (!read) return;
    const auto before = portfolio.Positions;
    portfolio.RenameTicker(oldTicker, newTicker);
    if (portfolio.Positions != before && !SavePortfolio(file, portfolio, read, false, *fs_)) {
        ui_.ShowMessage(kPortfolioNotSaved);
    }
}

bool StockMaintenance::SetStockFileAside(std::string_view ticker) {
    Workspace ws(db_, prefs_, ui_);
    ws.SetFileSystem(*fs_);
    const Status aside = ws.MarkStockFileDeleted(ticker);
    if (!aside) ui_.ShowMessage(aside.ToString());
    return aside.IsOk();
}

int StockMaintenance::Split(std::string_view ticker, std::string_view dateText, double ratio,
                            Portfolio* portfolio) {
    Stock* stock = db_.FindStock(ticker);
    if (stock == nullptr) return 0;
    const PackedDate date = TextToDate(dateText);
    if (date == kNoDate || !(ratio >= kMinSplitRatio && ratio <= kMaxSplitRatio)) return 0;
    // Every older quotation is rescaled, so those still on disk come in first.
    if (!LoadFullHistory(*stock)) return 0;

    for (Quotation& q : stock->Quotations) {
        if (q.Date >= date) break;
        q.Close = static_cast<float>(q.Close / ratio);
        q.Open = static_cast<float>(q.Open / ratio);
        q.High = static_cast<float>(q.High / ratio);
        q.Low = static_cast<float>(q.Low / ratio);
        q.Volume = SaturateToInt32(ratio * q.Volume);
    }
    stock->NominalValue = SaturateToInt32(stock->NominalValue / ratio);
    stock->Issue = SaturateToInt32(stock->Issue * ratio);

    int result = 1;
    if (portfolio != nullptr) {
        const auto before = portfolio->Positions;
        portfolio->ApplySplit(stock->Ticker.View(), date, ratio);
        if (portfolio->Positions != before) result = 2;
    }

    // Drawings on the price chart follow the prices; other panes keep theirs.
    for (Study& study : stock->Studies) {
        if (study.PaneId != 1) continue;
        if (study.StartDate < date) study.StartValue = static_cast<float>(study.StartValue / ratio);
        if (study.EndDate < date) study.EndValue = static_cast<float>(study.EndValue / ratio);
    }
    db_.MarkModified(*stock);
    windows_.RefreshCharts(0);
    return result;
}

std::optional<SplitDialog> StockMaintenance::OpenSplitDialog(PackedDate initialDate) {
    if (current_ == nullptr) return std::nullopt;
    if (!LoadFullHistory(*current_)) return std::nullopt;
    return SplitDialog(db_, current_->Ticker.Str(), initialDate);
}

SplitDialog::SplitDialog(Database& db, std::string ticker, PackedDate initialDate)
    : db_(db), ticker_(std::move(ticker)), date_(initialDate), ratioText_("1") {
    // The whole history is searched; without a split the date stays and the ratio is 1.
    Search(std::string());
}

bool SplitDialog::FindNext() {
    return Search(DateToText(date_));
}

bool SplitDialog::Search(std::string after) {
    const Stock* stock = db_.FindStock(ticker_);
    if (stock == nullptr) return false;
    // A split found moves the date text on (to a later date); none leaves it as it was.
    const std::string from = after;
    const double ratio = FindNextSplit(*stock, after);
    const PackedDate found = TextToDate(after);
    if (after == from || found == kNoDate) return false;
    foundDate_ = after;
    date_ = found;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%g", ratio);
    ratioText_ = buf;
    return true;
}

int SplitDialog::Ok(StockMaintenance& maintenance, UserInterface& ui, Portfolio* portfolio) {
    const auto ratio = ReadSplitRatio(ratioText_);
    if (!ratio) {
        ui.ShowMessage(kBadSplitRatio);
        return 0;
    }
    return maintenance.Split(ticker_, DateToText(date_), *ratio, portfolio);
}

}  // namespace velmora
