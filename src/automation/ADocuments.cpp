#include "automation/ADocuments.h"

#include "automation/AApplication.h"

namespace velmora {

using automation::ToPosition;
using automation::ToQString;
using automation::ToStdString;

ADocuments::ADocuments(AutomationContext& context, QObject* parent)
    : QObject(parent), context_(context) {}

int ADocuments::Count() const {
    return static_cast<int>(context_.documents.Documents().size());
}

QObject* ADocuments::Application() const {
    return automation::Make<AApplication>(context_);
}

QObject* ADocuments::Parent() const {
    return automation::Make<AApplication>(context_);
}

QObject* ADocuments::Add() {
    const auto id = context_.documents.Add();
    return id ? automation::Make<ADocument>(context_, *id) : nullptr;
}

void ADocuments::Close() {
    context_.documents.CloseAll();
}

QObject* ADocuments::Open(const QString& ticker) {
    Stock* stock = context_.db.FindStock(ToStdString(ticker));
    if (stock == nullptr) return nullptr;
    const auto id = context_.documents.Open(*stock);
    return id ? automation::Make<ADocument>(context_, *id) : nullptr;
}

QObject* ADocuments::Item(const QJSValue& index) const {
    const auto position = ToPosition(index);
    const auto docs = context_.documents.Documents();
    if (!position || *position < 0 || *position >= static_cast<long long>(docs.size())) {
        return nullptr;
    }
    return automation::Make<ADocument>(context_, docs[static_cast<std::size_t>(*position)]);
}

QVariantList ADocuments::NewEnum() const {
    QVariantList all;
    for (DocumentId id : context_.documents.Documents()) {
        all.append(QVariant::fromValue<QObject*>(automation::Make<ADocument>(context_, id)));
    }
    return all;
}

ADocument::ADocument(AutomationContext& context, DocumentId id, QObject* parent)
    : QObject(parent), context_(context), id_(id) {}

QObject* ADocument::Application() const {
    return automation::Make<AApplication>(context_);
}

QObject* ADocument::Parent() const {
    return automation::Make<ADocuments>(context_);
}

QString ADocument::Name() const {
    if (!context_.documents.Exists(id_)) return {};
    return ToQString(context_.documents.Name(id_));
}

void ADocument::ShowMessage(const QString& text) {
    context_.ui.ShowMessage(ToStdString(text));
}

void ADocument::Close() {
    if (context_.documents.Exists(id_)) context_.documents.Close(id_);
}

void ADocument::Activate() {
    if (context_.documents.Exists(id_)) context_.documents.Activate(id_);
}

}  // namespace velmora
