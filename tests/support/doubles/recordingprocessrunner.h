#pragma once

#include "platform/system/processrunner.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

namespace platform {

// For tests: records every call and answers run() from a table (a program
// that is not in the table did not finish).
class RecordingProcessRunner : public ProcessRunner {
public:
    struct Call {
        QString program;
        QStringList arguments;
        bool detached = false;
    };

    Result run(const QString& program, const QStringList& arguments, int timeoutMs) override;
    bool startDetached(const QString& program, const QStringList& arguments) override;

    // The answer to run(program, arguments).
    void answer(const QString& program, const QStringList& arguments, const Result& result);
    // What startDetached() answers (true unless set).
    void setStartAnswer(bool started) { m_startAnswer = started; }
    const QList<Call>& calls() const { return m_calls; }
    // The calls of startDetached().
    QList<Call> starts() const;
    void clear() { m_calls.clear(); }

private:
    QMap<QString, Result> m_answers;
    QList<Call> m_calls;
    bool m_startAnswer = true;
};

} // namespace platform
