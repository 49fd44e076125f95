// What the clock repaints as the seconds go by: the digits, the colon, the
// blinking pictures and the end of each row's time that changed, never the
// panels behind them.

#include "mainwindow/form1.h"
#include "mainwindow/form1shape.h"
#include "mainwindow/rowtimelabel.h"
#include "resources/resourceids.h"
#include "resources/resources.h"
#include "tests/mainwindow/form1fixture.h"
#include "tests/support/testenv.h"

#include <QApplication>
#include <QLabel>
#include <QPaintEvent>
#include <QRegularExpression>
#include <QScreen>
#include <QTest>

using testsupport::Form1Fixture;

namespace {

QDateTime at(int h, int m, int s, int ms = 0) { return QDateTime(QDate(2026, 12, 9), QTime(h, m, s, ms)); }

// The paint events of every widget while it is installed, with their areas.
class PaintLog : public QObject {
public:
    PaintLog() { qApp->installEventFilter(this); }
    ~PaintLog() override { qApp->removeEventFilter(this); }

    QList<QRect> areasOf(const QWidget* widget) const { return m_paints.values(widget); }
    bool painted(const QWidget* widget) const { return m_paints.contains(widget); }
    void clear() { m_paints.clear(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            m_paints.insert(static_cast<const QWidget*>(watched), static_cast<QPaintEvent*>(event)->rect());
        return false;
    }

private:
    QMultiHash<const QWidget*, QRect> m_paints;
};

// Where the character `index` of a centred one-line label's text starts.
qreal characterLeft(const QLabel* label, int index)
{
    const QFontMetricsF metrics(label->font());
    const QRect area = label->contentsRect();
    const qreal left = qRound(area.left() + (area.width() - metrics.horizontalAdvance(label->text())) / 2);
    return left + metrics.horizontalAdvance(label->text().left(index));
}

// A clock with one zone row, shown, a few seconds after its start.
Form1* shownClock(Form1Fixture& f)
{
    Form1Fixture::setOption("LastTZAdd", "1");
    Form1Fixture::setOption("LastTZAddName1", "Here");
    Form1Fixture::setOption("VNTZval1", "0");
    Form1* w = f.loadForm1();
    w->show();
    if (!QTest::qWaitForWindowExposed(w))
        return nullptr;
    f.clock().advance(3000);
    testsupport::drainEvents();
    return w;
}

} // namespace

class TestPaint : public QObject {
    Q_OBJECT
private slots:
    void newSecondsRepaintNoPanelBehindWhatChanged()
    {
        Form1Fixture f(at(12, 0, 0, 100));
        Form1* w = shownClock(f);
        QVERIFY(w);
        auto* seconds = w->findChild<QWidget*>("secondsPictures");
        auto* blinking = w->findChild<QWidget*>("Image10");
        const QList<std::pair<const QWidget*, const char*>> behind{
            {w, "the window"},
            {seconds->parentWidget(), "the clock panel"},
            {w->findChild<QWidget*>("LED1_5"), "the seconds digit by itself"},
            {w->findChild<QWidget*>("picSegment_7"), "the colon by itself"},
            {w->findChild<QWidget*>("Label5_0"), "the row's time by itself"},
            {blinking->parentWidget(), "the status bar"},
            {w->findChild<QWidget*>("Shape6_0"), "the row's bar"}};
        PaintLog log;
        // Ten seconds in quarter steps: the colon lights and goes out, the
        // status pictures blink.
        for (int step = 0; step < 40; ++step) {
            f.clock().advance(250);
            testsupport::drainEvents();
        }
        QVERIFY(log.painted(seconds));
        QVERIFY(log.painted(blinking));
        for (const auto& [panel, what] : behind)
            QVERIFY2(!log.painted(panel), what);
    }

    // The seconds digit and the lit colon of a new second are one repaint of
    // the clock panel's widgets, however many digits change.
    void aNewSecondIsOneRepaintInTheClockPanel()
    {
        Form1Fixture f(at(12, 0, 0, 100));
        Form1* w = shownClock(f);
        QVERIFY(w);
        const QWidget* panel = w->findChild<QWidget*>("secondsPictures")->parentWidget();
        f.clock().advance(800);
        testsupport::drainEvents();
        for (int second = 0; second < 12; ++second) {
            PaintLog log;
            f.clock().advance(100);
            testsupport::drainEvents();
            int repaints = 0;
            for (const QWidget* child : panel->findChildren<QWidget*>())
                repaints += int(log.areasOf(child).size());
            QCOMPARE(repaints, 1);
            f.clock().advance(900);
            testsupport::drainEvents();
        }
    }

    // What the widget over the seconds paints is what the digits and the
    // colon under it would show: lit and resting colon, flash on and off, in
    // the colour schemes.
    void theSecondsLookAsTheDigitsAndColonUnderThem_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::newRow("plain") << "TZColTxt2"
                               << "0";
        QTest::newRow("other colour") << "TZColTxt2"
                                      << "2";
        QTest::newRow("high contrast") << "CLHighContrast"
                                       << "True";
        QTest::newRow("no flash") << "FlashSec"
                                  << "False";
    }
    void theSecondsLookAsTheDigitsAndColonUnderThem()
    {
        QFETCH(QString, key);
        QFETCH(QString, value);
        Form1Fixture f(at(12, 0, 0, 100));
        Form1Fixture::setOption(key, value);
        Form1* w = shownClock(f);
        QVERIFY(w);
        auto* seconds = static_cast<PaintedTogether*>(w->findChild<QWidget*>("secondsPictures"));
        auto* colon = static_cast<PictureOnShape*>(w->findChild<QLabel*>("picSegment_7"));
        for (const int step : {900, 100, 150, 850, 100, 250}) {
            f.clock().advance(step);
            testsupport::drainEvents();
            const QImage over = w->grab().toImage();
            // What the seconds have left on the window, painted bit by bit.
            QCOMPARE(w->screen()->grabWindow(w->winId()).toImage().convertToFormat(QImage::Format_RGB32),
                     over.convertToFormat(QImage::Format_RGB32));
            // The colon under it paints itself again meanwhile.
            colon->setPaintedBy(nullptr);
            seconds->hide();
            const QImage under = w->grab().toImage();
            seconds->show();
            colon->setPaintedBy(seconds);
            QCOMPARE(over, under);
        }
    }

    // What the widget over the row times paints is what the rows under it
    // would show: seconds, tens and minutes changing, in both row schemes
    // and colours, rows added and removed.
    void theRowTimesLookAsTheLabelsUnderThem_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::newRow("plain") << "TZColTxt"
                               << "1";
        QTest::newRow("other colour") << "TZColTxt"
                                      << "0";
        QTest::newRow("rows not in high contrast") << "TZhc"
                                                   << "False";
        QTest::newRow("no date line") << "DispDat"
                                      << "False";
    }
    void theRowTimesLookAsTheLabelsUnderThem()
    {
        QFETCH(QString, key);
        QFETCH(QString, value);
        Form1Fixture f(at(12, 0, 50, 100));
        Form1Fixture::setOption(key, value);
        for (int i = 1; i <= 5; ++i) {
            Form1Fixture::setOption(QStringLiteral("LastTZAddName%1").arg(i), QStringLiteral("Z%1").arg(i));
            Form1Fixture::setOption(QStringLiteral("VNTZval%1").arg(i), QString::number(-60 * i));
        }
        Form1Fixture::setOption("LastTZAdd", "3");
        Form1* w = f.loadForm1();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        auto* rows = static_cast<PaintedTogether*>(w->findChild<QWidget*>("rowTimes"));
        const auto repaintedByRows = [rows](QLabel* label, bool byRows) {
            static_cast<RowTimeLabel*>(label)->setRepaintedBy(
                byRows ? RowTimeLabel::RepaintRequest([rows](const QRect& a) { rows->repaintArea(a); }) : nullptr);
        };
        for (int step = 0; step < 14; ++step) {
            if (step == 5 || step == 10) {
                // Rows added, then one removed, as the zone chooser does it.
                Form1Fixture::setOption("LastTZAdd", step == 5 ? "5" : "4");
                w->SetTZ();
            }
            f.clock().advance(step % 3 == 0 ? 1000 : 2300);
            testsupport::drainEvents();
            // What the seconds have left on the window, painted bit by bit.
            const QImage shown = w->screen()->grabWindow(w->winId()).toImage().convertToFormat(QImage::Format_RGB32);
            const QImage over = w->grab().toImage();
            QCOMPARE(shown, over.convertToFormat(QImage::Format_RGB32));
            const QList<QLabel*> labels = w->findChildren<QLabel*>(QRegularExpression("^Label5_"));
            for (QLabel* label : labels)
                repaintedByRows(label, false);
            rows->hide();
            const QImage under = w->grab().toImage();
            rows->show();
            for (QLabel* label : labels)
                repaintedByRows(label, true);
            QCOMPARE(over, under);
        }
    }

    void aRowRepaintsTheEndOfItsTimeThatChanged_data()
    {
        QTest::addColumn<int>("seconds");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("changed"); // characters at the end
        QTest::newRow("one digit") << 4 << "Wed 09 Dec 2026 - 12:00:04" << 1;
        QTest::newRow("two digits") << 10 << "Wed 09 Dec 2026 - 12:00:10" << 2;
    }
    void aRowRepaintsTheEndOfItsTimeThatChanged()
    {
        QFETCH(int, seconds);
        QFETCH(QString, shown);
        QFETCH(int, changed);
        Form1Fixture f(at(12, 0, 0, 100));
        Form1* w = shownClock(f);
        QVERIFY(w);
        auto* time = w->findChild<QLabel*>("Label5_0");
        // The row times are painted by one widget over them.
        auto* rows = w->findChild<QWidget*>("rowTimes");
        f.clock().advance(1000 * (seconds - 4));
        testsupport::drainEvents();
        PaintLog log;
        f.clock().advance(1000);
        testsupport::drainEvents();
        QCOMPARE(time->text(), shown);
        // From a little before the first changed character on.
        const qreal first = characterLeft(time, int(shown.size()) - changed);
        QVERIFY(!log.painted(time));
        QVERIFY(!log.areasOf(rows).isEmpty());
        for (const QRect& area : log.areasOf(rows)) {
            const int left = area.translated(rows->pos() - time->pos()).left();
            QVERIFY2(left >= first - 4, qPrintable(QStringLiteral("repainted from x = %1").arg(left)));
        }
    }

    // A picture that paints its shape under itself shows what a transparent
    // picture shows on the shape.
    void aPictureOnItsShapeLooksAsOverIt_data()
    {
        QTest::addColumn<int>("picture");
        QTest::newRow("resting colon") << resid::BmpColonRest;
        QTest::newRow("lit colon") << resid::BmpColonLit;
        QTest::newRow("time sync") << resid::BmpNtpSync2;
        QTest::newRow("update") << resid::BmpUpdate1;
    }
    void aPictureOnItsShapeLooksAsOverIt()
    {
        QFETCH(int, picture);
        const auto shapeShowing = [&](bool paintsItsShape) {
            Form1Shape shape(nullptr, 0x404040);
            shape.resize(40, 50);
            // The steady colon under the picture, as the clock panel has it.
            shape.setSteadyColon(platform::loadBitmap(resid::BmpColonStatic), QPoint(9, 5));
            QLabel* label = paintsItsShape ? new PictureOnShape(&shape) : new QLabel(&shape);
            if (!paintsItsShape)
                label->setAttribute(Qt::WA_TranslucentBackground);
            label->setGeometry(10, 5, 20, 39);
            label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            label->setPixmap(platform::loadBitmap(picture));
            return shape.grab().toImage().convertToFormat(QImage::Format_RGB32);
        };
        QCOMPARE(shapeShowing(true), shapeShowing(false));
    }
};

VANTORA_TEST_MAIN(TestPaint)
#include "test_paint.moc"
