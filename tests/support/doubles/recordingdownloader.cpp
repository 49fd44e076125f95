#include "tests/support/doubles/recordingdownloader.h"

#include <QTimer>

namespace platform {

namespace {

class RecordedJob : public DownloadJob {
public:
    RecordedJob(QObject* owner, int* cancels) : DownloadJob(owner), m_cancels(cancels) {}
    ~RecordedJob() override
    {
        if (running())
            ++*m_cancels;
    }
    using DownloadJob::finish;
    using DownloadJob::setState;

protected:
    void stop() override { ++*m_cancels; }

private:
    int* m_cancels;
};

} // namespace

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

Download RecordingDownloader::answerFor(const QUrl& url, const DownloadLimits& limits) const
{
    if (limits.executable && !refusedForExecutable(url).isEmpty())
        return Download{false, {}, 0, refusedForExecutable(url)};
    auto it = m_answers.constFind(url.toString());
    if (it == m_answers.cend())
        it = m_answers.constFind(url.path());
    if (it == m_answers.cend())
        return Download{false, {}, 404, QStringLiteral("The server answered 404 Not Found.")};
    if (it->ok && it->data.size() > limits.maxBytes)
        return Download{false, {}, 200, QStringLiteral("The file is larger than %1 bytes.").arg(limits.maxBytes)};
    return *it;
}

void RecordingDownloader::answer(DownloadJob* job, const QUrl& url, const DownloadLimits& limits)
{
    auto* recorded = static_cast<RecordedJob*>(job);
    for (int s : {inet::Connecting, inet::RequestSent, inet::ReceivingResponse})
        recorded->setState(s);
    recorded->finish(answerFor(url, limits));
}

DownloadJob* RecordingDownloader::get(const QUrl& url, const DownloadLimits& limits, QObject* owner)
{
    m_requests.append({url, limits});
    auto* job = new RecordedJob(owner, &m_cancels);
    track(job);
    job->setState(inet::ResolvingHost);
    const QPointer<DownloadJob> alive(job);
    auto reply = [this, alive, url, limits] {
        if (alive && alive->running())
            answer(alive, url, limits);
    };
    QTimer::singleShot(0, job, [this, reply] {
        if (m_during) {
            const auto during = std::move(m_during);
            m_during = nullptr;
            during();
        }
        if (m_hold)
            m_waiting.append(reply);
        else
            reply();
    });
    return job;
}

void RecordingDownloader::release()
{
    m_hold = false;
    const auto waiting = std::exchange(m_waiting, {});
    for (const auto& reply : waiting)
        reply();
}

} // namespace platform
