#include "platform/online/networkdownloader.h"

#include "platform/base/appinfo.h"
#include "platform/base/peerguard.h"
#include "platform/base/timer.h"
#include "platform/online/tlsready.h"

#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QSslConfiguration>

#include <algorithm>

namespace platform {

namespace {

constexpr int kMaxRedirects = 5;
// What the network thread may hold for the window thread before it waits for
// the window thread to take it. Unbounded, a fast server queues a whole big
// file at once and the window thread takes it in one long turn.
constexpr qint64 kSliceBytes = 256 * 1024;

QString secondsText(int ms) { return QString::number((ms + 999) / 1000); }

QString tooLarge(qint64 maxBytes) { return QStringLiteral("The file is larger than %1 bytes.").arg(maxBytes); }

// Why `url` is not fetched at all, or "".
QString refusedAddress(const QUrl& url, const DownloadLimits& limits)
{
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https")))
        return QStringLiteral("The address %1 is not an HTTP address.").arg(url.toDisplayString());
    return limits.executable ? refusedForExecutable(url) : QString();
}

// One transfer on a QNetworkReply, ended by the first of: the reply's end,
// the size limit, silence, the deadline or a cancel.
class NetworkJob : public DownloadJob {
public:
    NetworkJob(QObject* owner, const DownloadLimits& limits)
        : DownloadJob(owner), m_limits(limits), m_inactivity(limits.inactivityMs), m_deadline(limits.deadlineMs)
    {}

    ~NetworkJob() override { stop(); }

    using DownloadJob::failSoon;

    void start(QNetworkReply* reply)
    {
        m_reply = reply;
        // The reply holds one slice at a time; past the limit the transfer ends.
        reply->setReadBufferSize(std::min(m_limits.maxBytes + 1, kSliceBytes));
        connect(&m_inactivity, &Timer::timeout, this, [this] {
            abortWith(
                QStringLiteral("The server did not answer for %1 seconds.").arg(secondsText(m_limits.inactivityMs)));
        });
        connect(&m_deadline, &Timer::timeout, this, [this] {
            abortWith(
                QStringLiteral("The download took longer than %1 seconds.").arg(secondsText(m_limits.deadlineMs)));
        });
        connect(reply, &QNetworkReply::socketStartedConnecting, this, [this] { progressTo(inet::Connecting); });
        connect(reply, &QNetworkReply::requestSent, this, [this] { progressTo(inet::RequestSent); });
        connect(reply, &QNetworkReply::redirected, this, [this](const QUrl& next) {
            if (m_limits.executable && !refusedForExecutable(next).isEmpty())
                abortWith(refusedForExecutable(next));
        });
        connect(reply, &QNetworkReply::metaDataChanged, this, [this] {
            progressTo(inet::ReceivingResponse);
            const QVariant length = m_reply->header(QNetworkRequest::ContentLengthHeader);
            if (length.isValid() && length.toLongLong() > m_limits.maxBytes)
                abortWith(tooLarge(m_limits.maxBytes));
        });
        connect(reply, &QNetworkReply::downloadProgress, this, [this](qint64 received, qint64) {
            if (received > m_limits.maxBytes)
                abortWith(tooLarge(m_limits.maxBytes));
        });
        connect(reply, &QNetworkReply::readyRead, this, [this] {
            m_inactivity.setEnabled(false);
            m_inactivity.setEnabled(true);
            takeData();
        });
        connect(reply, &QNetworkReply::finished, this, &NetworkJob::replyFinished);
        m_inactivity.setEnabled(true);
        m_deadline.setEnabled(true);
        setState(inet::ResolvingHost);
    }

    // The transfer is under way, its reply still to come.
    void waitForStart() { setState(inet::ResolvingHost); }

protected:
    void stop() override
    {
        m_inactivity.setEnabled(false);
        m_deadline.setEnabled(false);
        if (!m_reply)
            return;
        QNetworkReply* reply = m_reply;
        m_reply = nullptr;
        reply->disconnect(this);
        reply->abort();
        reply->deleteLater();
    }

private:
    void progressTo(int state)
    {
        setState(state);
        m_inactivity.setEnabled(false);
        m_inactivity.setEnabled(true);
    }

    void takeData()
    {
        if (!m_reply || !m_abortReason.isEmpty())
            return;
        // What arrived, up to one byte past the limit, read in place: Qt's
        // own append grows a big buffer a little at a time, copying it over
        // and over.
        const qint64 wanted = std::min(m_limits.maxBytes + 1 - m_data.size(), m_reply->bytesAvailable());
        if (wanted <= 0)
            return;
        const qint64 held = m_data.size();
        if (m_data.capacity() < held + wanted)
            m_data.reserve(std::max(held + wanted, 2 * qint64(m_data.capacity())));
        m_data.resize(held + wanted);
        m_data.resize(held + std::max<qint64>(0, m_reply->read(m_data.data() + held, wanted)));
        if (m_data.size() > m_limits.maxBytes)
            abortWith(tooLarge(m_limits.maxBytes));
    }

    void abortWith(const QString& reason)
    {
        if (!m_reply)
            return;
        if (m_abortReason.isEmpty())
            m_abortReason = reason;
        m_reply->abort(); // finished follows at once
    }

    void replyFinished()
    {
        QNetworkReply* reply = m_reply;
        if (!reply)
            return;
        takeData();
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        const QString reasonPhrase = reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
        const QNetworkReply::NetworkError error = reply->error();
        const QString errorText = reply->errorString();
        stop();

        Download result{false, {}, status, {}};
        if (!m_abortReason.isEmpty())
            result.error = m_abortReason;
        else if (m_data.size() > m_limits.maxBytes)
            result.error = tooLarge(m_limits.maxBytes);
        else if (status != 0 && (status < 200 || status > 299))
            result.error = QStringLiteral("The server answered %1 %2.").arg(status).arg(reasonPhrase).trimmed();
        else if (error != QNetworkReply::NoError)
            result.error = errorText;
        else if (status == 0)
            result.error = QStringLiteral("The server sent no HTTP answer.");
        else
            result = Download{true, std::exchange(m_data, {}), status, {}};
        m_data.clear();
        finish(result);
    }

    DownloadLimits m_limits;
    QPointer<QNetworkReply> m_reply;
    QByteArray m_data;
    QString m_abortReason;
    Timer m_inactivity;
    Timer m_deadline;
};

} // namespace

NetworkDownloader::NetworkDownloader() = default;

NetworkDownloader::~NetworkDownloader() = default;

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

DownloadJob* NetworkDownloader::get(const QUrl& url, const DownloadLimits& limits, QObject* owner)
{
    auto* job = new NetworkJob(owner, limits);
    track(job);
    const QString refused = refusedAddress(url, limits);
    if (!refused.isEmpty()) {
        job->failSoon(refused);
        return job;
    }
    checkPeer(url.host());
    if (url.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) != 0) {
        job->start(manager().get(requestFor(url)));
        return job;
    }
    // The transfer starts once the TLS backend is ready; the job shows it
    // under way meanwhile.
    job->waitForStart();
    whenTlsReady(job, [self = QPointer<NetworkDownloader>(this), job, url] {
        if (job->running() && !self)
            job->failSoon(QStringLiteral("The download was stopped."));
        if (job->running() && self)
            self->startSecure(job, url);
    });
    return job;
}

void NetworkDownloader::startSecure(DownloadJob* job, const QUrl& url)
{
    QNetworkRequest request = requestFor(url);
    QSslConfiguration ssl = QSslConfiguration::defaultConfiguration();
    ssl.setPeerVerifyMode(QSslSocket::VerifyPeer);
    if (!m_extraCa.isEmpty())
        ssl.addCaCertificates(m_extraCa);
    request.setSslConfiguration(ssl);
    static_cast<NetworkJob*>(job)->start(manager().get(request));
}

QNetworkRequest NetworkDownloader::requestFor(const QUrl& url)
{
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(kMaxRedirects);
    request.setTransferTimeout(0); // the job's own limits
    request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("Vantora/") + appVersionText());
    // A proxy of the environment is never asked for this machine's own address.
    manager().setProxy(isLoopbackHost(url.host()) ? QNetworkProxy(QNetworkProxy::NoProxy)
                                                  : QNetworkProxy(QNetworkProxy::DefaultProxy));
    return request;
}

} // namespace platform
