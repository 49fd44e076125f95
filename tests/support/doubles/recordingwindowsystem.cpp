#include "tests/support/doubles/recordingwindowsystem.h"

#include <QWidget>

namespace platform {

void RecordingWindowSystem::placeAndShow(QWidget* window, ZOrder order)
{
    m_calls.append({window, order});
    if (window)
        window->show();
}

} // namespace platform
