#include "automation/AutomationContext.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include "automation/AutomationDate.h"
#include "platform/Saturate.h"

namespace velmora {

Stock* StockRef::Get() const {
    if (stock_ == nullptr) return nullptr;
    const auto& stocks = db_->Stocks();
    if (hint_ >= 0 && static_cast<std::size_t>(hint_) < stocks.size() &&
        stocks[static_cast<std::size_t>(hint_)].get() == stock_) {
        return stock_;
    }
    for (std::size_t i = 0; i < stocks.size(); ++i) {
        if (stocks[i].get() == stock_) {
            hint_ = static_cast<int>(i);
            return stock_;
        }
    }
    return nullptr;
}

namespace automation {

QString ToQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string ToStdString(const QString& text) {
    return text.toUtf8().toStdString();
}

QDateTime ToDateTime(PackedDate date) {
    const QDate day(DateYear(date), DateMonth(date), DateDay(date));
    if (date == kNoDate || !day.isValid()) return {};
    return QDateTime(day, QTime(0, 0));
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
    const double n = value.toNumber();
    if (std::isnan(n)) return std::nullopt;
    return SaturateToInt32(n);
}

double FloatToScript(float value) {
    if (!std::isfinite(value)) return static_cast<double>(value);
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    double result = static_cast<double>(value);
    std::from_chars(text, end, result);
    return result;
}

std::optional<float> ToStoredFloat(double value) {
    if (std::isnan(value)) return std::nullopt;
    constexpr double kMax = std::numeric_limits<float>::max();
    return static_cast<float>(std::clamp(value, -kMax, kMax));
}

}  // namespace automation

}  // namespace velmora
