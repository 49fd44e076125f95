#include "reminders/reminderdesk.h"

#include "mainwindow/form1.h"
#include "reminders/form7.h"
#include "reminders/frmmemo.h"
#include "reminders/modmemo.h"

#include <QScopeGuard>

namespace {

const QString kTimeFormat = QStringLiteral("HH:mm:ss");

bool isDue(const MemoRec& rec, const QDate& today, const QString& tnow)
{
    return rec.MemDate < today || (rec.MemDate == today && rec.MemTime <= tnow);
}

} // namespace

ReminderDesk::ReminderDesk() = default;
ReminderDesk::~ReminderDesk() = default;

void ReminderDesk::attach(Form1* mainWindow) { m_main = mainWindow; }

Form1* ReminderDesk::mainWindow() const { return m_main; }

void ReminderDesk::start()
{
    ModMemo::MemoInit();
    ModMemo::MemoLoad();
    MemoCheckDue();
}

void ReminderDesk::MemoCheckDue()
{
    m_queued = ModMemo::pendingMemos();
    openQueuedPending();
}

bool ReminderDesk::editorVisible() const { return m_editor && m_editor->isVisible(); }

int ReminderDesk::memoCount() const
{
    ModMemo::MemoLoad();
    return ModMemo::MemoCount();
}

void ReminderDesk::showDueReminders(const QDateTime& now)
{
    // Showing a notice lets pending events run; a tick that comes in then must
    // not open the same reminder a second time.
    if (m_scanning)
        return;
    m_scanning = true;
    const auto done = qScopeGuard([this] { m_scanning = false; });
    ModMemo::MemoLoad();
    const QDate today = now.date();
    const QString tnow = now.time().toString(kTimeFormat);
    // Each round either moves a reminder out of the list or leaves one with a
    // notice that holds it; the bound only guards against a file that changes
    // under us without end.
    for (int rounds = ModMemo::MemoCount() + 1; rounds > 0 && openDueNotices() < kMaxOpenNotices; --rounds) {
        const QList<MemoRec>& memos = ModMemo::Memos();
        QList<MemoRec> held;
        qsizetype index = -1;
        for (qsizetype i = 0; i < memos.size() && isDue(memos[i], today, tnow); ++i) {
            if (holdsStored(memos[i], static_cast<int>(held.count(memos[i])))) {
                held.append(memos[i]);
                continue;
            }
            index = i;
            break;
        }
        if (index < 0)
            return;
        const MemoRec rec = memos[index];
        Form7* notice = newNotice();
        if (!notice->EnterMessa(static_cast<qint16>(qMin<qsizetype>(index + 1, 32767)), reminderTitle(rec),
                                Form7::DueReminder, rec.MemText, true, true, false, false, QStringLiteral("Delete"),
                                QStringLiteral("Snooze"), QString(), QString(), rec.MemDate, rec.MemTime,
                                rec.MemText))
            m_notices.removeAll(notice);
    }
}

bool ReminderDesk::holdsStored(const MemoRec& rec, int occurrence) const
{
    int holders = 0;
    for (const QPointer<Form7>& n : m_notices)
        if (n && n->pendingInStore() && n->pendingRecord() == rec)
            ++holders;
    return occurrence < holders;
}

Form7* ReminderDesk::newNotice()
{
    auto* notice = new Form7(m_main);
    m_notices.append(notice);
    connect(notice, &Form7::closed, this, [this, notice] { noticeClosed(notice); });
    return notice;
}

bool ReminderDesk::openPending(const MemoRec& rec)
{
    Form7* notice = newNotice();
    return notice->EnterMessa(0, reminderTitle(rec), Form7::PendingReminder, rec.MemText, true, true, false, false,
                              QStringLiteral("Delete"), QStringLiteral("Snooze"), QString(), QString(), rec.MemDate,
                              rec.MemTime, rec.MemText);
}

void ReminderDesk::openQueuedPending()
{
    if (m_queued.isEmpty() || openDueNotices() >= kMaxOpenNotices)
        return;
    // Another copy of the program may have answered some of them meanwhile.
    QList<MemoRec> stillPending = ModMemo::pendingMemos();
    while (!m_queued.isEmpty() && openDueNotices() < kMaxOpenNotices) {
        const MemoRec rec = m_queued.takeFirst();
        if (ModMemo::removeOneMemo(stillPending, rec))
            openPending(rec);
    }
}

void ReminderDesk::noticeClosed(Form7* notice)
{
    m_notices.removeAll(notice);
    openQueuedPending();
}

Form7* ReminderDesk::addReminder()
{
    if (editorVisible())
        return nullptr;
    Form7* notice = newNotice();
    notice->EnterMessa(0, QStringLiteral("Add New Reminder"), Form7::NewReminder, QString(), false, false, true, true,
                       QString(), QString(), QStringLiteral("Add"), QStringLiteral("Cancel"), QDate(), QString(),
                       QString());
    return notice;
}

Form7* ReminderDesk::showAutomaticMessage(const QString& message, std::function<void()> onClosed)
{
    Form7* notice = newNotice();
    if (onClosed)
        connect(notice, &Form7::closed, this, std::move(onClosed));
    notice->EnterMessa(0, QStringLiteral("Automatic Message"), Form7::AutomaticMessage, message, false, false, false,
                       true, QString(), QString(), QString(), QStringLiteral("Close"), QDate(), QString(), QString());
    return notice;
}

frmMemo* ReminderDesk::openEditor()
{
    if (!m_editor)
        m_editor = new frmMemo(m_main);
    if (m_editor->isVisible())
        m_editor->activateWindow();
    else
        m_editor->show();
    return m_editor;
}

QList<Form7*> ReminderDesk::notices() const
{
    QList<Form7*> open;
    for (const QPointer<Form7>& n : m_notices)
        if (n)
            open.append(n);
    return open;
}

int ReminderDesk::openDueNotices() const
{
    int count = 0;
    for (const QPointer<Form7>& n : m_notices)
        if (n && (n->mode() == Form7::DueReminder || n->mode() == Form7::PendingReminder))
            ++count;
    return count;
}

void ReminderDesk::closeAll()
{
    m_queued.clear();
    for (Form7* notice : notices())
        notice->close();
    m_notices.clear();
    if (m_editor)
        m_editor->close();
}

ReminderDesk& reminderDesk()
{
    // Never destroyed: its windows may outlive the event loop at the end.
    static auto* desk = new ReminderDesk;
    return *desk;
}
