#include "automation/AQuotations.h"

namespace velmora {

using automation::ToPackedDate;
using automation::ToPosition;
using automation::ToStdString;

// --- AQuotations -----------------------------------------------------------------------------

AQuotations::AQuotations(AutomationContext& context, Stock* stock, QObject* parent)
    : QObject(parent), context_(context), ref_(context.db, stock) {}

int AQuotations::Count() const {
    const Stock* s = ref_.Get();
    return s != nullptr ? Database::QuotationCount(*s) : 0;
}

QObject* AQuotations::Add(const QJSValue& date) {
    Stock* s = ref_.Get();
    if (s == nullptr) return nullptr;
    const auto day = ToPackedDate(date, true);
    if (!day) return nullptr;
    if (context_.db.AddQuotation(*s, *day) == nullptr) return nullptr;
    return automation::Make<AQuotation>(context_, s, *day);
}

const Quotation* AQuotations::Find(Stock& stock, const QJSValue& key) const {
    if (key.isString()) {
        const PackedDate day = TextToDate(ToStdString(key.toString()));
        return day != kNoDate ? Database::FindQuotation(stock, day) : nullptr;
    }
    const auto position = ToPosition(key);
    const auto& quotes = stock.Quotations;
    if (!position || quotes.empty() || *position >= static_cast<long long>(quotes.size())) {
        return nullptr;
    }
    return &quotes[static_cast<std::size_t>(*position < 0 ? 0 : *position)];
}

bool AQuotations::Remove(const QJSValue& key) {
    Stock* s = ref_.Get();
    if (s == nullptr) return false;
    const Quotation* q = Find(*s, key);
    if (q == nullptr) return false;
    const PackedDate day = q->Date;
    if (!context_.db.DeleteQuotation(*s, day)) return false;
    context_.CountRemoval(s->Serial, day);
    return true;
}

QObject* AQuotations::Item(const QJSValue& key) const {
    Stock* s = ref_.Get();
    if (s == nullptr) return nullptr;
    const Quotation* q = Find(*s, key);
    return q != nullptr ? automation::Make<AQuotation>(context_, s, q->Date) : nullptr;
}

QVariantList AQuotations::NewEnum() const {
    QVariantList all;
    Stock* s = ref_.Get();
    if (s == nullptr) return all;
    for (const Quotation& q : s->Quotations) {
        all.append(
            QVariant::fromValue<QObject*>(automation::Make<AQuotation>(context_, s, q.Date)));
    }
    return all;
}

// --- AQuotation ------------------------------------------------------------------------------

AQuotation::AQuotation(AutomationContext& context, Stock* stock, PackedDate date, QObject* parent)
    : QObject(parent),
      context_(context),
      ref_(context.db, stock),
      date_(date),
      removals_(stock != nullptr ? context.Removals(stock->Serial, date) : 0) {}

Quotation* AQuotation::Bar() const {
    Stock* s = ref_.Get();
    if (s == nullptr || context_.Removals(s->Serial, date_) != removals_) return nullptr;
    return Database::FindQuotation(*s, date_);
}

// A changed bar marks its stock: an unmarked stock is not written by the next save, and the
// change would be lost.
template <typename F>
void AQuotation::Change(F&& change) {
    Quotation* q = Bar();
    if (q == nullptr) return;
    change(*q);
    context_.db.MarkModified(*ref_.Get());
}

QDateTime AQuotation::Date() const {
    return automation::ToDateTime(date_);
}

QJSValue AQuotation::Price(float Quotation::*field) const {
    const Quotation* q = Bar();
    return QJSValue(q != nullptr ? automation::FloatToScript(q->*field) : 0.0);
}

void AQuotation::SetPrice(float Quotation::*field, const QJSValue& value, const char* member,
                          bool normalise) {
    const auto stored = automation::ToFloat(this, value, member);
    if (!stored) return;
    Change([&](Quotation& q) {
        q.*field = *stored;
        if (normalise) NormaliseBar(q);
    });
}

QJSValue AQuotation::Close() const {
    return Price(&Quotation::Close);
}
void AQuotation::SetClose(const QJSValue& value) {
    SetPrice(&Quotation::Close, value, "AQuotation.Close", true);
}
QJSValue AQuotation::Open() const {
    return Price(&Quotation::Open);
}
void AQuotation::SetOpen(const QJSValue& value) {
    SetPrice(&Quotation::Open, value, "AQuotation.Open", true);
}
QJSValue AQuotation::High() const {
    return Price(&Quotation::High);
}
void AQuotation::SetHigh(const QJSValue& value) {
    SetPrice(&Quotation::High, value, "AQuotation.High", false);
}
QJSValue AQuotation::Low() const {
    return Price(&Quotation::Low);
}
void AQuotation::SetLow(const QJSValue& value) {
    SetPrice(&Quotation::Low, value, "AQuotation.Low", false);
}

QJSValue AQuotation::Volume() const {
    const Quotation* q = Bar();
    return QJSValue(q != nullptr ? static_cast<double>(q->Volume) : 0.0);
}

void AQuotation::SetVolume(const QJSValue& value) {
    const auto n = automation::ToTruncatedLong(this, value, "AQuotation.Volume");
    if (n) Change([&](Quotation& q) { q.Volume = *n; });
}

QJSValue AQuotation::OpenInt() const {
    const Quotation* q = Bar();
    return QJSValue(q != nullptr ? static_cast<double>(q->OpenInt) : 0.0);
}

void AQuotation::SetOpenInt(const QJSValue& value) {
    const auto n = automation::ToTruncatedLong(this, value, "AQuotation.OpenInt");
    if (n) Change([&](Quotation& q) { q.OpenInt = *n; });
}

void NormaliseBar(Quotation& q) {
    if (q.Open <= 0) q.Open = q.Close;
    if (q.Low <= 0) q.Low = q.Close;
    if (q.High < q.Close) q.High = q.Close;
    if (q.High < q.Open) q.High = q.Open;
    if (q.Low > q.Close) q.Low = q.Close;
    if (q.Low > q.Open) q.Low = q.Open;
}

}  // namespace velmora
