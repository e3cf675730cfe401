#pragma once
// Dates between the automation layer and the database. An automation date is a count of days
// since 30 December 1899 (midnight), with the time of day as the fraction; for days before
// that the fraction still counts forward from midnight (-1.25 is 29 December 1899, 6:00).
// Packed dates hold the years 1900 to 2155.

#include <optional>
#include <string_view>

#include "database/PackedDate.h"

namespace velmora {

// The day at midnight; 0 for kNoDate or a packed date that is not a calendar day.
double ToAutomationDate(PackedDate date);
// The day of the automation date (the time of day is ignored); kNoDate when it is not finite
// or lies outside the years a packed date holds.
PackedDate FromAutomationDate(double value);
// The packed date of a calendar day; kNoDate unless it is a real day of 1900..2155.
PackedDate CalendarDate(int year, int month, int day);

// The automation layer's date parser: the day of a text in one of the forms
//   yyyy-mm-dd, yyyy/mm/dd, m/d/yyyy, m/d/yy, d.m.yyyy, d.m.yy, yy-mm-dd (the database's form)
// optionally followed by a time of day ("hh:mm" or "hh:mm:ss"), which is checked and ignored.
// Two-digit years 00..29 are 20xx, 30..99 19xx. None for anything else or a day that does not
// exist.
std::optional<PackedDate> ParseAutomationDate(std::string_view text);

}  // namespace velmora
