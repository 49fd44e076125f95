#pragma once

#include "platform/online/processstarter.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace platform {

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
