#include "platform/online/download.h"

#include "platform/online/networkdownloader.h"

#include <QHostAddress>
#include <QTimer>

namespace platform {

namespace {

Downloader* g_downloader = nullptr;

NetworkDownloader& networkDownloader()
{
    static NetworkDownloader instance;
    return instance;
}

} // namespace

void DownloadJob::setState(int state)
{
    if (state == m_state || m_ended)
        return;
    m_state = state;
    emit stateChanged(state);
}

void DownloadJob::finish(const Download& result)
{
    if (m_ended)
        return;
    setState(result.ok ? inet::ResponseReceived : inet::Error);
    if (result.ok)
        setState(inet::ResponseCompleted);
    m_ended = true;
    emit finished(result);
    deleteLater();
}

void DownloadJob::failSoon(const QString& error)
{
    QTimer::singleShot(0, this, [this, error] { finish(Download{false, {}, 0, error}); });
}

void DownloadJob::cancel()
{
    if (m_ended)
        return;
    m_ended = true;
    stop();
    deleteLater();
}

DownloadJob* Downloader::track(DownloadJob* job)
{
    ++m_running;
    connect(job, &DownloadJob::stateChanged, this, &Downloader::setState);
    connect(job, &QObject::destroyed, this, [this] { --m_running; });
    return job;
}

void Downloader::setState(int state)
{
    if (state == m_state)
        return;
    m_state = state;
    emit StateChanged(state);
}

Downloader& downloader() { return g_downloader ? *g_downloader : networkDownloader(); }

void setDownloader(Downloader* d) { g_downloader = d; }

QString webBase()
{
    QString base = qEnvironmentVariable("VANTORA_WEB_BASE");
    if (base.trimmed().isEmpty())
        base = QStringLiteral(VANTORA_WEB_BASE_DEFAULT);
    base = base.trimmed();
    while (base.endsWith(QLatin1Char('/')))
        base.chop(1);
    return base;
}

QUrl webUrl(const QString& path) { return QUrl(webBase() + path); }

bool isLoopbackHost(const QString& host)
{
    if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0)
        return true;
    QString bare = host;
    if (bare.startsWith(QLatin1Char('[')) && bare.endsWith(QLatin1Char(']')))
        bare = bare.mid(1, bare.size() - 2);
    const QHostAddress address(bare);
    return !address.isNull() && address.isLoopback();
}

QString refusedForExecutable(const QUrl& url)
{
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("https"))
        return {};
    if (scheme == QLatin1String("http") && isLoopbackHost(url.host()))
        return {};
    return QStringLiteral("The update program is only downloaded over a secure (HTTPS) connection.");
}

} // namespace platform
