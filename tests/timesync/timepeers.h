#pragma once

#include "tests/support/privatenet.h"
#include "tests/support/doubles/manualclock.h"

#include <QByteArray>
#include <QList>
#include <QPointer>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <functional>

namespace platform {
class ManualClock;
}

namespace testsupport {

// A TIME-protocol peer on 127.0.0.1 that answers as told: the given octets in
// the given pieces and then closes, or holds the connection until release(),
// or never answers at all, or floods the connection for as long as it lasts.
class LoopbackTimeServer : public QObject {
public:
    enum class Mode { Answer, Hold, Silent, Flood };

    LoopbackTimeServer();
    quint16 port() const { return m_server.serverPort(); }

    void setReply(const QList<QByteArray>& pieces) { m_pieces = pieces; }
    void setReply(const QByteArray& reply) { m_pieces = {reply}; }
    void setMode(Mode mode) { m_mode = mode; }

    int connectionCount() const { return m_connections; }
    // Connections the client has not closed yet.
    int openConnections() const { return m_open; }
    // Octets a flood got into the connection (the client's system buffers included).
    qint64 flooded() const { return m_flooded; }
    // Sends the reply on every held connection and closes them.
    void release();

private:
    void answer(QTcpSocket* socket, int piece);
    void flood(QTcpSocket* socket);
    QTcpServer m_server;
    QList<QByteArray> m_pieces;
    Mode m_mode = Mode::Answer;
    int m_connections = 0;
    int m_open = 0;
    qint64 m_flooded = 0;
    QList<QPointer<QTcpSocket>> m_held;
};

// xinetd's own "time" service on 127.0.0.1, started by the test and stopped by
// its pid. Its port is race-free in a test that runs in a private network.
class XinetdTimeServer {
public:
    XinetdTimeServer();
    ~XinetdTimeServer();
    // Starts xinetd and waits until it accepts connections.
    bool start();
    void stop();
    quint16 port() const { return m_port; }
    qint64 pid() const { return m_process.processId(); }

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    quint16 m_port = 0;
};

// Lets real events (sockets, D-Bus) run and moves the manual clock by `stepMs`
// between them, until `done` holds or (in real time) a few seconds have gone.
bool pumpUntil(const std::function<bool()>& done, platform::ManualClock* clock, int stepMs = 10);

} // namespace testsupport
