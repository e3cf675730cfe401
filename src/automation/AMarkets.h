#pragma once
// The fixed table of 256 markets as automation objects: AMarkets, AMarket, and a market's
// advance/decline days, AADQuotations (in date order) and AADQuotation. A record wrapper
// refers to its day, so it stays valid while other days come and go; once its day is removed
// it reads 0 and ignores writes. Changes mark the workspace dirty (these data live in the
// workspace file, which is written only when something is marked).

#include <QDateTime>
#include <QJSValue>
#include <QObject>
#include <QString>
#include <QVariantList>

#include "automation/AutomationContext.h"

namespace velmora {

class AMarkets : public QObject {
    Q_OBJECT
    Q_PROPERTY(int Count READ Count)
    Q_PROPERTY(QVariantList _NewEnum READ NewEnum)

  public:
    explicit AMarkets(AutomationContext& context, QObject* parent = nullptr);

    int Count() const { return kMarketCount; }
    // The market with that number, 0..255; null for any other value.
    Q_INVOKABLE QObject* Item(const QJSValue& index) const;
    QVariantList NewEnum() const;

  private:
    AutomationContext& context_;
};

class AMarket : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString Name READ Name WRITE SetName)
    Q_PROPERTY(QObject* ADQuotations READ ADQuotations)

  public:
    AMarket(AutomationContext& context, int market, QObject* parent = nullptr);

    QString Name() const;
    // At most 39 bytes are kept.
    void SetName(const QString& name);
    QObject* ADQuotations() const;

  private:
    AutomationContext& context_;
    int market_;
};

class AADQuotations : public QObject {
    Q_OBJECT
    Q_PROPERTY(int Count READ Count)
    Q_PROPERTY(QVariantList _NewEnum READ NewEnum)

  public:
    AADQuotations(AutomationContext& context, int market, QObject* parent = nullptr);

    int Count() const;
    // A Date value or a text read by the date parser: the day's record, created empty in date
    // order when absent. Null for any other value.
    Q_INVOKABLE QObject* Add(const QJSValue& date);
    Q_INVOKABLE bool Remove(const QJSValue& key);
    // A text or Date finds the day's record; anything else is a position counted from 0, where
    // a negative position gives the first record.
    Q_INVOKABLE QObject* Item(const QJSValue& key) const;
    QVariantList NewEnum() const;

  private:
    const ADQuotation* Find(const QJSValue& key) const;

    AutomationContext& context_;
    int market_;
};

class AADQuotation : public QObject {
    Q_OBJECT
    Q_PROPERTY(QDateTime Date READ Date)
    Q_PROPERTY(int AdvIssues READ AdvIssues WRITE SetAdvIssues)
    Q_PROPERTY(double AdvVolume READ AdvVolume WRITE SetAdvVolume)
    Q_PROPERTY(int DecIssues READ DecIssues WRITE SetDecIssues)
    Q_PROPERTY(double DecVolume READ DecVolume WRITE SetDecVolume)
    Q_PROPERTY(int UncIssues READ UncIssues WRITE SetUncIssues)
    Q_PROPERTY(double UncVolume READ UncVolume WRITE SetUncVolume)

  public:
    AADQuotation(AutomationContext& context, int market, PackedDate date,
                 QObject* parent = nullptr);

    QDateTime Date() const;
    int AdvIssues() const;
    void SetAdvIssues(int value);
    double AdvVolume() const;
    void SetAdvVolume(double value);
    int DecIssues() const;
    void SetDecIssues(int value);
    double DecVolume() const;
    void SetDecVolume(double value);
    int UncIssues() const;
    void SetUncIssues(int value);
    double UncVolume() const;
    void SetUncVolume(double value);

    PackedDate Day() const { return date_; }

  private:
    ADQuotation* Record() const;
    template <typename F>
    void Change(F&& change);

    AutomationContext& context_;
    int market_;
    PackedDate date_;
};

}  // namespace velmora
