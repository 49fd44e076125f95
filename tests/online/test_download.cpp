#include "peers.h"
#include "tests/support/doubles/manualclock.h"
#include "platform/online/download.h"
#include "platform/online/networkdownloader.h"
#include "tests/support/testenv.h"

#include <QApplication>
#include <QSignalSpy>
#include <QSslCertificate>
#include <QTimer>
#include <QtTest>

using platform::DownloadLimits;
using platform::NetworkDownloader;

namespace {

// Runs one download to its end, the event loop turning meanwhile.
platform::Download fetch(platform::Downloader& d, const QUrl& url, const DownloadLimits& limits = {})
{
    QObject owner;
    platform::Download result;
    bool done = false;
    QObject::connect(d.get(url, limits, &owner), &platform::DownloadJob::finished, &owner,
                     [&](const platform::Download& r) {
                         result = r;
                         done = true;
                     });
    if (!QTest::qWaitFor([&] { return done; }, 60000))
        result.error = QStringLiteral("the test gave up waiting");
    return result;
}

} // namespace

class TestDownload : public QObject {
    Q_OBJECT
private:
    onlinetest::HttpPeer m_peer;

private slots:
    void initTestCase() { QVERIFY(m_peer.start()); }

    void wholeFileArrives()
    {
        const QByteArray data = QByteArray("Radio\r\nhttp://r\r\n").repeated(100);
        m_peer.put("/VN/VN.log", data);
        NetworkDownloader d;
        QSignalSpy states(&d, &platform::Downloader::StateChanged);
        const platform::Download got = fetch(d, QUrl(m_peer.base("/VN/VN.log")));
        QVERIFY2(got.ok, qPrintable(got.error));
        QCOMPARE(got.data, data);
        QCOMPARE(got.httpStatus, 200);
        QCOMPARE(d.state(), platform::inet::ResponseCompleted);
        QVERIFY(!states.isEmpty());
        QCOMPARE(states.first().first().toInt(), platform::inet::ResolvingHost);
        QTRY_VERIFY(!d.StillExecuting());
    }

    void errorPagesAreNotTheFile_data()
    {
        QTest::addColumn<int>("status");
        QTest::newRow("404") << 404;
        QTest::newRow("500") << 500;
        QTest::newRow("403") << 403;
    }
    void errorPagesAreNotTheFile()
    {
        QFETCH(int, status);
        NetworkDownloader d;
        const platform::Download got = fetch(d, QUrl(m_peer.base(QString("/status/%1/VN/VN.log").arg(status))));
        QVERIFY(!got.ok);
        QVERIFY(got.data.isEmpty());
        QCOMPARE(got.httpStatus, status);
        QVERIFY2(got.error.contains(QString::number(status)), qPrintable(got.error));
        QCOMPARE(d.state(), platform::inet::Error);
    }

    void redirectIsFollowed()
    {
        m_peer.put("/VN/target.log", "moved here");
        NetworkDownloader d;
        const platform::Download got = fetch(d, QUrl(m_peer.base("/redirect/VN/target.log")));
        QVERIFY2(got.ok, qPrintable(got.error));
        QCOMPARE(got.data, QByteArray("moved here"));
    }

    void oversizedFileIsRefused()
    {
        m_peer.put("/VN/big.log", QByteArray(2 * 1024 * 1024, 'x'));
        NetworkDownloader d;
        const platform::Download got = fetch(d, QUrl(m_peer.base("/VN/big.log")));
        QVERIFY(!got.ok);
        QVERIFY(got.data.isEmpty());
        QVERIFY2(got.error.contains("larger"), qPrintable(got.error));
    }

    void stoppedServerFails()
    {
        onlinetest::HttpPeer gone;
        QVERIFY(gone.start());
        const QString base = gone.base();
        gone.stop();
        NetworkDownloader d;
        const platform::Download got = fetch(d, QUrl(base + "/VN/VN.log"));
        QVERIFY(!got.ok);
        QVERIFY(!got.error.isEmpty());
    }

    // A server dripping a byte at a time is never idle: the overall deadline ends it.
    void dripServerMeetsTheDeadline()
    {
        platform::ManualClock clock(QDateTime(QDate(2026, 12, 9), QTime(12, 0)));
        platform::setClock(&clock);
        NetworkDownloader d;
        DownloadLimits limits;
        limits.deadlineMs = 30000;
        // Bytes keep arriving between the steps, so the inactivity limit never ends it.
        QTimer steps;
        connect(&steps, &QTimer::timeout, this, [&] { clock.advance(2000); });
        connect(&d, &platform::Downloader::StateChanged, this, [&](int state) {
            if (state == platform::inet::ReceivingResponse)
                steps.start(100);
        });
        const platform::Download got = fetch(d, QUrl(m_peer.base("/drip/VN/VN.log")), limits);
        steps.stop();
        platform::setClock(nullptr);
        QVERIFY(!got.ok);
        QVERIFY2(got.error.contains("longer than 30 seconds"), qPrintable(got.error));
    }

    void silentServerMeetsTheInactivityLimit()
    {
        platform::ManualClock clock(QDateTime(QDate(2026, 12, 9), QTime(12, 0)));
        platform::setClock(&clock);
        NetworkDownloader d;
        connect(&d, &platform::Downloader::StateChanged, this, [&](int state) {
            if (state == platform::inet::RequestSent)
                QTimer::singleShot(0, this, [&] { clock.advance(10001); });
        });
        const platform::Download got = fetch(d, QUrl(m_peer.base("/silent/VN/VN.log")));
        platform::setClock(nullptr);
        QVERIFY(!got.ok);
        QVERIFY2(got.error.contains("did not answer for 10 seconds"), qPrintable(got.error));
    }

    // Several downloads run side by side; the window thread never waits for one.
    void downloadsRunSideBySide()
    {
        m_peer.put("/VN/one.log", "one");
        NetworkDownloader d;
        QObject owner;
        platform::DownloadJob* slow = d.get(QUrl(m_peer.base("/silent/x")), {}, &owner);
        QSignalSpy slowDone(slow, &platform::DownloadJob::finished);
        const platform::Download quick = fetch(d, QUrl(m_peer.base("/VN/one.log")));
        QVERIFY2(quick.ok, qPrintable(quick.error));
        QCOMPARE(quick.data, QByteArray("one"));
        QVERIFY(slow->running());
        QVERIFY(d.StillExecuting());
        QCOMPARE(slowDone.count(), 0);
    }

    // Cancelling, or the owner going away, ends the transfer without a report.
    void cancelOrAGoneOwnerEndsTheTransferQuietly()
    {
        NetworkDownloader d;
        auto owner = std::make_unique<QObject>();
        platform::DownloadJob* cancelled = d.get(QUrl(m_peer.base("/silent/a")), {}, owner.get());
        platform::DownloadJob* orphaned = d.get(QUrl(m_peer.base("/silent/b")), {}, owner.get());
        int reports = 0;
        for (platform::DownloadJob* job : {cancelled, orphaned})
            connect(job, &platform::DownloadJob::finished, this, [&] { ++reports; });
        QTRY_COMPARE(d.state(), platform::inet::RequestSent);
        cancelled->cancel();
        QVERIFY(!cancelled->running());
        owner.reset();
        QTRY_VERIFY(!d.StillExecuting());
        QCOMPARE(reports, 0);
    }

    // An answer that never ends is cut at the size limit: what the program
    // holds, and what it lets the server send, stay near the limit.
    void endlessAnswersAreCutAtTheLimit_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("endless chunked body") << "/endless/VN/VN.log";
        QTest::newRow("2 GB announced") << "/huge/VN/VN.log";
    }
    void endlessAnswersAreCutAtTheLimit()
    {
        QFETCH(QString, path);
        const int before = m_peer.sent().size();
        NetworkDownloader d;
        const platform::Download got = fetch(d, QUrl(m_peer.base(path)));
        QVERIFY(!got.ok);
        QVERIFY(got.data.isEmpty());
        QVERIFY2(got.error.contains("larger than 1048576 bytes"), qPrintable(got.error));
        QTRY_COMPARE_WITH_TIMEOUT(m_peer.sent().size(), before + 1, 20000);
        // Socket buffers on both sides hold a few megabytes at most.
        QVERIFY2(m_peer.sent().last() < 32 * 1024 * 1024, qPrintable(QString::number(m_peer.sent().last())));
    }

    // A big file arrives in slices: the window thread gets back to its timers
    // between them instead of taking the whole transfer in one turn. A zero
    // timer fires once per turn of the event loop that had network data to
    // handle, so its count is the number of turns.
    void bigFilesArriveInSlices()
    {
        const QByteArray program(16 * 1024 * 1024, 'p');
        m_peer.put("/VN/VNUpdate.exe", program);
        NetworkDownloader d;
        DownloadLimits limits;
        limits.maxBytes = 64LL * 1024 * 1024;
        limits.executable = true;
        int turns = 0;
        QTimer everyTurn;
        connect(&everyTurn, &QTimer::timeout, this, [&] { ++turns; });
        everyTurn.start(0);
        const platform::Download got = fetch(d, QUrl(m_peer.base("/VN/VNUpdate.exe")), limits);
        everyTurn.stop();
        QVERIFY2(got.ok, qPrintable(got.error));
        QCOMPARE(got.data.size(), program.size());
        QVERIFY(got.data == program);
        QVERIFY2(turns >= 16, qPrintable(QString::number(turns))); // at least one per MiB
    }

    void programsOnlyOverHttps()
    {
        QVERIFY(platform::refusedForExecutable(QUrl("https://updates.example.invalid/VN/VNUpdate.exe")).isEmpty());
        QVERIFY(platform::refusedForExecutable(QUrl("http://127.0.0.1:8000/VN/VNUpdate.exe")).isEmpty());
        QVERIFY(platform::refusedForExecutable(QUrl("http://[::1]:8000/x")).isEmpty());
        QVERIFY(platform::refusedForExecutable(QUrl("http://localhost/x")).isEmpty());
        QVERIFY(!platform::refusedForExecutable(QUrl("http://updates.example.invalid/VN/VNUpdate.exe")).isEmpty());
        QVERIFY(!platform::refusedForExecutable(QUrl("http://127.0.0.1.example.invalid/x")).isEmpty());
        QVERIFY(!platform::refusedForExecutable(QUrl("ftp://127.0.0.1/x")).isEmpty());
        // Refused before any name is looked up.
        NetworkDownloader d;
        DownloadLimits limits;
        limits.executable = true;
        const platform::Download got = fetch(d, QUrl("http://updates.example.invalid/VN/VNUpdate.exe"), limits);
        QVERIFY(!got.ok);
        QVERIFY(got.error.contains("HTTPS"));
        QCOMPARE(d.state(), platform::inet::Error);
    }

    void httpsWithTheTestAuthority()
    {
        onlinetest::TlsPeer tls;
        QVERIFY(tls.start());
        tls.put("/VN/VNUpdate.exe", "#!/bin/sh\nexit 0\n");
        {
            NetworkDownloader untrusting;
            const platform::Download refused = fetch(untrusting, QUrl(tls.base() + "/VN/VNUpdate.exe"));
            QVERIFY(!refused.ok);
        }
        NetworkDownloader d;
        d.addCaCertificates(QSslCertificate::fromPath(tls.caFile()));
        DownloadLimits limits;
        limits.executable = true;
        const platform::Download got = fetch(d, QUrl(tls.base() + "/VN/VNUpdate.exe"), limits);
        QVERIFY2(got.ok, qPrintable(got.error));
        QCOMPARE(got.data, QByteArray("#!/bin/sh\nexit 0\n"));
    }

    void webBaseFromTheEnvironment()
    {
        qunsetenv("VANTORA_WEB_BASE");
        QVERIFY(platform::webBase().startsWith("https://"));
        onlinetest::WebBase base("http://127.0.0.1:1234/mirror/");
        QCOMPARE(platform::webUrl("/VN/VN.log").toString(), QString("http://127.0.0.1:1234/mirror/VN/VN.log"));
    }
};

VANTORA_TEST_MAIN(TestDownload)
#include "test_download.moc"
