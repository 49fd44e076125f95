#pragma once

#include <QList>
#include <QString>

namespace platform {

// What handing a mail to the user's mail program ended with.
struct MailHandOff {
    bool ok = false;
    QString error; // a sentence for the user when !ok
};

// The user's mail program: opens a composed mail given as a mailto: URI.
class MailClient {
public:
    virtual ~MailClient() = default;
    virtual MailHandOff compose(const QString& mailtoUri) = 0;
};

MailClient& mailClient();
// Replaces the mail client; nullptr restores the real one.
void setMailClient(MailClient* client);

// The mail program the desktop names, reached through xdg-email (which honours
// $MAILER and the x-scheme-handler/mailto association). The URI is passed as
// one argument, never through xdg-email's --subject/--body options. Waits
// while the window keeps running; a mail program that is still open after
// `waitMs` has the mail, so that counts as handed over.
class XdgEmailClient : public MailClient {
public:
    explicit XdgEmailClient(int waitMs = 20000) : m_waitMs(waitMs) {}
    MailHandOff compose(const QString& mailtoUri) override;

private:
    int m_waitMs;
};

// The address the feedback mail goes to (built in).
QString feedbackAddress();

} // namespace platform
