#include "peers.h"

#include "tests/support/testenv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

namespace onlinetest {

namespace {

bool runTool(const QString& program, const QStringList& args, const QString& dir)
{
    QProcess p;
    p.setWorkingDirectory(dir);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    if (!p.waitForFinished(30000) || p.exitCode() != 0) {
        qWarning("%s failed: %s", qPrintable(program), p.readAll().constData());
        return false;
    }
    return true;
}

// Starts httppeer.py serving `root` and reads the port it reports; 0 on failure.
quint16 startPeerScript(QProcess& process, const QString& root, const QStringList& extra = {})
{
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // -I -S: the standard library only, no site hooks and no user paths.
    process.start(qEnvironmentVariable("VANTORA_PYTHON", QStringLiteral("python3")),
                  QStringList{QStringLiteral("-I"), QStringLiteral("-S"), sourceFile(QStringLiteral("httppeer.py")),
                              QStringLiteral("--root"), root}
                      + extra);
    if (!process.waitForStarted(testsupport::patience(10000)))
        return 0;
    if (!QTest::qWaitFor([&] { return process.canReadLine() || process.state() != QProcess::Running; },
                         testsupport::patience(30000)))
        return 0;
    return static_cast<quint16>(process.readLine().trimmed().toUInt());
}

void stopByPid(QProcess& process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.kill(); // SIGKILL to the peer's own pid
    process.waitForFinished(5000);
}

void writeBelow(const QString& root, const QString& path, const QByteArray& data)
{
    const QString full = root + path;
    QDir().mkpath(QFileInfo(full).absolutePath());
    QFile file(full);
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.write(data);
}

} // namespace

QString sourceFile(const QString& name)
{
    return qEnvironmentVariable("VANTORA_SOURCE_DIR") + QStringLiteral("/tests/online/") + name;
}

HttpPeer::HttpPeer() = default;
HttpPeer::~HttpPeer() { stop(); }

bool HttpPeer::start()
{
    m_port = startPeerScript(m_process, m_root.path());
    return m_port != 0;
}

void HttpPeer::stop() { stopByPid(m_process); }

QString HttpPeer::base(const QString& prefix) const
{
    return QStringLiteral("http://127.0.0.1:%1").arg(m_port) + prefix;
}

void HttpPeer::put(const QString& path, const QByteArray& data) const { writeBelow(m_root.path(), path, data); }

QStringList HttpPeer::requests() const
{
    QFile log(m_root.filePath(QStringLiteral("requests.log")));
    if (!log.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(log.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QList<qint64> HttpPeer::sent() const
{
    QFile log(m_root.filePath(QStringLiteral("sent.log")));
    QList<qint64> bytes;
    if (!log.open(QIODevice::ReadOnly))
        return bytes;
    for (const QByteArray& line : log.readAll().split('\n'))
        if (!line.isEmpty())
            bytes.append(line.split(' ').last().toLongLong());
    return bytes;
}

void HttpPeer::clearRequests() const { QFile::remove(m_root.filePath(QStringLiteral("requests.log"))); }

TlsPeer::TlsPeer() = default;
TlsPeer::~TlsPeer() { stop(); }

bool TlsPeer::makeCertificates()
{
    const QString dir = m_keys.path();
    const QString ec = QStringLiteral("ec:") + dir + QStringLiteral("/curve.pem");
    QFile ext(dir + QStringLiteral("/ext.cnf"));
    ext.open(QIODevice::WriteOnly);
    ext.write("subjectAltName=IP:127.0.0.1,DNS:localhost\nbasicConstraints=CA:FALSE\n");
    ext.close();
    return runTool(QStringLiteral("openssl"),
                   {QStringLiteral("ecparam"), QStringLiteral("-name"), QStringLiteral("prime256v1"),
                    QStringLiteral("-out"), QStringLiteral("curve.pem")},
                   dir)
        && runTool(QStringLiteral("openssl"),
                   {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"), ec,
                    QStringLiteral("-nodes"), QStringLiteral("-keyout"), QStringLiteral("ca.key"),
                    QStringLiteral("-out"), QStringLiteral("ca.pem"), QStringLiteral("-days"), QStringLiteral("2"),
                    QStringLiteral("-subj"), QStringLiteral("/CN=Vantora Test CA"), QStringLiteral("-addext"),
                    QStringLiteral("basicConstraints=critical,CA:TRUE"), QStringLiteral("-addext"),
                    QStringLiteral("keyUsage=critical,keyCertSign,cRLSign")},
                   dir)
        && runTool(QStringLiteral("openssl"),
                   {QStringLiteral("req"), QStringLiteral("-newkey"), ec, QStringLiteral("-nodes"),
                    QStringLiteral("-keyout"), QStringLiteral("server.key"), QStringLiteral("-out"),
                    QStringLiteral("server.csr"), QStringLiteral("-subj"), QStringLiteral("/CN=127.0.0.1")},
                   dir)
        && runTool(QStringLiteral("openssl"),
                   {QStringLiteral("x509"), QStringLiteral("-req"), QStringLiteral("-in"), QStringLiteral("server.csr"),
                    QStringLiteral("-CA"), QStringLiteral("ca.pem"), QStringLiteral("-CAkey"), QStringLiteral("ca.key"),
                    QStringLiteral("-CAcreateserial"), QStringLiteral("-out"), QStringLiteral("server.pem"),
                    QStringLiteral("-days"), QStringLiteral("2"), QStringLiteral("-extfile"),
                    QStringLiteral("ext.cnf")},
                   dir);
}

bool TlsPeer::start()
{
    if (!makeCertificates())
        return false;
    m_port = startPeerScript(m_process, m_root.path(),
                             {QStringLiteral("--cert"), m_keys.filePath(QStringLiteral("server.pem")),
                              QStringLiteral("--key"), m_keys.filePath(QStringLiteral("server.key"))});
    return m_port != 0;
}

void TlsPeer::stop() { stopByPid(m_process); }

QString TlsPeer::base() const { return QStringLiteral("https://127.0.0.1:%1").arg(m_port); }

void TlsPeer::put(const QString& path, const QByteArray& data) const { writeBelow(m_root.path(), path, data); }

WebBase::WebBase(const QString& base) { qputenv("VANTORA_WEB_BASE", base.toUtf8()); }
WebBase::~WebBase() { testsupport::TestEnvironment::restoreWebBase(); }

} // namespace onlinetest
