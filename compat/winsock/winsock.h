#pragma once

#include <QAbstractSocket>
#include <QByteArray>
#include <QObject>
#include <QString>

class QTcpSocket;

namespace platform {

// A TCP client with the members, events and state numbers of the Winsock
// control the windows were designed around, on a QTcpSocket.
//
// State numbers: 0 closed, 4 resolving the host, 6 connecting, 7 connected,
// 8 closing, 9 error. After an error the state stays 9 until Close(), so a
// poller sees it even though the connection is already gone.
// The close event is raised when the peer ends the connection (after the data
// it sent, which GetData() still returns), never by Close().
class WinsockClient : public QObject {
    Q_OBJECT
public:
    enum State {
        sckClosed = 0,
        sckResolvingHost = 4,
        sckConnecting = 6,
        sckConnected = 7,
        sckClosing = 8,
        sckError = 9
    };

    explicit WinsockClient(QObject* parent = nullptr);
    ~WinsockClient() override;

    QString RemoteHost;
    quint16 RemotePort = 0;

    // Connects to RemoteHost on RemotePort (closing any connection first).
    void Connect();
    // Ends the connection at once, raising no event; the state is 0 afterwards.
    void Close();
    // Ends the connection as failed: the state is 9 until Close().
    void Fail(int number, const QString& description);
    // The data received and not yet taken (at most `maxBytes` of it when not negative).
    QByteArray GetData(qint64 maxBytes = -1);
    // Holds at most this many received octets until they are taken (0: no
    // limit); beyond it a flooding peer's data waits in the system.
    void SetReadBufferSize(qint64 bytes);
    int State() const;

    // The peer's address once connected, else "".
    QString RemoteHostIP() const;
    static QString LocalHostName();
    // This computer's first non-loopback IPv4 address ("127.0.0.1" without one).
    static QString LocalIP();

    int errorNumber() const { return m_errorNumber; }
    QString errorDescription() const { return m_errorDescription; }

signals:
    void Connected();
    void DataArrival(qint64 bytesTotal);
    void Closed();
    void Error(int number, const QString& description);

private:
    void onError(QAbstractSocket::SocketError error);
    void onDisconnected();
    QTcpSocket* m_socket;
    bool m_closing = false;
    bool m_failed = false;
    int m_errorNumber = 0;
    QString m_errorDescription;
};

} // namespace platform
