#include "tests/support/doubles/recordingmailclient.h"

namespace platform {

MailHandOff RecordingMailClient::compose(const QString& mailtoUri)
{
    m_uris.append(mailtoUri);
    return m_answer;
}

} // namespace platform
