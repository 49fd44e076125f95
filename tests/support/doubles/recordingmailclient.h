#pragma once

#include "platform/online/mailclient.h"

#include <QList>
#include <QString>

namespace platform {

// Records every mail and answers as the test says.
class RecordingMailClient : public MailClient {
public:
    MailHandOff compose(const QString& mailtoUri) override;
    void setAnswer(bool ok, const QString& error = {}) { m_answer = MailHandOff{ok, error}; }
    const QList<QString>& uris() const { return m_uris; }

private:
    MailHandOff m_answer{true, {}};
    QList<QString> m_uris;
};

} // namespace platform
