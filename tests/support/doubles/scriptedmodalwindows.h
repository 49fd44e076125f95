#pragma once

#include "platform/base/modal.h"

#include <QList>
#include <QPointer>
#include <QString>
#include <functional>

namespace platform {

// Modal windows for tests: the window is really shown (so its load and
// activation run), then the next queued answer acts on it while it is up
// (a click on a control, reading its texts); then, if it is still shown, it is
// closed as its close box does. The call never blocks.
class ScriptedModalWindows : public ModalWindows {
public:
    using Answer = std::function<void(QWidget*)>;

    void runModal(QWidget* window) override;

    void answerNext(Answer answer) { m_answers.append(std::move(answer)); }
    // The object names of the windows run so far, in order.
    const QStringList& shown() const { return m_shown; }
    void clear() { m_shown.clear(); }

private:
    QList<Answer> m_answers;
    QStringList m_shown;
};

} // namespace platform
