#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

namespace platform {

// Starts other programs of the desktop (the screensaver daemon's control
// command). The program reaches it through processRunner() so that tests can
// answer in its place.
class ProcessRunner {
public:
    struct Result {
        bool finished = false; // started and ended within the time allowed
        int exitCode = -1;
        QByteArray output;     // standard output
    };
    virtual ~ProcessRunner() = default;

    // Runs the program and waits at most timeoutMs for it to end.
    virtual Result run(const QString& program, const QStringList& arguments, int timeoutMs) = 0;
    // Starts the program without waiting for it or keeping it as a child.
    virtual bool startDetached(const QString& program, const QStringList& arguments) = 0;
};

ProcessRunner& processRunner();
// Replaces the runner; nullptr restores the real one.
void setProcessRunner(ProcessRunner* runner);

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
    const QList<Call>& calls() const { return m_calls; }
    void clear() { m_calls.clear(); }

private:
    QMap<QString, Result> m_answers;
    QList<Call> m_calls;
};

} // namespace platform
