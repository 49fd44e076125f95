#pragma once

#include "platform/online/download.h"

#include <QList>
#include <QPointer>
#include <QSslCertificate>

#include <memory>

class QNetworkAccessManager;
class QNetworkReply;

namespace platform {

// The downloader on QNetworkAccessManager. Redirects are followed (never from
// HTTPS to HTTP), certificates are verified against the system's authorities
// and any added with addCaCertificates (Qt does not read SSL_CERT_FILE). The
// inactivity and overall limits run on the program's clock.
class NetworkDownloader : public Downloader {
    Q_OBJECT
public:
    NetworkDownloader();
    ~NetworkDownloader() override;

    Download OpenURL(const QUrl& url, const DownloadLimits& limits = {}) override;
    int state() const override { return m_state; }
    bool StillExecuting() const override { return !m_reply.isNull(); }
    void Cancel() override;

    // Authorities trusted beside the system's (a test's own CA).
    void addCaCertificates(const QList<QSslCertificate>& certificates);

private:
    void setState(int state);
    void abortWith(const QString& reason);
    QNetworkAccessManager& manager();

    std::unique_ptr<QNetworkAccessManager> m_manager;
    QList<QSslCertificate> m_extraCa;
    QPointer<QNetworkReply> m_reply;
    QString m_abortReason;
    int m_state = inet::NoState;
};

} // namespace platform
