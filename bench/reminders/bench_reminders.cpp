// Measures the reminder store and windows with 10^4 reminders: loading the
// file, an add and a delete with their sync to disk, the tick's check of an
// unchanged file, bolding the month view, and the processor time of twenty
// open notices on the real event loop. Run: ./bench_reminders [reminders] [seconds]
#include "platform/base/atomicfile.h"
#include "platform/base/windowsystem.h"
#include "reminders/form7.h"
#include "reminders/memowidgets.h"
#include "reminders/modmemo.h"
#include "reminders/reminderdesk.h"
#include "tests/support/testenv.h"
#include "tests/support/doubles/recordingwindowsystem.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTextStream>
#include <QTimer>

#include <sys/resource.h>

namespace {

QTextStream out(stdout);

double cpuSeconds()
{
    rusage u{};
    ::getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

template <typename F>
double msPer(int times, F&& f)
{
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < times; ++i)
        f(i);
    return double(t.nsecsElapsed()) / 1e6 / times;
}

QList<MemoRec> manyReminders(int n)
{
    QList<MemoRec> list;
    for (int i = 0; i < n; ++i)
        list.append(MemoRec{QDate(2027, 1, 1).addDays(i / 20), QTime(8, 0).addSecs(i % 20 * 600).toString("HH:mm:ss"),
                            QStringLiteral("Reminder %1: call the garage, then buy milk and bread").arg(i, 5)});
    return list;
}

} // namespace

int main(int argc, char** argv)
{
    testsupport::environment();
    QApplication app(argc, argv);
    const int count = argc > 1 ? QString(argv[1]).toInt() : 10000;
    const int seconds = argc > 2 ? QString(argv[2]).toInt() : 10;
    platform::RecordingWindowSystem windows;
    platform::setWindowSystem(&windows);

    const QString folder = testsupport::environment().root() + "/bench";
    QDir().mkpath(folder);
    ModMemo::MemoInit(); // the program folder, where the desk finds them
    platform::writeFileAtomically(ModMemo::memoFilePath(), writeMemoFile(manyReminders(count)));
    out << "reminders: " << count << ", file " << QFileInfo(ModMemo::memoFilePath()).size() / 1024 << " KB\n";

    const double load = msPer(20, [&](int) {
        ModMemo::MemoInit(); // forget the cached stamp
        ModMemo::MemoLoad();
    });
    out << "load:                       " << load << " ms\n";
    const double add = msPer(
        20, [&](int i) { ModMemo::MemoAdd(QDate(2027, 6, 1), "12:00:00", QStringLiteral("added %1").arg(i)); });
    out << "add (sorted, synced):       " << add << " ms\n";
    const double del = msPer(20, [&](int i) { ModMemo::MemoDelete(1 + i * 37); });
    out << "delete (synced):            " << del << " ms\n";
    const double unchanged = msPer(10000, [&](int) { ModMemo::MemoLoad(); });
    out << "load of an unchanged file:  " << unchanged * 1000 << " us\n";
    const QDateTime before(QDate(2026, 12, 9), QTime(12, 0));
    reminderDesk().start();
    const double tick = msPer(10000, [&](int) { reminderDesk().showDueReminders(before); });
    out << "tick's reminder check:      " << tick * 1000 << " us\n";

    QCalendarWidget calendar;
    calendar.setCurrentPage(2027, 3);
    const double bold = msPer(100, [&](int) { boldMemoDays(&calendar, ModMemo::Memos()); });
    out << "bolding the month view:     " << bold << " ms\n";

    // Twenty notices open on the real clock and event loop.
    ModMemo::MemoInit(folder + "/notices");
    QDir().mkpath(folder + "/notices");
    for (int i = 0; i < ReminderDesk::kMaxOpenNotices; ++i)
        ModMemo::MemoAppend(QDate(2026, 12, 9), "08:00:00", QStringLiteral("pending %1").arg(i));
    reminderDesk().MemoCheckDue();
    out << "open notices: " << reminderDesk().openDueNotices() << "\n";
    out.flush();
    const double cpu0 = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    QTimer::singleShot(seconds * 1000, &app, &QApplication::quit);
    app.exec();
    const double share = (cpuSeconds() - cpu0) / (double(wall.nsecsElapsed()) / 1e9) * 100.0;
    out << "twenty notices, processor:  " << share << " % of a core over " << seconds << " s\n";
    reminderDesk().closeAll();
    return 0;
}
