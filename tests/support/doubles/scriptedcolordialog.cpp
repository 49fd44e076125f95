#include "tests/support/doubles/scriptedcolordialog.h"

namespace platform {

std::optional<quint32> ScriptedColorDialog::ShowColor(QWidget*, std::optional<quint32> initial)
{
    m_shown.append(initial);
    return m_answers.isEmpty() ? std::nullopt : m_answers.takeFirst();
}

} // namespace platform
