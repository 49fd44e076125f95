#include "platform/online/recordingdownloader.h"

namespace platform {

void RecordingDownloader::serve(const QString& urlOrPath, const QByteArray& data)
{
    m_answers.insert(urlOrPath, Download{true, data, 200, {}});
}

void RecordingDownloader::fail(const QString& urlOrPath, const QString& error, int httpStatus)
{
    m_answers.insert(urlOrPath, Download{false, {}, httpStatus, error});
}

QStringList RecordingDownloader::requestedPaths() const
{
    QStringList paths;
    for (const Request& r : m_requests)
        paths.append(r.url.path());
    return paths;
}

const Download* RecordingDownloader::answerFor(const QUrl& url) const
{
    auto it = m_answers.constFind(url.toString());
    if (it == m_answers.cend())
        it = m_answers.constFind(url.path());
    return it == m_answers.cend() ? nullptr : &*it;
}

void RecordingDownloader::setState(int state)
{
    if (state == m_state)
        return;
    m_state = state;
    emit StateChanged(state);
}

Download RecordingDownloader::OpenURL(const QUrl& url, const DownloadLimits& limits)
{
    if (m_running)
        return Download{false, {}, 0, QStringLiteral("Another download is still running.")};
    m_requests.append({url, limits});
    if (limits.executable && !refusedForExecutable(url).isEmpty())
        return Download{false, {}, 0, refusedForExecutable(url)};
    m_running = true;
    for (int s : {inet::ResolvingHost, inet::Connecting, inet::RequestSent, inet::ReceivingResponse})
        setState(s);
    if (m_during) {
        const auto during = std::move(m_during);
        m_during = nullptr;
        during();
    }
    m_running = false;
    const Download* answer = answerFor(url);
    Download result = answer ? *answer
                             : Download{false, {}, 404, QStringLiteral("The server answered 404 Not Found.")};
    if (result.ok && result.data.size() > limits.maxBytes)
        result = Download{false, {}, 200, QStringLiteral("The file is larger than %1 bytes.").arg(limits.maxBytes)};
    if (result.ok) {
        setState(inet::ResponseReceived);
        setState(inet::ResponseCompleted);
    } else {
        setState(inet::Error);
    }
    return result;
}

} // namespace platform
