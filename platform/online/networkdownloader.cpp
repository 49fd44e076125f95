#include "platform/online/networkdownloader.h"

#include "platform/base/appinfo.h"
#include "platform/base/peerguard.h"
#include "platform/base/timer.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslConfiguration>

namespace platform {

namespace {

constexpr int kMaxRedirects = 5;

Download failed(const QString& error, int status = 0) { return Download{false, {}, status, error}; }

QString secondsText(int ms) { return QString::number((ms + 999) / 1000); }

} // namespace

NetworkDownloader::NetworkDownloader() = default;

NetworkDownloader::~NetworkDownloader()
{
    if (m_reply)
        m_reply->abort();
}

QNetworkAccessManager& NetworkDownloader::manager()
{
    if (!m_manager)
        m_manager = std::make_unique<QNetworkAccessManager>();
    return *m_manager;
}

void NetworkDownloader::addCaCertificates(const QList<QSslCertificate>& certificates)
{
    m_extraCa.append(certificates);
}

void NetworkDownloader::setState(int state)
{
    if (state == m_state)
        return;
    m_state = state;
    emit StateChanged(state);
}

void NetworkDownloader::abortWith(const QString& reason)
{
    if (!m_reply)
        return;
    if (m_abortReason.isEmpty())
        m_abortReason = reason;
    m_reply->abort();
}

void NetworkDownloader::Cancel() { abortWith(QStringLiteral("The download was cancelled.")); }

Download NetworkDownloader::OpenURL(const QUrl& url, const DownloadLimits& limits)
{
    if (m_reply)
        return failed(QStringLiteral("Another download is still running."));
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https")))
        return failed(QStringLiteral("The address %1 is not an HTTP address.").arg(url.toDisplayString()));
    if (limits.executable) {
        const QString refused = refusedForExecutable(url);
        if (!refused.isEmpty())
            return failed(refused);
    }

    checkPeer(url.host());
    m_abortReason.clear();
    setState(inet::ResolvingHost);
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(kMaxRedirects);
    request.setTransferTimeout(0); // our own limits below
    request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("Vantora/") + appVersionText());
    if (scheme == QLatin1String("https")) {
        QSslConfiguration ssl = QSslConfiguration::defaultConfiguration();
        ssl.setPeerVerifyMode(QSslSocket::VerifyPeer);
        if (!m_extraCa.isEmpty())
            ssl.addCaCertificates(m_extraCa);
        request.setSslConfiguration(ssl);
    }
    // A proxy of the environment is never asked for this machine's own address.
    manager().setProxy(isLoopbackHost(url.host()) ? QNetworkProxy(QNetworkProxy::NoProxy)
                                                  : QNetworkProxy(QNetworkProxy::DefaultProxy));

    QNetworkReply* reply = manager().get(request);
    m_reply = reply;
    QByteArray data;
    Timer inactivity(limits.inactivityMs);
    Timer deadline(limits.deadlineMs);
    QEventLoop loop;

    const auto restartInactivity = [&] {
        inactivity.setEnabled(false);
        inactivity.setEnabled(true);
    };
    connect(&inactivity, &Timer::timeout, reply, [&] {
        abortWith(QStringLiteral("The server did not answer for %1 seconds.").arg(secondsText(limits.inactivityMs)));
    });
    connect(&deadline, &Timer::timeout, reply, [&] {
        abortWith(QStringLiteral("The download took longer than %1 seconds.").arg(secondsText(limits.deadlineMs)));
    });
    connect(reply, &QNetworkReply::socketStartedConnecting, this, [&] {
        setState(inet::Connecting);
        restartInactivity();
    });
    connect(reply, &QNetworkReply::requestSent, this, [&] {
        setState(inet::RequestSent);
        restartInactivity();
    });
    connect(reply, &QNetworkReply::redirected, this, [&](const QUrl& next) {
        if (limits.executable && !refusedForExecutable(next).isEmpty())
            abortWith(refusedForExecutable(next));
    });
    connect(reply, &QNetworkReply::metaDataChanged, this, [&] {
        setState(inet::ReceivingResponse);
        restartInactivity();
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid() && length.toLongLong() > limits.maxBytes)
            abortWith(QStringLiteral("The file is larger than %1 bytes.").arg(limits.maxBytes));
    });
    connect(reply, &QNetworkReply::readyRead, this, [&] {
        restartInactivity();
        data += reply->read(limits.maxBytes + 1 - data.size());
        if (data.size() > limits.maxBytes)
            abortWith(QStringLiteral("The file is larger than %1 bytes.").arg(limits.maxBytes));
    });
    connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);

    inactivity.setEnabled(true);
    deadline.setEnabled(true);
    if (!reply->isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    inactivity.setEnabled(false);
    deadline.setEnabled(false);

    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QString reasonPhrase = reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
    const QNetworkReply::NetworkError error = reply->error();
    const QString errorText = reply->errorString();
    if (m_abortReason.isEmpty() && data.size() <= limits.maxBytes)
        data += reply->read(limits.maxBytes + 1 - data.size());
    reply->disconnect();
    inactivity.disconnect();
    deadline.disconnect();
    reply->deleteLater();
    m_reply = nullptr;

    Download result;
    if (!m_abortReason.isEmpty()) {
        result = failed(m_abortReason, status);
    } else if (data.size() > limits.maxBytes) {
        result = failed(QStringLiteral("The file is larger than %1 bytes.").arg(limits.maxBytes), status);
    } else if (status != 0 && (status < 200 || status > 299)) {
        result = failed(QStringLiteral("The server answered %1 %2.").arg(status).arg(reasonPhrase).trimmed(), status);
    } else if (error != QNetworkReply::NoError) {
        result = failed(errorText, status);
    } else if (status == 0) {
        result = failed(QStringLiteral("The server sent no HTTP answer."));
    } else {
        result = Download{true, data, status, {}};
    }
    if (result.ok) {
        setState(inet::ResponseReceived);
        setState(inet::ResponseCompleted);
    } else {
        setState(inet::Error);
    }
    return result;
}

} // namespace platform
