#include "tests/support/doubles/recordingshell.h"

namespace platform {

void RecordingShell::shellExecute(const QString& verb, const QString& file, const QString& parameters,
                                  const QString& directory, int showMode, Done done)
{
    m_calls.append({verb, file, parameters, directory, showMode});
    done(m_answers.isEmpty() ? se::Success : m_answers.takeFirst());
}

} // namespace platform
