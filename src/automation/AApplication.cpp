#include "automation/AApplication.h"

#include "automation/ADocuments.h"
#include "automation/AMarkets.h"
#include "automation/AStocks.h"
#include "import/AsciiImporter.h"
#include "import/TeletextImporter.h"

namespace velmora {

using automation::ToStdString;

AApplication::AApplication(AutomationContext& context, QObject* parent)
    : QObject(parent), context_(context) {}

QVariant AApplication::ActiveDocument() const {
    const auto id = context_.documents.Active();
    if (!id) return QVariant::fromValue(nullptr);
    return QVariant::fromValue<QObject*>(automation::Make<ADocument>(context_, *id));
}

void AApplication::SetActiveDocument(const QVariant&) {
    context_.ui.ShowMessage(kActiveDocumentReadOnly);
}

AutomationRoots& AutomationContext::Roots() {
    if (!roots_) {
        // The engine leaves objects it does not own alone: a collected script value of one of
        // these only lets go of its wrapper, and the next read wraps the same object again.
        auto roots = std::make_shared<AutomationRoots>();
        roots->stocks = std::make_unique<AStocks>(*this);
        roots->documents = std::make_unique<ADocuments>(*this);
        roots->markets = std::make_unique<AMarkets>(*this);
        for (QObject* o : {static_cast<QObject*>(roots->stocks.get()),
                           static_cast<QObject*>(roots->documents.get()),
                           static_cast<QObject*>(roots->markets.get())}) {
            QJSEngine::setObjectOwnership(o, QJSEngine::CppOwnership);
        }
        roots_ = std::move(roots);
    }
    return *roots_;
}

QObject* AApplication::Stocks() const {
    return context_.Roots().stocks.get();
}

QObject* AApplication::Documents() const {
    return context_.Roots().documents.get();
}

QObject* AApplication::Markets() const {
    return context_.Roots().markets.get();
}

void AApplication::Quit() {
    context_.documents.Quit();
}

void AApplication::RefreshAll() {
    context_.documents.RefreshAll();
}

int AApplication::Import(const QJSValue& typeValue, const QString& path,
                         const QJSValue& definition) {
    const auto type = automation::ToShort(this, typeValue, "AApplication.Import");
    if (!type) return -1;
    const std::filesystem::path file(ToStdString(path));
    if (*type == 0) {
        const std::string format = definition.isString() ? ToStdString(definition.toString()) : "";
        AsciiImporter importer(context_.db, context_.ui, context_.profileDir,
                               context_.prefs.DefaultRSBase());
        return importer.ImportAsciiFile(file, format);
    }
    if (*type == 1) return ImportTeletextFile(context_.db, file);
    return -1;
}

}  // namespace velmora
