#include "compat/winsock/winsock.h"
#include "tests/support/testenv.h"
#include "tests/timesync/timepeers.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTest>

using platform::WinsockClient;
using testsupport::LoopbackTimeServer;
using testsupport::pumpUntil;

class TestWinsock : public QObject {
    Q_OBJECT
private slots:
    void peerClosingIsTheCloseEventNotAnError();
    void dataCanBeTakenInTheCloseEvent();
    void closeRaisesNoEvent();
    void refusedConnectionHoldsTheErrorState();
};

namespace {
void dial(WinsockClient& sock, quint16 port)
{
    sock.RemoteHost = QStringLiteral("127.0.0.1");
    sock.RemotePort = port;
    sock.Connect();
}
} // namespace

void TestWinsock::peerClosingIsTheCloseEventNotAnError()
{
    LoopbackTimeServer server;
    server.setReply(QByteArray::fromHex("BC17C200"));
    WinsockClient sock;
    QSignalSpy connected(&sock, &WinsockClient::Connected);
    QSignalSpy closed(&sock, &WinsockClient::Closed);
    QSignalSpy errors(&sock, &WinsockClient::Error);
    QCOMPARE(sock.State(), 0);
    dial(sock, server.port());
    QVERIFY(sock.State() == WinsockClient::sckConnecting || sock.State() == WinsockClient::sckResolvingHost);
    QVERIFY(pumpUntil([&] { return closed.count() > 0; }, nullptr));
    QCOMPARE(connected.count(), 1);
    QCOMPARE(closed.count(), 1);
    QCOMPARE(errors.count(), 0);
    QCOMPARE(sock.State(), 0);
    QCOMPARE(sock.GetData(), QByteArray::fromHex("BC17C200"));
}

void TestWinsock::dataCanBeTakenInTheCloseEvent()
{
    LoopbackTimeServer server;
    server.setReply({QByteArray::fromHex("BC17"), QByteArray::fromHex("C200")});
    WinsockClient sock;
    QByteArray received;
    bool closedSeen = false;
    connect(&sock, &WinsockClient::DataArrival, this, [&] { received += sock.GetData(); });
    connect(&sock, &WinsockClient::Closed, this, [&] {
        received += sock.GetData();
        sock.Close();
        closedSeen = true;
    });
    dial(sock, server.port());
    QVERIFY(pumpUntil([&] { return closedSeen; }, nullptr));
    QCOMPARE(received, QByteArray::fromHex("BC17C200"));
    QCOMPARE(sock.State(), 0);
}

void TestWinsock::closeRaisesNoEvent()
{
    LoopbackTimeServer server;
    server.setMode(LoopbackTimeServer::Mode::Hold);
    WinsockClient sock;
    QSignalSpy closed(&sock, &WinsockClient::Closed);
    QSignalSpy errors(&sock, &WinsockClient::Error);
    dial(sock, server.port());
    QVERIFY(pumpUntil([&] { return sock.State() == WinsockClient::sckConnected; }, nullptr));
    QVERIFY(!sock.RemoteHostIP().isEmpty());
    sock.Close();
    QCOMPARE(sock.State(), 0);
    server.release();
    QVERIFY(pumpUntil([&] { return server.openConnections() == 0; }, nullptr));
    testsupport::drainEvents();
    QCOMPARE(closed.count(), 0);
    QCOMPARE(errors.count(), 0);
}

void TestWinsock::refusedConnectionHoldsTheErrorState()
{
    WinsockClient sock;
    QSignalSpy errors(&sock, &WinsockClient::Error);
    QSignalSpy closed(&sock, &WinsockClient::Closed);
    dial(sock, testsupport::closedPort());
    QVERIFY(pumpUntil([&] { return errors.count() > 0; }, nullptr));
    QCOMPARE(errors.first().at(0).toInt(), 10061);
    // The connection is gone, but a poller still sees the error.
    testsupport::drainEvents();
    QCOMPARE(sock.State(), WinsockClient::sckError);
    QCOMPARE(closed.count(), 0);
    sock.Close();
    QCOMPARE(sock.State(), 0);
    QCOMPARE(sock.errorNumber(), 0);
}

VANTORA_TEST_MAIN(TestWinsock)
#include "test_winsock.moc"
