#pragma once

// Inputs the media tests make for themselves: WAV tones and a small HTTP server on
// 127.0.0.1 that serves fixed answers, slowly when asked to.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QStringList>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QtEndian>

#include <cmath>
#include <memory>

namespace mediatest {

// A 16-bit mono PCM WAV file of a sine tone, written byte by byte.
inline QByteArray toneWav(double seconds, int rate = 22050, double frequency = 440.0)
{
    const quint32 samples = quint32(seconds * rate);
    const quint32 dataBytes = samples * 2;
    QByteArray wav;
    auto put32 = [&wav](quint32 v) {
        char b[4];
        qToLittleEndian(v, b);
        wav.append(b, 4);
    };
    auto put16 = [&wav](quint16 v) {
        char b[2];
        qToLittleEndian(v, b);
        wav.append(b, 2);
    };
    wav.append("RIFF");
    put32(36 + dataBytes);
    wav.append("WAVE");
    wav.append("fmt ");
    put32(16);
    put16(1); // PCM
    put16(1); // mono
    put32(quint32(rate));
    put32(quint32(rate) * 2);
    put16(2);
    put16(16);
    wav.append("data");
    put32(dataBytes);
    for (quint32 i = 0; i < samples; ++i)
        put16(quint16(qint16(8000 * std::sin(2 * M_PI * frequency * i / rate))));
    return wav;
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
    int chunkBytes = 0;  // > 0: send the body in chunks of this size...
    int intervalMs = 0;  // ...one every intervalMs
    bool silent = false; // accept and read the request, never answer
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
    QString url(const QString& path) const
    {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(port()).arg(path);
    }
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
        answer(socket, m_replies.value(path, Reply{"404 Not Found", {}, "missing", 0, 0, false}));
    }

    static void answer(QTcpSocket* socket, const Reply& reply)
    {
        if (reply.silent)
            return;
        QByteArray head = "HTTP/1.1 " + reply.status + "\r\nConnection: close\r\n";
        for (const auto& [name, value] : reply.headers)
            head += name + ": " + value + "\r\n";
        socket->write(head + "\r\n");
        if (reply.chunkBytes <= 0) {
            socket->write(reply.body);
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
                socket->disconnectFromHost();
            }
        });
        timer->start(reply.intervalMs);
    }

    QTcpServer m_server;
    QHash<QString, Reply> m_replies;
    QStringList m_requests;
};

// A port on 127.0.0.1 where nothing listens (taken from the system, then given back).
inline quint16 closedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const quint16 port = probe.serverPort();
    probe.close();
    return port;
}

} // namespace mediatest
