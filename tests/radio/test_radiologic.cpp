#include "radio/radiologic.h"
#include "tests/support/testenv.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace radiologic;

class TestRadioLogic : public QObject {
    Q_OBJECT
private slots:
    void volumeBar_data()
    {
        QTest::addColumn<qint32>("volume");
        QTest::addColumn<int>("percent");
        QTest::addColumn<int>("twips");
        QTest::newRow("full") << 0 << 100 << 690;
        QTest::newRow("two thirds") << -2410 << 66 << 459;
        QTest::newRow("bottom of the scale") << -4820 << 0 << 0;
        QTest::newRow("between floor and W = 0") << -6000 << 0 << 0;
        QTest::newRow("W = 0") << -9640 << 0 << 0;
        QTest::newRow("silent") << -10000 << 0 << 0;
        QTest::newRow("louder than full") << 500 << 100 << 690;
        QTest::newRow("just below full") << -1 << 99 << 689;
    }
    void volumeBar()
    {
        QFETCH(qint32, volume);
        QFETCH(int, percent);
        QFETCH(int, twips);
        const VolumeDisplay shown = volumeDisplay(volume);
        QCOMPARE(shown.percent, percent);
        QCOMPARE(shown.barTwips, twips);
        QCOMPARE(volumeTip(shown), QString("Volume %1% - Up and Down arrows to modify").arg(percent));
    }

    void volumeBarNeverLeavesItsFrame()
    {
        for (qint32 v = -20000; v <= 1000; v += 7) {
            const VolumeDisplay shown = volumeDisplay(v);
            QVERIFY(shown.percent >= 0 && shown.percent <= 100);
            QVERIFY(shown.barTwips >= 0 && shown.barTwips <= BarTwips);
        }
    }

    void receptionBar()
    {
        QCOMPARE(receptionBarTwips(100), 690);
        QCOMPARE(receptionBarTwips(50), 345);
        QCOMPARE(receptionBarTwips(0), 0);
        QCOMPARE(receptionBarTwips(-5), 0);
        QCOMPARE(receptionBarTwips(250), 690);
    }

    void textsAreCutAfterTheirLength()
    {
        QCOMPARE(cutText(QString(40, 'a'), 40), QString(40, 'a'));
        QCOMPARE(cutText(QString(41, 'a'), 40), QString(40, 'a') + "...");
        QCOMPARE(cutText(QString(35, 'b'), 35), QString(35, 'b'));
        QCOMPARE(cutText(QString(36, 'b'), 35), QString(35, 'b') + "...");
        QCOMPARE(cutText(QString(), 35), QString());
    }

    void theFolderListHoldsItsMp3FilesByName()
    {
        QTemporaryDir dir;
        for (const char* name : {"b song.mp3", "A first.MP3", "c.Mp3", "notes.txt", "cover.jpg", "d.mp3.part"}) {
            QFile f(dir.filePath(name));
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        QDir().mkpath(dir.filePath("sub.mp3"));
        QCOMPARE(mp3Files(dir.path()), (QStringList{"A first.MP3", "b song.mp3", "c.Mp3"}));
        QCOMPARE(mp3Files(dir.path() + "/"), (QStringList{"A first.MP3", "b song.mp3", "c.Mp3"}));
        QCOMPARE(mp3Files(dir.filePath("missing")), QStringList());
        QCOMPARE(mp3Files(QString()), QStringList());
        QCOMPARE(entryPath("/music/", "a.mp3"), QString("/music/a.mp3"));
        QCOMPARE(entryPath("/music", "a.mp3"), QString("/music/a.mp3"));
    }

    void theMessageEntersFromTheRight()
    {
        const QString message = "Watch Vantora Radio Online";
        QCOMPARE(marqueeFrame(message, 0), QString(40, ' '));
        QCOMPARE(marqueeFrame(message, 1), QString(39, ' ') + "W");
        QCOMPARE(marqueeFrame(message, 5), QString(35, ' ') + "Watch");
        QCOMPARE(marqueeFrame(message, int(message.size())), QString(40 - message.size(), ' ') + message);
        QCOMPARE(marqueeFrame(message, 500), marqueeFrame(message, int(message.size())));
        for (int step = 0; step < 60; ++step)
            QCOMPARE(marqueeFrame(message, step).size(), 40);
    }

    void mediaInformationCyclesAndSkipsEmptyItems()
    {
        QHash<qint32, QString> items{{1, "Title"}, {2, "Author"}, {8, QString(41, 'n')}, {16, "Encoder"}};
        auto item = [&](qint32 n) { return items.value(n); };
        const QDate today(2026, 12, 9);
        int step = 0;
        QStringList shown;
        for (int tick = 0; tick < 6; ++tick) {
            const InfoLine line = mediaInfoTick(step, item, today);
            QVERIFY(line.show);
            shown << line.text;
        }
        QCOMPARE(
            shown,
            (QStringList{"Title", "Author", QString(40, 'n') + "...", "Encoder", "Wednesday 9 Dec 2026", "Title"}));
        QCOMPARE(step, 1);
    }

    void theDateClosesTheMediaCycleInRed()
    {
        int step = 12;
        const InfoLine line = mediaInfoTick(
            step, [](qint32) { return QString(); }, QDate(2026, 1, 4));
        QVERIFY(line.show);
        QVERIFY(line.dateColour);
        QCOMPARE(line.text, QString("Sunday 4 Jan 2026"));
        QCOMPARE(step, 0);
        step = 20;
        QVERIFY(!mediaInfoTick(
                     step, [](qint32) { return QString("x"); }, QDate(2026, 1, 4))
                     .show);
        QCOMPARE(step, 0);
    }

    void creditsCycleWithTheDate()
    {
        const QStringList credits{"a", "b", "c", "d", "e"};
        int step = 0;
        QStringList shown;
        for (int tick = 0; tick < 8; ++tick) {
            const InfoLine line = creditsTick(step, credits, QDate(2026, 12, 9));
            shown << (line.show ? line.text : QString("-"));
        }
        QCOMPARE(shown, (QStringList{"a", "b", "c", "d", "e", "Wednesday 9 Dec 2026", "-", "a"}));
    }

    void picturesStepAsTheStripShowsThem()
    {
        QCOMPARE(nextOnAirPicture(3), 1);
        QCOMPARE(nextOnAirPicture(1), 3);
        QCOMPARE(nextOnAirPicture(2), 3);
        QList<int> steps;
        int picture = 1;
        for (int i = 0; i < 9; ++i)
            steps << (picture = nextConnectionPicture(picture));
        QCOMPARE(steps, (QList<int>{2, 3, 4, 5, 6, 3, 4, 5, 6}));
    }

    void theDisplayCycleComesBackToNothing()
    {
        DisplayParts parts{}; // a start switches the control bar and the panel off
        parts = cycleDisplay(parts);
        QCOMPARE(parts, (DisplayParts{false, true, true, true}));
        parts = cycleDisplay(parts);
        QCOMPARE(parts, (DisplayParts{true, false, true, true}));
        parts = cycleDisplay(parts);
        QCOMPARE(parts, (DisplayParts{false, false, false, false}));
    }
};

VANTORA_TEST_MAIN(TestRadioLogic)
#include "test_radiologic.moc"
