#include "tests/support/doubles/scripteddialogs.h"

#include <algorithm>

namespace platform {

int ScriptedDialogs::msgBox(const QString& prompt, int style, const QString& title)
{
    m_shown.append({Shown::Message, prompt, title, style, {}});
    return m_messageAnswers.isEmpty() ? defaultAnswer(style) : m_messageAnswers.takeFirst();
}

QString ScriptedDialogs::inputBox(const QString& prompt, const QString& title, const QString& defaultText)
{
    m_shown.append({Shown::Input, prompt, title, 0, defaultText});
    return m_inputAnswers.isEmpty() ? QString() : m_inputAnswers.takeFirst();
}

int ScriptedDialogs::messageCount() const
{
    return static_cast<int>(
        std::count_if(m_shown.begin(), m_shown.end(), [](const Shown& s) { return s.kind == Shown::Message; }));
}

int ScriptedDialogs::inputCount() const { return static_cast<int>(m_shown.size()) - messageCount(); }

void ScriptedDialogs::clear()
{
    m_messageAnswers.clear();
    m_inputAnswers.clear();
    m_shown.clear();
}

} // namespace platform
