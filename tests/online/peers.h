#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <memory>

namespace onlinetest {

// The loopback HTTP peer (httppeer.py) serving a temporary folder.
class HttpPeer {
public:
    HttpPeer();
    ~HttpPeer();

    bool start();
    void stop();
    quint16 port() const { return m_port; }
    // "http://127.0.0.1:port" followed by prefix ("/status/404" and the like).
    QString base(const QString& prefix = {}) const;
    // Writes a file below the served folder.
    void put(const QString& path, const QByteArray& data) const;
    QString root() const { return m_root.path(); }
    // The paths asked for, in order.
    QStringList requests() const;
    void clearRequests() const;
    // What each ended hostile answer (/endless, /trickle, /huge) had sent, in bytes.
    QList<qint64> sent() const;

private:
    QTemporaryDir m_root;
    QProcess m_process;
    quint16 m_port = 0;
};

// The loopback peer over TLS, with a certificate for 127.0.0.1
// signed by a certificate authority made for the test.
class TlsPeer {
public:
    TlsPeer();
    ~TlsPeer();

    bool start();
    void stop();
    QString base() const;
    void put(const QString& path, const QByteArray& data) const;
    QString caFile() const { return m_keys.filePath(QStringLiteral("ca.pem")); }

private:
    bool makeCertificates();
    QTemporaryDir m_keys;
    QTemporaryDir m_root;
    QProcess m_process;
    quint16 m_port = 0;
};

// The path of a helper file of the online tests in the source tree.
QString sourceFile(const QString& name);

// Points the program at another web host for its lifetime.
class WebBase {
public:
    explicit WebBase(const QString& base);
    ~WebBase();
};

} // namespace onlinetest
