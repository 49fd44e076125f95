#pragma once

#include "compat/win32/shell.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

namespace platform {

// Records every call and answers at once from a queue (Success when it is empty).
class RecordingShell : public Shell {
public:
    struct Call {
        QString verb, file, parameters, directory;
        int showMode = 0;
    };
    void shellExecute(const QString& verb, const QString& file, const QString& parameters, const QString& directory,
                      int showMode, Done done) override;
    void answerNext(int code) { m_answers.append(code); }
    const QList<Call>& calls() const { return m_calls; }

private:
    QList<int> m_answers;
    QList<Call> m_calls;
};

} // namespace platform
