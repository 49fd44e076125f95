#include "core/datalist.h"
#include "mainwindow/appwindows.h"
#include "mainwindow/form1.h"
#include "online/frminternet.h"
#include "peers.h"
#include "platform/online/download.h"
#include "platform/settings/settings.h"
#include "platform/system/paths.h"
#include "tests/mainwindow/form1fixture.h"
#include "tests/support/testenv.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QRandomGenerator>
#include <QtTest>

#include <cstdio>

#include <csignal>

#include <functional>

using testsupport::Form1Fixture;

namespace {

const QByteArray kList = "Jazz One\r\nhttp://jazz.example/one\r\nRock & Roll\r\nhttp://rock.example/live\r\n"
                         "News\r\nhttp://news.example/stream\r\n";

QString row(const char* name, const char* url) { return QString("%1 - %2").arg(name, url); }

// Several generations of the nine stations written as one change each.
QList<QPair<QString, QString>> generation(int n)
{
    QList<QPair<QString, QString>> values;
    for (int i = 1; i <= 9; ++i) {
        values.append({QString("RadioURL%1").arg(i), QString("http://gen%1/%2").arg(n).arg(i)});
        values.append({QString("Radioname%1").arg(i), QString("Generation %1 station %2").arg(n).arg(i)});
    }
    values.append({"DefaultRadio", QString::number(n % 9 + 1)});
    return values;
}

} // namespace

class TestFrmInternet : public QObject {
    Q_OBJECT
private:
    onlinetest::HttpPeer m_peer;
    std::unique_ptr<Form1Fixture> m_fx;
    Form1* m_main = nullptr;

    frmInternet& window() { return appWindows().internetList(); }
    QListWidget* list() { return window().findChild<QListWidget*>("List1"); }
    QComboBox* combo() { return window().findChild<QComboBox*>("Combo1"); }
    QString label(const char* name) { return window().findChild<QLabel*>(name)->text(); }

    // Opens the list from the menu; `act` runs once the list is shown (also
    // when the download failed), inside the modal window.
    void openList(const QString& base, const std::function<void()>& act)
    {
        onlinetest::WebBase web(base);
        QMetaObject::Connection c = connect(&window(), &frmInternet::listLoaded, this, [&] {
            if (act)
                act();
            if (window().isVisible())
                window().reject();
        });
        m_fx->trigger("InterLaunch");
        disconnect(c);
    }

    void submit() { QTest::mouseClick(window().findChild<QPushButton*>("Command1"), Qt::LeftButton); }

    QStringList rows()
    {
        QStringList r;
        for (int i = 0; i < list()->count(); ++i)
            r << list()->item(i)->text();
        return r;
    }

    QStringList checkedRows()
    {
        QStringList r;
        for (int i = 0; i < list()->count(); ++i)
            if (list()->item(i)->checkState() == Qt::Checked)
                r << list()->item(i)->text();
        return r;
    }

    void setUserStations(const QStringList& names, const QStringList& urls)
    {
        for (int i = 1; i <= 9; ++i) {
            Form1Fixture::setOption(QString("Radioname%1").arg(i), names.value(i - 1));
            Form1Fixture::setOption(QString("RadioURL%1").arg(i), urls.value(i - 1));
        }
    }

    QStringList storedStations()
    {
        QStringList s;
        for (int i = 1; i <= 12; ++i)
            s << Form1Fixture::option(QString("Radioname%1").arg(i)) + "|"
                    + Form1Fixture::option(QString("RadioURL%1").arg(i));
        return s << Form1Fixture::option("DefaultRadio");
    }

    QString driveCList() const { return platform::hostPath("C:\\VN.log"); }

private slots:
    void initTestCase() { QVERIFY(m_peer.start()); }

    void init()
    {
        m_fx = std::make_unique<Form1Fixture>();
        m_main = m_fx->loadForm1();
        QFile::remove(driveCList());
        m_peer.put("/VN/VN.log", kList);
    }

    void cleanup()
    {
        appWindows().unloadAll();
        m_fx.reset();
    }

    void goodListIsShownAndMerged_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("crlf") << kList;
        QTest::newRow("lf") << QByteArray(kList).replace("\r\n", "\n");
        QTest::newRow("cr") << QByteArray(kList).replace("\r\n", "\r");
    }
    void goodListIsShownAndMerged()
    {
        QFETCH(QByteArray, bytes);
        m_peer.put("/mirror/VN/VN.log", bytes);
        setUserStations({"Mine", "Jazz Renamed"}, {"http://mine.example/a", "http://jazz.example/one"});
        QStringList shown;
        QString total;
        QStringList checked;
        openList(m_peer.base("/mirror"), [&] {
            shown = rows();
            total = label("Label3");
            checked = checkedRows();
        });
        QCOMPARE(shown,
                 (QStringList{row("Jazz One", "http://jazz.example/one"),
                              row("Rock & Roll", "http://rock.example/live"), row("News", "http://news.example/stream"),
                              row("Mine", "http://mine.example/a"), row("Jazz Renamed", "http://jazz.example/one")}));
        QCOMPARE(total, QString("Total 5"));
        // The user's station whose address is shared checks the shared row.
        QCOMPARE(checked,
                 (QStringList{row("Jazz One", "http://jazz.example/one"), row("Mine", "http://mine.example/a")}));
        QFile copy(driveCList());
        QVERIFY(copy.open(QIODevice::ReadOnly));
        QCOMPARE(copy.readAll(), bytes);
    }

    void submitStoresTheCheckedRowsInListOrder()
    {
        setUserStations({"Mine"}, {"http://mine.example/a"});
        Form1Fixture::setOption("DefaultRadio", "1");
        Form1Fixture::setOption("RadioURL11", "/music/song.mp3");
        openList(m_peer.base(), [&] {
            list()->item(2)->setCheckState(Qt::Checked); // News
            list()->item(0)->setCheckState(Qt::Checked); // Jazz One
            submit();
        });
        QCOMPARE(Form1Fixture::option("Radioname1"), QString("Jazz One"));
        QCOMPARE(Form1Fixture::option("RadioURL1"), QString("http://jazz.example/one"));
        QCOMPARE(Form1Fixture::option("Radioname2"), QString("News"));
        QCOMPARE(Form1Fixture::option("Radioname3"), QString("Mine"));
        QCOMPARE(Form1Fixture::option("RadioURL4"), QString(""));
        QCOMPARE(Form1Fixture::option("Radioname9"), QString(""));
        // The user's default station (Mine) is now slot 3.
        QCOMPARE(Form1Fixture::option("DefaultRadio"), QString("3"));
        QCOMPARE(Form1Fixture::option("RadioURL11"), QString("/music/song.mp3"));
        // The main window took the new table.
        QCOMPARE(m_main->stationName(1), QString("Jazz One"));
        QCOMPARE(m_main->DefaultRadio, qint16(3));
        // ... and its station menu.
        QCOMPARE(m_fx->action("url_1")->text(), QString("Jazz One"));
        QVERIFY(m_fx->action("url_3")->isChecked());
        QVERIFY(!m_fx->action("url_4")->isVisible());
        QVERIFY(m_fx->action("InterLaunch")->isEnabled());
        QVERIFY(!m_main->timer(8).isEnabled());
    }

    void theUsersDefaultIsPreselected()
    {
        setUserStations({"A", "B", "C"}, {"http://a", "http://b", "http://c"});
        Form1Fixture::setOption("DefaultRadio", "3");
        QString preselected;
        openList(m_peer.base(), [&] {
            preselected = combo()->currentText();
            list()->item(1)->setCheckState(Qt::Checked); // Rock & Roll joins before C
            submit();
        });
        QCOMPARE(preselected, row("C", "http://c"));
        QCOMPARE(Form1Fixture::option("Radioname4"), QString("C"));
        QCOMPARE(Form1Fixture::option("DefaultRadio"), QString("4"));
    }

    void aDefaultOutsideTheListIsKept()
    {
        setUserStations({"A", "B"}, {"http://a", "http://b"});
        Form1Fixture::setOption("DefaultRadio", "12");
        Form1Fixture::setOption("RadioURL12", "/music");
        int preselected = 0;
        openList(m_peer.base(), [&] {
            preselected = combo()->currentIndex();
            submit();
        });
        QCOMPARE(preselected, -1);
        QCOMPARE(Form1Fixture::option("DefaultRadio"), QString("12"));
        QCOMPARE(Form1Fixture::option("RadioURL12"), QString("/music"));
    }

    void aTenthCheckIsUndone()
    {
        QByteArray many;
        for (int i = 1; i <= 12; ++i)
            many += QString("S%1\nhttp://s%1\n").arg(i).toUtf8();
        m_peer.put("/many/VN/VN.log", many);
        setUserStations({}, {});
        QString selected;
        int checked = 0;
        openList(m_peer.base("/many"), [&] {
            for (int i = 0; i < 10; ++i)
                list()->item(i)->setCheckState(Qt::Checked);
            checked = window().checkedCount();
            selected = label("Label2");
        });
        QCOMPARE(checked, 9);
        QCOMPARE(selected, QString("Selected 9/9"));
    }

    void noCheckClearsStationsOneToNine()
    {
        setUserStations({"A"}, {"http://a"});
        Form1Fixture::setOption("DefaultRadio", "1");
        openList(m_peer.base(), [&] {
            list()->item(3)->setCheckState(Qt::Unchecked);
            submit();
        });
        for (int i = 1; i <= 9; ++i)
            QCOMPARE(Form1Fixture::option(QString("RadioURL%1").arg(i)), QString(""));
        QCOMPARE(Form1Fixture::option("DefaultRadio"), QString("1"));
    }

    void anOddCountDropsTheLastName()
    {
        m_peer.put("/odd/VN/VN.log", "One\nhttp://one\nLonely name\n");
        setUserStations({}, {});
        QStringList shown;
        openList(m_peer.base("/odd"), [&] {
            shown = rows();
            for (int i = 0; i < list()->count(); ++i)
                list()->item(i)->setCheckState(Qt::Checked);
            submit();
        });
        QCOMPARE(shown, QStringList{row("One", "http://one")});
        QCOMPARE(Form1Fixture::option("Radioname2"), QString(""));
    }

    void brokenServersChangeNothing_data()
    {
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<QString>("reason");
        QTest::newRow("404") << "/status/404"
                             << "404";
        QTest::newRow("500") << "/status/500"
                             << "500";
        QTest::newRow("2 MB file") << "/big"
                                   << "larger";
    }
    void brokenServersChangeNothing()
    {
        QFETCH(QString, prefix);
        QFETCH(QString, reason);
        m_peer.put("/big/VN/VN.log", QByteArray(2 * 1024 * 1024, 'x'));
        setUserStations({"A", "B"}, {"http://a", "http://b"});
        Form1Fixture::setOption("DefaultRadio", "2");
        const QStringList before = storedStations();
        openList(m_peer.base(prefix), [&] {
            if (window().isVisible())
                submit();
        });
        QCOMPARE(storedStations(), before);
        QVERIFY(!QFile::exists(driveCList()));
        const auto& shown = m_fx->dialogs().shown();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].title, QString("Online Radio List"));
        QVERIFY(shown[0].prompt.startsWith("Error: "));
        QVERIFY2(shown[0].prompt.contains(reason), qPrintable(shown[0].prompt));
        QCOMPARE(shown[0].style & platform::mb::IconMask, platform::mb::Critical);
        QVERIFY(!window().isVisible());
        QVERIFY(m_fx->action("InterLaunch")->isEnabled());
    }

    // An empty shared list is no error: the user's own stations are listed.
    void anEmptyListShowsTheUsersStations()
    {
        m_peer.put("/empty/VN/VN.log", "");
        setUserStations({"A", "B"}, {"http://a", "http://b"});
        Form1Fixture::setOption("DefaultRadio", "2");
        QStringList shown;
        QStringList checked;
        QString chosen;
        openList(m_peer.base("/empty"), [&] {
            shown = rows();
            checked = checkedRows();
            chosen = combo()->currentText();
        });
        QCOMPARE(m_fx->dialogs().messageCount(), 0);
        QCOMPARE(shown, (QStringList{row("A", "http://a"), row("B", "http://b")}));
        QCOMPARE(checked, shown);
        QCOMPARE(chosen, row("B", "http://b"));
    }

    // While the list is on its way the window counts its wait; closing it
    // cancels the download, and no error comes later.
    void closingTheWindowCancelsTheDownload()
    {
        const QStringList before = storedStations();
        QString waiting;
        const QMetaObject::Connection c = connect(&platform::downloader(), &platform::Downloader::StateChanged, this,
                                                  [&](int state) {
                                                      if (state != platform::inet::RequestSent)
                                                          return;
                                                      QTimer::singleShot(0, this, [&] {
                                                          m_fx->clock().advance(4000);
                                                          waiting = label("Label3");
                                                          QVERIFY(window().downloading());
                                                          window().close();
                                                      });
                                                  });
        onlinetest::WebBase web(m_peer.base("/silent"));
        m_fx->trigger("InterLaunch");
        disconnect(c);
        QCOMPARE(waiting, QString("Waiting for the list... 4 s"));
        QVERIFY(!window().isVisible());
        QTRY_VERIFY(!platform::downloader().StillExecuting());
        m_fx->clock().advance(120000);
        QCOMPARE(m_fx->dialogs().messageCount(), 0);
        QCOMPARE(storedStations(), before);
        QVERIFY(m_fx->action("InterLaunch")->isEnabled());
    }

    void aStoppedServerChangesNothing()
    {
        onlinetest::HttpPeer gone;
        QVERIFY(gone.start());
        const QString base = gone.base();
        gone.stop();
        const QStringList before = storedStations();
        openList(base, {});
        QCOMPARE(storedStations(), before);
        QCOMPARE(m_fx->dialogs().messageCount(), 1);
    }

    void aDrippingServerMeetsTheDeadline()
    {
        const QStringList before = storedStations();
        QTimer steps;
        connect(&steps, &QTimer::timeout, this, [&] { m_fx->clock().advance(2000); });
        const QMetaObject::Connection c = connect(&platform::downloader(), &platform::Downloader::StateChanged, this,
                                                  [&](int state) {
                                                      if (state == platform::inet::ReceivingResponse)
                                                          steps.start(100);
                                                  });
        openList(m_peer.base("/drip"), {});
        disconnect(c);
        steps.stop();
        QCOMPARE(storedStations(), before);
        QVERIFY(m_fx->dialogs().shown().value(0).prompt.contains("longer than"));
    }

    void statusLineFollowsTheTransfer()
    {
        frmInternet& w = window();
        auto* status = w.findChild<QLabel*>("Label1");
        w.Inet1_StateChanged(3);
        QCOMPARE(status->text(), QString("Connecting..."));
        QCOMPARE(w.timer1().interval(), 2000);
        w.Inet1_StateChanged(11);
        QCOMPARE(status->text(), QString("Error during communication with host computer..."));
        QCOMPARE(w.timer1().interval(), 1000);
        w.Inet1_StateChanged(0);
        QCOMPARE(status->text(), QString("No State - Connection closed"));
        w.Inet1_StateChanged(42);
        QCOMPARE(status->text(), QString("No State - Connection closed"));
    }

    // The stations are replaced as one change: a writer killed at any moment
    // leaves one whole generation.
    void submitIsAllOrNothing()
    {
        platform::saveSettings("Options", generation(0));
        QRandomGenerator rng(7);
        for (int round = 0; round < 12; ++round) {
            QProcess child;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert("VANTORA_STATION_WRITER", "1");
            child.setProcessEnvironment(env);
            child.start(QCoreApplication::applicationFilePath(), {});
            QVERIFY(child.waitForStarted());
            QVERIFY(testsupport::killAfterReportedWrites(child, 1 + static_cast<int>(rng.bounded(3))));
            const QString url1 = Form1Fixture::option("RadioURL1");
            const int gen = url1.section('/', 2, 2).mid(3).toInt();
            for (const auto& [key, value] : generation(gen))
                QCOMPARE(Form1Fixture::option(key), value);
        }
    }
};

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsSet("VANTORA_STATION_WRITER")) {
        // The child of submitIsAllOrNothing (in the parent's test home): writes
        // generations until killed, reporting each one written.
        QCoreApplication app(argc, argv);
        for (int n = 1;; ++n) {
            platform::saveSettings("Options", generation(n));
            std::printf("%d\n", n);
            std::fflush(stdout);
        }
    }
    testsupport::environment();
    QApplication app(argc, argv);
    TestFrmInternet tc;
    return QTest::qExec(&tc, argc, argv);
}
#include "test_frminternet.moc"
