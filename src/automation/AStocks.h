#pragma once
// The stocks as automation objects: the AStocks collection in database order and one AStock.
// Every AStock write (but IsDirty = false) marks the stock Modified and the workspace dirty.
// A wrapper whose stock was removed reads as empty and ignores writes.
//
// The quarter-indexed finance values are read with FinanceYear(quarter) and written with
// SetFinanceYear(quarter, value) (likewise Income, EBT, EAT).

#include <QJSValue>
#include <QObject>
#include <QString>
#include <QVariantList>
#include <array>
#include <cstdint>
#include <optional>

#include "automation/AutomationContext.h"

namespace velmora {

inline constexpr char kQuarterRange[] = "Quarter must be 0..3";
inline constexpr char kRenameTickerTaken[] =
    "Can not rename stock because the ticker you have entered already exists in the database";
inline constexpr char kRenameTickerEmpty[] = "The ticker can not be empty";

class AStocks : public QObject {
    Q_OBJECT
    Q_PROPERTY(int Count READ Count)
    Q_PROPERTY(QVariantList _NewEnum READ NewEnum)

  public:
    explicit AStocks(AutomationContext& context, QObject* parent = nullptr);

    int Count() const;
    // The stock with that ticker, or a new empty one. Null for an empty ticker, and (after a
    // message) for one whose file name is another stock's file or ends in ".ZZZ".
    Q_INVOKABLE QObject* Add(const QString& ticker);
    // Removes the stock Item finds, setting its file aside; false when there is none.
    Q_INVOKABLE bool Remove(const QJSValue& key);
    // A text finds the stock by ticker; anything else is a position counted from 0.
    Q_INVOKABLE QObject* Item(const QJSValue& key) const;
    QVariantList NewEnum() const;

    Stock* Find(const QJSValue& key) const;

  private:
    AutomationContext& context_;
};

class AStock : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString Ticker READ Ticker WRITE SetTicker)
    Q_PROPERTY(QObject* Quotations READ Quotations)
    Q_PROPERTY(QString FullName READ FullName WRITE SetFullName)
    Q_PROPERTY(bool Index READ Index WRITE SetIndex)
    Q_PROPERTY(bool Favourite READ Favourite WRITE SetFavourite)
    Q_PROPERTY(bool Continuous READ Continuous WRITE SetContinuous)
    Q_PROPERTY(QJSValue MarketID READ MarketID WRITE SetMarketID)
    Q_PROPERTY(QJSValue GroupID READ GroupID WRITE SetGroupID)
    Q_PROPERTY(QJSValue Code READ Code WRITE SetCode)
    Q_PROPERTY(QJSValue Issue READ Issue WRITE SetIssue)
    Q_PROPERTY(QJSValue BookValue READ BookValue WRITE SetBookValue)
    Q_PROPERTY(QJSValue NominalValue READ NominalValue WRITE SetNominalValue)
    Q_PROPERTY(QString Address READ Address WRITE SetAddress)
    Q_PROPERTY(QString WebID READ WebID WRITE SetWebID)
    Q_PROPERTY(QString Alias READ Alias WRITE SetAlias)
    Q_PROPERTY(bool IsDirty READ IsDirty WRITE SetIsDirty)
    Q_PROPERTY(QJSValue IndustryID READ IndustryID WRITE SetIndustryID)

  public:
    AStock(AutomationContext& context, Stock* stock, QObject* parent = nullptr);

    QString Ticker() const;
    // Loads the older quotations, sets the old file aside and renames the stock, which moves
    // to its place in ticker order. An empty ticker, one another stock has, one whose file name
    // is another stock's file or ends in ".ZZZ" is refused with a message; so is a stock whose
    // older quotations cannot be read.
    void SetTicker(const QString& ticker);
    QObject* Quotations() const;
    QString FullName() const;
    void SetFullName(const QString& text);
    bool Index() const;
    void SetIndex(bool on);
    bool Favourite() const;
    void SetFavourite(bool on);
    bool Continuous() const;
    void SetContinuous(bool on);
    // The long members (MarketID, GroupID, Code, Issue, BookValue, IndustryID and the finance
    // values) take -2147483648..2147483647; see automation::ToLong.
    QJSValue MarketID() const;
    void SetMarketID(const QJSValue& id);
    QJSValue GroupID() const;
    void SetGroupID(const QJSValue& id);
    QJSValue Code() const;
    void SetCode(const QJSValue& value);
    QJSValue Issue() const;
    void SetIssue(const QJSValue& value);
    QJSValue BookValue() const;
    void SetBookValue(const QJSValue& value);
    // Whole hundredths: reads hundredths x 0.01, writes value x 100 truncated toward zero; the
    // hundredths must lie in the long range.
    QJSValue NominalValue() const;
    void SetNominalValue(const QJSValue& value);
    QString Address() const;
    void SetAddress(const QString& text);
    QString WebID() const;
    void SetWebID(const QString& text);
    // Writing also tells the database that aliases are to be searched again.
    QString Alias() const;
    void SetAlias(const QString& text);
    bool IsDirty() const;
    // true marks the stock and the workspace; false clears the stock's mark only.
    void SetIsDirty(bool on);
    QJSValue IndustryID() const;
    void SetIndustryID(const QJSValue& value);
    // The quarter is a short: 0..3; any other shows kQuarterRange, reads 0 and writes nothing.
    Q_INVOKABLE int FinanceYear(const QJSValue& quarter) const;
    Q_INVOKABLE void SetFinanceYear(const QJSValue& quarter, const QJSValue& value);
    Q_INVOKABLE int FinanceIncome(const QJSValue& quarter) const;
    Q_INVOKABLE void SetFinanceIncome(const QJSValue& quarter, const QJSValue& value);
    Q_INVOKABLE int FinanceEBT(const QJSValue& quarter) const;
    Q_INVOKABLE void SetFinanceEBT(const QJSValue& quarter, const QJSValue& value);
    Q_INVOKABLE int FinanceEAT(const QJSValue& quarter) const;
    Q_INVOKABLE void SetFinanceEAT(const QJSValue& quarter, const QJSValue& value);

    // The stock, or null once it left the database.
    Stock* Get() const { return ref_.Get(); }

  private:
    // Applies a change to a live stock and marks it.
    template <typename F>
    void Change(F&& change);
    // A long value for the member, then the change with it.
    template <typename F>
    void ChangeLong(const QJSValue& value, const char* member, F&& change);
    // The quarter 0..3, or none (after the message or the script error).
    std::optional<std::size_t> Quarter(const QJSValue& quarter, const char* member) const;
    int ReadFinance(std::array<std::int32_t, 4> Stock::*field, const QJSValue& quarter,
                    const char* member) const;
    void WriteFinance(std::array<std::int32_t, 4> Stock::*field, const QJSValue& quarter,
                      const QJSValue& value, const char* member);

    AutomationContext& context_;
    StockRef ref_;
};

}  // namespace velmora
