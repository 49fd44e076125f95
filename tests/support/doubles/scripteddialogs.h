#pragma once

#include "platform/base/dialogs.h"

#include <QList>
#include <QString>

namespace platform {

// Dialogs for tests: every box is recorded and answered from a queue without
// being shown. With the queue empty a message box takes its default button and
// an input box is cancelled.
class ScriptedDialogs : public Dialogs {
public:
    struct Shown {
        enum Kind { Message, Input } kind;
        QString prompt;
        QString title;
        int style = 0;       // message boxes
        QString defaultText; // input boxes
    };

    int msgBox(const QString& prompt, int style, const QString& title) override;
    QString inputBox(const QString& prompt, const QString& title, const QString& defaultText) override;

    void answerNextMessage(int answer) { m_messageAnswers.append(answer); }
    void answerNextInput(const QString& text) { m_inputAnswers.append(text); }

    const QList<Shown>& shown() const { return m_shown; }
    int messageCount() const;
    int inputCount() const;
    void clear();

private:
    QList<int> m_messageAnswers;
    QList<QString> m_inputAnswers;
    QList<Shown> m_shown;
};

} // namespace platform
