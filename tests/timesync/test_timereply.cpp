#include "tests/support/testenv.h"
#include "timesync/servers.h"
#include "timesync/timereply.h"

#include <QApplication>
#include <QTest>

#include <limits>

class TestTimeReply : public QObject {
    Q_OBJECT
private slots:
    void decodes_data();
    void decodes();
    void refusesWrongLengths_data();
    void refusesWrongLengths();
    void refusesTimesBeforeTheEarliest();
    void roundsHalfTrips_data();
    void roundsHalfTrips();
    void coversTheWholeWindowOfYears();
    void captionsShowAmpersands();
};

namespace {
QDateTime utc(int y, int mo, int d, int h = 0, int mi = 0, int s = 0)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s), Qt::UTC);
}
} // namespace

void TestTimeReply::decodes_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<double>("halfTrip");
    QTest::addColumn<QDateTime>("expected");
    QTest::newRow("2000, small delay") << QByteArray::fromHex("BC17C200") << 0.4 << utc(2000, 1, 1);
    QTest::newRow("2026") << QByteArray::fromHex("EEC37C27") << 0.0 << utc(2026, 12, 9, 7, 5, 11);
    QTest::newRow("1990 starts the window") << QByteArray::fromHex("A9491C00") << 0.0 << utc(1990, 1, 1);
    QTest::newRow("last second before the wrap")
        << QByteArray::fromHex("FFFFFFFF") << 0.0 << utc(2036, 2, 7, 6, 28, 15);
    QTest::newRow("just after the wrap") << QByteArray::fromHex("00000004") << 0.0 << utc(2036, 2, 7, 6, 28, 20);
    QTest::newRow("the delay is added") << QByteArray::fromHex("BC17C200") << 2.6 << utc(2000, 1, 1, 0, 0, 3);
}

void TestTimeReply::decodes()
{
    QFETCH(QByteArray, reply);
    QFETCH(double, halfTrip);
    QFETCH(QDateTime, expected);
    const std::optional<QDateTime> got = timesync::decodeTimeReply(reply, halfTrip);
    QVERIFY(got.has_value());
    QCOMPARE(*got, expected);
    QCOMPARE(got->timeSpec(), Qt::UTC);
    QCOMPARE(timesync::toUsecSinceEpoch(*got), expected.toMSecsSinceEpoch() * 1000);
}

void TestTimeReply::refusesWrongLengths_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::newRow("nothing") << QByteArray();
    QTest::newRow("3 octets") << QByteArray::fromHex("BC17C2");
    QTest::newRow("5 octets") << QByteArray::fromHex("BC17C20000");
    QTest::newRow("a text line") << QByteArray("Wed Dec  9 07:05:09 2026\r\n");
}

void TestTimeReply::refusesWrongLengths()
{
    QFETCH(QByteArray, reply);
    QVERIFY(!timesync::readTimeValue(reply).has_value());
    QVERIFY(!timesync::decodeTimeReply(reply, 0.0).has_value());
}

void TestTimeReply::refusesTimesBeforeTheEarliest()
{
    // Four zero octets: a server that has no time to give, not a time in 2036.
    QVERIFY(!timesync::decodeTimeReply(QByteArray(4, '\0'), 1.5).has_value());
    const QByteArray y2000 = QByteArray::fromHex("BC17C200");
    QVERIFY(!timesync::decodeTimeReply(y2000, 0.0, utc(2000, 1, 1, 0, 0, 1)).has_value());
    QCOMPARE(*timesync::decodeTimeReply(y2000, 0.0, utc(2000, 1, 1)), utc(2000, 1, 1));
    // The program's own floor is the day it was built: no earlier than this code.
    QVERIFY(timesync::earliestTrustedTime() >= utc(2026, 12, 1));
    QVERIFY(timesync::earliestTrustedTime() <= QDateTime::currentDateTimeUtc());
    QVERIFY(!timesync::decodeTimeReply(y2000, 0.0, timesync::earliestTrustedTime()).has_value());
}

void TestTimeReply::roundsHalfTrips_data()
{
    QTest::addColumn<double>("halfTrip");
    QTest::addColumn<qint64>("seconds");
    QTest::newRow("0.5 to even 0") << 0.5 << qint64(0);
    QTest::newRow("1.5 to even 2") << 1.5 << qint64(2);
    QTest::newRow("2.5 to even 2") << 2.5 << qint64(2);
    QTest::newRow("0.49") << 0.49 << qint64(0);
    QTest::newRow("0.51") << 0.51 << qint64(1);
    QTest::newRow("negative") << -3.0 << qint64(0);
    QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << qint64(0);
    QTest::newRow("infinite") << std::numeric_limits<double>::infinity() << qint64(0);
    QTest::newRow("half a day") << 43200.0 << qint64(43200);
    QTest::newRow("beyond a day") << 1e12 << qint64(0);
}

void TestTimeReply::roundsHalfTrips()
{
    QFETCH(double, halfTrip);
    QFETCH(qint64, seconds);
    QCOMPARE(timesync::roundedDelay(halfTrip), seconds);
}

void TestTimeReply::coversTheWholeWindowOfYears()
{
    // Every value lands in 1990..2126 and later values of one era are later times.
    QDateTime previous;
    for (quint64 v = 2840140800ULL; v < 2840140800ULL + 4294967296ULL; v += 99999989ULL) {
        const quint32 value = static_cast<quint32>(v & 0xFFFFFFFFULL);
        QByteArray reply(4, '\0');
        for (int i = 0; i < 4; ++i)
            reply[i] = static_cast<char>((value >> (24 - 8 * i)) & 0xFF);
        const QDateTime t = *timesync::decodeTimeReply(reply, 0.0);
        QVERIFY2(t.date().year() >= 1990 && t.date().year() <= 2126, qPrintable(t.toString(Qt::ISODate)));
        if (previous.isValid())
            QVERIFY(t > previous);
        previous = t;
    }
}

void TestTimeReply::captionsShowAmpersands()
{
    QCOMPARE(timesync::menuCaption(QStringLiteral("time&co.example")), QStringLiteral("time&&co.example"));
    QVERIFY(!timesync::isUserServerSet(QString()));
    QVERIFY(!timesync::isUserServerSet(QStringLiteral("User Defined Server")));
    QVERIFY(timesync::isUserServerSet(QStringLiteral("ntp.example")));
    QCOMPARE(timesync::builtInServers().size(), 10);
    QCOMPARE(timesync::timePort(), quint16(37));
}

VANTORA_TEST_MAIN(TestTimeReply)
#include "test_timereply.moc"
