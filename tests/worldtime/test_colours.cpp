#include "mainwindow/form1.h"
#include "compat/win32/colors.h"
#include "widgets/leddigit.h"
#include "resources/resources.h"
#include "tests/mainwindow/form1fixture.h"
#include "tests/support/testenv.h"
#include "tests/worldtime/worldtimehelpers.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QSet>
#include <QTest>

using testsupport::Form1Fixture;
using namespace worldtimetest;

namespace {

const QDateTime kNoon(QDate(2026, 12, 9), QTime(12, 0));

platform::LedDigit* digit(Form1* w, int i) { return w->findChild<platform::LedDigit*>(QString("LED1_%1").arg(i)); }

QColor fore(QWidget* w) { return w->palette().color(QPalette::WindowText); }

// The colours of a widget as drawn.
QSet<QRgb> drawnColours(QWidget* w)
{
    const QImage image = w->grab().toImage();
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            colours.insert(image.pixel(x, y) & 0xFFFFFF);
    return colours;
}

// The visible colours of a picture.
QSet<QRgb> pictureColours(const QPixmap& picture)
{
    const QImage image = picture.toImage().convertToFormat(QImage::Format_ARGB32);
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) != 0)
                colours.insert(image.pixel(x, y) & 0xFFFFFF);
    return colours;
}

// Whether every colour lies between a and b (the smoothed edges of a drawing in two colours).
bool onlyBlendsOf(const QSet<QRgb>& colours, QRgb a, QRgb b)
{
    for (const QRgb c : colours) {
        const int span = qGreen(b) - qGreen(a);
        const double t = span == 0 ? 0.0 : double(qGreen(c) - qGreen(a)) / span;
        if (t < -0.01 || t > 1.01)
            return false;
        const auto near = [t](int ca, int cb, int cc) { return std::abs(ca + t * (cb - ca) - cc) <= 3.0; };
        if (!near(qRed(a), qRed(b), qRed(c)) || !near(qBlue(a), qBlue(b), qBlue(c)))
            return false;
    }
    return colours.contains(a) && colours.contains(b);
}

QStringList checkedIn(Form1Fixture& f, const QStringList& names)
{
    QStringList checked;
    for (const QString& name : names)
        if (f.action(name)->isChecked())
            checked << name;
    return checked;
}

const QStringList kWatchItems{"TZColTxt2_0", "TZColTxt2_1", "TZColTxt2_2", "TZColTxt2_3"};
const QStringList kZoneItems{"TZColTxt_0", "TZColTxt_1"};

void oneRow()
{
    Form1Fixture::setOption("LastTZAdd", "1");
    Form1Fixture::setOption("LastTZAddName1", "A");
    Form1Fixture::setOption("VNTZname1", "zone a");
    Form1Fixture::setOption("VNTZval1", "0");
}

} // namespace

class TestColours : public QObject {
    Q_OBJECT
private slots:
    void theMenuHoldsEveryChoice()
    {
        Form1Fixture f(kNoon);
        Form1* w = f.loadForm1();
        auto* vnc = w->findChild<QMenu*>("VNC");
        QVERIFY(vnc);
        QCOMPARE(vnc->title(), QString("VN Colors"));
        QCOMPARE(w->findChild<QMenu*>("TZCol_0")->title(), QString("Watch Colors"));
        QCOMPARE(w->findChild<QMenu*>("TZCol_1")->title(), QString("TZ Colors"));
        const QStringList captions{"Light Blue",
                                   "Dark Blue",
                                   "Yellow",
                                   "Green",
                                   "Blue",
                                   "Yellow",
                                   "Watch High Contrast",
                                   "Time Zone High Contrast"};
        const QStringList names = kWatchItems + kZoneItems + QStringList{"ClHC", "TZhc"};
        for (int i = 0; i < names.size(); ++i) {
            QCOMPARE(f.action(names[i])->text(), captions[i]);
            QVERIFY(f.action(names[i])->isEnabled());
        }
    }

    void withNoSettingsTheDesignsColoursApply()
    {
        Form1Fixture f(kNoon);
        oneRow();
        Form1* w = f.loadForm1();
        w->show();
        for (int i = 0; i < 6; ++i) {
            QCOMPARE(digit(w, i)->LedColorOn(), 0x00FFFF00u);
            QCOMPARE(digit(w, i)->LedColorOff(), 0x00404040u);
        }
        QCOMPARE(fore(label(w, "Label6")), platform::fromBgr(0xFFFF00));
        QCOMPARE(fore(label(w, "Label5_0")), platform::fromBgr(0x00FFFF));
        QCOMPARE(fore(label(w, "Label4_0")), platform::fromBgr(0x0000FF));
        // The panel and the window are dark grey, the zone bar black.
        QCOMPARE(w->palette().color(QPalette::Window), platform::fromBgr(0x404040));
        QVERIFY(drawnColours(w->findChild<QWidget*>("Shape6_0")).contains(0x000000));
        QCOMPARE(checkedIn(f, kWatchItems), QStringList({"TZColTxt2_0"}));
        QCOMPARE(checkedIn(f, kZoneItems), QStringList({"TZColTxt_1"}));
        QVERIFY(f.action("TZhc")->isChecked());
        QVERIFY(!f.action("ClHC")->isChecked());
        // The unlit segments vanish into the panel: digits and panel draw in two colours only.
        QVERIFY(onlyBlendsOf(drawnColours(digit(w, 0)), 0x00FFFF, 0x404040));
    }

    void aWatchColourColoursDigitsColonsAndDate()
    {
        Form1Fixture f(kNoon);
        Form1* w = f.loadForm1();
        f.trigger("TZColTxt2_3");
        for (int i = 0; i < 6; ++i)
            QCOMPARE(digit(w, i)->LedColorOn(), 0x0000FF00u);
        QCOMPARE(fore(label(w, "Label6")), QColor(0, 255, 0));
        QCOMPARE(pictureColours(label(w, "picSegment_6")->pixmap()), QSet<QRgb>({0x00FF00}));
        QCOMPARE(checkedIn(f, kWatchItems), QStringList({"TZColTxt2_3"}));
        QCOMPARE(Form1Fixture::option("TZColTxt2"), QString("3"));
        // The flashing seconds colon lights in the chosen colour.
        f.clock().advance(1000);
        QCOMPARE(pictureColours(label(w, "picSegment_7")->pixmap()), QSet<QRgb>({0x00FF00}));
        f.clock().advance(250);
        QCOMPARE(label(w, "picSegment_7")->pixmap().toImage(), platform::loadBitmap(103).toImage());

        w = f.restart();
        QCOMPARE(digit(w, 2)->LedColorOn(), 0x0000FF00u);
        QCOMPARE(checkedIn(f, kWatchItems), QStringList({"TZColTxt2_3"}));
        f.trigger("TZColTxt2_1");
        QCOMPARE(digit(w, 2)->LedColorOn(), 0x00C0C000u);
        QCOMPARE(checkedIn(f, kWatchItems), QStringList({"TZColTxt2_1"}));
    }

    void aZoneColourColoursTheZoneTimes()
    {
        Form1Fixture f(kNoon);
        oneRow();
        Form1* w = f.loadForm1();
        f.trigger("TZColTxt_0");
        for (int r = 0; r < 5; ++r)
            QCOMPARE(fore(label(w, QString("Label5_%1").arg(r))), platform::fromBgr(0xC0C000));
        QCOMPARE(checkedIn(f, kZoneItems), QStringList({"TZColTxt_0"}));
        QCOMPARE(Form1Fixture::option("TZColTxt"), QString("0"));
        w = f.restart();
        QCOMPARE(fore(label(w, "Label5_0")), platform::fromBgr(0xC0C000));
    }

    void watchHighContrastTurnsPanelAndUnlitSegmentsBlack()
    {
        Form1Fixture f(kNoon);
        Form1* w = f.loadForm1();
        w->show();
        f.trigger("ClHC");
        QVERIFY(f.action("ClHC")->isChecked());
        QCOMPARE(Form1Fixture::option("CLHighContrast"), QString("True"));
        QCOMPARE(w->palette().color(QPalette::Window), QColor(0, 0, 0));
        for (int i = 0; i < 6; ++i)
            QCOMPARE(digit(w, i)->LedColorOff(), 0u);
        QVERIFY(onlyBlendsOf(drawnColours(digit(w, 0)), 0x00FFFF, 0x000000));
        w = f.restart();
        QCOMPARE(digit(w, 0)->LedColorOff(), 0u);
        f.trigger("ClHC");
        QCOMPARE(digit(w, 0)->LedColorOff(), 0x404040u);
        QCOMPARE(w->palette().color(QPalette::Window), platform::fromBgr(0x404040));
        QCOMPARE(Form1Fixture::option("CLHighContrast"), QString("False"));
    }

    void zoneHighContrastSwitchesTheBars()
    {
        Form1Fixture f(kNoon);
        oneRow();
        Form1* w = f.loadForm1();
        w->show();
        f.trigger("TZhc");
        QVERIFY(!f.action("TZhc")->isChecked());
        QCOMPARE(Form1Fixture::option("TZhc"), QString("False"));
        QVERIFY(drawnColours(w->findChild<QWidget*>("Shape6_0")).contains(0x404040));
        QCOMPARE(label(w, "Label5_0")->palette().color(QPalette::Window), platform::fromBgr(0x404040));
        w = f.restart();
        QVERIFY(!f.action("TZhc")->isChecked());
        QCOMPARE(label(w, "Label4_0")->palette().color(QPalette::Window), platform::fromBgr(0x404040));
    }

    void aStoredIndexOutsideTheMenuFallsBackToTheDefault_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::newRow("too large") << "7";
        QTest::newRow("negative") << "-1";
        QTest::newRow("text") << "blue";
    }
    void aStoredIndexOutsideTheMenuFallsBackToTheDefault()
    {
        QFETCH(QString, stored);
        Form1Fixture f(kNoon);
        Form1Fixture::setOption("TZColTxt2", stored);
        Form1Fixture::setOption("TZColTxt", stored);
        Form1* w = f.loadForm1();
        QCOMPARE(w->loadResult(), Form1::LoadResult::Loaded);
        QCOMPARE(digit(w, 0)->LedColorOn(), 0x00FFFF00u);
        QCOMPARE(checkedIn(f, kWatchItems), QStringList({"TZColTxt2_0"}));
        QCOMPARE(fore(label(w, "Label5_0")), platform::fromBgr(0x00FFFF));
        QCOMPARE(checkedIn(f, kZoneItems), QStringList({"TZColTxt_1"}));
    }
};

VANTORA_TEST_MAIN(TestColours)
#include "test_colours.moc"
