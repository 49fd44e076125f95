#include "core/sysmod.h"

#include "platform/base/clock.h"
#include "platform/base/windowsystem.h"

void SetOnTop(QWidget* hWnd, int mode)
{
    platform::doEvents();
    platform::ZOrder order = platform::ZOrder::Top;
    if (mode == -1)
        order = platform::ZOrder::TopMost;
    else if (mode == 0)
        order = platform::ZOrder::NotTopMost;
    platform::windowSystem().placeAndShow(hWnd, order);
    platform::doEvents();
}
