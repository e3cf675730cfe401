#include "automation/AMarkets.h"

#include <algorithm>

namespace velmora {

using automation::ToPackedDate;
using automation::ToPosition;
using automation::ToQString;
using automation::ToStdString;

namespace {

Market& MarketOf(AutomationContext& context, int market) {
    return context.db.Categories().Markets[static_cast<std::size_t>(market)];
}

}  // namespace

// --- AMarkets --------------------------------------------------------------------------------

AMarkets::AMarkets(AutomationContext& context, QObject* parent)
    : QObject(parent), context_(context) {}

QObject* AMarkets::Item(const QJSValue& index) const {
    const auto position = ToPosition(index);
    if (!position || *position < 0 || *position >= kMarketCount) return nullptr;
    return automation::Make<AMarket>(context_, static_cast<int>(*position));
}

QVariantList AMarkets::NewEnum() const {
    QVariantList all;
    for (int i = 0; i < kMarketCount; ++i) {
        all.append(QVariant::fromValue<QObject*>(automation::Make<AMarket>(context_, i)));
    }
    return all;
}

// --- AMarket ---------------------------------------------------------------------------------

AMarket::AMarket(AutomationContext& context, int market, QObject* parent)
    : QObject(parent), context_(context), market_(market) {}

QString AMarket::Name() const {
    return ToQString(MarketOf(context_, market_).Name.View());
}

void AMarket::SetName(const QString& name) {
    const std::string text = ToStdString(name);
    if (!automation::PlainOrShown(context_, "The market's name", text)) return;
    MarketOf(context_, market_).Name.Set(text);
    context_.db.SetWorkspaceDirty(true);
}

QObject* AMarket::ADQuotations() const {
    return automation::Make<AADQuotations>(context_, market_);
}

// --- AADQuotations ---------------------------------------------------------------------------

AADQuotations::AADQuotations(AutomationContext& context, int market, QObject* parent)
    : QObject(parent), context_(context), market_(market) {}

int AADQuotations::Count() const {
    return static_cast<int>(MarketOf(context_, market_).ADQuotations.size());
}

QObject* AADQuotations::Add(const QJSValue& date) {
    const auto day = ToPackedDate(date, false);
    if (!day) return nullptr;
    context_.db.AddADQuotation(MarketOf(context_, market_), *day);
    return automation::Make<AADQuotation>(context_, market_, *day);
}

const ADQuotation* AADQuotations::Find(const QJSValue& key) const {
    Market& market = MarketOf(context_, market_);
    if (key.isString() || key.isDate()) {
        const auto day = ToPackedDate(key, false);
        return day ? Database::FindADQuotation(market, *day) : nullptr;
    }
    const auto position = ToPosition(key);
    const auto& records = market.ADQuotations;
    if (!position || records.empty() || *position >= static_cast<long long>(records.size())) {
        return nullptr;
    }
    return &records[static_cast<std::size_t>(*position < 0 ? 0 : *position)];
}

bool AADQuotations::Remove(const QJSValue& key) {
    const ADQuotation* r = Find(key);
    if (r == nullptr) return false;
    auto& records = MarketOf(context_, market_).ADQuotations;
    const PackedDate day = r->Date;
    records.erase(records.begin() + (r - records.data()));
    context_.CountRemoval(AutomationContext::MarketOwner(market_), day);
    context_.db.SetWorkspaceDirty(true);
    return true;
}

QObject* AADQuotations::Item(const QJSValue& key) const {
    const ADQuotation* r = Find(key);
    return r != nullptr ? automation::Make<AADQuotation>(context_, market_, r->Date) : nullptr;
}

QVariantList AADQuotations::NewEnum() const {
    QVariantList all;
    for (const ADQuotation& r : MarketOf(context_, market_).ADQuotations) {
        all.append(QVariant::fromValue<QObject*>(
            automation::Make<AADQuotation>(context_, market_, r.Date)));
    }
    return all;
}

// --- AADQuotation ----------------------------------------------------------------------------

AADQuotation::AADQuotation(AutomationContext& context, int market, PackedDate date, QObject* parent)
    : QObject(parent),
      context_(context),
      market_(market),
      date_(date),
      removals_(context.Removals(AutomationContext::MarketOwner(market), date)) {}

ADQuotation* AADQuotation::Record() const {
    if (context_.Removals(AutomationContext::MarketOwner(market_), date_) != removals_) {
        return nullptr;
    }
    return Database::FindADQuotation(MarketOf(context_, market_), date_);
}

template <typename F>
void AADQuotation::Change(F&& change) {
    ADQuotation* r = Record();
    if (r == nullptr) return;
    change(*r);
    context_.db.SetWorkspaceDirty(true);
}

QDateTime AADQuotation::Date() const {
    return automation::ToDateTime(date_);
}

#define VELMORA_AD_ISSUES(Name)                                                \
    QJSValue AADQuotation::Name() const {                                      \
        const ADQuotation* r = Record();                                       \
        return QJSValue(r != nullptr ? r->Name : 0);                           \
    }                                                                          \
    void AADQuotation::Set##Name(const QJSValue& value) {                      \
        const auto n = automation::ToLong(this, value, "AADQuotation." #Name); \
        if (n) Change([&](ADQuotation& r) { r.Name = *n; });                   \
    }

#define VELMORA_AD_VOLUME(Name)                                                      \
    QJSValue AADQuotation::Name() const {                                            \
        const ADQuotation* r = Record();                                             \
        return QJSValue(r != nullptr ? automation::FloatToScript(r->Name) : 0.0);    \
    }                                                                                \
    void AADQuotation::Set##Name(const QJSValue& value) {                            \
        const auto stored = automation::ToFloat(this, value, "AADQuotation." #Name); \
        if (stored) Change([&](ADQuotation& r) { r.Name = *stored; });               \
    }

VELMORA_AD_ISSUES(AdvIssues)
VELMORA_AD_VOLUME(AdvVolume)
VELMORA_AD_ISSUES(DecIssues)
VELMORA_AD_VOLUME(DecVolume)
VELMORA_AD_ISSUES(UncIssues)
VELMORA_AD_VOLUME(UncVolume)

#undef VELMORA_AD_ISSUES
#undef VELMORA_AD_VOLUME

}  // namespace velmora
