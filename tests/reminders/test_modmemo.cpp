#include "platform/base/atomicfile.h"
#include "tests/support/doubles/manualclock.h"
#include "reminders/modmemo.h"
#include "tests/support/testenv.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QTest>

#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes) { QVERIFY(platform::writeFileAtomically(path, bytes)); }

QStringList texts(const QList<MemoRec>& list)
{
    QStringList out;
    for (const MemoRec& r : list)
        out << r.MemText;
    return out;
}

QStringList folderEntries(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

const QDate kDay(2026, 12, 10);

} // namespace

class TestModMemo : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<platform::ManualClock> m_clock;
    QString m_folder;

private slots:
    void init()
    {
        testsupport::environment().wipe();
        m_folder = testsupport::environment().root() + "/store";
        QDir(m_folder).removeRecursively();
        QDir().mkpath(m_folder);
        m_clock = std::make_unique<platform::ManualClock>(QDateTime(QDate(2026, 12, 9), QTime(12, 0)));
        platform::setClock(m_clock.get());
        ModMemo::MemoInit(m_folder);
    }
    void cleanup()
    {
        platform::setClock(nullptr);
        m_clock.reset();
    }

    void aFreshInstallCreatesBothFilesEmpty()
    {
        QVERIFY(ModMemo::MemoLoad());
        QCOMPARE(ModMemo::MemoCount(), 0);
        QVERIFY(QFileInfo::exists(m_folder + "/VNMemo.log"));
        QCOMPARE(QFileInfo(m_folder + "/VNMemo.log").size(), 0);
        QVERIFY(ModMemo::pendingMemos().isEmpty());
        QVERIFY(QFileInfo::exists(m_folder + "/VNTemp.log"));
    }

    void addSortsAndStoresTheFile()
    {
        QVERIFY(ModMemo::MemoAdd(kDay, "09:00:00", "nine"));
        QVERIFY(ModMemo::MemoAdd(kDay, "08:30:00", "half past eight"));
        QVERIFY(ModMemo::MemoAdd(kDay.addDays(-1), "23:00:00", "the day before"));
        QCOMPARE(texts(ModMemo::Memos()), QStringList({"the day before", "half past eight", "nine"}));
        QCOMPARE(readFile(ModMemo::memoFilePath()),
                 QByteArray("#2026-12-09#\r\n\"23:00:00\"\r\n\"the day before\"\r\n"
                            "#2026-12-10#\r\n\"08:30:00\"\r\n\"half past eight\"\r\n"
                            "#2026-12-10#\r\n\"09:00:00\"\r\n\"nine\"\r\n"));
    }

    void aDoubleQuoteNeverReachesTheFile()
    {
        QVERIFY(ModMemo::MemoAdd(kDay, "09:00:00", "a \"quoted\" word, and\nmore"));
        QVERIFY(!readFile(ModMemo::memoFilePath()).contains("quoted\""));
        ModMemo::MemoInit(m_folder);
        ModMemo::MemoLoad();
        QCOMPARE(ModMemo::Memos().value(0).MemText, QString("a quoted word, and\nmore"));
    }

    void addRefusesAnEmptyMessageAndKeepsTheFile()
    {
        QVERIFY(ModMemo::MemoAdd(kDay, "09:00:00", "kept"));
        const QByteArray before = readFile(ModMemo::memoFilePath());
        const ModMemo::Result r = ModMemo::MemoAdd(kDay, "10:00:00", "\"\"");
        QVERIFY(!r.ok);
        QVERIFY(!r.error.isEmpty());
        QCOMPARE(readFile(ModMemo::memoFilePath()), before);
    }

    void deleteTakesOutOneRecord()
    {
        for (const char* t : {"one", "two", "three"})
            QVERIFY(ModMemo::MemoAdd(kDay, QString("0%1:00:00").arg(ModMemo::MemoCount() + 1), t));
        QVERIFY(ModMemo::MemoDelete(2));
        QCOMPARE(texts(ModMemo::Memos()), QStringList({"one", "three"}));
        ModMemo::MemoInit(m_folder);
        ModMemo::MemoLoad();
        QCOMPARE(texts(ModMemo::Memos()), QStringList({"one", "three"}));
    }

    // The list in memory may be older than the file (another copy of the
    // program added a reminder): a delete removes the reminder it names.
    void deleteFindsItsReminderInTheFileAsItIsNow()
    {
        QVERIFY(ModMemo::MemoAdd(kDay, "08:00:00", "a"));
        QVERIFY(ModMemo::MemoAdd(kDay, "10:00:00", "c"));
        writeFile(ModMemo::memoFilePath(),
                  writeMemoFile({MemoRec{kDay, "08:00:00", "a"}, MemoRec{kDay, "09:00:00", "b"},
                                 MemoRec{kDay, "10:00:00", "c"}}));
        QVERIFY(ModMemo::MemoDelete(2)); // "c" in the stale list
        QCOMPARE(texts(ModMemo::Memos()), QStringList({"a", "b"}));
    }

    void addKeepsWhatAnotherCopyAdded()
    {
        QVERIFY(ModMemo::MemoAdd(kDay, "08:00:00", "mine"));
        writeFile(ModMemo::memoFilePath(),
                  readFile(ModMemo::memoFilePath()) + writeMemoFile({MemoRec{kDay, "07:00:00", "theirs"}}));
        QVERIFY(ModMemo::MemoAdd(kDay, "09:00:00", "mine too"));
        QCOMPARE(texts(ModMemo::Memos()), QStringList({"theirs", "mine", "mine too"}));
    }

    void loadSeesEveryReplacementOfTheFile()
    {
        QVERIFY(ModMemo::MemoAdd(kDay, "08:00:00", "aaaa"));
        // Same size, same second: only the file's identity tells them apart.
        writeFile(ModMemo::memoFilePath(), writeMemoFile({MemoRec{kDay, "08:00:00", "bbbb"}}));
        QVERIFY(ModMemo::MemoLoad());
        QCOMPARE(texts(ModMemo::Memos()), QStringList({"bbbb"}));
    }

    void deleteMatchRemovesEveryEqualPendingRecord()
    {
        const MemoRec r{kDay, "09:00:00", "same"};
        for (int i = 0; i < 2; ++i)
            QVERIFY(ModMemo::MemoAppend(r.MemDate, r.MemTime, r.MemText));
        QVERIFY(ModMemo::MemoAppend(kDay, "09:00:00", "other"));
        QVERIFY(ModMemo::MemoDeleteMatch(r.MemDate, r.MemTime, r.MemText));
        QCOMPARE(texts(ModMemo::pendingMemos()), QStringList({"other"}));
    }

    void deleteMatchWithoutAMatchLeavesTheFileUntouched()
    {
        QVERIFY(ModMemo::MemoAppend(kDay, "09:00:00", "stay"));
        struct stat before {};
        QCOMPARE(::stat(QFile::encodeName(ModMemo::tempFilePath()).constData(), &before), 0);
        const QByteArray bytes = readFile(ModMemo::tempFilePath());
        QVERIFY(ModMemo::MemoDeleteMatch(kDay, "09:00:01", "stay"));
        struct stat after {};
        QCOMPARE(::stat(QFile::encodeName(ModMemo::tempFilePath()).constData(), &after), 0);
        QCOMPARE(readFile(ModMemo::tempFilePath()), bytes);
        QCOMPARE(after.st_ino, before.st_ino);
    }

    // Copied as soon as it is read, so that the user can be told where the copy is.
    void aDamagedFileIsCopiedWhenRead()
    {
        const QByteArray damaged = writeMemoFile({MemoRec{kDay, "08:00:00", "before"}})
            + "#2026-12-10#\r\nnot a time at all\r\n\"lost?\"\r\n"
            + writeMemoFile({MemoRec{kDay, "10:00:00", "after"}});
        writeFile(ModMemo::memoFilePath(), damaged);
        QVERIFY(ModMemo::MemoLoad());
        QVERIFY(!ModMemo::lastLoadWasClean());
        QCOMPARE(texts(ModMemo::Memos()), QStringList({"before", "after"}));
        const QString copy = ModMemo::memoFilePath() + ".damaged-2026-12-09";
        QCOMPARE(readFile(copy), damaged);
        const QList<ModMemo::Damage> told = ModMemo::takeDamage();
        QCOMPARE(told.size(), 1);
        QCOMPARE(told[0].file, ModMemo::memoFilePath());
        QCOMPARE(told[0].copy, copy);
        QVERIFY(told[0].problem.contains("line"));
        QVERIFY(ModMemo::takeDamage().isEmpty());

        QVERIFY(ModMemo::MemoAdd(kDay, "09:00:00", "new"));
        QCOMPARE(texts(ModMemo::Memos()), QStringList({"before", "new", "after"}));
        QVERIFY(ModMemo::lastLoadWasClean());
        QVERIFY(ModMemo::takeDamage().isEmpty());
        QCOMPARE(folderEntries(m_folder).filter(".damaged-").size(), 1);
    }

    // A hand-written file may hold a later reminder first.
    void aLoadSortsWhateverTheFileOrder()
    {
        writeFile(
            ModMemo::memoFilePath(),
            writeMemoFile({MemoRec{kDay, "09:00:00", "later"}, MemoRec{kDay.addDays(-1), "10:00:00", "earlier"}}));
        QVERIFY(ModMemo::MemoLoad());
        QCOMPARE(texts(ModMemo::Memos()), QStringList({"earlier", "later"}));
    }

    void aSecondDamagedVersionGetsACopyOfItsOwn()
    {
        writeFile(ModMemo::memoFilePath(), "garbage one\r\n");
        QVERIFY(ModMemo::MemoAdd(kDay, "09:00:00", "x"));
        writeFile(ModMemo::memoFilePath(), "garbage two\r\n");
        QVERIFY(ModMemo::MemoAdd(kDay, "09:00:00", "y"));
        QCOMPARE(readFile(ModMemo::memoFilePath() + ".damaged-2026-12-09"), QByteArray("garbage one\r\n"));
        QCOMPARE(readFile(ModMemo::memoFilePath() + ".damaged-2026-12-09-2"), QByteArray("garbage two\r\n"));
    }

    void aTrailingBlankLineMakesNoPhantomReminder()
    {
        writeFile(ModMemo::memoFilePath(), writeMemoFile({MemoRec{kDay, "08:00:00", "only"}}) + "\r\n");
        QVERIFY(ModMemo::MemoLoad());
        QCOMPARE(ModMemo::MemoCount(), 1);
        QVERIFY(ModMemo::lastLoadWasClean());
    }

    void moveToPendingMovesOnce()
    {
        QVERIFY(ModMemo::MemoAdd(kDay, "08:00:00", "due"));
        QVERIFY(ModMemo::MemoAdd(kDay, "09:00:00", "later"));
        const MemoRec due = ModMemo::Memos().constFirst();
        QCOMPARE(ModMemo::moveToPending(due).where, ModMemo::Move::Moved);
        QCOMPARE(texts(ModMemo::Memos()), QStringList({"later"}));
        QCOMPARE(texts(ModMemo::pendingMemos()), QStringList({"due"}));
        // A second copy of the program trying the same reminder finds it gone.
        QCOMPARE(ModMemo::moveToPending(due).where, ModMemo::Move::Gone);
        QCOMPARE(texts(ModMemo::pendingMemos()), QStringList({"due"}));
    }

    void countsAreNotSixteenBit()
    {
        QList<MemoRec> many;
        for (int i = 0; i < 33000; ++i)
            many.append(MemoRec{kDay.addDays(i / 1000), QTime(0, 0).addSecs(i).toString("HH:mm:ss"), "m"});
        writeFile(ModMemo::memoFilePath(), writeMemoFile(many));
        QVERIFY(ModMemo::MemoLoad());
        QCOMPARE(ModMemo::MemoCount(), 33000);
        QVERIFY(ModMemo::MemoDelete(32999));
        QCOMPARE(ModMemo::MemoCount(), 32999);
    }

    // A file size limit stands for a full disk: the add fails, says why, and
    // leaves the file and the list as they were.
    void aFullDiskLeavesTheFileByteIdentical()
    {
        for (int i = 0; i < 5; ++i)
            QVERIFY(ModMemo::MemoAdd(kDay, QString("0%1:00:00").arg(i), QString("kept %1").arg(i)));
        const QByteArray before = readFile(ModMemo::memoFilePath());
        QProcess child;
        child.start(MEMO_CHILD_PATH, {"full", m_folder});
        QVERIFY(child.waitForFinished(20000));
        QCOMPARE(child.exitStatus(), QProcess::NormalExit);
        const QString out = QString::fromLocal8Bit(child.readAllStandardOutput());
        QVERIFY2(out.startsWith("ok=0 count=5 before=5 error="), qPrintable(out));
        QVERIFY2(out.size() > QString("ok=0 count=5 before=5 error=\n").size(), qPrintable(out));
        QCOMPARE(readFile(ModMemo::memoFilePath()), before);
        QStringList left = folderEntries(m_folder);
        left.removeAll("VNMemo.lock");
        QCOMPARE(left, QStringList({"VNMemo.log"}));
    }

    // Two copies of the program adding and moving reminders at the same time
    // lose none of each other's.
    void twoCopiesAtOnceLoseNothing()
    {
        QProcess a;
        QProcess b;
        a.start(MEMO_CHILD_PATH, {"add", m_folder});
        b.start(MEMO_CHILD_PATH, {"add", m_folder});
        QSet<QString> added;
        auto collect = [&](QProcess& p) {
            for (const QByteArray& line : p.readAllStandardOutput().split('\n'))
                if (line.startsWith("added "))
                    added.insert(QString::fromLatin1(line.mid(6)));
        };
        const int wanted = testsupport::iterations(150, 40);
        while (added.size() < wanted) {
            QVERIFY(a.waitForReadyRead(testsupport::patience(20000)) || a.bytesAvailable() > 0);
            collect(a);
            QVERIFY(b.waitForReadyRead(testsupport::patience(20000)) || b.bytesAvailable() > 0);
            collect(b);
        }
        for (QProcess* p : {&a, &b}) {
            ::kill(static_cast<pid_t>(p->processId()), SIGKILL);
            QVERIFY(p->waitForFinished(20000));
            collect(*p);
        }
        QSet<QString> stored;
        for (const MemoRec& r : parseMemoFile(readFile(ModMemo::memoFilePath())).records
                 + parseMemoFile(readFile(ModMemo::tempFilePath())).records)
            stored.insert(r.MemText);
        for (const QString& t : std::as_const(added))
            QVERIFY2(stored.contains(t), qPrintable(t));
    }

    // A process that adds (and moves) reminders without end is killed at
    // random moments; every reminder it reported as added is in one of the
    // two files, and both files read cleanly.
    void aKillNeverLosesAStoredReminder()
    {
        QRandomGenerator g(4242);
        QSet<QString> added;
        const int rounds = testsupport::iterations(200, 25);
        for (int round = 0; round < rounds; ++round) {
            QProcess child;
            child.start(MEMO_CHILD_PATH, {"add", m_folder});
            QVERIFY(child.waitForStarted());
            // Killed while it works on a later reminder, after 1 to 3 reported ones.
            const qsizetype reported = 1 + g.bounded(3);
            QByteArray out;
            while (out.count("added ") < reported) {
                QVERIFY(child.waitForReadyRead(testsupport::patience(20000)));
                out += child.readAllStandardOutput();
            }
            ::kill(static_cast<pid_t>(child.processId()), SIGKILL);
            QVERIFY(child.waitForFinished(20000));
            out += child.readAllStandardOutput();
            for (const QByteArray& line : out.split('\n'))
                if (line.startsWith("added "))
                    added.insert(QString::fromLatin1(line.mid(6)));

            const MemoParse memo = parseMemoFile(readFile(ModMemo::memoFilePath()));
            const MemoParse pending = parseMemoFile(readFile(ModMemo::tempFilePath()));
            QVERIFY(memo.clean);
            QVERIFY(pending.clean);
            QSet<QString> stored;
            for (const MemoRec& r : memo.records + pending.records)
                stored.insert(r.MemText);
            for (const QString& t : std::as_const(added))
                QVERIFY2(stored.contains(t), qPrintable(QString("round %1 lost %2").arg(round).arg(t)));
        }
        QVERIFY(added.size() >= rounds);
    }
};

VANTORA_TEST_MAIN(TestModMemo)
#include "test_modmemo.moc"
