#pragma once

// Inputs the media tests make for themselves: WAV tones and a small HTTP server on
// 127.0.0.1 that serves fixed answers, slowly when asked to.

#include "tests/support/privatenet.h"
#include "tools/resgen/wavfile.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QStringList>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <cmath>
#include <memory>

namespace mediatest {

// A 16-bit mono PCM WAV file of a sine tone, written byte by byte.
inline QByteArray toneWav(double seconds, int rate = 22050, double frequency = 440.0)
{
    const auto count = size_t(seconds * rate);
    std::vector<qint16> samples(count);
    for (size_t i = 0; i < count; ++i)
        samples[i] = qint16(8000 * std::sin(2 * M_PI * frequency * double(i) / rate));
    return wavfile::pcm16Mono(samples, quint32(rate));
}

inline QString writeFile(const QString& folder, const QString& name, const QByteArray& bytes)
{
    QDir().mkpath(folder);
    const QString path = folder + QLatin1Char('/') + name;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return {};
    return path;
}

// One answer of the server.
struct Reply {
    QByteArray status = "200 OK";
    QList<QPair<QByteArray, QByteArray>> headers;
    QByteArray body;
    int chunkBytes = 0;    // > 0: send the body in chunks of this size...
    int intervalMs = 0;    // ...one every intervalMs
    bool silent = false;   // accept and read the request, never answer
    bool raw = false;      // send the body alone, without status line and headers
    bool holdOpen = false; // after the body, keep the connection open and send nothing more
};

// Serves fixed replies by path on 127.0.0.1; an unknown path gets 404.
class HttpServer {
public:
    HttpServer()
    {
        m_server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&m_server, &QTcpServer::newConnection, [this] { acceptAll(); });
    }

    bool isListening() const { return m_server.isListening(); }
    quint16 port() const { return m_server.serverPort(); }
    QString url(const QString& path) const { return QStringLiteral("http://127.0.0.1:%1%2").arg(port()).arg(path); }
    void setReply(const QString& path, const Reply& reply) { m_replies.insert(path, reply); }
    // Paths asked for, in order.
    const QStringList& requests() const { return m_requests; }

private:
    void acceptAll()
    {
        while (QTcpSocket* socket = m_server.nextPendingConnection()) {
            QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { readRequest(socket); });
        }
    }

    void readRequest(QTcpSocket* socket)
    {
        if (socket->property("answered").toBool())
            return;
        QByteArray head = socket->property("head").toByteArray() + socket->readAll();
        socket->setProperty("head", head);
        if (!head.contains("\r\n\r\n"))
            return;
        socket->setProperty("answered", true);
        const QList<QByteArray> requestLine = head.left(head.indexOf("\r\n")).split(' ');
        const QString path = requestLine.size() >= 2 ? QString::fromLatin1(requestLine[1]) : QString();
        m_requests.append(path);
        answer(socket, m_replies.value(path, notFound()));
    }

    static Reply notFound()
    {
        Reply reply;
        reply.status = "404 Not Found";
        reply.body = "missing";
        return reply;
    }

    static void answer(QTcpSocket* socket, const Reply& reply)
    {
        if (reply.silent)
            return;
        if (!reply.raw) {
            QByteArray head = "HTTP/1.1 " + reply.status + "\r\nConnection: close\r\n";
            for (const auto& [name, value] : reply.headers)
                head += name + ": " + value + "\r\n";
            socket->write(head + "\r\n");
        }
        if (reply.chunkBytes <= 0) {
            socket->write(reply.body);
            if (!reply.holdOpen)
                socket->disconnectFromHost();
            return;
        }
        auto* timer = new QTimer(socket);
        auto sent = std::make_shared<qsizetype>(0);
        QObject::connect(timer, &QTimer::timeout, socket, [socket, timer, sent, reply] {
            socket->write(reply.body.mid(*sent, reply.chunkBytes));
            *sent += reply.chunkBytes;
            if (*sent >= reply.body.size()) {
                timer->stop();
                if (!reply.holdOpen)
                    socket->disconnectFromHost();
            }
        });
        timer->start(reply.intervalMs);
    }

    QTcpServer m_server;
    QHash<QString, Reply> m_replies;
    QStringList m_requests;
};

using testsupport::closedPort;

} // namespace mediatest
