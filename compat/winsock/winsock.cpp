#include "compat/winsock/winsock.h"

#include "platform/base/peerguard.h"

#include <QHostInfo>
#include <QNetworkInterface>
#include <QTcpSocket>

namespace platform {
namespace {

// Winsock's error numbers for the failures a TCP client meets.
int winsockErrorNumber(QAbstractSocket::SocketError error)
{
    switch (error) {
    case QAbstractSocket::ConnectionRefusedError: return 10061;
    case QAbstractSocket::HostNotFoundError: return 11001;
    case QAbstractSocket::SocketTimeoutError: return 10060;
    case QAbstractSocket::NetworkError: return 10051;
    case QAbstractSocket::SocketAccessError: return 10013;
    default: return 10053;
    }
}

} // namespace

WinsockClient::WinsockClient(QObject* parent) : QObject(parent), m_socket(new QTcpSocket(this))
{
    connect(m_socket, &QTcpSocket::connected, this, &WinsockClient::Connected);
    connect(m_socket, &QTcpSocket::readyRead, this, [this] { emit DataArrival(m_socket->bytesAvailable()); });
    connect(m_socket, &QTcpSocket::errorOccurred, this, &WinsockClient::onError);
    connect(m_socket, &QTcpSocket::disconnected, this, &WinsockClient::onDisconnected);
}

WinsockClient::~WinsockClient()
{
    m_closing = true;
    m_socket->abort();
}

void WinsockClient::Connect()
{
    Close();
    checkPeer(RemoteHost);
    m_socket->connectToHost(RemoteHost, RemotePort);
}

void WinsockClient::Close()
{
    // abort() reports the disconnection at once; the control's Close raises nothing.
    m_closing = true;
    m_socket->abort();
    m_closing = false;
    m_failed = false;
    m_errorNumber = 0;
    m_errorDescription.clear();
}

void WinsockClient::Fail(int number, const QString& description)
{
    m_closing = true;
    m_socket->abort();
    m_closing = false;
    m_failed = true;
    m_errorNumber = number;
    m_errorDescription = description;
    emit Error(number, description);
}

QByteArray WinsockClient::GetData(qint64 maxBytes)
{
    return maxBytes < 0 ? m_socket->readAll() : m_socket->read(maxBytes);
}

void WinsockClient::SetReadBufferSize(qint64 bytes) { m_socket->setReadBufferSize(bytes); }

int WinsockClient::State() const
{
    if (m_failed)
        return sckError;
    switch (m_socket->state()) {
    case QAbstractSocket::HostLookupState: return sckResolvingHost;
    case QAbstractSocket::ConnectingState: return sckConnecting;
    case QAbstractSocket::ConnectedState: return sckConnected;
    case QAbstractSocket::ClosingState: return sckClosing;
    default: return sckClosed;
    }
}

QString WinsockClient::RemoteHostIP() const
{
    const QHostAddress peer = m_socket->peerAddress();
    return peer.isNull() ? QString() : peer.toString();
}

QString WinsockClient::LocalHostName() { return QHostInfo::localHostName(); }

QString WinsockClient::LocalIP()
{
    for (const QHostAddress& a : QNetworkInterface::allAddresses())
        if (a.protocol() == QAbstractSocket::IPv4Protocol && !a.isLoopback())
            return a.toString();
    return QStringLiteral("127.0.0.1");
}

void WinsockClient::onError(QAbstractSocket::SocketError error)
{
    // The peer ending the connection is the normal end of an exchange: the
    // close event follows.
    if (error == QAbstractSocket::RemoteHostClosedError || m_closing)
        return;
    m_failed = true;
    m_errorNumber = winsockErrorNumber(error);
    m_errorDescription = m_socket->errorString();
    emit Error(m_errorNumber, m_errorDescription);
}

void WinsockClient::onDisconnected()
{
    if (m_closing || m_failed)
        return;
    emit Closed();
}

} // namespace platform
