#include "tests/support/killloop.h"

#include "tests/support/testenv.h"

#include <QCoreApplication>
#include <QProcess>
#include <QRandomGenerator>

#include <csignal>
#include <cstdio>

namespace testsupport {
namespace {
constexpr char kRoleVariable[] = "VANTORA_KILL_CHILD_ROLE";
constexpr int kWaitMs = 20000;
} // namespace

QString killChildRole() { return qEnvironmentVariable(kRoleVariable); }

void reportChangeDone()
{
    std::fputs("done\n", stdout);
    std::fflush(stdout);
}

QString killInsideChanges(const QString& role, int rounds, const std::function<QString()>& check)
{
    QRandomGenerator random(20261209);
    for (int round = 0; round < rounds; ++round) {
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QString::fromLatin1(kRoleVariable), role);
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), {});
        const qsizetype reported = 1 + random.bounded(3);
        QByteArray out;
        while (out.count("done\n") < reported) {
            if (!child.waitForReadyRead(patience(kWaitMs)))
                return QStringLiteral("round %1: the child reported nothing: %2")
                    .arg(round)
                    .arg(QString::fromLocal8Bit(child.readAllStandardError()));
            out += child.readAllStandardOutput();
        }
        ::kill(static_cast<pid_t>(child.processId()), SIGKILL);
        child.waitForFinished(patience(kWaitMs));
        const QString problem = check();
        if (!problem.isEmpty())
            return QStringLiteral("round %1: %2").arg(round).arg(problem);
    }
    return {};
}

} // namespace testsupport
