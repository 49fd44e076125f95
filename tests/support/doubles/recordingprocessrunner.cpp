#include "tests/support/doubles/recordingprocessrunner.h"

namespace platform {
namespace {

QString keyOf(const QString& program, const QStringList& arguments)
{
    return (QStringList{program} + arguments).join(QChar(0));
}

} // namespace

ProcessRunner::Result RecordingProcessRunner::run(const QString& program, const QStringList& arguments, int)
{
    m_calls.append({program, arguments, false});
    return m_answers.value(keyOf(program, arguments));
}

bool RecordingProcessRunner::startDetached(const QString& program, const QStringList& arguments)
{
    m_calls.append({program, arguments, true});
    return m_startAnswer;
}

QList<RecordingProcessRunner::Call> RecordingProcessRunner::starts() const
{
    QList<Call> detached;
    for (const Call& call : m_calls)
        if (call.detached)
            detached.append(call);
    return detached;
}

void RecordingProcessRunner::answer(const QString& program, const QStringList& arguments, const Result& result)
{
    m_answers.insert(keyOf(program, arguments), result);
}

} // namespace platform
