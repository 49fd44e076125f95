#include "core/mainwin.h"
#include "mainwindow/appwindows.h"
#include "platform/base/atomicfile.h"
#include "platform/system/singleinstance.h"
#include "reminders/form7.h"
#include "reminders/modmemo.h"
#include "reminders/reminderdesk.h"
#include "tests/mainwindow/form1fixture.h"
#include "tests/support/testenv.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QRandomGenerator>
#include <QSet>
#include <QTest>
#include <QTimeEdit>

#include <csignal>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

using testsupport::Form1Fixture;

namespace {

const QDate kToday(2026, 12, 9);

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

MemoRec rec(int daysAgo, const char* time, const QString& text)
{
    return MemoRec{kToday.addDays(-daysAgo), QString::fromLatin1(time), text};
}

// The messages a file holds, sorted.
QStringList storedTexts(const QString& path)
{
    QStringList out;
    for (const MemoRec& r : parseMemoFile(readFile(path)).records)
        out << r.MemText;
    out.sort();
    return out;
}

// The messages of both files of a folder, sorted.
QStringList stored(const QString& folder)
{
    QStringList out = storedTexts(folder + "/VNMemo.log") + storedTexts(folder + "/VNTemp.log");
    out.sort();
    return out;
}

QString textOf(Form7* n) { return n->findChild<QPlainTextEdit*>("Text1")->toPlainText(); }

// The notice windows the user sees.
QList<Form7*> shown()
{
    QList<Form7*> out;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* n = qobject_cast<Form7*>(w); n && n->isVisible())
            out << n;
    return out;
}

// What they show, "title|message" each, without repeats.
QSet<QString> shownOnce()
{
    QSet<QString> out;
    for (Form7* n : shown())
        out << n->windowTitle() + '|' + textOf(n);
    return out;
}

Form7* showing(const QString& text)
{
    for (Form7* n : shown())
        if (textOf(n) == text)
            return n;
    return nullptr;
}

void press(Form7* n, const char* key) { n->findChild<QAction*>(key)->trigger(); }

// The reminder start-up of the program, closing every notice by its frame so
// that the next ones come in, until each had one.
void startUpClosingEveryNotice()
{
    reminderDesk().start();
    reminderDesk().showDueReminders(platform::clock().now());
    while (!reminderDesk().notices().isEmpty()) {
        for (Form7* notice : reminderDesk().notices())
            notice->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        reminderDesk().showDueReminders(platform::clock().now());
    }
}

// That start-up in a copy of this process, which kills itself (SIGKILL)
// killAfterUs microseconds in: true when it was killed, false when it ended.
// (The only other thread, QtTest's watchdog, holds nothing the copy needs.)
bool startKilledAfter(qint64 killAfterUs)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        std::signal(SIGALRM, [](int) { ::kill(::getpid(), SIGKILL); });
        itimerval when{};
        when.it_value.tv_sec = static_cast<time_t>(killAfterUs / 1000000);
        when.it_value.tv_usec = static_cast<suseconds_t>(killAfterUs % 1000000);
        ::setitimer(ITIMER_REAL, &when, nullptr);
        startUpClosingEveryNotice();
        ::_exit(0);
    }
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid)
        qFatal("no copy of the test to kill");
    if (WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)
        return true;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        qFatal("the copy of the test failed (status %d)", status);
    return false;
}

} // namespace

class TestReminderStart : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<Form1Fixture> m_fixture;
    Form1Fixture& f() { return *m_fixture; }

    // The store as a user left it.
    static void store(const QList<MemoRec>& waiting, const QList<MemoRec>& pending, const QByteArray& tail = {})
    {
        ModMemo::MemoInit();
        QVERIFY(platform::writeFileAtomically(ModMemo::memoFilePath(), writeMemoFile(waiting) + tail));
        QVERIFY(platform::writeFileAtomically(ModMemo::tempFilePath(), writeMemoFile(pending)));
    }
    // The program's own start-up, and its first second.
    void start()
    {
        MainWin::Main();
        f().clock().advance(1000);
    }
    void startWith(const QList<MemoRec>& waiting, const QList<MemoRec>& pending, const QByteArray& tail = {})
    {
        store(waiting, pending, tail);
        start();
    }

private slots:
    void init()
    {
        platform::releaseInstanceLock();
        m_fixture = std::make_unique<Form1Fixture>(QDateTime(kToday, QTime(10, 0, 0)));
        Form1Fixture::setOption("FirstUse2", "False");
        MainWin::setStartupWindows(&appWindows());
    }
    void cleanup()
    {
        appWindows().unloadAll();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        MainWin::setStartupWindows(nullptr);
        m_fixture.reset();
    }

    // Due yesterday, due earlier today, pending from an earlier run, and
    // later, in a hand-written order with later reminders first: one notice
    // per due or pending reminder. Then each answer leaves the right records.
    void eachDueOrPendingReminderOpensOneNotice()
    {
        QList<MemoRec> waiting;
        for (int i = 0; i < 37; ++i)
            waiting << rec(-1 - i % 5, "08:00:00", QString("later %1").arg(i));
        waiting << rec(0, "10:00:05", "later today");
        QStringList pendingAfter = {"pending a", "pending b", "pending c"};
        for (int i = 0; i < 12; ++i) {
            waiting << rec(i < 5 ? 1 : 0, i < 5 ? "21:00:00" : "09:00:00", QString("due %1").arg(i));
            pendingAfter << QString("due %1").arg(i);
        }
        pendingAfter.sort();
        startWith(waiting,
                  {rec(2, "07:00:00", "pending a"), rec(1, "07:00:00", "pending b"), rec(1, "07:30:00", "pending c")});
        QCOMPARE(shown().size(), 15);
        QCOMPARE(shownOnce().size(), 15);
        QCOMPARE(storedTexts(ModMemo::tempFilePath()), pendingAfter);
        f().clock().advance(4000);
        QCOMPARE(shownOnce().size(), 16); // "later today"
        QCOMPARE(shown().size(), 16);

        // Snooze, then Cancel: the notice comes back, the reminder stays pending.
        Form7* a = showing("pending a");
        press(a, "Snrem");
        a->findChild<QPlainTextEdit*>("Text1")->setPlainText("changed my mind");
        press(a, "Canrem");
        QVERIFY(a->isVisible());
        QCOMPARE(a->mode(), qint16(Form7::PendingReminder));
        QCOMPARE(textOf(a), QString("pending a"));
        QVERIFY(storedTexts(ModMemo::tempFilePath()).contains("pending a"));
        // Snooze, then Add: it waits again at its new time.
        Form7* b = showing("due 3");
        press(b, "Snrem");
        b->findChild<QTimeEdit*>("DTPicker1")->setTime(QTime(11, 0));
        press(b, "Adrem");
        QVERIFY(!storedTexts(ModMemo::tempFilePath()).contains("due 3"));
        QVERIFY(storedTexts(ModMemo::memoFilePath()).contains("due 3"));
        // Delete: gone from both files; nothing else is.
        press(showing("pending b"), "Strem");
        QCOMPARE(shown().size(), 14);
        QStringList left;
        for (const MemoRec& r : waiting)
            left << r.MemText;
        left << "pending a"
             << "pending c";
        left.sort();
        QCOMPARE(stored(QFileInfo(ModMemo::memoFilePath()).absolutePath()), left);
    }

    // A hundred due and twenty-five pending at start: twenty at a time, each
    // Delete lets in one not shown yet, until each was shown once. The
    // notices' current time is kept on the second, by one timer for them all.
    void aHundredDueAreEachShownOnce()
    {
        QList<MemoRec> waiting;
        QList<MemoRec> pending;
        for (int i = 0; i < 100; ++i)
            waiting << rec(1, "12:00:00", QString("due %1").arg(i));
        for (int i = 0; i < 25; ++i)
            pending << rec(3, "12:00:00", QString("pending %1").arg(i));
        startWith(waiting, pending);
        QCOMPARE(shown().size(), 20);
        f().clock().advance(10000); // past the start's one-shot timers too
        for (Form7* n : shown())
            QCOMPARE(n->findChild<QLabel*>("Label1_0")->text(), QString("10:00:11"));
        const int timersWithTwenty = f().clock().scheduledCount();
        QSet<QString> seen;
        for (int deletes = 0; !shown().isEmpty(); ++deletes) {
            QVERIFY(shown().size() <= 20);
            QCOMPARE(shownOnce().size(), shown().size());
            seen += shownOnce();
            QCOMPARE(seen.size(), deletes + shown().size());
            press(shown().first(), "Strem");
            f().clock().advance(1000);
        }
        QCOMPARE(seen.size(), 125);
        QCOMPARE(stored(QFileInfo(ModMemo::memoFilePath()).absolutePath()), QStringList());
        QCOMPARE(f().clock().scheduledCount(), timersWithTwenty - 1);
    }

    // A killed run's leftovers: temporaries of a write cut short, and a
    // reminder in both files (its move cut short) that must show once.
    void whatAKilledRunLeftIsRepaired()
    {
        const MemoRec moving = rec(1, "09:00:00", "moving");
        store({moving, rec(-1, "09:00:00", "tomorrow")}, {moving});
        const pid_t gone = ::fork();
        if (gone == 0)
            ::_exit(0);
        ::waitpid(gone, nullptr, 0);
        for (const QString& path : {ModMemo::memoFilePath(), ModMemo::tempFilePath()})
            QVERIFY(platform::writeFileAtomically(path + QString(".vantora-tmp-%1-Ab3xYz").arg(gone), "half"));
        start();
        QCOMPARE(shown().size(), 1);
        QCOMPARE(shownOnce(), QSet<QString>({"Vantora - Reminder - 12/8/2026 (09:00:00)|moving"}));
        QCOMPARE(storedTexts(ModMemo::memoFilePath()), QStringList({"tomorrow"}));
        QCOMPARE(storedTexts(ModMemo::tempFilePath()), QStringList({"moving"}));
        QCOMPARE(QDir(QFileInfo(ModMemo::memoFilePath()).absolutePath()).entryList({"*.vantora-tmp-*"}), QStringList());
    }

    void aDamagedFileIsToldOnce()
    {
        startWith({rec(-1, "09:00:00", "readable")}, {}, "#2026-12-10#\r\nnot a time\r\n\"lost?\"\r\n");
        QTRY_COMPARE(f().dialogs().messageCount(), 1);
        const auto& box = f().dialogs().shown().first();
        QCOMPARE(box.title, QString("Vantora"));
        const QString copy = ModMemo::memoFilePath() + ".damaged-2026-12-09";
        QVERIFY2(box.prompt.contains(ModMemo::memoFilePath() + "\r\n") && box.prompt.contains(copy),
                 qPrintable(box.prompt));
        QVERIFY(readFile(copy).endsWith("\"lost?\"\r\n"));
        QCOMPARE(storedTexts(ModMemo::memoFilePath() + ".damaged-2026-12-09"), QStringList({"readable"}));
        // Damaged again while running: not told a second time.
        QVERIFY(platform::writeFileAtomically(ModMemo::memoFilePath(),
                                              writeMemoFile({rec(-1, "09:00:00", "again")}) + "garbage\r\n"));
        f().clock().advance(2000);
        QCoreApplication::processEvents();
        QCOMPARE(f().dialogs().messageCount(), 1);
    }

    // The start-up, moving due reminders to the pending file, is killed at
    // random moments (in copies of this process), each start going on from
    // what the last one left. No reminder is ever lost, at most the one move
    // cut short leaves a reminder in both files, and what the next start makes
    // of it (tried on a copy) holds every reminder in exactly one file and no
    // temporaries.
    void aKilledStartUpLeavesEachReminderInOneFile()
    {
        QList<MemoRec> waiting;
        for (int i = 0; i < 4; ++i)
            waiting << rec(1 + i % 2, "09:00:00", QString("due %1").arg(i));
        const QList<MemoRec> pending = {rec(2, "08:00:00", "pending")};
        const QString folder = QFileInfo(ModMemo::memoFilePath()).absolutePath();
        const QString scratch = testsupport::environment().root() + "/next-start";
        auto clean = [] {
            return parseMemoFile(readFile(ModMemo::memoFilePath())).clean
                && parseMemoFile(readFile(ModMemo::tempFilePath())).clean;
        };
        auto leftovers = [](const QString& in) { return QDir(in).entryList({"*.vantora-tmp-*"}, QDir::Files); };
        // A whole start, here: how long one takes, and every library and
        // symbol it needs loaded before the copies are made.
        store(waiting, pending);
        QElapsedTimer whole;
        whole.start();
        startUpClosingEveryNotice();
        const qint64 wholeUs = whole.nsecsElapsed() / 1000;
        reminderDesk().closeAll();
        const QStringList all = stored(folder);
        QCOMPARE(all.size(), 5);
        QRandomGenerator g(1919);
        const int wanted = testsupport::iterations(200, 25);
        for (int round = 0, kills = 0; kills < wanted; ++round) {
            QVERIFY2(round < 10 * wanted, "too few starts were killed");
            if (storedTexts(ModMemo::memoFilePath()).isEmpty())
                store(waiting, pending);
            const bool killed = startKilledAfter(g.bounded(qint64(1), wholeUs + 1));
            const QString at = QString("round %1").arg(round);
            QVERIFY2(clean(), qPrintable(at));
            QStringList now = stored(folder);
            if (!killed) {
                QCOMPARE(now, all);
                QCOMPARE(leftovers(folder), QStringList());
                continue;
            }
            ++kills;
            QVERIFY2(now.size() <= all.size() + 1, qPrintable(at));
            now.removeDuplicates();
            QCOMPARE(now, all);

            QDir(scratch).removeRecursively();
            QDir().mkpath(scratch);
            for (const QString& name : QDir(folder).entryList(QDir::Files))
                QFile::copy(folder + "/" + name, scratch + "/" + name);
            ModMemo::MemoInit(scratch);
            ModMemo::MemoRecover();
            ModMemo::MemoInit();
            QCOMPARE(stored(scratch), all);
            QCOMPARE(leftovers(scratch), QStringList());
        }
    }
};

VANTORA_TEST_MAIN(TestReminderStart)
#include "test_reminderstart.moc"
