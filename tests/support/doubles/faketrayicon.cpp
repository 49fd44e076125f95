#include "tests/support/doubles/faketrayicon.h"

#include <QMenu>

namespace platform {

void FakeTrayIcon::showIcon(const QIcon& icon, const QString& tip)
{
    m_icon = icon;
    m_shown = true;
    ++m_showCount;
    setToolTip(tip);
}

void FakeTrayIcon::setToolTip(const QString& tip)
{
    m_tip = tip;
    m_tips.append(tip);
}

void FakeTrayIcon::doubleClick()
{
    emit released();
    emit doubleClicked();
}

} // namespace platform
