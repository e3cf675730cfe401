#pragma once
// What every automation object refers to: the live database and the program's objects around
// it. The objects hold references into it and copy nothing; the context must outlive every
// object made over it (the script engine is torn down before it).

#include <QDateTime>
#include <QJSEngine>
#include <QJSValue>
#include <QObject>
#include <QString>
#include <QVariantList>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "automation/DocumentHost.h"
#include "database/Database.h"
#include "database/Preferences.h"
#include "platform/UserInterface.h"

namespace velmora {

struct AutomationContext {
    Database& db;
    const Preferences& prefs;
    UserInterface& ui;
    DocumentHost& documents;
    // Where the import definitions and format files are.
    std::filesystem::path profileDir;
    // The tickers whose stock files were set aside (".ZZZ") by removals and renames, for a
    // caller that ends without saving and puts them back.
    std::vector<std::string> setAsideTickers;
};

// A reference to one stock that survives the stock's removal: the stock is looked up again by
// its address among the database's stocks (never dereferenced unless found), with the last
// known position as the fast path.
class StockRef {
  public:
    StockRef(Database& db, Stock* stock) : db_(&db), stock_(stock) {}
    // The stock, or null when it left the database.
    Stock* Get() const;

  private:
    Database* db_;
    Stock* stock_;
    mutable int hint_ = -1;
};

namespace automation {

// Hands a new wrapper to the script engine, which deletes it when scripts no longer hold it.
template <typename T>
T* Owned(T* object) {
    QJSEngine::setObjectOwnership(object, QJSEngine::JavaScriptOwnership);
    return object;
}

QString ToQString(std::string_view text);
std::string ToStdString(const QString& text);

// The local midnight of the day (an invalid date-time for kNoDate), the script's Date.
QDateTime ToDateTime(PackedDate date);
// A key or argument converted as the automation layer converts it to a date: a Date value,
// a number (an automation date) or a text read by the date parser. None for anything else.
std::optional<PackedDate> ToPackedDate(const QJSValue& value, bool acceptNumber);
// A key converted to a position (long); none when the value is not convertible. Numbers are
// truncated toward zero and held at the 32-bit range; true is -1, false 0.
std::optional<long long> ToPosition(const QJSValue& value);
// A stored float as the script's number: the double nearest the float's shortest decimal
// text, so that a price stored as 39.92f reads 39.92 (and converts back to the same float).
double FloatToScript(float value);
// A number to be stored as a float: held at the float range; none for NaN, which no field
// stores (the write then changes nothing).
std::optional<float> ToStoredFloat(double value);

}  // namespace automation

}  // namespace velmora
