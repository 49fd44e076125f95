#include "reminders/memowidgets.h"

#include <QCalendarWidget>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

namespace {
constexpr int kVisibleDays = 42;
constexpr int kDaysPerWeek = 7;
} // namespace

void stripDoubleQuotes(QPlainTextEdit* edit)
{
    if (!edit->toPlainText().contains(QLatin1Char('"')))
        return;
    const QSignalBlocker quiet(edit);
    QTextDocument* doc = edit->document();
    QTextCursor block(doc);
    block.beginEditBlock();
    for (QTextCursor found = doc->find(QStringLiteral("\"")); !found.isNull();
         found = doc->find(QStringLiteral("\""), found))
        found.removeSelectedText();
    block.endEditBlock();
}

QDate firstVisibleDay(const QCalendarWidget* calendar)
{
    const QDate first(calendar->yearShown(), calendar->monthShown(), 1);
    const int weekStart = static_cast<int>(calendar->firstDayOfWeek());
    int offset = (first.dayOfWeek() - weekStart + kDaysPerWeek) % kDaysPerWeek;
    if (offset == 0)
        offset = kDaysPerWeek;
    return first.addDays(-offset);
}

void boldMemoDays(QCalendarWidget* calendar, const QList<MemoRec>& memos)
{
    calendar->setDateTextFormat(QDate(), QTextCharFormat());
    if (memos.isEmpty())
        return;
    const QDate from = firstVisibleDay(calendar);
    const QDate to = from.addDays(kVisibleDays - 1);
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    auto it = std::lower_bound(memos.cbegin(), memos.cend(), from,
                               [](const MemoRec& rec, const QDate& day) { return rec.MemDate < day; });
    QDate last;
    for (; it != memos.cend() && it->MemDate <= to; ++it) {
        if (it->MemDate == last)
            continue;
        last = it->MemDate;
        calendar->setDateTextFormat(last, bold);
    }
}
