#include "compat/win32/colors.h"
#include "widgets/leddigit.h"
#include "tests/support/testenv.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QTest>

using platform::fromBgr;
using platform::LedDigit;
using platform::toBgr;

namespace {

// Which segments a seven-segment digit lights, "abcdefg" order.
const char* const Lit[10] = {"abcdef", "bc", "abdeg", "abcdg", "bcfg", "acdfg", "acdefg", "abc", "abcdefg", "abcdfg"};

const QColor Cyan(0x00, 0xFF, 0xFF);
const QColor Grey(0x40, 0x40, 0x40);

QPointF centreOf(const QPolygonF& polygon)
{
    QPointF sum;
    for (const QPointF& p : polygon)
        sum += p;
    return sum / qreal(polygon.size());
}

bool near(QRgb pixel, const QColor& colour)
{
    return qAbs(qRed(pixel) - colour.red()) <= 8 && qAbs(qGreen(pixel) - colour.green()) <= 8
        && qAbs(qBlue(pixel) - colour.blue()) <= 8;
}

// The letters of the segments that show `on`, and fails on a segment whose
// centre is neither colour.
QString litSegments(LedDigit& digit, const QColor& on, const QColor& off)
{
    const QImage image = digit.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const qreal ratio = image.devicePixelRatio();
    QString lit;
    for (int s = LedDigit::SegA; s < LedDigit::SegmentCount; ++s) {
        const QPointF c = centreOf(LedDigit::segmentPolygon(LedDigit::Segment(s), digit.rect())) * ratio;
        const QRgb pixel = image.pixel(int(c.x()), int(c.y()));
        if (near(pixel, on))
            lit += QChar('a' + s);
        else if (!near(pixel, off))
            return QStringLiteral("segment %1 shows #%2").arg(QChar('a' + s)).arg(pixel & 0xFFFFFF, 6, 16, QChar('0'));
    }
    return lit;
}

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
public:
    int count = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++count;
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

class TestLedDigit : public QObject {
    Q_OBJECT
private slots:
    void coloursConvertFromWindowsValues_data()
    {
        QTest::addColumn<quint32>("bgr");
        QTest::addColumn<QColor>("colour");
        QTest::newRow("cyan") << quint32(0x00FFFF00) << QColor(0x00, 0xFF, 0xFF);
        QTest::newRow("yellow") << quint32(0x0000FFFF) << QColor(0xFF, 0xFF, 0x00);
        QTest::newRow("red") << quint32(0x000000FF) << QColor(0xFF, 0x00, 0x00);
        QTest::newRow("blue") << quint32(0x00FF0000) << QColor(0x00, 0x00, 0xFF);
        QTest::newRow("dark cyan") << quint32(0x00C0C000) << QColor(0x00, 0xC0, 0xC0);
        QTest::newRow("panel grey") << quint32(0x00404040) << QColor(0x40, 0x40, 0x40);
        QTest::newRow("mixed") << quint32(0x00563412) << QColor(0x12, 0x34, 0x56);
        QTest::newRow("system flag ignored") << quint32(0x80FFFF00) << QColor(0x00, 0xFF, 0xFF);
    }
    void coloursConvertFromWindowsValues()
    {
        QFETCH(quint32, bgr);
        QFETCH(QColor, colour);
        QCOMPARE(fromBgr(bgr), colour);
        QCOMPARE(toBgr(colour), bgr & 0x00FFFFFFu);
    }

    void startsWithTheDesignDefaults()
    {
        LedDigit digit;
        QCOMPARE(digit.Value(), qint16(0));
        QCOMPARE(digit.LedColorOn(), quint32(0x00FFFF00));
        QCOMPARE(digit.LedColorOff(), quint32(0x00404040));
        const int dpi = digit.logicalDpiX();
        QCOMPARE(digit.size(), QSize(qRound(794 * dpi / 2540.0), qRound(1032 * dpi / 2540.0)));
    }

    void lightsTheSegmentsOfEachDigit_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<QSize>("size");
        for (const QSize size : {QSize(30, 39), QSize(26, 34), QSize(91, 117)})
            for (int v = 0; v <= 9; ++v)
                QTest::addRow("%d at %dx%d", v, size.width(), size.height()) << v << size;
    }
    void lightsTheSegmentsOfEachDigit()
    {
        QFETCH(int, value);
        QFETCH(QSize, size);
        LedDigit digit;
        digit.resize(size);
        digit.setValue(qint16(value));
        QCOMPARE(litSegments(digit, Cyan, Grey), QString::fromLatin1(Lit[value]));
    }

    void followsTheChosenColours()
    {
        LedDigit digit;
        digit.resize(60, 78);
        digit.setLedColorOn(0x0000FFFF);  // yellow
        digit.setLedColorOff(0x00000000); // black, the high-contrast panel
        digit.setValue(4);
        QCOMPARE(litSegments(digit, QColor(0xFF, 0xFF, 0x00), Qt::black), QString("bcfg"));
    }

    void paintsNothingBetweenTheSegments()
    {
        LedDigit digit;
        digit.resize(60, 78);
        digit.setValue(8);
        const QImage image = digit.grab().toImage().convertToFormat(QImage::Format_ARGB32);
        // The middle of the upper "window" of the 8 lies inside no segment.
        const QPointF a = centreOf(LedDigit::segmentPolygon(LedDigit::SegA, digit.rect()));
        const QPointF g = centreOf(LedDigit::segmentPolygon(LedDigit::SegG, digit.rect()));
        const QRgb pixel = image.pixel(((a + g) / 2).toPoint());
        QVERIFY(!near(pixel, Cyan));
        QVERIFY(!near(pixel, Grey));
    }

    void valuesOutsideTheDigitsLightNothing_data()
    {
        QTest::addColumn<int>("value");
        QTest::newRow("10") << 10;
        QTest::newRow("-1") << -1;
        QTest::newRow("32767") << 32767;
    }
    void valuesOutsideTheDigitsLightNothing()
    {
        QFETCH(int, value);
        LedDigit digit;
        digit.resize(30, 39);
        digit.setValue(qint16(value));
        QCOMPARE(digit.Value(), qint16(value));
        QCOMPARE(litSegments(digit, Cyan, Grey), QString());
    }

    void repaintsOnlyOnChange()
    {
        LedDigit digit;
        PaintCounter counter;
        digit.installEventFilter(&counter);
        digit.show();
        QVERIFY(QTest::qWaitForWindowExposed(&digit));
        QTRY_VERIFY(counter.count > 0);

        counter.count = 0;
        digit.setValue(5);
        QTRY_COMPARE(counter.count, 1);

        counter.count = 0;
        digit.setValue(5);
        digit.setLedColorOn(digit.LedColorOn());
        digit.setLedColorOff(digit.LedColorOff());
        testsupport::drainEvents();
        QCOMPARE(counter.count, 0);

        digit.setLedColorOff(0x00000000);
        QTRY_COMPARE(counter.count, 1);
    }

    // The clock's digits overlap by their blank margins: a new value of one
    // must not paint its neighbour again, nor, on a ground, the panel.
    void aNewValueLeavesTheOverlappingNeighbourAlone_data()
    {
        QTest::addColumn<bool>("grounded");
        QTest::newRow("transparent") << false;
        QTest::newRow("on a ground") << true;
    }
    void aNewValueLeavesTheOverlappingNeighbourAlone()
    {
        QFETCH(bool, grounded);
        QWidget panel;
        panel.resize(80, 50);
        LedDigit left(&panel);
        LedDigit right(&panel);
        left.setGeometry(0, 0, 30, 39);
        right.setGeometry(28, 0, 30, 39);
        if (grounded) {
            for (LedDigit* digit : {&left, &right})
                digit->setGround(LedDigit::DefaultColorOff);
            QCOMPARE(right.ground(), std::optional<quint32>(LedDigit::DefaultColorOff));
        }
        PaintCounter panelPaints;
        PaintCounter leftPaints;
        PaintCounter rightPaints;
        panel.installEventFilter(&panelPaints);
        left.installEventFilter(&leftPaints);
        right.installEventFilter(&rightPaints);
        panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        QTRY_VERIFY(rightPaints.count > 0);
        testsupport::drainEvents();

        panelPaints.count = 0;
        leftPaints.count = 0;
        rightPaints.count = 0;
        right.setValue(8);
        QTRY_COMPARE(rightPaints.count, 1);
        testsupport::drainEvents();
        QCOMPARE(leftPaints.count, 0);
        if (grounded)
            QCOMPARE(panelPaints.count, 0);
    }

    // A digit given its panel's colour as ground shows exactly what a
    // transparent digit shows on that panel.
    void aDigitOnAGroundLooksAsOnItsPanel_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<quint32>("ground");
        for (int value = 0; value <= 9; ++value) {
            QTest::addRow("%d on grey", value) << value << quint32(0x00404040);
            QTest::addRow("%d on black", value) << value << quint32(0x00000000);
        }
    }
    void aDigitOnAGroundLooksAsOnItsPanel()
    {
        QFETCH(int, value);
        QFETCH(quint32, ground);
        const auto panelShowing = [&](bool grounded) {
            QWidget panel;
            panel.resize(40, 50);
            QPalette colours = panel.palette();
            colours.setColor(QPalette::Window, fromBgr(ground));
            panel.setPalette(colours);
            panel.setAutoFillBackground(true);
            LedDigit digit(&panel);
            digit.setGeometry(5, 5, 30, 39);
            digit.setLedColorOff(ground);
            digit.setValue(qint16(value));
            if (grounded)
                digit.setGround(ground);
            return panel.grab().toImage().convertToFormat(QImage::Format_RGB32);
        };
        QCOMPARE(panelShowing(true), panelShowing(false));
    }

    void eachLookIsDrawnOnceAndShared()
    {
        const QPixmap seven = LedDigit::digitPicture(7, 0x00FFFF00, 0x00404040, QSize(30, 39), 1.0);
        // The same look is the same picture, whoever asks.
        QCOMPARE(LedDigit::digitPicture(7, 0x00FFFF00, 0x00404040, QSize(30, 39), 1.0).cacheKey(), seven.cacheKey());
        QVERIFY(LedDigit::digitPicture(1, 0x00FFFF00, 0x00404040, QSize(30, 39), 1.0).cacheKey() != seven.cacheKey());
        QVERIFY(LedDigit::digitPicture(7, 0x0000FF00, 0x00404040, QSize(30, 39), 1.0).cacheKey() != seven.cacheKey());
        // It is what painting the digit draws, on a transparent ground.
        QImage painted(30, 39, QImage::Format_ARGB32_Premultiplied);
        painted.fill(Qt::transparent);
        {
            QPainter p(&painted);
            LedDigit::paintDigit(p, QRectF(0, 0, 30, 39), 7, platform::fromBgr(0x00FFFF00),
                                 platform::fromBgr(0x00404040));
        }
        QCOMPARE(seven.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied), painted);
        // The widget shows it.
        LedDigit digit;
        digit.resize(30, 39);
        digit.setValue(7);
        QCOMPARE(litSegments(digit, Cyan, Grey), QString("abc"));
    }

    void loadsTheStoredDesignProperties()
    {
        LedDigit digit;
        digit.loadProperties(
            {{"_extentx", 1365}, {"_extenty", "1755"}, {"ledcoloron", "&H0000FFFF&"}, {"ledcoloroff", 0}});
        const int dpi = digit.logicalDpiX();
        QCOMPARE(digit.size(), QSize(qRound(1365 * dpi / 2540.0), qRound(1755 * dpi / 2540.0)));
        QCOMPARE(digit.LedColorOn(), quint32(0x0000FFFF));
        QCOMPARE(digit.LedColorOff(), quint32(0));
    }

    void designKeysIgnoreCaseAndAcceptSignedColours()
    {
        LedDigit digit;
        digit.loadProperties({{"LedColorOn", -2147483643}, {"LEDCOLOROFF", "4210752"}});
        QCOMPARE(digit.LedColorOn(), quint32(0x80000005));
        QCOMPARE(digit.LedColorOff(), quint32(0x00404040));
    }

    void badDesignValuesAreIgnored_data()
    {
        QTest::addColumn<QVariantMap>("properties");
        QTest::newRow("text") << QVariantMap{{"_extentx", "wide"}, {"ledcoloron", "cyan"}};
        QTest::newRow("bad hex") << QVariantMap{{"_extenty", "&HZZ"}, {"ledcoloroff", "&H"}};
        QTest::newRow("negative size") << QVariantMap{{"_extentx", -794}, {"_extenty", 0}};
        QTest::newRow("huge size") << QVariantMap{{"_extentx", 1000000000}, {"_extenty", "99999999999"}};
        QTest::newRow("colour out of range")
            << QVariantMap{{"ledcoloron", 0x1FFFFFFFFLL}, {"ledcoloroff", -3000000000LL}};
        QTest::newRow("no value") << QVariantMap{{"_extentx", QVariant()}, {"ledcoloron", QVariant()}};
    }
    void badDesignValuesAreIgnored()
    {
        QFETCH(QVariantMap, properties);
        LedDigit digit;
        const QSize before = digit.size();
        digit.loadProperties(properties);
        QCOMPARE(digit.size(), before);
        QCOMPARE(digit.LedColorOn(), quint32(LedDigit::DefaultColorOn));
        QCOMPARE(digit.LedColorOff(), quint32(LedDigit::DefaultColorOff));
    }
};

VANTORA_TEST_MAIN(TestLedDigit)
#include "test_leddigit.moc"
