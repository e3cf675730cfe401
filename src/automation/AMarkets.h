#pragma once
// The fixed table of 256 markets as automation objects: AMarkets, AMarket, and a market's
// advance/decline days, AADQuotations (in date order) and AADQuotation. A record wrapper
// refers to its day, so it stays valid while other days come and go; once its day is removed
// it reads 0 and ignores writes, also after the day is added again. Changes mark the workspace
// dirty (these data live in the workspace file, which is written only when something is marked).

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
    Q_PROPERTY(QJSValue AdvIssues READ AdvIssues WRITE SetAdvIssues)
    Q_PROPERTY(QJSValue AdvVolume READ AdvVolume WRITE SetAdvVolume)
    Q_PROPERTY(QJSValue DecIssues READ DecIssues WRITE SetDecIssues)
    Q_PROPERTY(QJSValue DecVolume READ DecVolume WRITE SetDecVolume)
    Q_PROPERTY(QJSValue UncIssues READ UncIssues WRITE SetUncIssues)
    Q_PROPERTY(QJSValue UncVolume READ UncVolume WRITE SetUncVolume)

  public:
    AADQuotation(AutomationContext& context, int market, PackedDate date,
                 QObject* parent = nullptr);

    QDateTime Date() const;
    // Issues are longs, volumes floats (see automation::ToLong and ToFloat).
    QJSValue AdvIssues() const;
    void SetAdvIssues(const QJSValue& value);
    QJSValue AdvVolume() const;
    void SetAdvVolume(const QJSValue& value);
    QJSValue DecIssues() const;
    void SetDecIssues(const QJSValue& value);
    QJSValue DecVolume() const;
    void SetDecVolume(const QJSValue& value);
    QJSValue UncIssues() const;
    void SetUncIssues(const QJSValue& value);
    QJSValue UncVolume() const;
    void SetUncVolume(const QJSValue& value);

    PackedDate Day() const { return date_; }

  private:
    ADQuotation* Record() const;
    template <typename F>
    void Change(F&& change);

    AutomationContext& context_;
    int market_;
    PackedDate date_;
    // The removals of this day's record when the wrapper was made.
    std::uint64_t removals_;
};

}  // namespace velmora
