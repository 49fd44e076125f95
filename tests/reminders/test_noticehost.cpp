#include "reminders/automaticmessage.h"
#include "reminders/form7.h"
#include "reminders/reminderdesk.h"
#include "tests/support/testenv.h"
#include "tests/support/testhost.h"

#include <QAction>
#include <QApplication>
#include <QPointer>
#include <QTest>

#include <memory>

using testsupport::TestHost;

// The reminder windows reach the main window only through their host: the
// busy animation an automatic message waits for ends through it, and a window
// that outlives its host calls nothing.
class TestNoticeHost : public QObject {
    Q_OBJECT
private slots:
    void cleanup()
    {
        reminderDesk().closeAll();
        reminderDesk().attach(nullptr);
        setRunningHost(nullptr);
    }

    void answeringAnAutomaticMessageEndsTheHostsBusyAnimation()
    {
        TestHost host;
        reminderDesk().attach(&host);
        host.busy = true;
        QPointer<Form7> n = reminders::showAutomaticMessage("The list has been updated.", {});
        QVERIFY(n);
        n->findChild<QAction*>("Canrem")->trigger();
        QVERIFY(!host.busy);
        QCOMPARE(host.calls, QStringList{"StopTimer8"});

        // Without a running animation there is nothing to stop.
        Form7* again = reminders::showAutomaticMessage("again", {});
        again->close();
        QCOMPARE(host.calls, QStringList{"StopTimer8"});
    }

    void aNoticeThatOutlivesItsHostCallsNothing()
    {
        auto host = std::make_unique<TestHost>();
        host->busy = true;
        reminderDesk().attach(host.get());
        int closed = 0;
        QPointer<Form7> n = reminders::showAutomaticMessage("The list has been updated.", [&] { ++closed; });
        setRunningHost(host.get());
        QCOMPARE(runningHost(), host.get());

        host.reset();
        QCOMPARE(reminderDesk().host(), nullptr);
        QCOMPARE(runningHost(), nullptr);
        QVERIFY(n);
        n->close();
        QCOMPARE(closed, 1);
    }
};

VANTORA_TEST_MAIN(TestNoticeHost)
#include "test_noticehost.moc"
