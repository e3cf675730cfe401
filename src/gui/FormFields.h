#pragma once
// Small pieces shared by the windows and dialogs: dates between the database's packed form
// and Qt's, and the date and number fields of their forms.

#include <QDate>
#include <QDateEdit>
#include <QDoubleValidator>
#include <QLineEdit>
#include <QString>

#include "database/PackedDate.h"

namespace velmora::gui {

// The day of a packed date; `fallback` (today unless given) where it names no real day.
inline QDate ToQDate(PackedDate date, const QDate& fallback = QDate::currentDate()) {
    const QDate d(DateYear(date), DateMonth(date), DateDay(date));
    return d.isValid() ? d : fallback;
}

inline PackedDate FromQDate(const QDate& d) {
    return MakeDate(d.year(), d.month(), d.day());
}

// A "yy-mm-dd" date field with a calendar popup, limited to the days a packed date can hold,
// starting on `day`.
inline QDateEdit* MakeDateEdit(const QDate& day, QWidget* parent) {
    auto* edit = new QDateEdit(day, parent);
    edit->setDisplayFormat(QStringLiteral("yy-MM-dd"));
    edit->setCalendarPopup(true);
    edit->setMinimumDate(QDate(1900, 1, 1));
    edit->setMaximumDate(QDate(2155, 12, 31));
    return edit;
}

// The same starting on `date` (on `fallback` where that names no real day).
inline QDateEdit* MakeDateEdit(PackedDate date, const QDate& fallback, QWidget* parent) {
    return MakeDateEdit(ToQDate(date, fallback), parent);
}

// A field for a decimal number, showing `value` with up to nine significant digits.
inline QLineEdit* MakeNumberEdit(float value, QWidget* parent) {
    auto* edit = new QLineEdit(QString::number(static_cast<double>(value), 'g', 9), parent);
    edit->setValidator(new QDoubleValidator(edit));
    return edit;
}

}  // namespace velmora::gui
