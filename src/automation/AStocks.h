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
    // The stock with that ticker, or a new empty one (null for an empty ticker).
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
    Q_PROPERTY(int MarketID READ MarketID WRITE SetMarketID)
    Q_PROPERTY(int GroupID READ GroupID WRITE SetGroupID)
    Q_PROPERTY(int Code READ Code WRITE SetCode)
    Q_PROPERTY(int Issue READ Issue WRITE SetIssue)
    Q_PROPERTY(int BookValue READ BookValue WRITE SetBookValue)
    Q_PROPERTY(double NominalValue READ NominalValue WRITE SetNominalValue)
    Q_PROPERTY(QString Address READ Address WRITE SetAddress)
    Q_PROPERTY(QString WebID READ WebID WRITE SetWebID)
    Q_PROPERTY(QString Alias READ Alias WRITE SetAlias)
    Q_PROPERTY(bool IsDirty READ IsDirty WRITE SetIsDirty)
    Q_PROPERTY(int IndustryID READ IndustryID WRITE SetIndustryID)

  public:
    AStock(AutomationContext& context, Stock* stock, QObject* parent = nullptr);

    QString Ticker() const;
    // Loads the older quotations, sets the old file aside and renames the stock, which moves
    // to its place in ticker order. An empty ticker or one another stock has is refused with
    // a message; so is a stock whose older quotations cannot be read.
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
    int MarketID() const;
    void SetMarketID(int id);
    int GroupID() const;
    void SetGroupID(int id);
    int Code() const;
    void SetCode(int value);
    int Issue() const;
    void SetIssue(int value);
    int BookValue() const;
    void SetBookValue(int value);
    // Whole hundredths: reads hundredths x 0.01, writes value x 100 truncated toward zero.
    double NominalValue() const;
    void SetNominalValue(double value);
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
    int IndustryID() const;
    void SetIndustryID(int value);
    // Quarter 0..3; any other shows kQuarterRange, reads 0 and writes nothing.
    Q_INVOKABLE int FinanceYear(int quarter) const;
    Q_INVOKABLE void SetFinanceYear(int quarter, int value);
    Q_INVOKABLE int FinanceIncome(int quarter) const;
    Q_INVOKABLE void SetFinanceIncome(int quarter, int value);
    Q_INVOKABLE int FinanceEBT(int quarter) const;
    Q_INVOKABLE void SetFinanceEBT(int quarter, int value);
    Q_INVOKABLE int FinanceEAT(int quarter) const;
    Q_INVOKABLE void SetFinanceEAT(int quarter, int value);

    // The stock, or null once it left the database.
    Stock* Get() const { return ref_.Get(); }

  private:
    // Applies a change to a live stock and marks it.
    template <typename F>
    void Change(F&& change);
    int ReadFinance(std::array<std::int32_t, 4> Stock::*field, int quarter) const;
    void WriteFinance(std::array<std::int32_t, 4> Stock::*field, int quarter, int value);

    AutomationContext& context_;
    StockRef ref_;
};

}  // namespace velmora
