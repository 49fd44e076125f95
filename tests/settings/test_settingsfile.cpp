#include "platform/settings/settingsfile.h"
#include "tests/support/testenv.h"

#include <QApplication>
#include <QRandomGenerator>
#include <QTest>

using platform::formatSettingsFile;
using platform::parseSettingsFile;
using platform::SettingsSections;

namespace {

QString randomText(QRandomGenerator& rng, bool nonEmpty)
{
    static const QString alphabet = QString::fromUtf8("aZ09 =[]\\\n\r\t\x01\x7f\u00e9\u20ac\ufeff#;\"'");
    const int length = static_cast<int>(rng.bounded(nonEmpty ? 1 : 0, 12));
    QString text;
    for (int i = 0; i < length; ++i)
        text += alphabet[static_cast<qsizetype>(rng.bounded(static_cast<int>(alphabet.size())))];
    return text;
}

} // namespace

class TestSettingsFile : public QObject {
    Q_OBJECT
private slots:
    void goldenBytes()
    {
        SettingsSections s;
        s["Options"]["AlarmTime"] = "07:30";
        s["Options"]["Odd=Key"] = " two\nlines\\ ";
        s["Options"]["[Bracket"] = "\x01";
        s["Screen]Saver"]["Pos"] = "2";
        const QByteArray golden("[Options]\nAlarmTime=07:30\nOdd\\=Key= two\\nlines\\\\ \n\\[Bracket=\\x01\n\n"
                                "[Screen\\]Saver]\nPos=2\n");
        QCOMPARE(formatSettingsFile(s), golden);
        const auto read = parseSettingsFile(golden);
        QVERIFY(read.clean);
        QCOMPARE(read.sections, s);
    }

    void anythingWrittenReadsBackTheSame()
    {
        QRandomGenerator rng(20261209);
        for (int round = 0; round < 500; ++round) {
            SettingsSections s;
            const int sections = static_cast<int>(rng.bounded(1, 4));
            for (int i = 0; i < sections; ++i)
                for (int k = 0, keys = static_cast<int>(rng.bounded(1, 5)); k < keys; ++k)
                    s[randomText(rng, true)][randomText(rng, true)] = randomText(rng, false);
            const QByteArray bytes = formatSettingsFile(s);
            const auto read = parseSettingsFile(bytes);
            QVERIFY2(read.clean, bytes.constData());
            QCOMPARE(read.sections, s);
        }
    }

    void aByteOrderMarkInsideALineIsKept()
    {
        // Found by the fuzz target: each line was decoded as if it began a file.
        const QByteArray bytes("\xEF\xBB\xBF[Options]\n\xEF\xBB\xBFKey=\xEF\xBB\xBFvalue\n");
        const auto read = parseSettingsFile(bytes);
        QVERIFY(read.clean);
        const QString bom(QChar(0xfeff));
        QCOMPARE(read.sections.value("Options").value(bom + "Key"), bom + "value");
        QCOMPARE(parseSettingsFile(formatSettingsFile(read.sections)).sections, read.sections);
    }

    void aValueAtTheLimitIsKeptAndOneBeyondIsMissing()
    {
        const QByteArray atLimit = "[O]\nA=" + QByteArray(platform::kMaxSettingValue, 'a') + "\n";
        QCOMPARE(parseSettingsFile(atLimit).sections.value("O").value("A").size(), platform::kMaxSettingValue);
        const QByteArray beyond = "[O]\nA=" + QByteArray(platform::kMaxSettingValue + 1, 'a') + "\nB=1\n";
        const auto read = parseSettingsFile(beyond);
        QVERIFY(!read.clean);
        QVERIFY(!read.sections.value("O").contains("A"));
        QCOMPARE(read.sections.value("O").value("B"), QString("1"));
    }

    void aFileOverSixteenMegabytesKeepsItsLines()
    {
        QByteArray big("[Options]\nAlarmTime=07:30\n");
        big += "Junk=" + QByteArray(17 * 1024 * 1024, 'j') + "\n";
        big += "Alarmsound=True\n";
        const auto read = parseSettingsFile(big);
        QCOMPARE(read.sections.value("Options").value("AlarmTime"), QString("07:30"));
        QCOMPARE(read.sections.value("Options").value("Alarmsound"), QString("True"));
        QVERIFY(!read.sections.value("Options").contains("Junk"));
    }
};

VANTORA_TEST_MAIN(TestSettingsFile)
#include "test_settingsfile.moc"
