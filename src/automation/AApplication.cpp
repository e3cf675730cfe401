#include "automation/AApplication.h"

#include "automation/ADocuments.h"
#include "automation/AMarkets.h"
#include "automation/AStocks.h"
#include "import/AsciiImporter.h"
#include "import/TeletextImporter.h"

namespace velmora {

using automation::Owned;
using automation::ToStdString;

AApplication::AApplication(AutomationContext& context, QObject* parent)
    : QObject(parent), context_(context) {}

QVariant AApplication::ActiveDocument() const {
    const auto id = context_.documents.Active();
    if (!id) return QVariant::fromValue(nullptr);
    return QVariant::fromValue<QObject*>(Owned(new ADocument(context_, *id)));
}

void AApplication::SetActiveDocument(const QVariant&) {
    context_.ui.ShowMessage(kActiveDocumentReadOnly);
}

QObject* AApplication::Stocks() const {
    if (stocks_.isNull()) stocks_ = Owned(new AStocks(context_));
    return stocks_;
}

QObject* AApplication::Documents() const {
    if (documents_.isNull()) documents_ = Owned(new ADocuments(context_));
    return documents_;
}

QObject* AApplication::Markets() const {
    if (markets_.isNull()) markets_ = Owned(new AMarkets(context_));
    return markets_;
}

void AApplication::Quit() {
    context_.documents.Quit();
}

void AApplication::RefreshAll() {
    context_.documents.RefreshAll();
}

int AApplication::Import(int type, const QString& path, const QJSValue& definition) {
    const std::filesystem::path file(ToStdString(path));
    if (type == 0) {
        const std::string format = definition.isString() ? ToStdString(definition.toString()) : "";
        AsciiImporter importer(context_.db, context_.ui, context_.profileDir,
                               context_.prefs.DefaultRSBase());
        return importer.ImportAsciiFile(file, format);
    }
    if (type == 1) return ImportTeletextFile(context_.db, file);
    return -1;
}

}  // namespace velmora
