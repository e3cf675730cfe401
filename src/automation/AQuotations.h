#pragma once
// The quotations of one stock as automation objects: the AQuotations collection (oldest first)
// and one AQuotation, which refers to its bar by the stock and the day, so it stays valid while
// other bars come and go. A wrapper whose bar (or stock) was removed reads 0 and ignores
// writes, also after a bar of that day is added again. Prices are floats: a value beyond the
// float range, NaN or an infinity is a script error (see automation::ToFloat).

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
    Q_PROPERTY(QJSValue Close READ Close WRITE SetClose)
    Q_PROPERTY(QJSValue Open READ Open WRITE SetOpen)
    Q_PROPERTY(QJSValue High READ High WRITE SetHigh)
    Q_PROPERTY(QJSValue Low READ Low WRITE SetLow)
    Q_PROPERTY(QJSValue Volume READ Volume WRITE SetVolume)
    Q_PROPERTY(QJSValue OpenInt READ OpenInt WRITE SetOpenInt)

  public:
    AQuotation(AutomationContext& context, Stock* stock, PackedDate date,
               QObject* parent = nullptr);

    // The day's first local moment (see automation::ToDateTime). Writing is accepted and
    // ignored.
    QDateTime Date() const;
    void SetDate(const QDateTime&) {}
    // Writing Close or Open normalises the bar (see NormaliseBar).
    QJSValue Close() const;
    void SetClose(const QJSValue& value);
    QJSValue Open() const;
    void SetOpen(const QJSValue& value);
    QJSValue High() const;
    void SetHigh(const QJSValue& value);
    QJSValue Low() const;
    void SetLow(const QJSValue& value);
    // Held as 32-bit integers: writing truncates toward zero; the result must lie in the long
    // range.
    QJSValue Volume() const;
    void SetVolume(const QJSValue& value);
    QJSValue OpenInt() const;
    void SetOpenInt(const QJSValue& value);

    PackedDate Day() const { return date_; }

  private:
    Quotation* Bar() const;
    template <typename F>
    void Change(F&& change);
    // Reads a price; writes one as a float.
    QJSValue Price(float Quotation::*field) const;
    void SetPrice(float Quotation::*field, const QJSValue& value, const char* member,
                  bool normalise);

    AutomationContext& context_;
    StockRef ref_;
    PackedDate date_;
    // The removals of this day's bar when the wrapper was made.
    std::uint64_t removals_;
};

// After Close or Open is written: an open or low of 0 or below takes the close, then high is
// raised to the close and the open, and low lowered to them.
void NormaliseBar(Quotation& q);

}  // namespace velmora
