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
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "automation/DocumentHost.h"
#include "database/Database.h"
#include "database/Preferences.h"
#include "platform/UserInterface.h"

namespace velmora {

class AStocks;
class ADocuments;
class AMarkets;

// The collections every application object hands out (AStocks, ADocuments, AMarkets): made
// once, held by the C++ side for as long as the context keeps them, so the script engine's
// collector never takes them while scripts still ask for them.
struct AutomationRoots;

struct AutomationContext {
    AutomationContext(Database& database, const Preferences& preferences,
                      UserInterface& userInterface, DocumentHost& documentHost,
                      std::filesystem::path profile, std::vector<std::string> setAside = {})
        : db(database),
          prefs(preferences),
          ui(userInterface),
          documents(documentHost),
          profileDir(std::move(profile)),
          setAsideTickers(std::move(setAside)) {}
    // The objects made over a context refer to it.
    AutomationContext(const AutomationContext&) = delete;
    AutomationContext& operator=(const AutomationContext&) = delete;

    Database& db;
    const Preferences& prefs;
    UserInterface& ui;
    DocumentHost& documents;
    // Where the import definitions and format files are.
    std::filesystem::path profileDir;
    // The tickers whose stock files were set aside (".ZZZ") by removals and renames, for a
    // caller that ends without saving and puts them back.
    std::vector<std::string> setAsideTickers;

    // The root collections, made on first use; a script run releases them when its engine is
    // gone.
    AutomationRoots& Roots();
    void ReleaseRoots() { roots_.reset(); }

    // Quotations and advance/decline days are known by their day; a removal through the
    // automation objects counts here, so a wrapper made before it finds nothing even when the
    // day is added again. `owner` is a stock's Serial, or MarketOwner(market).
    std::uint64_t Removals(std::uint64_t owner, PackedDate day) const;
    void CountRemoval(std::uint64_t owner, PackedDate day) { ++removals_[{owner, day}]; }
    static std::uint64_t MarketOwner(int market) {
        return (std::uint64_t{1} << 63) | static_cast<std::uint64_t>(market);
    }

    // Deletes the wrappers the script engine's collector let go of (it only queues them, and
    // no event loop runs during a script), once every so many new wrappers.
    void WrapperMade();

  private:
    std::shared_ptr<AutomationRoots> roots_;
    std::map<std::pair<std::uint64_t, PackedDate>, std::uint64_t> removals_;
    std::uint32_t wrappersMade_ = 0;
};

// A reference to one stock that survives the stock's removal: the stock is found again by its
// Serial (never by an address, which a later stock may reuse), with the last known position
// as the fast path.
class StockRef {
  public:
    StockRef(Database& db, const Stock* stock)
        : db_(&db), serial_(stock != nullptr ? stock->Serial : 0) {}
    // The stock, or null when it left the database.
    Stock* Get() const;

  private:
    Database* db_;
    std::uint64_t serial_;
    mutable int hint_ = -1;
};

namespace automation {

// Hands a new wrapper to the script engine, which deletes it when scripts no longer hold it.
template <typename T>
T* Owned(T* object) {
    QJSEngine::setObjectOwnership(object, QJSEngine::JavaScriptOwnership);
    return object;
}
// The same for a wrapper made over the context, which counts it (see WrapperMade).
template <typename T, typename... Args>
T* Make(AutomationContext& context, Args&&... args) {
    context.WrapperMade();
    return Owned(new T(context, std::forward<Args>(args)...));
}

QString ToQString(std::string_view text);
std::string ToStdString(const QString& text);
// Whether a text written to a member may be kept: one with a tab or a line break is refused
// with a message naming `what` and the character, and the member keeps its value.
bool PlainOrShown(AutomationContext& context, std::string_view what, std::string_view text);

// The script's Date of a day: the first moment of the day in local time, which is midnight
// unless the clocks skip midnight that day (then the first time after the skip, still on the
// same day), so every day reads back as a valid Date and converts back to the same day. An
// invalid date-time for kNoDate.
QDateTime ToDateTime(PackedDate date);
// A key or argument converted as the automation layer converts it to a date: a Date value,
// a number (an automation date) or a text read by the date parser. None for anything else.
std::optional<PackedDate> ToPackedDate(const QJSValue& value, bool acceptNumber);
// A key converted to a position (long); none when the value is not convertible: numbers are
// rounded to the nearest integer (halves to even) and must lie in the 32-bit range; true is
// -1, false 0.
std::optional<long long> ToPosition(const QJSValue& value);

// The numbers written to members and passed to methods. Integers are rounded to the nearest
// integer (halves to even), then checked against the member's range, never wrapped or held at
// an end. A value that is not a number ends the script with a TypeError, one beyond the range
// (NaN and the infinities included) with a RangeError; both name the member (e.g.
// "AStock.Code"), and the write or call then does nothing (none is returned).
std::optional<std::int64_t> ToInteger(const QObject* self, const QJSValue& value,
                                      const char* member, std::int64_t lowest,
                                      std::int64_t highest);
// long: -2147483648..2147483647.
std::optional<std::int32_t> ToLong(const QObject* self, const QJSValue& value, const char* member);
// short: -32768..32767.
std::optional<std::int16_t> ToShort(const QObject* self, const QJSValue& value, const char* member);
// float: a finite number within the float range (its magnitude at most 3.4028235e38).
std::optional<float> ToFloat(const QObject* self, const QJSValue& value, const char* member);
// Ends the script's current call with a RangeError (when the object is in a script).
void ThrowRangeError(const QObject* self, const QString& message);
// A float member held as a 32-bit integer: truncated toward zero, then within the long range.
std::optional<std::int32_t> ToTruncatedLong(const QObject* self, const QJSValue& value,
                                            const char* member);
// A stored float as the script's number: the double nearest the float's shortest decimal
// text, so that a price stored as 39.92f reads 39.92 (and converts back to the same float).
double FloatToScript(float value);

}  // namespace automation

}  // namespace velmora
