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

QString keyOf(const QString& program, const QStringList& arguments)
{
    return (QStringList{program} + arguments).join(QChar(0));
}

} // namespace

ProcessRunner& processRunner()
{
    static QtProcessRunner real;
    return g_override ? *g_override : real;
}

void setProcessRunner(ProcessRunner* runner) { g_override = runner; }

ProcessRunner::Result RecordingProcessRunner::run(const QString& program, const QStringList& arguments, int)
{
    m_calls.append({program, arguments, false});
    return m_answers.value(keyOf(program, arguments));
}

bool RecordingProcessRunner::startDetached(const QString& program, const QStringList& arguments)
{
    m_calls.append({program, arguments, true});
    return true;
}

void RecordingProcessRunner::answer(const QString& program, const QStringList& arguments, const Result& result)
{
    m_answers.insert(keyOf(program, arguments), result);
}

} // namespace platform
