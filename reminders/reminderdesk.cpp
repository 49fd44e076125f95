#include "reminders/reminderdesk.h"

#include "reminders/form7.h"
#include "reminders/frmmemo.h"
#include "reminders/modmemo.h"
#include "platform/base/clock.h"
#include "platform/base/dialogs.h"

#include <QCoreApplication>
#include <QDir>
#include <QScopeGuard>
#include <QTimer>

namespace {

const QString kTimeFormat = QStringLiteral("HH:mm:ss");

bool isDue(const MemoRec& rec, const QDate& today, const QString& tnow)
{
    return rec.MemDate < today || (rec.MemDate == today && rec.MemTime <= tnow);
}

constexpr int kPulseMs = 500;
constexpr int kEarlyMs = 100; // a system timer may fire a little early

// The moment of the pulse now due: the next half second when it came early.
QTime pulseTime() { return platform::clock().now().time().addMSecs(kEarlyMs); }

int msToNextPulse() { return kPulseMs - pulseTime().msec() % kPulseMs + kEarlyMs; }

QString damageMessage(const ModMemo::Damage& d)
{
    QString text = QStringLiteral("Some reminders in\r\n%1\r\ncould not be read (%2).\r\n\r\n"
                                  "Vantora keeps the reminders it could read.")
                       .arg(QDir::toNativeSeparators(d.file), d.problem);
    if (!d.copy.isEmpty())
        text += QStringLiteral(" The file as it was is kept as\r\n%1").arg(QDir::toNativeSeparators(d.copy));
    else
        text += QStringLiteral(" The file is left untouched.");
    return text;
}

} // namespace

ReminderDesk::ReminderDesk() { connect(&m_pulse, &platform::Timer::timeout, this, &ReminderDesk::pulse); }

ReminderDesk::~ReminderDesk() = default;

void ReminderDesk::attach(AppHost* host) { m_host = host; }

AppHost* ReminderDesk::host() const { return m_host.get(); }

void ReminderDesk::start()
{
    ModMemo::MemoInit();
    ModMemo::MemoRecover();
    ModMemo::MemoLoad();
    m_started = true;
    m_damageTold = false;
    MemoCheckDue();
    tellDamage();
}

void ReminderDesk::MemoCheckDue()
{
    m_queued = ModMemo::pendingMemos();
    openQueuedPending();
}

void ReminderDesk::tellDamage() const
{
    const QList<ModMemo::Damage> damage = ModMemo::takeDamage();
    if (damage.isEmpty() || m_damageTold)
        return;
    m_damageTold = true;
    // Told from the event loop, never inside the start-up or the tick.
    QTimer::singleShot(0, QCoreApplication::instance(), [message = damageMessage(damage.constFirst())] {
        platform::dialogs().msgBox(message, platform::mb::OkOnly | platform::mb::Exclamation,
                                   QStringLiteral("Vantora"));
    });
}

void ReminderDesk::startPulse()
{
    if (m_pulse.isEnabled())
        return;
    m_shownSecond.clear();
    m_pulse.setInterval(msToNextPulse());
    m_pulse.setEnabled(true);
}

void ReminderDesk::pulse()
{
    m_pulse.setInterval(msToNextPulse());
    emit halfSecond();
    const QString second = pulseTime().toString(kTimeFormat);
    if (second != m_shownSecond) {
        m_shownSecond = second;
        emit secondTicked(second);
    }
}

bool ReminderDesk::editorVisible() const { return m_editor && m_editor->isVisible(); }

int ReminderDesk::memoCount() const
{
    if (!m_started)
        return 0;
    ModMemo::MemoLoad();
    tellDamage();
    return ModMemo::MemoCount();
}

void ReminderDesk::showDueReminders(const QDateTime& now)
{
    // Showing a notice lets pending events run; a tick that comes in then must
    // not open the same reminder a second time.
    if (m_scanning || !m_started)
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
        // A copy: the list changes while the notice opens.
        const MemoRec rec = memos[index]; // NOLINT(performance-unnecessary-copy-initialization)
        Form7* notice = newNotice();
        if (!notice->EnterMessa(static_cast<qint16>(qMin<qsizetype>(index + 1, 32767)), reminderTitle(rec),
                                Form7::DueReminder, rec.MemText, true, true, false, false, QStringLiteral("Delete"),
                                QStringLiteral("Snooze"), QString(), QString(), rec.MemDate, rec.MemTime, rec.MemText))
            noticeClosed(notice);
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
    auto* notice = new Form7(m_host);
    m_notices.append(notice);
    connect(notice, &Form7::closed, this, [this, notice] { noticeClosed(notice); });
    connect(this, &ReminderDesk::secondTicked, notice, &Form7::showCurrentTime);
    connect(this, &ReminderDesk::halfSecond, notice, &Form7::blink);
    startPulse();
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
    // Only what is still pending (another copy of the program may have
    // answered some meanwhile) and has no notice open (the tick may have shown
    // it already) gets a window.
    QList<MemoRec> unshown = ModMemo::pendingMemos();
    for (const QPointer<Form7>& n : m_notices)
        if (n && n->pendingInTemp())
            ModMemo::removeOneMemo(unshown, n->pendingRecord());
    while (!m_queued.isEmpty() && openDueNotices() < kMaxOpenNotices) {
        const MemoRec rec = m_queued.takeFirst();
        if (ModMemo::removeOneMemo(unshown, rec))
            openPending(rec);
    }
    tellDamage();
}

void ReminderDesk::noticeClosed(Form7* notice)
{
    m_notices.removeAll(notice);
    if (notices().isEmpty())
        m_pulse.setEnabled(false);
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
        m_editor = new frmMemo(m_host);
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
        if (n && n->holdsPending())
            ++count;
    return count;
}

void ReminderDesk::closeAll()
{
    m_started = false;
    m_queued.clear();
    for (Form7* notice : notices())
        notice->close();
    m_notices.clear();
    m_pulse.setEnabled(false);
    if (m_editor)
        m_editor->close();
}

ReminderDesk& reminderDesk()
{
    // Never destroyed: its windows may outlive the event loop at the end.
    static auto* desk = new ReminderDesk;
    return *desk;
}
