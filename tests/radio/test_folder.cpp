#include "tests/radio/radiofixture.h"
#include "tests/support/testenv.h"
#include "tests/support/doubles/recordingmediaplayer.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QTest>

using radiotest::RadioFixture;
using testsupport::Form1Fixture;

namespace {

QStringList names(const QStringList& paths)
{
    QStringList list;
    for (const QString& p : paths)
        list << QFileInfo(p).fileName();
    return list;
}

} // namespace

class TestFolder : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        m_folder = radiotest::makeFolder(m_dir, "music", {"c.mp3", "a.mp3", "B.mp3", "cover.jpg"});
    }

    // The folder in slot 12 and one of its files in slot 11 (after the fixture
    // has made a fresh user).
    void presets()
    {
        Form1Fixture::setOption("RadioURL12", m_folder);
        Form1Fixture::setOption("RadioURL11", m_folder + "a.mp3");
    }

    void threeFilesPlayInOrderWithoutGapsAndTheWindowCloses()
    {
        RadioFixture f;
        presets();
        Form1* w = f.load();
        f.action("seturl")->setEnabled(true);
        f.trigger("url_12");
        Radio* radio = f.radio();
        QPointer<platform::RecordingMediaPlayer> player = f.player();
        QCOMPARE(names(player->opens()), QStringList{"a.mp3"});
        QCOMPARE(radio->ActualMP3Play, QString("a"));
        QCOMPARE(radio->playPath(), m_folder + "a.mp3");
        player->startPlaying();
        player->endItem();
        // The next file is opened at once: no retry is waiting.
        QCOMPARE(names(player->opens()), (QStringList{"a.mp3", "B.mp3"}));
        QVERIFY(!radio->timer(3).isEnabled());
        QCOMPARE(radio->ActualMP3Play, QString("B"));
        player->startPlaying();
        player->endItem();
        QCOMPARE(names(player->opens()), (QStringList{"a.mp3", "B.mp3", "c.mp3"}));
        QVERIFY(radio->listEnded());
        player->startPlaying();
        f.clock().advance(5000);
        player->endItem();
        f.settle();
        QVERIFY(!radio->isVisible());
        QVERIFY(!player);
        QVERIFY(!radio->anyTimerRunning());
        QVERIFY(f.action("seturl")->isEnabled());
        QVERIFY(!w->timer(7).isEnabled());
        f.clock().advance(60000);
        QCOMPARE(f.playersMade(), 1);
    }

    void withRepeatTheFolderWraps()
    {
        RadioFixture f;
        presets();
        Form1Fixture::setOption("Rpeat", "True");
        f.load();
        f.trigger("url_12");
        for (int i = 0; i < 4; ++i) {
            f.player()->startPlaying();
            f.player()->endItem();
        }
        QCOMPARE(names(f.player()->opens()), (QStringList{"a.mp3", "B.mp3", "c.mp3", "a.mp3", "B.mp3"}));
        QVERIFY(f.radio()->isVisible());
        QVERIFY(f.radio()->findChild<QLabel*>("Label2")->isVisibleTo(f.radio()));
    }

    void nextOpensTheFollowingFile()
    {
        RadioFixture f;
        presets();
        f.load();
        f.trigger("url_12");
        f.player()->startPlaying();
        QTest::mouseClick(f.radio()->findChild<QLabel*>("Image6"), Qt::LeftButton);
        QCOMPARE(names(f.player()->opens()), (QStringList{"a.mp3", "B.mp3"}));
    }

    void comingBackFromAnotherWindowStartsTheFolderAgain()
    {
        RadioFixture f;
        presets();
        Form1* w = f.load();
        f.trigger("url_12");
        QWidget* inRadio = f.radio()->findChild<QWidget*>("MediaPlayer1");
        QCOMPARE(f.radio()->fileIndex(), 1);
        emit qApp->focusChanged(w, inRadio); // the focus that follows the show
        QCOMPARE(f.radio()->fileIndex(), 1);
        emit qApp->focusChanged(inRadio, nullptr); // off to another program...
        emit qApp->focusChanged(nullptr, inRadio); // ...and back
        QCOMPARE(f.radio()->fileIndex(), 1);
        emit qApp->focusChanged(inRadio, w);
        emit qApp->focusChanged(w, inRadio); // from the main window
        QCOMPARE(f.radio()->fileIndex(), 0);
        QVERIFY(!f.action("seturl")->isEnabled());
        f.player()->startPlaying();
        f.player()->endItem();
        QCOMPARE(names(f.player()->opens()), (QStringList{"a.mp3", "a.mp3"}));
    }

    void stoppingAFolderOpensNothingMore()
    {
        RadioFixture f;
        presets();
        f.load();
        f.trigger("url_12");
        f.player()->startPlaying();
        QTest::mouseClick(f.radio()->findChild<QLabel*>("Image2"), Qt::LeftButton);
        f.clock().advance(60000);
        QCOMPARE(f.player()->opens().size(), 1);
        QVERIFY(f.radio()->isVisible());
    }

    void closingAFolderOpensNothingMore()
    {
        RadioFixture f;
        presets();
        f.load();
        f.trigger("url_12");
        f.player()->startPlaying();
        QPointer<platform::RecordingMediaPlayer> player = f.player();
        f.radio()->findChild<QAction*>("end")->trigger();
        QCOMPARE(player->opens().size(), 1);
        f.settle();
        f.clock().advance(60000);
        QCOMPARE(f.playersMade(), 1);
    }

    void anEmptyFolderOpensNothing_data()
    {
        QTest::addColumn<bool>("shuffle");
        QTest::newRow("in order") << false;
        QTest::newRow("shuffled") << true;
    }
    void anEmptyFolderOpensNothing()
    {
        QFETCH(bool, shuffle);
        RadioFixture f;
        presets();
        Form1Fixture::setOption("RadioURL12", radiotest::makeFolder(m_dir, "empty", {"notes.txt"}));
        Form1Fixture::setOption("Shuffl", shuffle ? "True" : "False");
        f.load();
        f.trigger("url_12");
        f.clock().advance(60000);
        QVERIFY(f.player()->opens().isEmpty());
        QCOMPARE(f.player()->PlayState(), qint32(platform::MediaPlayer::Closed));
        QVERIFY(f.radio()->isVisible());
    }

    void oneFileWithoutRepeatPlaysOnce()
    {
        RadioFixture f;
        presets();
        Form1* w = f.load();
        f.trigger("url_11");
        QVERIFY(!w->MP3D);
        QCOMPARE(f.player()->opens(), QStringList{m_folder + "a.mp3"});
        f.player()->startPlaying();
        f.player()->endItem();
        f.clock().advance(60000);
        QCOMPARE(f.player()->opens().size(), 1);
        QVERIFY(!f.radio()->WebcamOn);
        QVERIFY(f.radio()->isVisible());
    }

    void oneFileWithRepeatPlaysAgainAtOnce()
    {
        RadioFixture f;
        presets();
        Form1Fixture::setOption("Rpeat", "True");
        f.load();
        f.trigger("url_11");
        f.player()->startPlaying();
        f.player()->endItem();
        QCOMPARE(f.player()->opens().size(), 2);
        f.player()->startPlaying();
        f.player()->endItem();
        QCOMPARE(f.player()->opens().size(), 3);
    }

    // Without repeat a shuffled folder ends too: after a pick the entries that
    // follow it play in order and the window closes after the last; a pick of
    // the last entry has nothing after it, and the retry picks again.
    void shuffleWithoutRepeatEndsTheList()
    {
        RadioFixture f;
        presets();
        Form1Fixture::setOption("Shuffl", "True");
        f.load();
        f.trigger("url_12");
        QVERIFY(f.radio()->findChild<QLabel*>("Label3")->isVisibleTo(f.radio()));
        const QStringList list{"a.mp3", "B.mp3", "c.mp3"};
        QString last;
        for (int round = 0; round < 40 && f.radio()->isVisible(); ++round) {
            last = names(f.player()->opens()).last();
            const int at = int(list.indexOf(last));
            QVERIFY(at >= 0);
            const qsizetype opened = f.player()->opens().size();
            f.player()->startPlaying();
            f.player()->endItem();
            if (f.player()->opens().size() > opened) {
                QCOMPARE(names(f.player()->opens()).last(), list.value(at + 1));
                continue;
            }
            if (f.radio()->timer(3).isEnabled()) {
                // Nothing after a pick of the last entry: the retry picks again.
                QCOMPARE(at, 2);
                f.clock().advance(15000);
                QCOMPARE(f.player()->opens().size(), opened + 1);
                continue;
            }
            // The last entry followed a pick: the list has ended.
            QTRY_VERIFY(!f.radio()->isVisible());
        }
        QVERIFY(!f.radio()->isVisible());
        QCOMPARE(last, QString("c.mp3"));
    }

    void shuffledStartsPickEveryEntry()
    {
        RadioFixture f;
        presets();
        Form1Fixture::setOption("Shuffl", "True");
        f.load();
        f.trigger("url_12");
        QHash<QString, int> picks;
        for (int i = 0; i < 300; ++i) {
            QTest::mouseClick(f.radio()->findChild<QLabel*>("Image6"), Qt::LeftButton);
            ++picks[names(f.player()->opens()).last()];
        }
        QCOMPARE(picks.size(), 3);
        for (int count : picks)
            QVERIFY2(count > 60, qPrintable(QString::number(count)));
    }

    void theSameSeedPicksTheSameFiles()
    {
        QStringList first;
        for (int run = 0; run < 2; ++run) {
            RadioFixture f;
            presets();
            Form1Fixture::setOption("Shuffl", "True");
            f.load();
            f.trigger("url_12");
            for (int i = 0; i < 5; ++i)
                QTest::mouseClick(f.radio()->findChild<QLabel*>("Image6"), Qt::LeftButton);
            if (run == 0)
                first = f.player()->opens();
            else
                QCOMPARE(f.player()->opens(), first);
        }
    }

private:
    QTemporaryDir m_dir;
    QString m_folder;
};

VANTORA_TEST_MAIN(TestFolder)
#include "test_folder.moc"
