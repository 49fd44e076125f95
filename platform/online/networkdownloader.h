#pragma once

#include "platform/online/download.h"

#include <QList>
#include <QSslCertificate>

#include <memory>

class QNetworkAccessManager;
class QNetworkRequest;

namespace platform {

// The downloader on QNetworkAccessManager. Redirects are followed (never from
// HTTPS to HTTP), certificates are verified against the system's authorities
// and any added with addCaCertificates (Qt does not read SSL_CERT_FILE); an
// HTTPS transfer starts once the TLS backend is ready (see tlsready.h). The
// inactivity and overall limits run on the program's clock. Never more than
// the size limit is held in memory: the reply's own buffer is bounded too.
class NetworkDownloader : public Downloader {
    Q_OBJECT
public:
    NetworkDownloader();
    ~NetworkDownloader() override;

    DownloadJob* get(const QUrl& url, const DownloadLimits& limits, QObject* owner) override;

    // Authorities trusted beside the system's (a test's own CA).
    void addCaCertificates(const QList<QSslCertificate>& certificates);

private:
    QNetworkAccessManager& manager();
    // Starts an HTTPS transfer, the TLS backend being ready.
    void startSecure(DownloadJob* job, const QUrl& url);
    // The request for `url`, with the manager's proxy chosen for its host.
    QNetworkRequest requestFor(const QUrl& url);

    std::unique_ptr<QNetworkAccessManager> m_manager;
    QList<QSslCertificate> m_extraCa;
};

} // namespace platform
