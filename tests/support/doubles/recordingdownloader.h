#pragma once

#include "platform/online/download.h"

#include <QHash>
#include <QList>
#include <QPointer>

#include <functional>

namespace platform {

// A downloader for tests: answers each address from what the test set, from
// the event loop as a real transfer does, records every request with its
// limits, and passes through the usual states. While held, transfers wait
// until release().
class RecordingDownloader : public Downloader {
    Q_OBJECT
public:
    struct Request {
        QUrl url;
        DownloadLimits limits;
    };

    DownloadJob* get(const QUrl& url, const DownloadLimits& limits, QObject* owner) override;

    // The file served at an address (an exact URL or a path such as "/VN/VN.log").
    void serve(const QString& urlOrPath, const QByteArray& data);
    // The failure served at an address.
    void fail(const QString& urlOrPath, const QString& error, int httpStatus = 0);
    // Runs once a download has started and before it is answered.
    void setDuringDownload(std::function<void()> action) { m_during = std::move(action); }
    // Keeps every transfer waiting until release().
    void hold(bool on) { m_hold = on; }
    // Answers the waiting transfers.
    void release();

    const QList<Request>& requests() const { return m_requests; }
    QStringList requestedPaths() const;
    // Transfers ended without an answer (cancelled or their owner gone).
    int cancelCount() const { return m_cancels; }

private:
    Download answerFor(const QUrl& url, const DownloadLimits& limits) const;
    void answer(DownloadJob* job, const QUrl& url, const DownloadLimits& limits);

    QHash<QString, Download> m_answers;
    QList<Request> m_requests;
    QList<std::function<void()>> m_waiting;
    std::function<void()> m_during;
    int m_cancels = 0;
    bool m_hold = false;
};

} // namespace platform
