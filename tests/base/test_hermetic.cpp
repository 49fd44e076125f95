// The test environment itself: no test can look up a host name, while address
// literals and localhost still reach this machine's peers.

#include "tests/support/privatenet.h"
#include "tests/support/testenv.h"

#include <QApplication>
#include <QHostInfo>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <netdb.h>

namespace {

constexpr char kChildVariable[] = "VANTORA_RESOLVE_IN_CHILD";
constexpr char kName[] = "vantora.example.org";

// The child's part: one name look-up the way `how` says; never returns normally.
int lookUpInChild(const QByteArray& how)
{
    if (how == "qt") {
        QHostInfo::fromName(QString::fromLatin1(kName));
    } else if (how == "getaddrinfo") {
        addrinfo* found = nullptr;
        if (::getaddrinfo(kName, "80", nullptr, &found) == 0)
            ::freeaddrinfo(found);
    } else if (how == "gethostbyname") {
        ::gethostbyname(kName);
    }
    return 0;
}

} // namespace

class TestHermetic : public QObject {
    Q_OBJECT
private slots:
    void addressLiteralsAndLocalhostReachLoopback()
    {
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost, 0));
        for (const QString& host : {QStringLiteral("127.0.0.1"), QStringLiteral("localhost")}) {
            QTcpSocket socket;
            socket.connectToHost(host, server.serverPort(), QIODevice::ReadWrite, QAbstractSocket::IPv4Protocol);
            QVERIFY2(socket.waitForConnected(testsupport::patience(5000)), qPrintable(host));
        }
    }

    void aClosedPortRefusesEveryTime()
    {
        for (int i = 0; i < 2; ++i) {
            QTcpSocket socket;
            socket.connectToHost(QHostAddress::LocalHost, testsupport::closedPort());
            QVERIFY(!socket.waitForConnected(testsupport::patience(5000)));
            QCOMPARE(socket.error(), QAbstractSocket::ConnectionRefusedError);
        }
    }

    void aNameLookUpEndsTheTestLoudly_data()
    {
        QTest::addColumn<QByteArray>("how");
        QTest::newRow("Qt") << QByteArray("qt");
        QTest::newRow("getaddrinfo") << QByteArray("getaddrinfo");
        QTest::newRow("gethostbyname") << QByteArray("gethostbyname");
    }
    void aNameLookUpEndsTheTestLoudly()
    {
        QFETCH(QByteArray, how);
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QString::fromLatin1(kChildVariable), QString::fromLatin1(how));
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), {});
        QVERIFY(child.waitForFinished(testsupport::patience(30000)));
        const QByteArray said = child.readAllStandardError();
        QCOMPARE(child.exitStatus(), QProcess::CrashExit);
        QVERIFY2(said.contains(QByteArray("asked the resolver for \"") + kName + '"'), said.constData());
    }
};

int main(int argc, char** argv)
{
    testsupport::environment();
    if (qEnvironmentVariableIsSet(kChildVariable)) {
        QCoreApplication app(argc, argv);
        return lookUpInChild(qgetenv(kChildVariable));
    }
    QApplication app(argc, argv);
    TestHermetic tc;
    return QTest::qExec(&tc, argc, argv);
}
#include "test_hermetic.moc"
