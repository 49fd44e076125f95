#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace platform {

// Starts another program without waiting for it.
class ProcessStarter {
public:
    virtual ~ProcessStarter() = default;
    // True when the program runs (false for a file that cannot be run).
    virtual bool startDetached(const QString& program, const QStringList& arguments) = 0;
};

ProcessStarter& processStarter();
// Replaces the starter; nullptr restores the real one.
void setProcessStarter(ProcessStarter* starter);

// Records every start and answers as the test says; starts nothing.
class RecordingProcessStarter : public ProcessStarter {
public:
    struct Start {
        QString program;
        QStringList arguments;
    };
    bool startDetached(const QString& program, const QStringList& arguments) override;
    void setAnswer(bool started) { m_answer = started; }
    const QList<Start>& starts() const { return m_starts; }

private:
    bool m_answer = true;
    QList<Start> m_starts;
};

} // namespace platform
