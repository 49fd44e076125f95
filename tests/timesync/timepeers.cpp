#include "tests/timesync/timepeers.h"

#include "tests/support/doubles/manualclock.h"
#include "tests/support/testenv.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <csignal>

namespace testsupport {

LoopbackTimeServer::LoopbackTimeServer()
{
    m_server.listen(QHostAddress::LocalHost, 0);
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = m_server.nextPendingConnection()) {
            ++m_connections;
            ++m_open;
            connect(socket, &QTcpSocket::disconnected, this, [this] { --m_open; });
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            if (m_mode == Mode::Answer)
                answer(socket, 0);
            else if (m_mode == Mode::Flood)
                flood(socket);
            else
                m_held.append(socket);
        }
    });
}

void LoopbackTimeServer::answer(QTcpSocket* socket, int piece)
{
    if (piece >= m_pieces.size()) {
        socket->disconnectFromHost();
        return;
    }
    socket->write(m_pieces[piece]);
    socket->flush();
    // The next piece follows a moment later, so that the client reads each on its own.
    QTimer::singleShot(piece + 1 < m_pieces.size() ? 30 : 0, socket,
                       [this, socket, piece] { answer(socket, piece + 1); });
}

void LoopbackTimeServer::flood(QTcpSocket* socket)
{
    // Whenever the last block has left, the next one follows.
    const auto more = [this, socket] {
        if (socket->bytesToWrite() > 0 || socket->state() != QAbstractSocket::ConnectedState)
            return;
        const QByteArray block(64 * 1024, 'x');
        socket->write(block);
        m_flooded += block.size();
    };
    connect(socket, &QTcpSocket::bytesWritten, socket, more);
    more();
}

void LoopbackTimeServer::release()
{
    const QList<QPointer<QTcpSocket>> held = std::exchange(m_held, {});
    for (const QPointer<QTcpSocket>& socket : held)
        if (socket)
            answer(socket, 0);
}

XinetdTimeServer::XinetdTimeServer() = default;

XinetdTimeServer::~XinetdTimeServer() { stop(); }

bool XinetdTimeServer::start()
{
    m_port = portForDaemon();
    const QString conf = m_dir.filePath(QStringLiteral("xinetd.conf"));
    QFile file(conf);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(QStringLiteral("defaults\n{\n}\n"
                              "service time\n{\n"
                              "    type        = INTERNAL UNLISTED\n"
                              "    id          = time-stream\n"
                              "    socket_type = stream\n"
                              "    protocol    = tcp\n"
                              "    user        = root\n"
                              "    wait        = no\n"
                              "    bind        = 127.0.0.1\n"
                              "    port        = %1\n"
                              "    disable     = no\n"
                              // no pause after many connections in a row
                              "    cps         = 100000 1\n"
                              "    instances   = UNLIMITED\n"
                              "    per_source  = UNLIMITED\n"
                              "}\n")
                   .arg(m_port)
                   .toUtf8());
    file.close();
    m_process.start(QStringLiteral("xinetd"),
                    {QStringLiteral("-dontfork"), QStringLiteral("-filelog"), m_dir.filePath(QStringLiteral("log")),
                     QStringLiteral("-f"), conf, QStringLiteral("-pidfile"), m_dir.filePath(QStringLiteral("pid"))});
    if (!m_process.waitForStarted(patience(5000)))
        return false;
    const auto listening = [this] {
        QTcpSocket probe;
        probe.connectToHost(QHostAddress::LocalHost, m_port);
        return probe.waitForConnected(200);
    };
    return QTest::qWaitFor([&] { return m_process.state() != QProcess::Running || listening(); }, patience(10000))
        && m_process.state() == QProcess::Running;
}

void XinetdTimeServer::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    ::kill(static_cast<pid_t>(m_process.processId()), SIGTERM);
    if (!m_process.waitForFinished(5000)) {
        ::kill(static_cast<pid_t>(m_process.processId()), SIGKILL);
        m_process.waitForFinished(5000);
    }
}

bool pumpUntil(const std::function<bool()>& done, platform::ManualClock* clock, int stepMs)
{
    QElapsedTimer real;
    real.start();
    while (!done()) {
        if (real.elapsed() > patience(8000))
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 2);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        if (clock && stepMs > 0)
            clock->advance(stepMs);
        else
            QThread::usleep(200);
    }
    return true;
}

} // namespace testsupport
