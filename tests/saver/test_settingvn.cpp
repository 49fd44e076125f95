#include "platform/base/appinfo.h"
#include "tests/support/doubles/manualclock.h"
#include "compat/win32/colordialog.h"
#include "platform/settings/settings.h"
#include "saver/inmainapp.h"
#include "saver/settingvn.h"
#include "tests/support/testenv.h"
#include "tests/support/doubles/scriptedcolordialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QRadioButton>
#include <QTest>

#include <memory>

namespace {

void setSaver(const QString& key, const QString& value) { platform::saveSetting("ScreenSaver", key, value); }
QString saver(const QString& key) { return platform::getSetting("ScreenSaver", key, "<missing>"); }

} // namespace

class TestSettingVN : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<platform::ManualClock> m_clock;
    platform::ScriptedColorDialog m_colours;
    std::unique_ptr<SettingVN> m_window;

    SettingVN* open()
    {
        m_window = std::make_unique<SettingVN>();
        m_window->show();
        return m_window.get();
    }
    QCheckBox* check(int i) const { return m_window->findChild<QCheckBox*>(QStringLiteral("Check1_%1").arg(i)); }
    QRadioButton* option(int group, int i) const
    {
        return m_window->findChild<QRadioButton*>(QStringLiteral("Option%1_%2").arg(group).arg(i));
    }
    QWidget* widget(const QString& name) const { return m_window->findChild<QWidget*>(name); }
    QLabel* label(const QString& name) const { return m_window->findChild<QLabel*>(name); }
    QColor boxColour(int i) const
    {
        return widget(QStringLiteral("Picture1_%1").arg(i))->palette().color(QPalette::Window);
    }
    // Which of the five boxes shows the digit colour.
    QList<int> litBoxes(const QColor& digit) const
    {
        QList<int> lit;
        for (int i = 0; i < 5; ++i)
            if (boxColour(i) == digit)
                lit.append(i);
        return lit;
    }

private slots:
    void init()
    {
        testsupport::environment().wipe();
        m_clock = std::make_unique<platform::ManualClock>(QDateTime(QDate(2026, 12, 9), QTime(21, 5, 7)));
        platform::setClock(m_clock.get());
        m_colours = platform::ScriptedColorDialog();
        platform::setColorDialog(&m_colours);
        InMainApp = false;
    }

    void cleanup()
    {
        m_window.reset();
        platform::setColorDialog(nullptr);
        platform::setClock(nullptr);
    }

    void aFreshStoreOpensOnTheDefaults()
    {
        open();
        QVERIFY(option(1, 0)->isChecked());
        QVERIFY(!check(2)->isEnabled());
        QVERIFY(!option(2, 0)->isEnabled() && !option(2, 1)->isEnabled());
        QVERIFY(option(2, 1)->isChecked());
        QVERIFY(check(1)->isChecked());
        QVERIFY(label("Label2")->isHidden());
        // With no date shown, its controls are off and the red bar is hidden.
        QVERIFY(!check(3)->isChecked());
        QVERIFY(!option(3, 0)->isEnabled() && !option(3, 1)->isEnabled());
        QVERIFY(!check(4)->isEnabled());
        QVERIFY(!check(5)->isEnabled());
        QVERIFY(widget("Shape2")->isHidden());
        QVERIFY(!check(0)->isEnabled());
        QCOMPARE(label("Label5")->text(), QString("21:05:07"));
        QCOMPARE(label("Label1")->text(), QString("09 12 2026"));
        QCOMPARE(label("Label4")->text(), QString("Version ") + platform::appVersionText());
        // The load writes what the cascade sets.
        QCOMPARE(saver("DefaultColor"), QString("1"));
        QCOMPARE(saver("DefaultColorDate"), QString("1"));
        QCOMPARE(saver("DispColorDate"), QString("16776960"));
        QCOMPARE(litBoxes(QColor(0, 255, 255)), QList<int>{1});
    }

    void theVersionLineNamesVNInTheMainProgram()
    {
        InMainApp = true;
        open();
        QCOMPARE(label("Label4")->text(), QString("VN Version ") + platform::appVersionText());
    }

    void unlitBoxesTakeTheButtonFace()
    {
        open();
        QCOMPARE(boxColour(0), m_window->palette().color(QPalette::Button));
        QVERIFY(boxColour(0).lightness() > 100);
    }

    void aFixedPlaceIsChosenByClickingItsBox()
    {
        open();
        QTest::mouseClick(widget("Picture1_3"), Qt::LeftButton);
        QCOMPARE(saver("DigitPos"), QString("3"));
        QCOMPARE(litBoxes(QColor(0, 255, 255)), QList<int>{3});
    }

    void boxesDoNothingWhileTheMovesArePreviewed()
    {
        open();
        option(1, 1)->click();
        QCOMPARE(saver("VNFixedPos"), QString("False"));
        QVERIFY(check(2)->isEnabled());
        QTest::mouseClick(widget("Picture1_3"), Qt::LeftButton);
        QCOMPARE(saver("DigitPos"), QString("<missing>"));
        // The preview walks the boxes once a second: 1, 2, 3, 4, 0.
        QList<int> seen;
        for (int i = 0; i < 5; ++i) {
            m_clock->advance(1000);
            seen.append(litBoxes(QColor(0, 255, 255)).value(0, -1));
        }
        QCOMPARE(seen, (QList<int>{2, 3, 4, 0, 1}));
    }

    void switchingToFixedUnchecksRandom()
    {
        setSaver("VNFixedPos", "False");
        setSaver("RandomPos", "True");
        open();
        QVERIFY(option(1, 1)->isChecked());
        QVERIFY(check(2)->isChecked());
        QCOMPARE(option(1, 1)->text(), QString("Multi Position (Random)"));
        option(1, 0)->click();
        QVERIFY(!check(2)->isChecked());
        QVERIFY(!check(2)->isEnabled());
        QCOMPARE(saver("RandomPos"), QString("False"));
        QCOMPARE(saver("VNFixedPos"), QString("True"));
        QCOMPARE(option(1, 1)->text(), QString("Multi Position (Cycle)"));
    }

    void theMoveIntervalIsStored()
    {
        setSaver("VNFixedPos", "False");
        open();
        option(2, 0)->click();
        QCOMPARE(saver("Minutes10"), QString("False"));
        option(2, 1)->click();
        QCOMPARE(saver("Minutes10"), QString("True"));
    }

    void theDateAndItsPlace()
    {
        open();
        check(3)->click();
        QCOMPARE(saver("DispDate"), QString("True"));
        QVERIFY(widget("Shape2")->isVisible());
        QVERIFY(option(3, 0)->isEnabled() && check(4)->isEnabled());
        QVERIFY(!check(5)->isEnabled()); // alternating needs a moving clock
        const int top = widget("Shape2")->y();
        option(3, 1)->click();
        QCOMPARE(saver("DateTop"), QString("False"));
        QVERIFY(widget("Shape2")->y() > top);
        option(1, 1)->click();
        QVERIFY(check(5)->isEnabled());
        check(5)->click();
        QCOMPARE(saver("AlternDate"), QString("True"));
        QVERIFY(!option(3, 0)->isEnabled());
        // Back to a fixed clock: alternating goes off.
        option(1, 0)->click();
        QVERIFY(!check(5)->isChecked());
        QCOMPARE(saver("AlternDate"), QString("False"));
    }

    void aDigitColourAlsoColoursAFollowingDate()
    {
        open();
        check(1)->click(); // own colour
        QVERIFY(label("Label2")->isVisible());
        QCOMPARE(saver("DefaultColor"), QString("0"));
        m_colours.answerNext(255u);
        QTest::mouseClick(widget("Image1"), Qt::LeftButton);
        QCOMPARE(saver("DispColor"), QString("255"));
        QCOMPARE(saver("DispColorDate"), QString("255"));
        QCOMPARE(label("Label5")->palette().color(QPalette::WindowText), QColor(255, 0, 0));
        QCOMPARE(litBoxes(QColor(255, 0, 0)), QList<int>{1});
    }

    void cancellingTheColourDialogChangesNothing()
    {
        setSaver("DefaultColor", "0");
        setSaver("DispColor", "65280");
        open();
        QCOMPARE(saver("DispColor"), QString("65280"));
        QTest::mouseClick(widget("Image1"), Qt::LeftButton);
        QCOMPARE(m_colours.shown(), (QList<std::optional<quint32>>{65280u})); // preselected
        QCOMPARE(saver("DispColor"), QString("65280"));
        QCOMPARE(label("Label5")->palette().color(QPalette::WindowText), QColor(0, 255, 0));
    }

    void theDefaultDigitColourOffersNoDialog()
    {
        open();
        QTest::mouseClick(widget("Image1"), Qt::LeftButton);
        QVERIFY(m_colours.shown().isEmpty());
    }

    void aDateColourOfItsOwn()
    {
        setSaver("DispDate", "True");
        open();
        QTest::mouseClick(widget("Image2"), Qt::LeftButton);
        QVERIFY(m_colours.shown().isEmpty()); // it follows the digits
        check(4)->click();
        QCOMPARE(saver("DefaultColorDate"), QString("0"));
        m_colours.answerNext(0x00FF00u);
        QTest::mouseClick(widget("Image2"), Qt::LeftButton);
        QCOMPARE(saver("DispColorDate"), QString("65280"));
        QCOMPARE(widget("Shape2")->palette().color(QPalette::Window), QColor(0, 255, 0));
        QCOMPARE(label("Label1")->palette().color(QPalette::WindowText), QColor(0, 255, 0));
    }

    void damagedValuesOpenOnTheDefaults()
    {
        setSaver("VNFixedPos", "perhaps");
        setSaver("DigitPos", "x");
        setSaver("DefaultColor", "?");
        setSaver("DispColor", "blue");
        setSaver("DispDate", "1.5.7");
        open();
        QVERIFY(option(1, 0)->isChecked());
        QVERIFY(check(1)->isChecked());
        QVERIFY(!check(3)->isChecked());
        QCOMPARE(litBoxes(QColor(0, 255, 255)), QList<int>{1});
    }

    void theTitleIsTyped()
    {
        open();
        QString titles;
        for (int i = 0; i < 4; ++i) {
            m_clock->advance(250);
            titles += m_window->windowTitle() + "|";
        }
        QCOMPARE(titles, QString("V|Va|Van|Vant|"));
        m_clock->advance(250 * 25);
        QCOMPARE(m_window->windowTitle(),
                 QString("Vantora Screen Saver") + QString(9, QLatin1Char(' '))); // the last blank is never typed
        m_clock->advance(250);
        QCOMPARE(m_window->windowTitle(), QString("V"));
    }

    void okClosesTheWindow()
    {
        open();
        QTest::mouseClick(widget("Command2"), Qt::LeftButton);
        QVERIFY(!m_window->isVisible());
    }
};

VANTORA_TEST_MAIN(TestSettingVN)
#include "test_settingvn.moc"
