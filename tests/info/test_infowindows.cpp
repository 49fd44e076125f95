#include "mainwindow/appwindows.h"
#include "mainwindow/form1.h"
#include "mainwindow/form2.h"
#include "mainwindow/frmhist.h"
#include "mainwindow/frmos.h"
#include "platform/desktop/osfacts.h"
#include "tests/info/infofixture.h"
#include "tests/support/testenv.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QRegularExpression>
#include <QScreen>
#include <QTest>
#include <QSet>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>

using testsupport::InfoFixture;

namespace {

QDateTime at(int h, int m, int s, int ms = 0) { return QDateTime(QDate(2026, 12, 9), QTime(h, m, s, ms)); }

QPoint centredFor(const QSize& size)
{
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    return {area.x() + (area.width() - size.width()) / 2, area.y() + (area.height() - size.height()) / 2};
}

} // namespace

class TestInfoWindows : public QObject {
    Q_OBJECT
private slots:
    // ---- About ----
    void aboutShowsTheVersionAndTheMainWindowsTime()
    {
        InfoFixture f(at(9, 15, 30));
        f.loadForm1();
        QString title, time;
        f.modals().answerNext([&](QWidget* w) {
            auto* about = qobject_cast<Form2*>(w);
            title = about->windowTitle();
            time = about->timeLabel()->text();
        });
        f.trigger("aboutdnw");
        QCOMPARE(f.modals().shown(), QStringList{"Form2"});
        QCOMPARE(title, QString("Vantora - v 2.9.0"));
        QCOMPARE(time, QString("09:15:30"));
    }

    void theAboutClockMovesWithTheMainClockOnly()
    {
        InfoFixture f(at(9, 15, 30));
        Form1* main = f.loadForm1();
        QStringList seen;
        f.modals().answerNext([&](QWidget* w) {
            auto* about = qobject_cast<Form2*>(w);
            seen << about->timeLabel()->text();
            f.clock().advance(1000);
            seen << about->timeLabel()->text();
            // The main window's time stands still (its tick is stopped): so does the label.
            main->timer(1).setEnabled(false);
            f.clock().advance(3000);
            seen << about->timeLabel()->text();
            main->timer(1).setEnabled(true);
            f.clock().advance(1000);
            seen << about->timeLabel()->text();
        });
        f.trigger("aboutdnw");
        QCOMPARE(seen, (QStringList{"09:15:30", "09:15:31", "09:15:31", "09:15:35"}));
    }

    void aClickOnThePictureClosesAndTheTimerStops()
    {
        InfoFixture f;
        f.loadForm1();
        bool runningWhileShown = false;
        QString tip;
        f.modals().answerNext([&](QWidget* w) {
            auto* about = qobject_cast<Form2*>(w);
            runningWhileShown = about->isTimerRunning();
            tip = about->picture()->toolTip();
            QTest::mouseClick(about->picture(), Qt::LeftButton);
        });
        f.trigger("aboutdnw");
        Form2* about = appWindows().about();
        QVERIFY(runningWhileShown);
        QCOMPARE(tip, QString("Click to Close"));
        QVERIFY(!about->isVisible());
        QVERIFY(!about->isTimerRunning());
        // Nothing of the About window is left waking the program.
        const int scheduled = f.clock().scheduledCount();
        f.clock().advance(60000);
        QCOMPARE(f.clock().scheduledCount(), scheduled);
    }

    void reopeningAboutAppliesTheOnTopChoiceAgain()
    {
        InfoFixture f;
        Form1* main = f.loadForm1();
        f.trigger("aboutdnw");
        main->Form1OnTop = false;
        f.windows().clear();
        f.trigger("aboutdnw");
        QCOMPARE(f.modals().shown().size(), 2);
        bool sawNotTopMost = false;
        for (const auto& call : f.windows().calls())
            if (call.window == appWindows().about())
                sawNotTopMost = call.order == platform::ZOrder::NotTopMost;
        QVERIFY(sawNotTopMost);
    }

    void theAboutPictureFillsTheWindow()
    {
        const QPixmap picture = drawAboutPicture();
        QCOMPARE(picture.size(), QSize(300, 179));
        InfoFixture f;
        Form2* about = appWindows().about();
        QCOMPARE(about->size(), QSize(300, 179));
        QCOMPARE(about->picture()->geometry(), QRect(0, 0, 300, 179));
    }

    // ---- History ----
    void historyOpenedTwiceHoldsOneHistory()
    {
        InfoFixture f;
        f.loadForm1();
        f.trigger("VNHist");
        FrmHist* hist = appWindows().history();
        QVERIFY(hist->isVisible());
        QCOMPARE(hist->windowTitle(), QString("Vantora - History"));
        const QString once = hist->shownText();
        hist->hide();
        f.trigger("VNHist");
        QCOMPARE(hist->shownText(), once);
        QCOMPARE(once.count("v2.9.x:"), 1);
        QVERIFY(hist->isLocked());
    }

    void theHistoryHasItsHeaderAndSevenReleaseGroupsInOrder()
    {
        const QString text = historyText();
        QVERIFY(text.startsWith(" Vantora:\r\n"));
        QVERIFY(text.contains("Version 2.9.0\r\n"));
        QVERIFY(text.contains("Purpose:\r\n"));
        const QStringList groups{"v1.0.x:", "v1.1.x:", "v2.x.x:", "v2.6.x:", "v2.7.x:", "v2.8.x:", "v2.9.x:"};
        qsizetype last = -1;
        for (const QString& g : groups) {
            const qsizetype pos = text.indexOf(g);
            QVERIFY2(pos > last, qPrintable(g));
            last = pos;
            const QString heading = text.mid(pos).section("\r\n", 0, 0);
            QVERIFY2(QRegularExpression("\\d\\d/\\d\\d/\\d{4}$").match(heading).hasMatch(), qPrintable(heading));
            QVERIFY(text.mid(pos).section("\r\n", 1, 1).startsWith("- "));
        }
        QVERIFY(text.endsWith("\r\n"));
    }

    // The header's values and the release dates stand in one column.
    void theHistoryValuesLineUp()
    {
        InfoFixture f;
        f.loadForm1();
        f.trigger("VNHist");
        auto* box = appWindows().history()->findChild<QTextEdit*>("RichTextBox1");
        QVERIFY(box);
        QSet<int> columns;
        for (QTextBlock line = box->document()->begin(); line.isValid(); line = line.next()) {
            const int tab = static_cast<int>(line.text().indexOf('\t'));
            if (tab < 0)
                continue;
            QTextCursor value(line);
            value.setPosition(line.position() + tab + 1);
            columns.insert(box->cursorRect(value).left());
        }
        QCOMPARE(columns.size(), 1);
    }

    void otherTextIsShownAsPlainText()
    {
        InfoFixture f;
        FrmHist* hist = appWindows().history();
        hist->FrmChoice(2, "News", "<b>bold</b> & <a href='x'>link</a>");
        QCOMPARE(hist->windowTitle(), QString("Vantora - News"));
        QCOMPARE(hist->shownText(), QString("<b>bold</b> & <a href='x'>link</a>"));
        QVERIFY(hist->isLocked());
        hist->hide();
        hist->FrmChoice(3, "Other", "ignored");
        QVERIFY(!hist->isVisible());
        QCOMPARE(hist->windowTitle(), QString("Vantora - News"));
    }

    void theHistoryWindowOpensAtItsStoredPlace()
    {
        InfoFixture f;
        f.setOption("FrmHistLeft", "1500");
        f.setOption("FrmHistTop", "750");
        f.loadForm1();
        f.trigger("VNHist");
        QCOMPARE(appWindows().history()->pos(), QPoint(100, 50));
    }

    void aDamagedPositionCentresTheHistoryWindow_data()
    {
        QTest::addColumn<QString>("left");
        QTest::addColumn<QString>("top");
        QTest::newRow("missing") << QString() << QString();
        QTest::newRow("not a number") << "abc"
                                      << "12x";
        QTest::newRow("overflow") << "1E60"
                                  << "-1E60";
        QTest::newRow("far off the screen") << "9000000"
                                            << "9000000";
    }
    void aDamagedPositionCentresTheHistoryWindow()
    {
        QFETCH(QString, left);
        QFETCH(QString, top);
        InfoFixture f;
        if (!left.isNull()) {
            f.setOption("FrmHistLeft", left);
            f.setOption("FrmHistTop", top);
        }
        f.loadForm1();
        f.trigger("VNHist");
        FrmHist* hist = appWindows().history();
        QCOMPARE(hist->pos(), centredFor(hist->size()));
    }

    void historyFollowsTheOnTopChoice()
    {
        InfoFixture f;
        Form1* main = f.loadForm1();
        main->Form1OnTop = false;
        f.trigger("VNHist");
        QVERIFY(!f.windows().calls().isEmpty());
        QCOMPARE(f.windows().calls().last().order, platform::ZOrder::NotTopMost);
    }

    // ---- OS information ----
    void osInfoShowsItsRowsModally()
    {
        InfoFixture f;
        platform::OsFacts facts;
        facts.osReleaseFound = true;
        facts.osRelease = {{"PRETTY_NAME", "Debian GNU/Linux 12 (bookworm)"}, {"VERSION_ID", "12"}};
        facts.kernelRelease = "6.1.0-18-amd64";
        facts.kernelVersion = "#1 SMP PREEMPT_DYNAMIC Debian 6.1.76-1 (2024-02-01)";
        facts.debianVersion = "12.5";
        facts.desktop = "XFCE";
        facts.sessionType = "x11";
        platform::setOsFactsReader([facts] { return facts; });
        f.loadForm1();
        QString titles, values, caption;
        f.modals().answerNext([&](QWidget* w) {
            auto* os = qobject_cast<FrmOS*>(w);
            titles = os->titles()->text();
            values = os->values()->text();
            caption = os->windowTitle();
        });
        f.trigger("OSInf");
        platform::setOsFactsReader({});
        QCOMPARE(f.modals().shown(), QStringList{"FrmOS"});
        QCOMPARE(caption, QString(" Vantora - OS Version Info"));
        QCOMPARE(titles, QString("Name\nVersion\nBuild\nAdditional \nService Pack\nSuites"));
        QCOMPARE(values,
                 QString("Debian GNU/Linux 12 (bookworm)\n12\n6.1.0-18-amd64\n"
                         "#1 SMP PREEMPT_DYNAMIC Debian 6.1.76-1 (2024-02-01)\n12.5\n"
                         "XFCE desktop ,x11 session "));
    }

    void osInfoShowsMarkupFromTheFilesAsText()
    {
        InfoFixture f;
        platform::OsFacts facts;
        facts.osRelease = {{"PRETTY_NAME", "<h1>Evil</h1>"}};
        platform::setOsFactsReader([facts] { return facts; });
        FrmOS os(nullptr);
        platform::setOsFactsReader({});
        QCOMPARE(os.values()->textFormat(), Qt::PlainText);
        QVERIFY(os.values()->text().startsWith("<h1>Evil</h1>\n"));
    }

    void aLongValueWidensTheWindow()
    {
        InfoFixture f;
        platform::OsFacts facts;
        facts.kernelVersion = QString(200, QLatin1Char('x'));
        platform::setOsFactsReader([facts] { return facts; });
        FrmOS os(nullptr);
        platform::setOsFactsReader({});
        QVERIFY(os.width() > 345);
        QVERIFY(os.values()->geometry().right() < os.width());
    }
};

VANTORA_TEST_MAIN(TestInfoWindows)
#include "test_infowindows.moc"
