#include "automation/AStocks.h"

#include <cmath>

#include "automation/AQuotations.h"
#include "database/FixedText.h"
#include "database/Workspace.h"
#include "platform/Saturate.h"

namespace velmora {

using automation::Owned;
using automation::ToPosition;
using automation::ToQString;
using automation::ToStdString;

// --- AStocks ---------------------------------------------------------------------------------

AStocks::AStocks(AutomationContext& context, QObject* parent)
    : QObject(parent), context_(context) {}

int AStocks::Count() const {
    return context_.db.StockCount();
}

QObject* AStocks::Add(const QString& ticker) {
    const std::string text = ToStdString(ticker);
    // The ticker as the stock will hold it: an over-long ticker finds the stock it would
    // otherwise duplicate.
    const std::string kept = text.substr(0, Utf8Cut(text, 15));
    if (kept.empty()) return nullptr;
    Stock* stock = context_.db.FindStock(kept);
    if (stock == nullptr) stock = context_.db.AddStock(kept);
    return Owned(new AStock(context_, stock));
}

Stock* AStocks::Find(const QJSValue& key) const {
    if (key.isString()) return context_.db.FindStock(ToStdString(key.toString()));
    const auto position = ToPosition(key);
    if (!position || *position < 0 || *position >= context_.db.StockCount()) return nullptr;
    return context_.db.StockAt(static_cast<int>(*position));
}

bool AStocks::Remove(const QJSValue& key) {
    Stock* stock = Find(key);
    if (stock == nullptr) return false;
    context_.documents.StockRemoving(*stock);
    const std::string ticker = stock->Ticker.Str();
    if (!context_.db.RemoveStock(ticker)) return false;
    Workspace(context_.db, context_.prefs, context_.ui).MarkStockFileDeleted(ticker);
    context_.setAsideTickers.push_back(ticker);
    return true;
}

QObject* AStocks::Item(const QJSValue& key) const {
    Stock* stock = Find(key);
    return stock != nullptr ? Owned(new AStock(context_, stock)) : nullptr;
}

QVariantList AStocks::NewEnum() const {
    QVariantList all;
    for (const auto& s : context_.db.Stocks()) {
        all.append(QVariant::fromValue<QObject*>(Owned(new AStock(context_, s.get()))));
    }
    return all;
}

// --- AStock ----------------------------------------------------------------------------------

AStock::AStock(AutomationContext& context, Stock* stock, QObject* parent)
    : QObject(parent), context_(context), ref_(context.db, stock) {}

template <typename F>
void AStock::Change(F&& change) {
    Stock* s = Get();
    if (s == nullptr) return;
    change(*s);
    context_.db.MarkModified(*s);
}

QString AStock::Ticker() const {
    const Stock* s = Get();
    return s != nullptr ? ToQString(s->TickerText()) : QString();
}

void AStock::SetTicker(const QString& ticker) {
    Stock* s = Get();
    if (s == nullptr) return;
    const std::string text = ToStdString(ticker);
    const std::string kept = text.substr(0, Utf8Cut(text, 15));
    if (kept.empty()) {
        context_.ui.ShowMessage(kRenameTickerEmpty);
        return;
    }
    // Two stocks with one ticker would share one file; a change of case only is a rename.
    const Stock* holder = context_.db.FindStock(kept);
    if (holder != nullptr && holder != s) {
        context_.ui.ShowMessage(kRenameTickerTaken);
        return;
    }
    // The file is set aside below, so everything it holds must be in memory first.
    if (const Status loaded = context_.db.LoadFullHistory(*s); !loaded) {
        context_.ui.ShowMessage(loaded.ToString());
        return;
    }
    const std::string old = s->Ticker.Str();
    Workspace(context_.db, context_.prefs, context_.ui).MarkStockFileDeleted(old);
    context_.setAsideTickers.push_back(old);
    context_.db.RenameStock(old, kept);
}

QObject* AStock::Quotations() const {
    Stock* s = Get();
    return s != nullptr ? Owned(new AQuotations(context_, s)) : nullptr;
}

#define VELMORA_TEXT_PROPERTY(Name, Field)                            \
    QString AStock::Name() const {                                    \
        const Stock* s = Get();                                       \
        return s != nullptr ? ToQString(s->Field.View()) : QString(); \
    }                                                                 \
    void AStock::Set##Name(const QString& text) {                     \
        Change([&](Stock& s) { s.Field.Set(ToStdString(text)); });    \
    }

#define VELMORA_INT_PROPERTY(Name, Field)           \
    int AStock::Name() const {                      \
        const Stock* s = Get();                     \
        return s != nullptr ? s->Field : 0;         \
    }                                               \
    void AStock::Set##Name(int value) {             \
        Change([&](Stock& s) { s.Field = value; }); \
    }

VELMORA_TEXT_PROPERTY(FullName, FullName)
VELMORA_TEXT_PROPERTY(Address, Address)
VELMORA_TEXT_PROPERTY(WebID, WebID)
VELMORA_INT_PROPERTY(Code, Code)
VELMORA_INT_PROPERTY(Issue, Issue)
VELMORA_INT_PROPERTY(BookValue, BookValue)
VELMORA_INT_PROPERTY(IndustryID, IndustryID)

#undef VELMORA_TEXT_PROPERTY
#undef VELMORA_INT_PROPERTY

bool AStock::Index() const {
    const Stock* s = Get();
    return s != nullptr && s->IsIndex();
}

void AStock::SetIndex(bool on) {
    Change([&](Stock& s) {
        s.Flags = on ? (s.Flags | Stock::kIndexFlag) : (s.Flags & ~Stock::kIndexFlag);
    });
}

bool AStock::Favourite() const {
    const Stock* s = Get();
    return s != nullptr && s->IsFavourite();
}

void AStock::SetFavourite(bool on) {
    Change([&](Stock& s) {
        s.Flags = on ? (s.Flags | Stock::kFavouriteFlag) : (s.Flags & ~Stock::kFavouriteFlag);
    });
}

bool AStock::Continuous() const {
    const Stock* s = Get();
    return s != nullptr && GetContinuous(*s);
}

void AStock::SetContinuous(bool on) {
    Change([&](Stock& s) { velmora::SetContinuous(s, on); });
}

int AStock::MarketID() const {
    const Stock* s = Get();
    return s != nullptr ? GetMarketID(*s) : 0;
}

void AStock::SetMarketID(int id) {
    Change([&](Stock& s) { velmora::SetMarketID(s, id); });
}

int AStock::GroupID() const {
    const Stock* s = Get();
    return s != nullptr ? GetGroupID(*s) : 0;
}

void AStock::SetGroupID(int id) {
    Change([&](Stock& s) { velmora::SetGroupID(s, id); });
}

double AStock::NominalValue() const {
    const Stock* s = Get();
    return s != nullptr ? automation::FloatToScript(static_cast<float>(s->NominalValue * 0.01))
                        : 0.0;
}

void AStock::SetNominalValue(double value) {
    // Single-precision product, as the value is a float: 0.29 gives 29 hundredths.
    const auto stored = automation::ToStoredFloat(value);
    if (!stored) return;
    const float hundredths = *stored * 100.0f;
    Change([&](Stock& s) { s.NominalValue = SaturateToInt32(hundredths); });
}

QString AStock::Alias() const {
    const Stock* s = Get();
    return s != nullptr ? ToQString(s->Alias.View()) : QString();
}

void AStock::SetAlias(const QString& text) {
    Change([&](Stock& s) { s.Alias.Set(ToStdString(text)); });
    context_.db.AliasChanged();
}

bool AStock::IsDirty() const {
    const Stock* s = Get();
    return s != nullptr && s->Modified;
}

void AStock::SetIsDirty(bool on) {
    Stock* s = Get();
    if (s == nullptr) return;
    if (on) {
        context_.db.MarkModified(*s);
    } else {
        s->Modified = false;
    }
}

int AStock::ReadFinance(std::array<std::int32_t, 4> Stock::*field, int quarter) const {
    if (quarter < 0 || quarter > 3) {
        context_.ui.ShowMessage(kQuarterRange);
        return 0;
    }
    const Stock* s = Get();
    return s != nullptr ? (s->*field)[static_cast<std::size_t>(quarter)] : 0;
}

void AStock::WriteFinance(std::array<std::int32_t, 4> Stock::*field, int quarter, int value) {
    if (quarter < 0 || quarter > 3) {
        context_.ui.ShowMessage(kQuarterRange);
        return;
    }
    Change([&](Stock& s) { (s.*field)[static_cast<std::size_t>(quarter)] = value; });
}

int AStock::FinanceYear(int quarter) const {
    return ReadFinance(&Stock::FinanceYear, quarter);
}
void AStock::SetFinanceYear(int quarter, int value) {
    WriteFinance(&Stock::FinanceYear, quarter, value);
}
int AStock::FinanceIncome(int quarter) const {
    return ReadFinance(&Stock::FinanceIncome, quarter);
}
void AStock::SetFinanceIncome(int quarter, int value) {
    WriteFinance(&Stock::FinanceIncome, quarter, value);
}
int AStock::FinanceEBT(int quarter) const {
    return ReadFinance(&Stock::FinanceEBT, quarter);
}
void AStock::SetFinanceEBT(int quarter, int value) {
    WriteFinance(&Stock::FinanceEBT, quarter, value);
}
int AStock::FinanceEAT(int quarter) const {
    return ReadFinance(&Stock::FinanceEAT, quarter);
}
void AStock::SetFinanceEAT(int quarter, int value) {
    WriteFinance(&Stock::FinanceEAT, quarter, value);
}

}  // namespace velmora
