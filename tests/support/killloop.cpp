#include "tests/support/killloop.h"

#include <QCoreApplication>
#include <QProcess>
#include <QRandomGenerator>

#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace testsupport {
namespace {
constexpr char kRoleVariable[] = "VANTORA_KILL_CHILD_ROLE";
constexpr int kStartTimeoutMs = 20000;
} // namespace

QString killChildRole() { return qEnvironmentVariable(kRoleVariable); }

void reportChildStarted()
{
    std::fputs("started\n", stdout);
    std::fflush(stdout);
}

QString killAtRandomMoments(const QString& role, int rounds, int maxRunMicroseconds,
                            const std::function<QString(int round)>& check)
{
    QRandomGenerator random(20261209);
    for (int round = 0; round < rounds; ++round) {
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QString::fromLatin1(kRoleVariable), role);
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), {});
        if (!child.waitForStarted(kStartTimeoutMs) || !child.waitForReadyRead(kStartTimeoutMs))
            return QStringLiteral("round %1: the child did not start: %2").arg(round).arg(child.errorString());
        // The kill's moment is the random part of the test, not a wait for something.
        ::usleep(static_cast<useconds_t>(random.bounded(maxRunMicroseconds)));
        ::kill(static_cast<pid_t>(child.processId()), SIGKILL);
        child.waitForFinished(kStartTimeoutMs);
        if (child.exitStatus() != QProcess::CrashExit)
            return QStringLiteral("round %1: the child ended by itself: %2")
                .arg(round)
                .arg(QString::fromLocal8Bit(child.readAllStandardError()));
        const QString problem = check(round);
        if (!problem.isEmpty())
            return QStringLiteral("round %1: %2").arg(round).arg(problem);
    }
    return {};
}

} // namespace testsupport
