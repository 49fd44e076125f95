#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>

namespace platform {

// The runtime's Format of a date and time with a named pattern, for example
// "dddd dd mmmm yyyy" -> "Wednesday 09 December 2026" or
// "ddd dd mmm yyyy - hh:mm:ss" -> "Wed 09 Dec 2026 - 07:05:03".
//   d dd ddd dddd   day, day with zero, short and long day name
//   ddddd dddddd    short date text, long date text
//   m mm mmm mmmm   month, month with zero, short and long month name
//   yy yyyy y       year of two or four digits, day of the year
//   h hh            hour (0-23, or 1-12 when an AM/PM part is present)
//   n nn            minute;  s ss  second
//   w ww q          day of the week (1 = Sunday), week of the year, quarter
//   AM/PM am/pm A/P a/p AMPM   half-day mark
//   \x "text"       literal character and literal text
// "m"/"mm" stands for the minute when the date or time part before it is an
// hour or the one after it is a second, and for the month otherwise; so
// "hh:mm" and "mm:ss" show minutes, while "mm" alone is the month, as in the
// runtime (use "nn" for the minute alone). Letters that are not parts of the
// pattern and all other characters, ":" and "/" included, are copied as they
// are. Day and month names follow the default QLocale.
QString formatDateTime(const QDateTime& dateTime, const QString& pattern);

// formatDateTime for a time of day alone (its date is the runtime's day zero,
// 30 December 1899).
QString formatTime(const QTime& time, const QString& pattern);

// The runtime's Format of numeric text with a digit pattern:
// formatNumberPattern("073000", "00:00:00") -> "07:30:00", ("730", "00:00") -> "07:30".
// The text is read as a number; its digits fill the pattern's "0" and "#"
// places from the right ("0" shows a zero when the digits have run out, "#"
// shows nothing); digits beyond the places go in front of the first place
// (without places before the point they follow the text before the point).
// A "." in the pattern is the decimal point: the places after it take the
// rounded fraction. Other characters are copied ("\x" and "text" as literals).
// Text that is not numeric is returned unchanged; an empty pattern gives the
// number's plain text.
QString formatNumberPattern(const QString& digits, const QString& pattern);

// The runtime's text of a date value (its short date form): the default
// QLocale's short date format with the year always in four digits,
// "12/9/2026" in US English.
QString shortDateText(const QDate& date);

} // namespace platform
