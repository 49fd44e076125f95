#include "tests/support/doubles/manualclock.h"
#include "platform/base/program.h"
#include "widgets/leddigit.h"
#include "platform/settings/settings.h"
#include "saver/inmainapp.h"
#include "saver/mainvn.h"
#include "tests/support/testenv.h"

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QTest>

#include <memory>

namespace {

const QDate kDay(2026, 12, 9);

void setSaver(const QString& key, const QString& value) { platform::saveSetting("ScreenSaver", key, value); }

// The cursor's display count, read without changing it.
int cursorCount()
{
    platform::ShowCursor(true);
    return platform::ShowCursor(false);
}

// The places of the panel (617 x 129 pixels, 50 from the edges) on a screen
// of the given size.
QPoint placeOf(int position, QSize screen)
{
    const int W = screen.width(), H = screen.height();
    switch (position) {
    case 0: return {W / 2 - 617 / 2, H / 2 - 129 / 2};
    case 1: return {50, 50};
    case 2: return {W - 50 - 617, 50};
    case 3: return {W - 50 - 617, H - 50 - 129};
    default: return {50, H - 50 - 129};
    }
}

} // namespace

class TestMainVN : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<platform::ManualClock> m_clock;
    std::unique_ptr<MainVN> m_window;
    int m_ends = 0;

    MainVN* load(const QTime& at)
    {
        m_clock = std::make_unique<platform::ManualClock>(QDateTime(kDay, at));
        platform::setClock(m_clock.get());
        m_window = std::make_unique<MainVN>([this] { ++m_ends; });
        m_window->Form_Load();
        return m_window.get();
    }

    QWidget* panel() const { return m_window->findChild<QWidget*>("Picture1"); }
    QLabel* dateLine() const { return m_window->findChild<QLabel*>("Label1"); }

    int position() const
    {
        for (int p = 0; p < 5; ++p)
            if (panel()->pos() == placeOf(p, m_window->size()))
                return p;
        return -1;
    }

    // The position after each move while the clock runs for `minutes`.
    QList<int> positionsOver(int minutes)
    {
        QList<int> seen;
        for (int i = 0; i < minutes; ++i) {
            m_clock->advance(60 * 1000);
            seen.append(position());
        }
        return seen;
    }

    void move(QWidget* target, QPointF at)
    {
        QMouseEvent event(QEvent::MouseMove, at, target->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(target, &event);
    }

private slots:
    void init()
    {
        testsupport::environment().wipe();
        m_ends = 0;
        InMainApp = true;
    }

    void cleanup()
    {
        if (m_window && m_window->isVisible())
            platform::ShowCursor(true); // what the host's end routine gives back
        m_window.reset();
        platform::setClock(nullptr);
    }

    void showsTheTimeFullScreenAtTheFixedPlace()
    {
        load(QTime(12, 34, 56));
        QVERIFY(m_window->isFullScreen());
        const QList<platform::LedDigit*> digits = {
            m_window->findChild<platform::LedDigit*>("LED1_0"), m_window->findChild<platform::LedDigit*>("LED1_1"),
            m_window->findChild<platform::LedDigit*>("LED1_2"), m_window->findChild<platform::LedDigit*>("LED1_3"),
            m_window->findChild<platform::LedDigit*>("LED1_4"), m_window->findChild<platform::LedDigit*>("LED1_5")};
        QList<int> shown;
        for (auto* d : digits)
            shown.append(d->Value());
        QCOMPARE(shown, (QList<int>{1, 2, 3, 4, 5, 6}));
        QCOMPARE(digits[0]->LedColorOn(), quint32(0xFFFF00));
        QCOMPARE(position(), 1); // DigitPos defaults to 1, the fixed place to True
        QVERIFY(!dateLine()->isVisible());
        m_clock->advance(1000);
        QCOMPARE(digits[5]->Value(), qint16(7));
        QCOMPARE(position(), 1);
    }

    void cyclesThroughTheFivePlacesEveryTenMinutes()
    {
        setSaver("VNFixedPos", "False");
        load(QTime(12, 0, 30));
        QCOMPARE(position(), 1);
        m_clock->advanceTo(QDateTime(kDay, QTime(12, 9, 59)));
        QCOMPARE(position(), 1);
        QList<int> seen;
        for (int i = 0; i < 5; ++i) {
            m_clock->advance(10 * 60 * 1000);
            seen.append(position());
        }
        QCOMPARE(seen, (QList<int>{2, 3, 4, 0, 1}));
    }

    void movesEveryMinuteWhenAskedTo()
    {
        setSaver("VNFixedPos", "False");
        setSaver("Minutes10", "False");
        load(QTime(12, 0, 30));
        QCOMPARE(positionsOver(5), (QList<int>{2, 3, 4, 0, 1}));
    }

    void randomPlacesNeverRepeat()
    {
        setSaver("VNFixedPos", "False");
        setSaver("Minutes10", "False");
        setSaver("RandomPos", "True");
        load(QTime(12, 7, 30));
        QVERIFY(position() >= 1); // the first random place is never the centre
        int previous = position();
        QSet<int> all;
        for (int p : positionsOver(120)) {
            QVERIFY(p >= 0);
            QVERIFY(p != previous);
            all.insert(p);
            previous = p;
        }
        QCOMPARE(all.size(), 5);
    }

    void loadingOnTheMinuteMovesTwice()
    {
        setSaver("VNFixedPos", "False");
        setSaver("Minutes10", "False");
        load(QTime(12, 1, 0));
        // The first digits drawn already move the clock (the options of the
        // previous showing still hold), and the load moves it again.
        QCOMPARE(position(), 2);
    }

    void theCycleGoesOnFromOneShowingToTheNext()
    {
        setSaver("VNFixedPos", "False");
        load(QTime(12, 0, 30));
        m_clock->advance(10 * 60 * 1000);
        QCOMPARE(position(), 2);
        m_window->Unload();
        m_window->Form_Load();
        QCOMPARE(position(), 3);
    }

    void fixedPlaceFollowsDigitPos_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("place");
        QTest::newRow("centre") << "0" << 0;
        QTest::newRow("bottom right") << "3" << 3;
        QTest::newRow("as a number") << "4.0" << 4;
        QTest::newRow("outside: the designed place, top left") << "7" << 1;
        QTest::newRow("damaged: the default") << "abc" << 1;
    }

    void fixedPlaceFollowsDigitPos()
    {
        QFETCH(QString, stored);
        setSaver("DigitPos", stored);
        load(QTime(8, 0, 30));
        QTEST(position(), "place");
    }

    void damagedValuesTakeTheirDefaults()
    {
        setSaver("VNFixedPos", "maybe");
        setSaver("Minutes10", "");
        setSaver("DefaultColor", "x");
        setSaver("DispColor", "blue");
        setSaver("DispDate", "2x");
        load(QTime(8, 0, 30));
        QCOMPARE(position(), 1);
        QCOMPARE(m_window->findChild<platform::LedDigit*>("LED1_0")->LedColorOn(), quint32(0xFFFF00));
        QVERIFY(!dateLine()->isVisible());
    }

    void digitsAndDateTakeTheChosenColours()
    {
        setSaver("DefaultColor", "0");
        setSaver("DispColor", "255");
        setSaver("DispDate", "True");
        setSaver("DispColorDate", "65280");
        load(QTime(8, 0, 30));
        QCOMPARE(m_window->findChild<platform::LedDigit*>("LED1_3")->LedColorOn(), quint32(255));
        QCOMPARE(m_window->findChild<QWidget*>("Shape1_2")->palette().color(QPalette::Window), QColor(255, 0, 0));
        QCOMPARE(dateLine()->palette().color(QPalette::WindowText), QColor(0, 255, 0));
    }

    void theDateShowsAtTheBottomAndAlternates()
    {
        setSaver("DispDate", "True");
        setSaver("DateTop", "False");
        setSaver("AlternDate", "True");
        setSaver("VNFixedPos", "False");
        setSaver("Minutes10", "False");
        load(QTime(8, 0, 30));
        QVERIFY(dateLine()->isVisible());
        QCOMPARE(dateLine()->text(), QString("Wednesday 09 December 2026"));
        const int bottom = dateLine()->y();
        QCOMPARE(bottom + dateLine()->height(), m_window->height() - 10);
        m_clock->advance(60 * 1000);
        QCOMPARE(dateLine()->y(), 10);
        m_clock->advance(60 * 1000);
        QCOMPARE(dateLine()->y(), bottom);
    }

    void aFixedClockTurnsTheDateOverAtMidnight()
    {
        setSaver("DispDate", "True");
        load(QTime(23, 59, 30));
        QCOMPARE(dateLine()->text(), QString("Wednesday 09 December 2026"));
        m_clock->advanceTo(QDateTime(kDay.addDays(1), QTime(0, 0, 1)));
        QCOMPARE(dateLine()->text(), QString("Thursday 10 December 2026"));
    }

    void mouseJitterDoesNotEndButAMoveDoesOnce()
    {
        load(QTime(8, 0, 30));
        move(m_window.get(), {100, 100});
        move(m_window.get(), {100, 100.3}); // the same whole-pixel row
        QCOMPARE(m_ends, 0);
        move(m_window.get(), {101, 100});
        QCOMPARE(m_ends, 1);
        move(m_window.get(), {150, 200});
        QTest::keyClick(m_window.get(), Qt::Key_A);
        QTest::mouseClick(m_window.get(), Qt::LeftButton);
        QCOMPARE(m_ends, 1);
    }

    void aTallScreenKeepsThePointerRow()
    {
        // Rows beyond 32767 (a screen taller than 2184 pixels, in twips) are kept whole.
        load(QTime(8, 0, 30));
        move(m_window.get(), {10, 40000});
        move(m_window.get(), {10, 40000});
        QCOMPARE(m_ends, 0);
        move(m_window.get(), {10, 40001});
        QCOMPARE(m_ends, 1);
    }

    void aClickOnTheClockOrAKeyEndsIt()
    {
        load(QTime(8, 0, 30));
        QTest::mouseClick(m_window->findChild<QWidget*>("Image1"), Qt::LeftButton);
        QCOMPARE(m_ends, 1);
        m_window->Unload();
        m_window->Form_Load();
        QTest::keyClick(m_window.get(), Qt::Key_Escape);
        QCOMPARE(m_ends, 2);
    }

    void theNextPreviewTakesItsFirstMoveAsReference()
    {
        load(QTime(8, 0, 30));
        move(m_window.get(), {100, 100});
        move(m_window.get(), {200, 100});
        QCOMPARE(m_ends, 1);
        m_window->Unload();
        m_window->Form_Load();
        move(m_window.get(), {300, 300});
        QCOMPARE(m_ends, 1);
    }

    void loadHidesTheCursorOnce()
    {
        const int before = cursorCount();
        load(QTime(8, 0, 30));
        QCOMPARE(cursorCount(), before - 1);
    }

    void aHostedClockFitsItsWindowAndTakesNoInput()
    {
        m_clock = std::make_unique<platform::ManualClock>(QDateTime(kDay, QTime(8, 0, 30)));
        platform::setClock(m_clock.get());
        m_window = std::make_unique<MainVN>([this] { ++m_ends; });
        m_window->setHostArea(QSize(358, 160));
        const int before = cursorCount();
        m_window->Form_Load();
        QCOMPARE(cursorCount(), before);
        QCOMPARE(m_window->size(), QSize(358, 160));
        QVERIFY(panel()->width() <= 358);
        QVERIFY(panel()->x() + panel()->width() <= 358);
        QVERIFY(panel()->y() + panel()->height() <= 160);
        move(m_window.get(), {1, 1});
        move(m_window.get(), {50, 50});
        QTest::keyClick(m_window.get(), Qt::Key_A);
        QCOMPARE(m_ends, 0);
        m_window->setHostArea(QSize(1000, 700));
        QCOMPARE(m_window->size(), QSize(1000, 700));
        QCOMPARE(panel()->size(), QSize(617, 129));
        m_window.reset();
    }
};

VANTORA_TEST_MAIN(TestMainVN)
#include "test_mainvn.moc"
