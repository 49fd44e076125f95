#include "platform/base/application.h"
#include "platform/base/background.h"
#include "tests/support/doubles/manualclock.h"
#include "platform/base/timer.h"
#include "tests/support/testenv.h"

#include <QPushButton>
#include <QTest>

#include <QSemaphore>

#include <atomic>
#include <stdexcept>

// Errors escaping the program's handlers end only that handler, and nothing is
// left behind (the sanitizer build checks for leaks at the end).
class TestApplication : public QObject {
    Q_OBJECT
private slots:
    // Work left running when the program ends would use what the end tears down.
    void theEndWaitsForWorkStillRunning()
    {
        QSemaphore go;
        std::atomic<bool> ended{false};
        QObject context;
        platform::runInBackground(
            &context,
            [&] {
                go.acquire();
                ended = true;
                return true;
            },
            [](bool) {});
        go.release();
        platform::waitForBackgroundWork();
        QVERIFY(ended);
    }

    void anErrorInATimersHandlerEndsOnlyThatHandler()
    {
        platform::ManualClock clock(QDateTime(QDate(2026, 12, 9), QTime(12, 0)));
        platform::setClock(&clock);
        platform::Timer failing(100);
        platform::Timer other(100);
        int fails = 0;
        int others = 0;
        connect(&failing, &platform::Timer::timeout, [&] {
            ++fails;
            throw std::runtime_error("damaged value");
        });
        connect(&other, &platform::Timer::timeout, [&] { ++others; });
        failing.setEnabled(true);
        other.setEnabled(true);
        clock.advance(300);
        QCOMPARE(fails, 3);
        QCOMPARE(others, 3);
        failing.setEnabled(false);
        other.setEnabled(false);
        platform::setClock(nullptr);
    }

    void anErrorInAGuardedCommandEndsOnlyThatCommand()
    {
        QPushButton button("Go");
        int clicks = 0;
        connect(&button, &QPushButton::clicked, platform::guarded([&] {
            ++clicks;
            throw std::runtime_error("failing command");
        }));
        button.show();
        QVERIFY(QTest::qWaitForWindowExposed(&button));
        QTest::mouseClick(&button, Qt::LeftButton);
        QVERIFY(!button.isDown());
        QTest::mouseClick(&button, Qt::LeftButton);
        QCOMPARE(clicks, 2);
    }

    void aGuardedMemberRunsOnItsObject()
    {
        struct Counter {
            int n = 0;
            void bump()
            {
                ++n;
                throw std::logic_error("after the count");
            }
        } counter;
        auto handler = platform::guarded(&counter, &Counter::bump);
        handler();
        handler();
        QCOMPARE(counter.n, 2);
    }
};

int main(int argc, char** argv)
{
    testsupport::environment();
    platform::Application app(argc, argv);
    TestApplication tc;
    return QTest::qExec(&tc, argc, argv);
}
#include "test_application.moc"
