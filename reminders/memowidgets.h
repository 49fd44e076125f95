#pragma once

#include "reminders/memofile.h"

#include <QList>

class QCalendarWidget;
class QPlainTextEdit;

// Removes every double quote from a message editor (typed or pasted): the
// reminder files keep messages between double quotes. The cursor stays where
// it was in the remaining text.
void stripDoubleQuotes(QPlainTextEdit* edit);

// Makes bold the days of the month view's visible weeks that hold a reminder
// (`memos` sorted by day), and no other day.
void boldMemoDays(QCalendarWidget* calendar, const QList<MemoRec>& memos);

// The first of the 42 days a month view shows for its current page: it starts
// a whole week early when the month begins on the first day of a week.
QDate firstVisibleDay(const QCalendarWidget* calendar);
