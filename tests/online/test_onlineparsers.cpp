#include "online/stationlist.h"
#include "online/versionfile.h"
#include "platform/online/mailto.h"
#include "tests/support/testenv.h"

#include <QApplication>
#include <QRandomGenerator>
#include <QtTest>

class TestOnlineParsers : public QObject {
    Q_OBJECT
private slots:
    void stationList_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("flat");
        QTest::newRow("crlf") << QByteArray("A\r\nhttp://a\r\nB\r\nhttp://b\r\n")
                              << QStringList{"A", "http://a", "B", "http://b"};
        QTest::newRow("lf") << QByteArray("A\nhttp://a\nB\nhttp://b") << QStringList{"A", "http://a", "B", "http://b"};
        QTest::newRow("cr") << QByteArray("A\rhttp://a\rB\rhttp://b\r")
                            << QStringList{"A", "http://a", "B", "http://b"};
        QTest::newRow("mixed") << QByteArray("A\rhttp://a\nB\r\nhttp://b\n")
                               << QStringList{"A", "http://a", "B", "http://b"};
        QTest::newRow("odd count drops the last name")
            << QByteArray("A\nhttp://a\nLonely\n") << QStringList{"A", "http://a"};
        QTest::newRow("empty") << QByteArray() << QStringList{};
        QTest::newRow("kept whole") << QByteArray(" A \n http://a \n") << QStringList{" A ", " http://a "};
        QTest::newRow("empty lines count") << QByteArray("\n\nB\nhttp://b\n") << QStringList{"", "", "B", "http://b"};
        QTest::newRow("bom") << QByteArray("\xEF\xBB\xBFRadio\nhttp://r\n") << QStringList{"Radio", "http://r"};
        QTest::newRow("utf8") << QByteArray("Caf\xC3\xA9 FM\nhttp://c\n") << QStringList{"Caf\u00e9 FM", "http://c"};
        QTest::newRow("windows-1252") << QByteArray("Caf\xE9 \x80 \x93 FM\nhttp://c\n")
                                      << QStringList{"Caf\u00e9 \u20ac \u201c FM", "http://c"};
    }
    void stationList()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, flat);
        QStringList got;
        for (const OnlineStation& s : parseStationList(bytes))
            got << s.name << s.url;
        QCOMPARE(got, flat);
    }

    void cmpVersion_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("state"); // -1: not a version text
        QTest::newRow("2.10.0 is newer than 2.9.0") << "2.10.0" << 1;
        QTest::newRow("same") << "2.9.0" << 0;
        QTest::newRow("2.8.99 is older") << "2.8.99" << 2;
        QTest::newRow("major decides") << "3.0.0" << 1;
        QTest::newRow("older major") << "1.99.99" << 2;
        QTest::newRow("revision") << "2.9.1" << 1;
        QTest::newRow("one dot") << "2.9" << -1;
        QTest::newRow("no dot") << "29" << -1;
        QTest::newRow("empty") << "" << -1;
        QTest::newRow("leading blanks") << " 2. 9. 0" << 0;
        QTest::newRow("trailing text ignored") << "2.9.0 beta" << 0;
        QTest::newRow("not numbers read 0") << "x.y.z" << 2;
        QTest::newRow("huge numbers") << "99999999999999999999.0.0" << 1;
    }
    void cmpVersion()
    {
        QFETCH(QString, text);
        QFETCH(int, state);
        const std::optional<qint16> got = CmpVersion(text, ProgramVersion{2, 9, 0});
        QCOMPARE(got.has_value() ? int(*got) : -1, state);
    }

    void versionFile_data()
    {
        const QByteArray digest = QByteArray(64, 'A');
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("sha");
        QTest::newRow("lf") << QByteArray("2.10.0\n" + digest + "\n") << "2.10.0" << QString(64, 'a');
        QTest::newRow("crlf and bom") << QByteArray("\xEF\xBB\xBF"
                                                    "2.10.0\r\n"
                                                    + digest + "\r\n")
                                      << "2.10.0" << QString(64, 'a');
        QTest::newRow("no second line") << QByteArray("2.10.0\r\n") << "2.10.0"
                                        << "";
        QTest::newRow("bad digest") << QByteArray("2.10.0\nnot-a-digest\n") << "2.10.0"
                                    << "";
        QTest::newRow("short digest") << QByteArray("2.10.0\n" + QByteArray(63, 'a')) << "2.10.0"
                                      << "";
        QTest::newRow("empty") << QByteArray() << ""
                               << "";
        QTest::newRow("empty first line") << QByteArray("\r\n2.10.0\r\n") << ""
                                          << "";
    }
    void versionFile()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, line);
        QFETCH(QString, sha);
        const VersionFile f = readVersionFile(bytes);
        QCOMPARE(f.versionLine, line);
        QCOMPARE(f.sha256, sha);
    }

    void mailtoGolden()
    {
        QCOMPARE(platform::buildMailto("me@example.org", "a b", "x&y=z\n"),
                 QString("mailto:me@example.org?subject=a%20b&body=x%26y%3Dz%0D%0A"));
    }

    void mailtoKeepsTextIntact()
    {
        const QString body = QString::fromUtf8("& = # + % ? \\ \xC3\xA9 \\c\r\nline2\r\n&subject=evil\r\n");
        const QString uri = platform::buildMailto("feedback@example.org", "VN - User Comments/Questions", body);
        QVERIFY(!uri.contains('\\'));
        QVERIFY(!uri.contains('\n'));
        QCOMPARE(uri.count('&'), 1); // the one separator between subject and body
        const platform::MailtoParts parts = platform::parseMailto(uri);
        QVERIFY(parts.ok);
        QCOMPARE(parts.to, QString("feedback@example.org"));
        QCOMPARE(parts.subject, QString("VN - User Comments/Questions"));
        QCOMPARE(parts.body, body);
    }

    void mailtoLineEndsBecomeCrLf()
    {
        QCOMPARE(platform::parseMailto(platform::buildMailto("a@b", "s", "1\n2\r3\r\n")).body,
                 QString("1\r\n2\r\n3\r\n"));
    }

    void mailtoRoundTripRandom()
    {
        QRandomGenerator rng(12345);
        for (int n = 0; n < 500; ++n) {
            QString subject;
            QString body;
            for (int i = 0; i < 40; ++i) {
                subject.append(QChar(char16_t(rng.bounded(0x20, 0x2FF))));
                const char16_t c = char16_t(rng.bounded(0x01, 0x7FF));
                body.append(c == '\r' || c == '\n' ? QChar('x') : QChar(c));
                if (rng.bounded(8) == 0)
                    body.append(QStringLiteral("\r\n"));
            }
            const platform::MailtoParts parts = platform::parseMailto(platform::buildMailto("a@b.c", subject, body));
            QVERIFY(parts.ok);
            QCOMPARE(parts.subject, subject);
            QCOMPARE(parts.body, body);
        }
    }

    void mailtoBadEscapeIsRefused()
    {
        QVERIFY(!platform::parseMailto("mailto:a@b?body=%4").ok);
        QVERIFY(!platform::parseMailto("mailto:a@b?body=%zz").ok);
        QVERIFY(!platform::parseMailto("http://a").ok);
    }
};

VANTORA_TEST_MAIN(TestOnlineParsers)
#include "test_onlineparsers.moc"
