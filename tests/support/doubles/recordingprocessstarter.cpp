#include "tests/support/doubles/recordingprocessstarter.h"

namespace platform {

bool RecordingProcessStarter::startDetached(const QString& program, const QStringList& arguments)
{
    m_starts.append({program, arguments});
    return m_answer;
}

} // namespace platform
