#pragma once

#include "platform/online/download.h"

#include <QHash>
#include <QList>

#include <functional>

namespace platform {

// A downloader for tests: answers each address from what the test set, records
// every request with its limits, and passes through the usual states.
class RecordingDownloader : public Downloader {
    Q_OBJECT
public:
    struct Request {
        QUrl url;
        DownloadLimits limits;
    };

    Download OpenURL(const QUrl& url, const DownloadLimits& limits = {}) override;
    int state() const override { return m_state; }
    bool StillExecuting() const override { return m_running; }
    void Cancel() override { ++m_cancels; }

    // The file served at an address (an exact URL or a path such as "/VN/VN.log").
    void serve(const QString& urlOrPath, const QByteArray& data);
    // The failure served at an address.
    void fail(const QString& urlOrPath, const QString& error, int httpStatus = 0);
    // Runs while a download is in progress (another command started meanwhile).
    void setDuringDownload(std::function<void()> action) { m_during = std::move(action); }

    const QList<Request>& requests() const { return m_requests; }
    QStringList requestedPaths() const;
    int cancelCount() const { return m_cancels; }

private:
    const Download* answerFor(const QUrl& url) const;
    void setState(int state);

    QHash<QString, Download> m_answers;
    QList<Request> m_requests;
    std::function<void()> m_during;
    int m_state = inet::NoState;
    int m_cancels = 0;
    bool m_running = false;
};

} // namespace platform
