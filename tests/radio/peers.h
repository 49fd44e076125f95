#pragma once

// Servers the radio tests start on 127.0.0.1, each stopped by its own process
// id. The test runs in a private network, where the port handed to a daemon
// stays free until the daemon takes it.

#include "tests/support/privatenet.h"
#include "tests/support/testenv.h"

#include <QByteArray>
#include <QDebug>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTcpSocket>
#include <QTest>

namespace radiotest {

// The status line of an HTTP GET on 127.0.0.1, or "" when nothing answers.
inline QByteArray httpStatus(quint16 port, const QByteArray& path)
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    if (!socket.waitForConnected(300))
        return {};
    socket.write("GET " + path + " HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n");
    QByteArray answer;
    while (!answer.contains("\r\n") && socket.waitForReadyRead(500))
        answer += socket.readAll();
    socket.abort();
    return answer.left(answer.indexOf("\r\n"));
}

class Peer {
public:
    ~Peer() { stop(); }

    bool start(const QString& program, const QStringList& args, const QString& folder)
    {
        m_process.setWorkingDirectory(folder);
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.start(program, args);
        return m_process.waitForStarted(testsupport::patience(5000));
    }

    // SIGTERM to the process's id, then SIGKILL if it lingers.
    void stop()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.terminate();
        if (!m_process.waitForFinished(3000)) {
            m_process.kill();
            m_process.waitForFinished(2000);
        }
    }

    qint64 pid() const { return m_process.processId(); }
    bool running() const { return m_process.state() == QProcess::Running; }
    QByteArray output() { return m_process.readAll(); }

private:
    QProcess m_process;
};

// Waits (letting events run) until the peer answers a path with 200.
inline bool waitForOk(quint16 port, const QByteArray& path, int ms)
{
    return QTest::qWaitFor([&] { return httpStatus(port, path).contains(" 200"); }, testsupport::patience(ms));
}

inline bool writeText(const QString& path, const QByteArray& text, QFile::Permissions permissions = {})
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
        return false;
    file.close();
    return permissions == QFile::Permissions() || file.setPermissions(permissions);
}

// Icecast on a port of its own, with one MP3 source from ezstream looping a file.
// Icecast will not run as root: it drops to nobody, so its folder is open to all.
class IcecastStation {
public:
    bool start(const QString& folder, const QString& mp3, const QByteArray& mount, const QByteArray& name)
    {
        m_port = testsupport::portForDaemon();
        m_mount = mount;
        QDir().mkpath(folder);
        QFile::setPermissions(folder, QFile::Permissions(0x7777));
        openTheWayTo(folder);
        const QByteArray dir = folder.toUtf8();
        const QByteArray port = QByteArray::number(m_port);
        const QByteArray server =
            "<icecast><limits><clients>8</clients><sources>2</sources><source-timeout>10</source-timeout></limits>"
            "<authentication><source-password>vantora-src</source-password><admin-user>admin</admin-user>"
            "<admin-password>vantora-admin</admin-password></authentication><hostname>127.0.0.1</hostname>"
            "<listen-socket><port>"
            + port
            + "</port><bind-address>127.0.0.1</bind-address></listen-socket>"
              "<fileserve>0</fileserve><paths><basedir>"
            + dir + "</basedir><logdir>" + dir
            + "</logdir>"
              "<webroot>/usr/share/icecast2/web</webroot><adminroot>/usr/share/icecast2/admin</adminroot></paths>"
              "<logging><accesslog>-</accesslog><errorlog>-</errorlog><loglevel>1</loglevel></logging>"
              "<security><chroot>0</chroot><changeowner><user>nobody</user><group>nogroup</group></changeowner>"
              "</security></icecast>\n";
        const QByteArray source = "<ezstream><servers><server><hostname>127.0.0.1</hostname><port>" + port
            + "</port>"
              "<password>vantora-src</password><tls>none</tls></server></servers>"
              "<streams><stream><mountpoint>"
            + mount + "</mountpoint><format>MP3</format><stream_name>" + name
            + "</stream_name></stream></streams><intakes><intake><type>file</type><filename>" + mp3.toUtf8()
            + "</filename><stream_once>No</stream_once></intake></intakes></ezstream>\n";
        if (!writeText(folder + "/icecast.xml", server, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther)
            || !writeText(folder + "/ezstream.xml", source, QFile::ReadOwner | QFile::WriteOwner))
            return false;
        QFile::setPermissions(mp3, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther);
        if (!m_server.start("icecast2", {"-c", folder + "/icecast.xml"}, folder))
            return false;
        // Up once it answers at all (its status page needs the web root installed).
        // Icecast and ezstream each take seconds to start on a loaded machine.
        if (!QTest::qWaitFor([this] { return !httpStatus(m_port, "/").isEmpty(); }, testsupport::patience(40000)))
            return false;
        return startSource(folder) || tellWhyNotUp();
    }

    QString url() const
    {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(m_port).arg(QString::fromLatin1(m_mount));
    }
    void stopSource() { m_source.stop(); }
    void stop()
    {
        m_source.stop();
        m_server.stop();
    }
    ~IcecastStation() { stop(); }

private:
    // ezstream gives up when its first connection finds the server not yet
    // taking sources, which happens on a loaded machine: it is started again
    // until the mount answers.
    bool startSource(const QString& folder)
    {
        QElapsedTimer waited;
        waited.start();
        const qint64 patience = testsupport::patience(40000);
        while (waited.elapsed() < patience) {
            if (!m_source.running() && !m_source.start("ezstream", {"-c", folder + "/ezstream.xml"}, folder))
                return false;
            if (QTest::qWaitFor([this] { return !m_source.running() || httpStatus(m_port, m_mount).contains(" 200"); },
                                int(patience - waited.elapsed()))
                && m_source.running())
                return true;
        }
        return false;
    }

    bool tellWhyNotUp()
    {
        qWarning().noquote() << "Icecast said:" << m_server.output() << "\nezstream said:" << m_source.output();
        return false;
    }

    // The folders above a temporary folder are the test's own and closed to
    // others: nobody may pass through them (not list them).
    static void openTheWayTo(const QString& folder)
    {
        QDir dir(folder);
        while (dir.cdUp() && !dir.isRoot()) {
            const QFile::Permissions now = QFile::permissions(dir.path());
            if (now.testFlag(QFile::ExeOther))
                break;
            QFile::setPermissions(dir.path(), now | QFile::ExeOther);
        }
    }

    Peer m_server;
    Peer m_source;
    quint16 m_port = 0;
    QByteArray m_mount;
};

} // namespace radiotest
