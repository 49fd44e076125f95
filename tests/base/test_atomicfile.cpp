#include "platform/base/atomicfile.h"
#include "tests/support/testenv.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <cstdio>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

void put(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

// Everything in the folder but the names given.
QStringList othersIn(const QString& folder, const QStringList& expected)
{
    QStringList names = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& e : expected)
        names.removeAll(e);
    return names;
}

// A version of the file that tells whether it was written whole: a header with
// its number and length, then that many copies of one letter.
QByteArray version(int n, int size)
{
    QByteArray body(size, static_cast<char>('a' + n % 26));
    return QByteArray("version ") + QByteArray::number(n) + ' ' + QByteArray::number(size) + '\n' + body;
}

bool isWholeVersion(const QByteArray& bytes)
{
    const qsizetype eol = bytes.indexOf('\n');
    if (!bytes.startsWith("version ") || eol < 0)
        return false;
    const QList<QByteArray> head = bytes.left(eol).split(' ');
    if (head.size() != 3)
        return false;
    const int n = head[1].toInt();
    const int size = head[2].toInt();
    return bytes == version(n, size);
}

mode_t modeOf(const QString& path)
{
    struct stat st {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return st.st_mode & 07777;
}

// The helper modes of this executable, run as child processes by the tests.
int runHelper(const QStringList& args)
{
    if (args.value(1) == "--write-once") {
        const auto result = platform::writeFileAtomically(args.value(2), version(7, args.value(3).toInt()));
        if (!result) {
            fprintf(stdout, "%s", qPrintable(result.error));
            return 3;
        }
        return 0;
    }
    if (args.value(1) == "--write-forever") {
        for (int n = 1;; ++n) {
            platform::writeFileAtomically(args.value(2), version(n, 4096 + (n * 7919) % 200000));
            std::printf("%d\n", n);
            std::fflush(stdout);
        }
    }
    return -1;
}

QProcess* startHelper(const QStringList& args, rlim_t sizeLimit = RLIM_INFINITY, bool ignoreSizeSignal = true)
{
    auto* p = new QProcess;
    p->setProgram(QCoreApplication::applicationFilePath());
    p->setArguments(args);
    p->setChildProcessModifier([sizeLimit, ignoreSizeSignal] {
        if (ignoreSizeSignal)
            ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{sizeLimit, sizeLimit};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    });
    p->start();
    return p;
}

} // namespace

class TestAtomicFile : public QObject {
    Q_OBJECT
private slots:
    void replacesTheWholeFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("data.txt");
        put(path, QByteArray(10000, 'x'));
        QVERIFY(platform::writeFileAtomically(path, "short"));
        QCOMPARE(readAll(path), QByteArray("short"));
        QVERIFY(platform::writeFileAtomically(path, QByteArray()));
        QCOMPARE(readAll(path), QByteArray());
        QCOMPARE(othersIn(dir.path(), {"data.txt"}), QStringList());
    }

    void keepsTheModeOrSetsTheOneAskedFor()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("data.txt");
        put(path, "old");
        ::chmod(QFile::encodeName(path).constData(), 0640);
        QVERIFY(platform::writeFileAtomically(path, "new"));
        QCOMPARE(modeOf(path), mode_t(0640));
        QVERIFY(platform::writeFileAtomically(path, "exec", 0755));
        QCOMPARE(modeOf(path), mode_t(0755));

        const mode_t mask = ::umask(027);
        const QString fresh = dir.filePath("fresh.txt");
        QVERIFY(platform::writeFileAtomically(fresh, "x"));
        ::umask(mask);
        QCOMPARE(modeOf(fresh), mode_t(0640));
    }

    void followsSymbolicLinksToTheirFinalTarget()
    {
        QTemporaryDir dir;
        QDir().mkpath(dir.filePath("real"));
        const QString target = dir.filePath("real/target.conf");
        put(target, "old");
        QVERIFY(QFile::link("real/target.conf", dir.filePath("middle.conf")));
        QVERIFY(QFile::link(dir.filePath("middle.conf"), dir.filePath("first.conf")));
        QVERIFY(platform::writeFileAtomically(dir.filePath("first.conf"), "new"));
        QCOMPARE(readAll(target), QByteArray("new"));
        QVERIFY(QFileInfo(dir.filePath("first.conf")).isSymLink());
        QVERIFY(QFileInfo(dir.filePath("middle.conf")).isSymLink());
        QCOMPARE(platform::atomicWriteTarget(dir.filePath("first.conf")), target);
        QCOMPARE(othersIn(dir.filePath("real"), {"target.conf"}), QStringList());

        // A link to a file that does not exist yet creates that file.
        QVERIFY(QFile::link("real/later.conf", dir.filePath("dangling.conf")));
        QVERIFY(platform::writeFileAtomically(dir.filePath("dangling.conf"), "made"));
        QCOMPARE(readAll(dir.filePath("real/later.conf")), QByteArray("made"));
    }

    void refusesAFolderAndLeavesNothing()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("VN.conf");
        QVERIFY(QDir().mkpath(path));
        put(path + "/inside", "kept");
        const auto result = platform::writeFileAtomically(path, "data");
        QVERIFY(!result);
        QVERIFY(!result.error.isEmpty());
        QCOMPARE(readAll(path + "/inside"), QByteArray("kept"));
        QCOMPARE(othersIn(dir.path(), {"VN.conf"}), QStringList());

        QVERIFY(QFile::link("VN.conf", dir.filePath("link.conf")));
        QVERIFY(!platform::writeFileAtomically(dir.filePath("link.conf"), "data"));
        QCOMPARE(othersIn(dir.path(), {"VN.conf", "link.conf"}), QStringList());
    }

    void aMissingFolderIsAnError()
    {
        QTemporaryDir dir;
        const auto result = platform::writeFileAtomically(dir.filePath("no/such/file"), "data");
        QVERIFY(!result);
        QVERIFY(!result.error.isEmpty());
    }

    // A full disk, played by a file-size limit on a child process: the write
    // fails, says why, and leaves the old file and no temporary.
    void aFullDiskKeepsTheOldFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("VN.conf");
        const QByteArray old = version(1, 100);
        put(path, old);
        std::unique_ptr<QProcess> child(startHelper({"--write-once", path, "65536"}, 4096));
        QVERIFY(child->waitForFinished(20000));
        QCOMPARE(child->exitStatus(), QProcess::NormalExit);
        QCOMPARE(child->exitCode(), 3);
        QVERIFY(!child->readAllStandardOutput().isEmpty());
        QCOMPARE(readAll(path), old);
        QCOMPARE(othersIn(dir.path(), {"VN.conf"}), QStringList());

        // Within the limit the same child succeeds.
        child.reset(startHelper({"--write-once", path, "1000"}, 4096));
        QVERIFY(child->waitForFinished(20000));
        QCOMPARE(child->exitCode(), 0);
        QCOMPARE(readAll(path), version(7, 1000));
    }

    // Killed by the size limit's signal in the middle of its write: the old file
    // stays, and the next write removes the dead writer's temporary.
    void aWriterKilledMidWayLeavesTheOldFileAndLitterTheNextWriteRemoves()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("VN.conf");
        const QByteArray old = version(1, 100);
        put(path, old);
        std::unique_ptr<QProcess> child(startHelper({"--write-once", path, "65536"}, 4096, false));
        QVERIFY(child->waitForFinished(20000));
        QCOMPARE(child->exitStatus(), QProcess::CrashExit);
        QCOMPARE(readAll(path), old);
        QCOMPARE(othersIn(dir.path(), {"VN.conf"}).size(), 1);
        QVERIFY(platform::writeFileAtomically(path, "next"));
        QCOMPARE(othersIn(dir.path(), {"VN.conf"}), QStringList());
    }

    void aLiveWritersTemporaryIsNotTakenForLitter()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("VN.conf");
        const QString live = path + ".vantora-tmp-" + QString::number(::getppid()) + "-abcdef";
        const QString dead = path + ".vantora-tmp-999999999-abcdef";
        put(live, "someone else's");
        const QString unrelated = path + ".vantora-tmp-notes";
        put(live, "someone else's");
        put(dead, "nobody's");
        put(unrelated, "a user's file");
        QVERIFY(platform::writeFileAtomically(path, "x"));
        QVERIFY(QFile::exists(live));
        QVERIFY(QFile::exists(unrelated));
        QVERIFY(!QFile::exists(dead));
    }

    void killedWritersAlwaysLeaveAWholeFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("VN.conf");
        put(path, version(0, 10));
        for (int round = 0; round < 60; ++round) {
            std::unique_ptr<QProcess> child(startHelper({"--write-forever", path}));
            QVERIFY(child->waitForStarted(20000));
            QVERIFY(testsupport::killAfterReportedWrites(*child, 1 + QRandomGenerator::global()->bounded(3)));
            const QByteArray now = readAll(path);
            QVERIFY2(isWholeVersion(now), qPrintable(QString("round %1: %2 bytes").arg(round).arg(now.size())));
        }
        QVERIFY(platform::writeFileAtomically(path, version(99, 10)));
        QCOMPARE(othersIn(dir.path(), {"VN.conf"}), QStringList());
    }
};

int main(int argc, char** argv)
{
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    if (args.value(1).startsWith("--write-"))
        return runHelper(args);
    testsupport::environment();
    QCoreApplication app(argc, argv);
    TestAtomicFile tc;
    return QTest::qExec(&tc, argc, argv);
}

#include "test_atomicfile.moc"
