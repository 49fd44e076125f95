#pragma once

#include "compat/win32/colordialog.h"

#include <QList>
#include <optional>

namespace platform {

// For tests: answers from a queue without showing anything (cancel when the
// queue is empty) and records the colour each showing preselected.
class ScriptedColorDialog : public ColorDialog {
public:
    std::optional<quint32> ShowColor(QWidget* parent, std::optional<quint32> initial) override;
    void answerNext(std::optional<quint32> colour) { m_answers.append(colour); }
    const QList<std::optional<quint32>>& shown() const { return m_shown; }

private:
    QList<std::optional<quint32>> m_answers;
    QList<std::optional<quint32>> m_shown;
};

} // namespace platform
