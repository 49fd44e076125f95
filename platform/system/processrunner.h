#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

namespace platform {

// Starts other programs (the screensaver daemon's control command, the
// downloaded updater). The program reaches it through processRunner() so that
// tests can answer in its place.
class ProcessRunner {
public:
    struct Result {
        bool finished = false; // started and ended within the time allowed
        int exitCode = -1;
        QByteArray output; // standard output
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

} // namespace platform
