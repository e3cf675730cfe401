#pragma once
// The open chart windows' documents as automation objects: the ADocuments collection, in the
// document list's order, and one ADocument.

#include <QJSValue>
#include <QObject>
#include <QString>
#include <QVariantList>

#include "automation/AutomationContext.h"

namespace velmora {

class ADocument;

class ADocuments : public QObject {
    Q_OBJECT
    Q_PROPERTY(int Count READ Count)
    Q_PROPERTY(QObject* Application READ Application)
    Q_PROPERTY(QObject* Parent READ Parent)
    Q_PROPERTY(QVariantList _NewEnum READ NewEnum)

  public:
    explicit ADocuments(AutomationContext& context, QObject* parent = nullptr);

    int Count() const;
    // A new application object each time.
    QObject* Application() const;
    QObject* Parent() const;
    // A new chart window's document; null when none can be opened.
    Q_INVOKABLE QObject* Add();
    // Closes every document.
    Q_INVOKABLE void Close();
    // A new chart window on the stock with that ticker; null when there is no such stock.
    Q_INVOKABLE QObject* Open(const QString& ticker);
    // The document at the position, counted from 0; null when there is none.
    Q_INVOKABLE QObject* Item(const QJSValue& index) const;
    // A snapshot of every document, in order.
    QVariantList NewEnum() const;

  private:
    AutomationContext& context_;
};

class ADocument : public QObject {
    Q_OBJECT
    Q_PROPERTY(QObject* Application READ Application)
    Q_PROPERTY(QObject* Parent READ Parent)
    Q_PROPERTY(QString Name READ Name)

  public:
    ADocument(AutomationContext& context, DocumentId id, QObject* parent = nullptr);

    QObject* Application() const;
    // A new ADocuments object.
    QObject* Parent() const;
    // The ticker of the stock shown, or empty (also once the document is closed).
    QString Name() const;
    Q_INVOKABLE void ShowMessage(const QString& text);
    Q_INVOKABLE void Close();
    Q_INVOKABLE void Activate();

    DocumentId Id() const { return id_; }

  private:
    AutomationContext& context_;
    DocumentId id_;
};

}  // namespace velmora
