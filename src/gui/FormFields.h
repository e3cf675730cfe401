#pragma once
// Small pieces shared by the windows and dialogs: dates between the database's packed form
// and Qt's, the date and number fields of their forms, and list columns wide enough for their
// titles and cells.

#include <QAbstractItemView>
#include <QDate>
#include <QDateEdit>
#include <QDoubleValidator>
#include <QHeaderView>
#include <QKeyEvent>
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

// Lets a date be typed whole ("2019-04-16"): a section filled by its digits moves on to the
// next one by itself, so a separator typed right after that is not taken as a second move.
class TypedDateKeys final : public QObject {
  public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return false;
        const QString typed = static_cast<QKeyEvent*>(event)->text();
        if (typed.size() != 1 || typed[0].isLetterOrNumber() || typed[0].isSpace()) return false;
        auto* edit = qobject_cast<QDateEdit*>(watched);
        if (edit == nullptr) edit = qobject_cast<QDateEdit*>(watched->parent());
        const QLineEdit* line = edit != nullptr ? edit->findChild<QLineEdit*>() : nullptr;
        if (line == nullptr) return false;
        const int at = line->hasSelectedText() ? line->selectionStart() : line->cursorPosition();
        return at > 0 && !line->text()[at - 1].isDigit();
    }
};

inline void AllowTypedDates(QDateEdit* edit) {
    auto* keys = new TypedDateKeys(edit);
    edit->installEventFilter(keys);
    if (auto* line = edit->findChild<QLineEdit*>()) line->installEventFilter(keys);
}

// A "yy-mm-dd" date field with a calendar popup, limited to the days a packed date can hold,
// starting on `day`; a date can be typed whole.
inline QDateEdit* MakeDateEdit(const QDate& day, QWidget* parent) {
    auto* edit = new QDateEdit(day, parent);
    AllowTypedDates(edit);
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

// Widens every column narrower than its title needs (in the header's own font, with the
// style's margins), so that no column title is cut; wider columns keep their width.
inline void FitColumnsToTitles(QHeaderView* header) {
    for (int c = 0; c < header->count(); ++c) {
        const int wanted = header->sectionSizeHint(c);
        if (header->sectionSize(c) < wanted) header->resizeSection(c, wanted);
    }
}

// The same for the cells: widens every column narrower than the widest of its cells shown.
inline void FitColumnsToCells(const QAbstractItemView& view, QHeaderView* header) {
    for (int c = 0; c < header->count(); ++c) {
        const int wanted = view.sizeHintForColumn(c);
        if (header->sectionSize(c) < wanted) header->resizeSection(c, wanted);
    }
}

}  // namespace velmora::gui
