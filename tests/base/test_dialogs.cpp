#include "platform/base/dialogs.h"
#include "tests/support/testenv.h"
#include "tests/support/doubles/scripteddialogs.h"

#include <QApplication>
#include <QTest>

using namespace platform;

class TestDialogs : public QObject {
    Q_OBJECT
private slots:
    void defaultAnswerFollowsStyle_data()
    {
        QTest::addColumn<int>("style");
        QTest::addColumn<int>("answer");
        QTest::newRow("ok only") << (mb::OkOnly | mb::Information) << (mb::Ok);
        QTest::newRow("yes/no") << (mb::YesNo) << (mb::Yes);
        QTest::newRow("yes/no, second default") << (mb::YesNo | mb::Question | mb::DefaultButton2) << (mb::No);
        QTest::newRow("yes/no/cancel, third") << (mb::YesNoCancel | mb::DefaultButton3) << (mb::Cancel);
        QTest::newRow("default beyond the buttons") << (mb::OkOnly | mb::DefaultButton3) << (mb::Ok);
    }
    void defaultAnswerFollowsStyle()
    {
        QFETCH(int, style);
        QFETCH(int, answer);
        QCOMPARE(defaultAnswer(style), answer);
    }

    void scriptedDialogsRecordAndAnswer()
    {
        ScriptedDialogs d;
        setDialogs(&d);
        d.answerNextMessage(mb::No);
        d.answerNextInput("07:30");
        QCOMPARE(dialogs().msgBox("Sure?", mb::YesNo | mb::Question, "Vantora"), (mb::No));
        QCOMPARE(dialogs().inputBox("Time?", "Vantora", "00:00"), QString("07:30"));
        // Nothing queued: message takes its default, input is cancelled.
        QCOMPARE(dialogs().msgBox("Again?", mb::YesNo | mb::DefaultButton2, "Vantora"), (mb::No));
        QCOMPARE(dialogs().inputBox("Time?", "Vantora", "00:00"), QString());
        QCOMPARE(d.messageCount(), 2);
        QCOMPARE(d.inputCount(), 2);
        QCOMPARE(d.shown()[1].defaultText, QString("00:00"));
        QCOMPARE(d.shown()[0].style, (mb::YesNo | mb::Question));
        setDialogs(nullptr);
    }
};

VANTORA_TEST_MAIN(TestDialogs)
#include "test_dialogs.moc"
