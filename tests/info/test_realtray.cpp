// The tray icon against a real XEmbed tray (trayer) on a private X server.

#include "mainwindow/appwindows.h"
#include "mainwindow/form1.h"
#include "platform/desktop/trayicon.h"
#include "tests/mainwindow/form1fixture.h"
#include "tests/support/testenv.h"

#include <QApplication>
#include <QProcess>
#include <QSystemTrayIcon>
#include <QTest>

#include <memory>

#include <signal.h>
#include <sys/prctl.h>

using testsupport::Form1Fixture;

namespace {

// The X server and the tray end with this test, however it ends.
void dieWithTheTest(QProcess& process)
{
    process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
}

QDateTime at(int h, int m, int s) { return QDateTime(QDate(2026, 12, 9), QTime(h, m, s)); }

// A private X server on a free display, stopped by its pid.
class XServer {
public:
    bool start()
    {
        m_process.setProgram(QStringLiteral("Xvfb"));
        dieWithTheTest(m_process);
        m_process.setArguments({QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                                QStringLiteral("0"), QStringLiteral("800x600x24"), QStringLiteral("-nolisten"),
                                QStringLiteral("tcp")});
        m_process.start();
        if (!m_process.waitForStarted(5000))
            return false;
        QByteArray out;
        while (!out.contains('\n') && m_process.waitForReadyRead(10000))
            out += m_process.readAllStandardOutput();
        bool ok = false;
        const int number = out.trimmed().toInt(&ok);
        if (!ok)
            return false;
        m_display = QStringLiteral(":%1").arg(number);
        return true;
    }
    QString display() const { return m_display; }
    ~XServer()
    {
        m_process.kill();
        m_process.waitForFinished(5000);
    }

private:
    QProcess m_process;
    QString m_display;
};

XServer* g_server = nullptr;

// The QSystemTrayIcon's own window (the one the tray embeds).
QWidget* trayIconWindow()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (QByteArray(w->metaObject()->className()) == "QSystemTrayIconSys" && w->isVisible())
            return w;
    return nullptr;
}

// Whether an X window's parent is another client's window rather than the root.
bool isEmbedded(WId window)
{
    QProcess tree;
    tree.start(QStringLiteral("xwininfo"),
               {QStringLiteral("-display"), g_server->display(), QStringLiteral("-tree"), QStringLiteral("-id"),
                QString::number(window)});
    tree.waitForFinished(5000);
    const QString out = QString::fromLocal8Bit(tree.readAllStandardOutput());
    const QString parentLine = out.section(QStringLiteral("Parent window id:"), 1).section(QLatin1Char('\n'), 0, 0);
    return !parentLine.isEmpty() && !parentLine.contains(QStringLiteral("(the root window)"));
}

class Trayer {
public:
    void start()
    {
        m_process.setProgram(QStringLiteral("trayer"));
        dieWithTheTest(m_process);
        m_process.setArguments({QStringLiteral("--edge"), QStringLiteral("top"), QStringLiteral("--widthtype"),
                                QStringLiteral("pixel"), QStringLiteral("--width"), QStringLiteral("200")});
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), g_server->display());
        m_process.setProcessEnvironment(env);
        m_process.setStandardErrorFile(QProcess::nullDevice());
        m_process.start();
        m_process.waitForStarted(5000);
    }
    void stop()
    {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
    ~Trayer() { stop(); }

private:
    QProcess m_process;
};

} // namespace

class TestRealTray : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { appWindows().unloadAll(); }

    void withoutATrayTheClockIsMinimised()
    {
        QVERIFY(!QSystemTrayIcon::isSystemTrayAvailable());
        Form1Fixture f(at(10, 0, 1));
        Form1* w = f.loadForm1();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        f.trigger("hidesystr");
        QVERIFY(w->isVisible());
        QTRY_VERIFY(w->isMinimized());
    }

    void theIconGoesIntoTheTrayAndAClickBringsTheClockBack()
    {
        Trayer trayer;
        trayer.start();
        QTRY_VERIFY_WITH_TIMEOUT(QSystemTrayIcon::isSystemTrayAvailable(), 15000);

        Form1Fixture f(at(10, 0, 1));
        Form1* w = f.loadForm1();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        QTRY_VERIFY_WITH_TIMEOUT(trayIconWindow() != nullptr, 10000);
        QTRY_VERIFY_WITH_TIMEOUT(isEmbedded(trayIconWindow()->winId()), 10000);

        f.trigger("hidesystr");
        QVERIFY(!w->isVisible());
        QVERIFY(w->isHiddenInTray());

        QTest::mouseClick(trayIconWindow(), Qt::LeftButton);
        QTRY_VERIFY(w->isVisible());

        // The tray goes away while the clock is hidden: the next poll shows it.
        f.trigger("hidesystr");
        QVERIFY(!w->isVisible());
        trayer.stop();
        QTRY_VERIFY_WITH_TIMEOUT(!QSystemTrayIcon::isSystemTrayAvailable(), 10000);
        f.clock().advanceTo(at(10, 0, 11));
        QVERIFY(w->isVisible());
    }

    void aTrayStartedAfterTheClockTakesItsIcon()
    {
        Form1Fixture f(at(10, 0, 1));
        Form1* w = f.loadForm1();
        w->show();
        Trayer trayer;
        trayer.start();
        QTRY_VERIFY_WITH_TIMEOUT(QSystemTrayIcon::isSystemTrayAvailable(), 15000);
        f.clock().advanceTo(at(10, 0, 11));
        QTRY_VERIFY_WITH_TIMEOUT(trayIconWindow() != nullptr, 10000);
        QTRY_VERIFY_WITH_TIMEOUT(isEmbedded(trayIconWindow()->winId()), 10000);
        f.trigger("hidesystr");
        QVERIFY(!w->isVisible());
    }
};

int main(int argc, char** argv)
{
    testsupport::environment();
    XServer server;
    if (!server.start()) {
        qCritical("Xvfb did not start");
        return 1;
    }
    g_server = &server;
    qputenv("DISPLAY", server.display().toLocal8Bit());
    qputenv("QT_QPA_PLATFORM", "xcb");
    // Nothing listens on the environment's session bus: the icon goes to the XEmbed tray.
    int rc = 0;
    {
        QApplication app(argc, argv);
        TestRealTray tc;
        rc = QTest::qExec(&tc, argc, argv);
    }
    return rc;
}

#include "test_realtray.moc"
