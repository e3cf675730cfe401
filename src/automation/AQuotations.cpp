#include "automation/AQuotations.h"

#include "platform/Saturate.h"

namespace velmora {

using automation::Owned;
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
    return Owned(new AQuotation(context_, s, *day));
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
    return q != nullptr && context_.db.DeleteQuotation(*s, q->Date);
}

QObject* AQuotations::Item(const QJSValue& key) const {
    Stock* s = ref_.Get();
    if (s == nullptr) return nullptr;
    const Quotation* q = Find(*s, key);
    return q != nullptr ? Owned(new AQuotation(context_, s, q->Date)) : nullptr;
}

QVariantList AQuotations::NewEnum() const {
    QVariantList all;
    Stock* s = ref_.Get();
    if (s == nullptr) return all;
    for (const Quotation& q : s->Quotations) {
        all.append(QVariant::fromValue<QObject*>(Owned(new AQuotation(context_, s, q.Date))));
    }
    return all;
}

// --- AQuotation ------------------------------------------------------------------------------

AQuotation::AQuotation(AutomationContext& context, Stock* stock, PackedDate date, QObject* parent)
    : QObject(parent), context_(context), ref_(context.db, stock), date_(date) {}

Quotation* AQuotation::Bar() const {
    Stock* s = ref_.Get();
    return s != nullptr ? Database::FindQuotation(*s, date_) : nullptr;
}

// A changed bar marks its stock: an unmarked stock is not written by the next save, and the
// change would be lost.
template <typename F>
void AQuotation::Change(F&& change) {
    Stock* s = ref_.Get();
    Quotation* q = s != nullptr ? Database::FindQuotation(*s, date_) : nullptr;
    if (q == nullptr) return;
    change(*q);
    context_.db.MarkModified(*s);
}

QDateTime AQuotation::Date() const {
    return automation::ToDateTime(date_);
}

double AQuotation::Close() const {
    const Quotation* q = Bar();
    return q != nullptr ? automation::FloatToScript(q->Close) : 0.0;
}

void AQuotation::SetClose(double value) {
    const auto stored = automation::ToStoredFloat(value);
    if (!stored) return;
    Change([&](Quotation& q) {
        q.Close = *stored;
        NormaliseBar(q);
    });
}

double AQuotation::Open() const {
    const Quotation* q = Bar();
    return q != nullptr ? automation::FloatToScript(q->Open) : 0.0;
}

void AQuotation::SetOpen(double value) {
    const auto stored = automation::ToStoredFloat(value);
    if (!stored) return;
    Change([&](Quotation& q) {
        q.Open = *stored;
        NormaliseBar(q);
    });
}

double AQuotation::High() const {
    const Quotation* q = Bar();
    return q != nullptr ? automation::FloatToScript(q->High) : 0.0;
}

void AQuotation::SetHigh(double value) {
    const auto stored = automation::ToStoredFloat(value);
    if (stored) Change([&](Quotation& q) { q.High = *stored; });
}

double AQuotation::Low() const {
    const Quotation* q = Bar();
    return q != nullptr ? automation::FloatToScript(q->Low) : 0.0;
}

void AQuotation::SetLow(double value) {
    const auto stored = automation::ToStoredFloat(value);
    if (stored) Change([&](Quotation& q) { q.Low = *stored; });
}

double AQuotation::Volume() const {
    const Quotation* q = Bar();
    return q != nullptr ? static_cast<double>(q->Volume) : 0.0;
}

void AQuotation::SetVolume(double value) {
    Change([&](Quotation& q) { q.Volume = SaturateToInt32(value); });
}

double AQuotation::OpenInt() const {
    const Quotation* q = Bar();
    return q != nullptr ? static_cast<double>(q->OpenInt) : 0.0;
}

void AQuotation::SetOpenInt(double value) {
    Change([&](Quotation& q) { q.OpenInt = SaturateToInt32(value); });
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
