#include "platform/system/processrunner.h"

#include <QProcess>

namespace platform {
namespace {

class QtProcessRunner : public ProcessRunner {
public:
    Result run(const QString& program, const QStringList& arguments, int timeoutMs) override
    {
        QProcess process;
        process.setStandardInputFile(QProcess::nullDevice());
        process.setStandardErrorFile(QProcess::nullDevice());
        process.start(program, arguments);
        if (!process.waitForStarted(timeoutMs))
            return {};
        if (!process.waitForFinished(timeoutMs)) {
            process.kill();
            process.waitForFinished(1000);
            return {};
        }
        return {process.exitStatus() == QProcess::NormalExit, process.exitCode(), process.readAllStandardOutput()};
    }

    bool startDetached(const QString& program, const QStringList& arguments) override
    {
        QProcess process;
        process.setProgram(program);
        process.setArguments(arguments);
        process.setStandardInputFile(QProcess::nullDevice());
        process.setStandardOutputFile(QProcess::nullDevice());
        process.setStandardErrorFile(QProcess::nullDevice());
        return process.startDetached();
    }
};

ProcessRunner* g_override = nullptr;

} // namespace

ProcessRunner& processRunner()
{
    static QtProcessRunner real;
    return g_override ? *g_override : real;
}

void setProcessRunner(ProcessRunner* runner) { g_override = runner; }

} // namespace platform
