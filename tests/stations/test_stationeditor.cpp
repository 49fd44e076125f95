#include "core/datalist.h"
#include "mainwindow/form1.h"
#include "radio/form3.h"
#include "tests/mainwindow/form1fixture.h"
#include "tests/support/testenv.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

using testsupport::Form1Fixture;

namespace {

// An editor filled with three complete internet rows and station 2 as the default.
struct Editor {
    Form1Fixture fixture;
    Form1* main = fixture.loadForm1();
    Form3 form{main};

    Editor()
    {
        for (int i = 1; i <= 3; ++i) {
            form.Text1[static_cast<size_t>(i)]->setText(QStringLiteral("Station %1").arg(i));
            form.Text2[static_cast<size_t>(i)]->setText(QStringLiteral("http://127.0.0.1/%1").arg(i));
        }
        form.setDefault(2);
    }
    QLineEdit* name(int i) { return form.Text1[static_cast<size_t>(i)]; }
    QLineEdit* url(int i) { return form.Text2[static_cast<size_t>(i)]; }
    QRadioButton* option(int i) { return form.Option1[static_cast<size_t>(i)]; }
};

} // namespace

class TestStationEditor : public QObject {
    Q_OBJECT
private slots:
    void captionAndRowsAsBuilt()
    {
        Editor e;
        QCOMPARE(e.form.windowTitle(), QStringLiteral("Vantora Radio - v 2.9.0"));
        QCOMPARE(e.form.rowStatus(1), RowStatus::Complete);
        QCOMPARE(e.form.rowStatus(2), RowStatus::Default);
        QCOMPARE(e.form.rowStatus(4), RowStatus::Empty);
        QVERIFY(!e.option(4)->isEnabled());
        QCOMPARE(e.option(7)->toolTip(), QStringLiteral("Set as Default..."));
        QCOMPARE(e.form.defaultRow(), 2);
    }

    void anIncompleteDefaultRowHandsTheDefaultToTheFirstEnabledRow()
    {
        Editor e;
        e.url(2)->clear();
        QCOMPARE(e.form.rowStatus(2), RowStatus::Incomplete);
        QVERIFY(!e.option(2)->isEnabled());
        QVERIFY(!e.option(2)->isChecked());
        QCOMPARE(e.form.defaultRow(), 1);
        QCOMPARE(e.form.rowStatus(1), RowStatus::Default);
    }

    void anEmptyDefaultRowStaysSelectedAndYellow()
    {
        Editor e;
        e.form.setDefault(4);
        QCOMPARE(e.form.defaultRow(), 4);
        QVERIFY(!e.option(4)->isEnabled());
        QCOMPARE(e.form.rowStatus(4), RowStatus::Default);
        QCOMPARE(e.form.rowStatus(2), RowStatus::Complete);
    }

    void typingIntoAGreyRowTurnsItRedThenGreen()
    {
        Editor e;
        e.form.show();
        QTest::keyClicks(e.name(5), QStringLiteral("Jazz"));
        QCOMPARE(e.form.rowStatus(5), RowStatus::Incomplete);
        QVERIFY(!e.option(5)->isEnabled());
        QTest::keyClicks(e.url(5), QStringLiteral("http://127.0.0.1/jazz"));
        QCOMPARE(e.form.rowStatus(5), RowStatus::Complete);
        QVERIFY(e.option(5)->isEnabled());
        QCOMPARE(e.form.defaultRow(), 2);
    }

    void clickingAnotherRowMovesTheDefaultAndClickingItAgainKeepsIt()
    {
        Editor e;
        e.form.show();
        QTest::mouseClick(e.option(3), Qt::LeftButton);
        QCOMPARE(e.form.defaultRow(), 3);
        QCOMPARE(e.form.rowStatus(2), RowStatus::Complete);
        QCOMPARE(e.form.rowStatus(3), RowStatus::Default);
        QTest::mouseClick(e.option(3), Qt::LeftButton);
        QCOMPARE(e.form.defaultRow(), 3);
        QVERIFY(e.option(3)->isChecked());
    }

    void resetMp3LeavesBothFileRowsRedAndStationTwoDefault()
    {
        Editor e;
        e.form.setDefault(3);
        e.url(11)->setText(QStringLiteral("/music/a.mp3"));
        e.form.findChild<QAction*>(QStringLiteral("resrmp3"))->trigger();
        QCOMPARE(e.name(11)->text(), QStringLiteral("MP3 - MPG - MPEG - AVI - WMV"));
        QCOMPARE(e.name(12)->text(), QStringLiteral("MP3 Directory"));
        QVERIFY(e.url(11)->text().isEmpty());
        QCOMPARE(e.form.rowStatus(11), RowStatus::Incomplete);
        QCOMPARE(e.form.rowStatus(12), RowStatus::Incomplete);
        QCOMPARE(e.form.defaultRow(), 2);
        QCOMPARE(e.name(1)->text(), QStringLiteral("Station 1"));
    }

    void resetDefaultRadiosRestoresTheFactoryInternetRows()
    {
        Editor e;
        e.name(12)->setText(QStringLiteral("Mine"));
        e.form.findChild<QAction*>(QStringLiteral("resetdefault"))->trigger();
        for (int i = 1; i <= 9; ++i) {
            QCOMPARE(e.name(i)->text(), DataList::factoryName(i));
            QCOMPARE(e.url(i)->text(), DataList::factoryURL(i));
        }
        QCOMPARE(e.name(12)->text(), QStringLiteral("Mine"));
        QCOMPARE(e.form.defaultRow(), 2);
    }

    void namesAreLimitedToFiftyTypedCharactersButKeptWholeFromCode()
    {
        Editor e;
        e.form.show();
        e.name(6)->clear();
        QTest::keyClicks(e.name(6), QString(60, QLatin1Char('x')));
        QCOMPARE(e.name(6)->text().size(), 50);
        const QString stored(70, QLatin1Char('y'));
        e.name(7)->setText(stored);
        QCOMPARE(e.name(7)->text(), stored);
    }

    void saveAndCancelAnswerThroughModifURL()
    {
        Editor e;
        e.main->ModifURL = false;
        QTimer::singleShot(0, &e.form, [&] { e.form.findChild<QAction*>(QStringLiteral("exiadd"))->trigger(); });
        e.form.exec();
        QVERIFY(e.main->ModifURL);
        QVERIFY(!e.form.isVisible());
        QTimer::singleShot(0, &e.form, [&] { e.form.findChild<QAction*>(QStringLiteral("cance"))->trigger(); });
        e.form.exec();
        QVERIFY(!e.main->ModifURL);
    }
};

VANTORA_TEST_MAIN(TestStationEditor)
#include "test_stationeditor.moc"
