// Where the TLS backend gets ready: the program's first HTTPS transfer must
// not load Qt's TLS plugin nor look through the system's certificate folders
// on the window thread.
#include "peers.h"
#include "platform/online/download.h"
#include "platform/online/networkdownloader.h"
#include "platform/online/tlsready.h"
#include "tests/support/openwatch.h"
#include "tests/support/testenv.h"

#include <QApplication>
#include <QSslCertificate>
#include <QtTest>

using testsupport::openedOnOtherThreads;
using testsupport::openedOnWindowThread;

class TestTlsReady : public QObject {
    Q_OBJECT
private slots:
    void aTransferCancelledWhileTlsGetsReadyStaysQuiet()
    {
        QVERIFY(!platform::tlsReady());
        platform::NetworkDownloader d;
        QObject owner;
        platform::DownloadJob* job = d.get(QUrl("https://127.0.0.1:9/VN/VN.log"), {}, &owner);
        bool reported = false;
        connect(job, &platform::DownloadJob::finished, &owner, [&] { reported = true; });
        job->cancel();
        QTRY_VERIFY(platform::tlsReady());
        QVERIFY(!reported);
    }

    void firstHttpsTransferLeavesTheTlsWorkToAWorker()
    {
        onlinetest::TlsPeer tls;
        QVERIFY(tls.start());
        tls.put("/VN/VN.log", "Station\r\nhttp://radio.example/1\r\n");
        platform::NetworkDownloader d;
        d.addCaCertificates(QSslCertificate::fromPath(tls.caFile()));
        QObject owner;
        platform::DownloadJob* job = d.get(QUrl(tls.base() + "/VN/VN.log"), {}, &owner);
        QCOMPARE(job->state(), platform::inet::ResolvingHost);
        platform::Download got;
        bool done = false;
        connect(job, &platform::DownloadJob::finished, &owner, [&](const platform::Download& r) {
            got = r;
            done = true;
        });
        QVERIFY(QTest::qWaitFor([&] { return done; }, 60000));
        QVERIFY2(got.ok, qPrintable(got.error));
        QCOMPARE(got.data, QByteArray("Station\r\nhttp://radio.example/1\r\n"));

        QCOMPARE(openedOnWindowThread("plugins/tls"), QStringList());
        QCOMPARE(openedOnWindowThread("ssl"), QStringList());
        QCOMPARE(openedOnWindowThread("/certs"), QStringList());
        // The plugin was loaded, by another thread (here, or for the transfer before).
        QVERIFY2(!openedOnOtherThreads("plugins/tls").isEmpty(), "the TLS plugin was not seen loading");
    }

    void certificatesAreStillChecked()
    {
        onlinetest::TlsPeer tls;
        QVERIFY(tls.start());
        tls.put("/VN/VN.log", "Station\r\n");
        platform::NetworkDownloader untrusting;
        QObject owner;
        platform::Download got;
        bool done = false;
        connect(untrusting.get(QUrl(tls.base() + "/VN/VN.log"), {}, &owner), &platform::DownloadJob::finished, &owner,
                [&](const platform::Download& r) {
                    got = r;
                    done = true;
                });
        QVERIFY(QTest::qWaitFor([&] { return done; }, 60000));
        QVERIFY(!got.ok);
        QVERIFY2(got.error.contains("SSL") || got.error.contains("certificate"), qPrintable(got.error));
    }
};

VANTORA_TEST_MAIN(TestTlsReady)
#include "test_tlsready.moc"
