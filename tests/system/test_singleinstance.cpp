#include "platform/system/singleinstance.h"
#include "tests/support/testenv.h"

#include <QApplication>
#include <QFileInfo>
#include <QProcess>
#include <QTest>

#include <cstdio>
#include <cstdlib>

#include <unistd.h>

using namespace platform;

namespace {

const QString kProgram = QStringLiteral("VantoraTest");
// Set in a copy of this test started as a second instance: the program name to lock,
// and the runtime folder of the test that started it.
const char* const kHoldVar = "VANTORA_TEST_HOLD_LOCK";
const char* const kRuntimeVar = "VANTORA_TEST_HOLD_RUNTIME";

// The second instance: asks for the lock, tells its parent the answer and
// keeps running until its standard input closes (or it is killed).
[[noreturn]] void runAsSecondInstance()
{
    qputenv("XDG_RUNTIME_DIR", qgetenv(kRuntimeVar));
    const bool other = isAnotherInstanceRunning(QString::fromLocal8Bit(qgetenv(kHoldVar)));
    std::fputs(other ? "refused\n" : "locked\n", stdout);
    std::fflush(stdout);
    while (std::fgetc(stdin) != EOF) {}
    std::exit(0);
}

} // namespace

class TestSingleInstance : public QObject {
    Q_OBJECT
public:
    TestSingleInstance()
    {
        if (qEnvironmentVariableIsSet(kHoldVar))
            runAsSecondInstance();
    }

private:
    // Starts a copy of this executable as another instance and returns its answer.
    QString startSecondInstance(QProcess& process, const QString& program)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(kHoldVar, program);
        env.insert(kRuntimeVar, qEnvironmentVariable("XDG_RUNTIME_DIR"));
        process.setProcessEnvironment(env);
        process.start(QCoreApplication::applicationFilePath(), {});
        if (!process.waitForStarted(10000))
            return "not started";
        while (!process.canReadLine() && process.waitForReadyRead(10000)) {}
        return QString::fromUtf8(process.readLine()).trimmed();
    }

private slots:
    void cleanup() { releaseInstanceLock(); }

    void theLockIsPerUserInTheRuntimeFolder()
    {
        const QString path = instanceLockPath(kProgram);
        QCOMPARE(QFileInfo(path).absolutePath(), testsupport::environment().root() + "/runtime");
        QVERIFY(path.contains(QString::number(::getuid())));
        QVERIFY(instanceLockPath("Vantora") != instanceLockPath("VN"));
        QVERIFY(!QFileInfo(instanceLockPath("../../x")).fileName().contains('/'));
    }

    void askingAgainFromTheSameProcessAnswersNo()
    {
        QVERIFY(!isAnotherInstanceRunning(kProgram));
        QVERIFY(QFileInfo::exists(instanceLockPath(kProgram)));
        QVERIFY(!isAnotherInstanceRunning(kProgram));
        releaseInstanceLock();
        QVERIFY(!QFileInfo::exists(instanceLockPath(kProgram)));
    }

    void aRunningCopyIsSeenAndACrashedOneIsNot()
    {
        QProcess other;
        QCOMPARE(startSecondInstance(other, kProgram), QString("locked"));
        QVERIFY(isAnotherInstanceRunning(kProgram));
        QVERIFY(isAnotherInstanceRunning(kProgram));
        // Another program's lock is separate.
        QVERIFY(!isAnotherInstanceRunning(kProgram + "Saver"));

        other.kill();
        QVERIFY(other.waitForFinished(10000));
        QCOMPARE(other.exitStatus(), QProcess::CrashExit);
        // Its lock file is left behind, but it no longer blocks a start.
        QVERIFY(QFileInfo::exists(instanceLockPath(kProgram)));
        QVERIFY(!isAnotherInstanceRunning(kProgram));
    }

    void aSecondCopyIsRefusedUntilTheLockIsReleased()
    {
        QVERIFY(!isAnotherInstanceRunning(kProgram));
        QProcess refused;
        QCOMPARE(startSecondInstance(refused, kProgram), QString("refused"));
        refused.closeWriteChannel();
        QVERIFY(refused.waitForFinished(10000));

        releaseInstanceLock();
        QProcess next;
        QCOMPARE(startSecondInstance(next, kProgram), QString("locked"));
        next.closeWriteChannel();
        QVERIFY(next.waitForFinished(10000));
        QCOMPARE(next.exitCode(), 0);
        // It ended normally and gave the lock up.
        QVERIFY(!isAnotherInstanceRunning(kProgram));
    }
};

VANTORA_TEST_MAIN(TestSingleInstance)
#include "test_singleinstance.moc"
