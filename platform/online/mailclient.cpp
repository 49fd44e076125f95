#include "platform/online/mailclient.h"

#include "platform/base/runningstep.h"
#include "platform/base/timer.h"

#include <QEventLoop>
#include <QProcess>

namespace platform {

namespace {

XdgEmailClient g_xdgEmail;
MailClient* g_mailClient = nullptr;

} // namespace

MailClient& mailClient() { return g_mailClient ? *g_mailClient : g_xdgEmail; }

void setMailClient(MailClient* client) { g_mailClient = client; }

QString feedbackAddress() { return QStringLiteral(VANTORA_FEEDBACK_ADDRESS_DEFAULT); }

MailHandOff XdgEmailClient::compose(const QString& mailtoUri)
{
    // Left running on its own when the mail program stays in the foreground.
    auto* process = new QProcess;
    process->setProgram(QStringLiteral("xdg-email"));
    process->setArguments({mailtoUri});
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    process->setStandardInputFile(QProcess::nullDevice());

    QEventLoop loop;
    Timer patience(m_waitMs);
    bool startFailed = false;
    QObject::connect(process, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(process, &QProcess::errorOccurred, &loop, [&](QProcess::ProcessError e) {
        if (e == QProcess::FailedToStart) {
            startFailed = true;
            loop.quit();
        }
    });
    QObject::connect(&patience, &Timer::timeout, &loop, &QEventLoop::quit);
    const RunningStep step;
    process->start();
    patience.setEnabled(true);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    patience.setEnabled(false);

    if (startFailed) {
        process->deleteLater();
        return {false, QStringLiteral("The mail program could not be opened: xdg-email is not installed.")};
    }
    if (process->state() != QProcess::NotRunning) {
        QObject::disconnect(process, nullptr, &loop, nullptr);
        QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
        return {true, {}};
    }
    const bool ok = process->exitStatus() == QProcess::NormalExit && process->exitCode() == 0;
    const int code = process->exitCode();
    process->deleteLater();
    if (ok)
        return {true, {}};
    return {false, QStringLiteral("The mail program could not be opened (xdg-email ended with code %1).").arg(code)};
}

} // namespace platform
