#include "automation/AutomationContext.h"

#include <QCoreApplication>
#include <QEvent>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include "automation/AutomationDate.h"
#include "platform/PlainText.h"
#include "platform/Saturate.h"

namespace velmora {

Stock* StockRef::Get() const {
    if (serial_ == 0) return nullptr;
    const auto& stocks = db_->Stocks();
    if (hint_ >= 0 && static_cast<std::size_t>(hint_) < stocks.size() &&
        stocks[static_cast<std::size_t>(hint_)]->Serial == serial_) {
        return stocks[static_cast<std::size_t>(hint_)].get();
    }
    for (std::size_t i = 0; i < stocks.size(); ++i) {
        if (stocks[i]->Serial == serial_) {
            hint_ = static_cast<int>(i);
            return stocks[i].get();
        }
    }
    return nullptr;
}

std::uint64_t AutomationContext::Removals(std::uint64_t owner, PackedDate day) const {
    const auto found = removals_.find({owner, day});
    return found != removals_.end() ? found->second : 0;
}

void AutomationContext::WrapperMade() {
    // Often enough to keep a long loop's memory flat, seldom enough to cost nothing.
    constexpr std::uint32_t kSweepEvery = 4096;
    if (++wrappersMade_ % kSweepEvery != 0 || QCoreApplication::instance() == nullptr) return;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

namespace automation {

QString ToQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string ToStdString(const QString& text) {
    return text.toUtf8().toStdString();
}

bool PlainOrShown(AutomationContext& context, std::string_view what, std::string_view text) {
    const Status plain = CheckPlainText(what, text);
    if (!plain) context.ui.ShowMessage(plain.ToString());
    return plain.IsOk();
}

QDateTime ToDateTime(PackedDate date) {
    const QDate day(DateYear(date), DateMonth(date), DateDay(date));
    if (date == kNoDate || !day.isValid()) return {};
    return day.startOfDay(Qt::LocalTime);
}

std::optional<PackedDate> ToPackedDate(const QJSValue& value, bool acceptNumber) {
    PackedDate date = kNoDate;
    if (value.isDate()) {
        const QDate day = value.toDateTime().toLocalTime().date();
        if (!day.isValid()) return std::nullopt;
        date = CalendarDate(day.year(), day.month(), day.day());
    } else if (value.isString()) {
        return ParseAutomationDate(ToStdString(value.toString()));
    } else if (value.isNumber() && acceptNumber) {
        date = FromAutomationDate(value.toNumber());
    } else {
        return std::nullopt;
    }
    if (date == kNoDate) return std::nullopt;
    return date;
}

std::optional<long long> ToPosition(const QJSValue& value) {
    if (value.isBool()) return value.toBool() ? -1 : 0;
    if (!value.isNumber()) return std::nullopt;
    const double n = std::nearbyint(value.toNumber());
    if (!(n >= -2147483648.0 && n <= 2147483647.0)) return std::nullopt;
    return static_cast<long long>(n);
}

namespace {

// Ends the script's current call with an error of that kind (when the object is in a script).
void Throw(const QObject* self, QJSValue::ErrorType type, const QString& message) {
    if (QJSEngine* engine = qjsEngine(self)) engine->throwError(type, message);
}

// A value as the messages show it: a text in quotes.
QString Shown(const QJSValue& value) {
    return value.isString() ? QLatin1Char('"') + value.toString() + QLatin1Char('"')
                            : value.toString();
}

void ThrowNotNumber(const QObject* self, const QJSValue& value, const char* member) {
    Throw(self, QJSValue::TypeError,
          QStringLiteral("%1: %2 is not a number").arg(QLatin1String(member), Shown(value)));
}

}  // namespace

void ThrowRangeError(const QObject* self, const QString& message) {
    Throw(self, QJSValue::RangeError, message);
}

std::optional<std::int64_t> ToInteger(const QObject* self, const QJSValue& value,
                                      const char* member, std::int64_t lowest,
                                      std::int64_t highest) {
    if (!value.isNumber()) {
        ThrowNotNumber(self, value, member);
        return std::nullopt;
    }
    const double n = std::nearbyint(value.toNumber());
    if (!(n >= static_cast<double>(lowest) && n <= static_cast<double>(highest))) {
        Throw(self, QJSValue::RangeError,
              QStringLiteral("%1: %2 is outside %3..%4")
                  .arg(QLatin1String(member), value.toString())
                  .arg(lowest)
                  .arg(highest));
        return std::nullopt;
    }
    return static_cast<std::int64_t>(n);
}

std::optional<std::int32_t> ToLong(const QObject* self, const QJSValue& value, const char* member) {
    const auto n = ToInteger(self, value, member, kInt32Min, kInt32Max);
    if (!n) return std::nullopt;
    return static_cast<std::int32_t>(*n);
}

std::optional<std::int16_t> ToShort(const QObject* self, const QJSValue& value,
                                    const char* member) {
    const auto n = ToInteger(self, value, member, std::numeric_limits<std::int16_t>::min(),
                             std::numeric_limits<std::int16_t>::max());
    if (!n) return std::nullopt;
    return static_cast<std::int16_t>(*n);
}

std::optional<float> ToFloat(const QObject* self, const QJSValue& value, const char* member) {
    if (!value.isNumber()) {
        ThrowNotNumber(self, value, member);
        return std::nullopt;
    }
    const double n = value.toNumber();
    constexpr double kMax = std::numeric_limits<float>::max();
    if (!(n >= -kMax && n <= kMax)) {
        Throw(self, QJSValue::RangeError,
              QStringLiteral("%1: %2 is outside the float range")
                  .arg(QLatin1String(member), value.toString()));
        return std::nullopt;
    }
    return static_cast<float>(n);
}

std::optional<std::int32_t> ToTruncatedLong(const QObject* self, const QJSValue& value,
                                            const char* member) {
    if (!value.isNumber()) {
        ThrowNotNumber(self, value, member);
        return std::nullopt;
    }
    const double n = std::trunc(value.toNumber());
    if (!(n >= -2147483648.0 && n <= 2147483647.0)) {
        Throw(self, QJSValue::RangeError,
              QStringLiteral("%1: %2 is outside -2147483648..2147483647")
                  .arg(QLatin1String(member), value.toString()));
        return std::nullopt;
    }
    return static_cast<std::int32_t>(n);
}

double FloatToScript(float value) {
    if (!std::isfinite(value)) return static_cast<double>(value);
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    double result = static_cast<double>(value);
    std::from_chars(text, end, result);
    return result;
}

}  // namespace automation

}  // namespace velmora
