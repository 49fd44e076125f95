#include "tests/support/doubles/manualclock.h"
#include "platform/base/timer.h"
#include "tests/support/testenv.h"

#include <QApplication>
#include <QTest>

using platform::ManualClock;
using platform::Timer;

class TestClock : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        m_clock = std::make_unique<ManualClock>(QDateTime(QDate(2026, 12, 9), QTime(12, 59, 59)));
        platform::setClock(m_clock.get());
    }
    void cleanup()
    {
        platform::setClock(nullptr);
        m_clock.reset();
    }

    void nowFollowsTheManualClock()
    {
        QCOMPARE(platform::clock().now().time(), QTime(12, 59, 59));
        m_clock->advance(1500);
        QCOMPARE(platform::clock().now().time(), QTime(13, 0, 0, 500));
        QCOMPARE(platform::secondsSinceMidnight(), 13 * 3600 + 0.5);
    }

    void timersFireInTimeOrderWithNowAtTheirDueMoment()
    {
        Timer fast(250), slow(1000);
        QList<QPair<QString, QTime>> fired;
        connect(&fast, &Timer::timeout, [&] { fired.append({"fast", platform::clock().now().time()}); });
        connect(&slow, &Timer::timeout, [&] { fired.append({"slow", platform::clock().now().time()}); });
        slow.setEnabled(true);
        fast.setEnabled(true);
        m_clock->advance(1000);
        QCOMPARE(fired.size(), 5);
        QCOMPARE(fired[0].second, QTime(12, 59, 59, 250));
        // Both fall due at 13:00:00: the one scheduled first fires first.
        QCOMPARE(fired[3].first, QString("slow"));
        QCOMPARE(fired[4].first, QString("fast"));
        QCOMPARE(fired[4].second, QTime(13, 0, 0));
    }

    void enablingAnEnabledTimerKeepsItsCount()
    {
        Timer t(1000);
        int count = 0;
        connect(&t, &Timer::timeout, [&] { ++count; });
        t.setEnabled(true);
        m_clock->advance(600);
        t.setEnabled(true);
        m_clock->advance(400);
        QCOMPARE(count, 1);
    }

    void changingTheIntervalRestartsTheCount()
    {
        Timer t(1000);
        int count = 0;
        connect(&t, &Timer::timeout, [&] { ++count; });
        t.setEnabled(true);
        m_clock->advance(600);
        t.setInterval(1000);
        m_clock->advance(600);
        QCOMPARE(count, 0);
        m_clock->advance(400);
        QCOMPARE(count, 1);
    }

    void aHandlerMayChangeItsOwnIntervalOrStopItself()
    {
        Timer t(60000);
        QList<QTime> fired;
        connect(&t, &Timer::timeout, [&] {
            fired.append(platform::clock().now().time());
            if (fired.size() == 1)
                t.setInterval(59000);
            else
                t.setEnabled(false);
        });
        t.setEnabled(true);
        m_clock->advance(10 * 60000);
        QCOMPARE(fired, (QList<QTime>{QTime(13, 0, 59), QTime(13, 1, 58)}));
        QVERIFY(!t.isEnabled());
    }

    void zeroIntervalAndDisabledTimersNeverFire()
    {
        Timer zero(0), off(100);
        int count = 0;
        connect(&zero, &Timer::timeout, [&] { ++count; });
        connect(&off, &Timer::timeout, [&] { ++count; });
        zero.setEnabled(true);
        m_clock->advance(10000);
        QCOMPARE(count, 0);
        QCOMPARE(m_clock->scheduledCount(), 0);
    }

    void aDeletedTimerLeavesTheClock()
    {
        auto t = std::make_unique<Timer>(100);
        t->setEnabled(true);
        QCOMPARE(m_clock->scheduledCount(), 1);
        t.reset();
        QCOMPARE(m_clock->scheduledCount(), 0);
        m_clock->advance(1000);
    }

    void jumpingTheClockKeepsRemainingTime()
    {
        Timer t(1000);
        int count = 0;
        connect(&t, &Timer::timeout, [&] { ++count; });
        t.setEnabled(true);
        m_clock->advance(500);
        m_clock->setNow(QDateTime(QDate(2027, 1, 1), QTime(0, 0)));
        QCOMPARE(count, 0);
        m_clock->advance(500);
        QCOMPARE(count, 1);
    }

    void systemClockRunsRealTimers()
    {
        platform::setClock(nullptr);
        Timer t(10);
        int count = 0;
        connect(&t, &Timer::timeout, [&] { ++count; });
        t.setEnabled(true);
        QTRY_VERIFY(count >= 2);
        QVERIFY(qAbs(platform::clock().now().secsTo(QDateTime::currentDateTime())) < 2);
    }

private:
    std::unique_ptr<ManualClock> m_clock;
};

VANTORA_TEST_MAIN(TestClock)
#include "test_clock.moc"
