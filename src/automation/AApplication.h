#pragma once
// The root object of the automation model, which scripts create under "Tarvik.Application".
// Its members, in dispatch order: ActiveDocument, Stocks, Version, Documents, Quit, RefreshAll,
// Import; then Markets, the way to the market table.

#include <QJSValue>
#include <QObject>
#include <QString>
#include <QVariant>
#include <memory>

#include "automation/AutomationContext.h"

namespace velmora {

class ADocuments;
class AStocks;
class AMarkets;

inline constexpr char kAutomationProgId[] = "Tarvik.Application";
inline constexpr char kAutomationVersion[] = "3.22.0";
inline constexpr char kActiveDocumentReadOnly[] =
    "Application.ActiveDocument is read-only property";

// The root collections of a context (see AutomationContext::Roots): the script engine never
// deletes them, as they are held here.
struct AutomationRoots {
    std::unique_ptr<AStocks> stocks;
    std::unique_ptr<ADocuments> documents;
    std::unique_ptr<AMarkets> markets;
};

class AApplication : public QObject {
    Q_OBJECT
    Q_PROPERTY(QVariant ActiveDocument READ ActiveDocument WRITE SetActiveDocument)
    Q_PROPERTY(QObject* Stocks READ Stocks)
    Q_PROPERTY(QString Version READ Version CONSTANT)
    Q_PROPERTY(QObject* Documents READ Documents)
    Q_PROPERTY(QObject* Markets READ Markets)

  public:
    explicit AApplication(AutomationContext& context, QObject* parent = nullptr);

    // The active chart window's document (null when none is open).
    QVariant ActiveDocument() const;
    // Shows kActiveDocumentReadOnly and changes nothing.
    void SetActiveDocument(const QVariant& value);
    // The root collections: the same objects for the whole run, whatever the engine collects.
    QObject* Stocks() const;
    QString Version() const { return QString::fromLatin1(kAutomationVersion); }
    QObject* Documents() const;
    QObject* Markets() const;

    Q_INVOKABLE void Quit();
    Q_INVOKABLE void RefreshAll();
    // Type 0: the ASCII file at path, with the format file named by `definition` when that is
    // a non-empty string (else the default one); the importer's result (0 done, 3 unknown
    // field keyword, 4 cannot open). Type 1: the teletext page at path; 1, or 0 when it cannot
    // be opened. Any other short: -1. A type that is not a number or beyond the short range is
    // a script error.
    Q_INVOKABLE int Import(const QJSValue& type, const QString& path,
                           const QJSValue& definition = QJSValue());

    AutomationContext& Context() const { return context_; }

  private:
    AutomationContext& context_;
};

}  // namespace velmora
