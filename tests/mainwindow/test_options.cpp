#include "mainwindow/form1.h"
#include "platform/settings/settings.h"
#include "compat/win32/registry.h"
#include "tests/mainwindow/form1fixture.h"
#include "resources/resources.h"
#include "tests/support/testenv.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QTest>

using testsupport::Form1Fixture;

namespace {

QString runValue()
{
    platform::HKEY key = 0;
    if (platform::RegOpenKeyEx(platform::HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", 0,
                               platform::KEY_QUERY_VALUE, &key)
        != 0)
        return "<no key>";
    QByteArray data;
    quint32 type = 0;
    const qint32 rc = platform::RegQueryValueEx(key, "Vantora", &type, &data);
    platform::RegCloseKey(key);
    if (rc != 0)
        return "<no value>";
    return QString::fromLocal8Bit(data.left(data.indexOf('\0')));
}

QString autostartFile() { return testsupport::environment().configHome() + "/autostart/vantora.desktop"; }

QByteArray settingsBytes()
{
    QFile file(platform::settingsFilePath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString tip(Form1* w, const char* name) { return w->findChild<QLabel*>(name)->toolTip(); }
bool shown(Form1* w, const char* name) { return w->findChild<QLabel*>(name)->isVisibleTo(w); }

} // namespace

class TestOptions : public QObject {
    Q_OBJECT
private slots:
    void firstLoadWritesTheFactoryStationTable()
    {
        Form1Fixture f;
        Form1* w = f.loadForm1();
        QCOMPARE(w->loadResult(), Form1::LoadResult::Loaded);
        QCOMPARE(Form1Fixture::option("FirstUse"), QString("False"));
        QCOMPARE(Form1Fixture::option("Radioname1"), QString("Top Radio - Audio 96kbps"));
        QCOMPARE(Form1Fixture::option("RadioURL9"), QString("https://stream.rcs.revma.com/xh00fwuptg0uv"));
        QCOMPARE(Form1Fixture::option("Radioname10"), QString("-"));
        QCOMPARE(Form1Fixture::option("RadioURL10"), QString(""));
        QCOMPARE(Form1Fixture::option("Radioname12"), QString("MP3 Directory"));
        QCOMPARE(w->stationName(2), QString("Top Radio - Audio/Video 220kbps"));
        QCOMPARE(w->DefaultRadio, qint16(2));
        QCOMPARE(w->RaURL, w->stationURL(2));
    }

    void theStoredTableWinsOverTheFactoryOnLaterLoads()
    {
        Form1Fixture f;
        f.loadForm1();
        Form1Fixture::setOption("Radioname3", "My station");
        Form1Fixture::setOption("RadioURL3", "http://127.0.0.1/mine.mp3");
        Form1* w = f.restart();
        QCOMPARE(w->stationName(3), QString("My station"));
        QCOMPARE(w->stationURL(3), QString("http://127.0.0.1/mine.mp3"));
    }

    void indexZeroSkipsIncompleteSlotsAndEightWritesThemEmpty()
    {
        Form1Fixture f;
        Form1* w = f.loadForm1();
        Form1Fixture::setOption("Radioname4", "");
        w->LoadOptions(8);
        QCOMPARE(Form1Fixture::option("Radioname4"), QString(""));
        Form1Fixture::setOption("RadioURL4", "http://kept.example/");
        Form1Fixture::setOption("Radioname5", "Changed outside");
        w->RegOptions(0);
        QCOMPARE(Form1Fixture::option("RadioURL4"), QString("http://kept.example/"));
        QCOMPARE(Form1Fixture::option("Radioname5"), QString("Radio Donna"));
        w->RegOptions(8);
        QCOMPARE(Form1Fixture::option("RadioURL4"), QString("https://icecast.funradio.fr/fun-1-44-128"));
        QCOMPARE(Form1Fixture::option("Radioname4"), QString(""));
    }

    void indicesOutsideTheTableChangeNothing()
    {
        Form1Fixture f;
        Form1* w = f.loadForm1();
        const QByteArray before = settingsBytes();
        const QString alarm = w->alarmTimeText();
        for (qint16 index : {13, 14, -1, 200}) {
            w->LoadOptions(index);
            w->RegOptions(index);
        }
        QCOMPARE(settingsBytes(), before);
        QCOMPARE(w->alarmTimeText(), alarm);
    }

    void withNoSettingsTheFactoryStateIsApplied()
    {
        Form1Fixture f;
        Form1* w = f.loadForm1();
        QVERIFY(w->findChild<QLabel*>("Label6")->isVisibleTo(w));
        QCOMPARE(w->findChild<QLabel*>("Label6")->text(), QString("Wednesday 09 December 2026"));
        QVERIFY(f.action("DispDat")->isChecked());
        QVERIFY(f.action("Datform")->isChecked());
        QVERIFY(f.action("Flsh")->isChecked());
        QVERIFY(shown(w, "picSegment_7"));
        QVERIFY(!f.action("beephour")->isChecked());
        QVERIFY(!shown(w, "Image3"));
        QVERIFY(f.action("alwvis")->isChecked());
        QVERIFY(!f.windows().calls().isEmpty());
        QCOMPARE(f.windows().calls().last().order, platform::ZOrder::TopMost);
        QVERIFY(f.action("mnuAutoRun")->isChecked());
        QCOMPARE(runValue(), QCoreApplication::applicationFilePath());
        QVERIFY(QFileInfo::exists(autostartFile()));
        QCOMPARE(tip(w, "Image10"), QString("NTP Auto-Sync On - Next at 00:00:00"));
        QCOMPARE(tip(w, "Image11"), QString("NTP Auto-Sync On - Next at 00:00:00"));
        QVERIFY(f.action("NTPASync")->isChecked());
        QVERIFY(f.action("mnuVNUpAuto")->isChecked());
        // The first automatic update check counts down from the load.
        QCOMPARE(tip(w, "Image12"), QString("VN Auto-Update On - Next in 600 sec"));
        QVERIFY(f.action("al1")->isChecked());
        QVERIFY(f.action("radalarm")->isChecked());
        QVERIFY(f.action("autopl")->isChecked());
        QVERIFY(!f.action("repeatmp3")->isChecked());
        QVERIFY(!f.action("shufflemp3")->isChecked());
        QCOMPARE(w->findChild<QLabel*>("Label3")->text(), QString("Alarm Disabled"));
        QCOMPARE(f.action("alarmbeep")->text(), QString("Enable Alarm"));
    }

    void everyOptionSurvivesARestart()
    {
        Form1Fixture f;
        f.loadForm1();
        for (const char* name : {"DispDat", "Datform", "Flsh", "beephour", "alwvis", "NTPASync", "mnuVNUpAuto",
                                 "radalarm", "autopl", "repeatmp3", "shufflemp3"})
            f.trigger(name);
        f.trigger("al2");
        // Restarted at once: each option was stored when it was changed.
        Form1* w = f.restart();
        for (const char* name :
             {"DispDat", "Datform", "Flsh", "alwvis", "NTPASync", "mnuVNUpAuto", "radalarm", "autopl", "al1"})
            QVERIFY2(!f.action(name)->isChecked(), name);
        for (const char* name : {"beephour", "repeatmp3", "shufflemp3", "al2"})
            QVERIFY2(f.action(name)->isChecked(), name);
        QVERIFY(!w->findChild<QLabel*>("Label6")->isVisibleTo(w));
        QCOMPARE(w->findChild<QLabel*>("Label6")->text(), QString("Wed 09 Dec 2026"));
        QVERIFY(!shown(w, "picSegment_7"));
        QVERIFY(shown(w, "Image3"));
        QVERIFY(!shown(w, "Image8"));
        QCOMPARE(f.windows().calls().last().order, platform::ZOrder::NotTopMost);
        QCOMPARE(tip(w, "Image10"), QString("NTP Auto-Sync Off"));
        QCOMPARE(tip(w, "Image12"), QString("VN Auto-Update Off"));
        QCOMPARE(w->alarmChoice(), qint16(2));
    }

    void choosingAnAlarmSoundPlaysItOnce()
    {
        Form1Fixture f;
        f.loadForm1();
        f.trigger("al2");
        QCOMPARE(f.sound().playCount(), 1);
        QCOMPARE(f.sound().lastPlayed(), platform::loadResource("CUSTOM", 102));
    }

    void flashOffStopsTheSegmentTimerAndRestsThePicture()
    {
        Form1Fixture f(QDateTime(QDate(2026, 12, 9), QTime(10, 0, 0)));
        Form1* w = f.loadForm1();
        auto* colon = w->findChild<QLabel*>("picSegment_7");
        const QImage rest = platform::loadBitmap(103).toImage();
        f.clock().advance(1000);
        QVERIFY(colon->pixmap().toImage() != rest);
        f.trigger("Flsh");
        QCOMPARE(colon->pixmap().toImage(), rest);
        QVERIFY(!shown(w, "picSegment_7"));
        f.clock().advance(3000);
        QCOMPARE(colon->pixmap().toImage(), rest);
        f.trigger("Flsh");
        QVERIFY(shown(w, "picSegment_7"));
        QCOMPARE(colon->pixmap().toImage(), rest);
        f.clock().advance(1000);
        QVERIFY(colon->pixmap().toImage() != rest);
    }

    void theRunValueFollowsTheStartupOption()
    {
        Form1Fixture f;
        Form1* w = f.loadForm1();
        QCOMPARE(runValue(), QCoreApplication::applicationFilePath());
        f.trigger("mnuAutoRun");
        QCOMPARE(runValue(), QString(""));
        QVERIFY(!QFileInfo::exists(autostartFile()));
        QCOMPARE(Form1Fixture::option("AddToReg"), QString("0"));
        QVERIFY(!w->autoRunOn());
        w = f.restart();
        QVERIFY(!f.action("mnuAutoRun")->isChecked());
        QCOMPARE(runValue(), QString(""));
        f.trigger("mnuAutoRun");
        QCOMPARE(runValue(), QCoreApplication::applicationFilePath());
        QVERIFY(QFileInfo::exists(autostartFile()));
        QCOMPARE(Form1Fixture::option("AddToReg"), QString("1"));
    }

    void syncTooltipShowsTheStoredSyncTime()
    {
        Form1Fixture f;
        for (int i = 1; i <= 6; ++i)
            Form1Fixture::setOption(QString("DefaultTimeSync%1").arg(i), QString::number(i));
        Form1* w = f.loadForm1();
        QCOMPARE(tip(w, "Image10"), QString("NTP Auto-Sync On - Next at 12:34:56"));
        f.trigger("NTPASync");
        QCOMPARE(tip(w, "Image10"), QString("NTP Auto-Sync Off"));
        QCOMPARE(Form1Fixture::option("NetAutoSync"), QString("False"));
    }

    void windowPositionIsStoredInTwips()
    {
        Form1Fixture f;
        Form1Fixture::setOption("F1Left", "1500");
        Form1Fixture::setOption("F1Top", "3000");
        Form1* w = f.loadForm1();
        QCOMPARE(w->pos(), QPoint(100, 200));
        w->move(120, 40);
        w->RegOptions(1);
        QCOMPARE(Form1Fixture::option("F1Left"), QString("1800"));
        QCOMPARE(Form1Fixture::option("F1Top"), QString("600"));
    }
};

VANTORA_TEST_MAIN(TestOptions)
#include "test_options.moc"
