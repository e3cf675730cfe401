#include "automation/AStocks.h"

#include <cmath>

#include "automation/AQuotations.h"
#include "database/FixedText.h"
#include "database/TickerFile.h"
#include "database/Workspace.h"
#include "platform/Saturate.h"

namespace velmora {

using automation::PlainOrShown;
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
    if (!PlainOrShown(context_, "The ticker", kept)) return nullptr;
    Stock* stock = context_.db.FindStock(kept);
    if (stock == nullptr) {
        if (const Status free = CheckTickerFile(context_.db, kept); !free) {
            context_.ui.ShowMessage(free.ToString());
            return nullptr;
        }
        stock = context_.db.AddStock(kept);
    }
    return automation::Make<AStock>(context_, stock);
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
    const std::string ticker = stock->Ticker.Str();
    // A stock whose file cannot be set aside stays: the file would bring it back.
    const Status aside =
        Workspace(context_.db, context_.prefs, context_.ui).MarkStockFileDeleted(ticker);
    if (!aside) {
        context_.ui.ShowMessage(aside.ToString());
        return false;
    }
    context_.documents.StockRemoving(*stock);
    if (!context_.db.RemoveStock(ticker)) return false;
    context_.setAsideTickers.push_back(ticker);
    return true;
}

QObject* AStocks::Item(const QJSValue& key) const {
    Stock* stock = Find(key);
    return stock != nullptr ? automation::Make<AStock>(context_, stock) : nullptr;
}

QVariantList AStocks::NewEnum() const {
    QVariantList all;
    for (const auto& s : context_.db.Stocks()) {
        all.append(QVariant::fromValue<QObject*>(automation::Make<AStock>(context_, s.get())));
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

template <typename F>
void AStock::ChangeLong(const QJSValue& value, const char* member, F&& change) {
    const auto n = automation::ToLong(this, value, member);
    if (n) Change([&](Stock& s) { change(s, *n); });
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
    if (!PlainOrShown(context_, "The ticker", kept)) return;
    // Two stocks with one ticker would share one file; a change of case only is a rename.
    const Stock* holder = context_.db.FindStock(kept);
    if (holder != nullptr && holder != s) {
        context_.ui.ShowMessage(kRenameTickerTaken);
        return;
    }
    if (const Status free = CheckTickerFile(context_.db, kept, s); !free) {
        context_.ui.ShowMessage(free.ToString());
        return;
    }
    // The file is set aside below, so everything it holds must be in memory first.
    if (const Status loaded = context_.db.LoadFullHistory(*s); !loaded) {
        context_.ui.ShowMessage(loaded.ToString());
        return;
    }
    const std::string old = s->Ticker.Str();
    const Status aside =
        Workspace(context_.db, context_.prefs, context_.ui).MarkStockFileDeleted(old);
    if (!aside) {
        context_.ui.ShowMessage(aside.ToString());
        return;
    }
    context_.setAsideTickers.push_back(old);
    context_.db.RenameStock(old, kept);
}

QObject* AStock::Quotations() const {
    Stock* s = Get();
    return s != nullptr ? automation::Make<AQuotations>(context_, s) : nullptr;
}

#define VELMORA_TEXT_PROPERTY(Name, Field, What)                      \
    QString AStock::Name() const {                                    \
        const Stock* s = Get();                                       \
        return s != nullptr ? ToQString(s->Field.View()) : QString(); \
    }                                                                 \
    void AStock::Set##Name(const QString& text) {                     \
        const std::string value = ToStdString(text);                  \
        if (!PlainOrShown(context_, What, value)) return;             \
        Change([&](Stock& s) { s.Field.Set(value); });                \
    }

#define VELMORA_INT_PROPERTY(Name, Field)                                                  \
    QJSValue AStock::Name() const {                                                        \
        const Stock* s = Get();                                                            \
        return QJSValue(s != nullptr ? s->Field : 0);                                      \
    }                                                                                      \
    void AStock::Set##Name(const QJSValue& value) {                                        \
        ChangeLong(value, "AStock." #Name, [](Stock& s, std::int32_t n) { s.Field = n; }); \
    }

VELMORA_TEXT_PROPERTY(FullName, FullName, "The full name")
VELMORA_TEXT_PROPERTY(Address, Address, "The address")
VELMORA_TEXT_PROPERTY(WebID, WebID, "The web ID")
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

QJSValue AStock::MarketID() const {
    const Stock* s = Get();
    return QJSValue(s != nullptr ? GetMarketID(*s) : 0);
}

void AStock::SetMarketID(const QJSValue& id) {
    ChangeLong(id, "AStock.MarketID", [](Stock& s, std::int32_t n) { velmora::SetMarketID(s, n); });
}

QJSValue AStock::GroupID() const {
    const Stock* s = Get();
    return QJSValue(s != nullptr ? GetGroupID(*s) : 0);
}

void AStock::SetGroupID(const QJSValue& id) {
    ChangeLong(id, "AStock.GroupID", [](Stock& s, std::int32_t n) { velmora::SetGroupID(s, n); });
}

QJSValue AStock::NominalValue() const {
    const Stock* s = Get();
    return QJSValue(
        s != nullptr ? automation::FloatToScript(static_cast<float>(s->NominalValue * 0.01)) : 0.0);
}

void AStock::SetNominalValue(const QJSValue& value) {
    constexpr char kMember[] = "AStock.NominalValue";
    const auto stored = automation::ToFloat(this, value, kMember);
    if (!stored) return;
    // Single-precision product, as the value is a float: 0.29 gives 29 hundredths.
    const double hundredths = std::trunc(static_cast<double>(*stored * 100.0f));
    if (!(hundredths >= kInt32Min && hundredths <= kInt32Max)) {
        automation::ThrowRangeError(this,
                                    QStringLiteral("%1: %2 is outside -21474836.48..21474836.47")
                                        .arg(QLatin1String(kMember), value.toString()));
        return;
    }
    Change([&](Stock& s) { s.NominalValue = static_cast<std::int32_t>(hundredths); });
}

QString AStock::Alias() const {
    const Stock* s = Get();
    return s != nullptr ? ToQString(s->Alias.View()) : QString();
}

void AStock::SetAlias(const QString& text) {
    const std::string value = ToStdString(text);
    if (!PlainOrShown(context_, "The alias", value)) return;
    Change([&](Stock& s) { s.Alias.Set(value); });
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

std::optional<std::size_t> AStock::Quarter(const QJSValue& quarter, const char* member) const {
    const auto q = automation::ToShort(this, quarter, (std::string(member) + " quarter").c_str());
    if (!q) return std::nullopt;
    if (*q < 0 || *q > 3) {
        context_.ui.ShowMessage(kQuarterRange);
        return std::nullopt;
    }
    return static_cast<std::size_t>(*q);
}

int AStock::ReadFinance(std::array<std::int32_t, 4> Stock::*field, const QJSValue& quarter,
                        const char* member) const {
    const auto q = Quarter(quarter, member);
    const Stock* s = Get();
    return q && s != nullptr ? (s->*field)[*q] : 0;
}

void AStock::WriteFinance(std::array<std::int32_t, 4> Stock::*field, const QJSValue& quarter,
                          const QJSValue& value, const char* member) {
    const auto q = Quarter(quarter, member);
    if (!q) return;
    ChangeLong(value, member, [&](Stock& s, std::int32_t n) { (s.*field)[*q] = n; });
}

int AStock::FinanceYear(const QJSValue& quarter) const {
    return ReadFinance(&Stock::FinanceYear, quarter, "AStock.FinanceYear");
}
void AStock::SetFinanceYear(const QJSValue& quarter, const QJSValue& value) {
    WriteFinance(&Stock::FinanceYear, quarter, value, "AStock.SetFinanceYear");
}
int AStock::FinanceIncome(const QJSValue& quarter) const {
    return ReadFinance(&Stock::FinanceIncome, quarter, "AStock.FinanceIncome");
}
void AStock::SetFinanceIncome(const QJSValue& quarter, const QJSValue& value) {
    WriteFinance(&Stock::FinanceIncome, quarter, value, "AStock.SetFinanceIncome");
}
int AStock::FinanceEBT(const QJSValue& quarter) const {
    return ReadFinance(&Stock::FinanceEBT, quarter, "AStock.FinanceEBT");
}
void AStock::SetFinanceEBT(const QJSValue& quarter, const QJSValue& value) {
    WriteFinance(&Stock::FinanceEBT, quarter, value, "AStock.SetFinanceEBT");
}
int AStock::FinanceEAT(const QJSValue& quarter) const {
    return ReadFinance(&Stock::FinanceEAT, quarter, "AStock.FinanceEAT");
}
void AStock::SetFinanceEAT(const QJSValue& quarter, const QJSValue& value) {
    WriteFinance(&Stock::FinanceEAT, quarter, value, "AStock.SetFinanceEAT");
}

}  // namespace velmora
