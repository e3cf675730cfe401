#pragma once
// The quotations of one stock as automation objects: the AQuotations collection (oldest first)
// and one AQuotation, which refers to its bar by the stock and the day, so it stays valid while
// other bars come and go. A wrapper whose bar (or stock) is gone reads 0 and ignores writes.
// Prices are floats: a larger number is held at the float range, and NaN changes nothing.

#include <QDateTime>
#include <QJSValue>
#include <QObject>
#include <QVariantList>

#include "automation/AutomationContext.h"

namespace velmora {

class AQuotations : public QObject {
    Q_OBJECT
    Q_PROPERTY(int Count READ Count)
    Q_PROPERTY(QVariantList _NewEnum READ NewEnum)

  public:
    AQuotations(AutomationContext& context, Stock* stock, QObject* parent = nullptr);

    // The quotations in memory.
    int Count() const;
    // The bar of the day (a Date, an automation date number or a date text; the time of day is
    // ignored), created empty in date order when absent; marks the stock. Null for a value that
    // is not a date or when the stock's older quotations cannot be read.
    Q_INVOKABLE QObject* Add(const QJSValue& date);
    // Deletes the bar Item finds and marks the stock; false when there is none.
    Q_INVOKABLE bool Remove(const QJSValue& key);
    // A text is read as a yy-mm-dd date; anything else is a position counted from 0, where a
    // negative position gives the first bar.
    Q_INVOKABLE QObject* Item(const QJSValue& key) const;
    QVariantList NewEnum() const;

  private:
    const Quotation* Find(Stock& stock, const QJSValue& key) const;

    AutomationContext& context_;
    StockRef ref_;
};

class AQuotation : public QObject {
    Q_OBJECT
    Q_PROPERTY(QDateTime Date READ Date WRITE SetDate)
    Q_PROPERTY(double Close READ Close WRITE SetClose)
    Q_PROPERTY(double Open READ Open WRITE SetOpen)
    Q_PROPERTY(double High READ High WRITE SetHigh)
    Q_PROPERTY(double Low READ Low WRITE SetLow)
    Q_PROPERTY(double Volume READ Volume WRITE SetVolume)
    Q_PROPERTY(double OpenInt READ OpenInt WRITE SetOpenInt)

  public:
    AQuotation(AutomationContext& context, Stock* stock, PackedDate date,
               QObject* parent = nullptr);

    // The day at local midnight. Writing is accepted and ignored.
    QDateTime Date() const;
    void SetDate(const QDateTime&) {}
    // Writing Close or Open normalises the bar (see NormaliseBar).
    double Close() const;
    void SetClose(double value);
    double Open() const;
    void SetOpen(double value);
    double High() const;
    void SetHigh(double value);
    double Low() const;
    void SetLow(double value);
    // Held as 32-bit integers: writing truncates toward zero.
    double Volume() const;
    void SetVolume(double value);
    double OpenInt() const;
    void SetOpenInt(double value);

    PackedDate Day() const { return date_; }

  private:
    Quotation* Bar() const;
    template <typename F>
    void Change(F&& change);

    AutomationContext& context_;
    StockRef ref_;
    PackedDate date_;
};

// After Close or Open is written: an open or low of 0 or below takes the close, then high is
// raised to the close and the open, and low lowered to them.
void NormaliseBar(Quotation& q);

}  // namespace velmora
