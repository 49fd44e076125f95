// A second process for the store's crash tests.
//   memo_child add FOLDER   adds reminders without end, moving every third one
//                           to the pending file; prints "added <text>" after
//                           each add has returned success.
//   memo_child full FOLDER  adds one large reminder under a file size limit
//                           just above the store's size; prints what it saw.
#include "reminders/modmemo.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <csignal>
#include <cstdio>
#include <sys/resource.h>
#include <unistd.h>

namespace {

int addForever()
{
    const QDate day(2030, 1, 1);
    for (int i = 0;; ++i) {
        const QString text = QStringLiteral("r%1-%2").arg(::getpid()).arg(i);
        const QString time = QTime(0, 0).addSecs(i % 86400).toString(QStringLiteral("HH:mm:ss"));
        if (!ModMemo::MemoAdd(day.addDays(i % 50), time, text))
            return 2;
        std::printf("added %s\n", qPrintable(text));
        std::fflush(stdout);
        if (i % 3 == 2 && ModMemo::MemoCount() > 0)
            ModMemo::moveToPending(ModMemo::Memos().constFirst());
    }
}

int addUnderSizeLimit()
{
    ModMemo::MemoLoad();
    const int before = ModMemo::MemoCount();
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{static_cast<rlim_t>(QFileInfo(ModMemo::memoFilePath()).size() + 100),
                       static_cast<rlim_t>(RLIM_INFINITY)};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    const ModMemo::Result r = ModMemo::MemoAdd(QDate(2030, 1, 1), QStringLiteral("10:00:00"), QString(4096, 'x'));
    std::printf("ok=%d count=%d before=%d error=%s\n", r.ok ? 1 : 0, ModMemo::MemoCount(), before, qPrintable(r.error));
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 3)
        return 1;
    ModMemo::MemoInit(QString::fromLocal8Bit(argv[2]));
    const QByteArray mode(argv[1]);
    if (mode == "add")
        return addForever();
    if (mode == "full")
        return addUnderSizeLimit();
    return 1;
}
