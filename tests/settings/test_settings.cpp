#include "platform/base/storefile.h"
#include "platform/settings/settings.h"
#include "platform/settings/settingsfile.h"
#include "tests/support/testenv.h"
#include "tests/support/doubles/scripteddialogs.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <cstdlib>
#include <memory>

using platform::deleteSetting;
using platform::getSetting;
using platform::saveSetting;
using platform::settingsFilePath;

namespace {

const char* const childVariable = "VANTORA_SETTINGS_CHILD";
const QString missing = QStringLiteral("<missing>");

QString fromHex(const QString& hex) { return QString::fromUtf8(QByteArray::fromHex(hex.toLatin1())); }
QString toHex(const QString& text) { return QString::fromLatin1(text.toUtf8().toHex()); }

void say(const QString& line)
{
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

// Holds the writers' lock until killed, or (untilTold) until a line comes in.
void holdLock(bool untilTold)
{
    QDir().mkpath(QFileInfo(settingsFilePath()).absolutePath());
    const int fd = ::open(QFile::encodeName(settingsFilePath() + ".lock").constData(), O_RDWR | O_CREAT, 0666);
    if (fd < 0 || ::flock(fd, LOCK_EX) != 0)
        std::exit(2);
    say(QStringLiteral("locked"));
    char line[16];
    if (!untilTold || !std::fgets(line, sizeof line, stdin))
        for (;;)
            ::pause(); // until killed
    ::close(fd);
    say(QStringLiteral("released"));
}

// When started by the cross-process cases below, this executable plays one
// part and ends. It does so during static initialisation, before main() would
// point it at a fresh test folder, so it works on the parent's store:
//   write PREFIX COUNT      saves Options/PREFIXi = "value i", says "wrote i" after each
//   set SECTION KEY VALUE   saves one value (hex-encoded UTF-8 arguments)
//   read SECTION KEY        says the value (hex), the default being "<missing>"
//   hold forever            holds the writers' lock until killed
//   hold told               holds it until a line comes in on its input
int playChildPart()
{
    const QStringList part = qEnvironmentVariable(childVariable).split(u' ', Qt::SkipEmptyParts);
    if (part.isEmpty())
        return 0;
    const QString& what = part[0];
    if (what == QLatin1String("write") && part.size() == 3) {
        for (int i = 0; i < part[2].toInt(); ++i) {
            saveSetting(QStringLiteral("Options"), part[1] + QString::number(i), QStringLiteral("value %1").arg(i));
            say(QStringLiteral("wrote %1").arg(i));
        }
    } else if (what == QLatin1String("set") && part.size() == 4) {
        saveSetting(fromHex(part[1]), fromHex(part[2]), fromHex(part[3]));
    } else if (what == QLatin1String("read") && part.size() == 3) {
        say(toHex(getSetting(fromHex(part[1]), fromHex(part[2]), missing)));
    } else if (what == QLatin1String("fullDisk")) {
        // The file may not grow beyond what it holds now: the next, longer write fails.
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        saveSetting(QStringLiteral("Options"), QStringLiteral("Big"), QString(8000, u'x'));
        say(platform::lastSettingsWriteError());
        if (getSetting(QStringLiteral("Options"), QStringLiteral("Big")).size() != 8000)
            std::exit(4);
    } else if (what == QLatin1String("hold") && part.size() == 2) {
        holdLock(part[1] == QLatin1String("told"));
    } else {
        std::exit(3);
    }
    std::exit(0);
}

[[maybe_unused]] const int childPart = playChildPart();

std::unique_ptr<QProcess> startChild(const QString& part)
{
    auto child = std::make_unique<QProcess>();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QString::fromLatin1(childVariable), part);
    child->setProcessEnvironment(env);
    child->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child->start(QCoreApplication::applicationFilePath(), {});
    return child;
}

// Runs a child part to its end and returns what it said.
QString runChild(const QString& part)
{
    auto child = startChild(part);
    if (!child->waitForFinished(60000) || child->exitCode() != 0)
        return QStringLiteral("<child failed>");
    return QString::fromUtf8(child->readAllStandardOutput()).trimmed();
}

QString readInOtherProcess(const QString& section, const QString& key)
{
    return fromHex(runChild(QStringLiteral("read %1 %2").arg(toHex(section), toHex(key))));
}

// Waits until the child has said `line` (or has ended).
bool waitForLine(QProcess& child, const QString& line)
{
    QString all;
    while (child.state() != QProcess::NotRunning || child.bytesAvailable() > 0) {
        if (!child.waitForReadyRead(30000) && child.bytesAvailable() == 0)
            break;
        all += QString::fromUtf8(child.readAllStandardOutput());
        if (all.split(u'\n').contains(line))
            return true;
    }
    return false;
}

QByteArray fileContent()
{
    QFile file(settingsFilePath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFileContent(const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(settingsFilePath()).absolutePath());
    QFile file(settingsFilePath());
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

QStringList filesBesideStore() { return QFileInfo(settingsFilePath()).dir().entryList(QDir::Files | QDir::Hidden); }

} // namespace

class TestSettings : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { testsupport::environment().wipe(); }

    void storeLivesInTheUsersConfigFolder()
    {
        QCOMPARE(settingsFilePath(), testsupport::environment().configHome() + QStringLiteral("/VN/VN.conf"));
    }

    void missingValuesGiveTheDefault()
    {
        QCOMPARE(getSetting("Options", "AlarmTime", "00:00"), QString("00:00"));
        QVERIFY(getSetting("Options", "AlarmTime").isEmpty());
        saveSetting("Options", "AlarmTime", "07:30");
        QCOMPARE(getSetting("ScreenSaver", "AlarmTime", "none"), QString("none"));
        QCOMPARE(getSetting("Options", "Alarmtime", "none"), QString("none")); // keys keep their case
    }

    void valuesRoundTripThroughAnotherProcess_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::newRow("indexed key") << "Radioname1"
                                     << "Top Radio - Audio 96kbps";
        QTest::newRow("digit key") << "DefaultTimeSync3"
                                   << "7";
        QTest::newRow("leading and trailing blanks") << "F1Left"
                                                     << "  6540  ";
        QTest::newRow("quotes") << "Memo"
                                << "say \"hello\" and 'bye'";
        QTest::newRow("commas") << "List"
                                << "a, b,c,";
        QTest::newRow("backslashes") << "Path"
                                     << "C:\\Windows\\VN.scr\\";
        QTest::newRow("colons and equals") << "RadioURL2"
                                           << "http://host:8080/live.asx?a=b&c==d";
        QTest::newRow("non-ASCII") << "VNTZname1"
                                   << "Zürich – 東京 ✓";
        QTest::newRow("empty") << "Empty"
                               << "";
        QTest::newRow("line breaks and tab") << "Text"
                                             << "one\r\ntwo\nthree\tfour";
        QTest::newRow("looks like a section") << "Odd"
                                              << "[Options]";
        QTest::newRow("looks like a variant") << "At"
                                              << "@Variant(abc)";
        QTest::newRow("comment marks") << "; not a comment"
                                       << "# nor this";
        QTest::newRow("key with = and [") << "[a=b]"
                                          << "=";
        QTest::newRow("escape-like text") << "Esc\\n"
                                          << "\\x41\\n\\";
    }
    void valuesRoundTripThroughAnotherProcess()
    {
        QFETCH(QString, key);
        QFETCH(QString, value);
        saveSetting("Options", key, value);
        QCOMPARE(getSetting("Options", key, missing), value);
        QCOMPARE(readInOtherProcess("Options", key), value);
    }

    void keysDifferingInCaseAreDistinct()
    {
        saveSetting("Options", "Key", "upper");
        saveSetting("Options", "key", "lower");
        QCOMPARE(readInOtherProcess("Options", "Key"), QString("upper"));
        QCOMPARE(readInOtherProcess("Options", "key"), QString("lower"));
    }

    void writesOfAnotherProcessAreSeenByTheNextRead()
    {
        saveSetting("ScreenSaver", "Position", "1");
        QCOMPARE(getSetting("ScreenSaver", "Position"), QString("1"));
        // Same length as before: only the file's stamp tells the versions apart.
        QCOMPARE(runChild(QStringLiteral("set %1 %2 %3").arg(toHex("ScreenSaver"), toHex("Position"), toHex("2"))),
                 QString());
        QCOMPARE(getSetting("ScreenSaver", "Position"), QString("2"));
        saveSetting("ScreenSaver", "Position", "3");
        QCOMPARE(readInOtherProcess("ScreenSaver", "Position"), QString("3"));
    }

    // Readers tell versions apart by the file's stamp; a modification time that
    // only ever grows keeps that true when two writes fall within one tick of the
    // file system's clock, or when the system clock was set back.
    void everyWriteLeavesALaterModificationTime()
    {
        const QByteArray path = QFile::encodeName(settingsFilePath());
        saveSetting("Options", "Counter", "x");
        const timespec future[2] = {{0, UTIME_OMIT}, {std::time(nullptr) + 3600, 0}};
        QCOMPARE(::utimensat(AT_FDCWD, path.constData(), future, 0), 0);
        QCOMPARE(getSetting("Options", "Counter"), QString("x"));
        timespec previous = future[1];
        for (int i = 0; i < 20; ++i) {
            saveSetting("Options", "Counter", QString::number(i % 10));
            struct stat st;
            QCOMPARE(::stat(path.constData(), &st), 0);
            const bool later = st.st_mtim.tv_sec > previous.tv_sec
                || (st.st_mtim.tv_sec == previous.tv_sec && st.st_mtim.tv_nsec > previous.tv_nsec);
            QVERIFY2(later, qPrintable(QStringLiteral("write %1").arg(i)));
            previous = st.st_mtim;
        }
    }

    void readersNeverSeeAHalfWrittenFile()
    {
        saveSetting("Options", "Anchor", "here");
        auto writer = startChild(QStringLiteral("write r 300"));
        int reads = 0;
        int misses = 0;
        while (!writer->waitForFinished(0)) {
            misses += getSetting("Options", "Anchor", missing) != QLatin1String("here");
            ++reads;
        }
        QCOMPARE(writer->exitCode(), 0);
        QCOMPARE(misses, 0);
        QVERIFY(reads > 100);
        QCOMPARE(getSetting("Options", "r299"), QString("value 299"));
    }

    void deletingASectionKeepsTheOther()
    {
        saveSetting("Options", "AlarmTime", "07:30");
        saveSetting("Options", "Radioname1", "One");
        saveSetting("ScreenSaver", "Pos", "2");
        deleteSetting("Options");
        QCOMPARE(getSetting("Options", "AlarmTime", missing), missing);
        QCOMPARE(getSetting("Options", "Radioname1", missing), missing);
        QCOMPARE(getSetting("ScreenSaver", "Pos"), QString("2"));
        QCOMPARE(readInOtherProcess("Options", "AlarmTime"), missing);
        QVERIFY(!fileContent().contains("[Options]"));
    }

    void deletingOneKeyKeepsTheRest()
    {
        saveSetting("ScreenSaver", "Pos", "2");
        saveSetting("ScreenSaver", "Date", "True");
        deleteSetting("ScreenSaver", "Pos");
        QCOMPARE(getSetting("ScreenSaver", "Pos", missing), missing);
        QCOMPARE(getSetting("ScreenSaver", "Date"), QString("True"));
        deleteSetting("ScreenSaver", "Date");
        QVERIFY(!fileContent().contains("[ScreenSaver]")); // an emptied section goes
    }

    void deletingWhatIsMissingChangesNothing()
    {
        deleteSetting("Options");
        deleteSetting("Options", "Nothing");
        QVERIFY(!QFile::exists(settingsFilePath()));
        saveSetting("Options", "Kept", "1");
        const QByteArray before = fileContent();
        deleteSetting("ScreenSaver");
        deleteSetting("Options", "Nothing");
        QCOMPARE(fileContent(), before);
    }

    void emptyNamesStoreNothing()
    {
        saveSetting("", "Key", "1");
        saveSetting("Options", "", "1");
        QVERIFY(!QFile::exists(settingsFilePath()));
        QCOMPARE(getSetting("Options", "", "d"), QString("d"));
    }

    void fileFormatIsPlainText()
    {
        saveSetting("ScreenSaver", "Pos", "2");
        saveSetting("Options", "F1Left", "6540");
        saveSetting("Options", "AlarmTime", "07:30");
        QCOMPARE(fileContent(), QByteArray("[Options]\nAlarmTime=07:30\nF1Left=6540\n\n[ScreenSaver]\nPos=2\n"));
    }

    void concurrentWritersLoseNothing()
    {
        saveSetting("Options", "Before", "1");
        const int count = testsupport::iterations(200, 50);
        auto first = startChild(QStringLiteral("write a %1").arg(count));
        auto second = startChild(QStringLiteral("write b %1").arg(count));
        QVERIFY(first->waitForFinished(90000));
        QVERIFY(second->waitForFinished(90000));
        QCOMPARE(first->exitCode(), 0);
        QCOMPARE(second->exitCode(), 0);
        for (int i = 0; i < count; ++i) {
            QCOMPARE(getSetting("Options", QStringLiteral("a%1").arg(i), missing), QStringLiteral("value %1").arg(i));
            QCOMPARE(getSetting("Options", QStringLiteral("b%1").arg(i), missing), QStringLiteral("value %1").arg(i));
        }
        QCOMPARE(getSetting("Options", "Before"), QString("1"));
        // No temporary file left; the lock file stays for the next writer.
        QCOMPARE(filesBesideStore(), (QStringList{"VN.conf", "VN.conf.lock"}));
    }

    void aKilledWriterLeavesTheOldOrTheNewFile()
    {
        auto child = startChild(QStringLiteral("write k 100000"));
        QVERIFY(waitForLine(*child, QStringLiteral("wrote 40")));
        child->kill();
        QVERIFY(child->waitForFinished(30000));

        // Every line is a section header or a "kN=value N" line; the keys form
        // an unbroken run from k0, at least to what the writer reported.
        const QStringList lines = QString::fromUtf8(fileContent()).split(u'\n', Qt::SkipEmptyParts);
        const QRegularExpression valueLine(QStringLiteral("^k(\\d+)=value \\1$"));
        int count = 0;
        for (const QString& line : lines) {
            if (line == QLatin1String("[Options]"))
                continue;
            QVERIFY2(valueLine.match(line).hasMatch(), qPrintable(line));
            ++count;
        }
        QVERIFY(count >= 41);
        for (int i = 0; i < count; ++i)
            QCOMPARE(getSetting("Options", QStringLiteral("k%1").arg(i), missing), QStringLiteral("value %1").arg(i));

        QElapsedTimer timer;
        timer.start();
        saveSetting("Options", "After", "1");
        QVERIFY2(timer.elapsed() < testsupport::patience(5000), "the writer waited for a dead process");
        QCOMPARE(readInOtherProcess("Options", "After"), QString("1"));
        QCOMPARE(readInOtherProcess("Options", "k0"), QString("value 0"));
    }

    void aLockHeldByAKilledWriterEndsWithIt()
    {
        auto holder = startChild(QStringLiteral("hold forever"));
        QVERIFY(waitForLine(*holder, QStringLiteral("locked")));
        holder->kill();
        QVERIFY(holder->waitForFinished(30000));

        QElapsedTimer timer;
        timer.start();
        saveSetting("Options", "AfterCrash", "yes");
        QVERIFY2(timer.elapsed() < testsupport::patience(5000), "the writer waited for a dead process");
        QCOMPARE(readInOtherProcess("Options", "AfterCrash"), QString("yes"));
    }

    // A writer that holds the lock does not hold this program up: the change is
    // seen at once in this process, queued, and written when the lock is free,
    // in the order it was made.
    void aBusyLockQueuesTheChangesInOrder()
    {
        saveSetting("Options", "Value", "before");
        auto holder = startChild(QStringLiteral("hold told"));
        QVERIFY(waitForLine(*holder, QStringLiteral("locked")));
        saveSetting("Options", "Value", "first");
        saveSetting("Options", "Other", "1");
        saveSetting("Options", "Value", "after");
        deleteSetting("Options", "Other");
        QVERIFY(platform::settingsWritesPending());
        QCOMPARE(getSetting("Options", "Value"), QString("after"));
        QCOMPARE(getSetting("Options", "Other", missing), missing);
        QCOMPARE(readInOtherProcess("Options", "Value"), QString("before"));
        QVERIFY(platform::settingsWritesPending());
        holder->write("go\n");
        QTRY_VERIFY_WITH_TIMEOUT(!platform::settingsWritesPending(), 30000);
        QVERIFY(waitForLine(*holder, QStringLiteral("released")));
        QCOMPARE(readInOtherProcess("Options", "Value"), QString("after"));
        QCOMPARE(readInOtherProcess("Options", "Other"), missing);
    }

    void aChangeWaitingForTheLockIsWrittenAtTheProgramsEnd()
    {
        auto holder = startChild(QStringLiteral("hold told"));
        QVERIFY(waitForLine(*holder, QStringLiteral("locked")));
        saveSetting("Options", "Last", "word");
        QVERIFY(platform::settingsWritesPending());
        holder->write("go\n");
        QVERIFY(holder->waitForBytesWritten(30000));
        platform::flushSettings(); // what endProgram runs
        QVERIFY(!platform::settingsWritesPending());
        QCOMPARE(readInOtherProcess("Options", "Last"), QString("word"));
        QVERIFY(holder->waitForFinished(30000));
    }

    void damagedFileKeepsEveryReadableLine_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::newRow("NUL in one line") << QByteArray("[Options]\nA=1\nX=\x00\x01\nB=2\n", 22) << "1"
                                         << "2";
        QTest::newRow("tail of zeros") << QByteArray("[Options]\nA=1\nB=2\n").append(QByteArray(4096, '\0')) << "1"
                                       << "2";
        QTest::newRow("Windows-1252 line")
            << QByteArray("[Options]\nA=caf\xe9 \x80\nB=2\n") << QString::fromUtf8("café €") << "2";
        QTest::newRow("broken UTF-8 sequence")
            << QByteArray("[Options]\nA=\xc3\x28\nB=2\n") << QString::fromUtf8("Ã(") << "2";
        QTest::newRow("UTF-16 with BOM")
            << QByteArray("\xff\xfe", 2).append(reinterpret_cast<const char*>(u"[Options]\r\nA=1\r\nB=2\r\n"), 42)
            << "1"
            << "2";
        QTest::newRow("UTF-16 big-endian")
            << QByteArray("\xfe\xff\0[\0O\0p\0t\0i\0o\0n\0s\0]\0\n\0A\0=\0001\0\n\0B\0=\0002\0\n", 38) << "1"
            << "2";
        QTest::newRow("lines outside a section") << QByteArray("A=1\nhello world\n[Options]\nA=1\nB=2\n") << "1"
                                                 << "2";
        QTest::newRow("bad escape") << QByteArray("[Options]\nA=1\nC=abc\\q\nD=\\x4\nB=2\n") << "1"
                                    << "2";
        QTest::newRow("value over 64 KiB") << QByteArray("[Options]\nA=1\nBig=") + QByteArray(70000, 'v') + "\nB=2\n"
                                           << "1"
                                           << "2";
        QTest::newRow("line over any limit")
            << QByteArray("[Options]\nA=1\nHuge=") + QByteArray(2000000, 'v') + "\nB=2\n"
            << "1"
            << "2";
    }
    void damagedFileKeepsEveryReadableLine()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, a);
        QFETCH(QString, b);
        writeFileContent(content);
        QCOMPARE(getSetting("Options", "A", missing), a);
        QCOMPARE(getSetting("Options", "B", missing), b);
        QCOMPARE(getSetting("Options", "Big", missing), missing);
        QCOMPARE(getSetting("Options", "Huge", missing), missing);

        // The first rewrite keeps the original beside the store and writes clean UTF-8.
        saveSetting("Options", "After", "1");
        const QString kept = settingsFilePath() + ".damaged-" + QDate::currentDate().toString(Qt::ISODate);
        QFile original(kept);
        QVERIFY(original.open(QIODevice::ReadOnly));
        QCOMPARE(original.readAll(), content);
        QCOMPARE(platform::parseSettingsFile(fileContent()).clean, true);
        QCOMPARE(getSetting("Options", "A", missing), a);
        QCOMPARE(getSetting("Options", "B", missing), b);
        QCOMPARE(readInOtherProcess("Options", "A"), a);
        // A clean file is not kept again.
        saveSetting("Options", "After", "2");
        QCOMPARE(filesBesideStore(), (QStringList{"VN.conf", QFileInfo(kept).fileName(), "VN.conf.lock"}));
    }

    void aSecondDamageOnTheSameDayIsKeptToo()
    {
        writeFileContent("[Options]\nA=1\njunk\n");
        saveSetting("Options", "B", "1");
        writeFileContent("[Options]\nA=2\nmore junk\n");
        saveSetting("Options", "B", "2");
        const QString day = QDate::currentDate().toString(Qt::ISODate);
        QVERIFY(filesBesideStore().contains("VN.conf.damaged-" + day));
        QVERIFY(filesBesideStore().contains("VN.conf.damaged-" + day + "-2"));
    }

    void anUnchangedValueIsNotRewrittenEvenInADamagedFile()
    {
        saveSetting("Options", "Same", "1");
        struct stat before, after;
        const QByteArray path = QFile::encodeName(settingsFilePath());
        QCOMPARE(::stat(path.constData(), &before), 0);
        saveSetting("Options", "Same", "1");
        QCOMPARE(::stat(path.constData(), &after), 0);
        QCOMPARE(after.st_ino, before.st_ino);

        writeFileContent("[Options]\nSame=1\njunk\n");
        QCOMPARE(getSetting("Options", "Same"), QString("1"));
        saveSetting("Options", "Same", "1");
        QCOMPARE(fileContent(), QByteArray("[Options]\nSame=1\njunk\n"));
        saveSetting("Options", "Other", "2");
        QCOMPARE(fileContent(), QByteArray("[Options]\nOther=2\nSame=1\n"));
    }

    void litterOfKilledWritersGoesWithTheNextWrite()
    {
        saveSetting("Options", "Before", "x");
        const QString dir = QFileInfo(settingsFilePath()).absolutePath();
        const QStringList litter{"VN.conf.Xy12Zw", "VN.conf.vantora-tmp-999999999-Ab3dEf"};
        const QStringList kept{"VN.conf.backup", "VN.conf.notes1"};
        for (const QString& name : litter + kept) {
            QFile f(dir + "/" + name);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("[Options]\nHalf=");
            f.close();
            const bool isLitter = litter.contains(name);
            f.setPermissions(isLitter ? QFile::ReadOwner | QFile::WriteOwner
                                      : QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
        }
        saveSetting("Options", "After", "1");
        QStringList expected{"VN.conf", "VN.conf.backup", "VN.conf.lock", "VN.conf.notes1"};
        QCOMPARE(filesBesideStore(), expected);
    }

    void aFolderInTheWayIsToldOnceAndTheValuesLiveOn()
    {
        platform::ScriptedDialogs& boxes = testsupport::environment().dialogs();
        QCoreApplication::processEvents(); // the boxes of earlier damaged files
        boxes.clear();
        platform::forgetStoreProblemsTold();
        QDir().mkpath(settingsFilePath()); // the file's name taken by a folder
        saveSetting("Options", "Key", "1");
        saveSetting("Options", "Key", "3");
        QCOMPARE(getSetting("Options", "Key", missing), QString("3"));
        QVERIFY(platform::settingsWritesPending());
        QCOMPARE(platform::lastSettingsWriteError(), QString("it is a folder"));
        QTRY_COMPARE(boxes.messageCount(), 1);
        QVERIFY(boxes.shown().first().prompt.contains(QDir::toNativeSeparators(settingsFilePath())));
        QVERIFY(boxes.shown().first().prompt.contains(platform::lastSettingsWriteError()));
        QVERIFY(QFileInfo(settingsFilePath()).isDir());

        QDir(settingsFilePath()).removeRecursively();
        saveSetting("Options", "Key", "2");
        QVERIFY(!platform::settingsWritesPending());
        QCOMPARE(readInOtherProcess("Options", "Key"), QString("2"));
        QVERIFY(platform::lastSettingsWriteError().isEmpty());
    }

    void aFullDiskIsToldAndNothingStoredIsLost()
    {
        saveSetting("Options", "AlarmTime", "07:30");
        const QByteArray before = fileContent();
        auto child = startChild(QStringLiteral("fullDisk"));
        QVERIFY(child->waitForFinished(30000));
        QCOMPARE(child->exitCode(), 0);
        const QString said = QString::fromUtf8(child->readAllStandardOutput());
        QVERIFY2(said.contains("File too large"), qPrintable(said));
        QCOMPARE(fileContent(), before);
        QCOMPARE(getSetting("Options", "AlarmTime"), QString("07:30"));
        QCOMPARE(filesBesideStore(), (QStringList{"VN.conf", "VN.conf.lock"}));
    }

    void killedWritersLeaveAReadableStoreAndNoLitter()
    {
        saveSetting("Options", "AlarmTime", "07:30");
        const int rounds = testsupport::iterations(200, 25);
        for (int round = 0; round < rounds; ++round) {
            auto child = startChild(QStringLiteral("write w%1x 1000000").arg(round % 7));
            QVERIFY(waitForLine(*child, QStringLiteral("wrote %1").arg(round % 5)));
            child->kill();
            QVERIFY(child->waitForFinished(30000));
            const auto contents = platform::parseSettingsFile(fileContent());
            QVERIFY2(contents.clean, qPrintable(QString("round %1").arg(round)));
            QCOMPARE(contents.sections.value("Options").value("AlarmTime"), QString("07:30"));
        }
        saveSetting("Options", "After", "1");
        QCOMPARE(filesBesideStore(), (QStringList{"VN.conf", "VN.conf.lock"}));
    }
};

VANTORA_TEST_MAIN(TestSettings)
#include "test_settings.moc"
